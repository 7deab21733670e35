// PNG over libpng. libpng reports errors by longjmp to the setjmp of the function that drives
// it; those functions keep all their state in a record owned by the caller, so the jump skips
// no destructor and loses no change.
#include "imgrove/DibCodec.h"
#include "imgrove/LibCodecRows.h"
#include "imgrove/PngWholeStream.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include <png.h>

namespace {

using namespace libcodec;

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Deflate expands at most about 1032 to 1.
constexpr uint64_t kMaxInflateRatio = 1032;

[[noreturn]] void failPng(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

struct ReadState {
    std::span<const uint8_t> data;
    size_t position = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    Dib dib{};
    std::vector<uint8_t> buffer;
    std::vector<png_bytep> rows;
    std::vector<RGBQUAD> table;
};

void readData(png_structp png, png_bytep out, size_t length)
{
    auto* s = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > s->data.size() - s->position)
        png_error(png, "truncated");
    std::memcpy(out, s->data.data() + s->position, length);
    s->position += length;
}

enum class Layout {
    Direct,    // rows as the picture stores them
    TwoBit,    // one index per byte, packed into 4 bits
    GreyAlpha, // grey, alpha
    BgrAlpha,  // blue, green, red, alpha
};

void convertRow(const ReadState& s, Layout layout, const uint8_t* src, int32_t y)
{
    const int32_t width = s.dib.header->biWidth;
    uint8_t* target = rowFromTop(s.dib, y);
    switch (layout) {
    case Layout::Direct:
        break;
    case Layout::TwoBit:
        packIndices(src, width, 4, target);
        break;
    case Layout::GreyAlpha:
        for (int32_t x = 0; x < width; ++x)
            target[x] = overWhite(src[2 * x], src[2 * x + 1]);
        break;
    case Layout::BgrAlpha:
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                target[3 * x + c] = overWhite(src[4 * x + c], src[4 * x + 3]);
        break;
    }
}

// How the rows of an 8-bit or packed picture without conversion lie in the file.
pngwhole::RowLayout wholeLayout(const ReadState& s, int bitDepth, int colorType)
{
    const unsigned bitsPerPixel = unsigned(png_get_channels(s.png, s.info)) * unsigned(bitDepth);
    return pngwhole::rowLayout(s.dib.header->biWidth, bitsPerPixel, colorType == PNG_COLOR_TYPE_RGB);
}

// The rows through libpng. Called under readPng's setjmp, and like it holds nothing that needs a
// destructor.
void readRowsWithLibpng(ReadState& s, Layout layout, int passes, size_t rowBytes)
{
    const auto height = png_uint_32(s.dib.header->biHeight);
    if (layout == Layout::Direct) {
        if (rowBytes > size_t(s.dib.rowSize))
            png_error(s.png, "row too long");
        s.rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            s.rows[y] = rowFromTop(s.dib, int32_t(y));
        png_read_image(s.png, s.rows.data());
    } else if (passes == 1) {
        s.buffer.resize(rowBytes);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(s.png, s.buffer.data(), nullptr);
            convertRow(s, layout, s.buffer.data(), int32_t(y));
        }
    } else {
        s.buffer.resize(rowBytes * height);
        s.rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            s.rows[y] = s.buffer.data() + rowBytes * y;
        png_read_image(s.png, s.rows.data());
        for (png_uint_32 y = 0; y < height; ++y)
            convertRow(s, layout, s.rows[y], int32_t(y));
    }
}

