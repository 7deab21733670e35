#include "OwnCodecTestSupport.h"

using namespace owncodec;

namespace {

std::vector<uint8_t> chunk(const char* id, std::vector<uint8_t> body)
{
    std::vector<uint8_t> out(id, id + 4);
    const uint32_t size = uint32_t(body.size());
    out.insert(out.end(), {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
    out.insert(out.end(), body.begin(), body.end());
    if (size & 1)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> form(const char* type, std::initializer_list<std::vector<uint8_t>> chunks)
{
    std::vector<uint8_t> body(type, type + 4);
    for (const auto& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    return chunk("FORM", body);
}

std::vector<uint8_t> bmhd(int width, int height, int planes, int masking, int compression)
{
    return {uint8_t(width >> 8), uint8_t(width), uint8_t(height >> 8), uint8_t(height), 0, 0, 0, 0,
            uint8_t(planes), uint8_t(masking), uint8_t(compression), 0, 0, 0, 1, 1,
            uint8_t(width >> 8), uint8_t(width), uint8_t(height >> 8), uint8_t(height)};
}

TEST(IffCodec, EveryDepthComesBackUnchanged)
{
    for (const DibCodec* codec : {&kIffCodec, &kLbmCodec})
        for (int depth : {1, 4, 8, 24}) {
            expectRoundTrip(*codec, depth, depth);
            expectRoundTrip(*codec, depth, depth, 1, 1);
            expectRoundTrip(*codec, depth, depth, 300, 2);  // runs longer than 128
        }
}

TEST(IffCodec, ReadsMasksHalfBriteChunkyAndRawBodies)
{
    // 2 x 1, 2 planes and a mask plane, raw: pixel 0 = index 3, pixel 1 = index 2.
    const std::vector<uint8_t> cmap = {0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    DibOwner masked(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(2, 1, 2, 1, 0)), chunk("CMAP", cmap),
                                                        chunk("BODY", {0x80, 0, 0xC0, 0, 0xFF, 0})})));
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked.get().header->biBitCount, 4);
    EXPECT_EQ(getpixel(masked.get(), 0, 0), 3u);
    EXPECT_EQ(getpixel(masked.get(), 1, 0), 2u);
    EXPECT_EQ(dibColors(masked.get())[3].rgbBlue, 90);

    // Extra half-brite: 6 planes, index 33 is colour 1 at half brightness.
    std::vector<uint8_t> cmap32(96, 0);
    cmap32[3] = 200;
    cmap32[4] = 100;
    cmap32[5] = 51;
    std::vector<uint8_t> body(12, 0);
    body[0] = 0x80;   // plane 0: bit for index 1
    body[10] = 0x80;  // plane 5: bit for index 32
    DibOwner ehb(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(1, 1, 6, 0, 0)), chunk("CMAP", cmap32),
                                                     chunk("CAMG", {0, 0, 0, 0x80}), chunk("BODY", body)})));
    ASSERT_TRUE(ehb);
    EXPECT_EQ(getpixel(ehb.get(), 0, 0), 33u);
    EXPECT_EQ(dibColors(ehb.get())[33].rgbRed, 100);
    EXPECT_EQ(dibColors(ehb.get())[33].rgbGreen, 50);
    EXPECT_EQ(dibColors(ehb.get())[33].rgbBlue, 25);

    // Hold-and-modify, 6 planes, 3 x 1: colour 1, then the top of red set to 15, then the top
    // of blue set to 0; the low four bits of the held colour stay.
    std::vector<uint8_t> hamCmap(48, 0);
    hamCmap[3] = 200;
    hamCmap[4] = 100;
    hamCmap[5] = 50;
    // Pixel values 0x01, 0x2F (mode 2, red), 0x10 (mode 1, blue): plane p holds bit p.
    std::vector<uint8_t> hamBody(12, 0);
    hamBody[0] = 0xC0;   // plane 0: pixels 0 and 1
    hamBody[2] = 0x40;   // plane 1: pixel 1
    hamBody[4] = 0x40;   // plane 2: pixel 1
    hamBody[6] = 0x40;   // plane 3: pixel 1
    hamBody[8] = 0x20;   // plane 4: pixel 2
    hamBody[10] = 0x40;  // plane 5: pixel 1
    DibOwner ham(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(3, 1, 6, 0, 0)), chunk("CMAP", hamCmap),
                                                     chunk("CAMG", {0, 0, 8, 0}), chunk("BODY", hamBody)})));
    ASSERT_TRUE(ham);
    EXPECT_EQ(ham.get().header->biBitCount, 24);
    EXPECT_EQ(rgbOf(ham.get()).pixels, (std::vector<uint8_t>{200, 100, 50, 248, 100, 50, 248, 100, 2}));

    // Chunky PBM, 3 x 1, ByteRun1: a run of three 7s.
    std::vector<uint8_t> pbmCmap(768, 0);
    pbmCmap[21] = 123;
    DibOwner chunky(decodeWith(kLbmCodec, form("PBM ", {chunk("BMHD", bmhd(3, 1, 8, 0, 1)), chunk("CMAP", pbmCmap),
                                                        chunk("BODY", {0xFD, 7})})));
    ASSERT_TRUE(chunky);
    EXPECT_EQ(getpixel(chunky.get(), 2, 0), 7u);
    EXPECT_EQ(dibColors(chunky.get())[7].rgbRed, 123);

    // No colour map: a grey ramp.
    DibOwner grey(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(1, 1, 1, 0, 0)), chunk("BODY", {0x80, 0})})));
    ASSERT_TRUE(grey);
    EXPECT_EQ(rgbOf(grey.get()).pixels, (std::vector<uint8_t>{255, 255, 255}));
}

