#include "TestScanners.h"

#include "imgrove/Dib.h"
#include "scanlink2/SaneSession.h"
#include "scanlink2/ScanDevice.h"
#include "scanlink2/ScanJob.h"

#include <sane/sane.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Pixel {
    int32_t x;
    int32_t y;
    uint32_t value;
};

struct PictureCase {
    const char* name;
    ScanSettings settings;
    int32_t width;
    int32_t height;
    int bitsPerPixel;
    std::vector<Pixel> pixels;
};

ScanSettings settings(ScanMode mode, double ppi, double widthMm, double heightMm, const char* picture,
                      int depth = 0, bool threePass = false)
{
    ScanSettings s;
    s.mode = mode;
    s.resolution = ppi;
    s.widthMm = widthMm;
    s.heightMm = heightMm;
    s.depth = depth;
    s.deviceOptions = plainScanner({{"test-picture", picture}, {"three-pass", threePass ? "yes" : "no"}});
    return s;
}

// The virtual hand scanner is 110 mm wide and tells its height only by ending.
ScanSettings handScanner()
{
    ScanSettings s = settings(ScanMode::Gray, 75, 40, 35, "Grid");
    s.deviceOptions.push_back({"hand-scanner", "yes"});
    return s;
}

class ScanPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useTestScanners();
        int status = -1;
        device = ScanDevice::open("test:0", status);
        ASSERT_TRUE(device) << status;
    }

    // Runs one scan to its end on the worker thread.
    ScanResult scan(const ScanSettings& s, std::vector<int>* progress = nullptr)
    {
        EXPECT_EQ(device->apply(s), SANE_STATUS_GOOD);
        ScanResult outcome;
        ScanJob job(
            *device, [progress](int percent) { if (progress) progress->push_back(percent); },
            [&outcome](ScanResult& result) { outcome = std::move(result); });
        job.wait();
        return outcome;
    }

    std::unique_ptr<ScanDevice> device;
};

// The virtual scanner's pictures: a grid of 10 mm squares starting white at the top left, and a
// colour pattern of rows of single-channel ramps on grey 0x55.
TEST_F(ScanPictureTest, FramesArriveAsPicturesOfTheirModeSizeAndPattern)
{
    const std::vector<PictureCase> cases = {
        {"grey 8 bits, 40 x 35 mm at 75 ppi", settings(ScanMode::Gray, 75, 40, 35, "Grid"), 118, 103, 8,
         {{15, 15, 255}, {45, 15, 0}, {15, 45, 0}, {45, 45, 255}, {15, 102, 0}}},
        {"line art", settings(ScanMode::LineArt, 75, 40, 35, "Grid"), 118, 103, 1,
         {{15, 15, 1}, {45, 15, 0}, {15, 45, 0}, {45, 45, 1}, {15, 102, 0}}},
        {"colour 8 bits", settings(ScanMode::Color, 10, 200, 200, "Color pattern"), 78, 78, 24,
         {{0, 0, 0x555555}, {6, 8, 0x0000fe}, {6, 16, 0x00fe00}, {6, 28, 0xfe0000}, {12, 4, 0x000002}}},
        {"colour in three passes", settings(ScanMode::Color, 10, 200, 200, "Color pattern", 8, true), 78, 78, 24,
         {{0, 0, 0x555555}, {6, 8, 0x0000fe}, {6, 16, 0x00fe00}, {6, 28, 0xfe0000}, {12, 4, 0x000002}}},
        // 16-bit samples keep their high byte: 0x0204 becomes 0x02.
        {"hand scanner, height unknown until the end", handScanner(), 324, 501, 8, {{15, 15, 255}, {45, 15, 0}}},
        {"grey 16 bits", settings(ScanMode::Gray, 10, 200, 200, "Color pattern", 16), 78, 78, 8,
         {{0, 0, 0x55}, {6, 4, 0x02}, {12, 4, 0x08}, {6, 8, 0x02}}},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> progress;
        ScanResult result = scan(c.settings, &progress);
        ASSERT_EQ(result.status, SANE_STATUS_GOOD);
        ASSERT_TRUE(result.picture);
        const Dib& dib = result.picture.get();
        EXPECT_EQ(dib.header->biWidth, c.width);
        EXPECT_EQ(dib.header->biHeight, c.height);
        EXPECT_EQ(dib.header->biBitCount, c.bitsPerPixel);
        // Pixels per metre of the resolution, rounded.
        EXPECT_EQ(dib.header->biXPelsPerMeter, c.settings.resolution == 75 ? 2953 : 394);
        EXPECT_EQ(dib.header->biYPelsPerMeter, dib.header->biXPelsPerMeter);
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(getpixel(dib, p.x, p.y), p.value) << p.x << "," << p.y;
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.front(), 0);
        EXPECT_EQ(progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    }
}

