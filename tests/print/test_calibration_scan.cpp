#include "CalibrationScans.h"

#include "print/CalibrationSheet.h"
#include "vision/CalibrationScan.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>

namespace {

std::string testName(const char* text)
{
    std::string name;
    for (const char c : std::string(text))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

ScanSetup fastScan()
{
    ScanSetup setup;
    setup.scanDpi = 150;
    return setup;
}

struct KnownScan {
    const char* name;
    Calibration truth;
    Calibration printedWith;
    double printerSkewDegrees;
    double glassSkewDegrees;
    double scanDpi;
    double blurSigmaPx;
    double noiseSigma;
};

const KnownScan kKnownScans[] = {
    {"defaults", {0, 0, 100, 100}, {}, 0, 0, 150, 0.8, 3},
    {"margins", {4.35, 2.8, 100, 100}, {}, 0, 0.4, 150, 0.8, 3},
    {"wide margins printed with a calibration", {5.9, 5.6, 100.2, 99.9}, {2, 3, 100, 100}, 0, -0.8, 150, 0.8, 3},
    {"scales", {1.5, 2.5, 101.35, 98.6}, {}, 0, 0.3, 150, 1.2, 5},
    {"scales printed with other scales", {1.5, 2.5, 99.2, 100.7}, {1, 1, 100.5, 99.5}, 0, 0.3, 200, 1.0, 4},
    {"skew clockwise", {3.1, 4.2, 100.4, 100.3}, {}, 2.0, 0, 150, 1.0, 4},
    {"skew anticlockwise on skewed glass", {2.2, 3.7, 99.7, 100.2}, {}, -2.0, 1.5, 150, 1.5, 6},
};

class CalibrationScanKnownValues : public ::testing::TestWithParam<KnownScan> {};

TEST_P(CalibrationScanKnownValues, GivesTheMarginsSizesAndSkewThePrinterPrintedWith)
{
    const KnownScan& row = GetParam();
    ScanSetup setup;
    setup.truth = row.truth;
    setup.printedWith = row.printedWith;
    setup.printerSkewDegrees = row.printerSkewDegrees;
    setup.glassSkewDegrees = row.glassSkewDegrees;
    setup.scanDpi = row.scanDpi;
    setup.blurSigmaPx = row.blurSigmaPx;
    setup.noiseSigma = row.noiseSigma;
    const CalibrationScanResult result =
        measureCalibrationScan(generatedScan(setup), row.printedWith, setup.paper);
    ASSERT_TRUE(result.measurement) << result.error;
    const CalibrationMeasurement& m = *result.measurement;
    EXPECT_NEAR(m.values.LinksEd, row.truth.LinksEd, 0.1);
    EXPECT_NEAR(m.values.ObenEd, row.truth.ObenEd, 0.1);
    EXPECT_NEAR(m.values.BreitEd, row.truth.BreitEd, row.truth.BreitEd * 0.0005);
    EXPECT_NEAR(m.values.HochEd, row.truth.HochEd, row.truth.HochEd * 0.0005);
    EXPECT_NEAR(m.skewDegrees, row.printerSkewDegrees, 0.02);
    EXPECT_FALSE(m.sidesDiffer);
    EXPECT_EQ(m.quarterTurns, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, CalibrationScanKnownValues, ::testing::ValuesIn(kKnownScans),
                         [](const auto& info) { return testName(info.param.name); });

struct ScanWithoutSheet {
    const char* name;
    ScanSetup::Content content;
    std::optional<PaperSize> paper;
    const char* message;
};

const ScanWithoutSheet kScansWithoutSheet[] = {
    {"empty glass", ScanSetup::Content::NoPaper, PaperSize{210, 297}, kNoSheetMessage},
    {"blank paper", ScanSetup::Content::BlankPaper, PaperSize{210, 297}, kNoMarksMessage},
    {"a page of text", ScanSetup::Content::TextPage, std::nullopt, kNoMarksMessage},
    {"the sheet on other paper than the printer's", ScanSetup::Content::Sheet, PaperSize{215.9, 355.6},
     kUnknownPaperMessage},
};

class CalibrationScanWithoutSheet : public ::testing::TestWithParam<ScanWithoutSheet> {};

TEST_P(CalibrationScanWithoutSheet, SaysWhatIsWrong)
{
    ScanSetup setup = fastScan();
    setup.content = GetParam().content;
    const CalibrationScanResult result = measureCalibrationScan(generatedScan(setup), {}, GetParam().paper);
    EXPECT_FALSE(result.measurement);
    EXPECT_EQ(result.error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Rows, CalibrationScanWithoutSheet, ::testing::ValuesIn(kScansWithoutSheet),
                         [](const auto& info) { return testName(info.param.name); });

TEST(CalibrationScanWithoutSheetFile, AnEmptyPictureSaysNoSheet)
{
    EXPECT_EQ(measureCalibrationScan(cv::Mat(), {}).error, kNoSheetMessage);
}

TEST(CalibrationScanLying, UpsideDownMeasuresTheSameAndSaysSo)
{
    ScanSetup setup = fastScan();
    setup.printerSkewDegrees = 0.7;
    const auto upright = measureCalibrationScan(generatedScan(setup), {});
    setup.upsideDown = true;
    const auto turned = measureCalibrationScan(generatedScan(setup), {});
    ASSERT_TRUE(upright.measurement) << upright.error;
    ASSERT_TRUE(turned.measurement) << turned.error;
    EXPECT_EQ(upright.measurement->quarterTurns, 0);
    EXPECT_EQ(turned.measurement->quarterTurns, 2);
    EXPECT_NEAR(turned.measurement->values.LinksEd, setup.truth.LinksEd, 0.1);
    EXPECT_NEAR(turned.measurement->values.ObenEd, setup.truth.ObenEd, 0.1);
    EXPECT_NEAR(turned.measurement->values.BreitEd, setup.truth.BreitEd, 0.05);
    EXPECT_NEAR(turned.measurement->values.HochEd, setup.truth.HochEd, 0.05);
    EXPECT_NEAR(turned.measurement->skewDegrees, 0.7, 0.02);
}

TEST(CalibrationScanLying, FindsThePaperSizeByItsProportions)
{
    ScanSetup setup = fastScan();
    setup.paper = {215.9, 279.4};
    const auto letter = measureCalibrationScan(generatedScan(setup), {});
    ASSERT_TRUE(letter.measurement) << letter.error;
    EXPECT_EQ(letter.measurement->paper, setup.paper);
    EXPECT_NEAR(letter.measurement->values.BreitEd, setup.truth.BreitEd, 0.05);
}

struct SideRow {
    const char* name;
    double bottomWidthFactor;
    bool differ;
};

const SideRow kSideRows[] = {
    {"even", 1, false},
    {"bottom wider by 0.05 %", 1.0005, false},
    {"bottom wider by 0.3 %", 1.003, true},
    {"bottom narrower by 0.3 %", 0.997, true},
};

class CalibrationScanSides : public ::testing::TestWithParam<SideRow> {};

TEST_P(CalibrationScanSides, SaysWhenTheTwoSidesScalesDiffer)
{
    ScanSetup setup = fastScan();
    setup.bottomWidthFactor = GetParam().bottomWidthFactor;
    const auto result = measureCalibrationScan(generatedScan(setup), {});
    ASSERT_TRUE(result.measurement) << result.error;
    EXPECT_EQ(result.measurement->sidesDiffer, GetParam().differ);
    const double expectedDifference = setup.truth.BreitEd * (GetParam().bottomWidthFactor - 1);
    EXPECT_NEAR(result.measurement->sides.bottom - result.measurement->sides.top, expectedDifference, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rows, CalibrationScanSides, ::testing::ValuesIn(kSideRows),
                         [](const auto& info) { return testName(info.param.name); });

struct DeviceRow {
    Calibration calibration;
    int dpi;
    QPointF paperMm;
    QPointF device;
};

// The placement's own numbers: 50 mm with LinksEd 4.2 and BreitEd 101.5 at 600 pixels per inch.
const DeviceRow kDeviceRows[] = {
    {{4.2, 0, 101.5, 100}, 600, {50, 0}, {(50 - 4.2) / 25.78094925 * 600, 0}},
    {{0, 0, 100, 100}, 300, {100, 100}, {100 / 25.39995 * 300, 100 / 25.39995 * 300}},
    {{1, 2, 100, 98}, 600, {1, 2}, {0, 0}},
};

TEST(CalibrationSheetPlacement, PutsPaperMillimetresWhereAFormPrintPutsThem)
{
    for (const DeviceRow& row : kDeviceRows) {
        const QPointF device = paperToDeviceTransform(row.calibration, row.dpi, row.dpi).map(row.paperMm);
        EXPECT_NEAR(device.x(), row.device.x(), 1e-6);
        EXPECT_NEAR(device.y(), row.device.y(), 1e-6);
    }
}

}  // namespace
