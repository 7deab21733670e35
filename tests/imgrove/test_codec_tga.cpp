#include "OwnCodecTestSupport.h"

using namespace owncodec;

namespace {

std::vector<uint8_t> tgaHeader(int type, int mapType, int mapLength, int mapBits, int width, int height, int bits,
                               int descriptor)
{
    return {0,
            uint8_t(mapType),
            uint8_t(type),
            0,
            0,
            uint8_t(mapLength),
            uint8_t(mapLength >> 8),
            uint8_t(mapBits),
            0,
            0,
            0,
            0,
            uint8_t(width),
            uint8_t(width >> 8),
            uint8_t(height),
            uint8_t(height >> 8),
            uint8_t(bits),
            uint8_t(descriptor)};
}

TEST(TgaCodec, DepthsComeBackAsTheFormatHoldsThem)
{
    expectRoundTrip(kTgaCodec, 24, 24);
    expectRoundTrip(kTgaCodec, 8, 8);
    expectRoundTrip(kTgaCodec, 24, 24, 300, 2);  // runs longer than a packet
    expectRoundTrip(kTgaCodec, 8, 8, 1, 1);
    // 1 and 4 bits keep their colours and indices in 8 bits.
    expectRoundTrip(kTgaCodec, 4, 8);
    expectRoundTrip(kTgaCodec, 1, 8);
    DibOwner four(patternDib(20, 4, 4));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kTgaCodec.encode(four.get(), bytes));
    DibOwner back(decodeWith(kTgaCodec, bytes));
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(getpixel(back.get(), x, 3), getpixel(four.get(), x, 3));
    EXPECT_EQ(bytes[2], 9);  // colour-mapped, run-length encoded
    EXPECT_EQ(bytes[5], 16);
}

