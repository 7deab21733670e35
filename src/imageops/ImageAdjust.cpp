#include "imageops/ImageAdjust.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

using ChannelMap = std::array<uint8_t, 256>;

// Palette pictures: every logical palette entry of the table's size goes through the map, then
// the colour table and the palette handle are made from it again.
void mapPaletteEntries(Dib& picture, const ChannelMap& map, const DibProgress& progress)
{
    const int count = dibTableSize(picture.header->biBitCount);
    std::vector<RGBQUAD> colors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        PALETTEENTRY& entry = picture.logPalette.palPalEntry[i];
        entry.peRed = map[entry.peRed];
        entry.peGreen = map[entry.peGreen];
        entry.peBlue = map[entry.peBlue];
        colors[size_t(i)] = RGBQUAD{entry.peBlue, entry.peGreen, entry.peRed, 0};
        if (progress)
            progress(rowPercent(i, count));
    }
    dibSetColors(picture, colors.data(), count);
}

void mapPixelBytes(Dib& picture, const ChannelMap& map, const DibProgress& progress)
{
    const int32_t width = picture.header->biWidth;
    const int32_t height = picture.header->biHeight;
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = picture.bits + size_t(height - 1 - r) * size_t(picture.rowSize);
        for (int32_t i = 0; i < width * 3; ++i)
            row[i] = map[row[i]];
        if (progress)
            progress(rowPercent(r, height));
    }
}

void mapChannels(Dib& picture, const ChannelMap& map, const DibProgress& progress)
{
    if (!picture.bits || !picture.header)
        return;
    if (progress)
        progress(0);
    if (picture.header->biBitCount == 24)
        mapPixelBytes(picture, map, progress);
    else
        mapPaletteEntries(picture, map, progress);
    if (progress)
        progress(0);
}

template <typename F> ChannelMap channelMap(F f)
{
    ChannelMap map{};
    for (int v = 0; v < 256; ++v)
        map[size_t(v)] = f(v);
    return map;
}

}  // namespace

uint8_t brightenedChannel(int value, int offset) { return uint8_t(std::clamp(value + offset, 0, 255)); }

uint8_t contrastedChannel(int value, int factor)
{
    int result;
    if (factor <= 100) {
        result = (value - 127) * factor / 100 + 127;
    } else {
        const int m = 200 - factor;
        result = value < 128 ? value * m / 100 : 255 - (255 - value) * m / 100;
    }
    return uint8_t(std::clamp(result, 0, 255));
}

void Helligkeit(Dib& picture, int offset, const DibProgress& progress)
{
    mapChannels(picture, channelMap([offset](int v) { return brightenedChannel(v, offset); }), progress);
}

void Kontrast(Dib& picture, int factor, const DibProgress& progress)
{
    mapChannels(picture, channelMap([factor](int v) { return contrastedChannel(v, factor); }), progress);
}

Dib copyPicture(const Dib& picture)
{
    if (!picture.bits || !picture.header)
        return Dib{};
    const int bits = picture.header->biBitCount;
    Dib copy = newdib(picture.header->biWidth, picture.header->biHeight, bits, picture.header, dibTableSize(bits));
    if (copy.bits)
        std::memcpy(copy.bits, picture.bits, picture.header->biSizeImage);
    return copy;
}

void restoreFromCopy(Dib& picture, const Dib& copy)
{
    if (!picture.bits || !copy.bits)
        return;
    std::memcpy(picture.bits, copy.bits, std::min(picture.header->biSizeImage, copy.header->biSizeImage));
    if (!picture.paletteFlag)
        return;
    picture.logPalette = copy.logPalette;
    const int count = dibTableSize(picture.header->biBitCount);
    std::vector<RGBQUAD> colors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PALETTEENTRY& entry = picture.logPalette.palPalEntry[i];
        colors[size_t(i)] = RGBQUAD{entry.peBlue, entry.peGreen, entry.peRed, 0};
    }
    dibSetColors(picture, colors.data(), count);
}
