#include "platform/Dc.h"

#include "imgrove/Palette.h"
#include "platform/Screen.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

COLORREF ResolveColor(COLORREF value)
{
    if (!(value & kSysColorFlag))
        return value & 0x00FFFFFFu;
    QColor color;
    const bool haveApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const QPalette palette = haveApp ? QGuiApplication::palette() : QPalette();
    switch (value & 0xFF) {
    case COLOR_WINDOW:
        color = haveApp ? palette.color(QPalette::Base) : QColor(255, 255, 255);
        break;
    case COLOR_APPWORKSPACE:
        color = haveApp ? palette.color(QPalette::Dark) : QColor(171, 171, 171);
        break;
    case COLOR_BTNFACE:
        color = haveApp ? palette.color(QPalette::Button) : QColor(240, 240, 240);
        break;
    case COLOR_WINDOWTEXT:
    default:
        color = haveApp ? palette.color(QPalette::WindowText) : QColor(0, 0, 0);
        break;
    }
    return RGBColor(uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue()));
}

namespace {

QColor toQColor(COLORREF value)
{
    const COLORREF c = ResolveColor(value);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

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

// The line modes other than plain copying; beginDrawing leaves the painter copying.
void applyRop2(QPainter& painter, int rop2)
{
    if (rop2 == R2_XORPEN)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    else if (rop2 == R2_NOT)
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
}

// Pixels of a one-pixel line from (x0, y0) up to, not including, (x1, y1).
void linePixels(int32_t x0, int32_t y0, int32_t x1, int32_t y1, std::vector<QPoint>& out)
{
    const int64_t dx = std::abs(int64_t(x1) - x0);
    const int64_t dy = -std::abs(int64_t(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    int32_t x = x0;
    int32_t y = y0;
    while (x != x1 || y != y1) {
        out.emplace_back(x, y);
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Pixels on and off in a dotted line, repeating.
constexpr int kDotRun = 3;

QFont qFontFor(const DcFont& font, QPaintDevice* device, int dpiY)
{
    QFont qfont(font.faceName);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeOut);
    if (font.pitch == 2) {
        qfont.setFixedPitch(true);
        qfont.setStyleHint(QFont::TypeWriter);
    }
    int32_t cellHeight = font.height;
    if (cellHeight == 0)
        cellHeight = std::max(1, 16 * dpiY / 96);
    if (cellHeight < 0) {
        qfont.setPixelSize(std::max(1, -cellHeight));
    } else {
        qfont.setPixelSize(std::max(1, cellHeight));
        const QFontMetrics metrics(qfont, device);
        const int cell = metrics.ascent() + metrics.descent();
        if (cell > 0 && cell != cellHeight)
            qfont.setPixelSize(std::max(1, int(std::lround(double(cellHeight) * cellHeight / cell))));
    }
    return qfont;
}

// Text with its prefix ampersands resolved, and the positions of the underlined characters.
struct PrefixedText {
    QString text;
    std::vector<int> underlined;
};

PrefixedText resolvePrefixes(const QString& text, bool prefixes)
{
    PrefixedText result;
    if (!prefixes) {
        result.text = text;
        return result;
    }
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                result.underlined.push_back(int(result.text.size()));
        }
        result.text.append(text[i]);
    }
    return result;
}

struct TextLine {
    int start = 0;
    int length = 0;
};

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

std::vector<TextLine> breakLines(const QString& text, const QFontMetrics& metrics, int width, bool wordBreak)
{
    std::vector<TextLine> lines;
    int pos = 0;
    const int size = int(text.size());
    while (true) {
        int end = pos;
        while (end < size && !isLineBreak(text[end]))
            ++end;
        if (!wordBreak) {
            lines.push_back({pos, end - pos});
        } else {
            int lineStart = pos;
            while (true) {
                // Grow the line word by word while it fits; a word wider than the line stands alone.
                int lineEnd = lineStart;
                int scan = lineStart;
                while (scan < end) {
                    int wordEnd = scan;
                    while (wordEnd < end && text[wordEnd] == u' ')
                        ++wordEnd;
                    while (wordEnd < end && text[wordEnd] != u' ')
                        ++wordEnd;
                    const int w = metrics.horizontalAdvance(text.mid(lineStart, wordEnd - lineStart));
                    if (w > width && lineEnd > lineStart)
                        break;
                    lineEnd = wordEnd;
                    scan = wordEnd;
                }
                if (lineEnd == lineStart)
                    lineEnd = end;
                lines.push_back({lineStart, lineEnd - lineStart});
                int next = lineEnd;
                while (next < end && text[next] == u' ')
                    ++next;
                if (next >= end)
                    break;
                lineStart = next;
            }
        }
        if (end >= size)
            break;
        pos = end + ((text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n') ? 2 : 1);
    }
    return lines;
}

}  // namespace

// Bitmap ----------------------------------------------------------------------------------------

Bitmap::Bitmap(int32_t width, int32_t height, int bitsPerPixel, COLORREF fill) : bitsPerPixel_(bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return;
    image_ = QImage(width, height, bitsPerPixel == 16 ? QImage::Format_RGB16 : QImage::Format_RGB32);
    if (!image_.isNull())
        image_.fill(toQColor(fill));
}

COLORREF Bitmap::pixel(int32_t x, int32_t y) const
{
    if (!image_.valid(x, y))
        return 0;
    const QRgb rgb = image_.pixel(x, y);
    return RGBColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb)));
}

QImage dibToImage(const void* bits, const BITMAPINFOHEADER* info, int32_t x, int32_t yFromBottom, int32_t width,
                  int32_t height)
{
    const DibLayout layout = layoutOf(bits, info);
    if (!layout.valid() || width <= 0 || height <= 0)
        return QImage();
    return sampleDib(layout, x, yFromBottom, width, height, width, height);
}

// Dc --------------------------------------------------------------------------------------------

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

Dc::Dc() = default;

Dc::~Dc()
{
    if (rows_ && rows_->pixels.capacity() > spareRowPixels().capacity()) {
        spareRowPixels().swap(rows_->pixels);
    }
}

int Dc::GetDeviceCaps(int index) const
{
    switch (index) {
    case TECHNOLOGY:
        return technology();
    case RASTERCAPS:
        return rasterCaps();
    case LOGPIXELSX:
        return pixelsPerInchX();
    case LOGPIXELSY:
        return pixelsPerInchY();
    case HORZRES:
        return deviceSize().width();
    case VERTRES:
        return deviceSize().height();
    case BITSPIXEL:
        return bitsPerPixel();
    default:
        return 0;
    }
}

int Dc::pixelsPerInchX() const { return ScreenPixelsPerInch(); }
int Dc::pixelsPerInchY() const { return ScreenPixelsPerInch(); }
int Dc::bitsPerPixel() const { return ScreenBitsPerPixel(); }

int Dc::SetMapMode(int mode)
{
    // Device pixels are the only mapping the program uses.
    (void)mode;
    return MM_TEXT;
}

int Dc::SetStretchBltMode(int mode)
{
    return std::exchange(stretchMode_, mode);
}

HPALETTE Dc::SelectPalette(HPALETTE palette, bool forceBackground)
{
    (void)forceBackground;
    return std::exchange(palette_, palette);
}

int Dc::RealizePalette()
{
    return palette_ ? palette_->size() : 0;
}

void Dc::flushRows()
{
    if (!rows_ || rows_->rows == 0)
        return;
    RowBatch& batch = *rows_;
    if (QPainter* p = painter()) {
        if (clip_)
            p->setClipRegion(*clip_);
        else
            p->setClipping(false);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
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
    sample_.reset();
}

QPainter* Dc::beginDrawing()
{
    flushRows();
    QPainter* p = painter();
    if (!p)
        return nullptr;
    if (clip_)
        p->setClipRegion(*clip_);
    else
        p->setClipping(false);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setPen(Qt::NoPen);
    p->setBrush(Qt::NoBrush);
    return p;
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

std::unique_ptr<Bitmap> Dc::CreateCompatibleBitmap(int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<Bitmap>(width, height, bitsPerPixel(), RGBColor(0, 0, 0));
    if (bitmap->isNull())
        return nullptr;
    return bitmap;
}

std::unique_ptr<MemoryDc> Dc::CreateCompatibleDC()
{
    return std::make_unique<MemoryDc>(nullptr, technology(), pixelsPerInchX(), pixelsPerInchY());
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
    p->drawImage(QRect(xDest, yDest, destWidth, destHeight), source->image(), QRect(xSrc, ySrc, srcWidth, srcHeight));
    return true;
}

DcPen Dc::SelectPen(const DcPen& pen) { return std::exchange(pen_, pen); }
DcBrush Dc::SelectBrush(const DcBrush& brush) { return std::exchange(brush_, brush); }

DcFont Dc::SelectFont(const DcFont& font)
{
    textColor_ = font.color;
    return std::exchange(font_, font);
}

int Dc::SetROP2(int mode) { return std::exchange(rop2_, mode); }
int Dc::SetBkMode(int mode) { return std::exchange(bkMode_, mode); }
COLORREF Dc::SetBkColor(COLORREF color) { return std::exchange(bkColor_, color); }
COLORREF Dc::SetTextColor(COLORREF color) { return std::exchange(textColor_, color); }

void Dc::drawPixels(const QPolygon& points, const QPolygon& gaps, int rop2)
{
    QPainter* p = beginDrawing();
    if (!p)
        return;
    if (!points.isEmpty()) {
        applyRop2(*p, rop2);
        p->setPen(QPen(toQColor(pen_.color), 1));
        p->drawPoints(points);
    }
    if (!gaps.isEmpty()) {
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setPen(QPen(toQColor(bkColor_), 1));
        p->drawPoints(gaps);
    }
    p->setPen(Qt::NoPen);
}

bool Dc::MoveToEx(int32_t x, int32_t y)
{
    posX_ = x;
    posY_ = y;
    styleStep_ = 0;
    return true;
}

bool Dc::LineTo(int32_t x, int32_t y)
{
    const int32_t fromX = std::exchange(posX_, x);
    const int32_t fromY = std::exchange(posY_, y);
    if (pen_.style == PS_NULL)
        return true;
    if (pen_.width > 1) {
        QPainter* p = beginDrawing();
        if (!p)
            return false;
        applyRop2(*p, rop2_);
        QPen pen(toQColor(pen_.color), pen_.width, pen_.style == PS_DOT ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap);
        p->setPen(pen);
        p->drawLine(QPointF(fromX + 0.5, fromY + 0.5), QPointF(x + 0.5, y + 0.5));
        p->setPen(Qt::NoPen);
        return true;
    }
    std::vector<QPoint> pixels;
    linePixels(fromX, fromY, x, y, pixels);
    QPolygon on;
    QPolygon gaps;
    for (const QPoint& pixel : pixels) {
        const bool ink = pen_.style != PS_DOT || (styleStep_ / kDotRun) % 2 == 0;
        ++styleStep_;
        if (ink)
            on << pixel;
        else if (bkMode_ == OPAQUE)
            gaps << pixel;
    }
    drawPixels(on, gaps, rop2_);
    return true;
}

bool Dc::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const bool outline = pen_.style != PS_NULL;
    if (brush_.style == BS_SOLID) {
        QPainter* p = beginDrawing();
        if (!p)
            return false;
        applyRop2(*p, rop2_);
        // Without a pen the filled area ends one pixel short on the right and at the bottom.
        const int32_t shrink = outline ? 0 : 1;
        const QRect area(left, top, right - left - shrink, bottom - top - shrink);
        if (area.width() > 0 && area.height() > 0)
            p->fillRect(area, toQColor(brush_.color));
    }
    if (outline && right > left && bottom > top) {
        const int32_t savedX = posX_;
        const int32_t savedY = posY_;
        MoveToEx(left, top);
        if (right - left == 1 || bottom - top == 1) {
            LineTo(right - 1, bottom - 1);
            LineTo(right, bottom);
        } else {
            LineTo(right - 1, top);
            LineTo(right - 1, bottom - 1);
            LineTo(left, bottom - 1);
            LineTo(left, top);
        }
        posX_ = savedX;
        posY_ = savedY;
    }
    return true;
}

bool Dc::FillRect(const DcRect& rect, COLORREF color)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return true;
    QPainter* p = beginDrawing();
    if (!p)
        return false;
    p->fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), toQColor(color));
    return true;
}

