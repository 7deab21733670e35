// Raising and lowering the colour depth: palettes, mappings and the dithering arithmetic.
#include "imageops/ColourDepth.h"
#include "imgrove/Palette.h"
#include "imgrove/StandardPalettes.h"

#include "RetouchTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

void setColors(Dib& dib, std::vector<Rgb> colors)
{
    std::vector<RGBQUAD> table;
    for (const Rgb& c : colors)
        table.push_back(RGBQUAD{c.blue, c.green, c.red, 0});
    dibSetColors(dib, table.data(), int(table.size()));
}

std::vector<int> entry(const Dib& dib, int index)
{
    const PALETTEENTRY& e = dib.logPalette.palPalEntry[index];
    return {e.peRed, e.peGreen, e.peBlue};
}

DepthDownChoice choice(bool optimized, bool windows, DepthFunction function) { return {optimized, windows, function}; }

// 5, 6, 7, 8, ...: shows which draw went to which channel.
RandomByte counter()
{
    return [n = 5]() mutable { return n++ & 255; };
}

}  // namespace

TEST(DepthUp, FourToEightKeepsIndexesAndFillsWithRandomMultiplesOfFour)
{
    DibOwner picture(pictureOf(5, 3, 4, [](int32_t x, int32_t y) { return uint32_t(x + 5 * y) & 15; }));
    std::vector<int> progress;
    DibOwner raised(DepthUpTo(picture.get(), 8, counter(), [&](int p) { progress.push_back(p); }));
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised.get().header->biBitCount, 8);
    EXPECT_EQ(pixelsOf(raised.get()), pixelsOf(picture.get()));
    EXPECT_EQ(entry(raised.get(), 15), entry(picture.get(), 15));
    EXPECT_EQ(entry(raised.get(), 16), (std::vector<int>{4, 4, 4}));     // 5, 6, 7
    EXPECT_EQ(entry(raised.get(), 17), (std::vector<int>{8, 8, 8}));     // 8, 9, 10
    EXPECT_EQ(entry(raised.get(), 18), (std::vector<int>{8, 12, 12}));   // 11, 12, 13
    EXPECT_EQ(progress, (std::vector<int>{0, 0, 50, 100, 0}));
}

TEST(DepthUp, OneBitKeepsItsOwnTwoColours)
{
    struct Row {
        int bits;
        Rgb zero, one;
        uint32_t setValue;
    };
    const Rgb black{0, 0, 0}, white{255, 255, 255}, navy{0, 0, 128}, cream{255, 251, 240};
    for (const Row& row : {Row{4, black, white, 15}, Row{8, black, white, 255}, Row{4, white, navy, 15},
                           Row{8, cream, navy, 255}}) {
        DibOwner picture(pictureOf(9, 2, 1, [](int32_t x, int32_t) { return uint32_t(x % 2); }));
        setColors(picture.get(), {row.zero, row.one});
        DibOwner raised(DepthUpTo(picture.get(), row.bits, counter()));
        EXPECT_EQ(getpixel(raised.get(), 0, 1), 0u);
        EXPECT_EQ(getpixel(raised.get(), 1, 1), row.setValue);
        EXPECT_EQ(entry(raised.get(), 0), (std::vector<int>{row.zero.red, row.zero.green, row.zero.blue}));
        EXPECT_EQ(entry(raised.get(), int(row.setValue)), (std::vector<int>{row.one.red, row.one.green, row.one.blue}));
        EXPECT_EQ(entry(raised.get(), 1), (std::vector<int>{4, 4, 4}));
    }
}

