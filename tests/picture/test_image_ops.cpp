// Brightness and contrast, resize, rotate, mirror, flip and crop on small pictures.
#include "RetouchTestSupport.h"
#include "imageops/Crop.h"
#include "imageops/ImageAdjust.h"
#include "imageops/ResizeDib.h"
#include "imageops/RotateDib.h"
#include "imgrove/Palette.h"

#include <gtest/gtest.h>

namespace {

DibOwner pattern(int32_t width, int32_t height, int bits)
{
    return DibOwner(pictureOf(width, height, bits, [bits](int32_t x, int32_t y) { return patternValue(x, y, bits); }));
}

}  // namespace

TEST(Brightness, ChannelsMoveByTheOffsetAndStayInRange)
{
    struct Row {
        int value, offset, expected;
    };
    for (const Row& row : {Row{200, 127, 255}, Row{100, 127, 227}, Row{0, 127, 127}, Row{10, -127, 0}, Row{50, 0, 50}})
        EXPECT_EQ(brightenedChannel(row.value, row.offset), row.expected) << row.value << " + " << row.offset;
}

TEST(Contrast, ChannelsFollowTheFactorWithTruncatingDivisions)
{
    struct Row {
        int value, factor, expected;
    };
    for (const Row& row : {Row{0, 50, 64}, Row{255, 50, 191}, Row{100, 150, 50}, Row{200, 150, 228}, Row{33, 100, 33},
                           Row{0, 0, 127}, Row{255, 0, 127}, Row{127, 200, 0}, Row{128, 200, 255}})
        EXPECT_EQ(contrastedChannel(row.value, row.factor), row.expected) << row.value << " at " << row.factor;
}

TEST(Brightness, A24BitPictureChangesEveryPixelAndReportsItsRows)
{
    DibOwner picture(pictureOf(2, 3, 24, [](int32_t, int32_t) { return rgb(200, 100, 0); }));
    std::vector<int> progress;
    Helligkeit(picture.get(), 127, [&](int p) { progress.push_back(p); });
    EXPECT_EQ(pixelsOf(picture.get()), std::vector<uint32_t>(6, rgb(255, 227, 127)));
    EXPECT_EQ(progress, (std::vector<int>{0, 0, 50, 100, 0}));
}

TEST(Contrast, APalettePictureChangesItsColoursOnly)
{
    DibOwner picture(pictureOf(4, 2, 8, [](int32_t x, int32_t y) { return uint32_t(x + 4 * y); }));
    const std::vector<uint32_t> before = pixelsOf(picture.get());
    RGBQUAD colors[2] = {{0, 100, 255, 0}, {200, 100, 0, 0}};  // blue, green, red
    dibSetColors(picture.get(), colors, 2);
    Kontrast(picture.get(), 150);
    EXPECT_EQ(pixelsOf(picture.get()), before);
    const PALETTEENTRY& first = picture.get().logPalette.palPalEntry[0];
    EXPECT_EQ((std::vector<int>{first.peRed, first.peGreen, first.peBlue}), (std::vector<int>{255, 50, 0}));
    EXPECT_EQ(dibColors(picture.get())[1].rgbBlue, 228);
    EXPECT_EQ(picture.get().palette->entry(1).peBlue, 228);
}

TEST(Resize, NearestPixelStepsInTenBitFixedPoint)
{
    EXPECT_EQ(resizeStep(100, 50), 2048);
    EXPECT_EQ(resizeStep(3, 7), 438);
    for (const int bits : {1, 4, 8, 24}) {
        DibOwner picture = pattern(100, 6, bits);
        DibOwner halved(Resize(picture.get(), 50, 3, false));
        ASSERT_TRUE(halved) << bits;
        // Rows in storage order for 4, 8 and 24 bits, from the top for 1 bit; halving an even
        // height takes the same rows either way: stored rows 0, 2, 4 are rows 5, 3, 1 from the top.
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 50; ++x)
                ASSERT_EQ(getpixel(halved.get(), x, y), getpixel(picture.get(), 2 * x, bits == 1 ? 2 * y : 2 * y + 1))
                    << bits << " bits at " << x << ", " << y;
    }
}

