// Windows bitmaps: "bmp" and "dib" uncompressed, "rle" with RLE8 / RLE4 compression. All three
// read any of these files.
//
// Depth written, by the picture's depth:
//   picture   1     4        8        24
//   bmp, dib  1     4        8        24
//   rle       4     4 (RLE4) 8 (RLE8) 8 (RLE8; exact colours when it has at most 256,
//             RLE4                      otherwise halftoned to the standard 256 colours)
// Read: 1, 4, 8 bits keep their depth and colours; 16, 24 and 32 bits (bit fields too) become
// 24 bits; top-down files are turned bottom-up.
#include "imgrove/CodecSupport.h"
#include "imgrove/DibCodec.h"
#include "imgrove/Halftone.h"

#include <bit>

using namespace imgrove_detail;

namespace {

// The info header's compression codes this codec knows.
enum BmpCompression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };
constexpr size_t kFileHeaderSize = 14;
constexpr uint64_t kRlePlausibleBytes = uint64_t(1) << 24;

bool sniffBmp(std::span<const uint8_t> head)
{
    return head.size() >= 18 && head[0] == 'B' && head[1] == 'M';
}

struct BmpInfo {
    int64_t width = 0;
    int64_t height = 0;  // negative for top-down rows
    int bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    size_t paletteAt = 0;
    int paletteEntrySize = 4;
};

struct Channel {
    uint32_t mask;
    int shift;
    uint32_t max;
    uint8_t operator()(uint32_t value) const
    {
        return max == 0 ? 0 : uint8_t(uint64_t((value & mask) >> shift) * 255 / max);
    }
};

Channel channelOf(uint32_t mask)
{
    if (mask == 0)
        return Channel{0, 0, 0};
    const int shift = std::countr_zero(mask);
    return Channel{mask, shift, mask >> shift};
}

bool readInfo(std::span<const uint8_t> data, BmpInfo& info)
{
    Reader r(data, kFileHeaderSize);
    const uint32_t size = r.le32();
    if (r.failed())
        return false;
    if (size == 12) {
        info.width = r.le16();
        info.height = r.le16();
        r.le16();
        info.bitCount = r.le16();
        info.paletteEntrySize = 3;
        info.paletteAt = kFileHeaderSize + 12;
        return !r.failed();
    }
    if (size < 16 || size > 4096 || !r.has(size - 4))
        return false;
    Reader h(data.subspan(kFileHeaderSize + 4, size - 4));
    info.width = int32_t(h.le32());
    info.height = int32_t(h.le32());
    h.le16();
    info.bitCount = h.le16();
    if (size >= 20)
        info.compression = h.le32();
    if (size >= 36) {
        h.skip(12);
        info.colorsUsed = h.le32();
    }
    if (size == 64 && info.compression >= kBitFields)  // OS/2's Huffman and RLE24
        return false;
    info.paletteAt = kFileHeaderSize + size;
    if (info.compression == kBitFields || info.compression == kAlphaBitFields) {
        Reader m(data, size >= 52 ? kFileHeaderSize + 40 : info.paletteAt);
        for (uint32_t& mask : info.masks)
            mask = m.le32();
        if (m.failed())
            return false;
        if (size < 52)
            info.paletteAt += info.compression == kAlphaBitFields ? 16 : 12;
    }
    return true;
}

bool readPalette(std::span<const uint8_t> data, const BmpInfo& info, RGBQUAD* table, int tableSize)
{
    uint32_t count = info.colorsUsed == 0 ? uint32_t(tableSize) : info.colorsUsed;
    if (count > uint32_t(tableSize))
        count = uint32_t(tableSize);
    Reader r(data, info.paletteAt);
    for (int i = 0; i < tableSize; ++i)
        table[i] = RGBQUAD{0, 0, 0, 0};
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = r.take(size_t(info.paletteEntrySize));
        if (!p)
            return false;
        table[i] = RGBQUAD{p[0], p[1], p[2], 0};
    }
    return true;
}

uint64_t rowStride(int64_t width, int bitCount)
{
    return ((uint64_t(width) * uint64_t(bitCount) + 31) / 32) * 4;
}

uint64_t rowPixelBytes(int64_t width, int bitCount)
{
    return (uint64_t(width) * uint64_t(bitCount) + 7) / 8;
}

