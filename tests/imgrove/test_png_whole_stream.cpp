// PNG rows read whole: every filter and row layout the reader takes comes back exactly, and each
// file it does not expect is left to libpng, whose verdict stands.
#include "test_library_codecs_pictures.h"

#include "imgrove/CodecSupport.h"
#include "imgrove/DibCodec.h"
#include "imgrove/DibRows.h"
#include "imgrove/PngWholeStream.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <string>

using namespace codectest;

namespace {

// Random pixels, so that every filter's every branch (Paeth's three choices) is taken.
Dib noisePicture(int32_t width, int32_t height, int depth)
{
    Dib dib = makePicture(width, height, depth, depth == 8 ? greyTable(8) : colourTable(depth));
    uint32_t noise = 7;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            setpixel(dib, x, y, (noise >> 8) & (depth == 24 ? 0xFFFFFFu : (1u << depth) - 1));
        }
    return dib;
}

void appendBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// The picture written by libpng with the one filter on every row and IDAT chunks of at most
// chunkBytes; 8-bit pictures as grey, 1- and 4-bit ones with a palette.
std::vector<uint8_t> pngWithFilter(const Dib& dib, int filter, size_t chunkBytes)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, nullptr);
    const int depth = dib.header->biBitCount;
    std::vector<png_color> palette;
    for (int i = 0; depth < 8 && i < (1 << depth); ++i)
        palette.push_back(png_color{dibColors(dib)[i].rgbRed, dibColors(dib)[i].rgbGreen, dibColors(dib)[i].rgbBlue});
    const int type = depth == 24 ? PNG_COLOR_TYPE_RGB : depth == 8 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(png, info, png_uint_32(dib.header->biWidth), png_uint_32(dib.header->biHeight),
                 depth == 24 ? 8 : depth, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_set_filter(png, 0, filter);
    png_set_compression_buffer_size(png, chunkBytes);
    png_write_info(png, info);
    if (depth == 24)
        png_set_bgr(png);
    for (int32_t y = 0; y < dib.header->biHeight; ++y)
        png_write_row(png, dibrows::rowFromTop(dib, y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

size_t be32At(const std::vector<uint8_t>& file, size_t at)
{
    return imgrove_detail::Reader(file, at).be32();
}

// Where the first IDAT's data starts: what libpng has read when it hands the rows over. 0, which
// the reader refuses, when the chunks lead past the end of the file.
size_t firstIdatData(const std::vector<uint8_t>& file)
{
    for (size_t at = 8; at + 12 <= file.size(); at += 12 + be32At(file, at))
        if (std::memcmp(file.data() + at + 4, "IDAT", 4) == 0)
            return at + 8;
    return 0;
}

bool readsWhole(const std::vector<uint8_t>& file, const Dib& like)
{
    DibOwner target(newdib(like.header->biWidth, like.header->biHeight, like.header->biBitCount, nullptr, 0));
    const int depth = like.header->biBitCount;
    return pngwhole::readRows(file, firstIdatData(file), pngwhole::rowLayout(like.header->biWidth, depth, depth == 24),
                              target.get());
}

// Same size, depth and shown colour at every pixel.
void expectSamePixels(const Dib& expected, const Dib& actual)
{
    ASSERT_TRUE(actual.bits);
    ASSERT_EQ(actual.header->biBitCount, expected.header->biBitCount);
    ASSERT_EQ(actual.header->biWidth, expected.header->biWidth);
    ASSERT_EQ(actual.header->biHeight, expected.header->biHeight);
    EXPECT_EQ(largestDifference(actual, expected), 0);
}

TEST(PngWholeStream, EveryFilterAndRowLayoutComesBackExactly)
{
    struct Row {
        int32_t width, height;
        int depth;
        size_t chunkBytes;
    };
    // Small pictures get a small deflate window from libpng, the 24-bit one the full 32 KB; the
    // 100-byte chunks split the stream into many IDATs.
    const Row rows[] = {{37, 9, 1, 8192}, {37, 9, 4, 8192}, {37, 9, 8, 100}, {1, 5, 24, 8192}, {301, 47, 24, 100}};
    for (const Row& row : rows)
        for (int filter : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH}) {
            SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.depth) + " filter " +
                         std::to_string(filter));
            DibOwner picture(noisePicture(row.width, row.height, row.depth));
            const std::vector<uint8_t> file = pngWithFilter(picture.get(), filter, row.chunkBytes);
            EXPECT_TRUE(readsWhole(file, picture.get()));
            DibOwner back(kPngCodec.decode(file));
            expectSamePixels(picture.get(), back.get());
        }
}

// ---------------------------------------------------------------------------------------------
// Files changed chunk by chunk: the IDAT stream rebuilt from its inflated rows, or the bytes cut.

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

std::vector<Chunk> chunksOf(const std::vector<uint8_t>& file)
{
    std::vector<Chunk> chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length = be32At(file, at);
        chunks.push_back({std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8),
                          std::vector<uint8_t>(file.begin() + long(at) + 8, file.begin() + long(at + 8 + length))});
        at += 12 + length;
    }
    return chunks;
}

