#include "imageops/RotateDib.h"

#include "imgrove/DibRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

using namespace dibrows;

namespace {

Dib sameKind(const Dib& picture, int32_t width, int32_t height)
{
    const int bits = depthOf(picture);
    return newdib(width, height, bits, picture.header, dibTableSize(bits));
}

// Runs work over the rows of a picture of the given height with progress 0 before, per row and
// 0 after.
template <typename Work> void eachRow(int32_t height, const DibProgress& progress, Work work)
{
    if (progress)
        progress(0);
    for (int32_t y = 0; y < height; ++y) {
        work(y);
        if (progress)
            progress(rowPercent(y, height));
    }
    if (progress)
        progress(0);
}

// A quarter turn for whole-byte pixels, in tiles so that the column walk of one picture stays in
// the cache. where(x, y) gives the new picture's (column, row from the top) of source (x, y).
template <size_t bytes, typename Where>
void quarterTurnBytes(const Dib& picture, Dib& turned, const DibProgress& progress, Where where)
{
    constexpr int32_t kTile = 64;
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    if (progress)
        progress(0);
    for (int32_t y0 = 0; y0 < height; y0 += kTile) {
        const int32_t y1 = std::min(height, y0 + kTile);
        for (int32_t x0 = 0; x0 < width; x0 += kTile) {
            const int32_t x1 = std::min(width, x0 + kTile);
            for (int32_t x = x0; x < x1; ++x) {
                for (int32_t y = y0; y < y1; ++y) {
                    const auto [nx, ny] = where(x, y);
                    std::memcpy(rowFromTop(turned, ny) + size_t(nx) * bytes, rowFromTop(picture, y) + size_t(x) * bytes,
                                bytes);
                }
            }
        }
        for (int32_t y = y0; y < y1 && progress; ++y)
            progress(rowPercent(y, height));
    }
    if (progress)
        progress(0);
}

// The same move for any depth, pixel by pixel, for pictures of 1 and 4 bits.
template <typename Where> void movePixels(const Dib& picture, Dib& turned, const DibProgress& progress, Where where)
{
    const int32_t width = widthOf(picture);
    eachRow(heightOf(picture), progress, [&](int32_t y) {
        for (int32_t x = 0; x < width; ++x) {
            const auto [nx, ny] = where(x, y);
            setpixel(turned, nx, ny, getpixel(picture, x, y));
        }
    });
}

template <typename Where>
Dib turned(const Dib& picture, int32_t newWidth, int32_t newHeight, const DibProgress& progress, Where where)
{
    if (!picture.bits)
        return Dib{};
    DibOwner result(sameKind(picture, newWidth, newHeight));
    if (!result)
        return Dib{};
    if (depthOf(picture) == 24)
        quarterTurnBytes<3>(picture, result.get(), progress, where);
    else if (depthOf(picture) == 8)
        quarterTurnBytes<1>(picture, result.get(), progress, where);
    else
        movePixels(picture, result.get(), progress, where);
    return result.release();
}

template <size_t bytes> void reversedRowOf(const uint8_t* source, uint8_t* target, int32_t width)
{
    target += size_t(width - 1) * bytes;
    for (int32_t x = 0; x < width; ++x, source += bytes, target -= bytes)
        std::memcpy(target, source, bytes);
}

// A row of whole-byte pixels in reverse order.
void reverseRow(const uint8_t* source, uint8_t* target, int32_t width, int bits)
{
    if (bits == 24)
        reversedRowOf<3>(source, target, width);
    else
        reversedRowOf<1>(source, target, width);
}

struct Point {
    int32_t x;
    int32_t y;
};

// v taken to the nearest integer, halves to even, for |v| well below 2^51: adding and taking
// away 1.5 * 2^52 leaves the rounding to the hardware's default mode.
inline double roundHalfEven(double v)
{
    constexpr double kMagic = 6755399441055744.0;
    return (v + kMagic) - kMagic;
}

// One coordinate of the free rotation: [a * c + b * s] in extended precision. The double sum is
// used when it lies clearly away from a half, where both give the same integer.
struct RotationAxis {
    long double c;
    long double s;
    double cd;
    double sd;
    int32_t at(int32_t a, int32_t b, double fast) const
    {
        const double rounded = roundHalfEven(fast);
        if (std::fabs(fast - rounded) < 0.5 - 1e-6)
            return int32_t(rounded);
        return int32_t(std::nearbyintl(a * c + b * s));
    }
};

}  // namespace

Dib RotLeft(const Dib& picture, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t width = widthOf(picture);
    return turned(picture, heightOf(picture), width, progress,
                  [width](int32_t x, int32_t y) { return Point{y, width - 1 - x}; });
}