// True when uncompressed data of that many bytes holds every row, the last one without its
// padding, which some writers leave off.
bool rowsFit(size_t dataBytes, int64_t width, int64_t height, int bitCount)
{
    return width > 0 && height > 0 &&
           uint64_t(dataBytes) >= rowStride(width, bitCount) * uint64_t(height - 1) + rowPixelBytes(width, bitCount);
}

bool decodeUncompressed(std::span<const uint8_t> pixels, const BmpInfo& info, Dib& dib)
{
    const int32_t width = widthOf(dib);
    const int32_t height = heightOf(dib);
    const uint64_t stride = rowStride(width, info.bitCount);
    const uint64_t lastRow = rowPixelBytes(width, info.bitCount);
    if (!rowsFit(pixels.size(), width, height, info.bitCount))
        return false;

    const bool topDown = info.height < 0;
    Channel channels[3];
    if (info.bitCount == 16 || info.bitCount == 32) {
        uint32_t masks[3] = {info.masks[0], info.masks[1], info.masks[2]};
        if (info.compression == kRgb) {
            masks[0] = info.bitCount == 16 ? 0x7C00 : 0xFF0000;
            masks[1] = info.bitCount == 16 ? 0x03E0 : 0x00FF00;
            masks[2] = info.bitCount == 16 ? 0x001F : 0x0000FF;
        }
        for (int c = 0; c < 3; ++c)
            channels[c] = channelOf(masks[c]);
    }
    for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const uint8_t* in = pixels.data() + stride * uint64_t(fileRow);
        const int32_t y = topDown ? fileRow : height - 1 - fileRow;
        uint8_t* out = rowFromTop(dib, y);
        switch (info.bitCount) {
        case 1:
        case 4:
        case 8:
            std::memcpy(out, in, size_t(lastRow));
            break;
        case 24:
            std::memcpy(out, in, size_t(width) * 3);
            break;
        default:
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t v = info.bitCount == 16
                                       ? uint32_t(in[2 * x] | in[2 * x + 1] << 8)
                                       : uint32_t(in[4 * x]) | uint32_t(in[4 * x + 1]) << 8 |
                                             uint32_t(in[4 * x + 2]) << 16 | uint32_t(in[4 * x + 3]) << 24;
                out[3 * x] = channels[2](v);
                out[3 * x + 1] = channels[1](v);
                out[3 * x + 2] = channels[0](v);
            }
            break;
        }
    }
    return true;
}

// RLE rows run bottom-up, as in the Dib. Pixels beyond the picture are dropped. The picture is
// complete at the end-of-bitmap mark, or when the data ends right after the last row's end.
bool decodeRle(std::span<const uint8_t> pixels, int bitCount, Dib& dib)
{
    const int64_t width = widthOf(dib);
    const int64_t height = heightOf(dib);
    Reader r(pixels);
    int64_t x = 0;
    int64_t y = 0;
    auto put = [&](uint32_t value) {
        if (x < width && y < height)
            putIndex(dib.bits + size_t(y) * size_t(dib.rowSize), int32_t(x), bitCount, value);
        ++x;
    };
    for (;;) {
        if (!r.has(2))
            return y >= height && r.left() == 0;
        const uint8_t count = r.u8();
        const uint8_t value = r.u8();
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(bitCount == 8 ? value : (i & 1) ? value & 0x0Fu : value >> 4u);
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++y;
            break;
        case 1:
            return true;
        case 2: {
            const uint8_t dx = r.u8();
            const uint8_t dy = r.u8();
            if (r.failed())
                return false;
            x += dx;
            y += dy;
            break;
        }
        default: {
            const size_t bytes = bitCount == 8 ? value : (size_t(value) + 1) / 2;
            const uint8_t* literal = r.take(bytes + (bytes & 1));
            if (!literal)
                return false;
            for (int i = 0; i < value; ++i)
                put(bitCount == 8 ? literal[i] : (i & 1) ? literal[i / 2] & 0x0Fu : literal[i / 2] >> 4u);
            break;
        }
        }
    }
}

