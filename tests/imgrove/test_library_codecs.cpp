// The codecs over the codec libraries: depths kept per format, conversions of the variants
// other writers produce, and what broken or hostile files give.
#include "test_library_codecs_pictures.h"

#include "imgrove/DibCodec.h"
#include "imgrove/Palette.h"
#include "imgrove/StandardPalettes.h"

#include <gtest/gtest.h>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace codectest;

namespace {

struct Depths {
    const DibCodec* codec;
    int depth;
};

std::string nameOf(const testing::TestParamInfo<Depths>& info)
{
    return std::string(info.param.codec->name) + std::to_string(info.param.depth);
}

void expectSamePicture(const Dib& expected, const Dib& actual)
{
    ASSERT_TRUE(actual.bits);
    ASSERT_EQ(actual.header->biWidth, expected.header->biWidth);
    ASSERT_EQ(actual.header->biHeight, expected.header->biHeight);
    ASSERT_EQ(actual.header->biBitCount, expected.header->biBitCount);
    for (int32_t y = 0; y < expected.header->biHeight; ++y)
        for (int32_t x = 0; x < expected.header->biWidth; ++x) {
            ASSERT_EQ(getpixel(actual, x, y), getpixel(expected, x, y)) << "at " << x << "," << y;
            ASSERT_EQ(colourAt(actual, x, y), colourAt(expected, x, y)) << "at " << x << "," << y;
        }
}

// ---------------------------------------------------------------------------------------------
// Lossless formats keep depth, indices and colours.

class LosslessRoundTrip : public testing::TestWithParam<Depths> {};

TEST_P(LosslessRoundTrip, ColourPictureComesBackPixelForPixel)
{
    const auto [codec, depth] = GetParam();
    // Odd widths catch row padding and the last partial byte of 1- and 4-bit rows.
    DibOwner picture(makePicture(37, 23, depth, depth == 24 ? std::vector<RGBQUAD>{} : colourTable(depth)));
    const std::vector<uint8_t> file = encoded(*codec, picture.get());
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(codec->sniff(file));
    DibOwner back(codec->decode(file));
    expectSamePicture(picture.get(), back.get());
}

TEST_P(LosslessRoundTrip, GreyPictureComesBackPixelForPixel)
{
    const auto [codec, depth] = GetParam();
    // At 24 bits: grey pixels, which must not shrink the picture to a grey depth.
    DibOwner picture(makePicture(33, 9, depth, depth == 24 ? std::vector<RGBQUAD>{} : greyTable(depth)));
    if (depth == 24)
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < 33; ++x)
                setpixel(picture.get(), x, y, uint32_t(x * 7 + y) % 256 * 0x010101u);
    DibOwner back(codec->decode(encoded(*codec, picture.get())));
    expectSamePicture(picture.get(), back.get());
}

INSTANTIATE_TEST_SUITE_P(Codecs, LosslessRoundTrip,
                         testing::Values(Depths{&kPngCodec, 1}, Depths{&kPngCodec, 4}, Depths{&kPngCodec, 8},
                                         Depths{&kPngCodec, 24}, Depths{&kTifCodec, 1}, Depths{&kTifCodec, 4},
                                         Depths{&kTifCodec, 8}, Depths{&kTifCodec, 24}, Depths{&kGifCodec, 1},
                                         Depths{&kGifCodec, 4}, Depths{&kGifCodec, 8}),
                         nameOf);

TEST(LosslessFiles, ResolutionIsKept)
{
    for (const DibCodec* codec : {&kPngCodec, &kTifCodec, &kJpgCodec}) {
        DibOwner picture(makePicture(8, 8, 24));
        picture.get().header->biXPelsPerMeter = 11811;  // 300 dots per inch
        picture.get().header->biYPelsPerMeter = 5906;   // 150
        DibOwner back(codec->decode(encoded(*codec, picture.get())));
        ASSERT_TRUE(back) << codec->name;
        EXPECT_EQ(back.get().header->biXPelsPerMeter, 11811) << codec->name;
        EXPECT_EQ(back.get().header->biYPelsPerMeter, 5906) << codec->name;
    }
}

