// GIF over giflib 5, in memory through DGifOpen and EGifOpen. The first picture of the file is
// read onto its logical screen; its transparent colour shows as white paper.
#include "imgrove/DibCodec.h"
#include "imgrove/LibCodecRows.h"
#include "imgrove/Palette.h"
#include "imgrove/StandardPalettes.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <gif_lib.h>

namespace {

using namespace libcodec;

constexpr int kMaxGifSide = 65535;
// A code of b bits stands for at most 2^b pixels, so a frame's pixels can't outnumber its coded
// bits by more than 4096 / 12, the ratio of the widest codes.
constexpr uint64_t kMaxPixelsPerCodedByte = 4096 * 8 / 12 + 1;
constexpr uint64_t kLongestCodePixels = 4096;

struct Input {
    std::span<const uint8_t> data;
    size_t position = 0;
};

int readInput(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* in = static_cast<Input*>(gif->UserData);
    if (length <= 0)
        return 0;
    const size_t n = std::min(size_t(length), in->data.size() - in->position);
    std::memcpy(buffer, in->data.data() + in->position, n);
    in->position += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

std::vector<RGBQUAD> tableOf(const ColorMapObject* map)
{
    if (!map || !map->Colors || map->ColorCount <= 0)
        return greyRamp(256);
    std::vector<RGBQUAD> table(size_t(std::min(map->ColorCount, 256)));
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = RGBQUAD{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
    return table;
}

// Bytes of the frame's coded data: the sub-blocks that follow its descriptor, up to the empty
// one that ends them or the end of the file.
uint64_t codedBytesAhead(const Input& in)
{
    uint64_t bytes = 0;
    size_t at = in.position;
    while (at < in.data.size() && in.data[at] != 0) {
        bytes += in.data[at];
        at += size_t(in.data[at]) + 1;
    }
    return bytes;
}

// Decodes the frame just described into the canvas; false when its data is broken.
bool readFrame(GifFileType* gif, Dib& canvas, int transparent)
{
    const GifImageDesc& frame = gif->Image;
    const int32_t width = canvas.header->biWidth;
    const int32_t height = canvas.header->biHeight;
    const int depth = canvas.header->biBitCount;
    const int tableSize = 1 << depth;
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    std::vector<uint8_t> indices(static_cast<size_t>(width));

    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kPassStart[pass] : 0;
        const int step = frame.Interlace ? kPassStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK)
                return false;
            const int64_t canvasY = int64_t(frame.Top) + y;
            if (canvasY >= height || frame.Left >= width)
                continue;
            uint8_t* target = rowFromTop(canvas, int32_t(canvasY));
            unpackIndices(target, width, depth, indices.data());
            const int visible = std::min<int>(frame.Width, width - frame.Left);
            for (int x = 0; x < visible; ++x) {
                const int index = line[size_t(x)];
                if (index == transparent)
                    continue;
                indices[size_t(frame.Left + x)] = uint8_t(index < tableSize ? index : 0);
            }
            packIndices(indices.data(), width, depth, target);
        }
    }
    return true;
}

bool sniffGif(std::span<const uint8_t> head)
{
    return head.size() >= 6 && std::memcmp(head.data(), "GIF8", 4) == 0 && (head[4] == '7' || head[4] == '9') &&
           head[5] == 'a';
}

