// TIFF's LZW, for one strip at a time.
// LZW strips of 8-bit RGB, the layout of nearly every colour scan saved as TIFF, are decoded
// here rather than by libtiff: its decoder follows each string of its code table byte by byte,
// which on a page of 100 MB is most of the reading time. Here every string is a stretch of the
// output already written, so each code costs one short copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lzw {

// Strings of up to this many bytes are copied whole in one step; the strip buffer has as many
// spare bytes at its end so that such a copy never leaves it.
constexpr size_t kShortCopy = 16;

// Fills out with the strip's bytes; false when the codes are broken or end before out is full.
// out holds outSize + kShortCopy bytes.
bool decodeStrip(std::span<const uint8_t> in, uint8_t* out, size_t outSize);

}  // namespace lzw
