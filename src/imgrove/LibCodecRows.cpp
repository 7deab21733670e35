#include "imgrove/LibCodecRows.h"

#include "imgrove/Numeric.h"

#include <algorithm>
#include <cstring>

namespace libcodec {

namespace {
constexpr double kMetresPerInch = 0.0254;
}  // namespace

bool sizeAcceptable(int64_t width, int64_t height)
{
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    return width * height <= kMaxDibPixels;
}

bool pictureFits(int64_t width, int64_t height, int bitsPerPixel, uint64_t extraBytes, size_t dataSize)
{
    if (!sizeAcceptable(width, height))
        return false;
    const uint64_t bytes = imgrove_detail::pictureBytes(width, height, bitsPerPixel);
    return bytes > 0 && bytes + extraBytes >= bytes && bytes + extraBytes <= imgrove_detail::readBudget(dataSize);
}

Dib create(int32_t width, int32_t height, int bitsPerPixel, const RGBQUAD* colors, int count)
{
    if (!sizeAcceptable(width, height))
        return Dib{};
    return imgrove_detail::makeDib(width, height, bitsPerPixel, colors, std::min(count, dibTableSize(bitsPerPixel)));
}

Dib create(int32_t width, int32_t height, int bitsPerPixel, const std::vector<RGBQUAD>& colors)
{
    return create(width, height, bitsPerPixel, colors.data(), int(colors.size()));
}

void packIndices(const uint8_t* indices, int32_t width, int bitsPerPixel, uint8_t* packed)
{
    if (bitsPerPixel == 8) {
        std::memcpy(packed, indices, size_t(width));
        return;
    }
    if (bitsPerPixel != 1 && bitsPerPixel != 4)
        return;
    // Cleared first, so that the bits after the last pixel are 0.
    std::memset(packed, 0, (size_t(width) * size_t(bitsPerPixel) + 7) / 8);
    for (int32_t x = 0; x < width; ++x)
        dibrows::putIndex(packed, x, bitsPerPixel, indices[x]);
}

void unpackIndices(const uint8_t* packed, int32_t width, int bitsPerPixel, uint8_t* indices)
{
    if (bitsPerPixel == 8)
        std::memcpy(indices, packed, size_t(width));
    else if (bitsPerPixel == 1 || bitsPerPixel == 4)
        for (int32_t x = 0; x < width; ++x)
            indices[x] = uint8_t(dibrows::indexAt(packed, x, bitsPerPixel));
}

std::vector<RGBQUAD> colors(const Dib& dib)
{
    const int n = dibTableSize(dib.header->biBitCount);
    const RGBQUAD* table = dibColors(dib);
    return std::vector<RGBQUAD>(table, table + n);
}

bool allGrey(const std::vector<RGBQUAD>& table)
{
    return std::all_of(table.begin(), table.end(), [](const RGBQUAD& c) {
        return c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue;
    });
}

bool isGreyRamp(const std::vector<RGBQUAD>& table)
{
    if (table.size() < 2)
        return false;
    const std::vector<RGBQUAD> ramp = greyRamp(int(table.size()));
    return std::equal(table.begin(), table.end(), ramp.begin(), [](const RGBQUAD& a, const RGBQUAD& b) {
        return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
    });
}

std::vector<RGBQUAD> greyRamp(int n)
{
    std::vector<RGBQUAD> ramp(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        const auto v = uint8_t(n > 1 ? i * 255 / (n - 1) : 0);
        ramp[size_t(i)] = RGBQUAD{v, v, v, 0};
    }
    return ramp;
}

int depthForColors(int count)
{
    if (count <= 2)
        return 1;
    if (count <= 16)
        return 4;
    return 8;
}

int32_t dpiToPerMetre(double dpi)
{
    if (!(dpi > 0) || dpi > 1e6)
        return 0;
    return roundHalfEvenToInt32(dpi / kMetresPerInch);
}

double perMetreToDpi(int32_t perMetre)
{
    return perMetre > 0 ? perMetre * kMetresPerInch : 0.0;
}

}  // namespace libcodec
