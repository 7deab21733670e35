// Turns the frames a scanner sends into a picture of the picture library: line art to 1 bit,
// grey to 8 bits with a grey palette, colour to 24 bits, 16-bit samples to their high byte,
// the three frames of a three-pass scanner joined into one colour picture.
#pragma once

#include "imgrove/Dib.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class FrameKind { Gray, Rgb, Red, Green, Blue };

struct ScanFrame {
    FrameKind kind = FrameKind::Gray;
    int depth = 8;  // bits per sample: 1, 8 or 16
    int32_t pixelsPerLine = 0;
    int32_t bytesPerLine = 0;
    // The lines as they came, top line first; a short last line is left out.
    std::vector<uint8_t> data;

    int32_t lines() const { return bytesPerLine > 0 ? int32_t(data.size() / size_t(bytesPerLine)) : 0; }
};

// The picture, resolution in pixels per inch (0: unknown) kept in its header; bits null when the
// frames hold no picture, have a depth or a frame set it cannot take, or memory is short.
Dib dibFromFrames(const std::vector<ScanFrame>& frames, double resolution);