Dib RotRight(const Dib& picture, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t height = heightOf(picture);
    return turned(picture, height, widthOf(picture), progress,
                  [height](int32_t x, int32_t y) { return Point{height - 1 - y, x}; });
}

namespace {

// Every row reversed left to right, kept in its place or, upside down, moved to the mirrored row.
Dib rowsReversed(const Dib& picture, bool upsideDown, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    const auto targetRow = [height, upsideDown](int32_t y) { return upsideDown ? height - 1 - y : y; };
    DibOwner result(sameKind(picture, width, height));
    if (!result)
        return Dib{};
    if (depthOf(picture) < 8) {
        movePixels(picture, result.get(), progress,
                   [&](int32_t x, int32_t y) { return Point{width - 1 - x, targetRow(y)}; });
        return result.release();
    }
    eachRow(height, progress, [&](int32_t y) {
        reverseRow(rowFromTop(picture, y), rowFromTop(result.get(), targetRow(y)), width, depthOf(picture));
    });
    return result.release();
}

}  // namespace

Dib Rot180(const Dib& picture, const DibProgress& progress) { return rowsReversed(picture, true, progress); }

RotatedSize rotatedSize(int32_t width, int32_t height, double degrees, bool right)
{
    long double theta = (long double)degrees * std::numbers::pi_v<long double> / 180;
    if (right)
        theta = -theta;
    const long double c = std::cos(theta);
    const long double s = std::sin(theta);
    const int32_t w2 = width / 2;
    const int32_t h2 = height / 2;
    int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const int32_t x : {-w2, width - w2}) {
        for (const int32_t y : {-h2, height - h2}) {
            const auto nx = int64_t(std::nearbyintl(x * c - y * s));
            const auto ny = int64_t(std::nearbyintl(x * s + y * c));
            minX = std::min(minX, nx);
            maxX = std::max(maxX, nx);
            minY = std::min(minY, ny);
            maxY = std::max(maxY, ny);
        }
    }
    return RotatedSize{int32_t(maxX - minX), int32_t(maxY - minY)};
}

Dib DibRotxxx(const Dib& picture, bool right, double degrees, uint32_t background, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    const RotatedSize size = rotatedSize(width, height, degrees, right);
    const int bits = depthOf(picture);
    DibOwner result(newdib(size.width, size.height, bits, picture.header, bits <= 8 ? 1 << bits : 0));
    if (!result)
        return Dib{};

    long double theta = (long double)degrees * std::numbers::pi_v<long double> / 180;
    if (right)
        theta = -theta;
    const long double c = std::cos(theta);
    const long double s = std::sin(theta);
    // sx = [dx cos - dy sin], sy = [dx sin + dy cos]
    const RotationAxis axisX{c, -s, double(c), double(-s)};
    const RotationAxis axisY{s, c, double(s), double(c)};
    const int32_t w2 = width / 2;
    const int32_t h2 = height / 2;
    Dib& target = result.get();

    eachRow(size.height, progress, [&](int32_t y) {
        const int32_t dy = y - size.height / 2;
        uint8_t* row = rowFromTop(target, y);
        for (int32_t x = 0; x < size.width; ++x) {
            const int32_t dx = x - size.width / 2;
            const int32_t sx = axisX.at(dx, dy, dx * axisX.cd + dy * axisX.sd) + w2;
            const int32_t sy = axisY.at(dx, dy, dx * axisY.cd + dy * axisY.sd) + h2;
            const bool inside = sx >= 0 && sx < width && sy >= 0 && sy < height;
            if (bits < 8) {
                setpixel(target, x, y, inside ? getpixel(picture, sx, sy) : background);
            } else if (bits == 8) {
                row[x] = inside ? rowFromTop(picture, sy)[sx] : uint8_t(background);
            } else if (inside) {
                const uint8_t* source = rowFromTop(picture, sy) + size_t(sx) * 3;
                row[3 * x] = source[0];
                row[3 * x + 1] = source[1];
                row[3 * x + 2] = source[2];
            } else {
                row[3 * x] = uint8_t(background >> 16);
                row[3 * x + 1] = uint8_t(background >> 8);
                row[3 * x + 2] = uint8_t(background);
            }
        }
    });
    return result.release();
}

Dib mirrorDib(const Dib& picture, const DibProgress& progress) { return rowsReversed(picture, false, progress); }

Dib flipDib(const Dib& picture, const DibProgress& progress)
{
    if (!picture.bits)
        return Dib{};
    const int32_t height = heightOf(picture);
    DibOwner result(sameKind(picture, widthOf(picture), height));
    if (!result)
        return Dib{};
    const size_t rowSize = size_t(picture.rowSize);
    eachRow(height, progress, [&](int32_t i) {
        std::memcpy(result.get().bits + size_t(height - 1 - i) * rowSize, picture.bits + size_t(i) * rowSize, rowSize);
    });
    return result.release();
}
