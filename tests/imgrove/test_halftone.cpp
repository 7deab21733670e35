#include "imgrove/Halftone.h"
#include "imgrove/StandardPalettes.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

namespace {

void expectStandardPalette(const Dib& dib)
{
    ASSERT_EQ(dib.header->biBitCount, 8);
    EXPECT_EQ(dib.paletteFlag, 1);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(dibColors(dib)[i].rgbRed, kStandardPalette256[i].red) << i;
        EXPECT_EQ(dibColors(dib)[i].rgbBlue, kStandardPalette256[i].blue) << i;
    }
}

TEST(Halftone, SameSizeCopyInTheStandardPalette)
{
    DibOwner white(plainPicture(13, 7, 0xFFFFFF));
    DibOwner copy(DIBHalftoneDIB(white.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.get().header->biWidth, 13);
    EXPECT_EQ(copy.get().header->biHeight, 7);
    expectStandardPalette(copy.get());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(getpixel(copy.get(), x, y), 255u);

    // Cube colours come out exactly, with no dither pattern.
    DibOwner cube(plainPicture(9, 9, 51 | 102 << 8 | 204 << 16));
    DibOwner cubeCopy(DIBHalftoneDIB(cube.get()));
    const StandardColor c = kStandardPalette256[getpixel(cubeCopy.get(), 4, 4)];
    EXPECT_EQ(c.red, 51);
    EXPECT_EQ(c.green, 102);
    EXPECT_EQ(c.blue, 204);
}

TEST(Halftone, InBetweenColoursAverageOutOverTheDitherCell)
{
    // Grey 25 lies half-way between cube levels 0 and 51: about half of an 8 x 8 cell rounds up.
    DibOwner grey(plainPicture(8, 8, 25 | 25 << 8 | 25 << 16));
    DibOwner copy(DIBHalftoneDIB(grey.get()));
    int sum = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const StandardColor c = kStandardPalette256[getpixel(copy.get(), x, y)];
            EXPECT_TRUE(c.red == 0 || c.red == 51);
            EXPECT_EQ(c.red, c.green);
            sum += c.red;
        }
    EXPECT_NEAR(sum / 64.0, 25.0, 2.0);
}

TEST(Halftone, ScaledCopyAveragesTheArea)
{
    // Left half black, right half white, shrunk to 2 x 1: one black and one white pixel.
    DibOwner source(newdib(8, 4, 24, nullptr, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            setpixel(source.get(), x, y, 0xFFFFFF);
    DibOwner small(DIBHalftoneDIBXY(source.get(), 2, 1));
    ASSERT_TRUE(small);
    EXPECT_EQ(small.get().header->biWidth, 2);
    EXPECT_EQ(small.get().header->biHeight, 1);
    expectStandardPalette(small.get());
    EXPECT_EQ(getpixel(small.get(), 0, 0), 0u);
    EXPECT_EQ(getpixel(small.get(), 1, 0), 255u);

    DibOwner large(DIBHalftoneDIBXY(source.get(), 16, 9));
    ASSERT_TRUE(large);
    EXPECT_EQ(large.get().header->biWidth, 16);
    EXPECT_EQ(large.get().header->biHeight, 9);
    EXPECT_EQ(getpixel(large.get(), 7, 8), 0u);
    EXPECT_EQ(getpixel(large.get(), 8, 0), 255u);
}

TEST(Halftone, AnAreaAverageOnAHalfRoundsUp)
{
    // Columns of grey 50 and 51 shrunk two to one average 50.5, which rounds to the cube level
    // 51 and fills the cell. As 50 the top-left pixel, whose threshold is 50, would fall to black.
    DibOwner stripes(newdib(16, 8, 24, nullptr, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t grey = x % 2 == 0 ? 50 : 51;
            setpixel(stripes.get(), x, y, grey | grey << 8 | grey << 16);
        }
    DibOwner copy(DIBHalftoneDIBXY(stripes.get(), 8, 8));
    ASSERT_TRUE(copy);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const StandardColor c = kStandardPalette256[getpixel(copy.get(), x, y)];
            EXPECT_EQ(c.red, 51) << x << "," << y;
            EXPECT_EQ(c.blue, 51) << x << "," << y;
        }
}

TEST(Halftone, BadInputGivesNoPicture)
{
    DibOwner source(plainPicture(4, 4, 0x808080));
    EXPECT_EQ(DIBHalftoneDIB(Dib{}).bits, nullptr);
    EXPECT_EQ(DIBHalftoneDIBXY(Dib{}, 3, 3).bits, nullptr);
    EXPECT_EQ(DIBHalftoneDIBXY(source.get(), 0, 3).bits, nullptr);
    EXPECT_EQ(DIBHalftoneDIBXY(source.get(), 3, -1).bits, nullptr);
    EXPECT_EQ(DIBHalftoneDIBXY(source.get(), 100000, 100000).bits, nullptr);
}

TEST(Halftone, PalettePicturesAreHalftonedByTheirColours)
{
    DibOwner one(newdib(4, 1, 1, nullptr, 0));
    setpixel(one.get(), 1, 0, 1);
    DibOwner copy(DIBHalftoneDIB(one.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(getpixel(copy.get(), 0, 0), 0u);
    EXPECT_EQ(getpixel(copy.get(), 1, 0), 255u);
}

}  // namespace
