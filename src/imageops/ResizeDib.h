// Resampling a picture to a new size in 10-bit fixed point: the nearest source pixel for every
// depth, bilinear for 24-bit pictures that grow in both directions when asked.
#pragma once

#include "imgrove/DibFiles.h"

#include <cstdint>

// The step through the source per new pixel, times 1024: (old * 1024) div new.
int32_t resizeStep(int32_t oldExtent, int32_t newExtent);
// Whether Resize interpolates: asked for, 24 bits, and neither side shrinks.
bool usesBilinear(int bitsPerPixel, int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight,
                  bool interpolate);

// The resampled picture; bits null when newdib fails or a size is not positive. Progress per
// new row, 0 before and after.
Dib Resize(const Dib& picture, int32_t newWidth, int32_t newHeight, bool interpolate, const DibProgress& progress = {});
