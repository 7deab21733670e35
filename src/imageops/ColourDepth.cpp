#include "imageops/ColourDepth.h"

#include "imgrove/DibRows.h"
#include "imgrove/Halftone.h"
#include "imgrove/Palette.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

using namespace dibrows;

namespace {

Rgb paletteColor(const Dib& dib, uint32_t index)
{
    const PALETTEENTRY& entry = dib.logPalette.palPalEntry[index & 0xFF];
    return Rgb{entry.peRed, entry.peGreen, entry.peBlue};
}

// One row (from the top) of any depth as colours.
static_assert(sizeof(Rgb) == 3);
void readRowColors(const Dib& dib, int32_t y, std::vector<Rgb>& out)
{
    rowToRgb(dib, y, reinterpret_cast<uint8_t*>(out.data()));
}

void reportRow(const DibProgress& progress, int32_t row, int32_t height)
{
    if (progress)
        progress(rowPercent(row, height));
}

// Gives the new picture's colour table and logical palette the colours, and a new handle.
void setPalette(Dib& dib, const std::vector<Rgb>& colors)
{
    std::vector<RGBQUAD> table(colors.size());
    std::transform(colors.begin(), colors.end(), table.begin(),
                   [](const Rgb& c) { return RGBQUAD{c.blue, c.green, c.red, 0}; });
    dibSetColors(dib, table.data(), int(table.size()));
}

std::vector<Rgb> standardColors(int bits)
{
    std::vector<Rgb> colors;
    auto add = [&colors](const StandardColor& c) { colors.push_back(Rgb{c.red, c.green, c.blue}); };
    if (bits == 4)
        std::for_each(kStandardPalette16.begin(), kStandardPalette16.end(), add);
    else
        std::for_each(kStandardPalette256.begin(), kStandardPalette256.end(), add);
    return colors;
}

Rgb randomColor(const RandomByte& random)
{
    const auto channel = [&random] { return uint8_t(random() & 0xFC); };
    const uint8_t red = channel();
    const uint8_t green = channel();
    const uint8_t blue = channel();
    return Rgb{red, green, blue};
}

// GetNearestPaletteIndex, answered the same (least squared distance, lowest index among equals)
// but quicker for the millions of lookups of a big picture: the colour cube is cut into cells of
// 8 x 8 x 8 colours, and each cell, when first asked, lists the entries that can be nearest to
// any colour in it. Small pictures go to the palette directly.
class NearestLookup {
public:
    NearestLookup(HPALETTE palette, const Dib& picture) : palette_(palette)
    {
        constexpr int64_t kCellsFrom = int64_t(1) << 16;
        if (palette && int64_t(widthOf(picture)) * heightOf(picture) >= kCellsFrom) {
            const auto entries = palette->entries();
            entries_.assign(entries.begin(), entries.end());
            cells_.resize(kCells);
        }
    }
    uint8_t operator()(uint8_t red, uint8_t green, uint8_t blue)
    {
        if (cells_.empty())
            return uint8_t(GetNearestPaletteIndex(palette_, PaletteRgb(red, green, blue)));
        std::vector<uint8_t>& candidates = cells_[size_t((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3))];
        if (candidates.empty())
            candidates = candidatesFor(red & ~7, green & ~7, blue & ~7);
        int best = candidates.front();
        int bestDistance = 1 << 30;
        for (const uint8_t i : candidates) {
            const PALETTEENTRY& e = entries_[i];
            const int dr = int(e.peRed) - red;
            const int dg = int(e.peGreen) - green;
            const int db = int(e.peBlue) - blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return uint8_t(best);
    }

private:
    static constexpr size_t kCells = size_t(1) << 15;

    // Every entry whose least distance to the cell is within the largest distance of the entry
    // that is farthest from no colour of the cell: all that can be nearest, in index order.
    std::vector<uint8_t> candidatesFor(int red, int green, int blue) const
    {
        const auto nearestIn = [](int value, int low) { return value < low ? low - value : value > low + 7 ? value - low - 7 : 0; };
        const auto farthestIn = [](int value, int low) { return std::max(std::abs(value - low), std::abs(value - low - 7)); };
        const auto squared = [](int a, int b, int c) { return a * a + b * b + c * c; };
        int bound = 1 << 30;
        for (const PALETTEENTRY& e : entries_)
            bound = std::min(bound, squared(farthestIn(e.peRed, red), farthestIn(e.peGreen, green), farthestIn(e.peBlue, blue)));
        std::vector<uint8_t> candidates;
        for (size_t i = 0; i < entries_.size(); ++i) {
            const PALETTEENTRY& e = entries_[i];
            if (squared(nearestIn(e.peRed, red), nearestIn(e.peGreen, green), nearestIn(e.peBlue, blue)) <= bound)
                candidates.push_back(uint8_t(i));
        }
        return candidates;
    }

    HPALETTE palette_;
    std::vector<PALETTEENTRY> entries_;
    std::vector<std::vector<uint8_t>> cells_;
};

// Raising: the new palette and each source index's new value.
struct RaisedPalette {
    std::vector<Rgb> colors;
    std::array<uint32_t, 256> valueOf{};
};

RaisedPalette raisedPalette(const Dib& picture, int targetBits, const RandomByte& random)
{
    RaisedPalette raised;
    const int sourceCount = dibTableSize(depthOf(picture));
    if (targetBits == 24) {
        for (int i = 0; i < sourceCount; ++i) {
            const Rgb c = paletteColor(picture, uint32_t(i));
            raised.valueOf[size_t(i)] = PaletteRgb(c.red, c.green, c.blue);
        }
        return raised;
    }
    const int targetCount = dibTableSize(targetBits);
    raised.colors.resize(size_t(targetCount));
    if (sourceCount == 2) {
        // The picture's own two colours at the ends, so white-on-black or coloured ink keeps its
        // look; the fillers between them are never used by a pixel.
        raised.colors.front() = paletteColor(picture, 0);
        for (int i = 1; i < targetCount - 1; ++i)
            raised.colors[size_t(i)] = randomColor(random);
        raised.colors.back() = paletteColor(picture, 1);
        raised.valueOf[1] = uint32_t(targetCount - 1);
        return raised;
    }
    for (int i = 0; i < targetCount; ++i) {
        raised.colors[size_t(i)] = i < sourceCount ? paletteColor(picture, uint32_t(i)) : randomColor(random);
        raised.valueOf[size_t(i)] = uint32_t(i);
    }
    return raised;
}

void writeRaisedRow(const uint8_t* source, int32_t width, int sourceBits, const RaisedPalette& raised,
                    int targetBits, uint8_t* target)
{
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t value = raised.valueOf[indexAt(source, x, sourceBits)];
        if (targetBits == 24) {
            target[3 * x] = uint8_t(value >> 16);
            target[3 * x + 1] = uint8_t(value >> 8);
            target[3 * x + 2] = uint8_t(value);
        } else {
            putIndex(target, x, targetBits, value);
        }
    }
}

// The palette of a lowered picture; empty keeps the one newdib made.
std::vector<Rgb> loweredPalette(const Dib& picture, int targetBits, const DepthDownChoice& choice)
{
    if (targetBits == 1)
        return {};
    if (!choice.optimizedPalette)
        return standardColors(targetBits);
    if (targetBits == 4)
        return BuildOptimizedPalette(picture, 16, 5);
    if (!choice.windowsColors)
        return BuildOptimizedPalette(picture, 256, 4);
    std::vector<Rgb> colors = standardColors(8);
    const std::vector<Rgb> optimized = BuildOptimizedPalette(picture, 236, 4);
    std::copy(optimized.begin(), optimized.end(), colors.begin() + 10);
    return colors;
}

void mapNearest(const Dib& picture, Dib& target, const DibProgress& progress)
{
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    const int targetBits = depthOf(target);
    const int sourceBits = depthOf(picture);
    std::vector<Rgb> colors(static_cast<size_t>(width));
    NearestLookup nearest(target.palette, target);
    for (int32_t y = 0; y < height; ++y) {
        readRowColors(picture, y, colors);
        uint8_t* row = rowFromTop(target, y);
        for (int32_t x = 0; x < width; ++x) {
            const Rgb& c = colors[size_t(x)];
            uint32_t index;
            if (targetBits == 1 && sourceBits == 24)
                index = (c.red + c.green + c.blue) / 3 >= 128 ? 1 : 0;
            else if (targetBits == 1)
                index = (30 * c.red + 59 * c.green + 11 * c.blue) / 100 >= 128 ? 1 : 0;
            else
                index = nearest(c.red, c.green, c.blue);
            putIndex(row, x, targetBits, index);
        }
        reportRow(progress, y, height);
    }
}

void mapOrdered(const Dib& picture, Dib& target, const DibProgress& progress)
{
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    std::vector<uint8_t> rgb(size_t(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = rowFromTop(picture, y);
        for (int32_t x = 0; x < width; ++x) {
            rgb[size_t(3 * x)] = source[3 * x + 2];
            rgb[size_t(3 * x + 1)] = source[3 * x + 1];
            rgb[size_t(3 * x + 2)] = source[3 * x];
        }
        orderedDitherRow(rgb.data(), width, height - 1 - y, rowFromTop(target, y));
        reportRow(progress, y, height);
    }
}

// The quicksort the popularity palette's order and ties come from; indexes are signed.
void sortByCount(std::vector<std::pair<uint16_t, uint16_t>>& pairs, int32_t left, int32_t right)
{
    const uint16_t pivot = pairs[size_t((left + right) / 2)].first;
    int32_t i = left;
    int32_t j = right;
    do {
        while (pairs[size_t(i)].first < pivot)
            ++i;
        while (pairs[size_t(j)].first > pivot)
            --j;
        if (i <= j) {
            std::swap(pairs[size_t(i)], pairs[size_t(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (left < j)
        sortByCount(pairs, left, j);
    if (i < right)
        sortByCount(pairs, i, right);
}

}  // namespace

Rgb getrgb24(uint32_t value) { return Rgb{uint8_t(value & 255), uint8_t((value >> 8) & 255), uint8_t((value >> 16) & 255)}; }

int programRandomByte() { return std::rand() % 256; }

Dib DepthUpTo(const Dib& picture, int targetBits, const RandomByte& random, const DibProgress& progress)
{
    if (!picture.bits || depthOf(picture) >= targetBits || dibRowSize(1, targetBits) == 0)
        return Dib{};
    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    DibOwner raised(newdib(width, height, targetBits, nullptr, 0));
    if (!raised)
        return Dib{};
    const RaisedPalette palette = raisedPalette(picture, targetBits, random);
    if (!palette.colors.empty())
        setPalette(raised.get(), palette.colors);

    if (progress)
        progress(0);
    for (int32_t y = 0; y < height; ++y) {
        writeRaisedRow(rowFromTop(picture, y), width, depthOf(picture), palette, targetBits,
                       rowFromTop(raised.get(), y));
        reportRow(progress, y, height);
    }
    if (progress)
        progress(0);
    return raised.release();
}

Dib DepthDownTo(const Dib& picture, int targetBits, const DepthDownChoice& choice, const DibProgress& progress)
{
    if (!picture.bits || depthOf(picture) <= targetBits || dibTableSize(targetBits) == 0)
        return Dib{};
    DibOwner lowered(newdib(widthOf(picture), heightOf(picture), targetBits, nullptr, 0));
    if (!lowered)
        return Dib{};
    const std::vector<Rgb> palette = loweredPalette(picture, targetBits, choice);
    if (!palette.empty())
        setPalette(lowered.get(), palette);

    if (progress)
        progress(0);
    const bool ordered = choice.function == DepthFunction::Ordered;
    const bool diffuse = choice.function == DepthFunction::FloydSteinberg;
    if ((targetBits == 1 && choice.function != DepthFunction::Nearest) || diffuse)
        FloydSteinbergDither(picture, lowered.get(), progress);
    else if (targetBits == 8 && ordered)
        mapOrdered(picture, lowered.get(), progress);
    else
        mapNearest(picture, lowered.get(), progress);
    if (progress)
        progress(0);
    return lowered.release();
}

std::vector<Rgb> BuildOptimizedPalette(const Dib& picture, int count, int shift)
{
    constexpr int kBins = 32768;
    std::vector<std::pair<uint16_t, uint16_t>> pairs(kBins);  // count, key
    for (int i = 0; i < kBins; ++i)
        pairs[size_t(i)] = {0, uint16_t(i)};
    if (!picture.bits)
        return {};

    const int32_t width = widthOf(picture);
    const int32_t height = heightOf(picture);
    std::vector<Rgb> colors(static_cast<size_t>(width));
    // Pixels in storage order, the bottom row first.
    for (int32_t stored = 0; stored < height; ++stored) {
        readRowColors(picture, height - 1 - stored, colors);
        for (const Rgb& c : colors) {
            const int key = (c.red >> shift) * 1024 + (c.green >> shift) * 32 + (c.blue >> shift);
            uint16_t& binCount = pairs[size_t(key)].first;
            if (binCount == 65535) {
                for (auto& pair : pairs)
                    pair.first >>= 1;
            }
            ++binCount;
        }
    }
    sortByCount(pairs, 0, kBins - 1);

    std::vector<Rgb> result;
    count = std::clamp(count, 0, kBins);
    for (int i = 0; i < count; ++i) {
        const int key = pairs[size_t(kBins - 1 - i)].second;
        result.push_back(Rgb{uint8_t((key >> 10) << shift), uint8_t(((key >> 5) & 31) << shift),
                             uint8_t((key & 31) << shift)});
    }
    return result;
}

void FloydSteinbergDither(const Dib& source, Dib& target, const DibProgress& progress)
{
    if (!source.bits || !target.bits)
        return;
    const int32_t width = std::min(widthOf(source), widthOf(target));
    const int32_t height = std::min(heightOf(source), heightOf(target));
    const int targetBits = depthOf(target);
    // Cell x + 1 holds the error of column x, times 16, three channels; a spare cell at each
    // end takes what falls off the row. The cells of each row are indexed by column, which
    // gives the same cells as storing them in the row's processing order.
    std::vector<int16_t> current(size_t(width + 2) * 3, 0);
    std::vector<int16_t> next(size_t(width + 2) * 3, 0);
    std::vector<Rgb> colors(static_cast<size_t>(width));
    NearestLookup nearest(target.palette, target);
    const PALETTEENTRY* entries = target.logPalette.palPalEntry;

    for (int32_t y = 0; y < height; ++y) {
        readRowColors(source, y, colors);
        uint8_t* row = rowFromTop(target, y);
        const int d = (y % 2 == 0) ? 1 : -1;
        const int32_t first = d > 0 ? 0 : width - 1;
        std::fill_n(next.begin() + (first + 1) * 3, 3, int16_t(0));
        for (int32_t n = 0, x = first; n < width; ++n, x += d) {
            const Rgb& c = colors[size_t(x)];
            const int channel[3] = {c.red, c.green, c.blue};
            int v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = std::clamp(channel[k] + (current[size_t((x + 1) * 3 + k)] + 8) / 16, 0, 255);
            const uint8_t index = nearest(uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]));
            putIndex(row, x, targetBits, index);
            const PALETTEENTRY& e = entries[index];
            const int q[3] = {v[0] - e.peRed, v[1] - e.peGreen, v[2] - e.peBlue};
            for (int k = 0; k < 3; ++k) {
                current[size_t((x + 1 + d) * 3 + k)] += int16_t(7 * q[k]);
                next[size_t((x + 1 - d) * 3 + k)] += int16_t(3 * q[k]);
                next[size_t((x + 1) * 3 + k)] += int16_t(5 * q[k]);
                next[size_t((x + 1 + d) * 3 + k)] = int16_t(q[k]);
            }
        }
        std::swap(current, next);
        reportRow(progress, y, height);
    }
}
