// Halftoned 8-bit copies of a picture for screens with 256 colours or fewer.
#pragma once

#include "imgrove/Dib.h"

// An 8-bit copy of the picture in the standard 256-colour palette, ordered-dithered to the
// palette's colour cube. Any depth is accepted; bits null when the picture has none.
Dib DIBHalftoneDIB(const Dib& dib);
// The same, scaled to width x height first (area average when shrinking, nearest pixel when
// enlarging). bits null on a picture without bits or a size newdib refuses.
Dib DIBHalftoneDIBXY(const Dib& dib, int32_t width, int32_t height);

// Ordered dithering of one row of red, green, blue bytes to the cube of the standard 256-colour
// palette: out gets palette indexes. rowFromBottom picks the row of the threshold matrix.
void orderedDitherRow(const uint8_t* rgb, int32_t width, int32_t rowFromBottom, uint8_t* out);
