// Small pictures for the retouch tests, built and read through getpixel and setpixel.
#pragma once

#include "imgrove/Dib.h"
#include "support/TestPictures.h"

#include <cstdint>
#include <vector>

// Every pixel, row by row from the top.
inline std::vector<uint32_t> pixelsOf(const Dib& dib)
{
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < dib.header->biHeight; ++y)
        for (int32_t x = 0; x < dib.header->biWidth; ++x)
            pixels.push_back(getpixel(dib, x, y));
    return pixels;
}

// A 24-bit pixel value.
constexpr uint32_t rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | green << 8 | blue << 16; }

// A distinct value for every pixel of a picture of the depth.
inline uint32_t patternValue(int32_t x, int32_t y, int bits)
{
    const uint32_t v = uint32_t(x * 7 + y * 13 + x * y);
    return bits == 24 ? rgb(v & 255, (v * 3) & 255, (v * 5) & 255) : v & ((1u << bits) - 1);
}
