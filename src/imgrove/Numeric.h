// Doubles to whole pixels, sizes and positions, for every layer. A value from a damaged file or
// a huge scale can lie beyond 32 bits, where a plain cast is undefined: these stop at the ends of
// int32 instead, and NaN gives 0.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Toward zero.
inline int32_t truncToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return int32_t(value);
}

// Nearest, exact halves to the even neighbour (the default rounding mode, which nothing in the
// program changes).
inline int32_t roundHalfEvenToInt32(double value) { return truncToInt32(std::nearbyint(value)); }

// The side of a zoomed view: a scroll box's client extent times the zoom, halves to even.
inline int32_t zoomedExtent(int32_t clientExtent, double zoom)
{
    return roundHalfEvenToInt32(double(clientExtent) * zoom);
}
