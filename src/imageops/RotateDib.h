// Turning and mirroring a picture. Every operation returns a new picture of the same depth and
// colours; bits null when newdib fails.
#pragma once

#include "imgrove/DibFiles.h"

#include <cstdint>

// 90 degrees counter-clockwise: (x, y) goes to (y, W - 1 - x).
Dib RotLeft(const Dib& picture, const DibProgress& progress = {});
// 90 degrees clockwise: (x, y) goes to (H - 1 - y, x).
Dib RotRight(const Dib& picture, const DibProgress& progress = {});
// (x, y) goes to (W - 1 - x, H - 1 - y).
Dib Rot180(const Dib& picture, const DibProgress& progress = {});

struct RotatedSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const RotatedSize&) const = default;
};
// The size a free rotation gives: the rounded corners' extent, 0 included.
RotatedSize rotatedSize(int32_t width, int32_t height, double degrees, bool right);
// Free rotation by any angle, nearest pixel; new pixels outside the old picture take
// background (a pixel value). "Right" turns clockwise on the screen.
Dib DibRotxxx(const Dib& picture, bool right, double degrees, uint32_t background, const DibProgress& progress = {});

// Left and right swapped.
Dib mirrorDib(const Dib& picture, const DibProgress& progress = {});
// The rows in reverse order.
Dib flipDib(const Dib& picture, const DibProgress& progress = {});
