// Files of the library formats exchanged with ImageMagick's convert in both directions: what
// convert writes opens to the pixels convert itself decodes, and what we write opens in convert
// to our pixels. JPEG is compared with a tolerance of a few levels, the rest exactly.
#include "test_library_codecs_pictures.h"

#include "OwnCodecTestSupport.h"
#include "imgrove/DibCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

using namespace codectest;
namespace fs = std::filesystem;

namespace {

struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;

    uint32_t colourAt(int x, int y) const
    {
        const uint8_t* p = pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * size_t(channels);
        return channels == 1 ? uint32_t(p[0]) * 0x010101u : uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
};

// Binary PGM or PPM with 8-bit samples, as convert writes them.
Pnm readPnm(const fs::path& path)
{
    const std::vector<uint8_t> bytes = owncodec::readFile(path);
    Pnm pnm;
    size_t at = 0;
    auto token = [&]() {
        std::string t;
        while (at < bytes.size()) {
            const char c = char(bytes[at]);
            if (c == '#') {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++at;
                if (!t.empty())
                    return t;
            } else {
                t += c;
                ++at;
            }
        }
        return t;
    };
    const std::string magic = token();
    if (magic != "P5" && magic != "P6")
        return pnm;
    pnm.channels = magic == "P5" ? 1 : 3;
    pnm.width = std::stoi(token());
    pnm.height = std::stoi(token());
    if (std::stoi(token()) != 255)
        return Pnm{};
    pnm.pixels.assign(bytes.begin() + std::ptrdiff_t(at), bytes.end());
    if (pnm.pixels.size() < size_t(pnm.width) * size_t(pnm.height) * size_t(pnm.channels))
        return Pnm{};
    return pnm;
}

void writePpm(const fs::path& path, const Dib& dib)
{
    const int32_t width = dib.header->biWidth;
    const int32_t height = dib.header->biHeight;
    std::ostringstream header;
    header << "P6\n" << width << " " << height << "\n255\n";
    std::string text = header.str();
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = codectest::colourAt(dib, x, y);
            bytes.push_back(uint8_t(c));
            bytes.push_back(uint8_t(c >> 8));
            bytes.push_back(uint8_t(c >> 16));
        }
    owncodec::writeFile(path, bytes);
}

int largestDifference(const Dib& dib, const Pnm& pnm)
{
    int largest = 0;
    for (int32_t y = 0; y < pnm.height; ++y)
        for (int32_t x = 0; x < pnm.width; ++x) {
            const uint32_t a = codectest::colourAt(dib, x, y);
            const uint32_t b = pnm.colourAt(x, y);
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(channel(a, c) - channel(b, c)));
        }
    return largest;
}