TEST(DepthUp, To24BitsTakesThePaletteColours)
{
    DibOwner oneBit(pictureOf(3, 1, 1, [](int32_t x, int32_t) { return uint32_t(x == 1); }));
    setColors(oneBit.get(), {{10, 20, 30}, {200, 100, 50}});
    DibOwner raised(DepthUpTo(oneBit.get(), 24));
    EXPECT_EQ(pixelsOf(raised.get()), (std::vector<uint32_t>{rgb(10, 20, 30), rgb(200, 100, 50), rgb(10, 20, 30)}));

    DibOwner eightBit(pictureOf(2, 1, 8, [](int32_t x, int32_t) { return uint32_t(x); }));
    setColors(eightBit.get(), {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(pixelsOf(DibOwner(DepthUpTo(eightBit.get(), 24)).get()), (std::vector<uint32_t>{rgb(1, 2, 3), rgb(4, 5, 6)}));
    EXPECT_FALSE(DibOwner(DepthUpTo(DibOwner(DepthUpTo(eightBit.get(), 24)).get(), 24)));
}

TEST(DepthDown, NearestColourToOneBit)
{
    DibOwner colour(pictureOf(2, 1, 24, [](int32_t x, int32_t) { return x == 0 ? rgb(128, 128, 127) : rgb(128, 128, 128); }));
    DibOwner fromColour(DepthDownTo(colour.get(), 1, choice(true, true, DepthFunction::Nearest)));
    EXPECT_EQ(pixelsOf(fromColour.get()), (std::vector<uint32_t>{0, 1}));

    // Weighted brightness of the palette colour: green 150, red 76.
    DibOwner indexed(pictureOf(2, 1, 8, [](int32_t x, int32_t) { return uint32_t(x); }));
    setColors(indexed.get(), {{0, 255, 0}, {255, 0, 0}});
    DibOwner fromIndexed(DepthDownTo(indexed.get(), 1, choice(true, true, DepthFunction::Nearest)));
    EXPECT_EQ(pixelsOf(fromIndexed.get()), (std::vector<uint32_t>{1, 0}));
}

TEST(DepthDown, OrderedDitheringUsesTheCubeMap)
{
    DibOwner picture(pictureOf(9, 9, 24, [](int32_t x, int32_t) { return x < 4 ? rgb(255, 255, 255) : rgb(51, 255, 0); }));
    DibOwner lowered(DepthDownTo(picture.get(), 8, choice(false, true, DepthFunction::Ordered)));
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 9; ++x)
            ASSERT_EQ(getpixel(lowered.get(), x, y), x < 4 ? 255u : 250u) << x << ", " << y;
    EXPECT_EQ(entry(lowered.get(), 100), (std::vector<int>{255, 0, 102}));
}

TEST(DepthDown, TheOptimizedPaletteWithWindowsColoursKeepsTheirEntries)
{
    DibOwner picture(pictureOf(8, 8, 24, [](int32_t x, int32_t) { return x < 6 ? rgb(255, 255, 255) : rgb(90, 30, 200); }));
    DibOwner lowered(DepthDownTo(picture.get(), 8, choice(true, true, DepthFunction::Nearest)));
    for (const int i : {0, 5, 9, 246, 250, 255}) {
        const StandardColor& c = kStandardPalette256[size_t(i)];
        EXPECT_EQ(entry(lowered.get(), i), (std::vector<int>{c.red, c.green, c.blue})) << i;
    }
    // The most frequent bin first, at its lower corner; then the next.
    EXPECT_EQ(entry(lowered.get(), 10), (std::vector<int>{240, 240, 240}));
    EXPECT_EQ(entry(lowered.get(), 11), (std::vector<int>{80, 16, 192}));
    EXPECT_EQ(getpixel(lowered.get(), 0, 0), 255u);
    EXPECT_EQ(getpixel(lowered.get(), 7, 0), 11u);
}

TEST(OptimizedPalette, CountsHalveWhenABinIsFull)
{
    // In storage order (bottom row first): 10 red, 65536 black, 6 green, the rest black. The
    // 65536th black halves every count, so red's 10 become 5 and the 6 later greens pass them.
    constexpr int32_t kWidth = 100;
    constexpr int32_t kHeight = 656;
    DibOwner picture(pictureOf(kWidth, kHeight, 24, [](int32_t x, int32_t y) {
        const int32_t i = (kHeight - 1 - y) * kWidth + x;
        if (i < 10)
            return rgb(255, 0, 0);
        if (i >= 10 + 65536 && i < 10 + 65536 + 6)
            return rgb(0, 255, 0);
        return rgb(0, 0, 0);
    }));
    const std::vector<Rgb> palette = BuildOptimizedPalette(picture.get(), 3, 4);
    ASSERT_EQ(palette.size(), 3u);
    EXPECT_EQ((std::vector<int>{palette[1].red, palette[1].green, palette[1].blue}), (std::vector<int>{0, 240, 0}));
    EXPECT_EQ((std::vector<int>{palette[2].red, palette[2].green, palette[2].blue}), (std::vector<int>{240, 0, 0}));
    // With a shift of 5 the corner is 224.
    EXPECT_EQ(BuildOptimizedPalette(picture.get(), 2, 5)[1].green, 224);
}

TEST(FloydSteinberg, ASmallCaseWorkedByHand)
{
    // 24 -> 1 bit, grey rows (100, 100, 100) and (60, 60, 200); every channel alike.
    // Row 0, left to right: 100 -> 0 (q 100); 100 + (700 + 8) / 16 = 144 -> 1 (q -111);
    //   100 + (-777 + 8) / 16 = 100 - 48 = 52 -> 0. Next-row cells: 167, -299, 149.
    // Row 1, right to left: 200 + (149 + 8) / 16 = 209 -> 1 (q -46, cell 1: -299 - 322 = -621);
    //   60 + (-621 + 8) / 16 = 60 - 38 = 22 -> 0 (q 22, cell 0: 167 + 154 = 321);
    //   60 + (321 + 8) / 16 = 80 -> 0.
    const uint32_t grey[2][3] = {{100, 100, 100}, {60, 60, 200}};
    DibOwner picture(pictureOf(3, 2, 24, [&grey](int32_t x, int32_t y) {
        const uint32_t v = grey[y][x];
        return rgb(v, v, v);
    }));
    DibOwner target(newdib(3, 2, 1, nullptr, 0));
    FloydSteinbergDither(picture.get(), target.get());
    EXPECT_EQ(pixelsOf(target.get()), (std::vector<uint32_t>{0, 1, 0, 0, 0, 1}));
}

TEST(DepthDown, FunctionsByTarget)
{
    // A mid grey: nearest colour gives one flat index, diffusion a pattern.
    DibOwner grey(pictureOf(16, 16, 24, [](int32_t, int32_t) { return rgb(100, 100, 100); }));
    const auto distinct = [](const Dib& dib) {
        std::vector<uint32_t> pixels = pixelsOf(dib);
        std::sort(pixels.begin(), pixels.end());
        return std::unique(pixels.begin(), pixels.end()) - pixels.begin();
    };
    struct Row {
        int bits;
        DepthFunction function;
        long expectedDistinct;
    };
    for (const Row& row : {Row{1, DepthFunction::Nearest, 1}, Row{1, DepthFunction::Ordered, 2},
                           Row{1, DepthFunction::FloydSteinberg, 2}, Row{4, DepthFunction::Ordered, 1},
                           Row{4, DepthFunction::FloydSteinberg, 2}, Row{8, DepthFunction::Nearest, 1}}) {
        DibOwner lowered(DepthDownTo(grey.get(), row.bits, choice(false, true, row.function)));
        ASSERT_TRUE(lowered);
        EXPECT_EQ(distinct(lowered.get()), row.expectedDistinct) << row.bits << " bits, function " << int(row.function);
    }
    EXPECT_FALSE(DibOwner(DepthDownTo(DibOwner(newdib(2, 2, 1, nullptr, 0)).get(), 1, choice(true, true, DepthFunction::Nearest))));
}

TEST(DepthDown, NearestColourOfABigPictureIsThePalettesOwnAnswer)
{
    // Large enough for the quick lookup; every pixel must still get GetNearestPaletteIndex's entry.
    DibOwner picture(pictureOf(256, 256, 24, [](int32_t x, int32_t y) { return rgb(x, y, (x * 7 + y * 3) & 255); }));
    for (const bool optimized : {false, true}) {
        DibOwner lowered(DepthDownTo(picture.get(), 8, choice(optimized, false, DepthFunction::Nearest)));
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 256; ++x)
                ASSERT_EQ(getpixel(lowered.get(), x, y), GetNearestPaletteIndex(lowered.get().palette, getpixel(picture.get(), x, y)))
                    << x << ", " << y << (optimized ? " optimized" : " default");
    }
}
