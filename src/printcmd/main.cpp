// velmora-print: prints a form file's records as the "Print" tab does, from a script, on a
// machine without a screen.
#include "platform/Terminal.h"
#include "platform/ToolApplication.h"
#include "printcmd/PrintArguments.h"
#include "printcmd/PrintJob.h"
#include "printcmd/ProgressReport.h"

#include <QStandardPaths>

#include <cstdio>
#include <optional>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int fail(const QString& reason, int status)
{
    std::fprintf(stderr, "velmora-print: %s\n", reason.toLocal8Bit().constData());
    return status;
}

// Where the window keeps options.dat: its program folder, which the installation shares with this
// program, else the per-user folder of the window's application name.
CalibrationPlaces windowCalibrationPlaces()
{
    return programCalibrationPlaces(QCoreApplication::applicationDirPath() + u'/',
                                    QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

}  // namespace

int main(int argc, char** argv)
{
    const auto app = startToolApplication(argc, argv, "velmora-print");

    const ParsedArguments parsed = parseArguments(QCoreApplication::arguments().mid(1));
    if (parsed.status == ParsedArguments::Status::Help) {
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parsed.status == ParsedArguments::Status::UsageError)
        return fail(parsed.error + QStringLiteral(" (see velmora-print --help)"), kExitUsage);

    const PrintOptions& options = parsed.options;
    PrintJob job(options);
    QString error;
    if (!job.prepare(windowCalibrationPlaces(), &error))
        return fail(error, kExitFailed);

    std::optional<ProgressReport> progress;
    if (!options.quiet)
        progress.emplace(stderr, streamIsTerminal(stderr), int(job.pages().size()));
    const PagesDone pagesDone = [&](int done) {
        if (progress)
            progress->pagesDone(done);
    };
    if (!job.run(pagesDone, &error))
        return fail(error, kExitFailed);
    if (progress)
        progress->finish(job.recordsPrinted(), int(job.pages().size()), options.target);
    return 0;
}