TEST(PngFiles, GreyRampIsStoredAsGreyAndOtherTablesAsPalette)
{
    // Byte 25 of a PNG is the colour type of its header: 0 grey, 2 RGB, 3 palette.
    DibOwner grey(makePicture(4, 4, 8, greyTable(8)));
    DibOwner colour(makePicture(4, 4, 4, colourTable(4)));
    DibOwner rgb(makePicture(4, 4, 24));
    EXPECT_EQ(encoded(kPngCodec, grey.get()).at(25), 0);
    EXPECT_EQ(encoded(kPngCodec, colour.get()).at(25), 3);
    EXPECT_EQ(encoded(kPngCodec, rgb.get()).at(25), 2);
}

std::vector<uint8_t> simplePng(uint32_t format, int width, int height, const std::vector<uint8_t>& pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

TEST(PngFiles, AlphaIsShownOverWhitePaper)
{
    // Opaque, half transparent and fully transparent pixels.
    const std::vector<uint8_t> rgba = {200, 100, 0, 255, 200, 100, 0, 128, 200, 100, 0, 0};
    DibOwner colour(kPngCodec.decode(simplePng(PNG_FORMAT_RGBA, 3, 1, rgba)));
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour.get().header->biBitCount, 24);
    EXPECT_EQ(colourAt(colour.get(), 0, 0), 200u | 100u << 8 | 0u << 16);
    // 200 at 128/255 over white: (200 * 128 + 255 * 127) / 255 = 227.4; 100 -> 177.2; 0 -> 127.
    EXPECT_EQ(colourAt(colour.get(), 1, 0), 227u | 177u << 8 | 127u << 16);
    EXPECT_EQ(colourAt(colour.get(), 2, 0), 0xFFFFFFu);

    const std::vector<uint8_t> greyAlpha = {60, 255, 60, 64, 60, 0};
    DibOwner grey(kPngCodec.decode(simplePng(PNG_FORMAT_GA, 3, 1, greyAlpha)));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey.get().header->biBitCount, 8);
    EXPECT_EQ(colourAt(grey.get(), 0, 0), 0x3C3C3Cu);
    // (60 * 64 + 255 * 191) / 255 = 206.1
    EXPECT_EQ(colourAt(grey.get(), 1, 0), 0xCECECEu);
    EXPECT_EQ(colourAt(grey.get(), 2, 0), 0xFFFFFFu);
}

TEST(PngFiles, SixteenBitGreyBecomesEightBitGrey)
{
    // Linear 16-bit grey: values 0, 32768 and 65535 (native order, as the simplified API takes it).
    const uint16_t samples[3] = {0, 32896, 65535};
    std::vector<uint8_t> bytes(sizeof samples);
    std::memcpy(bytes.data(), samples, sizeof samples);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 1;
    image.format = PNG_FORMAT_LINEAR_Y;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, bytes.data(), 0, nullptr));
    std::vector<uint8_t> file(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, bytes.data(), 0, nullptr));
    file.resize(size);
    DibOwner dib(kPngCodec.decode(file));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 8);
    EXPECT_EQ(colourAt(dib.get(), 0, 0) & 0xff, 0u);
    EXPECT_EQ(colourAt(dib.get(), 2, 0) & 0xff, 255u);
    // The simplified writer stores linear light with the sRGB curve: mid-grey is not 128, but it
    // must be strictly between.
    const uint32_t middle = colourAt(dib.get(), 1, 0) & 0xff;
    EXPECT_GT(middle, 0u);
    EXPECT_LT(middle, 255u);
}

// ---------------------------------------------------------------------------------------------
// GIF

TEST(GifFiles, TrueColourGoesToTheStandardPaletteByNearestColour)
{
    DibOwner picture(newdib(6, 2, 24, nullptr, 0));
    // Standard colours stay exactly; a colour near pure red goes to pure red.
    const StandardColor& a = kStandardPalette256[7];
    const StandardColor& b = kStandardPalette256[100];
    const StandardColor& c = kStandardPalette256[255];
    for (int x = 0; x < 6; ++x) {
        setpixel(picture.get(), x, 0, [](const StandardColor& s) { return PaletteRgb(s.red, s.green, s.blue); }(x % 3 == 0 ? a : x % 3 == 1 ? b : c));
        setpixel(picture.get(), x, 1, 250u | 4u << 8 | 3u << 16);
    }
    DibOwner back(kGifCodec.decode(encoded(kGifCodec, picture.get())));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.get().header->biBitCount, 8);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(colourAt(back.get(), x, 0), colourAt(picture.get(), x, 0)) << x;
        EXPECT_EQ(colourAt(back.get(), x, 1), 0x0000FFu) << x;
    }
}

