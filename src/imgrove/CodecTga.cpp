// Truevision TGA.
//
// Read: colour-mapped 8 bits (8 bits), grey 8 bits (8 bits with a grey ramp), true colour 15,
// 16, 24 and 32 bits (24 bits, alpha dropped), each raw or run-length encoded, any origin.
// Written run-length encoded, bottom-left origin:
//   picture   1               4                8               24
//   tga       8, mapped, 2    8, mapped, 16    8, mapped, 256  24 true colour
// The 1- and 4-bit pictures keep their colours and indices; the format has no smaller depth.
#include "imgrove/CodecSupport.h"
#include "imgrove/DibCodec.h"

using namespace imgrove_detail;

namespace {

constexpr size_t kHeaderSize = 18;
// The header's image type: the kind of pixels, with kRleFlag added when they are run-length coded.
enum TgaImageType : int { kMapped = 1, kTrueColor = 2, kGrey = 3, kRleFlag = 8 };

struct TgaHeader {
    int idLength;
    int colorMapType;
    int imageType;
    int mapFirst;
    int mapLength;
    int mapEntryBits;
    int width;
    int height;
    int pixelBits;
    int descriptor;
};

TgaHeader parseHeader(std::span<const uint8_t> head)
{
    Reader r(head);
    TgaHeader h{};
    h.idLength = r.u8();
    h.colorMapType = r.u8();
    h.imageType = r.u8();
    h.mapFirst = r.le16();
    h.mapLength = r.le16();
    h.mapEntryBits = r.u8();
    r.le16();
    r.le16();
    h.width = r.le16();
    h.height = r.le16();
    h.pixelBits = r.u8();
    h.descriptor = r.u8();
    return h;
}

bool plausible(const TgaHeader& h)
{
    const int kind = h.imageType & ~kRleFlag;
    if (h.colorMapType > 1 || h.width == 0 || h.height == 0 || (h.imageType & ~(kRleFlag | 3)) != 0)
        return false;
    if (h.colorMapType == 1 && h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 &&
        h.mapEntryBits != 32)
        return false;
    switch (kind) {
    case kMapped:
        return h.colorMapType == 1 && h.pixelBits == 8;
    case kTrueColor:
        return h.pixelBits == 15 || h.pixelBits == 16 || h.pixelBits == 24 || h.pixelBits == 32;
    case kGrey:
        return h.pixelBits == 8;
    default:
        return false;
    }
}

bool sniffTga(std::span<const uint8_t> head)
{
    return head.size() >= kHeaderSize && plausible(parseHeader(head));
}

// Red, green, blue of a 15/16, 24 or 32-bit little-endian pixel.
void colorOf(const uint8_t* p, int bits, uint8_t* rgb)
{
    if (bits <= 16) {
        const unsigned v = unsigned(p[0] | p[1] << 8);
        rgb[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
        rgb[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
        rgb[2] = uint8_t((v & 31) * 255 / 31);
    } else {
        rgb[0] = p[2];
        rgb[1] = p[1];
        rgb[2] = p[0];
    }
}

Dib decodeTgaMayThrow(std::span<const uint8_t> data)
{
    if (!sniffTga(data))
        return Dib{};
    const TgaHeader h = parseHeader(data);
    const int kind = h.imageType & ~kRleFlag;
    const bool rle = (h.imageType & kRleFlag) != 0;
    const size_t pixelBytes = size_t(h.pixelBits + 7) / 8;
    const int64_t pixels = int64_t(h.width) * h.height;

    Reader r(data, kHeaderSize);
    r.skip(size_t(h.idLength));
    RGBQUAD table[256] = {};
    if (h.colorMapType == 1) {
        const size_t entryBytes = size_t(h.mapEntryBits + 7) / 8;
        for (int i = 0; i < h.mapLength; ++i) {
            const uint8_t* p = r.take(entryBytes);
            if (!p)
                return Dib{};
            const int index = h.mapFirst + i;
            if (index < 256) {
                uint8_t rgb[3];
                colorOf(p, h.mapEntryBits, rgb);
                table[index] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
            }
        }
    }
    if (kind == kGrey)
        for (int i = 0; i < 256; ++i)
            table[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    if (r.failed())
        return Dib{};
    // A run packet of two bytes or more stands for at most 128 pixels.
    const uint64_t needed = rle ? uint64_t(pixels + 127) / 128 * (1 + pixelBytes) : uint64_t(pixels) * pixelBytes;
    if (needed > r.left())
        return Dib{};

    const int depth = kind == kTrueColor ? 24 : 8;
    if (!pictureFitsReadBudget(h.width, h.height, depth, data.size()))
        return Dib{};
    DibOwner dib(makeDib(h.width, h.height, depth, depth == 8 ? table : nullptr, depth == 8 ? 256 : 0));
    if (!dib)
        return Dib{};
    const bool topOrigin = (h.descriptor & 0x20) != 0;
    const bool rightOrigin = (h.descriptor & 0x10) != 0;

    int64_t done = 0;
    int runLeft = 0;
    bool repeating = false;
    const uint8_t* value = nullptr;
    while (done < pixels) {
        if (rle && runLeft == 0) {
            const uint8_t packet = r.u8();
            runLeft = (packet & 0x7F) + 1;
            repeating = (packet & 0x80) != 0;
            if (repeating)
                value = r.take(pixelBytes);
        }
        if (!rle || !repeating)
            value = r.take(pixelBytes);
        if (r.failed() || !value)
            return Dib{};
        if (rle)
            --runLeft;
        const int32_t fileRow = int32_t(done / h.width);
        const int32_t fileColumn = int32_t(done % h.width);
        const int32_t y = topOrigin ? fileRow : h.height - 1 - fileRow;
        const int32_t x = rightOrigin ? h.width - 1 - fileColumn : fileColumn;
        uint8_t* row = rowFromTop(dib.get(), y);
        if (depth == 8) {
            row[x] = value[0];
        } else {
            uint8_t rgb[3];
            colorOf(value, h.pixelBits, rgb);
            row[3 * x] = rgb[2];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[0];
        }
        ++done;
    }
    return dib.release();
}

// One row of pixels of pixelBytes each into RLE packets: runs of two or more repeat, the rest
// goes raw, 128 pixels a packet at most.
void encodeRow(const uint8_t* row, int32_t width, size_t pixelBytes, std::vector<uint8_t>& out)
{
    auto same = [&](int32_t a, int32_t b) { return std::memcmp(row + a * pixelBytes, row + b * pixelBytes, pixelBytes) == 0; };
    int32_t i = 0;
    while (i < width) {
        int32_t run = 1;
        while (i + run < width && run < 128 && same(i, i + run))
            ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), row + i * pixelBytes, row + (i + 1) * pixelBytes);
            i += run;
            continue;
        }
        int32_t end = i + 1;
        while (end < width && end - i < 128 && !(end + 1 < width && same(end, end + 1)))
            ++end;
        out.push_back(uint8_t(end - i - 1));
        out.insert(out.end(), row + i * pixelBytes, row + end * pixelBytes);
        i = end;
    }
}

bool encodeTgaMayThrow(const Dib& dib, std::vector<uint8_t>& out)
{
    const std::optional<EncodedShape> shape = shapeWithin16BitSides(dib);
    if (!shape)
        return false;
    const auto [width, height, depth] = *shape;
    const int colors = dibTableSize(depth);
    out.push_back(0);
    out.push_back(colors > 0 ? 1 : 0);
    out.push_back(uint8_t((colors > 0 ? kMapped : kTrueColor) | kRleFlag));
    putLe16(out, 0);
    putLe16(out, uint32_t(colors));
    out.push_back(colors > 0 ? 24 : 0);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, uint32_t(width));
    putLe16(out, uint32_t(height));
    out.push_back(colors > 0 ? 8 : 24);
    out.push_back(0);
    const RGBQUAD* table = dibColors(dib);
    for (int i = 0; i < colors; ++i) {
        out.push_back(table[i].rgbBlue);
        out.push_back(table[i].rgbGreen);
        out.push_back(table[i].rgbRed);
    }
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* in = rowFromTop(dib, y);
        if (depth == 24) {
            encodeRow(in, width, 3, out);
            continue;
        }
        for (int32_t x = 0; x < width; ++x)
            row[size_t(x)] = uint8_t(indexAt(in, x, depth));
        encodeRow(row.data(), width, 1, out);
    }
    return true;
}

}  // namespace

const DibCodec kTgaCodec{"tga", sniffTga, decodeOrFail<decodeTgaMayThrow>, encodeOrFail<encodeTgaMayThrow>};
