// The picture record of the picture library and its memory calls.
//
// A Dib is a plain record that callers copy freely; a copy shares the pixel memory, so exactly
// one copy is given to deldib. Whatever keeps a picture beyond one call keeps it in a DibOwner.
#pragma once

#include <cstdint>
#include <utility>

struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct PALETTEENTRY {
    uint8_t peRed;
    uint8_t peGreen;
    uint8_t peBlue;
    uint8_t peFlags;
};

struct LOGPALETTE256 {
    uint16_t palVersion;
    uint16_t palNumEntries;
    PALETTEENTRY palPalEntry[256];
};

class Palette;  // the palette object, Palette.h
using HPALETTE = Palette*;

struct Dib {
    // 40-byte header directly followed by the colour table (2, 16 or 256 RGBQUADs, none for
    // 24 bits); one allocation owned by the record.
    BITMAPINFOHEADER* header = nullptr;
    uint16_t hasPicture = 0;  // non-zero while the record holds a picture
    uint16_t unused = 0;
    uint8_t* bits = nullptr;  // rows bottom-up, each rowSize bytes
    int32_t rowSize = 0;      // bytes per row, a multiple of 4
    uint8_t paletteFlag = 0;  // 1 when the picture has a colour table
    LOGPALETTE256 logPalette{};
    HPALETTE palette = nullptr;
};

// The largest picture newdib creates, in pixels; larger requests fail like any other.
constexpr int64_t kMaxDibPixels = int64_t(1) << 30;

// Creates a picture with all pixels 0. colorsFrom (may be null) supplies colorCount colours
// from its colour table; 1 bit without colours gets black and white, 4 and 8 bits the standard
// 16- and 256-colour palettes. A 24-bit picture has no colour table (palette flag 0) but its
// logical palette and handle hold the 256-colour halftone palette, which the halftoned copies
// of it use on palette screens. bits is null on failure; newdib never throws.
Dib newdib(int32_t width, int32_t height, int bitsPerPixel, const BITMAPINFOHEADER* colorsFrom,
           int colorCount);
// Frees the pixel memory, the header and the palette handle; the record is emptied.
void deldib(Dib& dib);

// Pixel value: colour index for 1, 4 and 8 bits; red + 256 * green + 65536 * blue for 24 bits.
// x from the left, y from the top row. Coordinates outside the picture read 0 and write nothing.
uint32_t getpixel(const Dib& dib, int32_t x, int32_t y);
void setpixel(Dib& dib, int32_t x, int32_t y, uint32_t value);

// Replaces the first count colours of the colour table and the logical palette (count is
// limited to the depth's table) and remakes the palette handle from the logical palette.
void dibSetColors(Dib& dib, const RGBQUAD* colors, int count);

// Bytes per row for a width and depth, padded to 4; 0 when it overflows.
int32_t dibRowSize(int32_t width, int bitsPerPixel);
// Colour table entries a depth carries: 2, 16, 256, or 0 for 24 bits.
int dibTableSize(int bitsPerPixel);
// The colour table that follows the header.
inline RGBQUAD* dibColors(const Dib& dib)
{
    return reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(dib.header) + sizeof(BITMAPINFOHEADER));
}

// Holds one picture and gives it to deldib exactly once.
class DibOwner {
public:
    DibOwner() = default;
    explicit DibOwner(Dib dib) : dib_(dib) {}
    DibOwner(const DibOwner&) = delete;
    DibOwner& operator=(const DibOwner&) = delete;
    DibOwner(DibOwner&& other) noexcept : dib_(std::exchange(other.dib_, Dib{})) {}
    DibOwner& operator=(DibOwner&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.dib_, Dib{}));
        return *this;
    }
    ~DibOwner() { deldib(dib_); }

    // Frees the held picture, then holds the new one.
    void reset(Dib dib = Dib{})
    {
        deldib(dib_);
        dib_ = dib;
    }
    // Gives up the picture without freeing it.
    Dib release() { return std::exchange(dib_, Dib{}); }
    const Dib& get() const { return dib_; }
    Dib& get() { return dib_; }
    explicit operator bool() const { return dib_.bits != nullptr; }

private:
    Dib dib_;
};
