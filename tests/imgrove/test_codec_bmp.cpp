#include "OwnCodecTestSupport.h"

#include "imgrove/CodecSupport.h"
#include "imgrove/PictureMemory.h"
#include "imgrove/StandardPalettes.h"

#include <chrono>

using namespace owncodec;

namespace {

uint32_t le32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A bitmap file around an info header and pixel bytes, as other programs write them.
std::vector<uint8_t> bmpFile(int32_t width, int32_t height, int bits, uint32_t compression,
                             const std::vector<uint8_t>& extra, const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> out = {'B', 'M'};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    put32(uint32_t(54 + extra.size() + pixels.size()));
    put32(0);
    put32(uint32_t(54 + extra.size()));
    put32(40);
    put32(uint32_t(width));
    put32(uint32_t(height));
    out.insert(out.end(), {1, 0, uint8_t(bits), 0});
    put32(compression);
    put32(uint32_t(pixels.size()));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    out.insert(out.end(), extra.begin(), extra.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

TEST(BmpCodec, EveryDepthComesBackUnchanged)
{
    for (int depth : {1, 4, 8, 24}) {
        expectRoundTrip(kBmpCodec, depth, depth);
        expectRoundTrip(kDibCodec, depth, depth);
        expectRoundTrip(kBmpCodec, depth, depth, 1, 1);
        expectRoundTrip(kBmpCodec, depth, depth, 33, 2);
    }
}

TEST(BmpCodec, WritesAPlainBitmapFile)
{
    DibOwner picture(patternDib(33, 5, 1));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kBmpCodec.encode(picture.get(), bytes));
    ASSERT_EQ(bytes.size(), 14u + 40 + 2 * 4 + 8 * 5);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(le32At(bytes, 2), bytes.size());
    EXPECT_EQ(le32At(bytes, 10), 62u);
    EXPECT_EQ(le32At(bytes, 30), 0u);  // uncompressed
    EXPECT_EQ(bytes[54], 30);          // blue of colour 0
    EXPECT_EQ(bytes[58 + 2], 230);     // red of colour 1
}

TEST(BmpCodec, SixteenAndThirtyTwoBitAndTopDownFilesBecomeTwentyFourBits)
{
    // 2 x 2, 5-6-5 bit fields: top row red, white; bottom row green, blue.
    const std::vector<uint8_t> masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    const std::vector<uint8_t> rows565 = {0xE0, 0x07, 0x1F, 0x00, 0x00, 0xF8, 0xFF, 0xFF};
    DibOwner fields(decodeWith(kBmpCodec, bmpFile(2, 2, 16, 3, masks, rows565)));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields.get().header->biBitCount, 24);
    EXPECT_EQ(getpixel(fields.get(), 0, 0), 0x0000FFu);
    EXPECT_EQ(getpixel(fields.get(), 1, 0), 0xFFFFFFu);
    EXPECT_EQ(getpixel(fields.get(), 0, 1), 0x00FF00u);
    EXPECT_EQ(getpixel(fields.get(), 1, 1), 0xFF0000u);

    // 5-5-5 without masks: 0x7C00 is full red.
    DibOwner plain16(decodeWith(kBmpCodec, bmpFile(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0})));
    ASSERT_TRUE(plain16);
    EXPECT_EQ(getpixel(plain16.get(), 0, 0), 0x0000FFu);

    // 32 bits, blue-green-red-unused, top-down (negative height).
    const std::vector<uint8_t> rows32 = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    DibOwner topDown(decodeWith(kBmpCodec, bmpFile(2, -2, 32, 0, {}, rows32)));
    ASSERT_TRUE(topDown);
    EXPECT_EQ(topDown.get().header->biHeight, 2);
    EXPECT_EQ(getpixel(topDown.get(), 0, 0), 0x010203u);
    EXPECT_EQ(getpixel(topDown.get(), 1, 1), 0x0A0B0Cu);

    // 24 bits top-down.
    const std::vector<uint8_t> rows24 = {1, 2, 3, 0, 0, 0, 0, 0, 4, 5, 6, 0};
    DibOwner top24(decodeWith(kBmpCodec, bmpFile(1, -3, 24, 0, {}, rows24)));
    ASSERT_TRUE(top24);
    EXPECT_EQ(getpixel(top24.get(), 0, 0), 0x010203u);
    EXPECT_EQ(getpixel(top24.get(), 0, 2), 0x040506u);
}

