// Test pictures and pixel access shared by the library codec tests.
#pragma once

#include "imgrove/Dib.h"
#include "imgrove/DibCodec.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace codectest {

// Distinct, non-grey colours for a palette picture of the depth (2, 16 or 256 entries).
inline std::vector<RGBQUAD> colourTable(int depth)
{
    const int n = dibTableSize(depth);
    std::vector<RGBQUAD> table(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        table[size_t(i)] = RGBQUAD{uint8_t(i * 7 + 3), uint8_t(255 - i), uint8_t((i * 53) & 0xff), 0};
    return table;
}

inline std::vector<RGBQUAD> greyTable(int depth)
{
    const int n = dibTableSize(depth);
    std::vector<RGBQUAD> table(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto v = uint8_t(i * 255 / (n - 1));
        table[size_t(i)] = RGBQUAD{v, v, v, 0};
    }
    return table;
}

// A picture whose every pixel differs from its neighbours in a way a wrong row order, bit order
// or channel order shows. Palette pictures use every index of their table.
inline Dib makePicture(int32_t width, int32_t height, int depth, const std::vector<RGBQUAD>& table = {})
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } source{};
    source.header.biSize = sizeof(BITMAPINFOHEADER);
    source.header.biBitCount = uint16_t(depth);
    for (size_t i = 0; i < table.size() && i < 256; ++i)
        source.colours[i] = table[i];
    Dib dib = newdib(width, height, depth, depth == 24 ? nullptr : &source.header, dibTableSize(depth));
    const uint32_t indices = depth == 24 ? 0 : uint32_t(dibTableSize(depth));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            if (depth == 24)
                setpixel(dib, x, y, uint32_t(x * 9 + y) % 256 | (uint32_t(y * 5) % 256) << 8 |
                                        (uint32_t(x * 3 + y * 7 + 100) % 256) << 16);
            else
                setpixel(dib, x, y, uint32_t(x + 3 * y) % indices);
        }
    return dib;
}

// A smooth 24-bit picture, the kind JPEG reproduces within a few levels.
inline Dib makeSmoothPicture(int32_t width, int32_t height)
{
    Dib dib = newdib(width, height, 24, nullptr, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(dib, x, y, uint32_t(x * 255 / width) | uint32_t(y * 255 / height) << 8 |
                                    uint32_t(128 + (x - y) / 4) << 16);
    return dib;
}

// The colour shown at a pixel as red + 256 * green + 65536 * blue, whatever the depth.
inline uint32_t colourAt(const Dib& dib, int32_t x, int32_t y)
{
    const uint32_t value = getpixel(dib, x, y);
    if (dib.header->biBitCount == 24)
        return value;
    const RGBQUAD c = dibColors(dib)[value];
    return uint32_t(c.rgbRed) | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbBlue) << 16;
}

inline int channel(uint32_t colour, int which)
{
    return int((colour >> (8 * which)) & 0xff);
}

// Largest difference of one channel between the shown colours of two pictures of one size.
inline int largestDifference(const Dib& a, const Dib& b)
{
    int largest = 0;
    for (int32_t y = 0; y < a.header->biHeight; ++y)
        for (int32_t x = 0; x < a.header->biWidth; ++x) {
            const uint32_t ca = colourAt(a, x, y);
            const uint32_t cb = colourAt(b, x, y);
            for (int c = 0; c < 3; ++c) {
                const int d = channel(ca, c) - channel(cb, c);
                largest = std::max(largest, d < 0 ? -d : d);
            }
        }
    return largest;
}

inline std::vector<uint8_t> encoded(const DibCodec& codec, const Dib& dib)
{
    std::vector<uint8_t> out;
    if (!codec.encode(dib, out))
        out.clear();
    return out;
}

inline Dib decoded(const DibCodec& codec, std::span<const uint8_t> data)
{
    return codec.decode(data);
}

}  // namespace codectest
