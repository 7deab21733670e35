#include "imgrove/Palette.h"

#include <algorithm>
#include <new>

Palette::Palette(std::span<const PALETTEENTRY> entries) : entries_(entries.begin(), entries.end()) {}

void Palette::setEntries(int start, std::span<const PALETTEENTRY> entries)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        const int64_t at = int64_t(start) + int64_t(i);
        if (at >= 0 && at < size())
            entries_[size_t(at)] = entries[i];
    }
    memo_.fill(MemoSlot{});
}

int Palette::nearestIndex(uint8_t red, uint8_t green, uint8_t blue) const
{
    const uint32_t rgb = PaletteRgb(red, green, blue);
    MemoSlot& slot = memo_[(rgb ^ (rgb >> 12) ^ (rgb >> 20)) & 4095u];
    if (slot.rgb == rgb)
        return slot.index;

    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < size(); ++i) {
        const int dr = int(entries_[size_t(i)].peRed) - red;
        const int dg = int(entries_[size_t(i)].peGreen) - green;
        const int db = int(entries_[size_t(i)].peBlue) - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    slot = MemoSlot{rgb, best};
    return best;
}

HPALETTE CreatePalette(const LOGPALETTE256* logPalette)
{
    if (!logPalette || logPalette->palNumEntries < 1 || logPalette->palNumEntries > 256)
        return nullptr;
    try {
        return new Palette(std::span(logPalette->palPalEntry, logPalette->palNumEntries));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DeletePalette(HPALETTE palette)
{
    delete palette;
}

uint32_t GetNearestPaletteIndex(HPALETTE palette, uint32_t rgb)
{
    if (!palette || palette->size() == 0)
        return kInvalidPaletteIndex;
    return uint32_t(palette->nearestIndex(uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)));
}

int GetPaletteEntries(HPALETTE palette, int start, int count, PALETTEENTRY* out)
{
    if (!palette || !out || start < 0 || count <= 0 || start >= palette->size())
        return 0;
    const int copied = std::min(count, palette->size() - start);
    std::copy_n(palette->entries().begin() + start, copied, out);
    return copied;
}