bool readPng(ReadState& s)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_set_read_fn(s.png, &s, readData);
    // Damage is found by the checksum of every chunk, which stays on; the second checksum over
    // the inflated rows costs a tenth of the reading time and could only find a broken writer.
    png_set_option(s.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(s.png, s.info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(s.png, s.info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!sizeAcceptable(width, height))
        return false;
    // The inflated rows can't be more than deflate's best ratio allows for the whole file.
    const uint64_t rawBits = uint64_t(width) * height * png_get_channels(s.png, s.info) * unsigned(bitDepth);
    if (rawBits / 8 > kMaxInflateRatio * (s.data.size() + 1024))
        return false;

    const bool hasTrns = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    if (bitDepth == 16)
        png_set_scale_16(s.png);

    Layout layout = Layout::Direct;
    int depth = 8;
    std::vector<RGBQUAD>& table = s.table;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int count = 0;
        if (!png_get_PLTE(s.png, s.info, &plte, &count))
            return false;
        png_bytep alpha = nullptr;
        int alphaCount = 0;
        if (hasTrns)
            png_get_tRNS(s.png, s.info, &alpha, &alphaCount, nullptr);
        table.resize(size_t(count));
        for (int i = 0; i < count; ++i) {
            // Transparent entries are shown over white paper.
            const uint8_t a = i < alphaCount ? alpha[i] : 255;
            table[size_t(i)] = RGBQUAD{overWhite(plte[i].blue, a), overWhite(plte[i].green, a),
                                       overWhite(plte[i].red, a), 0};
        }
        depth = bitDepth == 1 ? 1 : bitDepth <= 4 ? 4 : 8;
        if (bitDepth == 2) {
            png_set_packing(s.png);
            layout = Layout::TwoBit;
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY && (!hasTrns || bitDepth <= 8)) {
        depth = bitDepth == 1 ? 1 : bitDepth <= 4 ? 4 : 8;
        table = greyRamp(1 << std::min(bitDepth, 8));
        // The one transparent grey shows the paper. Kept as a colour of the table, the picture
        // stays at its depth instead of growing to a byte per pixel.
        png_color_16p transparent = nullptr;
        if (hasTrns && png_get_tRNS(s.png, s.info, nullptr, nullptr, &transparent) && transparent &&
            transparent->gray < table.size())
            table[transparent->gray] = RGBQUAD{255, 255, 255, 0};
        if (bitDepth == 2) {
            png_set_packing(s.png);
            layout = Layout::TwoBit;
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(s.png);
        if (hasTrns)
            png_set_tRNS_to_alpha(s.png);
        table = greyRamp(256);
        layout = Layout::GreyAlpha;
    } else {
        depth = 24;
        png_set_bgr(s.png);
        if (hasTrns)
            png_set_tRNS_to_alpha(s.png);
        if (hasTrns || colorType == PNG_COLOR_TYPE_RGB_ALPHA)
            layout = Layout::BgrAlpha;
    }
    const int passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    const size_t rowBytes = png_get_rowbytes(s.png, s.info);
    // Interlaced rows that need converting are gathered whole before they are converted.
    const uint64_t gathered = layout != Layout::Direct && passes > 1 ? uint64_t(rowBytes) * height : 0;
    if (!pictureFits(width, height, depth, gathered + 4 * uint64_t(rowBytes), s.data.size()))
        return false;
    s.dib = create(int32_t(width), int32_t(height), depth, table);
    if (!s.dib.bits)
        return false;

    // The file's rows as they stand, read whole; libpng has then read nothing past the first IDAT
    // header and is not asked for the end of the file either.
    const bool whole = layout == Layout::Direct && passes == 1 && bitDepth <= 8 &&
                       pngwhole::readRows(s.data, s.position, wholeLayout(s, bitDepth, colorType), s.dib);
    if (!whole) {
        readRowsWithLibpng(s, layout, passes, rowBytes);
        png_read_end(s.png, nullptr);
    }

    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(s.png, s.info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER && resX <= INT32_MAX &&
        resY <= INT32_MAX) {
        s.dib.header->biXPelsPerMeter = int32_t(resX);
        s.dib.header->biYPelsPerMeter = int32_t(resY);
    }
    return true;
}

bool sniffPng(std::span<const uint8_t> head)
{
    return head.size() >= sizeof kSignature && std::equal(std::begin(kSignature), std::end(kSignature), head.begin());
}

Dib decodePng(std::span<const uint8_t> data)
{
    if (!sniffPng(data) || !pngwhole::chunksFitFile(data))
        return Dib{};
    ReadState state;
    state.data = data;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignoreWarning);
    if (!state.png)
        return Dib{};
    state.info = png_create_info_struct(state.png);
    const bool ok = state.info && imgrove_detail::orWhenOutOfMemory(false, [&state] { return readPng(state); });
    png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
    if (!ok) {
        deldib(state.dib);
        return Dib{};
    }
    return state.dib;
}

struct WriteState {
    const Dib* dib = nullptr;
    std::vector<uint8_t>* out = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<RGBQUAD> table;
    std::vector<png_color> plte;
};

void writeData(png_structp png, png_bytep data, size_t length)
{
    auto* s = static_cast<WriteState*>(png_get_io_ptr(png));
    try {
        s->out->insert(s->out->end(), data, data + length);
    } catch (...) {
        png_error(png, "out of memory");
    }
}

void flushData(png_structp) {}

bool writePng(WriteState& s)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    png_set_write_fn(s.png, &s, writeData, flushData);
    const Dib& dib = *s.dib;
    const auto width = png_uint_32(dib.header->biWidth);
    const auto height = png_uint_32(dib.header->biHeight);
    const int depth = dib.header->biBitCount;
    if (depth == 24) {
        png_set_IHDR(s.png, s.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    } else {
        s.table = colors(dib);
        // A grey ramp is stored as a grey picture, which every reader shows the same.
        const bool grey = isGreyRamp(s.table);
        png_set_IHDR(s.png, s.info, width, height, depth, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!grey) {
            for (const RGBQUAD& c : s.table)
                s.plte.push_back(png_color{c.rgbRed, c.rgbGreen, c.rgbBlue});
            png_set_PLTE(s.png, s.info, s.plte.data(), int(s.plte.size()));
        }
    }
    if (dib.header->biXPelsPerMeter > 0 && dib.header->biYPelsPerMeter > 0)
        png_set_pHYs(s.png, s.info, png_uint_32(dib.header->biXPelsPerMeter),
                     png_uint_32(dib.header->biYPelsPerMeter), PNG_RESOLUTION_METER);
    png_write_info(s.png, s.info);
    if (depth == 24)
        png_set_bgr(s.png);
    for (png_uint_32 y = 0; y < height; ++y)
        png_write_row(s.png, rowFromTop(dib, int32_t(y)));
    png_write_end(s.png, nullptr);
    return true;
}

bool encodePng(const Dib& dib, std::vector<uint8_t>& out)
{
    if (!imgrove_detail::hasPixels(dib))
        return false;
    WriteState state;
    state.dib = &dib;
    state.out = &out;
    const size_t start = out.size();
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignoreWarning);
    if (!state.png)
        return false;
    state.info = png_create_info_struct(state.png);
    const bool ok = state.info && imgrove_detail::orWhenOutOfMemory(false, [&state] { return writePng(state); });
    png_destroy_write_struct(&state.png, state.info ? &state.info : nullptr);
    if (!ok)
        out.resize(start);
    return ok;
}

}  // namespace

const DibCodec kPngCodec{"png", sniffPng, decodePng, encodePng};
