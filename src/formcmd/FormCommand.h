// The subcommands of velmora-form. Each lives in a file of its own that defines one FormCommand;
// main.cpp lists them in its table. A subcommand reads its own arguments, reports on stderr and
// returns the exit status.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <set>

class FormDocument;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct FormCommand {
    const char* name;
    const char* summary;  // one line for velmora-form --help
    const char* usage;    // what "velmora-form NAME --help" prints
    int (*run)(const QStringList& arguments);  // the arguments after the subcommand's name
};

extern const FormCommand kNewCommand;
extern const FormCommand kInfoCommand;
extern const FormCommand kCalibrateCommand;
extern const FormCommand kDeskewCommand;
extern const FormCommand kDetectCommand;

// "velmora-form: reason" on stderr; returns kExitFailed.
int commandFailed(const QString& reason);
// "velmora-form NAME: reason (see velmora-form NAME --help)" on stderr; returns kExitUsage.
int usageError(const FormCommand& command, const QString& reason);
// Prints the command's usage on stdout; returns kExitOk.
int showUsage(const FormCommand& command);

// A subcommand's arguments: positional ones in order and options with one value each.
struct CommandLine {
    QStringList positional;
    std::map<QString, QString> values;
    std::set<QString> flags;
    bool help = false;

    std::optional<QString> value(const QString& option) const;
};
// valued: options that take the next argument; flags: options that stand alone. Nothing, with
// the reason in error, for an unknown option or a missing value.
std::optional<CommandLine> parseCommandLine(const QStringList& arguments, const std::set<QString>& valued,
                                            const std::set<QString>& flags, QString* error);
// The start every subcommand shares: its arguments taken apart (as parseCommandLine does), --help
// and exactly one positional argument, with oneArgument the reason given otherwise. Nothing when
// the run ends there, with its exit status in status: a usage error, or kExitOk once --help
// showed the usage.
std::optional<CommandLine> startCommand(const FormCommand& command, const QStringList& arguments,
                                        const std::set<QString>& valued, const std::set<QString>& flags,
                                        const QString& oneArgument, int& status);
// Reads the form file into document; false once the reason it could not be read was reported.
bool openForm(const QString& file, FormDocument& document);
// The start of a subcommand that works on one form file: startCommand, then that file read into
// document. Nothing when the run ends there, with its exit status in status (kExitFailed once a
// form that could not be read was reported).
std::optional<CommandLine> startFormCommand(const FormCommand& command, const QStringList& arguments,
                                            const std::set<QString>& valued, const std::set<QString>& flags,
                                            FormDocument& document, int& status);
// Writes the form file: kExitOk, else kExitFailed once it was reported that it could not be written.
int saveForm(const QString& file, const FormDocument& document);
// A whole number from minimum to maximum; nothing otherwise.
std::optional<int> parseWholeNumber(const QString& text, int minimum, int maximum);

// Percentages of one piece of work on stderr: redrawn in place on a terminal, elsewhere a line
// every quarter, so that logs stay short.
class PercentReport {
public:
    PercentReport(QString what, bool quiet);
    void operator()(int percent);
    void finish();

private:
    QString what_;
    bool quiet_;
    bool terminal_;
    int last_ = -1;
};
