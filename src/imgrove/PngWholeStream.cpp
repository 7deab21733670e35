#include "imgrove/PngWholeStream.h"

#include "imgrove/CodecSupport.h"
#include "imgrove/LibCodecRows.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace pngwhole {

namespace {

constexpr size_t kChunkFrame = 12;  // length, type, checksum

uint32_t be32At(std::span<const uint8_t> file, size_t at)
{
    return imgrove_detail::Reader(file, at).be32();
}

bool isType(const uint8_t* p, const char (&type)[5])
{
    return std::memcmp(p, type, 4) == 0;
}

// A chunk found in the file: where its data starts and how long it is.
struct Chunk {
    size_t data = 0;
    size_t length = 0;
};

// The chunk whose data starts at data, when its length and checksum are whole within the file
// and the checksum matches its type and data.
bool soundChunk(std::span<const uint8_t> file, size_t data, Chunk& chunk)
{
    if (data < 8 || data > file.size())
        return false;
    const size_t length = be32At(file, data - 8);
    if (length > INT32_MAX || length + 4 > file.size() - data)
        return false;
    const uint32_t stored = be32At(file, data + length);
    if (uint32_t(libdeflate_crc32(0, file.data() + data - 4, length + 4)) != stored)
        return false;
    chunk = Chunk{data, length};
    return true;
}

// The IDAT chunks from the first on, their data gathered into one stream (a single chunk is used
// where it lies); next is where the chunk after them starts.
bool gatherStream(std::span<const uint8_t> file, size_t firstIdatData, std::vector<uint8_t>& joined,
                  std::span<const uint8_t>& stream, size_t& next)
{
    Chunk chunk;
    if (firstIdatData < 8 || !isType(file.data() + firstIdatData - 4, "IDAT") ||
        !soundChunk(file, firstIdatData, chunk))
        return false;
    stream = file.subspan(chunk.data, chunk.length);
    next = chunk.data + chunk.length + 4;
    while (file.size() - next >= kChunkFrame && isType(file.data() + next + 4, "IDAT")) {
        if (!soundChunk(file, next + 8, chunk))
            return false;
        if (joined.empty()) {
            joined.reserve(file.size() - firstIdatData);
            joined.assign(stream.begin(), stream.end());
        }
        const auto data = file.subspan(chunk.data, chunk.length);
        joined.insert(joined.end(), data.begin(), data.end());
        next = chunk.data + chunk.length + 4;
    }
    if (!joined.empty())
        stream = joined;
    return true;
}

// True when what follows the IDAT chunks is ancillary chunks and then a sound, empty IEND.
bool endsWell(std::span<const uint8_t> file, size_t next)
{
    while (file.size() - next >= kChunkFrame) {
        const uint8_t* type = file.data() + next + 4;
        const size_t length = be32At(file, next);
        if (isType(type, "IEND")) {
            Chunk end;
            return length == 0 && soundChunk(file, next + 8, end);
        }
        // A lower-case first letter marks a chunk a reader may pass over.
        if ((type[0] & 0x20) == 0 || length > file.size() - next - kChunkFrame)
            return false;
        next += kChunkFrame + length;
    }
    return false;
}

// Without branches: on scanned noise the choice is a coin toss each byte, and mispredicted
// branches made Paeth rows several times slower than the others.
uint8_t paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bOrC = pb <= pc ? b : c;
    return uint8_t(pa <= pb && pa <= pc ? a : bOrC);
}

