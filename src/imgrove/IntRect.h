// A rectangle of pixels by its four edges: the retouch selection on the picture, its edges in the
// retouch view, and the rectangles a device context fills and writes text into. Each user says
// whether right and bottom lie inside. Plain data, so the cores that take one need nothing of Qt.
#pragma once

#include <cstdint>

struct IntRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const IntRect&) const = default;
};
