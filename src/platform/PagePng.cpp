// libpng reports errors by longjmp to the setjmp of the function that drives it; that function
// keeps its state in a record owned by the caller, so the jump skips no destructor.
#include "platform/PagePng.h"

#include "imgrove/VectorState.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace {

bool isGrey(QRgb pixel) { return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel); }

// The byte rows a PNG row is made in and a white page row to compare with; one set per thread,
// kept, as pages are written one after another.
struct RowStores {
    std::vector<uint8_t> out;
    std::vector<uint8_t> whiteOut;
    std::vector<QRgb> white;
};

RowStores& rowStores(int width)
{
    thread_local RowStores stores;
    const size_t bytes = size_t(width) * 3;
    if (stores.out.size() < bytes) {
        stores.out.resize(bytes);
        stores.whiteOut.resize(bytes);
    }
    if (stores.white.size() < size_t(width))
        stores.white.resize(size_t(width), 0xFFFFFFFFu);
    return stores;
}

// What a page holds, with a flag for each row that is white from end to end: most of a printed
// page is, and such a row needs neither a look at its pixels nor a conversion.
struct PageScan {
    PagePngKind kind = PagePngKind::Bilevel;
    std::vector<uint8_t> whiteRows;
};

PageScan scanPage(const QImage& page)
{
    PageScan scan;
    const int width = page.width();
    const int height = page.height();
    scan.whiteRows.assign(size_t(std::max(0, height)), 0);
    const QRgb* white = rowStores(width).white.data();
    bool bilevel = true;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        if (std::memcmp(row, white, size_t(width) * sizeof(QRgb)) == 0) {
            scan.whiteRows[size_t(y)] = 1;
            continue;
        }
        bool rowWhite = true;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x] & 0x00FFFFFFu;
            if (pixel == 0x00FFFFFFu)
                continue;
            rowWhite = false;
            if (pixel == 0)
                continue;
            if (!isGrey(pixel)) {
                scan.kind = PagePngKind::Colour;
                return scan;
            }
            bilevel = false;
        }
        scan.whiteRows[size_t(y)] = rowWhite ? 1 : 0;
    }
    scan.kind = bilevel ? PagePngKind::Bilevel : PagePngKind::Grey;
    return scan;
}

struct WriteState {
    const QImage* page = nullptr;
    QIODevice* out = nullptr;
    const PageScan* scan = nullptr;
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
    const PagePngKind kind = s.scan->kind;
    const int depth = kind == PagePngKind::Bilevel ? 1 : 8;
    const int colourType = kind == PagePngKind::Colour ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(s.png, s.info, png_uint_32(page.width()), png_uint_32(page.height()), depth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (page.dotsPerMeterX() > 0 && page.dotsPerMeterY() > 0)
        png_set_pHYs(s.png, s.info, png_uint_32(page.dotsPerMeterX()), png_uint_32(page.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(s.png, s.info);
    const int width = page.width();
    RowStores& stores = rowStores(width);
    makeRow(kind, stores.white.data(), width, stores.whiteOut.data());
    // A colour page's rows are not told apart.
    const bool whiteKnown = kind != PagePngKind::Colour;
    for (int y = 0; y < page.height(); ++y) {
        if (whiteKnown && s.scan->whiteRows[size_t(y)]) {
            png_write_row(s.png, stores.whiteOut.data());
            continue;
        }
        makeRow(kind, reinterpret_cast<const QRgb*>(page.constScanLine(y)), width, stores.out.data());
        png_write_row(s.png, stores.out.data());
    }
    png_write_end(s.png, nullptr);
    return true;
}

}  // namespace

PagePngKind pagePngKind(const QImage& page) { return scanPage(page).kind; }

bool writePagePng(const QImage& image, QIODevice& out)
{
    if (image.isNull())
        return false;
    const QImage page = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    WriteState state;
    state.page = &page;
    state.out = &out;
    const PageScan scan = scanPage(page);
    state.scan = &scan;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignoreWarning);
    if (!state.png)
        return false;
    state.info = png_create_info_struct(state.png);
    clearUpperVectorHalves();
    const bool ok = state.info && writeRows(state);
    png_destroy_write_struct(&state.png, &state.info);
    return ok;
}
