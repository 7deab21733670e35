#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
int screenDepthOverride = 0;
}

int ScreenBitsPerPixel()
{
    if (screenDepthOverride > 0)
        return screenDepthOverride;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return screen->depth();
    return 32;
}

void setScreenBitsPerPixelOverride(int bitsPerPixel)
{
    screenDepthOverride = bitsPerPixel > 0 ? bitsPerPixel : 0;
}

int ScreenPixelsPerInch()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return int(std::lround(screen->logicalDotsPerInchX()));
    return 96;
}