TEST(Resize, BilinearOnlyWhenA24BitPictureGrowsBothWays)
{
    struct Row {
        int bits, width, height;
        bool interpolate, expected;
    };
    for (const Row& row : {Row{24, 20, 10, true, true}, Row{24, 20, 9, true, false}, Row{24, 20, 10, false, false},
                           Row{8, 20, 10, true, false}})
        EXPECT_EQ(usesBilinear(row.bits, 10, 10, row.width, row.height, row.interpolate), row.expected)
            << row.bits << " bits to " << row.width << " x " << row.height;

    DibOwner white(pictureOf(10, 10, 24, [](int32_t, int32_t) { return rgb(255, 255, 255); }));
    DibOwner grown(Resize(white.get(), 20, 10, true));
    EXPECT_EQ(pixelsOf(grown.get()), std::vector<uint32_t>(200, rgb(253, 253, 253)));
    DibOwner nearest(Resize(white.get(), 20, 9, true));
    EXPECT_EQ(pixelsOf(nearest.get()), std::vector<uint32_t>(180, rgb(255, 255, 255)));
}

TEST(Resize, BilinearWeighsNeighboursWith1023)
{
    // Stored rows: the bottom row first. Two columns 0 and 200 in red; doubling the width puts
    // column 1 halfway: fx = 512.
    DibOwner picture(pictureOf(2, 1, 24, [](int32_t x, int32_t) { return rgb(x == 0 ? 0 : 200, 0, 0); }));
    DibOwner grown(Resize(picture.get(), 4, 1, true));
    // a = (0 * 511 + 200 * 512) >> 10 = 100; then (100 * 1023 + 100 * 0) >> 10 = 99.
    EXPECT_EQ(getpixel(grown.get(), 1, 0), rgb(99, 0, 0));
    // Column 2: source 1, fraction 0, and its neighbour held to the last column.
    EXPECT_EQ(getpixel(grown.get(), 2, 0), rgb(199 * 1023 >> 10, 0, 0));
}

TEST(Rotate, QuarterTurnsMoveEveryPixelForEveryDepth)
{
    for (const int bits : {1, 4, 8, 24}) {
        DibOwner picture = pattern(30, 10, bits);
        DibOwner left(RotLeft(picture.get()));
        DibOwner right(RotRight(picture.get()));
        DibOwner half(Rot180(picture.get()));
        ASSERT_EQ(left.get().header->biWidth, 10);
        ASSERT_EQ(left.get().header->biHeight, 30);
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 30; ++x) {
                const uint32_t v = getpixel(picture.get(), x, y);
                ASSERT_EQ(getpixel(left.get(), y, 29 - x), v) << bits;
                ASSERT_EQ(getpixel(right.get(), 9 - y, x), v) << bits;
                ASSERT_EQ(getpixel(half.get(), 29 - x, 9 - y), v) << bits;
            }
    }
}

TEST(Rotate, The300By100TopRightCornerEndsTopLeftAfterALeftTurn)
{
    DibOwner picture(pictureOf(300, 100, 24, [](int32_t x, int32_t y) { return x == 299 && y == 0 ? rgb(255, 0, 0) : 0; }));
    DibOwner left(RotLeft(picture.get()));
    EXPECT_EQ(left.get().header->biWidth, 100);
    EXPECT_EQ(left.get().header->biHeight, 300);
    EXPECT_EQ(getpixel(left.get(), 0, 0), rgb(255, 0, 0));
}

TEST(Rotate, FreeAngleSizes)
{
    struct Row {
        int32_t width, height;
        double degrees;
        bool right;
        RotatedSize expected;
    };
    for (const Row& row : {Row{4, 2, 90, false, {2, 4}}, Row{4, 2, 90, true, {2, 4}}, Row{300, 100, 180, false, {300, 100}},
                           Row{100, 100, 45, false, {142, 142}}, Row{10, 4, 0.01, false, {10, 4}}})
        EXPECT_EQ(rotatedSize(row.width, row.height, row.degrees, row.right), row.expected)
            << row.width << " x " << row.height << " by " << row.degrees;
}

