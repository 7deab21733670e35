// ZSoft PCX, version 5, run-length encoded.
//
// Read: 1 bit (1 plane), 1 bit x 2..4 planes and 4 bits x 1 plane (4 bits, header colours),
// 8 bits x 1 plane (8 bits, colours at the end of the file), 8 bits x 3 or 4 planes (24 bits,
// a fourth plane is dropped); raw (encoding 0) files too.
// Written, by the picture's depth:
//   picture   1                 4                     8                        24
//   pcx       1 bit, 1 plane    1 bit x 4 planes      8 bits, 256 colours at   8 bits x 3 planes
//             header colours    header colours        the end of the file
#include "imgrove/CodecSupport.h"
#include "imgrove/DibCodec.h"

#include <cmath>

using namespace imgrove_detail;

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTrailingPalette = 769;  // the 0x0C mark and 256 colours

struct PcxHeader {
    int version;
    int encoding;
    int bitsPerPixel;
    int64_t width;
    int64_t height;
    int planes;
    size_t bytesPerLine;
};

PcxHeader parseHeader(std::span<const uint8_t> data)
{
    Reader r(data);
    PcxHeader h{};
    r.u8();
    h.version = r.u8();
    h.encoding = r.u8();
    h.bitsPerPixel = r.u8();
    const int xmin = r.le16();
    const int ymin = r.le16();
    const int xmax = r.le16();
    const int ymax = r.le16();
    h.width = int64_t(xmax) - xmin + 1;
    h.height = int64_t(ymax) - ymin + 1;
    Reader rest(data, 65);
    h.planes = rest.u8();
    h.bytesPerLine = rest.le16();
    return h;
}

// The depth a header's layout becomes, or 0 when it is not supported.
int depthFor(const PcxHeader& h)
{
    if (h.bitsPerPixel == 1 && h.planes == 1)
        return 1;
    if ((h.bitsPerPixel == 1 && h.planes >= 2 && h.planes <= 4) || (h.bitsPerPixel == 4 && h.planes == 1))
        return 4;
    if (h.bitsPerPixel == 8 && h.planes == 1)
        return 8;
    if (h.bitsPerPixel == 8 && (h.planes == 3 || h.planes == 4))
        return 24;
    return 0;
}

bool sniffPcx(std::span<const uint8_t> head)
{
    if (head.size() < kHeaderSize || head[0] != 0x0A || head[1] > 5 || head[1] == 1 || head[2] > 1)
        return false;
    const PcxHeader h = parseHeader(head);
    return h.width > 0 && h.height > 0 && depthFor(h) != 0;
}

Dib decodePcxMayThrow(std::span<const uint8_t> data)
{
    if (!sniffPcx(data))
        return Dib{};
    const PcxHeader h = parseHeader(data);
    const int depth = depthFor(h);
    if (!pixelsWithin(h.width, h.height, kMaxDibPixels))
        return Dib{};
    if (h.bytesPerLine * 8 < size_t(h.width) * size_t(h.bitsPerPixel))
        return Dib{};

    RGBQUAD table[256] = {};
    size_t end = data.size();
    if (depth == 8) {
        if (data.size() < kHeaderSize + kTrailingPalette || data[data.size() - kTrailingPalette] != 0x0C)
            return Dib{};
        end = data.size() - kTrailingPalette;
        const uint8_t* p = data.data() + end + 1;
        for (int i = 0; i < 256; ++i)
            table[i] = RGBQUAD{p[3 * i + 2], p[3 * i + 1], p[3 * i], 0};
    } else if (depth <= 4) {
        for (int i = 0; i < 16; ++i)
            table[i] = RGBQUAD{data[16 + 3 * i + 2], data[16 + 3 * i + 1], data[16 + 3 * i], 0};
        if (depth == 1 && std::memcmp(&table[0], &table[1], sizeof(RGBQUAD)) == 0) {
            table[0] = RGBQUAD{0, 0, 0, 0};
            table[1] = RGBQUAD{255, 255, 255, 0};
        }
    }

    const size_t scanLine = h.bytesPerLine * size_t(h.planes);
    const uint64_t total = uint64_t(scanLine) * uint64_t(h.height);
    const size_t available = end - kHeaderSize;
    // A two-byte run stands for 63 bytes at most.
    if (h.encoding == 1 ? total > uint64_t(available) * 32 + 63 : total > available)
        return Dib{};

    if (!pictureFitsReadBudget(h.width, h.height, depth, data.size()))
        return Dib{};
    DibOwner dib(makeDib(int32_t(h.width), int32_t(h.height), depth, depth == 24 ? nullptr : table,
                         depth == 24 ? 0 : dibTableSize(depth)));
    if (!dib)
        return Dib{};

    Reader r(data.first(end), kHeaderSize);
    std::vector<uint8_t> line(scanLine);
    int runLeft = 0;
    uint8_t runValue = 0;
    const int32_t width = int32_t(h.width);
    for (int32_t y = 0; y < int32_t(h.height); ++y) {
        size_t i = 0;
        while (i < scanLine) {
            if (h.encoding == 1 && runLeft == 0) {
                const uint8_t b = r.u8();
                if ((b & 0xC0) == 0xC0) {
                    runLeft = b & 0x3F;
                    runValue = r.u8();
                } else {
                    runLeft = 1;
                    runValue = b;
                }
                if (r.failed())
                    return Dib{};
                continue;
            }
            if (h.encoding == 1) {
                line[i++] = runValue;
                --runLeft;
            } else {
                line[i++] = r.u8();
                if (r.failed())
                    return Dib{};
            }
        }
        uint8_t* out = rowFromTop(dib.get(), y);
        const uint8_t* planes = line.data();
        if (depth == 24) {
            for (int32_t x = 0; x < width; ++x) {
                out[3 * x + 2] = planes[x];
                out[3 * x + 1] = planes[h.bytesPerLine + size_t(x)];
                out[3 * x] = planes[2 * h.bytesPerLine + size_t(x)];
            }
        } else if (h.planes == 1) {
            std::memcpy(out, planes, (size_t(width) * size_t(h.bitsPerPixel) + 7) / 8);
        } else {
            for (int32_t x = 0; x < width; ++x) {
                uint32_t index = 0;
                for (int p = 0; p < h.planes; ++p)
                    index |= uint32_t((planes[size_t(p) * h.bytesPerLine + size_t(x >> 3)] >> (7 - (x & 7))) & 1) << p;
                putIndex(out, x, 4, index);
            }
        }
    }
    return dib.release();
}