TEST(TgaCodec, ReadsRawGreyTopLeftAndSixteenBitFiles)
{
    // Raw true colour, 2 x 2, top-left origin: rows as written from the top.
    std::vector<uint8_t> raw = tgaHeader(2, 0, 0, 0, 2, 2, 24, 0x20);
    raw.insert(raw.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    DibOwner top(decodeWith(kTgaCodec, raw));
    ASSERT_TRUE(top);
    EXPECT_EQ(getpixel(top.get(), 0, 0), 0x010203u);
    EXPECT_EQ(getpixel(top.get(), 1, 1), 0x0A0B0Cu);
    raw[17] = 0;  // bottom-left origin: the first row written is the bottom one
    DibOwner bottom(decodeWith(kTgaCodec, raw));
    EXPECT_EQ(getpixel(bottom.get(), 0, 1), 0x010203u);

    // Grey, run-length encoded: one run of four pixels of 200.
    std::vector<uint8_t> grey = tgaHeader(11, 0, 0, 0, 2, 2, 8, 0);
    grey.insert(grey.end(), {0x83, 200});
    DibOwner greyDib(decodeWith(kTgaCodec, grey));
    ASSERT_TRUE(greyDib);
    EXPECT_EQ(greyDib.get().header->biBitCount, 8);
    EXPECT_EQ(rgbOf(greyDib.get()).pixels, std::vector<uint8_t>(12, 200));

    // 16 bits, 1-5-5-5: 0x7C00 is full red; 32 bits drop their alpha.
    std::vector<uint8_t> sixteen = tgaHeader(2, 0, 0, 0, 1, 1, 16, 0);
    sixteen.insert(sixteen.end(), {0x00, 0x7C});
    EXPECT_EQ(getpixel(DibOwner(decodeWith(kTgaCodec, sixteen)).get(), 0, 0), 0x0000FFu);
    std::vector<uint8_t> alpha = tgaHeader(10, 0, 0, 0, 3, 1, 32, 8);
    alpha.insert(alpha.end(), {0x82, 30, 20, 10, 128});
    DibOwner alphaDib(decodeWith(kTgaCodec, alpha));
    ASSERT_TRUE(alphaDib);
    EXPECT_EQ(getpixel(alphaDib.get(), 2, 0), 0x1E140Au);
}

TEST(TgaCodec, TruncatedAndLyingFilesGiveNoPicture)
{
    for (int depth : {8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(kTgaCodec.encode(picture.get(), bytes));
        expectTruncationsRefused(kTgaCodec, bytes);
    }
    // 65535 x 65535 claimed by a short run-length file, and by a raw one.
    std::vector<uint8_t> bomb = tgaHeader(10, 0, 0, 0, 0xFFFF, 0xFFFF, 24, 0);
    bomb.insert(bomb.end(), {0xFF, 1, 2, 3, 0xFF, 1, 2, 3});
    EXPECT_EQ(decodeWith(kTgaCodec, bomb).bits, nullptr);
    bomb[2] = 2;
    EXPECT_EQ(decodeWith(kTgaCodec, bomb).bits, nullptr);
    // A colour map longer than the file, a mapped picture without map, unknown depths.
    std::vector<uint8_t> map = tgaHeader(1, 1, 256, 24, 1, 1, 8, 0);
    map.insert(map.end(), {1, 2, 3});
    EXPECT_EQ(decodeWith(kTgaCodec, map).bits, nullptr);
    EXPECT_EQ(decodeWith(kTgaCodec, tgaHeader(1, 0, 0, 0, 1, 1, 8, 0)).bits, nullptr);
    EXPECT_EQ(decodeWith(kTgaCodec, tgaHeader(2, 0, 0, 0, 1, 1, 12, 0)).bits, nullptr);
    EXPECT_EQ(decodeWith(kTgaCodec, tgaHeader(2, 0, 0, 0, 0, 1, 24, 0)).bits, nullptr);
}

TEST(TgaInterop, FilesFromConvertOpenToTheSamePixels)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    // convert writes rows from the top; asked for the top-left origin it also says so in the
    // header (left to itself it marks them bottom-left, see the next test).
    std::vector<uint8_t> file;
    expectWeSee(kTgaCodec, 24, "convert IN -orient TopLeft -type TrueColor TGA:OUT", 24, &file);
    EXPECT_EQ(file.at(2), 2);
    EXPECT_EQ(file.at(17) & 0x20, 0x20);
    expectWeSee(kTgaCodec, 24, "convert IN -orient TopLeft -type TrueColor -compress RLE TGA:OUT", 24, &file);
    EXPECT_EQ(file.at(2), 10);
    expectWeSee(kTgaCodec, 8, "convert IN -orient TopLeft -type Palette TGA:OUT", 8, &file);
    EXPECT_EQ(file.at(2), 1);
    expectWeSee(kTgaCodec, 8, "convert IN -orient TopLeft -type Palette -compress RLE TGA:OUT", 8, &file);
    EXPECT_EQ(file.at(2), 9);
}

TEST(TgaInterop, BottomLeftFilesReadAsNetpbmReadsThem)
{
    if (!haveTool("convert") || !haveTool("tgatoppm"))
        GTEST_SKIP() << "convert or tgatoppm is not installed";
    TempDir dir;
    DibOwner picture(patternDib(45, 13, 24));
    writeFile(dir / "in.ppm", ppmBytes(rgbOf(picture.get())));
    for (const char* options : {"-type TrueColor", "-type TrueColor -compress RLE", "-type Palette"}) {
        ASSERT_TRUE(run("convert " + quoted(dir / "in.ppm") + " " + options + " TGA:" + quoted(dir / "out.tga")));
        const std::vector<uint8_t> bytes = readFile(dir / "out.tga");
        ASSERT_EQ(bytes.at(17) & 0x30, 0) << "not a bottom-left file";
        Rgb reference;
        ASSERT_TRUE(toolPixels("tgatoppm " + quoted(dir / "out.tga"), reference));
        DibOwner opened(decodeWith(kTgaCodec, bytes));
        ASSERT_TRUE(opened) << options;
        EXPECT_EQ(rgbOf(opened.get()), reference) << options;
    }
}

TEST(TgaInterop, ConvertReadsOurFiles)
{
    if (!haveTool("convert"))
        GTEST_SKIP() << "convert is not installed";
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        expectToolSees(kTgaCodec, picture.get(), "tga", "convert FILE -auto-orient -strip -depth 8 ppm:-");
        if (haveTool("tgatoppm"))
            expectToolSees(kTgaCodec, picture.get(), "tga", "tgatoppm FILE");
    }
}

}  // namespace
