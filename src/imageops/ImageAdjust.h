// Brightness and contrast of the document's picture: palette pictures change their colours
// only, 24-bit pictures every pixel byte.
#pragma once

#include "imgrove/DibFiles.h"

#include <cstdint>

// One channel value moved by a brightness offset (-127..127), held to 0..255.
uint8_t brightenedChannel(int value, int offset);
// One channel value under a contrast factor (0..200; 100 changes nothing), divisions
// truncating toward zero.
uint8_t contrastedChannel(int value, int factor);

// Change the picture in place; progress walks the palette entries or the rows, 0 before and
// after.
void Helligkeit(Dib& picture, int offset, const DibProgress& progress = {});
void Kontrast(Dib& picture, int factor, const DibProgress& progress = {});

// An untouched copy: same size, depth, colours and pixel bytes. bits null when newdib fails.
Dib copyPicture(const Dib& picture);
// Puts the copy's pixel bytes and, for palette pictures, its whole logical palette back into
// picture, which has the copy's size and depth.
void restoreFromCopy(Dib& picture, const Dib& copy);
