#include "imgrove/Dib.h"
#include "imgrove/Palette.h"
#include "imgrove/StandardPalettes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

TEST(DibRecord, HeaderTableAndRowsAreLaidOutLikeABitmap)
{
    DibOwner owner(newdib(33, 5, 1, nullptr, 0));
    const Dib& dib = owner.get();
    ASSERT_NE(dib.bits, nullptr);
    EXPECT_EQ(dib.header->biSize, 40u);
    EXPECT_EQ(dib.header->biWidth, 33);
    EXPECT_EQ(dib.header->biHeight, 5);
    EXPECT_EQ(dib.header->biBitCount, 1);
    EXPECT_EQ(dib.rowSize, 8);  // 33 bits need 5 bytes, padded to 8
    EXPECT_EQ(dib.header->biSizeImage, 40u);
    EXPECT_NE(dib.hasPicture, 0);
    EXPECT_EQ(dib.paletteFlag, 1);
    // The colour table follows the 40-byte header directly.
    EXPECT_EQ(reinterpret_cast<uint8_t*>(dibColors(dib)), reinterpret_cast<uint8_t*>(dib.header) + 40);
    EXPECT_EQ(dibColors(dib)[0].rgbRed, 0);
    EXPECT_EQ(dibColors(dib)[1].rgbRed, 255);
    EXPECT_EQ(dibColors(dib)[1].rgbGreen, 255);
    EXPECT_EQ(dibColors(dib)[1].rgbBlue, 255);
    EXPECT_EQ(dib.logPalette.palNumEntries, 2);
    EXPECT_EQ(dib.logPalette.palPalEntry[1].peBlue, 255);
    ASSERT_NE(dib.palette, nullptr);
    EXPECT_EQ(dib.palette->size(), 2);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(dib.bits[i], 0) << "byte " << i;
}

TEST(DibRecord, RowSizesArePaddedToFourBytes)
{
    EXPECT_EQ(dibRowSize(1, 1), 4);
    EXPECT_EQ(dibRowSize(32, 1), 4);
    EXPECT_EQ(dibRowSize(33, 1), 8);
    EXPECT_EQ(dibRowSize(7, 4), 4);
    EXPECT_EQ(dibRowSize(9, 4), 8);
    EXPECT_EQ(dibRowSize(5, 8), 8);
    EXPECT_EQ(dibRowSize(3, 24), 12);
    EXPECT_EQ(dibRowSize(5, 24), 16);
    EXPECT_EQ(dibRowSize(INT32_MAX, 24), 0);
    EXPECT_EQ(dibRowSize(0, 8), 0);
    EXPECT_EQ(dibRowSize(10, 16), 0);
    EXPECT_EQ(dibTableSize(1), 2);
    EXPECT_EQ(dibTableSize(4), 16);
    EXPECT_EQ(dibTableSize(8), 256);
    EXPECT_EQ(dibTableSize(24), 0);
}

TEST(DibRecord, DefaultColoursOfEachDepth)
{
    DibOwner four(newdib(2, 2, 4, nullptr, 0));
    DibOwner eight(newdib(2, 2, 8, nullptr, 0));
    DibOwner deep(newdib(2, 2, 24, nullptr, 0));
    ASSERT_TRUE(four && eight && deep);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(dibColors(four.get())[i].rgbRed, kStandardPalette16[i].red);
        EXPECT_EQ(dibColors(four.get())[i].rgbBlue, kStandardPalette16[i].blue);
        EXPECT_EQ(four.get().logPalette.palPalEntry[i].peGreen, kStandardPalette16[i].green);
    }
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(dibColors(eight.get())[i].rgbGreen, kStandardPalette256[i].green);
    EXPECT_EQ(four.get().logPalette.palNumEntries, 16);
    EXPECT_EQ(eight.get().logPalette.palNumEntries, 256);
    EXPECT_EQ(deep.get().paletteFlag, 0);
    EXPECT_EQ(deep.get().header->biClrUsed, 0u);
    ASSERT_NE(deep.get().palette, nullptr);
    EXPECT_EQ(deep.get().palette->size(), 256);
}

TEST(DibRecord, ColoursAreCopiedFromAnotherHeader)
{
    DibOwner source(newdib(1, 1, 8, nullptr, 0));
    RGBQUAD colors[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    dibSetColors(source.get(), colors, 3);
    EXPECT_EQ(source.get().logPalette.palPalEntry[2].peRed, 9);
    EXPECT_EQ(source.get().palette->entry(1).peBlue, 4);

    DibOwner copy(newdib(4, 4, 8, source.get().header, 256));
    ASSERT_TRUE(copy);
    EXPECT_EQ(dibColors(copy.get())[0].rgbBlue, 1);
    EXPECT_EQ(dibColors(copy.get())[2].rgbRed, 9);
    EXPECT_EQ(copy.get().logPalette.palPalEntry[1].peGreen, 5);
    EXPECT_EQ(GetNearestPaletteIndex(copy.get().palette, PaletteRgb(6, 5, 4)), 1u);

    // A 1-bit source carries only two colours; asking for 256 must not read past them.
    DibOwner small(newdib(1, 1, 1, nullptr, 0));
    DibOwner fromSmall(newdib(2, 2, 8, small.get().header, 256));
    ASSERT_TRUE(fromSmall);
    EXPECT_EQ(dibColors(fromSmall.get())[1].rgbRed, 255);
    EXPECT_EQ(dibColors(fromSmall.get())[2].rgbRed, kStandardPalette256[2].red);
}

TEST(DibPixels, EveryDepthKeepsWhatIsWritten)
{
    for (int depth : {1, 4, 8, 24}) {
        DibOwner owner(newdib(37, 11, depth, nullptr, 0));
        Dib& dib = owner.get();
        ASSERT_TRUE(owner) << depth;
        const uint32_t mask = depth == 24 ? 0xFFFFFFu : (1u << depth) - 1;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 37; ++x)
                setpixel(dib, x, y, uint32_t(x * 2654435761u + y * 40503u) & mask);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(getpixel(dib, x, y), uint32_t(x * 2654435761u + y * 40503u) & mask)
                    << "depth " << depth << " at " << x << "," << y;
    }
}

