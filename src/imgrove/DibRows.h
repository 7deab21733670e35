// Row access to a Dib for code that works on its pixels (the codecs, the image operations):
// the rows counted from the top, the index of a pixel at 1, 4 or 8 bits, a row as RGB.
#pragma once

#include "imgrove/Dib.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dibrows {

// True when the picture has rows to work on: positive size, a depth of 1, 4, 8 or 24 bits,
// and rows at least as long as that depth needs.
inline bool hasPixels(const Dib& dib)
{
    if (!dib.bits || !dib.header || dib.header->biWidth <= 0 || dib.header->biHeight <= 0)
        return false;
    const int depth = dib.header->biBitCount;
    return (depth == 1 || depth == 4 || depth == 8 || depth == 24) &&
           dib.rowSize >= dibRowSize(dib.header->biWidth, depth);
}
inline int32_t widthOf(const Dib& dib) { return dib.header->biWidth; }
inline int32_t heightOf(const Dib& dib) { return dib.header->biHeight; }
inline int depthOf(const Dib& dib) { return dib.header->biBitCount; }

// Row y counted from the top.
inline uint8_t* rowFromTop(const Dib& dib, int32_t y)
{
    return dib.bits + size_t(dib.header->biHeight - 1 - y) * size_t(dib.rowSize);
}

inline uint32_t indexAt(const uint8_t* row, int32_t x, int depth)
{
    switch (depth) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}
inline void putIndex(uint8_t* row, int32_t x, int depth, uint32_t value)
{
    switch (depth) {
    case 1:
        if (value & 1u)
            row[x >> 3] |= uint8_t(0x80u >> (x & 7));
        else
            row[x >> 3] &= uint8_t(~(0x80u >> (x & 7)));
        break;
    case 4:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0u) | (value & 0x0Fu));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0Fu) | (value & 0x0Fu) << 4);
        break;
    default:
        row[x] = uint8_t(value);
        break;
    }
}

// Red, green, blue triples of row y (from the top), whatever the depth.
void rowToRgb(const Dib& dib, int32_t y, uint8_t* rgb);

// A new picture whose first count colours come from colors (blue, green, red, reserved).
Dib makeDib(int32_t width, int32_t height, int depth, const RGBQUAD* colors, int count);

// The colours of a picture with at most 256 distinct ones, and the index of each pixel;
// false when it has more.
bool exactPalette(const Dib& dib, std::vector<RGBQUAD>& colors, Dib& indexed);

}  // namespace dibrows
