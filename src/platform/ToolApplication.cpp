#include "platform/ToolApplication.h"

#include <cstdio>

namespace {

const char* messagePrefix = "";

void keepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s: %s\n", messagePrefix, message.toLocal8Bit().constData());
}

}  // namespace

std::unique_ptr<QGuiApplication> startToolApplication(int& argc, char** argv, const char* programName)
{
    messagePrefix = programName;
    qInstallMessageHandler(keepSeriousMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Velmoras"));
    return app;
}