TEST_F(ScanPictureTest, PicturesAreStoredBottomUpWithTheirColours)
{
    ScanResult grey = scan(settings(ScanMode::Gray, 75, 40, 35, "Grid"));
    ASSERT_TRUE(grey.picture);
    const Dib& dib = grey.picture.get();
    // The top row's square at x 15 is white, the bottom row's black; the bottom row comes first.
    EXPECT_EQ(dib.bits[15], 0);
    EXPECT_EQ(dib.bits[size_t(dib.header->biHeight - 1) * size_t(dib.rowSize) + 15], 255);
    const RGBQUAD grey128 = dibColors(dib)[128];
    EXPECT_EQ(std::vector<int>({grey128.rgbRed, grey128.rgbGreen, grey128.rgbBlue}), std::vector<int>({128, 128, 128}));

    ScanResult lineArt = scan(settings(ScanMode::LineArt, 75, 40, 35, "Grid"));
    ASSERT_TRUE(lineArt.picture);
    EXPECT_EQ(dibColors(lineArt.picture.get())[0].rgbRed, 0);
    EXPECT_EQ(dibColors(lineArt.picture.get())[1].rgbRed, 255);
}

// The problems a scanner reports end the scan with no picture and their own words.
TEST_F(ScanPictureTest, ScannerProblemsGiveNoPictureAndTheirMessage)
{
    const struct {
        const char* returnValue;
        int status;
        const char* text;
    } cases[] = {
        {"SANE_STATUS_DEVICE_BUSY", SANE_STATUS_DEVICE_BUSY, "The scanner is busy. Wait until it is free, then scan again."},
        {"SANE_STATUS_JAMMED", SANE_STATUS_JAMMED, "The paper is jammed in the scanner. Remove it, then scan again."},
        {"SANE_STATUS_NO_DOCS", SANE_STATUS_NO_DOCS, "There is no paper in the scanner's document feeder."},
        {"SANE_STATUS_COVER_OPEN", SANE_STATUS_COVER_OPEN, "The scanner's cover is open. Close it, then scan again."},
        {"SANE_STATUS_IO_ERROR", SANE_STATUS_IO_ERROR,
         "The scanner does not answer (input/output error). Check its cable and power."},
        {"SANE_STATUS_INVAL", SANE_STATUS_INVAL, "The scan failed: Invalid argument."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.returnValue);
        ScanSettings s = settings(ScanMode::Gray, 75, 40, 35, "Grid");
        s.deviceOptions.push_back({"read-return-value", c.returnValue});
        ScanResult result = scan(s);
        EXPECT_EQ(result.status, c.status);
        EXPECT_FALSE(result.picture);
        EXPECT_EQ(scanStatusText(result.status), c.text);
    }
    // The scanner is free again afterwards.
    EXPECT_TRUE(scan(settings(ScanMode::Gray, 75, 40, 35, "Grid")).picture);
}

TEST_F(ScanPictureTest, TheDeviceOffersItsModesResolutionsSourcesAndArea)
{
    const ScanCapabilities caps = device->capabilities();
    EXPECT_EQ(caps.modes, (std::vector<ScanMode>{ScanMode::Color, ScanMode::Gray, ScanMode::LineArt}));
    EXPECT_TRUE(caps.resolutions.empty());
    EXPECT_EQ(caps.minResolution, 1);
    EXPECT_EQ(caps.maxResolution, 1200);
    EXPECT_EQ(caps.sources, (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
    // tests/data/sane/test.conf lets the virtual glass reach 300 mm.
    EXPECT_EQ(caps.maxWidthMm, 300);
    EXPECT_EQ(caps.maxHeightMm, 300);
}

}  // namespace
