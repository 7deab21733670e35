// Shared pieces of the codecs that sit on the codec libraries (jpeg, png, tiff, gif), beside the
// helpers all codecs share (CodecSupport.h): the size gate against decompression bombs, picture
// creation behind it, whole-row repacking of 1- and 4-bit rows and colour-table tests.
#pragma once

#include "imgrove/CodecSupport.h"
#include "imgrove/Dib.h"

#include <cstdint>
#include <vector>

namespace libcodec {

// True for a positive size whose pixel count is within kMaxDibPixels.
bool sizeAcceptable(int64_t width, int64_t height);

// True when a picture of that size and depth, together with extraBytes of working memory the
// codec library needs beside it, stays within what a file of dataSize bytes may make a reader
// allocate (readBudget).
bool pictureFits(int64_t width, int64_t height, int bitsPerPixel, uint64_t extraBytes, size_t dataSize);

// A picture with the first count colours of its table given; bits null when the size is
// refused or memory is short.
Dib create(int32_t width, int32_t height, int bitsPerPixel, const RGBQUAD* colors, int count);
Dib create(int32_t width, int32_t height, int bitsPerPixel, const std::vector<RGBQUAD>& colors);

using imgrove_detail::rowFromTop;

// One byte per pixel to 1, 4 or 8 bits per pixel (values masked to the depth) and back.
void packIndices(const uint8_t* indices, int32_t width, int bitsPerPixel, uint8_t* packed);
void unpackIndices(const uint8_t* packed, int32_t width, int bitsPerPixel, uint8_t* indices);

// The colours of a palette picture, as many as its depth carries.
std::vector<RGBQUAD> colors(const Dib& dib);
// True when every colour of the table is a grey (red = green = blue).
bool allGrey(const std::vector<RGBQUAD>& table);
// True when entry i is the grey i * 255 / (n - 1) for all n entries: the table a grey picture
// of that depth stores without a colour map.
bool isGreyRamp(const std::vector<RGBQUAD>& table);
// n greys from black to white, evenly spaced.
std::vector<RGBQUAD> greyRamp(int n);

// Smallest picture depth (1, 4, 8) holding colour indices 0..count-1.
int depthForColors(int count);

// A colour over white paper: value at opacity alpha (0 transparent, 255 opaque), rounded.
inline uint8_t overWhite(uint8_t value, uint8_t alpha)
{
    return uint8_t((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Pixels per metre from dots per inch and back, rounded; 0 stays 0 (unknown).
int32_t dpiToPerMetre(double dpi);
double perMetreToDpi(int32_t perMetre);

}  // namespace libcodec
