// The grey working copy that the field finding and the skew measurement look at: a picture of
// any depth and size as 8-bit grey, reduced by whole-pixel averaging when it is larger than the
// work needs, so that a huge picture costs bounded time and memory.
#pragma once

#include "imgrove/Dib.h"

#include <opencv2/core.hpp>

#include <cstdint>

// Pictures above this many pixels are averaged down by a whole factor before any work: an A4
// page at 400 ppi still passes whole.
constexpr int64_t kMaxWorkPixels = 16'000'000;

struct WorkPicture {
    cv::Mat gray;      // CV_8U, rows top-down
    int factor = 1;    // picture pixels per working pixel along each axis
};

// Empty gray for a picture without bits. maxPixels bounds the working copy's size.
WorkPicture workPictureOf(const Dib& picture, int64_t maxPixels = kMaxWorkPixels);

// The ink of a printed page as 255 on 0: dark marks against the local background, so that a grey
// or unevenly lit paper gives no ink. blockPixels is the neighbourhood's size (made odd, at
// least 3).
cv::Mat inkMask(const cv::Mat& gray, int blockPixels);

// Picture pixels per millimetre: from the picture's resolution when it holds a plausible one,
// otherwise as if the picture were as wide as an A4 page in portrait or landscape.
double pixelsPerMmOf(const Dib& picture);
