#include "platform/Dc.h"
#include "platform/Printer.h"
#include "platform/QtPrompts.h"
#include "support/ScriptedPrompts.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGBColor(255, 255, 255);
constexpr COLORREF kBlack = RGBColor(0, 0, 0);
constexpr COLORREF kRed = RGBColor(255, 0, 0);

// A packed DIB built by hand: header, colour table and bottom-up rows.
struct PackedDib {
    std::vector<uint8_t> header;
    std::vector<uint8_t> bits;
    int32_t rowSize = 0;
    const BITMAPINFOHEADER* info() const { return reinterpret_cast<const BITMAPINFOHEADER*>(header.data()); }

    PackedDib(int32_t width, int32_t height, int bitCount, std::vector<RGBQUAD> colors = {})
    {
        header.resize(sizeof(BITMAPINFOHEADER) + colors.size() * sizeof(RGBQUAD));
        BITMAPINFOHEADER h{};
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = uint16_t(bitCount);
        h.biClrUsed = uint32_t(colors.size());
        rowSize = ((width * bitCount + 31) / 32) * 4;
        h.biSizeImage = uint32_t(rowSize * height);
        std::memcpy(header.data(), &h, sizeof h);
        if (!colors.empty())
            std::memcpy(header.data() + sizeof h, colors.data(), colors.size() * sizeof(RGBQUAD));
        bits.assign(size_t(rowSize * height), 0);
    }
    // x from the left, y from the top.
    void set24(int32_t x, int32_t y, COLORREF c)
    {
        const int32_t height = info()->biHeight;
        uint8_t* p = bits.data() + (height - 1 - y) * rowSize + x * 3;
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
    }
    void set8(int32_t x, int32_t y, uint8_t index) { bits[size_t((info()->biHeight - 1 - y) * rowSize + x)] = index; }
};

struct Canvas {
    Bitmap bitmap;
    MemoryDc dc;
    Canvas(int32_t w, int32_t h, COLORREF fill = kWhite) : bitmap(w, h, 32, fill), dc(&bitmap) {}
    COLORREF at(int32_t x, int32_t y)
    {
        dc.GdiFlush();
        return bitmap.pixel(x, y);
    }
    // Pixels that differ from the background inside a rectangle.
    int inkIn(int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF background = kWhite)
    {
        dc.GdiFlush();
        int count = 0;
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
                count += bitmap.pixel(x, y) != background;
        return count;
    }
    // Leftmost and rightmost inked columns, or {-1, -1}.
    std::pair<int, int> inkColumns()
    {
        int first = -1;
        int last = -1;
        for (int32_t x = 0; x < bitmap.width(); ++x)
            if (inkIn(x, 0, x + 1, bitmap.height()) > 0) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }
    std::pair<int, int> inkRows()
    {
        int first = -1;
        int last = -1;
        for (int32_t y = 0; y < bitmap.height(); ++y)
            if (inkIn(0, y, bitmap.width(), y + 1) > 0) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return {first, last};
    }
};

// ----- DIB transfers --------------------------------------------------------------------------

