// The fixed palettes of the picture library: the 16-colour palette, the 256-colour halftone
// palette and the ordered-dither tables that go with the halftone palette's colour cube.
#pragma once

#include <array>
#include <cstdint>

struct StandardColor {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

extern const std::array<StandardColor, 16> kStandardPalette16;
extern const std::array<StandardColor, 256> kStandardPalette256;

// 8 x 8 thresholds 0..50, indexed by (x mod 8) * 8 + (row from the bottom mod 8).
extern const std::array<uint8_t, 64> kOrderedDitherThreshold;

// Entry of kStandardPalette256 for a cube colour with channel levels 0..5 (51 per level);
// the four cube colours the palette lacks go to its pure green or pure blue.
uint8_t standardCubeIndex(int redLevel, int greenLevel, int blueLevel);
