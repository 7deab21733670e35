#include "imgrove/DibRows.h"

#include <unordered_map>

namespace dibrows {

void rowToRgb(const Dib& dib, int32_t y, uint8_t* rgb)
{
    const uint8_t* row = rowFromTop(dib, y);
    const int32_t width = widthOf(dib);
    const int depth = depthOf(dib);
    if (depth == 24) {
        for (int32_t x = 0; x < width; ++x) {
            rgb[3 * x] = row[3 * x + 2];
            rgb[3 * x + 1] = row[3 * x + 1];
            rgb[3 * x + 2] = row[3 * x];
        }
        return;
    }
    const RGBQUAD* table = dibColors(dib);
    const uint32_t tableSize = uint32_t(dibTableSize(depth));
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t index = indexAt(row, x, depth);
        const RGBQUAD c = index < tableSize ? table[index] : RGBQUAD{0, 0, 0, 0};
        rgb[3 * x] = c.rgbRed;
        rgb[3 * x + 1] = c.rgbGreen;
        rgb[3 * x + 2] = c.rgbBlue;
    }
}

Dib makeDib(int32_t width, int32_t height, int depth, const RGBQUAD* colors, int count)
{
    Dib dib = newdib(width, height, depth, nullptr, 0);
    if (dib.bits && colors && count > 0)
        dibSetColors(dib, colors, count);
    return dib;
}

bool exactPalette(const Dib& dib, std::vector<RGBQUAD>& colors, Dib& indexed)
{
    const int32_t width = widthOf(dib);
    const int32_t height = heightOf(dib);
    std::unordered_map<uint32_t, uint8_t> seen;
    std::vector<uint8_t> rgb(size_t(width) * 3);
    colors.clear();
    for (int32_t y = 0; y < height; ++y) {
        rowToRgb(dib, y, rgb.data());
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t key = uint32_t(rgb[3 * x]) | uint32_t(rgb[3 * x + 1]) << 8 | uint32_t(rgb[3 * x + 2]) << 16;
            if (seen.count(key))
                continue;
            if (colors.size() == 256)
                return false;
            seen.emplace(key, uint8_t(colors.size()));
            colors.push_back(RGBQUAD{rgb[3 * x + 2], rgb[3 * x + 1], rgb[3 * x], 0});
        }
    }
    indexed = makeDib(width, height, 8, colors.data(), int(colors.size()));
    if (!indexed.bits)
        return false;
    for (int32_t y = 0; y < height; ++y) {
        rowToRgb(dib, y, rgb.data());
        uint8_t* out = rowFromTop(indexed, y);
        for (int32_t x = 0; x < width; ++x)
            out[x] = seen[uint32_t(rgb[3 * x]) | uint32_t(rgb[3 * x + 1]) << 8 | uint32_t(rgb[3 * x + 2]) << 16];
    }
    return true;
}

}  // namespace dibrows