Dib decodeGif(std::span<const uint8_t> data)
{
    if (!sniffGif(data))
        return Dib{};
    Input input{data, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, readInput, &error));
    if (!gif)
        return Dib{};
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK)
            return Dib{};
        if (type == TERMINATE_RECORD_TYPE)
            return Dib{};
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
                return Dib{};
            GraphicsControlBlock control{};
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK)
                    return Dib{};
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) != GIF_OK)
            return Dib{};
        const GifImageDesc& frame = gif->Image;
        if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
            return Dib{};
        // A screen of no size is taken as just large enough for the picture.
        int64_t width = gif->SWidth;
        int64_t height = gif->SHeight;
        if (width <= 0 || height <= 0) {
            width = int64_t(frame.Left) + frame.Width;
            height = int64_t(frame.Top) + frame.Height;
        }
        // The frame must fit its coded data; the screen around it is only background, so it is
        // held to the memory a file of this size may take, never taken on trust.
        const uint64_t framePixels = uint64_t(frame.Width) * uint64_t(frame.Height);
        if (framePixels > kLongestCodePixels + kMaxPixelsPerCodedByte * codedBytesAhead(input))
            return Dib{};
        std::vector<RGBQUAD> table = tableOf(frame.ColorMap ? frame.ColorMap : gif->SColorMap);
        const int depth = depthForColors(int(table.size()));
        const uint64_t rowBuffers = uint64_t(frame.Width) * sizeof(GifPixelType) + uint64_t(width) * 2;
        if (!pictureFits(width, height, depth, rowBuffers, data.size()))
            return Dib{};
        if (transparent >= 0 && transparent < int(table.size()))
            table[size_t(transparent)] = RGBQUAD{255, 255, 255, 0};
        else
            transparent = NO_TRANSPARENT_COLOR;
        DibOwner canvas(create(int32_t(width), int32_t(height), depth, table));
        if (!canvas)
            return Dib{};
        // Outside the picture the screen shows the background colour, or paper where the
        // picture is transparent.
        int fill = transparent >= 0 ? transparent : gif->SBackGroundColor;
        if (fill < 0 || fill >= (1 << depth))
            fill = 0;
        std::vector<uint8_t> fillRow(static_cast<size_t>(width), uint8_t(fill));
        packIndices(fillRow.data(), int32_t(width), depth, canvas.get().bits);
        for (int32_t y = 1; y < int32_t(height); ++y)
            std::memcpy(canvas.get().bits + int64_t(y) * canvas.get().rowSize, canvas.get().bits,
                        size_t(canvas.get().rowSize));
        if (!readFrame(gif.get(), canvas.get(), transparent))
            return Dib{};
        return canvas.release();
    }
}

int writeOutput(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), data, data + length);
    } catch (...) {
        return 0;
    }
    return length;
}

struct MapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// 24-bit pictures go to the standard 256-colour palette by nearest colour, not by a dither:
// the lines and lettering of a form stay solid, and flat colours stay flat.
std::unique_ptr<Palette> standardPalette()
{
    std::vector<PALETTEENTRY> entries;
    for (const StandardColor& c : kStandardPalette256)
        entries.push_back(PALETTEENTRY{c.red, c.green, c.blue, 0});
    return std::make_unique<Palette>(entries);
}

bool encodeGif(const Dib& dib, std::vector<uint8_t>& out)
{
    if (!imgrove_detail::hasPixels(dib) || dib.header->biWidth > kMaxGifSide || dib.header->biHeight > kMaxGifSide)
        return false;
    const int depth = dib.header->biBitCount;
    const int32_t width = dib.header->biWidth;
    const int32_t height = dib.header->biHeight;

    std::vector<GifColorType> colors;
    if (depth == 24) {
        for (const StandardColor& c : kStandardPalette256)
            colors.push_back(GifColorType{c.red, c.green, c.blue});
    } else {
        for (const RGBQUAD& c : libcodec::colors(dib))
            colors.push_back(GifColorType{c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(int(colors.size()), colors.data()));
    if (!map)
        return false;

    std::vector<uint8_t> encoded;
    int error = 0;
    GifFileType* gif = EGifOpen(&encoded, writeOutput, &error);
    if (!gif)
        return false;
    const int bits = depth == 24 ? 8 : depth;
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    std::unique_ptr<Palette> palette = depth == 24 ? standardPalette() : nullptr;
    for (int32_t y = 0; ok && y < height; ++y) {
        if (depth == 24) {
            const uint8_t* p = rowFromTop(dib, y);
            for (int32_t x = 0; x < width; ++x, p += 3)
                line[size_t(x)] = GifPixelType(palette->nearestIndex(p[2], p[1], p[0]));
        } else {
            unpackIndices(rowFromTop(dib, y), width, depth, line.data());
        }
        ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    if (ok)
        out.insert(out.end(), encoded.begin(), encoded.end());
    return ok;
}

}  // namespace

const DibCodec kGifCodec{"gif", sniffGif, decodeGif, encodeGif};
