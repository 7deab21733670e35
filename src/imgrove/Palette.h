// The palette object that a Dib's palette handle points to: the colours of a logical palette
// and the nearest-colour lookup that mapping and dithering use.
#pragma once

#include "imgrove/Dib.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// A colour as red + 256 * green + 65536 * blue, the layout of 24-bit pixel values.
constexpr uint32_t PaletteRgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}
// GetNearestPaletteIndex's answer for a missing palette.
constexpr uint32_t kInvalidPaletteIndex = 0xFFFFFFFFu;

class Palette {
public:
    explicit Palette(std::span<const PALETTEENTRY> entries);

    int size() const { return int(entries_.size()); }
    const PALETTEENTRY& entry(int index) const { return entries_[size_t(index)]; }
    std::span<const PALETTEENTRY> entries() const { return entries_; }
    // Replaces entries from start on; entries past the end of the palette are ignored.
    void setEntries(int start, std::span<const PALETTEENTRY> entries);

    // The entry with the least squared RGB distance; the lowest index among equals.
    int nearestIndex(uint8_t red, uint8_t green, uint8_t blue) const;

private:
    std::vector<PALETTEENTRY> entries_;
    // Dithering asks for the same few colours over and over; a small direct-mapped memo of
    // exact colours keeps the full search off the hot path.
    struct MemoSlot {
        uint32_t rgb = kInvalidPaletteIndex;
        int index = 0;
    };
    mutable std::array<MemoSlot, 4096> memo_{};
};

// Made from palNumEntries entries (1..256) of a logical palette; null otherwise.
HPALETTE CreatePalette(const LOGPALETTE256* logPalette);
// Frees a palette made by CreatePalette; null is ignored.
void DeletePalette(HPALETTE palette);
// Nearest entry to a colour given as PaletteRgb; kInvalidPaletteIndex for a null palette.
uint32_t GetNearestPaletteIndex(HPALETTE palette, uint32_t rgb);
// Copies up to count entries from start into out; returns how many were copied.
int GetPaletteEntries(HPALETTE palette, int start, int count, PALETTEENTRY* out);
