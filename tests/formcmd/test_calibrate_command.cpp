// velmora-form calibrate run on made-up scans of the calibration sheet, as a script runs it.
#include "CalibrationScans.h"

#include "vision/CalibrationScan.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CommandRun {
    int status = -1;
    QString output;
    QString errors;
};

CommandRun calibrate(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_FORM_PROGRAM), QStringList{QStringLiteral("calibrate")} + arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

QString savedScan(const QTemporaryDir& dir, const ScanSetup& setup, const char* name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(grayImage(generatedScan(setup)).save(path));
    return path;
}

// The four values a run printed, in their order.
std::vector<double> printedValues(const QString& output)
{
    std::vector<double> values;
    const QStringList expectedNames = {"LinksEd", "ObenEd", "BreitEd", "HochEd"};
    const QStringList lines = output.split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < lines.size() && i < 4; ++i) {
        const QStringList parts = lines[i].split(u' ');
        EXPECT_EQ(parts.value(0), expectedNames[i]);
        values.push_back(parts.value(1).toDouble());
    }
    return values;
}

}  // namespace

TEST(CalibrateCommand, PrintsTheFourValuesOrSaysWhyNot)
{
    QTemporaryDir dir;
    ScanSetup setup;
    setup.scanDpi = 150;
    setup.printedWith = {1, 1.5, 100.3, 99.8};
    setup.printerSkewDegrees = 0.5;
    const QString sheet = savedScan(dir, setup, "sheet.png");
    ScanSetup blank = setup;
    blank.content = ScanSetup::Content::BlankPaper;
    const QString paper = savedScan(dir, blank, "blank.png");

    const CommandRun measured = calibrate({sheet, "--printed-with", "1,1.5,100.3,99.8", "--paper", "A4"});
    EXPECT_EQ(measured.status, 0) << measured.errors.toStdString();
    const std::vector<double> values = printedValues(measured.output);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_NEAR(values[0], setup.truth.LinksEd, 0.1);
    EXPECT_NEAR(values[1], setup.truth.ObenEd, 0.1);
    EXPECT_NEAR(values[2], setup.truth.BreitEd, 0.05);
    EXPECT_NEAR(values[3], setup.truth.HochEd, 0.05);
    EXPECT_EQ(measured.errors, QStringLiteral("velmora-form calibrate: skew 0.50°\n"));

    struct Failing {
        QStringList arguments;
        int status;
        QString error;
    };
    const std::vector<Failing> rows = {
        {{paper, "--paper", "A4"}, 1, QStringLiteral("velmora-form: %1\n").arg(QString::fromLatin1(kNoMarksMessage))},
        {{dir.filePath("missing.png")}, 1,
         QStringLiteral("velmora-form: cannot read the picture file \"%1\"\n").arg(dir.filePath("missing.png"))},
        {{sheet, "--paper", "B7"}, 2,
         "velmora-form calibrate: --paper takes A4, Letter, Legal, A5 or WIDTHxHEIGHT in mm (see velmora-form "
         "calibrate --help)\n"},
        {{sheet, "--printed-with", "1,2,3"}, 2,
         "velmora-form calibrate: --printed-with takes LEFT,TOP,WIDTH,HEIGHT in mm (see velmora-form calibrate "
         "--help)\n"},
        {{}, 2, "velmora-form calibrate: give exactly one scan (see velmora-form calibrate --help)\n"},
    };
    for (const Failing& row : rows) {
        const CommandRun run = calibrate(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(run.errors, row.error);
        EXPECT_TRUE(run.output.isEmpty());
    }
}
