#include "imgrove/Halftone.h"

#include "imgrove/CodecSupport.h"
#include "imgrove/StandardPalettes.h"

#include <new>
#include <vector>

using namespace imgrove_detail;

namespace {

// The same ordered dither as the colour-depth reduction, so a halftoned screen and a reduced
// picture show the same pattern.
uint8_t ditherLevel(int value, int threshold)
{
    return uint8_t(value / 51 + (threshold < value % 51 ? 1 : 0));
}

// Source range [first, last) of each destination cell along one axis; never empty.
std::vector<std::pair<int32_t, int32_t>> spans(int32_t source, int32_t dest)
{
    std::vector<std::pair<int32_t, int32_t>> result(static_cast<size_t>(dest));
    for (int32_t i = 0; i < dest; ++i) {
        int32_t first = int32_t(int64_t(i) * source / dest);
        int32_t last = int32_t(int64_t(i + 1) * source / dest);
        if (last <= first)
            last = first + 1;
        result[size_t(i)] = {first, last};
    }
    return result;
}

Dib halftoneScaled(const Dib& dib, int32_t width, int32_t height)
{
    if (!hasPixels(dib))
        return Dib{};
    DibOwner copy(newdib(width, height, 8, nullptr, 0));
    if (!copy)
        return Dib{};

    const int32_t srcWidth = widthOf(dib);
    const int32_t srcHeight = heightOf(dib);
    const auto columns = spans(srcWidth, width);
    const auto rows = spans(srcHeight, height);
    std::vector<uint8_t> srcRgb(size_t(srcWidth) * 3);
    std::vector<uint64_t> sums(size_t(width) * 3);
    std::vector<uint8_t> rgb(size_t(width) * 3);

    for (int32_t y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const auto [top, bottom] = rows[size_t(y)];
        for (int32_t sy = top; sy < bottom; ++sy) {
            rowToRgb(dib, sy, srcRgb.data());
            for (int32_t x = 0; x < width; ++x)
                for (int32_t sx = columns[size_t(x)].first; sx < columns[size_t(x)].second; ++sx)
                    for (int c = 0; c < 3; ++c)
                        sums[size_t(x) * 3 + c] += srcRgb[size_t(sx) * 3 + c];
        }
        for (int32_t x = 0; x < width; ++x) {
            const uint64_t area = uint64_t(bottom - top) * uint64_t(columns[size_t(x)].second - columns[size_t(x)].first);
            for (int c = 0; c < 3; ++c)
                rgb[size_t(x) * 3 + c] = uint8_t((sums[size_t(x) * 3 + c] + area / 2) / area);
        }
        orderedDitherRow(rgb.data(), width, height - 1 - y, rowFromTop(copy.get(), y));
    }
    return copy.release();
}

}  // namespace

Dib DIBHalftoneDIB(const Dib& dib)
{
    if (!hasPixels(dib))
        return Dib{};
    return DIBHalftoneDIBXY(dib, widthOf(dib), heightOf(dib));
}

Dib DIBHalftoneDIBXY(const Dib& dib, int32_t width, int32_t height)
{
    return orWhenOutOfMemory(Dib{}, [&] { return halftoneScaled(dib, width, height); });
}

void orderedDitherRow(const uint8_t* rgb, int32_t width, int32_t rowFromBottom, uint8_t* out)
{
    for (int32_t x = 0; x < width; ++x) {
        const int t = kOrderedDitherThreshold[size_t((x & 7) * 8 + (rowFromBottom & 7))];
        out[x] = standardCubeIndex(ditherLevel(rgb[3 * x], t), ditherLevel(rgb[3 * x + 1], t),
                                   ditherLevel(rgb[3 * x + 2], t));
    }
}