void Dc::ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    flushRows();
    if (!clip_)
        clip_ = QRegion(QRect(QPoint(0, 0), deviceSize()));
    if (right > left && bottom > top)
        *clip_ -= QRegion(left, top, right - left, bottom - top);
}

void Dc::IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    flushRows();
    if (!clip_)
        clip_ = QRegion(QRect(QPoint(0, 0), deviceSize()));
    *clip_ &= (right > left && bottom > top) ? QRegion(left, top, right - left, bottom - top) : QRegion();
}

void Dc::SelectClipRgn(const std::optional<QRegion>& region)
{
    flushRows();
    clip_ = region;
}

DcSize Dc::GetTextExtentPoint32(const QString& text)
{
    QPaintDevice* device = metricsDevice();
    const QFont qfont = qFontFor(font_, device, pixelsPerInchY());
    const QFontMetrics metrics(qfont, device);
    return DcSize{metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent()};
}

int Dc::DrawText(const QString& text, const DcRect& rect, unsigned format)
{
    QPaintDevice* device = metricsDevice();
    // A page of fields draws most texts in one font: the font and its metrics are made once
    // for it, per thread, as pages may be drawn on several threads at once.
    struct LastFont {
        DcFont font;
        int dpiY = 0;
        int deviceDpiY = 0;
        QFont qfont;
        std::optional<QFontMetrics> metrics;
    };
    thread_local LastFont last;
    const int dpiY = pixelsPerInchY();
    if (!last.metrics || !(last.font == font_) || last.dpiY != dpiY || last.deviceDpiY != device->logicalDpiY()) {
        last.font = font_;
        last.dpiY = dpiY;
        last.deviceDpiY = device->logicalDpiY();
        last.qfont = qFontFor(font_, device, dpiY);
        last.metrics.emplace(last.qfont, device);
    }
    const QFont qfont = last.qfont;
    const QFontMetrics metrics = *last.metrics;
    const PrefixedText shown = resolvePrefixes(text, !(format & DT_NOPREFIX));
    const std::vector<TextLine> lines = breakLines(shown.text, metrics, rect.width(), format & DT_WORDBREAK);
    const int lineHeight = metrics.ascent() + metrics.descent();
    const int total = int(lines.size()) * lineHeight;

    QPainter* p = beginDrawing();
    if (!p || rect.right <= rect.left || rect.bottom <= rect.top)
        return total;
    p->setClipRect(QRect(rect.left, rect.top, rect.width(), rect.height()), clip_ ? Qt::IntersectClip : Qt::ReplaceClip);
    p->setFont(qfont);
    const QColor ink = toQColor(textColor_);
    int y = rect.top;
    for (const TextLine& line : lines) {
        if (y >= rect.bottom)
            break;
        const QString part = shown.text.mid(line.start, line.length);
        // Measuring shapes the line a second time; a left-aligned line on no background needs no width.
        const bool measured = (format & (DT_CENTER | DT_RIGHT)) || bkMode_ == OPAQUE;
        const int width = measured ? metrics.horizontalAdvance(part) : 0;
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.width() - width) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - width;
        if (bkMode_ == OPAQUE)
            p->fillRect(QRect(x, y, width, lineHeight), toQColor(bkColor_));
        p->setPen(ink);
        p->drawText(QPoint(x, y + metrics.ascent()), part);
        for (int index : shown.underlined) {
            if (index < line.start || index >= line.start + line.length)
                continue;
            const int from = x + metrics.horizontalAdvance(part.left(index - line.start));
            const int to = x + metrics.horizontalAdvance(part.left(index - line.start + 1));
            const int thickness = std::max(1, metrics.lineWidth());
            const int under = y + metrics.ascent() + std::max(1, metrics.underlinePos());
            p->fillRect(QRect(from, under, std::max(1, to - from), thickness), ink);
        }
        y += lineHeight;
    }
    p->setPen(Qt::NoPen);
    return total;
}

