#include "CalibrationScans.h"
#include "PrintTestHost.h"

#include "document/FormDocument.h"
#include "print/CalibrationReport.h"
#include "print/CalibrationSheet.h"
#include "print/TKalForm.h"
#include "support/ScriptedPrompts.h"

#include <QDoubleSpinBox>
#include <QImage>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <opencv2/core.hpp>

#include <gtest/gtest.h>

namespace {

const QString kCaption = QStringLiteral("Measure from a scan");
const QString kPrintQuestion = QStringLiteral(
    "First the calibration sheet is printed with the values the boxes hold now. Print it now?\n\nChoose \"No\" when "
    "it is printed already with these values.");
const QString kScanQuestion = QStringLiteral(
    "Scan the printed sheet whole, with all four edges of the paper on a dark background (leave the scanner lid "
    "open or lay a dark sheet behind it). Scan it now?\n\nChoose \"No\" to open a picture file of the scan.");

class MeasureFromAScan : public ::testing::Test {
protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }

    // A scan saved as a picture file, answered to the questions as a user who has the sheet
    // printed already and opens the file.
    QString scanFile(const ScanSetup& setup)
    {
        const QString path = files.filePath(QStringLiteral("scan.png"));
        EXPECT_TRUE(grayImage(generatedScan(setup)).save(path));
        prompts.queueAnswer(MsgAnswer::No);
        prompts.queueAnswer(MsgAnswer::No);
        prompts.queueOpenFile(path);
        return path;
    }

    static ScanSetup sheet()
    {
        ScanSetup setup;
        setup.scanDpi = 150;
        setup.printerSkewDegrees = -0.4;
        return setup;
    }

    QTemporaryDir program;
    QTemporaryDir user;
    QTemporaryDir files;
    ScriptedPrompts prompts;
    RasterPrinterScope printer{files.path(), 150};
};

void expectBoxes(const TKalForm& form, const Calibration& expected, double tolerance)
{
    EXPECT_NEAR(form.LinksEd->value(), expected.LinksEd, tolerance);
    EXPECT_NEAR(form.ObenEd->value(), expected.ObenEd, tolerance);
    EXPECT_NEAR(form.BreitEd->value(), expected.BreitEd, tolerance);
    EXPECT_NEAR(form.HochEd->value(), expected.HochEd, tolerance);
}

}  // namespace

TEST_F(MeasureFromAScan, OkSetsTheMeasuredValuesAndCancelKeepsTheOldOnes)
{
    for (const MsgAnswer answer : {MsgAnswer::Ok, MsgAnswer::Cancel}) {
        TKalForm form(program.path() + "/", prompts, nullptr, user.path());
        EXPECT_EQ(form.MessBtn->text(), QStringLiteral("Measure from a scan..."));
        const ScanSetup setup = sheet();
        scanFile(setup);
        prompts.queueAnswer(answer);
        const int shownBefore = int(prompts.messages().size());
        form.MessBtn->click();

        ASSERT_EQ(int(prompts.messages().size()), shownBefore + 3);
        const ShownMessage& report = prompts.messages().back();
        EXPECT_EQ(prompts.messages()[size_t(shownBefore)].text, kPrintQuestion);
        EXPECT_EQ(prompts.messages()[size_t(shownBefore) + 1].text, kScanQuestion);
        EXPECT_EQ(report.caption, kCaption);
        EXPECT_EQ(report.buttons, MsgButtons::OkCancel);
        EXPECT_TRUE(report.text.startsWith(QStringLiteral("Measured from the scan:\n\nDistance from left side: 3.2")))
            << report.text.toStdString();
        EXPECT_TRUE(report.text.contains(QStringLiteral("(now 100.00 mm)")));
        EXPECT_TRUE(report.text.contains(QStringLiteral("The sheet lies 0.40° askew in the printer (anticlockwise).")))
            << report.text.toStdString();
        expectBoxes(form, answer == MsgAnswer::Ok ? setup.truth : Calibration{}, answer == MsgAnswer::Ok ? 0.06 : 0);
    }
}

TEST_F(MeasureFromAScan, AScanWithoutTheSheetSaysSoAndChangesNothing)
{
    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    ScanSetup setup = sheet();
    setup.content = ScanSetup::Content::NoPaper;
    scanFile(setup);
    form.MessBtn->click();
    ASSERT_FALSE(prompts.messages().empty());
    EXPECT_EQ(prompts.messages().back().text, QString::fromLatin1(kNoSheetMessage));
    EXPECT_EQ(prompts.messages().back().icon, MsgIcon::Warning);
    expectBoxes(form, Calibration{}, 0);
}

TEST_F(MeasureFromAScan, AnUnreadablePictureFileIsNamed)
{
    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    const QString path = files.filePath(QStringLiteral("broken.png"));
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    prompts.queueAnswer(MsgAnswer::No);
    prompts.queueAnswer(MsgAnswer::No);
    prompts.queueOpenFile(path);
    form.MessBtn->click();
    ASSERT_FALSE(prompts.messages().empty());
    EXPECT_EQ(prompts.messages().back().text, QStringLiteral("The picture file \"%1\" could not be read.").arg(path));
}