TEST(DcTransfers, SetDIBitsToDeviceCopiesRowsTopDownWithColourTable)
{
    PackedDib dib(3, 2, 8, {{0, 0, 255, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}});
    dib.set8(0, 0, 0);  // top row: red, blue, green
    dib.set8(1, 0, 1);
    dib.set8(2, 0, 2);
    dib.set8(0, 1, 2);  // bottom row: green, red, red
    Canvas canvas(6, 5);
    EXPECT_EQ(canvas.dc.SetDIBitsToDevice(2, 1, 3, 2, 0, 0, 0, 2, dib.bits.data(), dib.info(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(canvas.at(2, 1), kRed);
    EXPECT_EQ(canvas.at(3, 1), RGBColor(0, 0, 255));
    EXPECT_EQ(canvas.at(4, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(canvas.at(2, 2), RGBColor(0, 255, 0));
    EXPECT_EQ(canvas.at(3, 2), kRed);
    EXPECT_EQ(canvas.at(1, 1), kWhite);
    EXPECT_EQ(canvas.at(2, 3), kWhite);
}

TEST(DcTransfers, OneRowCallsLandOnTheirOwnRows)
{
    PackedDib row(2, 1, 24);
    Canvas canvas(2, 4);
    for (int y = 0; y < 4; ++y) {
        row.set24(0, 0, RGBColor(uint8_t(y * 60), 10, 20));
        row.set24(1, 0, RGBColor(30, uint8_t(y * 60), 40));
        EXPECT_EQ(canvas.dc.SetDIBitsToDevice(0, y, 2, 1, 0, 0, 0, 1, row.bits.data(), row.info(), DIB_RGB_COLORS), 1);
    }
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(canvas.at(0, y), RGBColor(uint8_t(y * 60), 10, 20)) << y;
        EXPECT_EQ(canvas.at(1, y), RGBColor(30, uint8_t(y * 60), 40)) << y;
    }
}

TEST(DcTransfers, OneRowCallsKeepEveryPixelAtAnyWidthAndOverManyBatches)
{
    // Widths with rows of no padding up to three bytes of it; 700 x 100 rows take more than one
    // batch of rows before they reach the device.
    const struct {
        int32_t width, rows;
    } cases[] = {{4, 3}, {5, 3}, {6, 3}, {7, 3}, {700, 100}};
    const auto color = [](int32_t x, int32_t y) { return RGBColor(uint8_t(x * 7 + y), uint8_t(x * 3), uint8_t(y * 5)); };
    for (const auto& c : cases) {
        PackedDib row(c.width, 1, 24);
        Canvas canvas(c.width, c.rows);
        for (int32_t y = 0; y < c.rows; ++y) {
            for (int32_t x = 0; x < c.width; ++x)
                row.set24(x, 0, color(x, y));
            ASSERT_EQ(canvas.dc.SetDIBitsToDevice(0, y, uint32_t(c.width), 1, 0, 0, 0, 1, row.bits.data(), row.info(),
                                                  DIB_RGB_COLORS),
                      1);
        }
        int differences = 0;
        for (int32_t y = 0; y < c.rows; ++y)
            for (int32_t x = 0; x < c.width; ++x)
                differences += canvas.at(x, y) != color(x, y);
        EXPECT_EQ(differences, 0) << c.width;
    }
}

TEST(DcTransfers, StretchDIBitsScalesAndRefusesBadInput)
{
    PackedDib dib(2, 2, 24);
    dib.set24(0, 0, kRed);
    dib.set24(1, 0, RGBColor(0, 255, 0));
    dib.set24(0, 1, RGBColor(0, 0, 255));
    dib.set24(1, 1, kBlack);
    Canvas canvas(8, 8);
    canvas.dc.SetStretchBltMode(COLORONCOLOR);
    EXPECT_EQ(canvas.dc.StretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, dib.bits.data(), dib.info(), DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(canvas.at(0, 0), kRed);
    EXPECT_EQ(canvas.at(1, 1), kRed);
    EXPECT_EQ(canvas.at(3, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(canvas.at(0, 3), RGBColor(0, 0, 255));
    EXPECT_EQ(canvas.at(3, 3), kBlack);
    EXPECT_EQ(canvas.at(4, 4), kWhite);

    EXPECT_EQ(canvas.dc.StretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, nullptr, dib.info(), DIB_RGB_COLORS, SRCCOPY), GDI_ERROR);
    EXPECT_EQ(canvas.dc.StretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, dib.bits.data(), dib.info(), DIB_PAL_COLORS, SRCCOPY),
              GDI_ERROR);
}

TEST(DcTransfers, ShrinkingSamplesTheSourceNotAverages)
{
    PackedDib dib(4, 1, 24);
    for (int x = 0; x < 4; ++x)
        dib.set24(x, 0, x % 2 ? kBlack : kWhite);
    Canvas canvas(2, 1, kRed);
    canvas.dc.StretchDIBits(0, 0, 2, 1, 0, 0, 4, 1, dib.bits.data(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    for (int x = 0; x < 2; ++x)
        EXPECT_TRUE(canvas.at(x, 0) == kWhite || canvas.at(x, 0) == kBlack) << std::hex << canvas.at(x, 0);
}

TEST(DcTransfers, CompatibleBitmapSetDIBitsAndStretchBlt)
{
    PackedDib dib(2, 2, 24);
    dib.set24(0, 0, kRed);
    dib.set24(1, 0, RGBColor(0, 255, 0));
    dib.set24(0, 1, RGBColor(0, 0, 255));
    dib.set24(1, 1, RGBColor(9, 8, 7));
    Canvas canvas(4, 4);
    std::unique_ptr<Bitmap> bitmap = canvas.dc.CreateCompatibleBitmap(2, 2);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(canvas.dc.SetDIBits(*bitmap, 0, 2, dib.bits.data(), dib.info(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(bitmap->pixel(0, 0), kRed);
    EXPECT_EQ(bitmap->pixel(1, 1), RGBColor(9, 8, 7));

    std::unique_ptr<MemoryDc> memory = canvas.dc.CreateCompatibleDC();
    EXPECT_FALSE(canvas.dc.StretchBlt(0, 0, 4, 4, *memory, 0, 0, 2, 2, SRCCOPY)) << "nothing selected to copy from";
    memory->SelectBitmap(bitmap.get());
    EXPECT_TRUE(canvas.dc.StretchBlt(0, 0, 4, 4, *memory, 1, 0, 1, 2, SRCCOPY));
    EXPECT_EQ(canvas.at(0, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(canvas.at(3, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(canvas.at(3, 3), RGBColor(9, 8, 7));

    EXPECT_EQ(canvas.dc.CreateCompatibleBitmap(0, 5), nullptr);
}

TEST(DcTransfers, SixteenBitBitmapKeepsItsDepth)
{
    Bitmap bitmap(3, 3, 16);
    EXPECT_EQ(bitmap.bitsPerPixel(), 16);
    EXPECT_EQ(bitmap.image().format(), QImage::Format_RGB16);
    EXPECT_EQ(bitmap.pixel(1, 1), kWhite);
    MemoryDc dc(&bitmap);
    EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 16);
}

TEST(DcCaps, TechnologyResolutionAndPalette)
{
    Bitmap bitmap(10, 20, 32);
    MemoryDc screenLike(&bitmap);
    EXPECT_EQ(screenLike.GetDeviceCaps(TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_TRUE(screenLike.GetDeviceCaps(RASTERCAPS) & RC_DIBTODEV);
    EXPECT_EQ(screenLike.GetDeviceCaps(HORZRES), 10);
    EXPECT_EQ(screenLike.GetDeviceCaps(VERTRES), 20);
    MemoryDc printerLike(&bitmap, DT_RASPRINTER, 600, 300);
    EXPECT_EQ(printerLike.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(printerLike.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printerLike.GetDeviceCaps(LOGPIXELSY), 300);

    EXPECT_EQ(screenLike.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(screenLike.GetStretchBltMode(), COLORONCOLOR);
    auto* first = reinterpret_cast<HPALETTE>(0x10);
    auto* second = reinterpret_cast<HPALETTE>(0x20);
    EXPECT_EQ(screenLike.SelectPalette(first, false), nullptr);
    EXPECT_EQ(screenLike.SelectPalette(second, true), first);
    EXPECT_EQ(screenLike.SelectPalette(first, false), second);
}

// ----- Pens, brushes, clipping ----------------------------------------------------------------

TEST(DcLines, LineToStopsBeforeTheEndPoint)
{
    Canvas canvas(10, 3);
    canvas.dc.SelectPen({PS_SOLID, 1, kBlack});
    canvas.dc.MoveToEx(1, 1);
    canvas.dc.LineTo(6, 1);
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(canvas.at(x, 1), kBlack) << x;
    EXPECT_EQ(canvas.at(6, 1), kWhite);
    EXPECT_EQ(canvas.at(0, 1), kWhite);
    EXPECT_EQ(canvas.inkIn(0, 0, 10, 1) + canvas.inkIn(0, 2, 10, 3), 0);
}

TEST(DcLines, DottedPenRunsThreeOnThreeOffWithOpaqueGaps)
{
    Canvas canvas(14, 1, kRed);
    canvas.dc.SelectPen({PS_DOT, 1, kWhite});
    canvas.dc.SetBkMode(OPAQUE);
    canvas.dc.SetBkColor(kBlack);
    canvas.dc.MoveToEx(0, 0);
    canvas.dc.LineTo(13, 0);
    const COLORREF expected[13] = {kWhite, kWhite, kWhite, kBlack, kBlack, kBlack, kWhite,
                                   kWhite, kWhite, kBlack, kBlack, kBlack, kWhite};
    for (int x = 0; x < 13; ++x)
        EXPECT_EQ(canvas.at(x, 0), expected[x]) << x;
    EXPECT_EQ(canvas.at(13, 0), kRed);

    Canvas transparent(6, 1, kRed);
    transparent.dc.SelectPen({PS_DOT, 1, kWhite});
    transparent.dc.SetBkMode(TRANSPARENT);
    transparent.dc.MoveToEx(0, 0);
    transparent.dc.LineTo(6, 0);
    EXPECT_EQ(transparent.at(1, 0), kWhite);
    EXPECT_EQ(transparent.at(4, 0), kRed) << "gaps keep what lies below";
}

TEST(DcLines, XorPenInvertsAndRestoresUnderWhite)
{
    Canvas canvas(5, 5, RGBColor(10, 200, 30));
    canvas.dc.SelectPen({PS_SOLID, 1, kWhite});
    canvas.dc.SetROP2(R2_XORPEN);
    canvas.dc.MoveToEx(0, 0);
    canvas.dc.LineTo(5, 5);
    EXPECT_EQ(canvas.at(2, 2), RGBColor(245, 55, 225));
    EXPECT_EQ(canvas.at(2, 3), RGBColor(10, 200, 30));
    canvas.dc.MoveToEx(0, 0);
    canvas.dc.LineTo(5, 5);
    EXPECT_EQ(canvas.at(2, 2), RGBColor(10, 200, 30));
}

TEST(DcShapes, RectangleOutlinesWithPenAndFillsWithBrush)
{
    Canvas canvas(8, 8);
    canvas.dc.SelectPen({PS_SOLID, 1, kBlack});
    canvas.dc.SelectBrush({BS_SOLID, kRed});
    canvas.dc.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(canvas.at(1, 1), kBlack);
    EXPECT_EQ(canvas.at(5, 4), kBlack);
    EXPECT_EQ(canvas.at(5, 2), kBlack);
    EXPECT_EQ(canvas.at(3, 4), kBlack);
    EXPECT_EQ(canvas.at(2, 2), kRed);
    EXPECT_EQ(canvas.at(4, 3), kRed);
    EXPECT_EQ(canvas.at(6, 2), kWhite) << "right edge is exclusive";
    EXPECT_EQ(canvas.at(3, 5), kWhite) << "bottom edge is exclusive";
    EXPECT_EQ(canvas.inkIn(0, 0, 8, 8), 5 * 4);

    Canvas noPen(8, 8);
    noPen.dc.SelectPen({PS_NULL, 1, kBlack});
    noPen.dc.SelectBrush({BS_SOLID, kRed});
    noPen.dc.Rectangle(0, 0, 4, 4);
    EXPECT_EQ(noPen.inkIn(0, 0, 8, 8), 9);
}

TEST(DcClip, ExcludedRectanglesStayUntouchedUntilTheClipIsReset)
{
    Canvas canvas(10, 10);
    canvas.dc.ExcludeClipRect(2, 2, 5, 5);
    canvas.dc.FillRect({0, 0, 10, 10}, kBlack);
    EXPECT_EQ(canvas.at(3, 3), kWhite);
    EXPECT_EQ(canvas.at(1, 1), kBlack);
    EXPECT_EQ(canvas.at(5, 5), kBlack);
    EXPECT_EQ(canvas.inkIn(0, 0, 10, 10), 100 - 9);

    PackedDib dib(1, 1, 24);
    dib.set24(0, 0, kRed);
    canvas.dc.StretchDIBits(0, 0, 10, 10, 0, 0, 1, 1, dib.bits.data(), dib.info(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(canvas.at(3, 3), kWhite) << "transfers obey the clip too";
    EXPECT_EQ(canvas.at(8, 8), kRed);

    canvas.dc.SelectClipRgn(std::nullopt);
    canvas.dc.FillRect({0, 0, 10, 10}, kBlack);
    EXPECT_EQ(canvas.at(3, 3), kBlack);

    canvas.dc.IntersectClipRect(0, 0, 2, 2);
    canvas.dc.FillRect({0, 0, 10, 10}, kRed);
    EXPECT_EQ(canvas.at(1, 1), kRed);
    EXPECT_EQ(canvas.at(2, 2), kBlack);
}

TEST(DcColors, SystemColoursResolveToPlainColours)
{
    EXPECT_EQ(ResolveColor(RGBColor(1, 2, 3)), RGBColor(1, 2, 3));
    const COLORREF windowText = ResolveColor(kSysColorFlag | COLOR_WINDOWTEXT);
    EXPECT_EQ(windowText & kSysColorFlag, 0u);
    EXPECT_NE(windowText, ResolveColor(kSysColorFlag | COLOR_WINDOW));
}

// ----- Text ----------------------------------------------------------------------------------

DcFont bigFont()
{
    DcFont font;
    font.faceName = QStringLiteral("DejaVu Sans");
    font.height = -20;
    font.color = kBlack;
    return font;
}

struct TextCanvas : Canvas {
    TextCanvas(int32_t w, int32_t h) : Canvas(w, h)
    {
        dc.SelectFont(bigFont());
        dc.SetBkMode(TRANSPARENT);
    }
};

TEST(DcText, AlignmentPlacesTheLineLeftCentredOrRight)
{
    TextCanvas left(200, 40);
    const int width = left.dc.TextWidth(QStringLiteral("IIII"));
    ASSERT_GT(width, 8);
    left.dc.DrawText(QStringLiteral("IIII"), {0, 0, 200, 40}, DT_LEFT);
    auto [l0, l1] = left.inkColumns();
    EXPECT_GE(l0, 0);
    EXPECT_LT(l0, 6);
    EXPECT_LE(l1, width + 1);

    TextCanvas right(200, 40);
    right.dc.DrawText(QStringLiteral("IIII"), {0, 0, 200, 40}, DT_RIGHT);
    auto [r0, r1] = right.inkColumns();
    EXPECT_GT(r1, 193);
    EXPECT_GE(r0, 200 - width - 1);

    TextCanvas centre(200, 40);
    centre.dc.DrawText(QStringLiteral("IIII"), {0, 0, 200, 40}, DT_CENTER);
    auto [c0, c1] = centre.inkColumns();
    EXPECT_NEAR((c0 + c1) / 2.0, 100, 4);
}

TEST(DcText, TextStartsAtTheTopAndIsClippedToTheRectangle)
{
    TextCanvas canvas(200, 60);
    const int height = canvas.dc.DrawText(QStringLiteral("Hg"), {10, 5, 200, 60}, DT_LEFT);
    EXPECT_GE(height, 20);
    auto [top, bottom] = canvas.inkRows();
    EXPECT_GE(top, 5);
    EXPECT_LT(top, 5 + 8);
    EXPECT_LE(bottom, 5 + height);

    TextCanvas clipped(200, 60);
    clipped.dc.DrawText(QStringLiteral("WWWWWWWWWWWW"), {10, 10, 50, 20}, DT_LEFT);
    EXPECT_GT(clipped.inkIn(10, 10, 50, 20), 0);
    EXPECT_EQ(clipped.inkIn(50, 0, 200, 60), 0) << "nothing right of the rectangle";
    EXPECT_EQ(clipped.inkIn(0, 20, 200, 60), 0) << "nothing below the rectangle";
    EXPECT_EQ(clipped.inkIn(0, 0, 200, 10), 0) << "nothing above the rectangle";
}

TEST(DcText, WordBreakWrapsBetweenWordsOnlyWhenAsked)
{
    TextCanvas measure(10, 10);
    const int word = measure.dc.TextWidth(QStringLiteral("HHH"));
    const int lineHeight = measure.dc.GetTextExtentPoint32(QStringLiteral("H")).cy;
    const DcRect rect{0, 0, word + word / 2, 4 * lineHeight};

    TextCanvas wrapped(200, 4 * lineHeight);
    EXPECT_EQ(wrapped.dc.DrawText(QStringLiteral("HHH HHH"), rect, DT_LEFT | DT_WORDBREAK), 2 * lineHeight);
    EXPECT_GT(wrapped.inkIn(0, 0, rect.right, lineHeight), 0);
    EXPECT_GT(wrapped.inkIn(0, lineHeight, rect.right, 2 * lineHeight), 0);

    TextCanvas single(200, 4 * lineHeight);
    EXPECT_EQ(single.dc.DrawText(QStringLiteral("HHH HHH"), rect, DT_LEFT), lineHeight);
    EXPECT_EQ(single.inkIn(0, lineHeight, 200, 4 * lineHeight), 0);

    TextCanvas breaks(200, 4 * lineHeight);
    EXPECT_EQ(breaks.dc.DrawText(QStringLiteral("H\r\nH\nH"), {0, 0, 200, 4 * lineHeight}, DT_LEFT), 3 * lineHeight)
        << "the text's own line breaks always count";
    EXPECT_GT(breaks.inkIn(0, 2 * lineHeight, 200, 3 * lineHeight), 0);
}

TEST(DcText, AmpersandsPrefixUnderlineAndDouble)
{
    TextCanvas plain(200, 40);
    plain.dc.DrawText(QStringLiteral("A&B"), {0, 0, 200, 40}, DT_LEFT | DT_NOPREFIX);
    TextCanvas amp(200, 40);
    amp.dc.DrawText(QStringLiteral("A&&B"), {0, 0, 200, 40}, DT_LEFT);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(plain.bitmap.pixel(x, y), amp.bitmap.pixel(x, y)) << "\"&&\" draws one \"&\" at " << x << "," << y;

    TextCanvas bare(200, 40);
    bare.dc.DrawText(QStringLiteral("AB"), {0, 0, 200, 40}, DT_LEFT);
    TextCanvas underlined(200, 40);
    underlined.dc.DrawText(QStringLiteral("A&B"), {0, 0, 200, 40}, DT_LEFT);
    const int aWidth = bare.dc.TextWidth(QStringLiteral("A"));
    const int abWidth = bare.dc.TextWidth(QStringLiteral("AB"));
    int extra = 0;
    int extraUnderA = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (underlined.bitmap.pixel(x, y) != bare.bitmap.pixel(x, y)) {
                ++extra;
                if (x < aWidth - 1)
                    ++extraUnderA;
                EXPECT_LE(x, abWidth + 1);
            }
    EXPECT_GE(extra, abWidth - aWidth - 2) << "a line under B";
    EXPECT_EQ(extraUnderA, 0) << "nothing added under A";
}

TEST(DcText, FontHeightAndStyleChangeTheMetrics)
{
    Canvas canvas(10, 10);
    DcFont font = bigFont();
    canvas.dc.SelectFont(font);
    const DcSize small = canvas.dc.GetTextExtentPoint32(QStringLiteral("Wide text"));
    font.height = -40;
    canvas.dc.SelectFont(font);
    const DcSize large = canvas.dc.GetTextExtentPoint32(QStringLiteral("Wide text"));
    EXPECT_NEAR(double(large.cx) / small.cx, 2.0, 0.2);
    EXPECT_NEAR(double(large.cy) / small.cy, 2.0, 0.2);
    font.height = 40;  // cell height
    canvas.dc.SelectFont(font);
    EXPECT_NEAR(canvas.dc.GetTextExtentPoint32(QStringLiteral("W")).cy, 40, 2);
    font.height = -40;
    font.bold = true;
    canvas.dc.SelectFont(font);
    EXPECT_GT(canvas.dc.TextWidth(QStringLiteral("Wide text")), large.cx);
}

TEST(DcText, OpaqueBackgroundFillsBehindTheText)
{
    Canvas canvas(100, 40);
    canvas.dc.SelectFont(bigFont());
    canvas.dc.SetBkMode(OPAQUE);
    canvas.dc.SetBkColor(kRed);
    canvas.dc.DrawText(QStringLiteral("x"), {0, 0, 100, 40}, DT_LEFT);
    EXPECT_EQ(canvas.at(1, 1), kRed);
    EXPECT_EQ(canvas.at(90, 1), kWhite);
}

// A vector page that records, for each text it is given, whether a clip was on, and paints the
// text unclipped into an image so that a test can see where its ink really lands.
class VectorPageEngine : public QPaintEngine {
public:
    struct Text {
        QString text;
        bool clipped = false;
    };
    explicit VectorPageEngine(QSize size) : image(size, QImage::Format_RGB32)
    {
        image.fill(Qt::white);
        image.setDotsPerMeterX(kDotsPerMeter);
        image.setDotsPerMeterY(kDotsPerMeter);
    }
    static constexpr int kDotsPerMeter = 23622;  // 600 ppi

    bool begin(QPaintDevice*) override { return ink.begin(&image); }
    bool end() override { return ink.end(); }
    Type type() const override { return QPaintEngine::Pdf; }
    // A painter starts with clipping enabled and no clip: only a clip operation makes a clip.
    void updateState(const QPaintEngineState& state) override
    {
        clipped = state.isClipEnabled() && state.clipOperation() != Qt::NoClip;
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // Underlines come as polygons; the engine's default would call itself back.
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override { ink.drawPolygon(points, count); }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.push_back({item.text(), clipped});
        ink.setPen(Qt::black);
        ink.drawTextItem(p, item);
    }

    QImage image;
    QPainter ink;
    bool clipped = false;
    std::vector<Text> texts;
};

class VectorPage : public QPaintDevice {
public:
    explicit VectorPage(QSize size) : size_(size), engine_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    VectorPageEngine& engine() { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 6000;
        case PdmHeightMM: return size_.height() * 254 / 6000;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 600;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        case PdmDepth: return 32;
        default: return 1;
        }
    }

private:
    QSize size_;
    mutable VectorPageEngine engine_;
};

class VectorPageDc : public Dc {
public:
    explicit VectorPageDc(VectorPage& page) : page_(page), painter_(&page) {}
    ~VectorPageDc() override { endPainter(); painter_.end(); }
    QPainter* painter() override { return &painter_; }
    QPaintDevice* metricsDevice() override { return &page_; }
    QSize deviceSize() const override { return {page_.width(), page_.height()}; }

private:
    VectorPage& page_;
    QPainter painter_;
};

TEST(DcText, VectorPagesClipATextOnlyWhereItsInkCouldLeaveTheRectangle)
{
    struct Row {
        const char* what;
        QString text;
        DcRect rect;
        unsigned format = DT_LEFT;
        bool underline = false;
        std::optional<bool> clipped;  // unset where the font decides
        bool excludeFirst = false;    // the context has a clip of its own
    };
    const std::vector<Row> rows = {
        {.what = "short, left", .text = QStringLiteral("Harbour Bakery"), .rect = {100, 100, 1900, 300}, .clipped = false},
        {.what = "right-aligned", .text = QStringLiteral("148,50"), .rect = {100, 100, 1900, 300}, .format = DT_RIGHT, .clipped = false},
        {.what = "centred", .text = QStringLiteral("EUR"), .rect = {100, 100, 500, 300}, .format = DT_CENTER, .clipped = false},
        {.what = "two lines that fit", .text = QStringLiteral("Invoice 2024-117\nCatering"), .rect = {100, 100, 1900, 500},
         .format = DT_LEFT | DT_WORDBREAK, .clipped = false},
        {.what = "wider than the rectangle", .text = QStringLiteral("WWWWWWWWWWWWWWWW"), .rect = {100, 100, 600, 300}, .clipped = true},
        {.what = "second line past the bottom", .text = QStringLiteral("one\ntwo"), .rect = {100, 100, 1900, 230}, .clipped = true},
        {.what = "lower than the line", .text = QStringLiteral("Hg"), .rect = {100, 100, 1900, 160}, .clipped = true},
        {.what = "underlined font", .text = QStringLiteral("Harbour"), .rect = {100, 100, 1900, 300}, .underline = true, .clipped = true},
        {.what = "characters from another font", .text = QStringLiteral("\u65e5\u672c"), .rect = {100, 100, 1900, 300}, .clipped = true},
        {.what = "a tab", .text = QStringLiteral("a\tb"), .rect = {100, 100, 1900, 300}, .clipped = true},
        {.what = "the context's own clip", .text = QStringLiteral("Harbour"), .rect = {100, 100, 1900, 300}, .clipped = true,
         .excludeFirst = true},
        {.what = "accent over the top", .text = QStringLiteral("\u00c5lborg"), .rect = {100, 100, 1900, 300}, .clipped = std::nullopt},
        {.what = "left edge at the ink", .text = QStringLiteral("jWj"), .rect = {100, 100, 1900, 300}, .clipped = std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VectorPage page({2000, 600});
        {
            VectorPageDc dc(page);
            DcFont font;
            font.faceName = QStringLiteral("DejaVu Sans");
            font.height = -100;
            font.underline = row.underline;
            dc.SelectFont(font);
            dc.SetBkMode(TRANSPARENT);
            if (row.excludeFirst)
                dc.ExcludeClipRect(0, 0, 10, 10);
            dc.DrawText(row.text, row.rect, row.format);
        }
        const VectorPageEngine& engine = page.engine();
        ASSERT_FALSE(engine.texts.empty());
        for (const VectorPageEngine::Text& text : engine.texts) {
            if (row.clipped) {
                EXPECT_EQ(text.clipped, *row.clipped) << qPrintable(text.text);
            }
        }
        if (engine.texts.front().clipped)
            continue;
        int outside = 0;
        for (int y = 0; y < engine.image.height(); ++y)
            for (int x = 0; x < engine.image.width(); ++x)
                if (!(x >= row.rect.left && x < row.rect.right && y >= row.rect.top && y < row.rect.bottom))
                    outside += engine.image.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_EQ(outside, 0) << "unclipped ink outside the rectangle";
    }
}

// ----- Raster printer ------------------------------------------------------------------------

TEST(RasterPrinterPages, SixHundredByThreeHundredGivesPagesOfTheRightSize)
{
    QTemporaryDir dir;
    RasterPrinter printer(dir.path(), QStringLiteral("page"), 600, 300,
                          QPageSize(QSizeF(2.0, 3.0), QPageSize::Inch, QString(), QPageSize::ExactMatch));
    EXPECT_EQ(printer.pageWidth(), 1200);
    EXPECT_EQ(printer.pageHeight(), 900);
    EXPECT_EQ(printer.dc().GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(printer.dc().GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printer.dc().GetDeviceCaps(LOGPIXELSY), 300);
    printer.setTitle(QStringLiteral("Velmora test print"));
    EXPECT_EQ(printer.title(), QStringLiteral("Velmora test print"));

    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_FALSE(printer.BeginDoc()) << "one job at a time";
    printer.dc().FillRect({0, 0, 1, 1}, kBlack);
    printer.dc().FillRect({1199, 899, 1200, 900}, kRed);
    ASSERT_TRUE(printer.NewPage());
    printer.dc().FillRect({5, 5, 6, 6}, kBlack);
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_FALSE(printer.printing());

    ASSERT_EQ(printer.pageFiles().size(), 2);
    QImage first(printer.pageFiles()[0]);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(1200, 900));
    EXPECT_EQ(first.pixel(0, 0) & 0xFFFFFF, 0x000000u) << "device pixel (0, 0) is the page's first pixel";
    EXPECT_EQ(first.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(first.pixel(1199, 899) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NEAR(first.dotsPerMeterX() * 0.0254, 600, 1);
    EXPECT_NEAR(first.dotsPerMeterY() * 0.0254, 300, 1);
    QImage second(printer.pageFiles()[1]);
    EXPECT_EQ(second.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu) << "a new page starts white";
    EXPECT_EQ(second.pixel(5, 5) & 0xFFFFFF, 0x000000u);
}

TEST(RasterPrinterPages, LandscapeSwapsTheSidesAndNothingDrawsOutsideAJob)
{
    QTemporaryDir dir;
    RasterPrinter printer(dir.path(), QStringLiteral("l"), 100, 100,
                          QPageSize(QSizeF(2.0, 3.0), QPageSize::Inch, QString(), QPageSize::ExactMatch),
                          PageOrientation::Landscape);
    EXPECT_EQ(printer.orientation(), PageOrientation::Landscape);
    EXPECT_EQ(printer.pageWidth(), 300);
    EXPECT_EQ(printer.pageHeight(), 200);
    EXPECT_FALSE(printer.dc().FillRect({0, 0, 10, 10}, kBlack));
    EXPECT_GT(printer.dc().TextWidth(QStringLiteral("measured")), 0) << "text is measured outside a job";
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_TRUE(printer.pageFiles().isEmpty());
}

TEST(CurrentPrinter, TestsCanInstallTheirOwn)
{
    QTemporaryDir dir;
    auto raster = std::make_unique<RasterPrinter>(dir.path(), QStringLiteral("p"), 300, 300);
    Printer* installed = raster.get();
    std::unique_ptr<Printer> before = setCurrentPrinter(std::move(raster));
    EXPECT_EQ(&currentPrinter(), installed);
    std::unique_ptr<Printer> back = setCurrentPrinter(std::move(before));
    EXPECT_EQ(back.get(), installed);
}

TEST(PrinterDialogs, ScriptedAnswersInOrderAndCancelWhenNoneIsLeft)
{
    ScriptedPrompts prompts;
    prompts.queuePrinterDialog(true);
    EXPECT_TRUE(prompts.printDialog());
    EXPECT_FALSE(prompts.printerSetupDialog());
    ASSERT_EQ(prompts.printerDialogs().size(), 2u);
    EXPECT_EQ(prompts.printerDialogs()[0].kind, PrinterDialogKind::Print);
    EXPECT_TRUE(prompts.printerDialogs()[0].accepted);
    EXPECT_EQ(prompts.printerDialogs()[1].kind, PrinterDialogKind::Setup);
    EXPECT_FALSE(prompts.printerDialogs()[1].accepted);
    EXPECT_EQ(prompts.unusedAnswers(), 0);
}

TEST(PrinterDialogs, PageImagePrinterHasNothingToChoose)
{
    QTemporaryDir dir;
    std::unique_ptr<Printer> before =
        setCurrentPrinter(std::make_unique<RasterPrinter>(dir.path(), QStringLiteral("p"), 300, 300));
    QtPrompts prompts;
    EXPECT_TRUE(prompts.printDialog());
    EXPECT_TRUE(prompts.printerSetupDialog());
    setCurrentPrinter(std::move(before));
}

}  // namespace
