#include "platform/WindowMessages.h"

#include <QCoreApplication>

void postWindowMessage(QObject* window, QEvent::Type type, intptr_t wParam, intptr_t lParam)
{
    if (window)
        QCoreApplication::postEvent(window, new WindowMessageEvent(type, wParam, lParam));
}

void sendWindowMessage(QObject* window, QEvent::Type type, intptr_t wParam, intptr_t lParam)
{
    if (!window)
        return;
    WindowMessageEvent message(type, wParam, lParam);
    QCoreApplication::sendEvent(window, &message);
}