// A raster page is a printer without margins or scale error: whatever calibration the sheet was
// printed with, its scan measures the defaults.
TEST_F(MeasureFromAScan, ThePrintedSheetOfAPerfectPrinterMeasuresTheDefaults)
{
    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    const Calibration printedWith{1, 2, 100.5, 99.5};
    form.setCalibration(printedWith);
    prompts.queueAnswer(MsgAnswer::Yes);
    prompts.queueAnswer(MsgAnswer::No);
    prompts.queueOpenFile(std::nullopt);
    form.MessBtn->click();
    ASSERT_EQ(printer.printer().pageFiles().size(), 1);
    EXPECT_EQ(printer.printer().title(), QStringLiteral("Velmora calibration sheet"));

    const QImage page = QImage(printer.printer().pageFiles().front()).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(page.isNull());
    const int border = 60;
    cv::Mat scan(page.height() + 2 * border, page.width() + 2 * border, CV_8U, cv::Scalar(30));
    for (int y = 0; y < page.height(); ++y)
        std::copy_n(page.constScanLine(y), page.width(), scan.ptr<uint8_t>(y + border) + border);
    // The page is whole pixels of the paper; that, not A4's millimetres, is the paper here.
    const PaperSize paper{page.width() * MmPerInch / 150, page.height() * MmPerInch / 150};
    const CalibrationScanResult result = measureCalibrationScan(scan, printedWith, paper);
    ASSERT_TRUE(result.measurement) << result.error;
    EXPECT_NEAR(result.measurement->values.LinksEd, 0, 0.1);
    EXPECT_NEAR(result.measurement->values.ObenEd, 0, 0.1);
    EXPECT_NEAR(result.measurement->values.BreitEd, 100, 0.05);
    EXPECT_NEAR(result.measurement->values.HochEd, 100, 0.05);
}

struct ReportRow {
    const char* name;
    CalibrationMeasurement measurement;
    const char* text;
};

CalibrationMeasurement measured(Calibration values, double skew, SideScales sides, bool differ, int turns)
{
    CalibrationMeasurement m;
    m.values = values;
    m.skewDegrees = skew;
    m.sides = sides;
    m.sidesDiffer = differ;
    m.quarterTurns = turns;
    return m;
}

const ReportRow kReportRows[] = {
    {"straight",
     measured({3.214, 4.1, 100.617, 99.5}, 0.001, {}, false, 0),
     "Measured from the scan:\n\n"
     "Distance from left side: 3.21 mm (now 1.00 mm)\n"
     "Distance from top side: 4.10 mm (now 2.00 mm)\n"
     "Width of the rectangle: 100.62 mm (now 100.50 mm)\n"
     "Height of the rectangle: 99.50 mm (now 99.50 mm)\n\n"
     "The sheet lies straight in the printer.\n\n"
     "Set the measured values?"},
    {"askew, uneven and upside down",
     measured({0.5, 0.25, 101, 100}, 1.234, {100.9, 101.1, 100, 100.01}, true, 2),
     "Measured from the scan:\n\n"
     "Distance from left side: 0.50 mm (now 1.00 mm)\n"
     "Distance from top side: 0.25 mm (now 2.00 mm)\n"
     "Width of the rectangle: 101.00 mm (now 100.50 mm)\n"
     "Height of the rectangle: 100.00 mm (now 99.50 mm)\n\n"
     "The sheet lies 1.23° askew in the printer (clockwise).\n"
     "The scales of the two sides differ: across the top 100.90 mm, across the bottom 101.10 mm, down the left "
     "100.00 mm, down the right 100.01 mm. The printer feeds the paper unevenly; the values above are the averages.\n"
     "The sheet was scanned upside down; it was measured the right way up.\n\n"
     "Set the measured values?"},
    {"beyond the boxes",
     measured({6.5, 0, 100, 94.2}, -0.5, {}, false, 0),
     "Measured from the scan:\n\n"
     "Distance from left side: 6.50 mm (now 1.00 mm)\n"
     "Distance from top side: 0.00 mm (now 2.00 mm)\n"
     "Width of the rectangle: 100.00 mm (now 100.50 mm)\n"
     "Height of the rectangle: 94.20 mm (now 99.50 mm)\n\n"
     "The sheet lies 0.50° askew in the printer (anticlockwise).\n"
     "A measured value lies outside the range of its box and is set to the nearest value the box holds.\n\n"
     "Set the measured values?"},
};

TEST(CalibrationReport, ShowsTheMeasuredValuesBesideTheCurrentOnesWithTheNotes)
{
    for (const ReportRow& row : kReportRows)
        EXPECT_EQ(calibrationReport(row.measurement, {1, 2, 100.5, 99.5}).toStdString(), row.text) << row.name;
}