TEST(RleCodec, KeepsFourAndEightBitsAndCompresses)
{
    expectRoundTrip(kRleCodec, 4, 4);
    expectRoundTrip(kRleCodec, 8, 8);
    expectRoundTrip(kRleCodec, 8, 8, 1, 1);
    expectRoundTrip(kRleCodec, 4, 4, 300, 3);  // runs longer than 255
    // One bit is held by RLE4 with its two colours.
    expectRoundTrip(kRleCodec, 1, 4);

    DibOwner blank(newdib(600, 400, 8, nullptr, 0));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kRleCodec.encode(blank.get(), bytes));
    EXPECT_EQ(le32At(bytes, 30), 1u);
    EXPECT_LT(bytes.size(), (14u + 40 + 1024 + 600 * 400) / 50);
    DibOwner four(newdib(10, 10, 4, nullptr, 0));
    bytes.clear();
    ASSERT_TRUE(kRleCodec.encode(four.get(), bytes));
    EXPECT_EQ(le32At(bytes, 30), 2u);
}

TEST(RleCodec, TwentyFourBitsBecomeEightBits)
{
    // Few colours are kept exactly.
    DibOwner few(newdib(20, 6, 24, nullptr, 0));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 20; ++x)
            setpixel(few.get(), x, y, x < 7 ? 0x123456u : (x + y) % 2 ? 0xFEDCBAu : 0x010203u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kRleCodec.encode(few.get(), bytes));
    DibOwner back(decodeWith(kRleCodec, bytes));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.get().header->biBitCount, 8);
    EXPECT_EQ(rgbOf(back.get()), rgbOf(few.get()));

    // Many colours are halftoned to the standard palette.
    DibOwner many(patternDib(64, 20, 24));
    bytes.clear();
    ASSERT_TRUE(kRleCodec.encode(many.get(), bytes));
    DibOwner halftoned(decodeWith(kRleCodec, bytes));
    ASSERT_TRUE(halftoned);
    EXPECT_EQ(halftoned.get().header->biBitCount, 8);
    EXPECT_EQ(halftoned.get().header->biWidth, 64);
    EXPECT_EQ(dibColors(halftoned.get())[9].rgbBlue, kStandardPalette256[9].blue);
    EXPECT_EQ(getpixel(halftoned.get(), 0, 0), 255u);  // the pattern's white runs stay white
}

TEST(RleCodec, DeltasAndEndOfLineLeaveIndexZero)
{
    // 4 x 3, RLE8: bottom row "run of 2 x 5", end of line; delta (1, 1); run of 1 x 9; end.
    const std::vector<uint8_t> stream = {2, 5, 0, 0, 0, 2, 1, 1, 1, 9, 0, 1};
    std::vector<uint8_t> table(256 * 4, 0);
    DibOwner dib(decodeWith(kRleCodec, bmpFile(4, 3, 8, 1, table, stream)));
    ASSERT_TRUE(dib);
    EXPECT_EQ(getpixel(dib.get(), 0, 2), 5u);
    EXPECT_EQ(getpixel(dib.get(), 1, 2), 5u);
    EXPECT_EQ(getpixel(dib.get(), 2, 2), 0u);
    EXPECT_EQ(getpixel(dib.get(), 1, 0), 9u);  // row 2 from the bottom, column 1
    EXPECT_EQ(getpixel(dib.get(), 0, 0), 0u);
    EXPECT_EQ(getpixel(dib.get(), 1, 1), 0u);
}

TEST(BmpCodec, TruncatedFilesGiveNoPicture)
{
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(kBmpCodec.encode(picture.get(), bytes));
        // The last row's padding is not needed to read the picture.
        expectTruncationsRefused(kBmpCodec, bytes, size_t(dibRowSize(45, depth)) - (45 * depth + 7) / 8);
    }
    for (int depth : {4, 8}) {
        DibOwner picture(patternDib(45, 13, depth));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(kRleCodec.encode(picture.get(), bytes));
        // Only the end-of-bitmap mark may go: every row is complete without it.
        expectTruncationsRefused(kRleCodec, bytes, 2);
    }
}

