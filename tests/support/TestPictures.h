// Small pictures made pixel by pixel for the tests, through setpixel.
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>

// A picture whose pixel (x, y) is value(x, y).
template <typename Value> Dib pictureOf(int32_t width, int32_t height, int bits, Value value)
{
    Dib dib = newdib(width, height, bits, nullptr, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(dib, x, y, value(x, y));
    return dib;
}

// A 24-bit picture of one colour (0x00BBGGRR as getpixel gives it).
inline Dib plainPicture(int32_t width, int32_t height, uint32_t value)
{
    return pictureOf(width, height, 24, [value](int32_t, int32_t) { return value; });
}