// Undoes one row's filter in place; previous is the row above, already unfiltered (zeros above
// the first row). False for an unknown filter.
bool unfilter(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t length, size_t bpp)
{
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = bpp; i < length; ++i)
            row[i] = uint8_t(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < length; ++i)
            row[i] = uint8_t(row[i] + previous[i]);
        return true;
    case 3:
        for (size_t i = 0; i < bpp; ++i)
            row[i] = uint8_t(row[i] + (previous[i] >> 1));
        for (size_t i = bpp; i < length; ++i)
            row[i] = uint8_t(row[i] + ((row[i - bpp] + previous[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < bpp; ++i)
            row[i] = uint8_t(row[i] + previous[i]);
        for (size_t i = bpp; i < length; ++i)
            row[i] = uint8_t(row[i] + paeth(row[i - bpp], previous[i], previous[i - bpp]));
        return true;
    default:
        return false;
    }
}

void storeRow(const uint8_t* row, const RowLayout& layout, uint8_t* target)
{
    if (!layout.rgbToBgr) {
        std::memcpy(target, row, layout.rowBytes);
        return;
    }
    for (size_t i = 0; i + 2 < layout.rowBytes; i += 3) {
        target[i] = row[i + 2];
        target[i + 1] = row[i + 1];
        target[i + 2] = row[i];
    }
}

struct Decompressor {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Decompressor() { libdeflate_free_decompressor(d); }
};

// Inflates the whole zlib stream into out, which it must fill exactly. zlib refuses a stream that
// reaches back further than the window its header declares; libdeflate does not look. The two
// agree where the window is deflate's largest, 32 KB, or holds the whole output (libpng writes
// smaller windows only for such small pictures); other streams are left to zlib.
bool inflateExactly(std::span<const uint8_t> stream, uint8_t* out, size_t outSize)
{
    if (stream.empty())
        return false;
    const unsigned windowBits = (stream[0] >> 4) + 8u;
    if (windowBits != 15 && (windowBits > 15 || outSize > (size_t(1) << windowBits)))
        return false;
    Decompressor inflater;
    if (!inflater.d)
        return false;
    size_t used = 0;
    size_t written = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(inflater.d, stream.data(), stream.size(), out, outSize, &used, &written);
    return result == LIBDEFLATE_SUCCESS && used == stream.size() && written == outSize;
}

bool readRowsOrThrow(std::span<const uint8_t> file, size_t firstIdatData, const RowLayout& layout, Dib& dib)
{
    const int32_t width = dib.header->biWidth;
    const int32_t height = dib.header->biHeight;
    if (layout.rowBytes == 0 || layout.rowBytes > size_t(dib.rowSize) || layout.pixelBytes == 0 ||
        layout.pixelBytes > layout.rowBytes)
        return false;
    const size_t stride = layout.rowBytes + 1;
    const uint64_t inflated = uint64_t(stride) * uint64_t(height);
    std::vector<uint8_t> joined;
    std::span<const uint8_t> stream;
    size_t next = 0;
    if (!gatherStream(file, firstIdatData, joined, stream, next) || !endsWell(file, next))
        return false;
    const uint64_t working = inflated + joined.size() + layout.rowBytes;
    if (!libcodec::pictureFits(width, height, dib.header->biBitCount, working, file.size()))
        return false;
    std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[size_t(inflated)]);
    if (!rows || !inflateExactly(stream, rows.get(), size_t(inflated)))
        return false;
    const std::vector<uint8_t> zeros(layout.rowBytes);
    const uint8_t* previous = zeros.data();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = rows.get() + size_t(y) * stride;
        if (!unfilter(row[0], row + 1, previous, layout.rowBytes, layout.pixelBytes))
            return false;
        storeRow(row + 1, layout, libcodec::rowFromTop(dib, y));
        previous = row + 1;
    }
    return true;
}

}  // namespace

bool chunksFitFile(std::span<const uint8_t> file)
{
    size_t next = 8;
    while (next <= file.size() && file.size() - next >= kChunkFrame) {
        const size_t length = be32At(file, next);
        if (length > INT32_MAX || length > file.size() - next - kChunkFrame)
            return false;
        if (isType(file.data() + next + 4, "IEND"))
            return true;
        next += kChunkFrame + length;
    }
    return false;
}

RowLayout rowLayout(int32_t width, unsigned bitsPerPixel, bool rgb)
{
    return RowLayout{(size_t(width) * bitsPerPixel + 7) / 8, std::max(1u, bitsPerPixel / 8), rgb};
}

bool readRows(std::span<const uint8_t> file, size_t firstIdatData, const RowLayout& layout, Dib& dib)
{
    // When the stream gathered from many chunks does not fit, libpng reads it in pieces.
    return imgrove_detail::orWhenOutOfMemory(false, [&] { return readRowsOrThrow(file, firstIdatData, layout, dib); });
}

}  // namespace pngwhole