std::vector<uint8_t> fileOf(const std::vector<Chunk>& chunks)
{
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Chunk& c : chunks) {
        imgrove_detail::putBe32(out, uint32_t(c.data.size()));
        const size_t typeAt = out.size();
        out.insert(out.end(), c.type.begin(), c.type.end());
        out.insert(out.end(), c.data.begin(), c.data.end());
        imgrove_detail::putBe32(out, uint32_t(crc32(0, out.data() + typeAt, uInt(out.size() - typeAt))));
    }
    return out;
}

// The file with its IDATs as one stream made from the inflated rows as change leaves them.
using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> withRows(const Bytes& file, const std::function<void(Bytes&)>& change)
{
    std::vector<Chunk> chunks = chunksOf(file);
    std::vector<uint8_t> stream;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT")
            stream.insert(stream.end(), c.data.begin(), c.data.end());
    std::vector<uint8_t> rows(1 << 20);
    uLongf rowsSize = uLongf(rows.size());
    uncompress(rows.data(), &rowsSize, stream.data(), uLong(stream.size()));
    rows.resize(rowsSize);
    change(rows);
    std::vector<uint8_t> packed(compressBound(uLong(rows.size())));
    uLongf packedSize = uLongf(packed.size());
    compress(packed.data(), &packedSize, rows.data(), uLong(rows.size()));
    packed.resize(packedSize);
    std::erase_if(chunks, [](const Chunk& c) { return c.type == "IDAT"; });
    chunks.insert(chunks.end() - 1, Chunk{"IDAT", packed});
    return fileOf(chunks);
}

TEST(PngWholeStream, WhatItDoesNotExpectIsLeftToLibpng)
{
    DibOwner picture(noisePicture(301, 47, 24));
    const std::vector<uint8_t> sound = pngWithFilter(picture.get(), PNG_FILTER_PAETH, 8192);
    const size_t rowBytes = 1 + 301 * 3;
    const auto edited = [&](const std::function<void(std::vector<Chunk>&)>& edit) {
        std::vector<Chunk> chunks = chunksOf(sound);
        edit(chunks);
        return fileOf(chunks);
    };
    const auto lastIdat = [](std::vector<Chunk>& chunks) -> Chunk& { return chunks[chunks.size() - 2]; };
    std::vector<uint8_t> badIdatChecksum = sound;
    badIdatChecksum[firstIdatData(sound) + 10] ^= 1;
    // Rows repeated from ten rows up: the stream reaches back 9 KB for them.
    std::vector<uint8_t> smallWindow = withRows(sound, [&](std::vector<uint8_t>& r) {
        for (size_t i = 10 * rowBytes; i < r.size(); ++i)
            r[i] = r[i - 10 * rowBytes];
    });
    smallWindow[firstIdatData(smallWindow)] = 0x18;  // 256 bytes, FCHECK kept right below
    smallWindow[firstIdatData(smallWindow) + 1] = uint8_t(31 - (0x18 * 256) % 31);
    smallWindow = fileOf(chunksOf(smallWindow));

    struct Row {
        const char* what;
        std::vector<uint8_t> file;
        bool whole;  // read by the whole-stream reader
        bool opens;  // libpng's verdict, which the codec gives either way
    };
    const Row rows[] = {
        {"sound", sound, true, true},
        {"a text chunk after the rows",
         edited([](auto& c) { c.insert(c.end() - 1, Chunk{"tEXt", {'a', 0, 'b'}}); }), true, true},
        {"bytes after IEND", [&] { auto f = sound; f.push_back(0); return f; }(), true, true},
        // libpng would ask for the 2 GB before finding the file too short for them.
        {"a chunk before the rows claiming 2 GB",
         [&] {
             auto f = sound;
             const Bytes claim{0x75, 0x89, 0x9d, 0x25, 't', 'E', 'X', 't', 'a', 0};
             f.insert(f.begin() + 33, claim.begin(), claim.end());
             return f;
         }(),
         false, false},
        {"the stream's checksum wrong", edited([&](auto& c) { lastIdat(c).data.back() ^= 1; }), false, true},
        {"the rows run on", withRows(sound, [&](auto& r) { r.resize(r.size() + rowBytes); }), false, true},
        {"an IDAT's checksum wrong", badIdatChecksum, false, false},
        {"no IEND", std::vector<uint8_t>(sound.begin(), sound.end() - 12), false, false},
        {"a filter type 5", withRows(sound, [&](auto& r) { r[rowBytes * 3] = 5; }), false, false},
        {"a row short", withRows(sound, [&](auto& r) { r.resize(r.size() - rowBytes); }), false, false},
        {"a window smaller than the stream reaches", smallWindow, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(readsWhole(row.file, picture.get()), row.whole);
        DibOwner back(kPngCodec.decode(row.file));
        EXPECT_EQ(bool(back), row.opens);
        if (back)
            expectSamePixels(picture.get(), back.get());
    }
}

}  // namespace