std::vector<uint8_t> gifWithFrame(bool transparent)
{
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
        auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
        v->insert(v->end(), data, data + n);
        return n;
    }, &error);
    GifColorType colours[4] = {{10, 20, 30}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    // Screen 8 x 6 with background colour 3; a 4 x 3 picture at (2, 1).
    EGifPutScreenDesc(gif, 8, 6, 8, 3, map);
    if (transparent) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, 1};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
    }
    EGifPutImageDesc(gif, 2, 1, 4, 3, false, nullptr);
    GifPixelType rows[3][4] = {{0, 1, 2, 3}, {1, 1, 1, 1}, {2, 0, 2, 0}};
    for (auto& row : rows)
        EGifPutLine(gif, row, 4);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

TEST(GifFiles, PictureIsPlacedOnItsScreenAndTransparencyShowsWhite)
{
    DibOwner opaque(kGifCodec.decode(gifWithFrame(false)));
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque.get().header->biWidth, 8);
    EXPECT_EQ(opaque.get().header->biHeight, 6);
    EXPECT_EQ(opaque.get().header->biBitCount, 4);
    EXPECT_EQ(colourAt(opaque.get(), 0, 0), 200u << 16) << "screen background";
    EXPECT_EQ(colourAt(opaque.get(), 2, 1), 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(colourAt(opaque.get(), 3, 1), 200u);
    EXPECT_EQ(colourAt(opaque.get(), 5, 3), 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(colourAt(opaque.get(), 7, 5), 200u << 16);

    DibOwner clear(kGifCodec.decode(gifWithFrame(true)));
    ASSERT_TRUE(clear);
    EXPECT_EQ(colourAt(clear.get(), 0, 0), 0xFFFFFFu) << "around a transparent picture";
    EXPECT_EQ(colourAt(clear.get(), 3, 1), 0xFFFFFFu) << "transparent pixel";
    EXPECT_EQ(colourAt(clear.get(), 4, 1), 200u << 8);
}

// ---------------------------------------------------------------------------------------------
// JPEG

TEST(JpegFiles, TrueColourComesBackWithinAFewLevels)
{
    DibOwner picture(makeSmoothPicture(64, 48));
    const std::vector<uint8_t> file = encoded(kJpgCodec, picture.get());
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(kJifCodec.sniff(file));
    DibOwner back(kJifCodec.decode(file));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.get().header->biBitCount, 24);
    EXPECT_LE(largestDifference(picture.get(), back.get()), 6);
}

Dib blockPicture(int depth, const std::vector<RGBQUAD>& table)
{
    // 16-pixel blocks, so that the edges fall on JPEG's block edges and nothing rings.
    Dib dib = makePicture(64, 32, depth, table);
    const uint32_t count = uint32_t(table.size());
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 64; ++x)
            setpixel(dib, x, y, uint32_t(x / 16 + 3 * (y / 16)) % count);
    return dib;
}

TEST(JpegFiles, GreyPalettesBecomeGreyJpegsAndColourPalettesTrueColour)
{
    for (int depth : {1, 4, 8}) {
        DibOwner grey(blockPicture(depth, greyTable(depth)));
        const std::vector<uint8_t> file = encoded(kJpgCodec, grey.get());
        DibOwner back(kJpgCodec.decode(file));
        ASSERT_TRUE(back) << depth;
        EXPECT_EQ(back.get().header->biBitCount, 8) << depth;
        EXPECT_LE(largestDifference(grey.get(), back.get()), 3) << depth;

        DibOwner colour(blockPicture(depth, colourTable(depth)));
        DibOwner colourBack(kJpgCodec.decode(encoded(kJpgCodec, colour.get())));
        ASSERT_TRUE(colourBack) << depth;
        EXPECT_EQ(colourBack.get().header->biBitCount, 24) << depth;
        // Chroma is stored at half resolution and blurs the edges between colours, so only the
        // inside of each block is held to a few levels.
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                if (x % 16 < 4 || x % 16 > 11 || y % 16 < 4 || y % 16 > 11)
                    continue;
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(channel(colourAt(colourBack.get(), x, y), c), channel(colourAt(colour.get(), x, y), c), 4)
                        << depth << " at " << x << "," << y;
            }
    }
}