void encodeLine(const uint8_t* line, size_t length, std::vector<uint8_t>& out)
{
    size_t i = 0;
    while (i < length) {
        const size_t run = runLength(line, i, length, 63);
        if (run > 1 || (line[i] & 0xC0) == 0xC0)
            out.push_back(uint8_t(0xC0 | run));
        out.push_back(line[i]);
        i += run;
    }
}

uint16_t dotsPerInch(int32_t pelsPerMeter)
{
    if (pelsPerMeter <= 0)
        return 72;
    const double dpi = std::nearbyint(pelsPerMeter * 0.0254);
    return dpi > 65535 ? 65535 : uint16_t(dpi);
}

bool encodePcxMayThrow(const Dib& dib, std::vector<uint8_t>& out)
{
    const std::optional<EncodedShape> shape = shapeWithin16BitSides(dib);
    if (!shape)
        return false;
    const auto [width, height, depth] = *shape;
    const int bitsPerPixel = depth == 1 || depth == 4 ? 1 : 8;
    const int planes = depth == 4 ? 4 : depth == 24 ? 3 : 1;
    size_t bytesPerLine = (size_t(width) * size_t(bitsPerPixel) + 7) / 8;
    bytesPerLine += bytesPerLine & 1;
    const RGBQUAD* table = dibColors(dib);

    out.push_back(0x0A);
    out.push_back(5);
    out.push_back(1);
    out.push_back(uint8_t(bitsPerPixel));
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, uint32_t(width - 1));
    putLe16(out, uint32_t(height - 1));
    putLe16(out, dotsPerInch(dib.header->biXPelsPerMeter));
    putLe16(out, dotsPerInch(dib.header->biYPelsPerMeter));
    for (int i = 0; i < 16; ++i) {
        const bool has = depth <= 4 && i < dibTableSize(depth);
        out.push_back(has ? table[i].rgbRed : 0);
        out.push_back(has ? table[i].rgbGreen : 0);
        out.push_back(has ? table[i].rgbBlue : 0);
    }
    out.push_back(0);
    out.push_back(uint8_t(planes));
    putLe16(out, uint32_t(bytesPerLine));
    putLe16(out, 1);
    putLe16(out, 0);
    putLe16(out, 0);
    out.resize(kHeaderSize, 0);

    std::vector<uint8_t> line(bytesPerLine * size_t(planes));
    for (int32_t y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), 0);
        const uint8_t* in = rowFromTop(dib, y);
        switch (depth) {
        case 1:
            std::memcpy(line.data(), in, (size_t(width) + 7) / 8);
            if (width & 7)  // keep the bits past the last pixel clear
                line[size_t(width) / 8] &= uint8_t(0xFF00u >> (width & 7));
            break;
        case 4:
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t index = indexAt(in, x, 4);
                for (int p = 0; p < 4; ++p)
                    if (index & (1u << p))
                        line[size_t(p) * bytesPerLine + size_t(x >> 3)] |= uint8_t(0x80u >> (x & 7));
            }
            break;
        case 8:
            std::memcpy(line.data(), in, size_t(width));
            break;
        default:
            for (int32_t x = 0; x < width; ++x) {
                line[size_t(x)] = in[3 * x + 2];
                line[bytesPerLine + size_t(x)] = in[3 * x + 1];
                line[2 * bytesPerLine + size_t(x)] = in[3 * x];
            }
            break;
        }
        for (int p = 0; p < planes; ++p)
            encodeLine(line.data() + size_t(p) * bytesPerLine, bytesPerLine, out);
    }
    if (depth == 8) {
        out.push_back(0x0C);
        for (int i = 0; i < 256; ++i) {
            out.push_back(table[i].rgbRed);
            out.push_back(table[i].rgbGreen);
            out.push_back(table[i].rgbBlue);
        }
    }
    return true;
}

}  // namespace

const DibCodec kPcxCodec{"pcx", sniffPcx, decodeOrFail<decodePcxMayThrow>, encodeOrFail<encodePcxMayThrow>};
