#include "picture/DrawDib.h"

#include "imgrove/Dib.h"
#include "platform/Printer.h"
#include "platform/Screen.h"
#include "platform/WidgetDc.h"
#include "support/ScriptedPrompts.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGBColor(255, 255, 255);
constexpr COLORREF kBlack = RGBColor(0, 0, 0);

// A memory context that records the transfers it is given and can refuse any of them.
class RecordingDc : public MemoryDc {
public:
    struct RowCall {
        int32_t x, y;
        uint32_t width, height, lines;
        const void* bits;
        std::vector<uint8_t> firstRow;
        HPALETTE palette;
    };
    struct StretchCall {
        int32_t x, y, w, h, sx, sy, sw, sh;
        const void* bits;
        int bitCount;
    };

    RecordingDc(Bitmap* bitmap, int technology = DT_RASDISPLAY) : MemoryDc(bitmap, technology) {}

    bool refuseStretch = false;
    bool refuseDibToDevice = false;
    bool withoutDibToDevice = false;
    bool refuseBitmap = false;
    bool refuseSetDIBits = false;
    bool refuseStretchBlt = false;
    std::vector<RowCall> rows;
    std::vector<StretchCall> stretches;
    int stretchBlts = 0;

    int GetDeviceCaps(int index) const override
    {
        const int caps = MemoryDc::GetDeviceCaps(index);
        return index == RASTERCAPS && withoutDibToDevice ? caps & ~RC_DIBTODEV : caps;
    }
    int StretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                      const void* bits, const BITMAPINFOHEADER* info, unsigned usage, uint32_t rop) override
    {
        stretches.push_back({x, y, w, h, sx, sy, sw, sh, bits, info->biBitCount});
        if (refuseStretch)
            return GDI_ERROR;
        return MemoryDc::StretchDIBits(x, y, w, h, sx, sy, sw, sh, bits, info, usage, rop);
    }
    int SetDIBitsToDevice(int32_t x, int32_t y, uint32_t w, uint32_t h, int32_t sx, int32_t sy, uint32_t start,
                          uint32_t lines, const void* bits, const BITMAPINFOHEADER* info, unsigned usage) override
    {
        const size_t rowBytes = size_t(w) * info->biBitCount / 8;
        const auto* bytes = static_cast<const uint8_t*>(bits);
        rows.push_back({x, y, w, h, lines, bits, std::vector<uint8_t>(bytes, bytes + rowBytes), currentPalette()});
        if (refuseDibToDevice)
            return 0;
        return MemoryDc::SetDIBitsToDevice(x, y, w, h, sx, sy, start, lines, bits, info, usage);
    }
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t w, int32_t h) override
    {
        return refuseBitmap ? nullptr : MemoryDc::CreateCompatibleBitmap(w, h);
    }
    int SetDIBits(Bitmap& bitmap, uint32_t start, uint32_t lines, const void* bits, const BITMAPINFOHEADER* info,
                  unsigned usage) override
    {
        return refuseSetDIBits ? 0 : MemoryDc::SetDIBits(bitmap, start, lines, bits, info, usage);
    }
    bool StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, Dc& src, int32_t sx, int32_t sy, int32_t sw,
                    int32_t sh, uint32_t rop) override
    {
        ++stretchBlts;
        return refuseStretchBlt ? false : MemoryDc::StretchBlt(x, y, w, h, src, sx, sy, sw, sh, rop);
    }
};

COLORREF asColor(uint32_t pixelValue) { return pixelValue & 0xFFFFFF; }

// A picture whose pixels all differ (as far as the depth allows), with a random colour table.
DibOwner makePicture(int32_t width, int32_t height, int bitCount, unsigned seed = 7)
{
    std::mt19937 random(seed);
    DibOwner owner;
    if (bitCount == 24) {
        owner.reset(newdib(width, height, 24, nullptr, 0));
    } else {
        const int colors = 1 << bitCount;
        std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + size_t(colors) * sizeof(RGBQUAD));
        auto* info = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biBitCount = uint16_t(bitCount);
        auto* table = reinterpret_cast<RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < colors; ++i)
            table[i] = {uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
        owner.reset(newdib(width, height, bitCount, info, colors));
    }
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(owner.get(), x, y, bitCount == 24 ? uint32_t(random()) & 0xFFFFFF : uint32_t(random()) % (1u << bitCount));
    return owner;
}

