// Measuring how far a scanned form lies askew, from its printed lines and rows of text, and
// straightening it with the Retouch tab's own free rotation.
#pragma once

#include "imgrove/DibFiles.h"

#include <optional>
#include <string>

// The largest skew measured, degrees either way.
constexpr double kMaxSkewDegrees = 10;

struct SkewMeasurement {
    // Clockwise positive: the printed lines fall to the right. Nothing when the picture shows
    // no lines or rows of text to measure.
    std::optional<double> degrees;
    std::string error;  // the reason when nothing was measured
};

inline const char* const kNoSkewMessage =
    "The picture shows no printed lines or rows of text to measure its skew by.";

SkewMeasurement measureSkew(const Dib& picture);

// The free rotation that takes a measured skew out: which way and how far.
struct StraighteningTurn {
    bool right = false;  // clockwise, as the rotate dialog's "right"
    double degrees = 0;
};
StraighteningTurn straighteningTurn(double skewDegrees);

// The pixel value of white in this picture: white itself for 24 bits, otherwise the colour
// table's entry nearest to white.
uint32_t whitePixelOf(const Dib& picture);

// The picture turned back by the skew: the rotate dialog's free rotation for that angle on a
// white background. bits null when the rotation fails.
Dib straightenedDib(const Dib& picture, double skewDegrees, const DibProgress& progress = {});
