// libpng reports errors by longjmp to the setjmp of the function that drives it; that function
// keeps its state in a record owned by the caller, so the jump skips no destructor.
#include "platform/PagePng.h"

#include <QIODevice>

#include <csetjmp>
#include <vector>

#include <png.h>

namespace {

bool isGrey(QRgb pixel) { return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel); }

// The byte row a PNG row is made in; one per thread, kept, as pages are written one after another.
std::vector<uint8_t>& rowStore(size_t size)
{
    thread_local std::vector<uint8_t> store;
    if (store.size() < size)
        store.resize(size);
    return store;
}

struct WriteState {
    const QImage* page = nullptr;
    QIODevice* out = nullptr;
    PagePngKind kind = PagePngKind::Colour;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

[[noreturn]] void failPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

void writeData(png_structp png, png_bytep data, size_t length)
{
    auto* s = static_cast<WriteState*>(png_get_io_ptr(png));
    if (s->out->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write");
}

void flushData(png_structp) {}

void makeRow(PagePngKind kind, const QRgb* in, int width, uint8_t* out)
{
    switch (kind) {
    case PagePngKind::Bilevel:
        // 1 is white; the bits of a byte run from the left.
        for (int x = 0; x < width; x += 8) {
            uint8_t bits = 0;
            const int end = std::min(width, x + 8);
            for (int i = x; i < end; ++i)
                bits |= uint8_t((in[i] & 1u) << (7 - (i - x)));
            out[x / 8] = bits;
        }
        break;
    case PagePngKind::Grey:
        for (int x = 0; x < width; ++x)
            out[x] = uint8_t(in[x]);
        break;
    case PagePngKind::Colour:
        for (int x = 0; x < width; ++x) {
            out[3 * x] = uint8_t(qRed(in[x]));
            out[3 * x + 1] = uint8_t(qGreen(in[x]));
            out[3 * x + 2] = uint8_t(qBlue(in[x]));
        }
        break;
    }
}

bool writeRows(WriteState& s)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;
    const QImage& page = *s.page;
    png_set_write_fn(s.png, &s, writeData, flushData);
    png_set_compression_level(s.png, 1);
    // The row filters' trials cost more than they save on a page of white and text.
    png_set_filter(s.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_buffer_size(s.png, 1 << 16);
    const int depth = s.kind == PagePngKind::Bilevel ? 1 : 8;
    const int colourType = s.kind == PagePngKind::Colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(s.png, s.info, png_uint_32(page.width()), png_uint_32(page.height()), depth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (page.dotsPerMeterX() > 0 && page.dotsPerMeterY() > 0)
        png_set_pHYs(s.png, s.info, png_uint_32(page.dotsPerMeterX()), png_uint_32(page.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(s.png, s.info);
    const int width = page.width();
    uint8_t* row = rowStore(size_t(width) * 3).data();
    for (int y = 0; y < page.height(); ++y) {
        makeRow(s.kind, reinterpret_cast<const QRgb*>(page.constScanLine(y)), width, row);
        png_write_row(s.png, row);
    }
    png_write_end(s.png, nullptr);
    return true;
}

}  // namespace

PagePngKind pagePngKind(const QImage& page)
{
    bool bilevel = true;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = row[x] & 0x00FFFFFFu;
            if (pixel == 0x00FFFFFFu || pixel == 0)
                continue;
            if (!isGrey(pixel))
                return PagePngKind::Colour;
            bilevel = false;
        }
    }
    return bilevel ? PagePngKind::Bilevel : PagePngKind::Grey;
}

bool writePagePng(const QImage& image, QIODevice& out)
{
    if (image.isNull())
        return false;
    const QImage page = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    WriteState state;
    state.page = &page;
    state.out = &out;
    state.kind = pagePngKind(page);
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignoreWarning);
    if (!state.png)
        return false;
    state.info = png_create_info_struct(state.png);
    const bool ok = state.info && writeRows(state);
    png_destroy_write_struct(&state.png, &state.info);
    return ok;
}