// The colour a picture shows at a pixel, as 0x00BBGGRR.
COLORREF pictureColor(const Dib& dib, int32_t x, int32_t y)
{
    const uint32_t value = getpixel(dib, x, y);
    if (DibBitCount(dib) == 24)
        return asColor(value);
    const RGBQUAD c = dibColors(dib)[value];
    return RGBColor(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

void expectCopy(const Bitmap& bitmap, const Dib& dib, const char* what)
{
    int differences = 0;
    for (int32_t y = 0; y < DibHeight(dib); ++y)
        for (int32_t x = 0; x < DibWidth(dib); ++x)
            differences += bitmap.pixel(x, y) != pictureColor(dib, x, y);
    EXPECT_EQ(differences, 0) << what;
}

class ScreenDepth {
public:
    explicit ScreenDepth(int bits) { setScreenBitsPerPixelOverride(bits); }
    ~ScreenDepth() { setScreenBitsPerPixelOverride(0); }
};

class Reporter {
public:
    Reporter() { before_ = setDrawDibReporter(nullptr), reportDrawDibThrough(prompts); }
    ~Reporter() { setDrawDibReporter(before_); }
    ScriptedPrompts prompts;

private:
    DrawDibReporter before_;
};

// ----- Accessors and clipping ----------------------------------------------------------------

TEST(DrawDibAccessors, ReadTheHeader)
{
    const int depths[] = {1, 4, 8, 24};
    const int32_t counts[] = {2, 16, 256, 16777216};
    for (int i = 0; i < 4; ++i) {
        DibOwner dib = makePicture(7, 5, depths[i]);
        EXPECT_EQ(DibWidth(dib.get()), 7);
        EXPECT_EQ(DibHeight(dib.get()), 5);
        EXPECT_EQ(DibBitCount(dib.get()), depths[i]);
        EXPECT_EQ(DibColorCount(dib.get()), counts[i]);
    }
}

TEST(DrawDibClipping, TenPixelsAboveMovesAndShrinksTheDestination)
{
    // Picture 100 x 200; the source starts 10 rows above it and covers it to the bottom.
    const DrawRects above = clipDrawRects({5, 7, 300, 420, 0, -10, 100, 210}, 100, 200);
    const int32_t kept = int32_t(std::nearbyint(420.0 * 200 / 210));
    EXPECT_EQ(above, (DrawRects{5, 7 + (420 - kept), 300, kept, 0, 0, 100, 200}));
    EXPECT_EQ(kept, 400);

    // Ending 10 rows below: destY stays, only the height shrinks.
    const DrawRects below = clipDrawRects({5, 7, 300, 420, 0, 0, 100, 210}, 100, 200);
    EXPECT_EQ(below, (DrawRects{5, 7, 300, 400, 0, 0, 100, 200}));
}

TEST(DrawDibClipping, RightAndLeftCutsKeepTheScaleAndRoundHalvesToEven)
{
    EXPECT_EQ(clipDrawRects({0, 0, 200, 50, 50, 0, 100, 10}, 100, 10), (DrawRects{0, 0, 100, 50, 50, 0, 50, 10}));
    EXPECT_EQ(clipDrawRects({10, 0, 90, 50, -20, 0, 120, 10}, 100, 10), (DrawRects{25, 0, 75, 50, 0, 0, 100, 10}));
    // 5 x 2 / 4 = 2.5 becomes 2, 7 x 2 / 4 = 3.5 becomes 4.
    EXPECT_EQ(clipDrawRects({0, 0, 5, 1, 0, 0, 4, 1}, 2, 1).destWidth, 2);
    EXPECT_EQ(clipDrawRects({0, 0, 7, 1, 0, 0, 4, 1}, 2, 1).destWidth, 4);
    EXPECT_EQ(clipDrawRects({0, 0, 1, 5, 0, -2, 1, 4}, 1, 10).destHeight, 2);
    EXPECT_EQ(clipDrawRects({0, 0, 1, 5, 0, -2, 1, 4}, 1, 10).destY, 3);
    // A picture inside the source rectangle is left alone.
    EXPECT_EQ(clipDrawRects({1, 2, 3, 4, 0, 0, 10, 10}, 10, 10), (DrawRects{1, 2, 3, 4, 0, 0, 10, 10}));
}

TEST(DrawDibClipping, SourceWhollyOutsideDrawsNothing)
{
    DibOwner dib = makePicture(10, 10, 24);
    Bitmap bitmap(20, 20, 32);
    RecordingDc dc(&bitmap);
    DrawDib(dc, 0, 0, 20, 20, dib.get(), 10, 0, 10, 10, true, SRCCOPY, false);
    DrawDib(dc, 0, 0, 20, 20, dib.get(), 0, -30, 10, 10, true, SRCCOPY, false);
    DrawDib(dc, 0, 0, 20, 20, dib.get(), 0, 0, 0, 10, true, SRCCOPY, false);
    EXPECT_TRUE(dc.rows.empty());
    EXPECT_TRUE(dc.stretches.empty());
    EXPECT_EQ(bitmap.pixel(5, 5), kWhite);
    EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
}

// ----- Choosing the way ---------------------------------------------------------------------

TEST(DrawDibWays, ChosenByDeviceDepthAndScreen)
{
    ScreenDepth deep(32);
    Bitmap bitmap(16, 16, 32);
    Bitmap page(16, 16, 32);
    RecordingDc screen(&bitmap);
    RecordingDc printer(&page, DT_RASPRINTER);
    DibOwner mono = makePicture(4, 4, 1), sixteen = makePicture(4, 4, 4), indexed = makePicture(4, 4, 8),
             rgb = makePicture(4, 4, 24);
    EXPECT_EQ(chooseDrawWay(screen, mono.get(), true, false), DrawWay::Plain);
    EXPECT_EQ(chooseDrawWay(screen, sixteen.get(), true, false), DrawWay::Plain);
    EXPECT_EQ(chooseDrawWay(screen, indexed.get(), true, false), DrawWay::Rows8);
    EXPECT_EQ(chooseDrawWay(screen, rgb.get(), true, false), DrawWay::Rows24);
    EXPECT_EQ(chooseDrawWay(printer, indexed.get(), false, false), DrawWay::Plain);
    EXPECT_EQ(chooseDrawWay(printer, rgb.get(), false, false), DrawWay::Plain);
    EXPECT_EQ(chooseDrawWay(screen, rgb.get(), true, true), DrawWay::PrinterBitmap);

    // What reaches the device: the plain way stretches once, the row ways send one row each.
    DrawDib(screen, 0, 0, 8, 6, sixteen.get(), 0, 0, 4, 4, true, SRCCOPY, false);
    EXPECT_EQ(screen.stretches.size(), 1u);
    EXPECT_TRUE(screen.rows.empty());
    DrawDib(screen, 0, 0, 8, 6, rgb.get(), 0, 0, 4, 4, true, SRCCOPY, false);
    EXPECT_EQ(screen.stretches.size(), 1u);
    EXPECT_EQ(screen.rows.size(), 6u);
    DrawDib(printer, 0, 0, 8, 6, rgb.get(), 0, 0, 4, 4, false, SRCCOPY, false);
    EXPECT_EQ(printer.stretches.size(), 1u);
    EXPECT_TRUE(printer.rows.empty());
}

TEST(DrawDibWays, HalftoneOnlyAtEightBitsOrFewerAndWhenAllowed)
{
    DibOwner rgb = makePicture(40, 40, 24), indexed = makePicture(4, 4, 8);
    Bitmap bitmap(40, 40, 32);
    RecordingDc screen(&bitmap);
    {
        ScreenDepth shallow(8);
        EXPECT_EQ(chooseDrawWay(screen, rgb.get(), true, false), DrawWay::Halftone);
        EXPECT_EQ(chooseDrawWay(screen, rgb.get(), false, false), DrawWay::Rows24);
        EXPECT_EQ(chooseDrawWay(screen, indexed.get(), true, false), DrawWay::Rows8);
    }
    {
        ScreenDepth four(4);
        EXPECT_EQ(chooseDrawWay(screen, rgb.get(), true, false), DrawWay::Halftone);
    }
    for (int depth : {16, 24, 32}) {
        ScreenDepth deep(depth);
        EXPECT_EQ(chooseDrawWay(screen, rgb.get(), true, false), DrawWay::Rows24) << depth;
    }
}

TEST(DrawDibWays, HalftoneShrinksAtDisplaySizeAndCopiesOneToOne)
{
    ScreenDepth shallow(8);
    DibOwner rgb(newdib(40, 40, 24, nullptr, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            setpixel(rgb.get(), x, y, 0x0000FF);  // pure red is a colour of the halftone palette
    Bitmap bitmap(40, 40, 32);
    RecordingDc dc(&bitmap);
    DrawDib(dc, 0, 0, 20, 10, rgb.get(), 20, 10, 20, 20, true, SRCCOPY, false);
    ASSERT_EQ(dc.stretches.size(), 1u);
    const RecordingDc::StretchCall& shrunk = dc.stretches[0];
    EXPECT_EQ(shrunk.bitCount, 8);
    EXPECT_NE(shrunk.bits, rgb.get().bits);
    // Copy of 40 x 20 (only the height shrinks): x = round(40 x 20 / 40) = 20, y from the bottom
    // = round(20 x 10 / 40) = 5.
    EXPECT_EQ((std::vector<int>{shrunk.sx, shrunk.sy, shrunk.sw, shrunk.sh}), (std::vector<int>{20, 5, 20, 10}));
    EXPECT_EQ(bitmap.pixel(5, 5), RGBColor(255, 0, 0));
    EXPECT_EQ(bitmap.pixel(25, 5), kWhite);

    DrawDib(dc, 0, 0, 80, 80, rgb.get(), 0, 0, 40, 40, true, SRCCOPY, false);
    ASSERT_EQ(dc.stretches.size(), 2u);
    EXPECT_EQ((std::vector<int>{dc.stretches[1].sx, dc.stretches[1].sy, dc.stretches[1].sw, dc.stretches[1].sh}),
              (std::vector<int>{0, 0, 40, 40}));
    EXPECT_EQ(dc.stretches[1].bitCount, 8);
}

// ----- Pixels of the row ways and the plain way ----------------------------------------------

TEST(DrawDibPixels, SameSizeGivesAPixelForPixelCopyInEveryWay)
{
    ScreenDepth deep(32);
    for (int depth : {1, 4, 8, 24}) {
        DibOwner dib = makePicture(37, 23, depth, unsigned(depth));
        Bitmap bitmap(37, 23, 32);
        MemoryDc dc(&bitmap);
        DrawDib(dc, 0, 0, 37, 23, dib.get(), 0, 0, 37, 23, true, SRCCOPY, false);
        expectCopy(bitmap, dib.get(), depth >= 8 ? "row way" : "plain way");
    }
    for (int depth : {8, 24}) {
        DibOwner dib = makePicture(37, 23, depth, unsigned(depth) + 1);
        Bitmap bitmap(37, 23, 32);
        MemoryDc printerPage(&bitmap, DT_RASPRINTER, 600, 600);
        DrawDib(printerPage, 0, 0, 37, 23, dib.get(), 0, 0, 37, 23, false, SRCCOPY, false);
        expectCopy(bitmap, dib.get(), "plain way on a printer");
    }
}

TEST(DrawDibPixels, RowWaysScaleByTheColumnAndRowMaps)
{
    DibOwner dib = makePicture(5, 3, 24);
    Bitmap bitmap(12, 7, 32);
    MemoryDc dc(&bitmap);
    DrawDibRows24(dc, 1, 1, 11, 6, dib.get(), 0, 0, 5, 3);
    for (int r = 0; r < 6; ++r)
        for (int i = 0; i < 11; ++i)
            ASSERT_EQ(bitmap.pixel(1 + i, 1 + r), pictureColor(dib.get(), 5 * i / 11, 3 * r / 6)) << i << "," << r;
    EXPECT_EQ(bitmap.pixel(0, 0), kWhite);

    DibOwner indexed = makePicture(5, 3, 8);
    Bitmap second(12, 7, 32);
    MemoryDc dc8(&second);
    DrawDibRows8(dc8, 0, 0, 3, 2, indexed.get(), 1, 1, 4, 2);
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(second.pixel(i, r), pictureColor(indexed.get(), 1 + 4 * i / 3, 1 + r));
}

TEST(DrawDibPixels, RepeatedSourceRowIsCopiedOnceAndSentAgain)
{
    DibOwner dib = makePicture(3, 2, 24);
    Bitmap bitmap(3, 6, 32);
    RecordingDc dc(&bitmap);
    DrawDib(dc, 0, 0, 3, 6, dib.get(), 0, 0, 3, 2, true, SRCCOPY, false);
    ASSERT_EQ(dc.rows.size(), 6u);
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(dc.rows[size_t(r)].y, r);
        EXPECT_EQ(dc.rows[size_t(r)].height, 1u);
        EXPECT_EQ(dc.rows[size_t(r)].bits, dc.rows[0].bits) << "one row buffer for the whole draw";
    }
    const auto& top = dc.rows[0].firstRow;
    EXPECT_EQ(dc.rows[1].firstRow, top);
    EXPECT_EQ(dc.rows[2].firstRow, top);
    EXPECT_NE(dc.rows[3].firstRow, top);
    EXPECT_EQ(dc.rows[4].firstRow, dc.rows[3].firstRow);
    EXPECT_EQ(top[0], uint8_t(getpixel(dib.get(), 0, 0) >> 16)) << "buffer bytes are blue, green, red";
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(bitmap.pixel(2, r), pictureColor(dib.get(), 2, r / 3));
}

TEST(DrawDibPixels, RowWaysMakeOnlyWhatLandsOnTheDevice)
{
    // A picture enlarged far beyond the device, as a form size of metres places it on a page:
    // 2 x 2 pixels over 2e9 x 2e9 device pixels, each picture pixel 1e9 across. The device's
    // 10 x 10 pixels see the four pixels' meeting point at (5, 5).
    constexpr int32_t kHuge = 2000000000;
    for (int depth : {8, 24}) {
        DibOwner dib = makePicture(2, 2, depth);
        Bitmap bitmap(10, 10, 32);
        MemoryDc dc(&bitmap);
        DrawDib(dc, 5 - kHuge / 2, 5 - kHuge / 2, kHuge, kHuge, dib.get(), 0, 0, 2, 2, false, SRCCOPY, false);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(bitmap.pixel(x, y), pictureColor(dib.get(), x / 5, y / 5)) << depth << ": " << x << "," << y;
    }
}

TEST(DrawDibPixels, RowsAndColumnsOutsideThePictureComeOutAsZero)
{
    DibOwner dib = makePicture(3, 2, 24);
    Bitmap bitmap(4, 6, 32);
    RecordingDc dc(&bitmap);
    // Two rows above the picture, two below; one column left of it.
    DrawDibRows24(dc, 0, 0, 4, 6, dib.get(), -1, -2, 4, 6);
    ASSERT_EQ(dc.rows.size(), 6u);
    for (int r : {0, 1, 4, 5}) {
        EXPECT_EQ(dc.rows[size_t(r)].firstRow, std::vector<uint8_t>(12, 0)) << r;
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bitmap.pixel(x, r), kBlack);
    }
    EXPECT_EQ(bitmap.pixel(0, 2), kBlack) << "a column left of the picture is never written";
    EXPECT_EQ(bitmap.pixel(1, 2), pictureColor(dib.get(), 0, 0));
    EXPECT_EQ(bitmap.pixel(3, 3), pictureColor(dib.get(), 2, 1));

    DibOwner indexed = makePicture(2, 2, 8);
    Bitmap second(2, 3, 32);
    MemoryDc dc8(&second);
    DrawDibRows8(dc8, 0, 0, 2, 3, indexed.get(), 0, 0, 2, 3);
    const RGBQUAD zero = dibColors(indexed.get())[0];
    for (int x = 0; x < 2; ++x)
        EXPECT_EQ(second.pixel(x, 2), RGBColor(zero.rgbRed, zero.rgbGreen, zero.rgbBlue)) << "index 0 below the picture";
    EXPECT_EQ(second.pixel(1, 1), pictureColor(indexed.get(), 1, 1));
}

TEST(DrawDibPixels, RowWaysUnderAClipOfManyRectanglesFetchOnlyWhatShows)
{
    // The canvas keeps the picture out of its fields: a clip with holes. Inside the clip the
    // pixels are the unclipped draw's, outside it nothing is touched, the rows sent cover exactly
    // the clip's part of the destination, and the clip is the same afterwards.
    constexpr COLORREF kMarker = RGBColor(0, 255, 0);
    struct Row {
        int depth;
        int32_t pictureWidth, pictureHeight, destX, destY, destWidth, destHeight;
        const char* what;
    };
    const Row rows[] = {
        {.depth = 24, .pictureWidth = 61, .pictureHeight = 47,
         .destX = 0, .destY = 0, .destWidth = 30, .destHeight = 23, .what = "shrunk"},
        {.depth = 24, .pictureWidth = 7, .pictureHeight = 5,
         .destX = -3, .destY = 2, .destWidth = 33, .destHeight = 19, .what = "enlarged, off the left edge"},
        {.depth = 8, .pictureWidth = 45, .pictureHeight = 31,
         .destX = 2, .destY = -4, .destWidth = 26, .destHeight = 27, .what = "indexed, off the top edge"},
    };
    QRegion clip(0, 0, 30, 24);
    clip -= QRegion(4, 3, 9, 5);
    clip -= QRegion(17, 3, 9, 5);
    clip -= QRegion(6, 12, 20, 6);
    for (const Row& row : rows) {
        DibOwner dib = makePicture(row.pictureWidth, row.pictureHeight, row.depth);
        Bitmap whole(30, 24, 32, kMarker);
        MemoryDc wholeDc(&whole);
        DrawDib(wholeDc, row.destX, row.destY, row.destWidth, row.destHeight, dib.get(), 0, 0, row.pictureWidth,
                row.pictureHeight, false, SRCCOPY, false);

        Bitmap clipped(30, 24, 32, kMarker);
        RecordingDc dc(&clipped);
        dc.SelectClipRgn(clip);
        DrawDib(dc, row.destX, row.destY, row.destWidth, row.destHeight, dib.get(), 0, 0, row.pictureWidth,
                row.pictureHeight, false, SRCCOPY, false);
        EXPECT_EQ(dc.clipRegion(), std::optional<QRegion>(clip)) << row.what;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(clipped.pixel(x, y), clip.contains(QPoint(x, y)) ? whole.pixel(x, y) : kMarker)
                    << row.what << ": " << x << "," << y;
        int64_t sent = 0;
        for (const RecordingDc::RowCall& call : dc.rows)
            sent += int64_t(call.width) * call.height;
        const QRegion shown = clip & QRect(std::max(0, row.destX), std::max(0, row.destY),
                                           std::min(30, row.destX + row.destWidth) - std::max(0, row.destX),
                                           std::min(24, row.destY + row.destHeight) - std::max(0, row.destY));
        int64_t area = 0;
        for (const QRect& r : shown)
            area += int64_t(r.width()) * r.height();
        EXPECT_EQ(sent, area) << row.what;
    }
}

TEST(DrawDibPixels, PictureWithPaletteIsSelectedDuringTheDrawOnly)
{
    DibOwner dib = makePicture(4, 4, 8);
    ASSERT_EQ(dib.get().paletteFlag, 1);
    ASSERT_NE(dib.get().palette, nullptr);
    Bitmap bitmap(4, 4, 32);
    RecordingDc dc(&bitmap);
    auto* before = reinterpret_cast<HPALETTE>(0x40);
    dc.SelectPalette(before, false);
    DrawDib(dc, 0, 0, 4, 4, dib.get(), 0, 0, 4, 4, true, SRCCOPY, false);
    ASSERT_FALSE(dc.rows.empty());
    EXPECT_EQ(dc.rows[0].palette, dib.get().palette);
    EXPECT_EQ(dc.currentPalette(), before);
}

TEST(DrawDibPixels, DrawsOnAWidgetThroughItsPaintEvent)
{
    class Box : public QWidget {
    public:
        const Dib* picture = nullptr;
        void paintEvent(QPaintEvent*) override
        {
            WidgetDc dc(this);
            DrawDib(dc, 0, 0, width(), height(), *picture, 0, 0, DibWidth(*picture), DibHeight(*picture), true,
                    SRCCOPY, false);
        }
    };
    ScreenDepth deep(32);
    DibOwner dib = makePicture(9, 7, 24);
    Box box;
    box.picture = &dib.get();
    box.resize(9, 7);
    QImage shot(9, 7, QImage::Format_RGB32);
    shot.fill(Qt::white);
    box.render(&shot);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const QRgb c = shot.pixel(x, y);
            ASSERT_EQ(RGBColor(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))), pictureColor(dib.get(), x, y));
        }
}

