#include "imgrove/Dib.h"

#include "imgrove/CodecSupport.h"
#include "imgrove/Palette.h"
#include "imgrove/PictureMemory.h"
#include "imgrove/StandardPalettes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr uint16_t kLogPaletteVersion = 0x300;

bool supportedDepth(int bitsPerPixel)
{
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24;
}

RGBQUAD quad(const StandardColor& c)
{
    return RGBQUAD{c.blue, c.green, c.red, 0};
}

void defaultColors(int bitsPerPixel, RGBQUAD* table)
{
    switch (bitsPerPixel) {
    case 1:
        table[0] = RGBQUAD{0, 0, 0, 0};
        table[1] = RGBQUAD{255, 255, 255, 0};
        break;
    case 4:
        std::transform(kStandardPalette16.begin(), kStandardPalette16.end(), table, quad);
        break;
    case 8:
        std::transform(kStandardPalette256.begin(), kStandardPalette256.end(), table, quad);
        break;
    default:
        break;
    }
}

void fillLogPalette(Dib& dib, const RGBQUAD* table, int count)
{
    dib.logPalette.palVersion = kLogPaletteVersion;
    dib.logPalette.palNumEntries = uint16_t(count);
    for (int i = 0; i < count; ++i)
        dib.logPalette.palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
}

uint8_t* rowAt(const Dib& dib, int32_t yFromTop)
{
    return dib.bits + size_t(dib.header->biHeight - 1 - yFromTop) * size_t(dib.rowSize);
}

bool inside(const Dib& dib, int32_t x, int32_t y)
{
    return dib.bits && dib.header && x >= 0 && y >= 0 && x < dib.header->biWidth && y < dib.header->biHeight;
}

}  // namespace

int32_t dibRowSize(int32_t width, int bitsPerPixel)
{
    if (width <= 0 || !supportedDepth(bitsPerPixel))
        return 0;
    const int64_t bytes = ((int64_t(width) * bitsPerPixel + 31) / 32) * 4;
    return bytes > std::numeric_limits<int32_t>::max() ? 0 : int32_t(bytes);
}

int dibTableSize(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

Dib newdib(int32_t width, int32_t height, int bitsPerPixel, const BITMAPINFOHEADER* colorsFrom, int colorCount)
{
    if (width <= 0 || height <= 0 || !supportedDepth(bitsPerPixel))
        return Dib{};
    if (int64_t(width) * int64_t(height) > kMaxDibPixels)
        return Dib{};
    const int32_t rowSize = dibRowSize(width, bitsPerPixel);
    if (rowSize == 0)
        return Dib{};
    const uint64_t imageSize = uint64_t(rowSize) * uint64_t(height);
    if (imageSize > std::numeric_limits<uint32_t>::max())
        return Dib{};

    const int tableSize = dibTableSize(bitsPerPixel);
    auto* header = static_cast<BITMAPINFOHEADER*>(
        std::calloc(1, sizeof(BITMAPINFOHEADER) + size_t(tableSize) * sizeof(RGBQUAD)));
    if (!header)
        return Dib{};
    uint8_t* bits = imgrove_detail::takeBlock(size_t(imageSize), true);
    if (!bits) {
        std::free(header);
        return Dib{};
    }

    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = uint16_t(bitsPerPixel);
    header->biSizeImage = uint32_t(imageSize);
    header->biClrUsed = uint32_t(tableSize);

    Dib dib;
    dib.header = header;
    dib.hasPicture = 1;
    dib.bits = bits;
    dib.rowSize = rowSize;

    if (tableSize > 0) {
        RGBQUAD* table = dibColors(dib);
        defaultColors(bitsPerPixel, table);
        if (colorsFrom && colorCount > 0) {
            // Never read past the table the source header actually carries.
            const int available = dibTableSize(colorsFrom->biBitCount);
            const int count = std::min({colorCount, tableSize, available});
            std::memcpy(table, reinterpret_cast<const uint8_t*>(colorsFrom) + sizeof(BITMAPINFOHEADER),
                        size_t(count) * sizeof(RGBQUAD));
        }
        fillLogPalette(dib, table, tableSize);
        dib.paletteFlag = 1;
    } else {
        RGBQUAD halftone[256];
        defaultColors(8, halftone);
        fillLogPalette(dib, halftone, 256);
    }
    dib.palette = CreatePalette(&dib.logPalette);
    if (!dib.palette) {
        deldib(dib);
        return Dib{};
    }
    return dib;
}

void deldib(Dib& dib)
{
    imgrove_detail::giveBlock(dib.bits);
    std::free(dib.header);
    DeletePalette(dib.palette);
    dib = Dib{};
}

void dibSetColors(Dib& dib, const RGBQUAD* colors, int count)
{
    if (!dib.header || !colors)
        return;
    const int tableSize = dibTableSize(dib.header->biBitCount);
    count = std::clamp(count, 0, tableSize);
    if (count == 0)
        return;
    RGBQUAD* table = dibColors(dib);
    std::memmove(table, colors, size_t(count) * sizeof(RGBQUAD));
    fillLogPalette(dib, table, tableSize);
    HPALETTE remade = CreatePalette(&dib.logPalette);
    if (remade) {
        DeletePalette(dib.palette);
        dib.palette = remade;
    } else if (dib.palette) {
        dib.palette->setEntries(0, std::span(dib.logPalette.palPalEntry, size_t(tableSize)));
    }
}

uint32_t getpixel(const Dib& dib, int32_t x, int32_t y)
{
    if (!inside(dib, x, y))
        return 0;
    const uint8_t* row = rowAt(dib, y);
    switch (dib.header->biBitCount) {
    case 1:
    case 4:
    case 8:
        return imgrove_detail::indexAt(row, x, dib.header->biBitCount);
    case 24: {
        const uint8_t* p = row + size_t(x) * 3;
        return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    default:
        return 0;
    }
}

void setpixel(Dib& dib, int32_t x, int32_t y, uint32_t value)
{
    if (!inside(dib, x, y))
        return;
    uint8_t* row = rowAt(dib, y);
    switch (dib.header->biBitCount) {
    case 1:
    case 4:
    case 8:
        imgrove_detail::putIndex(row, x, dib.header->biBitCount, value);
        break;
    case 24: {
        uint8_t* p = row + size_t(x) * 3;
        p[0] = uint8_t(value >> 16);
        p[1] = uint8_t(value >> 8);
        p[2] = uint8_t(value);
        break;
    }
    default:
        break;
    }
}
