#include "platform/Dc.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace {

QPainter::CompositionMode compositionForRop(uint32_t rop)
{
    switch (rop) {
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// What a packed DIB needs for reading its rows.
struct DibLayout {
    const uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    int bitCount = 0;
    int64_t rowSize = 0;
    QRgb table[256] = {};

    bool valid() const { return bits && width > 0 && height > 0; }
    const uint8_t* row(int32_t fromBottom) const
    {
        const int32_t memoryRow = topDown ? height - 1 - fromBottom : fromBottom;
        return bits + memoryRow * rowSize;
    }
};

DibLayout layoutOf(const void* bits, const BITMAPINFOHEADER* info)
{
    DibLayout layout;
    if (!bits || !info || info->biSize < sizeof(BITMAPINFOHEADER) || info->biWidth <= 0 || info->biHeight == 0)
        return layout;
    const int bitCount = info->biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return layout;
    layout.bits = static_cast<const uint8_t*>(bits);
    layout.width = info->biWidth;
    layout.topDown = info->biHeight < 0;
    layout.height = layout.topDown ? -info->biHeight : info->biHeight;
    layout.bitCount = bitCount;
    layout.rowSize = ((int64_t(layout.width) * bitCount + 31) / 32) * 4;
    if (bitCount <= 8) {
        const int entries = 1 << bitCount;
        const int used = info->biClrUsed > 0 && info->biClrUsed < uint32_t(entries) ? int(info->biClrUsed) : entries;
        const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + info->biSize);
        for (int i = 0; i < used; ++i)
            layout.table[i] = qRgb(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
        for (int i = used; i < 256; ++i)
            layout.table[i] = qRgb(0, 0, 0);
    }
    return layout;
}

QRgb dibPixel(const DibLayout& layout, const uint8_t* row, int32_t x)
{
    switch (layout.bitCount) {
    case 24: {
        const uint8_t* p = row + int64_t(x) * 3;
        return qRgb(p[2], p[1], p[0]);
    }
    case 8:
        return layout.table[row[x]];
    case 4:
        return layout.table[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
    default:
        return layout.table[(row[x >> 3] >> (7 - (x & 7))) & 1];
    }
}

// One output row: the picture's row rowFromBottom read at the given columns (ascending); columns
// or rows outside the picture read black.
void fetchRow(const DibLayout& layout, int64_t rowFromBottom, const int32_t* columns, int32_t count, QRgb* out)
{
    if (rowFromBottom < 0 || rowFromBottom >= layout.height) {
        std::fill(out, out + count, qRgb(0, 0, 0));
        return;
    }
    const uint8_t* row = layout.row(int32_t(rowFromBottom));
    // Whole rows are the common case; they go without bounds checks and a loop per depth.
    const bool inside = count > 0 && columns[0] >= 0 && columns[count - 1] < layout.width &&
                        columns[0] <= columns[count - 1];
    if (std::endian::native == std::endian::little && inside && layout.bitCount == 24 &&
        columns[count - 1] - columns[0] == count - 1) {
        // A run of neighbouring pixels (the columns only ever ascend strictly): four bytes read
        // at once, all but the last, whose fourth byte may lie past the row.
        const uint8_t* p = row + int64_t(columns[0]) * 3;
        for (int32_t i = 0; i < count - 1; ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, p + int64_t(i) * 3, 4);
            out[i] = 0xFF000000u | pixel;
        }
        const uint8_t* last = p + int64_t(count - 1) * 3;
        out[count - 1] = 0xFF000000u | (uint32_t(last[2]) << 16) | (uint32_t(last[1]) << 8) | last[0];
        return;
    }
    if (inside && layout.bitCount == 24) {
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* p = row + int64_t(columns[i]) * 3;
            out[i] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
        return;
    }
    if (inside && layout.bitCount == 8) {
        for (int32_t i = 0; i < count; ++i)
            out[i] = layout.table[row[columns[i]]];
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = columns[i];
        out[i] = (x >= 0 && x < layout.width) ? dibPixel(layout, row, x) : qRgb(0, 0, 0);
    }
}

// The source rectangle sampled at the centres of an outWidth x outHeight grid, top row first.
QImage sampleDib(const DibLayout& layout, int32_t x, int32_t yFromBottom, int32_t width, int32_t height,
                 int32_t outWidth, int32_t outHeight)
{
    QImage image(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    std::vector<int32_t> columns(static_cast<size_t>(outWidth));
    for (int32_t i = 0; i < outWidth; ++i)
        columns[size_t(i)] = x + int32_t((2 * int64_t(i) + 1) * width / (2 * int64_t(outWidth)));
    for (int32_t r = 0; r < outHeight; ++r) {
        const int64_t fromTop = (2 * int64_t(r) + 1) * height / (2 * int64_t(outHeight));
        const int64_t fromBottom = int64_t(yFromBottom) + height - 1 - fromTop;
        fetchRow(layout, fromBottom, columns.data(), outWidth, reinterpret_cast<QRgb*>(image.scanLine(r)));
    }
    return image;
}

}  // namespace

QImage dibToImage(const void* bits, const BITMAPINFOHEADER* info, int32_t x, int32_t yFromBottom, int32_t width,
                  int32_t height)
{
    const DibLayout layout = layoutOf(bits, info);
    if (!layout.valid() || width <= 0 || height <= 0)
        return QImage();
    return sampleDib(layout, x, yFromBottom, width, height, width, height);
}

// Consecutive one-row transfers gathered into one image.
struct Dc::RowBatch {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t rows = 0;
    std::vector<QRgb> pixels;
    std::vector<int32_t> columns;
};

namespace {
// The pixel store of the last row batch that ended, kept for the next one: a paint box gets a
// new context on every paint, and a fresh store would be grown and faulted in each time. One per
// thread: pages may be drawn on several threads at once.
std::vector<QRgb>& spareRowPixels()
{
    thread_local std::vector<QRgb> spare;
    return spare;
}
}  // namespace

struct Dc::SampleCache {
    const void* bits = nullptr;
    const BITMAPINFOHEADER* info = nullptr;
    int32_t x = 0, y = 0, width = 0, height = 0, outWidth = 0, outHeight = 0;
    QImage image;

    bool matches(const void* b, const BITMAPINFOHEADER* i, int32_t px, int32_t py, int32_t w, int32_t h, int32_t ow,
                 int32_t oh) const
    {
        return b == bits && i == info && px == x && py == y && w == width && h == height && ow == outWidth &&
               oh == outHeight;
    }
};

// Made and ended here, where the row batch and the picture cache a context owns are whole types.
Dc::Dc() = default;

Dc::~Dc()
{
    if (rows_ && rows_->pixels.capacity() > spareRowPixels().capacity()) {
        spareRowPixels().swap(rows_->pixels);
    }
}

void Dc::flushRows()
{
    if (!rows_ || rows_->rows == 0)
        return;
    RowBatch& batch = *rows_;
    if (QPainter* p = painter()) {
        preparePainter(*p);
        const QImage image(reinterpret_cast<const uchar*>(batch.pixels.data()), batch.width, batch.rows,
                           qsizetype(batch.width) * 4, QImage::Format_RGB32);
        p->drawImage(QPoint(batch.x, batch.y), image);
    }
    batch.rows = 0;
}

void Dc::GdiFlush()
{
    flushRows();
}

void Dc::endPainter()
{
    flushRows();
    prepared_ = nullptr;
    sample_.reset();
}

int Dc::StretchDIBits(int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                      int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits,
                      const BITMAPINFOHEADER* info, unsigned usage, uint32_t rop)
{
    const DibLayout layout = layoutOf(bits, info);
    if (!layout.valid() || usage != DIB_RGB_COLORS)
        return GDI_ERROR;
    if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return 0;
    QPainter* p = beginDrawing();
    if (!p)
        return GDI_ERROR;
    // Shrinking samples the picture down first, so a large picture is never converted whole.
    const int32_t outWidth = std::min(destWidth, srcWidth);
    const int32_t outHeight = std::min(destHeight, srcHeight);
    QImage image;
    // Only a printer job's pictures are kept: it runs to its end inside one event, so the picture
    // cannot change under it, while a screen's picture may be replaced at the same address.
    if (sample_ && sample_->matches(bits, info, xSrc, ySrc, srcWidth, srcHeight, outWidth, outHeight)) {
        image = sample_->image;
    } else {
        image = sampleDib(layout, xSrc, ySrc, srcWidth, srcHeight, outWidth, outHeight);
        if (image.isNull())
            return GDI_ERROR;
        if (technology() == DT_RASPRINTER)
            sample_ = std::make_unique<SampleCache>(
                SampleCache{bits, info, xSrc, ySrc, srcWidth, srcHeight, outWidth, outHeight, image});
    }
    p->setCompositionMode(compositionForRop(rop));
    p->setRenderHint(QPainter::SmoothPixmapTransform, stretchMode_ == HALFTONE);
    modesChanged();
    if (outWidth == destWidth && outHeight == destHeight)
        p->drawImage(QPoint(xDest, yDest), image);
    else
        p->drawImage(QRect(xDest, yDest, destWidth, destHeight), image);
    return srcHeight;
}

int Dc::SetDIBitsToDevice(int32_t xDest, int32_t yDest, uint32_t width, uint32_t height, int32_t xSrc,
                          int32_t ySrc, uint32_t startScan, uint32_t scanLines, const void* bits,
                          const BITMAPINFOHEADER* info, unsigned usage)
{
    const DibLayout layout = layoutOf(bits, info);
    if (!layout.valid() || usage != DIB_RGB_COLORS || width == 0 || height == 0 || scanLines == 0 ||
        width > uint32_t(INT32_MAX) || height > uint32_t(INT32_MAX))
        return 0;
    if (!painter())
        return 0;
    if (!rows_) {
        rows_ = std::make_unique<RowBatch>();
        rows_->pixels.swap(spareRowPixels());
    }
    RowBatch& batch = *rows_;
    const int32_t w = int32_t(width);
    const bool oneRow = height == 1 && scanLines == 1 && startScan == 0 && ySrc == 0;
    const bool continues = oneRow && batch.rows > 0 && batch.x == xDest && batch.width == w &&
                           int64_t(batch.y) + batch.rows == yDest;
    if (!continues)
        flushRows();
    if (batch.rows == 0) {
        batch.x = xDest;
        batch.y = yDest;
        batch.width = w;
        batch.columns.resize(size_t(w));
        for (int32_t i = 0; i < w; ++i)
            batch.columns[size_t(i)] = xSrc + i;
    } else if (batch.columns.empty() || batch.columns[0] != xSrc) {
        for (int32_t i = 0; i < w; ++i)
            batch.columns[size_t(i)] = xSrc + i;
    }
    // The store only grows and keeps its size between batches: every row is written whole
    // before it is drawn, so it needs no clearing.
    const auto rowAt = [&batch, w](int64_t index) {
        const size_t end = size_t(index + 1) * size_t(w);
        if (batch.pixels.size() < end)
            batch.pixels.resize(end);
        return batch.pixels.data() + size_t(index) * size_t(w);
    };
    // Rows of the source rectangle that the given scan lines hold, top row first.
    const int64_t firstRow = std::max<int64_t>(ySrc, startScan);
    const int64_t lastRow = std::min<int64_t>(int64_t(ySrc) + height, int64_t(startScan) + scanLines) - 1;
    const int64_t available = std::min<int64_t>(int64_t(startScan) + scanLines, layout.height);
    if (lastRow < firstRow)
        return int(scanLines);
    if (!oneRow) {
        // A block: its own image, placed at once.
        for (int64_t row = lastRow; row >= firstRow; --row)
            fetchRow(layout, row < available ? row - startScan : -1, batch.columns.data(), w,
                     rowAt(lastRow - row));
        batch.y = int32_t(yDest + (int64_t(ySrc) + height - 1 - lastRow));
        batch.rows = int32_t(lastRow - firstRow + 1);
        flushRows();
        return int(scanLines);
    }
    fetchRow(layout, 0, batch.columns.data(), w, rowAt(batch.rows));
    // Put on the device while it is still in the cache; a whole screen's rows would not fit.
    constexpr int64_t kBatchPixels = 64 * 1024;
    if (int64_t(++batch.rows) * w >= kBatchPixels)
        flushRows();
    return 1;
}

int Dc::SetDIBits(Bitmap& bitmap, uint32_t startScan, uint32_t scanLines, const void* bits,
                  const BITMAPINFOHEADER* info, unsigned usage)
{
    const DibLayout layout = layoutOf(bits, info);
    if (!layout.valid() || usage != DIB_RGB_COLORS || bitmap.isNull() || scanLines == 0)
        return 0;
    QImage& image = bitmap.image();
    const int32_t w = std::min(layout.width, image.width());
    std::vector<int32_t> columns(static_cast<size_t>(w));
    for (int32_t i = 0; i < w; ++i)
        columns[size_t(i)] = i;
    std::vector<QRgb> row(static_cast<size_t>(w));
    const int64_t end = std::min<int64_t>(int64_t(startScan) + scanLines, layout.height);
    int written = 0;
    for (int64_t j = startScan; j < end; ++j) {
        const int64_t y = int64_t(layout.height) - 1 - j;
        if (y < 0 || y >= image.height())
            continue;
        fetchRow(layout, j - startScan, columns.data(), w, row.data());
        if (image.format() == QImage::Format_RGB32) {
            std::memcpy(image.scanLine(int(y)), row.data(), size_t(w) * 4);
        } else {
            auto* out = reinterpret_cast<uint16_t*>(image.scanLine(int(y)));
            for (int32_t i = 0; i < w; ++i) {
                const QRgb c = row[size_t(i)];
                out[i] = uint16_t(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
            }
        }
        ++written;
    }
    return written;
}

bool Dc::StretchBlt(int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, Dc& src, int32_t xSrc,
                    int32_t ySrc, int32_t srcWidth, int32_t srcHeight, uint32_t rop)
{
    src.GdiFlush();
    Bitmap* source = src.selectedBitmap();
    if (!source || source->isNull() || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return false;
    QPainter* p = beginDrawing();
    if (!p)
        return false;
    p->setCompositionMode(compositionForRop(rop));
    p->setRenderHint(QPainter::SmoothPixmapTransform, stretchMode_ == HALFTONE);
    modesChanged();
    p->drawImage(QRect(xDest, yDest, destWidth, destHeight), source->image(), QRect(xSrc, ySrc, srcWidth, srcHeight));
    return true;
}