// ----- The printer-bitmap way ------------------------------------------------------------------

TEST(DrawDibPrinterBitmap, LandsOnThePrinterPageAtOneThirdResolution)
{
    QTemporaryDir dir;
    auto raster = std::make_unique<RasterPrinter>(dir.path(), QStringLiteral("bitmap"), 300, 300,
                                                  QPageSize(QSizeF(1, 1), QPageSize::Inch, QString(), QPageSize::ExactMatch));
    RasterPrinter* printer = raster.get();
    std::unique_ptr<Printer> before = setCurrentPrinter(std::move(raster));

    // One-pixel stripes: drawn directly they alternate; through the bitmap every third is kept.
    DibOwner stripes(newdib(300, 300, 24, nullptr, 0));
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            setpixel(stripes.get(), x, y, x % 2 ? 0x000000 : 0xFFFFFF);
    Bitmap memoryBitmap(300, 300, 32);
    MemoryDc memory(&memoryBitmap);
    ASSERT_TRUE(printer->BeginDoc());
    DrawDib(memory, 0, 0, 300, 300, stripes.get(), 0, 0, 300, 300, false, SRCCOPY, true);
    ASSERT_TRUE(printer->EndDoc());
    const std::unique_ptr<Printer> used = setCurrentPrinter(std::move(before));

    EXPECT_EQ(memoryBitmap.image().pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu) << "the memory bitmap stays untouched";
    ASSERT_EQ(printer->pageFiles().size(), 1);
    const QImage page(printer->pageFiles()[0]);
    ASSERT_EQ(page.size(), QSize(300, 300));
    int blackColumns = 0;
    for (int x = 0; x < 300; ++x) {
        EXPECT_EQ(page.pixel(x, 150), page.pixel(x - x % 3, 150)) << "runs of three at x " << x;
        blackColumns += (page.pixel(x, 150) & 0xFFFFFF) == 0;
    }
    EXPECT_GT(blackColumns, 0);
    EXPECT_LT(blackColumns, 300);
}

