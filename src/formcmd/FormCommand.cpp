#include "formcmd/FormCommand.h"

#include "document/FormFile.h"
#include "platform/LocalFileName.h"
#include "print/FormReadReason.h"

#include "platform/Terminal.h"

#include <cstdio>

namespace {

void printLine(std::FILE* stream, const QString& text) { std::fprintf(stream, "%s\n", text.toLocal8Bit().constData()); }

}  // namespace

int commandFailed(const QString& reason)
{
    printLine(stderr, QStringLiteral("velmora-form: ") + reason);
    return kExitFailed;
}

int usageError(const FormCommand& command, const QString& reason)
{
    printLine(stderr, QStringLiteral("velmora-form %1: %2 (see velmora-form %1 --help)")
                          .arg(QString::fromLatin1(command.name), reason));
    return kExitUsage;
}

int showUsage(const FormCommand& command)
{
    std::fputs(command.usage, stdout);
    return kExitOk;
}

std::optional<QString> CommandLine::value(const QString& option) const
{
    const auto found = values.find(option);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

std::optional<CommandLine> parseCommandLine(const QStringList& arguments, const std::set<QString>& valued,
                                            const std::set<QString>& flags, QString* error)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help" || argument == u"-h") {
            line.help = true;
        } else if (valued.count(argument)) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(argument);
                return std::nullopt;
            }
            line.values[argument] = arguments[++i];
        } else if (flags.count(argument)) {
            line.flags.insert(argument);
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            *error = QStringLiteral("unknown option: %1").arg(argument);
            return std::nullopt;
        } else {
            line.positional.append(argument);
        }
    }
    return line;
}

std::optional<int> parseWholeNumber(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

PercentReport::PercentReport(QString what, bool quiet)
    : what_(std::move(what)), quiet_(quiet), terminal_(streamIsTerminal(stderr))
{
}

void PercentReport::operator()(int percent)
{
    // The bar's closing 0 means nothing on a line of text.
    if (quiet_ || percent <= last_ || (!terminal_ && last_ >= 0 && percent / 25 == last_ / 25 && percent < 100))
        return;
    last_ = percent;
    const QByteArray line = QStringLiteral("%1: %2%").arg(what_).arg(percent).toLocal8Bit();
    if (terminal_)
        std::fprintf(stderr, "\r%s", line.constData());
    else
        std::fprintf(stderr, "%s\n", line.constData());
}

void PercentReport::finish()
{
    if (quiet_)
        return;
    if (terminal_ && last_ >= 0)
        std::fputs("\n", stderr);
    last_ = -1;
}

std::optional<CommandLine> startCommand(const FormCommand& command, const QStringList& arguments,
                                        const std::set<QString>& valued, const std::set<QString>& flags,
                                        const QString& oneArgument, int& status)
{
    QString error;
    std::optional<CommandLine> line = parseCommandLine(arguments, valued, flags, &error);
    if (!line)
        status = usageError(command, error);
    else if (line->help)
        status = showUsage(command);
    else if (line->positional.size() != 1)
        status = usageError(command, oneArgument);
    else
        return line;
    return std::nullopt;
}

bool openForm(const QString& file, FormDocument& document)
{
    const FormReadStatus status = readFormFile(localFileName(file), document);
    if (status == FormReadStatus::Ok)
        return true;
    commandFailed(formReadFailure(status, file));
    return false;
}

std::optional<CommandLine> startFormCommand(const FormCommand& command, const QStringList& arguments,
                                            const std::set<QString>& valued, const std::set<QString>& flags,
                                            FormDocument& document, int& status)
{
    std::optional<CommandLine> line =
        startCommand(command, arguments, valued, flags, QStringLiteral("give exactly one form file"), status);
    if (line && !openForm(line->positional[0], document)) {
        status = kExitFailed;
        line.reset();
    }
    return line;
}

int saveForm(const QString& file, const FormDocument& document)
{
    if (!writeFormFile(localFileName(file), document))
        return commandFailed(QStringLiteral("cannot write \"%1\"").arg(file));
    return kExitOk;
}
