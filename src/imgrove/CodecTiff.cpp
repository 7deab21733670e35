// TIFF over libtiff, in memory through TIFFClientOpen. Only the first page of a multi-page file
// is read. Strip pictures in the usual layouts are read line by line in their own depth; the
// rest (tiles, separate planes, YCbCr, CMYK, Lab, grey with alpha ...) go through libtiff's RGBA
// reader and become 24 bits, or 8-bit grey when the photometric is grey.
#include "imgrove/DibCodec.h"
#include "imgrove/LibCodecRows.h"
#include "imgrove/TiffLzw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>

#include <tiffio.h>

namespace {

using namespace libcodec;

struct MemoryFile {
    std::span<const uint8_t> input;   // reading
    std::vector<uint8_t>* output = nullptr;  // writing
    uint64_t position = 0;
    int errors = 0;

    uint64_t size() const { return output ? output->size() : input.size(); }
};

MemoryFile& fileOf(thandle_t handle)
{
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryFile& f = fileOf(handle);
    const uint8_t* base = f.output ? f.output->data() : f.input.data();
    if (size < 0 || f.position >= f.size())
        return 0;
    const auto n = std::min<uint64_t>(uint64_t(size), f.size() - f.position);
    std::memcpy(buffer, base + f.position, size_t(n));
    f.position += n;
    return tmsize_t(n);
}

tmsize_t writeProc(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryFile& f = fileOf(handle);
    if (!f.output || size < 0)
        return -1;
    try {
        if (f.position + uint64_t(size) > f.output->size())
            f.output->resize(size_t(f.position + uint64_t(size)));
    } catch (...) {
        return -1;
    }
    std::memcpy(f.output->data() + f.position, buffer, size_t(size));
    f.position += uint64_t(size);
    return size;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile& f = fileOf(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = f.position;
    else if (whence == SEEK_END)
        base = f.size();
    const uint64_t target = base + offset;
    // Reading never goes past the end; writing may leave a gap that the next write fills.
    if (target < base || (!f.output && target > f.size()) || target > uint64_t(INT64_MAX))
        return toff_t(-1);
    f.position = target;
    return target;
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return fileOf(handle).size();
}

int mapProc(thandle_t handle, void** base, toff_t* size)
{
    MemoryFile& f = fileOf(handle);
    if (f.output)
        return 0;
    *base = const_cast<uint8_t*>(f.input.data());
    *size = f.input.size();
    return 1;
}

void unmapProc(thandle_t, void*, toff_t) {}

// Warnings and errors are silenced; errors are counted so that a write that libtiff gave up
// on is not reported as written and a damaged file is not shown as whole.
int countError(TIFF*, void* user, const char*, const char*, va_list)
{
    ++static_cast<MemoryFile*>(user)->errors;
    return 1;
}

// A tag that could not be read because the file ends early is only a warning to libtiff, which
// then goes on without it; for the user that is a damaged file.
int countTruncation(TIFF*, void* user, const char*, const char* format, va_list)
{
    if (format && std::strstr(format, "IO error"))
        ++static_cast<MemoryFile*>(user)->errors;
    return 1;
}

TIFF* openMemory(MemoryFile& file, const char* mode, uint64_t maxSingleAlloc)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, countError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options, countTruncation, &file);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(std::min<uint64_t>(maxSingleAlloc, INT64_MAX / 2)));
    TIFF* tif = TIFFClientOpenExt("memory", mode, &file, readProc, writeProc, seekProc, closeProc, sizeProc,
                                  mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

uint8_t scale16(uint16_t v)
{
    return uint8_t((uint32_t(v) * 255 + 32767) / 65535);
}

std::vector<RGBQUAD> invertTable(std::vector<RGBQUAD> table)
{
    for (RGBQUAD& c : table)
        c = RGBQUAD{uint8_t(255 - c.rgbBlue), uint8_t(255 - c.rgbGreen), uint8_t(255 - c.rgbRed), 0};
    return table;
}

std::vector<RGBQUAD> colorMap(TIFF* tif, int bitsPerSample)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        return {};
    const int n = 1 << bitsPerSample;
    // Some old writers store 8-bit values in the 16-bit map.
    bool eightBit = true;
    for (int i = 0; i < n; ++i)
        if (red[i] > 255 || green[i] > 255 || blue[i] > 255)
            eightBit = false;
    std::vector<RGBQUAD> table(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto level = [&](uint16_t v) { return eightBit ? uint8_t(v) : scale16(v); };
        table[size_t(i)] = RGBQUAD{level(blue[i]), level(green[i]), level(red[i]), 0};
    }
    return table;
}

