// velmora-form: makes and inspects form files without the window, for scripts and batches.
#include "formcmd/FormCommand.h"
#include "platform/ToolApplication.h"

#include <cstdio>
#include <iterator>

namespace {

// A new subcommand adds its file and one line here.
const FormCommand* const kCommands[] = {
    &kNewCommand,
    &kInfoCommand,
    &kCalibrateCommand,
    &kDeskewCommand,
    &kDetectCommand,
};

QString overview()
{
    QString text = QStringLiteral("Usage: velmora-form COMMAND [arguments]\n"
                                  "Makes and inspects Velmora form files (.frm) without the window.\n\nCommands:\n");
    for (const FormCommand* command : kCommands)
        text += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(command->name), -10).arg(QString::fromLatin1(command->summary));
    text += QStringLiteral("\n\"velmora-form COMMAND --help\" describes a command. Exit status: 0 done, 1 failed, 2 wrong "
                           "arguments.\n");
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto app = startToolApplication(argc, argv, "velmora-form");

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "velmora-form: no command given (see velmora-form --help)\n");
        return kExitUsage;
    }
    if (arguments[0] == u"--help" || arguments[0] == u"-h") {
        std::fputs(overview().toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    for (const FormCommand* command : kCommands)
        if (arguments[0] == QLatin1String(command->name))
            return command->run(arguments.mid(1));
    std::fprintf(stderr, "velmora-form: unknown command \"%s\" (see velmora-form --help)\n",
                 arguments[0].toLocal8Bit().constData());
    return kExitUsage;
}