TEST(Rotate, FreeAngleFillsTheCornersWithTheBackground)
{
    DibOwner colour(pictureOf(40, 40, 24, [](int32_t, int32_t) { return rgb(10, 20, 30); }));
    DibOwner turned(DibRotxxx(colour.get(), false, 45, rgb(255, 255, 255)));
    ASSERT_TRUE(turned);
    EXPECT_EQ(getpixel(turned.get(), 0, 0), rgb(255, 255, 255));
    const int32_t w = turned.get().header->biWidth;
    EXPECT_EQ(getpixel(turned.get(), w / 2, turned.get().header->biHeight / 2), rgb(10, 20, 30));

    DibOwner indexed(pictureOf(40, 40, 8, [](int32_t, int32_t) { return 7u; }));
    DibOwner turnedIndexed(DibRotxxx(indexed.get(), true, 45, 0));
    EXPECT_EQ(getpixel(turnedIndexed.get(), w - 1, 0), 0u);
    EXPECT_EQ(getpixel(turnedIndexed.get(), w / 2, w / 2), 7u);
}

TEST(Rotate, FreeAngleOf90LeftTurnsCounterClockwise)
{
    // 4 x 2: W2 = 2, H2 = 1, the new picture 2 x 4. New pixel (x, y) has dx = x - 1, dy = y - 2
    // and reads source (-dy + 2, dx + 1) = (4 - y, x): the top row falls outside, the rest is
    // the source turned counter-clockwise.
    DibOwner picture(pictureOf(4, 2, 8, [](int32_t x, int32_t y) { return uint32_t(1 + x + 4 * y); }));
    DibOwner turned(DibRotxxx(picture.get(), false, 90, 0));
    ASSERT_EQ(turned.get().header->biWidth, 2);
    ASSERT_EQ(turned.get().header->biHeight, 4);
    EXPECT_EQ(pixelsOf(turned.get()), (std::vector<uint32_t>{0, 0, 4, 8, 3, 7, 2, 6}));
}

TEST(Mirror, MirrorAndFlipSwapSidesAndTwiceGiveThePictureBack)
{
    for (const int bits : {1, 4, 8, 24}) {
        DibOwner picture = pattern(13, 5, bits);
        DibOwner mirrored(mirrorDib(picture.get()));
        DibOwner flipped(flipDib(picture.get()));
        EXPECT_EQ(getpixel(mirrored.get(), 0, 1), getpixel(picture.get(), 12, 1)) << bits;
        EXPECT_EQ(getpixel(flipped.get(), 3, 0), getpixel(picture.get(), 3, 4)) << bits;
        DibOwner back(mirrorDib(mirrored.get()));
        DibOwner down(flipDib(flipped.get()));
        EXPECT_EQ(pixelsOf(back.get()), pixelsOf(picture.get())) << bits;
        EXPECT_EQ(pixelsOf(down.get()), pixelsOf(picture.get())) << bits;
    }
}

TEST(Crop, TheSelectionIsCutOutForEveryDepth)
{
    for (const int bits : {1, 4, 8, 24}) {
        DibOwner picture = pattern(20, 10, bits);
        std::vector<int> progress;
        DibOwner cropped(cropDib(picture.get(), SelectionRect{3, 2, 11, 7}, [&](int p) { progress.push_back(p); }));
        ASSERT_EQ(cropped.get().header->biWidth, 8);
        ASSERT_EQ(cropped.get().header->biHeight, 5);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 8; ++x)
                ASSERT_EQ(getpixel(cropped.get(), x, y), getpixel(picture.get(), 3 + x, 2 + y)) << bits;
        EXPECT_EQ(progress, (std::vector<int>{0, 25, 50, 75, 100}));
    }
}

TEST(Crop, ASelectionBeyondThePictureReadsOnlyThePicture)
{
    DibOwner picture = pattern(20, 10, 24);
    DibOwner cropped(cropDib(picture.get(), SelectionRect{15, 5, 40, 30}));
    EXPECT_EQ(cropped.get().header->biWidth, 5);
    EXPECT_EQ(cropped.get().header->biHeight, 5);
    EXPECT_TRUE(isEmptySelection(SelectionRect{4, 4, 4, 9}));
    EXPECT_FALSE(isEmptySelection(SelectionRect{0, 0, 319, 199}));
}