void readResolution(TIFF* tif, Dib& dib)
{
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y))
        return;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double factor = unit == RESUNIT_INCH ? 1.0 : unit == RESUNIT_CENTIMETER ? 2.54 : 0.0;
    dib.header->biXPelsPerMeter = dpiToPerMetre(x * factor);
    dib.header->biYPelsPerMeter = dpiToPerMetre(y * factor);
}

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 1;
    uint16_t samples = 1;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t alpha = EXTRASAMPLE_UNSPECIFIED;
    bool hasAlpha = false;
};

bool isGrey(uint16_t photometric)
{
    return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
}

bool readsLineByLine(TIFF* tif, const Layout& l)
{
    if (TIFFIsTiled(tif) || (l.planar != PLANARCONFIG_CONTIG && l.samples > 1))
        return false;
    const uint16_t b = l.bits;
    if (isGrey(l.photometric))
        return l.samples == 1 && (b == 1 || b == 2 || b == 4 || b == 8 || b == 16);
    if (l.photometric == PHOTOMETRIC_PALETTE)
        return l.samples == 1 && (b == 1 || b == 2 || b == 4 || b == 8);
    if (l.photometric == PHOTOMETRIC_RGB)
        return l.samples >= 3 && (b == 8 || b == 16);
    return false;
}

Dib readLines(TIFF* tif, const Layout& l)
{
    const auto width = int32_t(l.width);
    const auto height = int32_t(l.height);
    std::vector<RGBQUAD> table;
    int depth = 24;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        table = colorMap(tif, l.bits);
        if (table.empty())
            return Dib{};
    } else if (isGrey(l.photometric)) {
        table = greyRamp(1 << std::min<int>(l.bits, 8));
        if (l.photometric == PHOTOMETRIC_MINISWHITE)
            table = invertTable(table);
    }
    if (l.photometric != PHOTOMETRIC_RGB)
        depth = l.bits == 1 ? 1 : l.bits <= 4 ? 4 : 8;

    const tmsize_t lineSize = TIFFScanlineSize(tif);
    const uint64_t needed = (uint64_t(l.width) * l.samples * l.bits + 7) / 8;
    if (lineSize <= 0 || uint64_t(lineSize) < needed)
        return Dib{};
    DibOwner dib(create(width, height, depth, table));
    if (!dib)
        return Dib{};
    std::vector<uint8_t> line(static_cast<size_t>(lineSize));
    std::vector<uint8_t> indices(l.bits == 2 ? size_t(width) : 0);
    for (int32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, line.data(), uint32_t(y), 0) < 0)
            return Dib{};
        uint8_t* target = rowFromTop(dib.get(), y);
        const auto* wide = reinterpret_cast<const uint16_t*>(line.data());
        if (depth != 24) {
            if (l.bits == 16) {
                for (int32_t x = 0; x < width; ++x)
                    target[x] = scale16(wide[x]);
            } else if (l.bits == 2) {
                for (int32_t x = 0; x < width; ++x)
                    indices[size_t(x)] = (line[size_t(x / 4)] >> (6 - 2 * (x & 3))) & 3;
                packIndices(indices.data(), width, 4, target);
            } else {
                std::memcpy(target, line.data(), size_t(needed));
            }
            continue;
        }
        if (l.bits == 8 && !l.hasAlpha) {
            // The common scan: red, green, blue bytes turned round into the picture's order.
            const uint8_t* in = line.data();
            for (int32_t x = 0; x < width; ++x, in += l.samples) {
                target[3 * x] = in[2];
                target[3 * x + 1] = in[1];
                target[3 * x + 2] = in[0];
            }
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            uint8_t c[4];
            const size_t at = size_t(x) * l.samples;
            for (int i = 0; i < (l.hasAlpha ? 4 : 3); ++i)
                c[i] = l.bits == 16 ? scale16(wide[at + size_t(i)]) : line[at + size_t(i)];
            for (int i = 0; i < 3; ++i) {
                uint8_t v = c[i];
                if (l.hasAlpha && l.alpha == EXTRASAMPLE_ASSOCALPHA)
                    v = uint8_t(std::min(255, v + 255 - c[3]));
                else if (l.hasAlpha)
                    v = overWhite(v, c[3]);
                target[3 * x + 2 - i] = v;
            }
        }
    }
    return dib.release();
}

