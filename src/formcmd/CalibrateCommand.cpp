// velmora-form calibrate: the printer calibration measured from a scan of the calibration sheet,
// as the calibration dialog's "Measure from a scan..." measures it.
#include "formcmd/FormCommand.h"
#include "imgrove/DibFiles.h"
#include "platform/LocalFileName.h"
#include "print/CalibrationReport.h"
#include "print/CalibrationSheet.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>

namespace {

const std::pair<const char*, PaperSize> kPaperNames[] = {
    {"a4", {210, 297}}, {"letter", {215.9, 279.4}}, {"legal", {215.9, 355.6}}, {"a5", {148, 210}}};

// A name of the list or WIDTHxHEIGHT in millimetres.
std::optional<PaperSize> parsePaper(const QString& text)
{
    for (const auto& [name, size] : kPaperNames)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return size;
    const QStringList parts = text.split(u'x');
    bool wideOk = false, highOk = false;
    const double a = parts.size() == 2 ? parts[0].toDouble(&wideOk) : 0;
    const double b = parts.size() == 2 ? parts[1].toDouble(&highOk) : 0;
    if (!wideOk || !highOk || a < 50 || b < 50 || a > 2000 || b > 2000)
        return std::nullopt;
    return PaperSize{std::min(a, b), std::max(a, b)};
}

// Four comma-separated numbers: left, top, width, height.
std::optional<Calibration> parseCalibration(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return Calibration{values[0], values[1], values[2], values[3]};
}

// The calibration the window holds, which it printed the sheet with.
Calibration storedCalibration()
{
    return readCalibration(programCalibrationPlaces(QCoreApplication::applicationDirPath() + u'/',
                                                    QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
}

int runCalibrate(const QStringList& arguments)
{
    int status = kExitOk;
    const std::optional<CommandLine> line =
        startCommand(kCalibrateCommand, arguments, {"--paper", "--printed-with"}, {}, QStringLiteral("give exactly one scan"), status);
    if (!line)
        return status;
    std::optional<PaperSize> paper;
    if (const auto text = line->value(QStringLiteral("--paper"))) {
        paper = parsePaper(*text);
        if (!paper)
            return usageError(kCalibrateCommand, QStringLiteral("--paper takes A4, Letter, Legal, A5 or WIDTHxHEIGHT in mm"));
    }
    Calibration printedWith = storedCalibration();
    if (const auto text = line->value(QStringLiteral("--printed-with"))) {
        const auto given = parseCalibration(*text);
        if (!given)
            return usageError(kCalibrateCommand, QStringLiteral("--printed-with takes LEFT,TOP,WIDTH,HEIGHT in mm"));
        printedWith = *given;
    }

    const QString& file = line->positional[0];
    DibOwner scan(OpenDib(localFileName(file), 0));
    if (!scan)
        return commandFailed(QStringLiteral("cannot read the picture file \"%1\"").arg(file));
    const CalibrationScanResult result = measureCalibrationScan(dibToGray(scan.get()), printedWith, paper);
    if (!result.measurement)
        return commandFailed(QString::fromStdString(result.error));

    const CalibrationMeasurement& m = *result.measurement;
    QTextStream out(stdout);
    out << QStringLiteral("LinksEd %1\nObenEd %2\nBreitEd %3\nHochEd %4\n")
               .arg(m.values.LinksEd, 0, 'f', 2)
               .arg(m.values.ObenEd, 0, 'f', 2)
               .arg(m.values.BreitEd, 0, 'f', 2)
               .arg(m.values.HochEd, 0, 'f', 2);
    QTextStream err(stderr);
    err << QStringLiteral("velmora-form calibrate: skew %1°\n").arg(m.skewDegrees, 0, 'f', 2);
    const QString notes = calibrationNotes(m);
    if (!notes.isEmpty())
        err << QStringLiteral("velmora-form calibrate: ") << notes << '\n';
    return kExitOk;
}

}  // namespace

const FormCommand kCalibrateCommand{
    "calibrate", "the printer calibration measured from a scan of the calibration sheet",
    "Usage: velmora-form calibrate SCAN [--paper A4|Letter|Legal|A5|WIDTHxHEIGHT] [--printed-with L,T,W,H]\n"
    "Measures the printer calibration on a scan of the calibration sheet (printed with \"Measure from a scan...\"\n"
    "in the calibration dialog) and prints LinksEd, ObenEd, BreitEd and HochEd in mm, one a line. The skew and\n"
    "uneven sides are told on stderr. --paper: the sheet's paper (default: found by its proportions);\n"
    "--printed-with: the calibration the sheet was printed with (default: the stored one).\n",
    runCalibrate};