Dib decodeBmpMayThrow(std::span<const uint8_t> data)
{
    if (!sniffBmp(data))
        return Dib{};
    BmpInfo info;
    if (!readInfo(data, info))
        return Dib{};
    const int64_t height = info.height < 0 ? -info.height : info.height;
    if (!pixelsWithin(info.width, height, kMaxDibPixels))
        return Dib{};
    const int depth = info.bitCount <= 8 ? info.bitCount : 24;
    const bool rle = info.compression == kRle8 || info.compression == kRle4;
    switch (info.compression) {
    case kRgb:
        if (info.bitCount != 1 && info.bitCount != 4 && info.bitCount != 8 && info.bitCount != 16 &&
            info.bitCount != 24 && info.bitCount != 32)
            return Dib{};
        break;
    case kRle8:
    case kRle4:
        if (info.bitCount != (info.compression == kRle8 ? 8 : 4) || info.height < 0)
            return Dib{};
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (info.bitCount != 16 && info.bitCount != 32)
            return Dib{};
        break;
    default:
        return Dib{};
    }

    Reader fileHeader(data, 10);
    size_t offset = fileHeader.le32();
    RGBQUAD table[256];
    const int tableSize = dibTableSize(depth);
    if (tableSize > 0 && !readPalette(data, info, table, tableSize))
        return Dib{};
    const size_t paletteEnd =
        info.paletteAt + (tableSize > 0 ? size_t(info.colorsUsed == 0 || info.colorsUsed > uint32_t(tableSize)
                                                     ? tableSize
                                                     : info.colorsUsed) *
                                              size_t(info.paletteEntrySize)
                                        : 0);
    if (offset < paletteEnd)  // a zero or lying offset: the pixels follow the colours
        offset = paletteEnd;
    if (offset >= data.size())
        return Dib{};
    const std::span<const uint8_t> pixels = data.subspan(offset);
    if (!rle) {
        // Refuse before allocating when the data can't hold the rows; only the last row's
        // padding may be missing.
        if (!rowsFit(pixels.size(), info.width, height, info.bitCount))
            return Dib{};
    } else {
        // An end-of-bitmap mark lets a few bytes stand for any size, so the size is bounded by
        // what run-length writers produce: two bytes hold at most 255 pixels and every row ends
        // with a mark. A blank page of 16 million pixels is always allowed.
        const uint64_t rowBytes = uint64_t(dibRowSize(int32_t(info.width), depth));
        if (rowBytes * uint64_t(height) > kRlePlausibleBytes + uint64_t(pixels.size()) * 1024)
            return Dib{};
    }

    if (!pictureFitsReadBudget(info.width, height, depth, data.size()))
        return Dib{};
    DibOwner dib(makeDib(int32_t(info.width), int32_t(height), depth, table, tableSize));
    if (!dib)
        return Dib{};
    const bool ok = rle ? decodeRle(pixels, info.bitCount, dib.get()) : decodeUncompressed(pixels, info, dib.get());
    return ok ? dib.release() : Dib{};
}

void writeHeaders(const Dib& dib, int depth, uint32_t compression, int colors, size_t imageSize,
                  std::vector<uint8_t>& out)
{
    out.reserve(out.size() + kFileHeaderSize + 40 + size_t(colors) * 4);
    const uint32_t offset = uint32_t(kFileHeaderSize + 40 + size_t(colors) * 4);
    out.push_back('B');
    out.push_back('M');
    putLe32(out, uint32_t(offset + imageSize));
    putLe32(out, 0);
    putLe32(out, offset);
    putLe32(out, 40);
    putLe32(out, uint32_t(widthOf(dib)));
    putLe32(out, uint32_t(heightOf(dib)));
    putLe16(out, 1);
    putLe16(out, uint32_t(depth));
    putLe32(out, compression);
    putLe32(out, uint32_t(imageSize));
    putLe32(out, uint32_t(dib.header->biXPelsPerMeter));
    putLe32(out, uint32_t(dib.header->biYPelsPerMeter));
    putLe32(out, uint32_t(colors));
    putLe32(out, 0);
    const RGBQUAD* table = dibColors(dib);
    for (int i = 0; i < colors; ++i) {
        out.push_back(table[i].rgbBlue);
        out.push_back(table[i].rgbGreen);
        out.push_back(table[i].rgbRed);
        out.push_back(0);
    }
}

// The picture's rows are already the file's rows: bottom-up, padded to 4 bytes.
bool encodeBmpPieces(const Dib& dib, const std::function<void(const uint8_t*, size_t)>& put)
{
    if (!hasPixels(dib))
        return false;
    const int depth = depthOf(dib);
    const size_t rowBytes = size_t(dibRowSize(widthOf(dib), depth));
    const size_t imageSize = rowBytes * size_t(heightOf(dib));
    if (imageSize > 0xFFFFFFFFu - 2048)
        return false;
    std::vector<uint8_t> headers;
    writeHeaders(dib, depth, kRgb, dibTableSize(depth), imageSize, headers);
    put(headers.data(), headers.size());
    if (size_t(dib.rowSize) == rowBytes) {
        put(dib.bits, imageSize);
    } else {
        for (int32_t y = heightOf(dib) - 1; y >= 0; --y)
            put(rowFromTop(dib, y), rowBytes);
    }
    return true;
}