Dib readRgba(TIFF* tif, const Layout& l)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message))
        return Dib{};
    const auto width = int32_t(l.width);
    const auto height = int32_t(l.height);
    const bool grey = isGrey(l.photometric);
    DibOwner dib(grey ? create(width, height, 8, greyRamp(256)) : create(width, height, 24, nullptr, 0));
    if (!dib)
        return Dib{};
    std::vector<uint32_t> raster;
    try {
        raster.resize(size_t(width) * size_t(height));
    } catch (...) {
        return Dib{};
    }
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return Dib{};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* target = rowFromTop(dib.get(), y);
        const uint32_t* source = raster.data() + size_t(y) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            // The RGBA reader hands out premultiplied colours.
            const uint32_t p = source[x];
            const int clear = 255 - int(TIFFGetA(p));
            auto over = [clear](uint32_t v) { return uint8_t(std::min(255, int(v) + clear)); };
            if (grey) {
                target[x] = over(TIFFGetR(p));
            } else {
                target[3 * x] = over(TIFFGetB(p));
                target[3 * x + 1] = over(TIFFGetG(p));
                target[3 * x + 2] = over(TIFFGetR(p));
            }
        }
    }
    return dib.release();
}


bool isPlainLzwRgb(TIFF* tif, const Layout& l)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    // The predictor tag exists only for the codings that have one: asked of another, libtiff
    // reports an error.
    if (compression != COMPRESSION_LZW)
        return false;
    uint16_t fillOrder = FILLORDER_MSB2LSB;
    uint16_t predictor = PREDICTOR_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &predictor);
    return fillOrder == FILLORDER_MSB2LSB && (predictor == PREDICTOR_NONE || predictor == PREDICTOR_HORIZONTAL) &&
           !TIFFIsTiled(tif) && l.photometric == PHOTOMETRIC_RGB && l.bits == 8 && l.samples == 3 &&
           l.planar == PLANARCONFIG_CONTIG;
}

// Strings refer back into their strip, so a strip is decoded whole. Larger strips (a picture
// stored as one) are left to libtiff, which needs no more than a row.
constexpr size_t kMaxStripBuffer = size_t(16) << 20;