TEST(IffCodec, TruncatedAndLyingFilesGiveNoPicture)
{
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(kIffCodec.encode(picture.get(), bytes));
        // Only the pad byte after an odd-sized body may go.
        expectTruncationsRefused(kIffCodec, bytes, 1);
    }
    EXPECT_EQ(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(65535, 65535, 24, 0, 1)),
                                                  chunk("BODY", {0x81, 0, 0x81, 0})}))
                  .bits,
              nullptr);
    // No BMHD, hold-and-modify on 5 planes, unknown compression and plane counts.
    EXPECT_EQ(decodeWith(kIffCodec, form("ILBM", {chunk("BODY", {0, 0})})).bits, nullptr);
    EXPECT_EQ(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(1, 1, 5, 0, 0)), chunk("CAMG", {0, 0, 8, 0}),
                                                  chunk("BODY", std::vector<uint8_t>(10))}))
                  .bits,
              nullptr);
    EXPECT_EQ(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(1, 1, 1, 0, 2)), chunk("BODY", {0, 0})})).bits,
              nullptr);
    EXPECT_EQ(decodeWith(kIffCodec, form("ILBM", {chunk("BMHD", bmhd(1, 1, 12, 0, 0)), chunk("BODY", std::vector<uint8_t>(24))}))
                  .bits,
              nullptr);
}

TEST(IffInterop, FilesFromPpmtoilbmOpenToTheSamePixels)
{
    if (!haveTool("ppmtoilbm"))
        GTEST_SKIP() << "ppmtoilbm is not installed";
    for (int depth : {1, 4, 8, 24})
        expectWeSee(kIffCodec, depth, "ppmtoilbm IN > OUT", 0);
    expectWeSee(kIffCodec, 24, "ppmtoilbm -24force IN > OUT", 24);
    expectWeSee(kIffCodec, 8, "ppmtoilbm -maxplanes 8 IN > OUT", 8);
    expectWeSee(kIffCodec, 4, "ppmtoilbm -nocompress IN > OUT", 4);
}

TEST(IffInterop, HoldAndModifyReadsAsIlbmtoppmReadsIt)
{
    if (!haveTool("ppmtoilbm") || !haveTool("ilbmtoppm"))
        GTEST_SKIP() << "ppmtoilbm or ilbmtoppm is not installed";
    TempDir dir;
    DibOwner picture(patternDib(45, 13, 24));
    writeFile(dir / "in.ppm", ppmBytes(rgbOf(picture.get())));
    for (const char* options : {"-hamforce", "-hamforce -hambits 6"}) {
        ASSERT_TRUE(run(std::string("ppmtoilbm ") + options + " " + quoted(dir / "in.ppm") + " > " + quoted(dir / "ham.iff")));
        const std::vector<uint8_t> bytes = readFile(dir / "ham.iff");
        Rgb reference;
        ASSERT_TRUE(toolPixels("ilbmtoppm " + quoted(dir / "ham.iff"), reference));
        DibOwner opened(decodeWith(kIffCodec, bytes));
        ASSERT_TRUE(opened) << options;
        EXPECT_EQ(opened.get().header->biBitCount, 24);
        EXPECT_EQ(rgbOf(opened.get()), reference) << options;
    }
}

TEST(IffInterop, IlbmtoppmReadsOurFiles)
{
    if (!haveTool("ilbmtoppm"))
        GTEST_SKIP() << "ilbmtoppm is not installed";
    for (int depth : {1, 4, 8, 24}) {
        DibOwner picture(patternDib(45, 13, depth));
        expectToolSees(kIffCodec, picture.get(), "iff", "ilbmtoppm FILE");
    }
}

}  // namespace