bool encodeBmpMayThrow(const Dib& dib, std::vector<uint8_t>& out)
{
    return encodeBmpPieces(dib, [&out](const uint8_t* data, size_t size) { out.insert(out.end(), data, data + size); });
}

bool encodeBmpPiecesOrFail(const Dib& dib, const std::function<void(const uint8_t*, size_t)>& put)
{
    return orWhenOutOfMemory(false, [&] { return encodeBmpPieces(dib, put); });
}

// One row of indices (one per pixel) into RLE8 or RLE4 packets, followed by an end-of-line.
void encodeRleRow(const std::vector<uint8_t>& row, int bitCount, std::vector<uint8_t>& out)
{
    const size_t width = row.size();
    size_t i = 0;
    while (i < width) {
        const size_t run = runLength(row.data(), i, width, 255);
        if (run >= 2) {
            out.push_back(uint8_t(run));
            out.push_back(bitCount == 8 ? row[i] : uint8_t(row[i] << 4 | row[i]));
            i += run;
            continue;
        }
        size_t end = i;
        while (end < width && end - i < 255 &&
               !(end + 2 < width && row[end] == row[end + 1] && row[end] == row[end + 2]))
            ++end;
        const size_t length = end - i;
        if (length < 3) {  // absolute mode needs three pixels or more
            for (size_t k = i; k < end; ++k) {
                out.push_back(1);
                out.push_back(bitCount == 8 ? row[k] : uint8_t(row[k] << 4));
            }
        } else {
            out.push_back(0);
            out.push_back(uint8_t(length));
            size_t bytes = 0;
            if (bitCount == 8) {
                out.insert(out.end(), row.begin() + std::ptrdiff_t(i), row.begin() + std::ptrdiff_t(end));
                bytes = length;
            } else {
                for (size_t k = i; k < end; k += 2) {
                    out.push_back(uint8_t(row[k] << 4 | (k + 1 < end ? row[k + 1] : 0)));
                    ++bytes;
                }
            }
            if (bytes & 1)
                out.push_back(0);
        }
        i = end;
    }
    out.push_back(0);
    out.push_back(0);
}

bool encodeRleMayThrow(const Dib& source, std::vector<uint8_t>& out)
{
    if (!hasPixels(source))
        return false;
    DibOwner converted;
    const Dib* dib = &source;
    if (depthOf(source) == 24) {
        std::vector<RGBQUAD> colors;
        Dib indexed;
        if (exactPalette(source, colors, indexed))
            converted.reset(indexed);
        else
            converted.reset(DIBHalftoneDIB(source));
        if (!converted)
            return false;
        dib = &converted.get();
    }
    const int depth = depthOf(*dib);
    const int bitCount = depth == 8 ? 8 : 4;
    const int colors = dibTableSize(depth);
    const int32_t width = widthOf(*dib);
    const int32_t height = heightOf(*dib);

    std::vector<uint8_t> encoded;
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* in = rowFromTop(*dib, y);
        for (int32_t x = 0; x < width; ++x)
            row[size_t(x)] = uint8_t(indexAt(in, x, depth));
        encodeRleRow(row, bitCount, encoded);
    }
    encoded.push_back(0);
    encoded.push_back(1);
    if (encoded.size() > 0xFFFFFFFFu - 2048)
        return false;
    writeHeaders(*dib, bitCount, bitCount == 8 ? kRle8 : kRle4, colors, encoded.size(), out);
    out.insert(out.end(), encoded.begin(), encoded.end());
    return true;
}

}  // namespace

const DibCodec kBmpCodec{"bmp", sniffBmp, decodeOrFail<decodeBmpMayThrow>, encodeOrFail<encodeBmpMayThrow>,
                         encodeBmpPiecesOrFail};
const DibCodec kDibCodec{"dib", sniffBmp, decodeOrFail<decodeBmpMayThrow>, encodeOrFail<encodeBmpMayThrow>,
                         encodeBmpPiecesOrFail};
const DibCodec kRleCodec{"rle", sniffBmp, decodeOrFail<decodeBmpMayThrow>, encodeOrFail<encodeRleMayThrow>};