// Reads a picture isPlainLzwRgb accepts. False when it is left to libtiff (the first LZW of
// old writers, with its codes in the other bit order, and large strips); otherwise true, with
// dib empty when the file is damaged.
bool readLzwRgb(TIFF* tif, const Layout& l, std::span<const uint8_t> data, Dib& dib)
{
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, l.height);
    const uint32_t strips = (l.height - 1) / rowsPerStrip + 1;
    const size_t lineBytes = size_t(l.width) * 3;
    if (lineBytes * rowsPerStrip > kMaxStripBuffer)
        return false;
    auto stripData = [&](uint32_t strip) {
        const uint64_t offset = TIFFGetStrileOffset(tif, strip);
        const uint64_t count = TIFFGetStrileByteCount(tif, strip);
        if (offset >= data.size())
            return std::span<const uint8_t>{};
        return data.subspan(size_t(offset), size_t(std::min<uint64_t>(count, data.size() - offset)));
    };
    const std::span<const uint8_t> first = stripData(0);
    if (first.size() >= 2 && first[0] == 0 && (first[1] & 1))
        return false;

    uint16_t predictor = PREDICTOR_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &predictor);
    DibOwner picture(create(int32_t(l.width), int32_t(l.height), 24, nullptr, 0));
    std::vector<uint8_t> strip(lineBytes * rowsPerStrip + lzw::kShortCopy);
    if (!picture || TIFFNumberOfStrips(tif) < strips)
        return true;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t top = s * rowsPerStrip;
        const uint32_t rows = std::min(rowsPerStrip, l.height - top);
        if (!lzw::decodeStrip(stripData(s), strip.data(), lineBytes * rows))
            return true;
        for (uint32_t r = 0; r < rows; ++r) {
            const uint8_t* in = strip.data() + lineBytes * r;
            uint8_t* target = rowFromTop(picture.get(), int32_t(top + r));
            if (predictor != PREDICTOR_HORIZONTAL) {
                for (uint32_t x = 0; x < l.width; ++x, in += 3, target += 3) {
                    target[0] = in[2];
                    target[1] = in[1];
                    target[2] = in[0];
                }
                continue;
            }
            // Each sample is stored as the difference to the same sample of its left neighbour.
            uint8_t red = 0, green = 0, blue = 0;
            for (uint32_t x = 0; x < l.width; ++x, in += 3, target += 3) {
                red = uint8_t(red + in[0]);
                green = uint8_t(green + in[1]);
                blue = uint8_t(blue + in[2]);
                target[0] = blue;
                target[1] = green;
                target[2] = red;
            }
        }
    }
    dib = picture.release();
    return true;
}

// The most a byte of each compression can expand to; a header that needs more than the file
// can hold is refused before its picture is allocated. The fax codings spend at least one bit
// on a row however wide, so for them the rows are counted. Codings without a known floor are
// held by the memory budget alone.
bool dataCanHold(TIFF* tif, const Layout& l, size_t dataSize)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    uint64_t ratio = 0;
    switch (compression) {
    case COMPRESSION_NONE:
        ratio = 1;
        break;
    case COMPRESSION_PACKBITS:
        ratio = 64;
        break;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        ratio = 1032;
        break;
    case COMPRESSION_LZW:
        ratio = 2731;
        break;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG:
        // Two bits for a block of 64 samples.
        ratio = 256;
        break;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return uint64_t(l.height) <= 8 * uint64_t(dataSize);
    default:
        return true;
    }
    const double rawBytes = std::ceil(double(l.width) * l.samples * l.bits / 8) * l.height;
    return rawBytes <= double(ratio) * double(dataSize);
}

// The picture's depth as it will be read.
int depthRead(TIFF* tif, const Layout& l)
{
    if (!readsLineByLine(tif, l))
        return isGrey(l.photometric) ? 8 : 24;
    if (l.photometric == PHOTOMETRIC_RGB)
        return 24;
    return l.bits == 1 ? 1 : l.bits <= 4 ? 4 : 8;
}

// Working memory beside the picture: a scanline, or the whole RGBA raster of the general reader.
uint64_t workingBytes(TIFF* tif, const Layout& l)
{
    if (readsLineByLine(tif, l))
        return uint64_t(std::max<tmsize_t>(TIFFScanlineSize(tif), 0)) + 2 * uint64_t(l.width) + kMaxStripBuffer;
    return uint64_t(l.width) * l.height * sizeof(uint32_t);
}

bool sniffTiff(std::span<const uint8_t> head)
{
    if (head.size() < 4)
        return false;
    const bool little = head[0] == 'I' && head[1] == 'I' && head[3] == 0 && (head[2] == 42 || head[2] == 43);
    const bool big = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
    return little || big;
}