// ----- Fallbacks of the plain way ------------------------------------------------------------

TEST(DrawDibFallbacks, InMemoryScalingMeetsTheCornersWhenStretchingIsRefused)
{
    Reporter reporter;
    DibOwner dib = makePicture(4, 4, 24);
    Bitmap bitmap(9, 9, 32);
    RecordingDc printer(&bitmap, DT_RASPRINTER);
    printer.refuseStretch = true;
    DrawDib(printer, 1, 1, 7, 7, dib.get(), 0, 0, 4, 4, false, SRCCOPY, false);
    ASSERT_EQ(printer.rows.size(), 1u);
    EXPECT_EQ(printer.rows[0].lines, 7u);
    EXPECT_EQ(bitmap.pixel(1, 1), pictureColor(dib.get(), 0, 0));
    EXPECT_EQ(bitmap.pixel(7, 1), pictureColor(dib.get(), 3, 0));
    EXPECT_EQ(bitmap.pixel(1, 7), pictureColor(dib.get(), 0, 3));
    EXPECT_EQ(bitmap.pixel(7, 7), pictureColor(dib.get(), 3, 3));
    // Column x takes 3 x div 6, row y counted from the bottom takes 3 y div 6 from the bottom.
    EXPECT_EQ(bitmap.pixel(1 + 3, 7 - 1), pictureColor(dib.get(), 1, 3));
    EXPECT_EQ(bitmap.pixel(8, 8), kWhite);
    EXPECT_TRUE(reporter.prompts.messages().empty());
    EXPECT_EQ(printer.stretchBlts, 0);
}