// A picture of one colour written by libjpeg itself, with Huffman tables fitted to the data,
// the densest coding its writer produces.
std::vector<uint8_t> oneColourJpeg(const uint8_t* pixel, int components, J_COLOR_SPACE space, int width, int height,
                                   bool progressive = false)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    cinfo.optimize_coding = TRUE;
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> line(size_t(width) * size_t(components));
    for (int x = 0; x < width; ++x)
        std::memcpy(&line[size_t(x) * size_t(components)], pixel, size_t(components));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {line.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    free(buffer);
    return out;
}

std::vector<uint8_t> cmykJpeg(const uint8_t (&pixel)[4], int width, int height)
{
    return oneColourJpeg(pixel, 4, JCS_CMYK, width, height);
}

TEST(JpegFiles, AdobeCmykIsConvertedToRgb)
{
    // libjpeg writes CMYK with an Adobe marker, whose convention stores 255 for no ink: the
    // values (255, 127, 255, 204) are no cyan, half magenta, no yellow and 20 % black.
    const uint8_t pixel[4] = {255, 127, 255, 204};
    DibOwner dib(kJpgCodec.decode(cmykJpeg(pixel, 16, 16)));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 24);
    const uint32_t c = colourAt(dib.get(), 5, 5);
    EXPECT_NEAR(channel(c, 0), 204, 2);  // red: 255 * 204 / 255
    EXPECT_NEAR(channel(c, 1), 102, 2);  // green: 127 * 204 / 255
    EXPECT_NEAR(channel(c, 2), 204, 2);  // blue
}

// ---------------------------------------------------------------------------------------------
// TIFF: small files written byte by byte for the layouts other writers use.

struct TiffTag {
    uint16_t id;
    uint16_t type;  // 3 short, 4 long
    std::vector<uint32_t> values;
};

std::vector<uint8_t> handMadeTiff(uint32_t width, uint32_t height, std::vector<TiffTag> tags,
                                  const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](std::vector<uint8_t>& v, uint32_t x) {
        v.push_back(uint8_t(x));
        v.push_back(uint8_t(x >> 8));
    };
    auto put32 = [&](std::vector<uint8_t>& v, uint32_t x) {
        put16(v, x);
        put16(v, x >> 16);
    };
    tags.push_back({256, 4, {width}});
    tags.push_back({257, 4, {height}});
    tags.push_back({259, 3, {1}});
    tags.push_back({273, 4, {0}});  // strip offset, filled below
    tags.push_back({278, 4, {height}});
    tags.push_back({279, 4, {uint32_t(pixels.size())}});
    std::sort(tags.begin(), tags.end(), [](const TiffTag& a, const TiffTag& b) { return a.id < b.id; });
    const size_t ifdSize = 2 + tags.size() * 12 + 4;
    size_t extra = 8 + ifdSize;
    std::vector<uint8_t> ifd, outside;
    put16(ifd, uint32_t(tags.size()));
    for (const TiffTag& tag : tags) {
        put16(ifd, tag.id);
        put16(ifd, tag.type);
        put32(ifd, uint32_t(tag.values.size()));
        const size_t bytes = tag.values.size() * (tag.type == 3 ? 2 : 4);
        std::vector<uint8_t> value;
        for (uint32_t v : tag.values)
            tag.type == 3 ? put16(value, v) : put32(value, v);
        if (bytes <= 4) {
            value.resize(4);
            ifd.insert(ifd.end(), value.begin(), value.end());
        } else {
            put32(ifd, uint32_t(extra + outside.size()));
            outside.insert(outside.end(), value.begin(), value.end());
        }
    }
    put32(ifd, 0);
    const uint32_t pixelOffset = uint32_t(extra + outside.size());
    // Patch the strip offset (tag 273) now that the layout is known.
    for (size_t i = 0; i < tags.size(); ++i)
        if (tags[i].id == 273)
            for (int b = 0; b < 4; ++b)
                ifd[2 + i * 12 + 8 + size_t(b)] = uint8_t(pixelOffset >> (8 * b));
    out.insert(out.end(), ifd.begin(), ifd.end());
    out.insert(out.end(), outside.begin(), outside.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

TEST(TiffFiles, MinIsWhiteBilevelKeepsItsBitsAndShowsInvertedColours)
{
    // Bits 1 are black in a min-is-white file.
    const auto file = handMadeTiff(10, 2, {{258, 3, {1}}, {262, 3, {0}}, {277, 3, {1}}}, {0xC0, 0x00, 0x00, 0x40});
    DibOwner dib(kTifCodec.decode(file));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 1);
    EXPECT_EQ(colourAt(dib.get(), 0, 0), 0u);
    EXPECT_EQ(colourAt(dib.get(), 1, 0), 0u);
    EXPECT_EQ(colourAt(dib.get(), 2, 0), 0xFFFFFFu);
    EXPECT_EQ(colourAt(dib.get(), 9, 1), 0u);
    EXPECT_EQ(colourAt(dib.get(), 8, 1), 0xFFFFFFu);
}