Dib decodeTiff(std::span<const uint8_t> data)
{
    if (!sniffTiff(data))
        return Dib{};
    MemoryFile file;
    file.input = data;
    TiffHandle tif(openMemory(file, "r", imgrove_detail::readBudget(data.size())));
    if (!tif)
        return Dib{};
    Layout l;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &l.width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &l.height) || !sizeAcceptable(l.width, l.height))
        return Dib{};
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &l.planar);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0 &&
        extraTypes[0] != EXTRASAMPLE_UNSPECIFIED) {
        l.hasAlpha = true;
        l.alpha = extraTypes[0];
    }
    if (l.photometric == PHOTOMETRIC_RGB && l.samples < 4)
        l.hasAlpha = false;

    if (!dataCanHold(tif.get(), l, data.size()) ||
        !pictureFits(l.width, l.height, depthRead(tif.get(), l), workingBytes(tif.get(), l), data.size()))
        return Dib{};
    Dib dib{};
    if (!isPlainLzwRgb(tif.get(), l) || !readLzwRgb(tif.get(), l, data, dib))
        dib = readsLineByLine(tif.get(), l) ? readLines(tif.get(), l) : readRgba(tif.get(), l);
    // libtiff recovers from some damage by guessing (a lost colour map turns into grey); a
    // picture it had to complain about is not shown as if it were whole.
    if (file.errors > 0)
        deldib(dib);
    if (dib.bits)
        readResolution(tif.get(), dib);
    return dib;
}

bool encodeTiff(const Dib& dib, std::vector<uint8_t>& out)
{
    if (!imgrove_detail::hasPixels(dib))
        return false;
    const int depth = dib.header->biBitCount;
    const int32_t width = dib.header->biWidth;
    const int32_t height = dib.header->biHeight;

    std::vector<uint8_t> encoded;
    MemoryFile file;
    file.output = &encoded;
    {
        TiffHandle tif(openMemory(file, "w", uint64_t(INT64_MAX)));
        if (!tif)
            return false;
        TIFF* t = tif.get();
        const std::vector<RGBQUAD> table = depth == 24 ? std::vector<RGBQUAD>{} : colors(dib);
        const bool grey = depth != 24 && isGreyRamp(table);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(depth == 24 ? 8 : depth));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(depth == 24 ? 3 : 1));
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     depth == 24 ? PHOTOMETRIC_RGB : grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        // Differencing helps continuous tones; it only costs time on palette indices.
        if (depth == 24 || (grey && depth == 8))
            TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        std::vector<uint16_t> map[3];
        if (depth != 24 && !grey) {
            for (const RGBQUAD& c : table) {
                map[0].push_back(uint16_t(c.rgbRed * 257));
                map[1].push_back(uint16_t(c.rgbGreen * 257));
                map[2].push_back(uint16_t(c.rgbBlue * 257));
            }
            TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
        }
        if (dib.header->biXPelsPerMeter > 0 && dib.header->biYPelsPerMeter > 0) {
            TIFFSetField(t, TIFFTAG_XRESOLUTION, float(perMetreToDpi(dib.header->biXPelsPerMeter)));
            TIFFSetField(t, TIFFTAG_YRESOLUTION, float(perMetreToDpi(dib.header->biYPelsPerMeter)));
            TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        const size_t lineBytes = (size_t(width) * (depth == 24 ? 24 : depth) + 7) / 8;
        // libtiff's predictor works in the buffer it is given, so the picture's rows are copied.
        std::vector<uint8_t> line(lineBytes);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* source = rowFromTop(dib, y);
            if (depth == 24) {
                for (int32_t x = 0; x < width; ++x) {
                    line[size_t(3 * x)] = source[3 * x + 2];
                    line[size_t(3 * x + 1)] = source[3 * x + 1];
                    line[size_t(3 * x + 2)] = source[3 * x];
                }
            } else {
                std::memcpy(line.data(), source, lineBytes);
            }
            if (TIFFWriteScanline(t, line.data(), uint32_t(y), 0) < 0)
                return false;
        }
        if (!TIFFWriteDirectory(t))
            return false;
    }
    if (file.errors > 0)
        return false;
    out.insert(out.end(), encoded.begin(), encoded.end());
    return true;
}

}  // namespace

const DibCodec kTifCodec{"tif", sniffTiff, decodeTiff, encodeTiff};