class Interop : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("convert -version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick's convert is not installed";
        std::string pattern = (fs::temp_directory_path() / "velmora-interop-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    fs::path path(const std::string& name) const { return dir_ / name; }

    bool convert(const std::string& arguments) const
    {
        const std::string command = "cd '" + dir_.string() + "' && convert " + arguments + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    // convert's own reading of a file, flattened on white as our decoders do.
    Pnm reference(const std::string& name) const
    {
        const std::string out = name + ".ref.ppm";
        if (!convert("'" + name + "[0]' -background white -alpha remove -alpha off -depth 8 ppm:'" + out + "'"))
            return Pnm{};
        return readPnm(path(out));
    }

    // Writes the source picture and lets convert make a file of it with the given options.
    std::vector<uint8_t> convertedFile(const Dib& source, const std::string& options, const std::string& target)
    {
        writePpm(path("source.ppm"), source);
        EXPECT_TRUE(convert("source.ppm " + options + " '" + target + "'")) << options << " " << target;
        return owncodec::readFile(path(target));
    }

    // Decodes a file convert wrote and compares it with convert's own decoding.
    void expectOpensLikeConvert(const DibCodec& codec, const std::string& target, int tolerance,
                                int expectedDepth = 0)
    {
        const std::vector<uint8_t> file = owncodec::readFile(path(target));
        ASSERT_FALSE(file.empty()) << target;
        EXPECT_TRUE(codec.sniff(file)) << target;
        DibOwner ours(codec.decode(file));
        ASSERT_TRUE(ours) << target;
        const Pnm ref = reference(target);
        ASSERT_GT(ref.width, 0) << target;
        ASSERT_EQ(ours.get().header->biWidth, ref.width) << target;
        ASSERT_EQ(ours.get().header->biHeight, ref.height) << target;
        if (expectedDepth) {
            EXPECT_EQ(ours.get().header->biBitCount, expectedDepth) << target;
        }
        EXPECT_LE(largestDifference(ours.get(), ref), tolerance) << target;
    }

    fs::path dir_;
};

Dib greyPicture(int32_t width, int32_t height)
{
    Dib dib = makePicture(width, height, 8, [] {
        std::vector<RGBQUAD> t(256);
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        return t;
    }());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(dib, x, y, uint32_t(x * 11 + y * 3) % 256);
    return dib;
}

// ---------------------------------------------------------------------------------------------
// Files written by convert

TEST_F(Interop, PngVariantsWrittenByConvertOpenToItsPixels)
{
    DibOwner colour(makePicture(37, 23, 24));
    DibOwner grey(greyPicture(29, 17));
    convertedFile(colour.get(), "", "rgb.png");
    expectOpensLikeConvert(kPngCodec, "rgb.png", 0, 24);
    convertedFile(colour.get(), "-interlace PNG", "interlaced.png");
    expectOpensLikeConvert(kPngCodec, "interlaced.png", 0, 24);
    convertedFile(colour.get(), "-depth 16", "deep.png");
    expectOpensLikeConvert(kPngCodec, "deep.png", 0, 24);
    convertedFile(colour.get(), "-colors 12", "PNG8:palette.png");
    expectOpensLikeConvert(kPngCodec, "palette.png", 0);
    convertedFile(grey.get(), "-colorspace Gray", "PNG8:grey.png");
    expectOpensLikeConvert(kPngCodec, "grey.png", 0);
    convertedFile(grey.get(), "-colorspace Gray -depth 16", "grey16.png");
    expectOpensLikeConvert(kPngCodec, "grey16.png", 0, 8);
    convertedFile(grey.get(), "-colorspace Gray -threshold 50% -depth 1", "PNG:bilevel.png");
    expectOpensLikeConvert(kPngCodec, "bilevel.png", 0);
    convertedFile(colour.get(), "-alpha set -channel A -evaluate set 40% +channel", "PNG32:alpha.png");
    expectOpensLikeConvert(kPngCodec, "alpha.png", 1, 24);
}

TEST_F(Interop, TiffVariantsWrittenByConvertOpenToItsPixels)
{
    DibOwner colour(makePicture(37, 23, 24));
    DibOwner grey(greyPicture(29, 17));
    for (const char* compression : {"None", "LZW", "Zip", "RLE"}) {
        const std::string name = std::string("rgb-") + compression + ".tif";
        convertedFile(colour.get(), std::string("-compress ") + compression, name);
        expectOpensLikeConvert(kTifCodec, name, 0, 24);
    }
    convertedFile(colour.get(), "-compress JPEG -quality 95", "jpeg.tif");
    expectOpensLikeConvert(kTifCodec, "jpeg.tif", 3, 24);
    convertedFile(colour.get(), "-define tiff:tile-geometry=16x16", "tiled.tif");
    expectOpensLikeConvert(kTifCodec, "tiled.tif", 0, 24);
    convertedFile(colour.get(), "-interlace Plane", "planes.tif");
    expectOpensLikeConvert(kTifCodec, "planes.tif", 0, 24);
    convertedFile(colour.get(), "-depth 16", "deep.tif");
    expectOpensLikeConvert(kTifCodec, "deep.tif", 0, 24);
    // convert's colour map holds 16-bit levels that are not all multiples of 257; it truncates
    // them to 8 bits where we round, so a level may differ by one.
    convertedFile(colour.get(), "-colors 12 -type Palette", "palette.tif");
    expectOpensLikeConvert(kTifCodec, "palette.tif", 1);
    convertedFile(grey.get(), "-colorspace Gray", "grey.tif");
    expectOpensLikeConvert(kTifCodec, "grey.tif", 0, 8);
    convertedFile(grey.get(), "-colorspace Gray -threshold 50% -type Bilevel -compress Group4", "fax.tif");
    expectOpensLikeConvert(kTifCodec, "fax.tif", 0, 1);
    convertedFile(colour.get(), "-alpha set -channel A -evaluate set 40% +channel", "alpha.tif");
    expectOpensLikeConvert(kTifCodec, "alpha.tif", 1, 24);
}

TEST_F(Interop, OnlyTheFirstPageOfAMultiPageTiffIsRead)
{
    DibOwner first(makePicture(20, 10, 24));
    DibOwner second(makeSmoothPicture(30, 30));
    writePpm(path("first.ppm"), first.get());
    writePpm(path("second.ppm"), second.get());
    ASSERT_TRUE(convert("first.ppm second.ppm pages.tif"));
    DibOwner ours(kTifCodec.decode(owncodec::readFile(path("pages.tif"))));
    ASSERT_TRUE(ours);
    ASSERT_EQ(ours.get().header->biWidth, 20);
    ASSERT_EQ(ours.get().header->biHeight, 10);
    EXPECT_EQ(codectest::largestDifference(ours.get(), first.get()), 0);
}

TEST_F(Interop, GifVariantsWrittenByConvertOpenToItsPixels)
{
    DibOwner colour(makePicture(37, 23, 24));
    convertedFile(colour.get(), "", "plain.gif");
    expectOpensLikeConvert(kGifCodec, "plain.gif", 0, 8);
    convertedFile(colour.get(), "-interlace GIF", "interlaced.gif");
    expectOpensLikeConvert(kGifCodec, "interlaced.gif", 0, 8);
    convertedFile(colour.get(), "-colors 2", "two.gif");
    expectOpensLikeConvert(kGifCodec, "two.gif", 0, 1);
    convertedFile(colour.get(), "-colors 9", "nine.gif");
    expectOpensLikeConvert(kGifCodec, "nine.gif", 0, 4);
}

TEST_F(Interop, JpegVariantsWrittenByConvertOpenWithinAFewLevels)
{
    DibOwner smooth(makeSmoothPicture(64, 48));
    DibOwner grey(greyPicture(40, 24));
    convertedFile(smooth.get(), "-quality 90", "plain.jpg");
    expectOpensLikeConvert(kJpgCodec, "plain.jpg", 2, 24);
    convertedFile(smooth.get(), "-interlace JPEG", "progressive.jpg");
    expectOpensLikeConvert(kJpgCodec, "progressive.jpg", 2, 24);
    convertedFile(smooth.get(), "-sampling-factor 1x1", "full.jpg");
    expectOpensLikeConvert(kJpgCodec, "full.jpg", 2, 24);
    convertedFile(grey.get(), "-colorspace Gray", "grey.jpg");
    expectOpensLikeConvert(kJpgCodec, "grey.jpg", 2, 8);
    convertedFile(smooth.get(), "-colorspace CMYK -quality 95", "cmyk.jpg");
    expectOpensLikeConvert(kJpgCodec, "cmyk.jpg", 3, 24);
}

// ---------------------------------------------------------------------------------------------
// Files we write, opened by convert

struct Written {
    const DibCodec* codec;
    int depth;
};

class WrittenFiles : public Interop, public testing::WithParamInterface<Written> {};

TEST_P(WrittenFiles, OpenInConvertToOurPixels)
{
    const auto [codec, depth] = GetParam();
    for (bool grey : {false, true}) {
        if (grey && depth == 24)
            continue;
        DibOwner picture(depth == 24 && codec == &kJpgCodec
                             ? makeSmoothPicture(48, 40)
                             : makePicture(37, 23, depth, grey ? greyTable(depth) : colourTable(depth)));
        const std::vector<uint8_t> file = encoded(*codec, picture.get());
        ASSERT_FALSE(file.empty());
        const std::string name = std::string("ours") + (grey ? "-grey." : ".") + codec->name;
        owncodec::writeFile(path(name), file);
        const Pnm theirs = reference(name);
        ASSERT_EQ(theirs.width, picture.get().header->biWidth) << name;
        ASSERT_EQ(theirs.height, picture.get().header->biHeight) << name;
        if (codec == &kJpgCodec) {
            // Lossy: convert must see what we see when we open the same file.
            DibOwner ours(codec->decode(file));
            EXPECT_LE(largestDifference(ours.get(), theirs), 2) << name;
        } else {
            EXPECT_EQ(largestDifference(picture.get(), theirs), 0) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, WrittenFiles,
                         testing::Values(Written{&kPngCodec, 1}, Written{&kPngCodec, 4}, Written{&kPngCodec, 8},
                                         Written{&kPngCodec, 24}, Written{&kTifCodec, 1}, Written{&kTifCodec, 4},
                                         Written{&kTifCodec, 8}, Written{&kTifCodec, 24}, Written{&kGifCodec, 1},
                                         Written{&kGifCodec, 4}, Written{&kGifCodec, 8}, Written{&kJpgCodec, 8},
                                         Written{&kJpgCodec, 24}),
                         [](const testing::TestParamInfo<Written>& info) {
                             return std::string(info.param.codec->name) + std::to_string(info.param.depth);
                         });

TEST_F(Interop, TrueColourGifWeWriteOpensInConvertAsTheStandardPaletteColours)
{
    DibOwner picture(makeSmoothPicture(40, 30));
    const std::vector<uint8_t> file = encoded(kGifCodec, picture.get());
    owncodec::writeFile(path("reduced.gif"), file);
    DibOwner ours(kGifCodec.decode(file));
    ASSERT_TRUE(ours);
    const Pnm theirs = reference("reduced.gif");
    ASSERT_EQ(theirs.width, 40);
    EXPECT_EQ(largestDifference(ours.get(), theirs), 0);
}

}  // namespace
