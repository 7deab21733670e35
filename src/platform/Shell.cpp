#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

std::function<bool(const QString&)>& handler()
{
    static std::function<bool(const QString&)> current;
    return current;
}

}  // namespace

bool shellOpen(const QString& fileName)
{
    if (handler())
        return handler()(fileName);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

void setShellOpenHandler(std::function<bool(const QString&)> newHandler) { handler() = std::move(newHandler); }
