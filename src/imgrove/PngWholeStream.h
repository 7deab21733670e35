// PNG's pixel rows read in one go, for the layout of nearly every PNG: not interlaced, the rows
// stored as the picture keeps them (one byte per channel, or packed 1-, 4- and 8-bit indices and
// greys). libpng inflates through zlib's streaming interface, which on a page of 100 MB is more
// than half the reading time; here the IDAT stream is inflated whole by libdeflate, which is
// about twice as fast, and the rows are unfiltered straight after.
//
// Anything this reader does not expect, however harmless, makes it give up without a word: the
// caller then reads the file with libpng as if this reader did not exist, so what opens, what is
// refused and every pixel stay as libpng decides.
#pragma once

#include "imgrove/Dib.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace pngwhole {

struct RowLayout {
    size_t rowBytes = 0;       // bytes of one row in the file, without its filter byte
    unsigned pixelBytes = 1;   // the distance the filters look back: bytes per pixel, at least 1
    bool rgbToBgr = false;     // three channels to store in the picture's blue, green, red order
};

// The layout of rows of width pixels of bitsPerPixel bits (all channels), rgb for three
// channels of 8 bits.
RowLayout rowLayout(int32_t width, unsigned bitsPerPixel, bool rgb);

// Fills every row of dib from the IDAT chunks of file, the first of which has its data at
// firstIdatData (its length and type lie just before), and checks that the file then ends with
// IEND, passing over ancillary chunks. False, with the rows in any state, when the chunks, their
// checksums, the stream or its length are not as a sound file has them, or when memory for the
// inflated stream beside the picture is not at hand.
bool readRows(std::span<const uint8_t> file, size_t firstIdatData, const RowLayout& layout, Dib& dib);

// True when every chunk from the signature up to IEND lies within file. libpng allocates a
// chunk's buffer by the length the chunk claims before it reads a byte of it, so a few damaged
// bytes could ask for gigabytes; a file where this is false can't be read by libpng either.
bool chunksFitFile(std::span<const uint8_t> file);

}  // namespace pngwhole