TEST(DrawDibFallbacks, OnePixelDestinationsDoNotFail)
{
    Reporter reporter;
    DibOwner dib = makePicture(4, 4, 4);
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{5, 1}}) {
        Bitmap bitmap(6, 6, 32);
        RecordingDc printer(&bitmap, DT_RASPRINTER);
        printer.refuseStretch = true;
        DrawDib(printer, 0, 0, w, h, dib.get(), 0, 0, 4, 4, false, SRCCOPY, false);
        ASSERT_EQ(printer.rows.size(), 1u);
        // A single sample takes the middle of the span: column 1, row 1 from the bottom.
        if (w == 1) {
            EXPECT_EQ(bitmap.pixel(0, h - 1), pictureColor(dib.get(), 1, h == 1 ? 2 : 3));
        }
        if (h == 1) {
            EXPECT_EQ(bitmap.pixel(w - 1, 0), pictureColor(dib.get(), w == 1 ? 1 : 3, 2));
        }
        EXPECT_EQ(bitmap.pixel(w, h), kWhite);
    }
    EXPECT_TRUE(reporter.prompts.messages().empty());
}

TEST(DrawDibFallbacks, CompatibleBitmapPathWithoutDibToDevice)
{
    Reporter reporter;
    DibOwner dib = makePicture(4, 4, 8);
    Bitmap bitmap(8, 8, 32);
    RecordingDc printer(&bitmap, DT_RASPRINTER);
    printer.refuseStretch = true;
    printer.withoutDibToDevice = true;
    DrawDib(printer, 0, 0, 8, 8, dib.get(), 0, 0, 4, 4, false, SRCCOPY, false);
    EXPECT_TRUE(printer.rows.empty());
    EXPECT_EQ(printer.stretchBlts, 1);
    EXPECT_EQ(bitmap.pixel(0, 0), pictureColor(dib.get(), 0, 0));
    EXPECT_EQ(bitmap.pixel(7, 7), pictureColor(dib.get(), 3, 3));
    EXPECT_TRUE(reporter.prompts.messages().empty());

    // A device that refuses the in-memory copy goes on to the bitmap as well.
    Bitmap second(8, 8, 32);
    RecordingDc refusing(&second, DT_RASPRINTER);
    refusing.refuseStretch = true;
    refusing.refuseDibToDevice = true;
    DrawDib(refusing, 0, 0, 4, 4, dib.get(), 0, 0, 4, 4, false, SRCCOPY, false);
    EXPECT_EQ(refusing.rows.size(), 1u);
    EXPECT_EQ(refusing.stretchBlts, 1);
    EXPECT_EQ(second.pixel(3, 3), pictureColor(dib.get(), 3, 3));
}