// MemoryDc --------------------------------------------------------------------------------------

MemoryDc::MemoryDc(Bitmap* bitmap, int technology, int dpiX, int dpiY)
    : bitmap_(bitmap), technology_(technology), dpiX_(dpiX), dpiY_(dpiY)
{
}

MemoryDc::~MemoryDc()
{
    endPainter();
    painter_.reset();
}

Bitmap* MemoryDc::SelectBitmap(Bitmap* bitmap)
{
    endPainter();
    painter_.reset();
    return std::exchange(bitmap_, bitmap);
}

QPainter* MemoryDc::painter()
{
    if (!bitmap_ || bitmap_->isNull())
        return nullptr;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&bitmap_->image())) {
            painter_.reset();
            return nullptr;
        }
    }
    return painter_.get();
}

QPaintDevice* MemoryDc::metricsDevice()
{
    if (bitmap_ && !bitmap_->isNull())
        return &bitmap_->image();
    if (metricsImage_.isNull()) {
        metricsImage_ = QImage(1, 1, QImage::Format_RGB32);
        metricsImage_.setDotsPerMeterX(int(std::lround(pixelsPerInchX() / 0.0254)));
        metricsImage_.setDotsPerMeterY(int(std::lround(pixelsPerInchY() / 0.0254)));
    }
    return &metricsImage_;
}

QSize MemoryDc::deviceSize() const
{
    return bitmap_ ? bitmap_->image().size() : QSize(1, 1);
}

int MemoryDc::pixelsPerInchX() const { return dpiX_ > 0 ? dpiX_ : ScreenPixelsPerInch(); }
int MemoryDc::pixelsPerInchY() const { return dpiY_ > 0 ? dpiY_ : ScreenPixelsPerInch(); }

int MemoryDc::bitsPerPixel() const
{
    return bitmap_ ? bitmap_->bitsPerPixel() : ScreenBitsPerPixel();
}