TEST(TiffFiles, TwoBitAndSixteenBitGreyGoToTheNearestDepth)
{
    // 2 bits: 0, 1, 2, 3 as greys 0, 85, 170, 255 in a 4-bit picture.
    const auto twoBit = handMadeTiff(4, 1, {{258, 3, {2}}, {262, 3, {1}}, {277, 3, {1}}}, {0x1B});
    DibOwner dib(kTifCodec.decode(twoBit));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 4);
    EXPECT_EQ(colourAt(dib.get(), 0, 0), 0u);
    EXPECT_EQ(colourAt(dib.get(), 1, 0), 0x555555u);
    EXPECT_EQ(colourAt(dib.get(), 2, 0), 0xAAAAAAu);
    EXPECT_EQ(colourAt(dib.get(), 3, 0), 0xFFFFFFu);

    // 16 bits little-endian: 0, 0x8080 (128 on 8 bits), 0xFFFF.
    const auto wide = handMadeTiff(3, 1, {{258, 3, {16}}, {262, 3, {1}}, {277, 3, {1}}},
                                   {0x00, 0x00, 0x80, 0x80, 0xFF, 0xFF});
    DibOwner grey(kTifCodec.decode(wide));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey.get().header->biBitCount, 8);
    EXPECT_EQ(colourAt(grey.get(), 0, 0), 0u);
    EXPECT_EQ(colourAt(grey.get(), 1, 0), 0x808080u);
    EXPECT_EQ(colourAt(grey.get(), 2, 0), 0xFFFFFFu);
}

TEST(TiffFiles, UnassociatedAlphaIsShownOverWhite)
{
    const auto file = handMadeTiff(2, 1, {{258, 3, {8, 8, 8, 8}}, {262, 3, {2}}, {277, 3, {4}}, {338, 3, {2}}},
                                   {10, 20, 30, 255, 200, 100, 0, 0});
    DibOwner dib(kTifCodec.decode(file));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 24);
    EXPECT_EQ(colourAt(dib.get(), 0, 0), 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(colourAt(dib.get(), 1, 0), 0xFFFFFFu);
}

TEST(TiffFiles, EightBitColourMapOfOldWritersIsRead)
{
    std::vector<uint32_t> map(48, 0);
    map[1] = 255;       // red of entry 1
    map[16 + 2] = 128;  // green of entry 2
    const auto file =
        handMadeTiff(3, 1, {{258, 3, {4}}, {262, 3, {3}}, {277, 3, {1}}, {320, 3, map}}, {0x12, 0x00});
    DibOwner dib(kTifCodec.decode(file));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib.get().header->biBitCount, 4);
    EXPECT_EQ(colourAt(dib.get(), 0, 0), 255u);
    EXPECT_EQ(colourAt(dib.get(), 1, 0), 128u << 8);
    EXPECT_EQ(colourAt(dib.get(), 2, 0), 0u);
}