TEST(DibPixels, BytesFollowTheBitmapLayout)
{
    DibOwner one(newdib(9, 2, 1, nullptr, 0));
    setpixel(one.get(), 0, 0, 1);
    setpixel(one.get(), 8, 0, 1);
    // The top row is the last row in memory; the leftmost pixel is the highest bit.
    EXPECT_EQ(one.get().bits[4], 0x80);
    EXPECT_EQ(one.get().bits[5], 0x80);
    EXPECT_EQ(one.get().bits[0], 0);

    DibOwner four(newdib(3, 1, 4, nullptr, 0));
    setpixel(four.get(), 0, 0, 0xA);
    setpixel(four.get(), 1, 0, 0x5);
    setpixel(four.get(), 2, 0, 0xF);
    EXPECT_EQ(four.get().bits[0], 0xA5);
    EXPECT_EQ(four.get().bits[1], 0xF0);
    setpixel(four.get(), 0, 0, 0x3);
    EXPECT_EQ(four.get().bits[0], 0x35);

    DibOwner deep(newdib(2, 2, 24, nullptr, 0));
    setpixel(deep.get(), 1, 1, 0x332211);  // red 0x11, green 0x22, blue 0x33
    EXPECT_EQ(deep.get().bits[3], 0x33);
    EXPECT_EQ(deep.get().bits[4], 0x22);
    EXPECT_EQ(deep.get().bits[5], 0x11);
    EXPECT_EQ(getpixel(deep.get(), 1, 1), 0x332211u);
}

TEST(DibPixels, OutsideReadsZeroAndWritesNothing)
{
    DibOwner owner(newdib(4, 4, 8, nullptr, 0));
    Dib& dib = owner.get();
    for (int i = 0; i < 16; ++i)
        dib.bits[i] = 7;
    setpixel(dib, -1, 0, 1);
    setpixel(dib, 4, 0, 1);
    setpixel(dib, 0, 4, 1);
    setpixel(dib, 0, -1, 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(dib.bits[i], 7);
    EXPECT_EQ(getpixel(dib, 4, 0), 0u);
    EXPECT_EQ(getpixel(dib, 0, -1), 0u);
    EXPECT_EQ(getpixel(Dib{}, 0, 0), 0u);
}

TEST(DibCreation, RefusesWhatItCannotHold)
{
    const struct {
        int32_t width, height;
        int depth;
    } refused[] = {
        {0, 10, 8},        {10, 0, 8},          {-5, 10, 8},       {10, -5, 24},      {10, 10, 2},
        {10, 10, 16},      {10, 10, 32},        {10, 10, 0},       {INT32_MAX, 2, 24}, {100000, 100000, 1},
        {1 << 16, (1 << 14) + 1, 8}, {INT32_MAX, INT32_MAX, 1},
    };
    for (const auto& r : refused) {
        Dib dib = newdib(r.width, r.height, r.depth, nullptr, 0);
        EXPECT_EQ(dib.bits, nullptr) << r.width << " x " << r.height << " x " << r.depth;
        EXPECT_EQ(dib.header, nullptr);
        EXPECT_EQ(dib.palette, nullptr);
        deldib(dib);
    }
}

TEST(DibCreation, DeldibEmptiesTheRecordAndToleratesAnEmptyOne)
{
    Dib dib = newdib(3, 3, 8, nullptr, 0);
    ASSERT_NE(dib.bits, nullptr);
    deldib(dib);
    EXPECT_EQ(dib.bits, nullptr);
    EXPECT_EQ(dib.header, nullptr);
    EXPECT_EQ(dib.palette, nullptr);
    EXPECT_EQ(dib.hasPicture, 0);
    deldib(dib);
    Dib empty;
    deldib(empty);
    EXPECT_EQ(empty.bits, nullptr);
}

}  // namespace

TEST(DibCreation, MemoryOfAFreedPictureComesBackCleared)
{
    // Large enough for its memory to be kept and handed to the next picture of a similar size.
    for (const int32_t height : {1024, 1000, 700}) {
        Dib used = newdib(1024, 1024, 24, nullptr, 0);
        ASSERT_TRUE(used.bits);
        std::memset(used.bits, 0xAB, size_t(used.rowSize) * 1024);
        deldib(used);
        DibOwner next(newdib(1024, height, 24, nullptr, 0));
        ASSERT_TRUE(next);
        const Dib& dib = next.get();
        const size_t bytes = size_t(dib.rowSize) * size_t(height);
        EXPECT_EQ(std::count(dib.bits, dib.bits + bytes, 0), std::ptrdiff_t(bytes)) << height;
    }
}
