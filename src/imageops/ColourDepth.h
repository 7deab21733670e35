// Changing the bits per pixel of a picture among 1, 4, 8 and 24: raising keeps every colour,
// lowering maps to a palette (optimized from the picture or a standard one) by nearest colour,
// ordered dithering or Floyd-Steinberg error diffusion.
#pragma once

#include "imgrove/DibFiles.h"
#include "imgrove/StandardPalettes.h"

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// A pixel value of a 24-bit picture as red, green, blue.
Rgb getrgb24(uint32_t value);

// Filler colours of a raised palette draw their channels from this; each call gives 0..255.
using RandomByte = std::function<int()>;
// The program's generator (seeded once at start).
int programRandomByte();

// The picture at a higher depth; bits null when nothing is to be done (24 bits already, a
// target not above the depth) or newdib fails. progress: 0 before and after, per row between.
Dib DepthUpTo(const Dib& picture, int targetBits, const RandomByte& random = programRandomByte,
              const DibProgress& progress = {});

enum class DepthFunction { Nearest, Ordered, FloydSteinberg };
struct DepthDownChoice {
    bool optimizedPalette = true;
    bool windowsColors = true;
    DepthFunction function = DepthFunction::FloydSteinberg;
};

// The picture at a lower depth; bits null when the target is not below the depth or newdib
// fails.
Dib DepthDownTo(const Dib& picture, int targetBits, const DepthDownChoice& choice, const DibProgress& progress = {});

// A popularity palette: the n most frequent colour bins (bins of 2^shift per channel) of an 8- or
// 24-bit picture, most frequent first, each as its bin's lower corner.
std::vector<Rgb> BuildOptimizedPalette(const Dib& picture, int count, int shift);

// Serpentine error diffusion of source into target, which already has its size, depth and
// palette. Progress per row, without the 0 before and after.
void FloydSteinbergDither(const Dib& source, Dib& target, const DibProgress& progress = {});