// Rows long and varied enough for the LZW string table to fill, grow its codes to 12 bits and
// start again, in one strip and in many, with and without differencing.
TEST(TiffFiles, LongLzwStripsOfColourComeBackExactly)
{
    DibOwner picture(newdib(613, 97, 24, nullptr, 0));
    uint32_t noise = 99;
    for (int32_t y = 0; y < 97; ++y)
        for (int32_t x = 0; x < 613; ++x) {
            noise = noise * 1103515245u + 12345u;
            const uint32_t grain = noise >> 29;
            const uint32_t value = x < 300 ? (x + grain) | (y * 2) << 8 | (x ^ y) << 16 : noise >> 8;
            setpixel(picture.get(), x, y, value & 0xFFFFFF);
        }
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "velmora-lzw-test.tif";
    struct Variant {
        uint32_t rowsPerStrip;
        uint16_t predictor;
    };
    for (const Variant v : {Variant{97, PREDICTOR_NONE}, Variant{5, PREDICTOR_HORIZONTAL}, Variant{1, PREDICTOR_NONE}}) {
        TIFF* tif = TIFFOpen(file.c_str(), "w");
        ASSERT_NE(tif, nullptr);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 613u);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 97u);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_PREDICTOR, v.predictor);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, v.rowsPerStrip);
        std::vector<uint8_t> line(613 * 3);
        for (uint32_t y = 0; y < 97; ++y) {
            for (int32_t x = 0; x < 613; ++x) {
                const uint32_t c = getpixel(picture.get(), x, int32_t(y));
                line[size_t(3 * x)] = uint8_t(c);
                line[size_t(3 * x + 1)] = uint8_t(c >> 8);
                line[size_t(3 * x + 2)] = uint8_t(c >> 16);
            }
            ASSERT_EQ(TIFFWriteScanline(tif, line.data(), y, 0), 1);
        }
        TIFFClose(tif);
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::filesystem::remove(file);
        DibOwner back(kTifCodec.decode(bytes));
        ASSERT_TRUE(back) << v.rowsPerStrip;
        expectSamePicture(picture.get(), back.get());
        // With the last strip's byte count halved its codes run out: the picture is damaged
        // and does not open.
        std::vector<uint8_t> cut = bytes;
        auto le32 = [&cut](size_t at) {
            return uint32_t(cut[at]) | uint32_t(cut[at + 1]) << 8 | uint32_t(cut[at + 2]) << 16 |
                   uint32_t(cut[at + 3]) << 24;
        };
        const size_t ifd = le32(4);
        const size_t entries = size_t(cut[ifd] | cut[ifd + 1] << 8);
        bool halved = false;
        for (size_t e = 0; e < entries; ++e) {
            const size_t at = ifd + 2 + 12 * e;
            if ((cut[at] | cut[at + 1] << 8) != 279)
                continue;
            const size_t size = (cut[at + 2] | cut[at + 3] << 8) == 3 ? 2 : 4;  // SHORT or LONG
            const size_t count = le32(at + 4);
            const size_t last = count * size <= 4 ? at + 8 + size * (count - 1) : le32(at + 8) + size * (count - 1);
            const uint32_t value = size == 2 ? uint32_t(cut[last] | cut[last + 1] << 8) : le32(last);
            for (size_t b = 0; b < size; ++b)
                cut[last + b] = uint8_t((value / 2) >> (8 * b));
            halved = true;
        }
        ASSERT_TRUE(halved);
        EXPECT_FALSE(DibOwner(kTifCodec.decode(cut))) << v.rowsPerStrip;
    }
}

// ---------------------------------------------------------------------------------------------
// Broken and hostile files

const DibCodec* const kAllCodecs[] = {&kJpgCodec, &kPngCodec, &kTifCodec, &kGifCodec};

void expectSaneOrNull(const Dib& dib, const char* name, size_t length)
{
    if (!dib.bits)
        return;
    const BITMAPINFOHEADER& h = *dib.header;
    EXPECT_GT(h.biWidth, 0) << name << " " << length;
    EXPECT_GT(h.biHeight, 0) << name << " " << length;
    EXPECT_LE(int64_t(h.biWidth) * h.biHeight, kMaxDibPixels) << name << " " << length;
    EXPECT_EQ(dib.rowSize, dibRowSize(h.biWidth, h.biBitCount)) << name << " " << length;
}

TEST(BrokenFiles, EveryTruncationGivesNullOrAWholePicture)
{
    for (const DibCodec* codec : kAllCodecs) {
        DibOwner picture(makePicture(21, 13, 8, colourTable(8)));
        const std::vector<uint8_t> file = encoded(*codec, picture.get());
        ASSERT_FALSE(file.empty()) << codec->name;
        int pictures = 0;
        for (size_t length = 0; length < file.size(); ++length) {
            DibOwner dib(codec->decode(std::span(file.data(), length)));
            expectSaneOrNull(dib.get(), codec->name, length);
            if (dib) {
                ++pictures;
                EXPECT_EQ(dib.get().header->biWidth, 21) << codec->name << " " << length;
                EXPECT_EQ(dib.get().header->biHeight, 13) << codec->name << " " << length;
            }
        }
        // A file without its end is refused, JPEG included, which its library would pad with
        // grey (GIF's last byte is only the trailer).
        if (codec == &kGifCodec)
            EXPECT_LE(pictures, 1) << codec->name;
        else
            EXPECT_EQ(pictures, 0) << codec->name;
    }
}

