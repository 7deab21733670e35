#include "OwnCodecTestSupport.h"

using namespace owncodec;

namespace {

std::vector<uint8_t> pcxHeader(int bits, int planes, int width, int height, int bytesPerLine)
{
    std::vector<uint8_t> h(128, 0);
    h[0] = 0x0A;
    h[1] = 5;
    h[2] = 1;
    h[3] = uint8_t(bits);
    h[8] = uint8_t(width - 1);
    h[9] = uint8_t((width - 1) >> 8);
    h[10] = uint8_t(height - 1);
    h[11] = uint8_t((height - 1) >> 8);
    h[65] = uint8_t(planes);
    h[66] = uint8_t(bytesPerLine);
    h[67] = uint8_t(bytesPerLine >> 8);
    return h;
}

TEST(PcxCodec, EveryDepthComesBackUnchanged)
{
    for (int depth : {1, 4, 8, 24}) {
        expectRoundTrip(kPcxCodec, depth, depth);
        expectRoundTrip(kPcxCodec, depth, depth, 1, 1);
        expectRoundTrip(kPcxCodec, depth, depth, 200, 3);  // runs longer than 63
    }
    DibOwner four(patternDib(9, 2, 4));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kPcxCodec.encode(four.get(), bytes));
    EXPECT_EQ(bytes[3], 1);   // one bit per plane
    EXPECT_EQ(bytes[65], 4);  // four planes
    EXPECT_EQ(bytes[66], 2);  // bytes per plane line, even
}

TEST(PcxCodec, ReadsPlanesAndRuns)
{
    // 4 x 1, 1 bit x 2 planes: plane 0 = 1010, plane 1 = 0110 gives indices 1, 2, 3, 0.
    std::vector<uint8_t> file = pcxHeader(1, 2, 4, 1, 2);
    file[16 + 3 * 3] = 77;  // red of colour 3
    file.insert(file.end(), {0xA0, 0x00, 0x60, 0x00});
    DibOwner planar(decodeWith(kPcxCodec, file));
    ASSERT_TRUE(planar);
    EXPECT_EQ(planar.get().header->biBitCount, 4);
    EXPECT_EQ(getpixel(planar.get(), 0, 0), 1u);
    EXPECT_EQ(getpixel(planar.get(), 1, 0), 2u);
    EXPECT_EQ(getpixel(planar.get(), 2, 0), 3u);
    EXPECT_EQ(getpixel(planar.get(), 3, 0), 0u);
    EXPECT_EQ(dibColors(planar.get())[3].rgbRed, 77);

    // 8 bits: a run of three 0xC5 (written as a run because of its top bits) and one 7, with
    // the colours at the end.
    std::vector<uint8_t> eight = pcxHeader(8, 1, 4, 1, 4);
    eight.insert(eight.end(), {0xC3, 0xC5, 7});
    eight.push_back(0x0C);
    for (int i = 0; i < 256; ++i)
        eight.insert(eight.end(), {uint8_t(i), uint8_t(255 - i), 9});
    DibOwner eightDib(decodeWith(kPcxCodec, eight));
    ASSERT_TRUE(eightDib);
    EXPECT_EQ(getpixel(eightDib.get(), 2, 0), 0xC5u);
    EXPECT_EQ(getpixel(eightDib.get(), 3, 0), 7u);
    EXPECT_EQ(dibColors(eightDib.get())[7].rgbGreen, 248);
}

TEST(PcxCodec, TruncatedAndLyingFilesGiveNoPicture)
{
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(kPcxCodec.encode(picture.get(), bytes));
        expectTruncationsRefused(kPcxCodec, bytes);
    }
    std::vector<uint8_t> bomb = pcxHeader(8, 3, 65535, 65535, 65535);
    bomb.insert(bomb.end(), {0xFF, 0, 0xFF, 0});
    EXPECT_EQ(decodeWith(kPcxCodec, bomb).bits, nullptr);
    // Too few bytes per line for the width, 8 bits without colours, unknown layouts.
    std::vector<uint8_t> narrow = pcxHeader(8, 3, 100, 1, 10);
    narrow.insert(narrow.end(), 400, 1);
    EXPECT_EQ(decodeWith(kPcxCodec, narrow).bits, nullptr);
    std::vector<uint8_t> noColours = pcxHeader(8, 1, 4, 1, 4);
    noColours.insert(noColours.end(), 1000, 1);
    EXPECT_EQ(decodeWith(kPcxCodec, noColours).bits, nullptr);
    std::vector<uint8_t> twoBits = pcxHeader(2, 1, 4, 1, 2);
    twoBits.insert(twoBits.end(), 100, 1);
    EXPECT_EQ(decodeWith(kPcxCodec, twoBits).bits, nullptr);
}

TEST(PcxInterop, FilesFromConvertOpenToTheSamePixels)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    expectWeSee(kPcxCodec, 24, "convert IN -type TrueColor PCX:OUT", 24);
    expectWeSee(kPcxCodec, 8, "convert IN -type Palette PCX:OUT", 8);
}

TEST(PcxInterop, FilesFromNetpbmOpenToTheSamePixels)
{
    if (!haveTool("ppmtopcx"))
        GTEST_SKIP() << "ppmtopcx is not installed";
    // convert writes no 1-bit or planar 16-colour files; netpbm does.
    std::vector<uint8_t> file;
    expectWeSee(kPcxCodec, 1, "ppmtopcx IN > OUT", 1, &file);
    EXPECT_EQ(file.at(65), 1);
    expectWeSee(kPcxCodec, 4, "ppmtopcx IN > OUT", 4, &file);
    EXPECT_EQ(file.at(65), 4);
    expectWeSee(kPcxCodec, 8, "ppmtopcx IN > OUT", 8);
}

TEST(PcxInterop, ConvertReadsOurFiles)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    // convert misreads every 1-bit PCX, netpbm's too; pcxtoppm reads them as we do.
    for (int depth : {4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        expectToolSees(kPcxCodec, picture.get(), "pcx", "convert FILE -auto-orient -strip -depth 8 ppm:-");
    }
}

TEST(PcxInterop, PcxtoppmReadsOurFiles)
{
    if (!haveTool("pcxtoppm"))
        GTEST_SKIP() << "pcxtoppm is not installed";
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        expectToolSees(kPcxCodec, picture.get(), "pcx", "pcxtoppm FILE");
    }
}

}  // namespace
