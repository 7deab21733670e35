// A rectangle of picture pixels chosen on the Retouch tab; plain data, so that the operations
// on it need nothing of the window.
#pragma once

#include <cstdint>

// The retouch selection: picture pixels, right and bottom exclusive.
struct SelectionRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const SelectionRect&) const = default;
};