TEST(BrokenFiles, CorruptedBytesNeverCrash)
{
    for (const DibCodec* codec : kAllCodecs) {
        DibOwner picture(makePicture(19, 7, 24));
        const std::vector<uint8_t> file = encoded(*codec, picture.get());
        for (size_t at = 0; at < file.size(); ++at)
            for (uint8_t flip : {uint8_t(0xFF), uint8_t(0x01)}) {
                std::vector<uint8_t> broken = file;
                broken[at] ^= flip;
                DibOwner dib(codec->decode(broken));
                expectSaneOrNull(dib.get(), codec->name, at);
            }
    }
}

TEST(BrokenFiles, OtherFormatsAndEmptyInputAreRefused)
{
    DibOwner picture(makePicture(5, 5, 8, colourTable(8)));
    for (const DibCodec* codec : kAllCodecs) {
        EXPECT_FALSE(codec->decode({}).bits) << codec->name;
        for (const DibCodec* other : kAllCodecs) {
            if (other == codec)
                continue;
            const std::vector<uint8_t> file = encoded(*other, picture.get());
            EXPECT_FALSE(codec->sniff(file)) << codec->name << " sniffs " << other->name;
            EXPECT_FALSE(codec->decode(file).bits) << codec->name << " decodes " << other->name;
        }
    }
}

TEST(BrokenFiles, PicturesThatCannotBeWrittenAreRefusedAndLeaveTheOutputAlone)
{
    Dib empty{};
    for (const DibCodec* codec : kAllCodecs) {
        std::vector<uint8_t> out = {1, 2, 3};
        EXPECT_FALSE(codec->encode(empty, out)) << codec->name;
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3})) << codec->name;
    }
    DibOwner wide(newdib(70000, 1, 1, nullptr, 0));
    ASSERT_TRUE(wide);
    std::vector<uint8_t> out;
    EXPECT_FALSE(kJpgCodec.encode(wide.get(), out)) << "JPEG sides end at 65500";
    EXPECT_FALSE(kGifCodec.encode(wide.get(), out)) << "GIF sides end at 65535";
    EXPECT_TRUE(out.empty());
}

void setBe32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int b = 0; b < 4; ++b)
        v[at + size_t(b)] = uint8_t(x >> (24 - 8 * b));
}