TEST(BmpCodec, LyingHeadersAndBombsAreRefusedQuickly)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<uint8_t> table(256 * 4, 0);
    // 100000 x 100000 claimed by a tiny file, uncompressed and run-length encoded.
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(100000, 100000, 24, 0, {}, std::vector<uint8_t>(64))).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(100000, 100000, 8, 1, table, {0, 1})).bits, nullptr);
    // One pixel wide and 900 million rows high, run-length encoded in a few bytes.
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(1, 905969664, 4, 2, std::vector<uint8_t>(64), {0, 0, 0, 1})).bits, nullptr);
    // A blank run-length page of A4 at 150 dots per inch, ended at once, is honest enough.
    DibOwner blank(decodeWith(kBmpCodec, bmpFile(1240, 1754, 8, 1, table, {0, 1})));
    ASSERT_TRUE(blank);
    EXPECT_EQ(getpixel(blank.get(), 1239, 1753), 0u);
    // Within the pixel limit but far beyond the bytes present.
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(30000, 30000, 8, 0, table, std::vector<uint8_t>(4096))).bits, nullptr);
    // An absolute run longer than the data, RLE on 24 bits, RLE top-down, odd depths.
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(8, 8, 8, 1, table, {0, 200, 1, 2})).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(8, 8, 24, 1, {}, {0, 1})).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(8, -8, 8, 1, table, {0, 1})).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(8, 8, 2, 0, {}, std::vector<uint8_t>(64))).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(0, 8, 24, 0, {}, std::vector<uint8_t>(64))).bits, nullptr);
    EXPECT_EQ(decodeWith(kBmpCodec, bmpFile(8, INT32_MIN, 24, 0, {}, std::vector<uint8_t>(64))).bits, nullptr);
    // A header size beyond the file.
    std::vector<uint8_t> huge = bmpFile(2, 2, 24, 0, {}, std::vector<uint8_t>(16));
    huge[14] = 0xFF;
    huge[15] = 0xFF;
    EXPECT_EQ(decodeWith(kBmpCodec, huge).bits, nullptr);
    // Out-of-table colour indices read as black rather than past the table.
    std::vector<uint8_t> twoColours = {0, 0, 0, 0, 255, 255, 255, 0};
    std::vector<uint8_t> file = bmpFile(1, 1, 8, 0, twoColours, {200, 0, 0, 0});
    file[46] = 2;  // colours used
    DibOwner small(decodeWith(kBmpCodec, file));
    ASSERT_TRUE(small);
    EXPECT_EQ(getpixel(small.get(), 0, 0), 200u);
    EXPECT_EQ(dibColors(small.get())[200].rgbRed, 0);
    EXPECT_EQ(dibColors(small.get())[1].rgbRed, 255);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

// A picture of one row claims any width with a few bytes; the decoder must refuse it before
// asking for the rows, whoever calls it.
TEST(BmpCodec, OneRowOfAnyWidthCostsNoMoreThanItsFile)
{
    const std::vector<uint8_t> masks565 = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    const std::vector<uint8_t> table(256 * 4, 0);
    struct Row {
        int bits;
        uint32_t compression;
        const std::vector<uint8_t>& extra;
    };
    const std::vector<uint8_t> none;
    const Row rows[] = {{1, 0, table}, {4, 0, table}, {8, 0, table},        {16, 0, none},
                        {24, 0, none}, {32, 0, none}, {16, 3, masks565}, {32, 3, masks565}};
    std::vector<std::vector<uint8_t>> files;
    for (const Row& row : rows)
        files.push_back(bmpFile(500'000'000, 1, row.bits, row.compression, row.extra, std::vector<uint8_t>(7, 0xD2)));
    // What the fuzzer found: 16 bits with masks, 587 million pixels wide, 100 bytes long.
    files.push_back(bmpFile(0x2300000B, 1, 16, 3, std::vector<uint8_t>(32), {0xD2, 0xD2, 0xD2, 0xFF, 0xFF, 0xFF}));
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        imgrove_detail::takeLargestBlockAsked();
        EXPECT_EQ(decodeWith(kBmpCodec, files[i]).bits, nullptr);
        EXPECT_LE(imgrove_detail::takeLargestBlockAsked(), imgrove_detail::readBudget(files[i].size()));
    }
}

TEST(BmpInterop, FilesFromConvertOpenToTheSamePixels)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    expectWeSee(kBmpCodec, 24, "convert IN -type TrueColor BMP3:OUT", 24);
    expectWeSee(kBmpCodec, 4, "convert IN -type Palette BMP3:OUT", 4);
    expectWeSee(kBmpCodec, 8, "convert IN -type Palette BMP3:OUT", 8);
    expectWeSee(kBmpCodec, 1, "convert IN -type Bilevel BMP3:OUT", 1);
    expectWeSee(kBmpCodec, 24, "convert IN -type TrueColor BMP2:OUT", 24);
    std::vector<uint8_t> rle;
    expectWeSee(kRleCodec, 8, "convert IN -type Palette -compress RLE BMP3:OUT", 8, &rle);
    ASSERT_GE(rle.size(), 34u);
    EXPECT_EQ(le32At(rle, 30), 1u) << "convert did not write RLE8";
}

TEST(BmpInterop, ConvertReadsOurFiles)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        expectToolSees(kBmpCodec, picture.get(), "bmp", "convert FILE -auto-orient -strip -depth 8 ppm:-");
        if (depth == 4 || depth == 8)
            expectToolSees(kRleCodec, picture.get(), "bmp", "convert FILE -auto-orient -strip -depth 8 ppm:-");
    }
}

}  // namespace
