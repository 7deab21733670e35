#include "scanlink2/ScanPicture.h"

#include "imgrove/LibCodecRows.h"

#include <algorithm>
#include <cstring>

namespace {

// Sample i of a line at depth 1, 8 or 16, as 0..255. SANE sends 16-bit samples in the host's
// byte order; a set bit of a one-bit colour sample is that colour at full strength.
inline uint8_t sampleAt(const uint8_t* line, int depth, int32_t i)
{
    switch (depth) {
    case 1:
        return (line[i >> 3] >> (7 - (i & 7))) & 1 ? 255 : 0;
    case 16: {
        uint16_t value;
        std::memcpy(&value, line + size_t(i) * 2, 2);
        return uint8_t(value >> 8);
    }
    default:
        return line[i];
    }
}

bool depthTaken(int depth) { return depth == 1 || depth == 8 || depth == 16; }

// A frame the conversion can read safely: a known depth, and lines long enough for their pixels.
bool frameTaken(const ScanFrame& frame, int samplesPerPixel)
{
    if (!depthTaken(frame.depth) || frame.pixelsPerLine <= 0)
        return false;
    const int64_t bits = int64_t(frame.pixelsPerLine) * samplesPerPixel * frame.depth;
    return frame.bytesPerLine >= (bits + 7) / 8;
}

// One-bit grey: SANE's set bit is black, the picture's index 0 is black.
Dib lineArt(const ScanFrame& frame, int32_t height)
{
    Dib dib = libcodec::create(frame.pixelsPerLine, height, 1, nullptr, 0);
    if (!dib.bits)
        return dib;
    const size_t bytes = size_t(frame.pixelsPerLine + 7) / 8;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* line = frame.data.data() + size_t(y) * size_t(frame.bytesPerLine);
        uint8_t* row = libcodec::rowFromTop(dib, y);
        for (size_t i = 0; i < bytes; ++i)
            row[i] = uint8_t(~line[i]);
    }
    return dib;
}

Dib grey(const ScanFrame& frame, int32_t height)
{
    Dib dib = libcodec::create(frame.pixelsPerLine, height, 8, libcodec::greyRamp(256));
    if (!dib.bits)
        return dib;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* line = frame.data.data() + size_t(y) * size_t(frame.bytesPerLine);
        uint8_t* row = libcodec::rowFromTop(dib, y);
        if (frame.depth == 8)
            std::memcpy(row, line, size_t(frame.pixelsPerLine));
        else
            for (int32_t x = 0; x < frame.pixelsPerLine; ++x)
                row[x] = sampleAt(line, frame.depth, x);
    }
    return dib;
}

// Interleaved red, green, blue to the picture's blue, green, red.
Dib colour(const ScanFrame& frame, int32_t height)
{
    Dib dib = libcodec::create(frame.pixelsPerLine, height, 24, nullptr, 0);
    if (!dib.bits)
        return dib;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* line = frame.data.data() + size_t(y) * size_t(frame.bytesPerLine);
        uint8_t* row = libcodec::rowFromTop(dib, y);
        for (int32_t x = 0; x < frame.pixelsPerLine; ++x) {
            row[3 * x + 2] = sampleAt(line, frame.depth, 3 * x);
            row[3 * x + 1] = sampleAt(line, frame.depth, 3 * x + 1);
            row[3 * x] = sampleAt(line, frame.depth, 3 * x + 2);
        }
    }
    return dib;
}

// One frame per colour, in whatever order the device sent them.
Dib threePass(const std::vector<ScanFrame>& frames)
{
    const ScanFrame* channel[3] = {};  // red, green, blue
    for (const ScanFrame& frame : frames) {
        const int index = frame.kind == FrameKind::Red ? 0 : frame.kind == FrameKind::Green ? 1 : 2;
        if (frame.kind == FrameKind::Gray || frame.kind == FrameKind::Rgb || channel[index])
            return Dib{};
        channel[index] = &frame;
    }
    if (!channel[0] || !channel[1] || !channel[2])
        return Dib{};
    const int32_t width = channel[0]->pixelsPerLine;
    int32_t height = channel[0]->lines();
    for (const ScanFrame* frame : channel) {
        if (frame->pixelsPerLine != width || !frameTaken(*frame, 1))
            return Dib{};
        height = std::min(height, frame->lines());
    }
    Dib dib = libcodec::create(width, height, 24, nullptr, 0);
    if (!dib.bits)
        return dib;
    for (int c = 0; c < 3; ++c) {
        const ScanFrame& frame = *channel[c];
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* line = frame.data.data() + size_t(y) * size_t(frame.bytesPerLine);
            uint8_t* row = libcodec::rowFromTop(dib, y);
            for (int32_t x = 0; x < width; ++x)
                row[3 * x + 2 - c] = sampleAt(line, frame.depth, x);
        }
    }
    return dib;
}

}  // namespace

Dib dibFromFrames(const std::vector<ScanFrame>& frames, double resolution)
{
    if (frames.empty())
        return Dib{};
    Dib dib;
    const ScanFrame& first = frames.front();
    if (first.kind == FrameKind::Red || first.kind == FrameKind::Green || first.kind == FrameKind::Blue)
        dib = threePass(frames);
    else if (frames.size() == 1 && frameTaken(first, first.kind == FrameKind::Rgb ? 3 : 1) && first.lines() > 0) {
        const int32_t height = first.lines();
        if (first.kind == FrameKind::Rgb)
            dib = colour(first, height);
        else
            dib = first.depth == 1 ? lineArt(first, height) : grey(first, height);
    }
    if (dib.bits) {
        dib.header->biXPelsPerMeter = libcodec::dpiToPerMetre(resolution);
        dib.header->biYPelsPerMeter = dib.header->biXPelsPerMeter;
    }
    return dib;
}