TEST(HostileFiles, HugeHeadersAreRefusedBeforeAnythingIsAllocated)
{
    DibOwner picture(makePicture(16, 16, 8, colourTable(8)));

    // PNG: the IHDR's width and height (bytes 16..23), with its CRC made right again.
    for (uint32_t side : {100000u, 32768u}) {
        std::vector<uint8_t> png = encoded(kPngCodec, picture.get());
        setBe32(png, 16, side);
        setBe32(png, 20, side);
        setBe32(png, 29, uint32_t(crc32(0, png.data() + 12, 17)));
        EXPECT_FALSE(kPngCodec.decode(png).bits) << side;
    }

    // JPEG: the frame header's height and width follow its marker, length and precision.
    for (uint16_t side : {uint16_t(60000), uint16_t(30000)}) {
        std::vector<uint8_t> jpg = encoded(kJpgCodec, picture.get());
        const uint8_t marker[2] = {0xFF, 0xC0};
        const auto sof = std::search(jpg.begin(), jpg.end(), std::begin(marker), std::end(marker));
        ASSERT_NE(sof, jpg.end());
        const size_t at = size_t(sof - jpg.begin()) + 5;
        jpg[at] = jpg[at + 2] = uint8_t(side >> 8);
        jpg[at + 1] = jpg[at + 3] = uint8_t(side);
        EXPECT_FALSE(kJpgCodec.decode(jpg).bits) << side;
    }

    // Progressive JPEG: 32768 x 32768 in the frame header of a 16 x 16 file. Its library would
    // gather the whole picture's coefficients before the first row.
    const uint8_t grey = 128;
    std::vector<uint8_t> progressive = oneColourJpeg(&grey, 1, JCS_GRAYSCALE, 16, 16, true);
    const uint8_t sof2[2] = {0xFF, 0xC2};
    const auto sof = std::search(progressive.begin(), progressive.end(), std::begin(sof2), std::end(sof2));
    ASSERT_NE(sof, progressive.end());
    const size_t at = size_t(sof - progressive.begin()) + 5;
    ASSERT_TRUE(DibOwner(kJpgCodec.decode(progressive)));
    progressive[at] = progressive[at + 2] = 0x80;
    progressive[at + 1] = progressive[at + 3] = 0x00;
    EXPECT_FALSE(kJpgCodec.decode(progressive).bits);

    // GIF: the logical screen (bytes 6..9, little-endian), 65535 x 65535 and 65535 x 16384 with
    // the 16 x 16 picture on it; then the picture's own descriptor claiming 10000 x 10000.
    for (uint16_t height : {uint16_t(0xFFFF), uint16_t(16384)}) {
        std::vector<uint8_t> gif = encoded(kGifCodec, picture.get());
        gif[6] = gif[7] = 0xFF;
        gif[8] = uint8_t(height);
        gif[9] = uint8_t(height >> 8);
        EXPECT_FALSE(kGifCodec.decode(gif).bits) << height;
    }
    std::vector<uint8_t> gif = encoded(kGifCodec, picture.get());
    const size_t descriptor = 13 + 3 * 256;
    ASSERT_EQ(gif[descriptor], 0x2C);
    for (size_t b : {size_t(6), size_t(8)}) {
        gif[b] = gif[descriptor + 1 + b - 2] = uint8_t(10000 & 0xFF);
        gif[b + 1] = gif[descriptor + 2 + b - 2] = uint8_t(10000 >> 8);
    }
    EXPECT_FALSE(kGifCodec.decode(gif).bits);

    // TIFF: 100000 x 100000 and 30000 x 30000 uncompressed with a few bytes of pixels.
    for (uint32_t side : {100000u, 30000u}) {
        const auto tif = handMadeTiff(side, side, {{258, 3, {8}}, {262, 3, {1}}, {277, 3, {1}}}, {1, 2, 3, 4});
        EXPECT_FALSE(kTifCodec.decode(tif).bits) << side;
    }
    // A fax coding spends at least a bit on every row: a million rows in a few bytes is a lie.
    const auto fax = handMadeTiff(1000, 1000000, {{258, 3, {1}}, {259, 3, {4}}, {262, 3, {0}}}, {0, 0, 0, 0});
    EXPECT_FALSE(kTifCodec.decode(fax).bits);
}

// The densest codings the writers produce still open: the bounds above follow the codings, not
// a guess at typical files.
TEST(HostileFiles, DensestHonestFilesStillOpen)
{
    DibOwner white(newdib(4960, 7016, 8, nullptr, 0));
    dibSetColors(white.get(), greyTable(8).data(), 256);
    std::memset(white.get().bits, 255, size_t(white.get().rowSize) * 7016);
    const uint8_t orange[3] = {230, 140, 20};
    const uint8_t grey = 77;
    struct Row {
        const char* name;
        std::vector<uint8_t> file;
        const DibCodec* codec;
        int32_t width, height;
    };
    const Row rows[] = {
        {"all-white A4 grey PNG", encoded(kPngCodec, white.get()), &kPngCodec, 4960, 7016},
        {"one-colour JPEG", oneColourJpeg(orange, 3, JCS_RGB, 2480, 3508), &kJpgCodec, 2480, 3508},
        {"one-colour grey JPEG", oneColourJpeg(&grey, 1, JCS_GRAYSCALE, 2480, 3508), &kJpgCodec, 2480, 3508},
        {"one-colour progressive JPEG", oneColourJpeg(&grey, 1, JCS_GRAYSCALE, 2480, 3508, true), &kJpgCodec, 2480,
         3508},
    };
    for (const Row& row : rows) {
        DibOwner dib(row.codec->decode(row.file));
        ASSERT_TRUE(dib) << row.name << ", " << row.file.size() << " bytes";
        EXPECT_EQ(dib.get().header->biWidth, row.width) << row.name;
        EXPECT_EQ(dib.get().header->biHeight, row.height) << row.name;
    }
}

}  // namespace