TEST(DrawDibFallbacks, MessagesWhenNothingWorks)
{
    DibOwner dib = makePicture(4, 4, 24);
    Bitmap bitmap(8, 8, 32);
    struct Case {
        bool noBitmap, noSetDIBits, noStretchBlt;
        const char* text;
    };
    for (const Case& c : {Case{true, false, false, "Can not create bitmap."},
                          Case{false, true, false, "Function is not supported."},
                          Case{false, false, true, "Function is not supported."}}) {
        Reporter reporter;
        RecordingDc printer(&bitmap, DT_RASPRINTER);
        printer.refuseStretch = true;
        printer.withoutDibToDevice = true;
        printer.refuseBitmap = c.noBitmap;
        printer.refuseSetDIBits = c.noSetDIBits;
        printer.refuseStretchBlt = c.noStretchBlt;
        DrawDib(printer, 0, 0, 8, 8, dib.get(), 0, 0, 4, 4, false, SRCCOPY, false);
        ASSERT_EQ(reporter.prompts.messages().size(), 1u) << c.text;
        const ShownMessage& shown = reporter.prompts.messages()[0];
        EXPECT_EQ(shown.text, QString::fromLatin1(c.text));
        EXPECT_TRUE(shown.caption.isEmpty());
        EXPECT_EQ(shown.icon, MsgIcon::None);
        EXPECT_EQ(shown.buttons, MsgButtons::Ok);
        EXPECT_EQ(printer.stretchBlts, c.noBitmap || c.noSetDIBits ? 0 : 1);
        EXPECT_EQ(bitmap.pixel(2, 2), kWhite);
    }
}

}  // namespace
