#include "picture/DrawDib.h"

#include "imgrove/Halftone.h"
#include "imgrove/Numeric.h"
#include "platform/Printer.h"
#include "platform/Prompts.h"
#include "platform/Screen.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

DrawDibReporter& reporterSlot()
{
    static DrawDibReporter reporter;
    return reporter;
}

void report(const char* message)
{
    if (const DrawDibReporter& reporter = reporterSlot())
        reporter(message);
}

int32_t scaled(int32_t value, int64_t numerator, int64_t denominator)
{
    return roundHalfEvenToInt32(double(value) * double(numerator) / double(denominator));
}

// One axis of the clipping: the part of the source beyond the picture's far edge goes, and the
// destination shrinks in proportion. False when nothing of the source is left.
bool cutFarEnd(int32_t srcStart, int32_t& srcSize, int32_t& destSize, int32_t pictureSize)
{
    if (int64_t(srcStart) + srcSize <= pictureSize)
        return true;
    const int32_t kept = pictureSize - srcStart;
    if (kept <= 0)
        return false;
    destSize = scaled(destSize, kept, srcSize);
    srcSize = kept;
    return true;
}

// The same before the picture's near edge; the destination's corner moves on by what it lost.
bool cutNearEnd(int32_t& srcStart, int32_t& srcSize, int32_t& destStart, int32_t& destSize)
{
    if (srcStart >= 0)
        return true;
    const int32_t kept = srcSize + srcStart;
    srcStart = 0;
    if (kept <= 0)
        return false;
    const int32_t newSize = scaled(destSize, kept, srcSize);
    destStart += destSize - newSize;
    destSize = newSize;
    srcSize = kept;
    return true;
}

// Source offset of sample i of count samples over a span that ends on its last pixel; a
// single sample takes the middle of the span.
int32_t endToEnd(int32_t i, int32_t count, int32_t span)
{
    if (count <= 1)
        return (span - 1) / 2;
    return int32_t(int64_t(span - 1) * i / (count - 1));
}

// The plain stretched transfer and its fallbacks for devices that refuse it.
void drawPlain(Dc& dc, const DrawRects& r, const Dib& picture, uint32_t rop)
{
    const int32_t height = DibHeight(picture);
    const int32_t ySrc = height - r.srcTop - r.srcHeight;
    const bool dibToDevice = (dc.GetDeviceCaps(RASTERCAPS) & RC_DIBTODEV) != 0;
    if (dc.StretchDIBits(r.destX, r.destY, r.destWidth, r.destHeight, r.srcX, ySrc, r.srcWidth, r.srcHeight,
                         picture.bits, picture.header, DIB_RGB_COLORS, rop) != GDI_ERROR)
        return;

    bool done = false;
    if (dibToDevice) {
        const int bitCount = DibBitCount(picture);
        const bool withColors = DibColorCount(picture) <= 256;
        DibOwner copy(newdib(r.destWidth, r.destHeight, bitCount, withColors ? picture.header : nullptr,
                             withColors ? DibColorCount(picture) : 0));
        if (copy) {
            Dib& out = copy.get();
            // Rows counted from the top, as getpixel and setpixel take them: destination row y
            // from the bottom takes source row ySrc + endToEnd(y, ...) from the bottom.
            for (int32_t y = 0; y < r.destHeight; ++y) {
                const int32_t sourceRow = height - 1 - (ySrc + endToEnd(y, r.destHeight, r.srcHeight));
                const int32_t targetRow = r.destHeight - 1 - y;
                for (int32_t x = 0; x < r.destWidth; ++x)
                    setpixel(out, x, targetRow, getpixel(picture, r.srcX + endToEnd(x, r.destWidth, r.srcWidth), sourceRow));
            }
            done = dc.SetDIBitsToDevice(r.destX, r.destY, uint32_t(r.destWidth), uint32_t(r.destHeight), 0, 0, 0,
                                        uint32_t(r.destHeight), out.bits, out.header, DIB_RGB_COLORS) != 0;
        }
    }
    if (done)
        return;

    std::unique_ptr<Bitmap> bitmap = dc.CreateCompatibleBitmap(DibWidth(picture), height);
    std::unique_ptr<MemoryDc> memory = bitmap ? dc.CreateCompatibleDC() : nullptr;
    if (!bitmap || !memory) {
        report("Can not create bitmap.");
        return;
    }
    if (dc.SetDIBits(*bitmap, 0, uint32_t(height), picture.bits, picture.header, DIB_RGB_COLORS) == 0) {
        report("Function is not supported.");
        return;
    }
    Bitmap* before = memory->SelectBitmap(bitmap.get());
    if (!dc.StretchBlt(r.destX, r.destY, r.destWidth, r.destHeight, *memory, r.srcX, r.srcTop, r.srcWidth,
                       r.srcHeight, rop))
        report("Function is not supported.");
    memory->SelectBitmap(before);
}

// A copy halftoned at display size, for screens of 256 colours or fewer.
void drawHalftoned(Dc& dc, const DrawRects& r, const Dib& picture, uint32_t rop)
{
    const int32_t width = DibWidth(picture);
    const int32_t height = DibHeight(picture);
    const int32_t ySrc = height - r.srcTop - r.srcHeight;
    const bool shrinking = r.srcWidth > r.destWidth || r.srcHeight > r.destHeight;
    DibOwner copy(shrinking ? DIBHalftoneDIBXY(picture, scaled(width, r.destWidth, r.srcWidth),
                                               scaled(height, r.destHeight, r.srcHeight))
                            : DIBHalftoneDIB(picture));
    if (!copy)
        return;
    const Dib& halftoned = copy.get();
    const HPALETTE before = dc.SelectPalette(picture.palette, false);
    dc.RealizePalette();
    if (shrinking) {
        const int32_t x = scaled(DibWidth(halftoned), r.srcX, width);
        const int32_t y = scaled(DibHeight(halftoned), ySrc, height);
        dc.StretchDIBits(r.destX, r.destY, r.destWidth, r.destHeight, x, y, r.destWidth, r.destHeight, halftoned.bits,
                         halftoned.header, DIB_RGB_COLORS, rop);
    } else {
        dc.StretchDIBits(r.destX, r.destY, r.destWidth, r.destHeight, r.srcX, ySrc, r.srcWidth, r.srcHeight,
                         halftoned.bits, halftoned.header, DIB_RGB_COLORS, rop);
    }
    dc.SelectPalette(before, false);
}

// Renders at a third of the printer's resolution and stretches that over the printer's page.
void drawViaPrinterBitmap(const DrawRects& r, const Dib& picture, uint32_t rop)
{
    Printer& printer = currentPrinter();
    const int32_t pageWidth = printer.pageWidth();
    const int32_t pageHeight = printer.pageHeight();
    Bitmap bitmap(pageWidth / 3, pageHeight / 3, ScreenBitsPerPixel());
    if (bitmap.isNull())
        return;
    MemoryDc memory(&bitmap);
    memory.SetStretchBltMode(COLORONCOLOR);
    memory.StretchDIBits(r.destX / 3, r.destY / 3, r.destWidth / 3, r.destHeight / 3, r.srcX,
                         DibHeight(picture) - r.srcTop - r.srcHeight, r.srcWidth, r.srcHeight, picture.bits,
                         picture.header, DIB_RGB_COLORS, rop);
    Dc& page = printer.dc();
    page.SetStretchBltMode(COLORONCOLOR);
    page.StretchBlt(0, 0, pageWidth, pageHeight, memory, 0, 0, bitmap.width(), bitmap.height(), SRCCOPY);
    page.GdiFlush();
}

// The column map of the row ways and the range of it that lies inside the picture.
struct ColumnMap {
    std::vector<int64_t> offsets;
    int32_t first = -1;
    int32_t last = -1;
};

// Columns firstColumn to endColumn - 1 of the destination, counted from the map's start.
ColumnMap mapColumns(int32_t destWidth, int32_t firstColumn, int32_t endColumn, int32_t srcX, int32_t srcWidth,
                     int32_t pictureWidth, int bytesPerPixel)
{
    ColumnMap map;
    map.offsets.resize(size_t(endColumn - firstColumn));
    for (int32_t i = 0; i < endColumn - firstColumn; ++i) {
        const int64_t column = int64_t(srcX) + int64_t(srcWidth) * (int64_t(firstColumn) + i) / destWidth;
        map.offsets[size_t(i)] = column * bytesPerPixel;
        if (column >= 0 && column < pictureWidth) {
            if (map.first < 0)
                map.first = i;
            map.last = i;
        }
    }
    return map;
}

// The part [first, end) of a destination span that lies on a device of the given extent.
std::pair<int32_t, int32_t> onDevice(int32_t destStart, int32_t destSize, int32_t deviceExtent)
{
    const int64_t first = std::clamp<int64_t>(-int64_t(destStart), 0, destSize);
    const int64_t end = std::clamp<int64_t>(int64_t(deviceExtent) - destStart, first, destSize);
    return {int32_t(first), int32_t(end)};
}

// Asks the memory for the source row the next destination row reads while this one is
// copied: a shrunk picture's rows lie far apart, and each would otherwise start with a wait.
void prefetchNextRow(const Dib& picture, int64_t offset, int64_t nextSourceRow, const ColumnMap& map, int32_t first,
                     int32_t last)
{
#if defined(__GNUC__)
    const int64_t next = (int64_t(DibHeight(picture)) - 1 - nextSourceRow) * picture.rowSize;
    if (next == offset || next < 0 || next > int64_t(DibHeight(picture) - 1) * picture.rowSize || first > last)
        return;
    const uint8_t* in = picture.bits + next;
    for (int64_t at = map.offsets[size_t(first)]; at <= map.offsets[size_t(last)]; at += 64)
        __builtin_prefetch(in + at);
#else
    (void)picture, (void)offset, (void)nextSourceRow, (void)map, (void)first, (void)last;
#endif
}

// What every block of one drawRows call shares: the destination, the column map and the row
// buffer, both made for the columns from firstColumn on that land on the device.
struct RowDrawing {
    Dc& dc;
    const Dib& picture;
    int32_t destX, destY, destHeight;
    int32_t srcTop, srcHeight;
    int32_t firstColumn;
    const ColumnMap& map;
    Dib& row;
    int bytesPerPixel;
};

// The part of the destination inside the device rectangle shown. Each pixel's source depends on
// its destination position alone, so a part gives the pixels the whole picture would give there.
void drawBlock(const RowDrawing& d, const QRect& shown)
{
    if (shown.isEmpty())
        return;
    // The row buffer's and the column map's index of the part's first column.
    const int32_t from = shown.left() - d.destX - d.firstColumn;
    const int32_t to = from + shown.width();
    // No column inside the picture (first -1) leaves first above last.
    const int32_t first = std::max(d.map.first, from);
    const int32_t last = std::min(d.map.last, to - 1);
    const int32_t height = DibHeight(d.picture);
    const int64_t lastOffset = int64_t(height - 1) * d.picture.rowSize;
    const int bpp = d.bytesPerPixel;
    int64_t copiedOffset = -1;
    for (int32_t r = shown.top() - d.destY; r <= shown.bottom() - d.destY; ++r) {
        const int64_t sourceRow = int64_t(d.srcTop) + int64_t(d.srcHeight) * r / d.destHeight;
        const int64_t offset = (int64_t(height) - 1 - sourceRow) * d.picture.rowSize;
        if (offset < 0 || offset > lastOffset) {
            std::memset(d.row.bits + int64_t(from) * bpp, 0, size_t(to - from) * size_t(bpp));
            copiedOffset = -1;
        } else if (offset != copiedOffset && first <= last) {
            const uint8_t* in = d.picture.bits + offset;
            uint8_t* out = d.row.bits;
            const int64_t* offsets = d.map.offsets.data();
            prefetchNextRow(d.picture, offset, d.srcTop + int64_t(d.srcHeight) * (r + 1) / d.destHeight, d.map, first,
                            last);
            if (bpp == 3) {
                // Four bytes read and written at once; the fourth byte written is the next
                // pixel's, which follows, so only the last pixel goes byte by byte (it must not
                // touch a column beyond it), as does a pixel whose fourth byte lies past its row.
                int32_t i = first;
                for (; i < last && offsets[i] + 4 <= d.picture.rowSize; ++i) {
                    uint32_t pixel;
                    std::memcpy(&pixel, in + offsets[i], 4);
                    std::memcpy(out + i * 3, &pixel, 4);
                }
                for (; i <= last; ++i) {
                    const uint8_t* p = in + offsets[i];
                    out[i * 3] = p[0];
                    out[i * 3 + 1] = p[1];
                    out[i * 3 + 2] = p[2];
                }
            } else {
                for (int32_t i = first; i <= last; ++i)
                    out[i] = in[offsets[i]];
            }
            copiedOffset = offset;
        }
        d.dc.SetDIBitsToDevice(shown.left(), d.destY + r, uint32_t(to - from), 1, from, 0, 0, 1, d.row.bits,
                               d.row.header, DIB_RGB_COLORS);
    }
}

void drawRows(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight, const Dib& picture,
              int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, int bitCount)
{
    if (!picture.bits || !picture.header || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return;
    // Only the part that lands on the device is made: a picture placed far larger than the page
    // (a form size of metres) would otherwise be converted row by row in full, taking minutes
    // and more memory than there is, or not be drawn at all when its row buffer cannot be had.
    const auto [firstColumn, endColumn] = onDevice(destX, destWidth, dc.GetDeviceCaps(HORZRES));
    const auto [firstRow, endRow] = onDevice(destY, destHeight, dc.GetDeviceCaps(VERTRES));
    if (firstColumn >= endColumn || firstRow >= endRow)
        return;
    const int32_t width = endColumn - firstColumn;
    DibOwner buffer(bitCount == 24 ? newdib(width, 1, 24, nullptr, 0) : newdib(width, 1, 8, picture.header, 256));
    if (!buffer)
        return;
    const int bytesPerPixel = bitCount / 8;
    const ColumnMap map =
        mapColumns(destWidth, firstColumn, endColumn, srcX, srcWidth, DibWidth(picture), bytesPerPixel);
    const RowDrawing drawing{dc, picture, destX, destY, destHeight, srcTop, srcHeight, firstColumn, map, buffer.get(),
                             bytesPerPixel};
    const QRect onPage(destX + firstColumn, destY + firstRow, width, endRow - firstRow);
    const std::optional<QRegion> clip = dc.clipRegion();
    if (!clip) {
        drawBlock(drawing, onPage);
    } else if (clip->rectCount() <= 1) {
        drawBlock(drawing, clip->boundingRect() & onPage);
    } else {
        // Only what the clip lets through is fetched (the canvas's fields keep the picture out of
        // most of it), a rectangle at a time under that rectangle alone: the device then copies
        // whole rectangles instead of testing every pixel against a region of many.
        for (const QRect& part : *clip) {
            const QRect shown = part & onPage;
            if (shown.isEmpty())
                continue;
            dc.SelectClipRgn(QRegion(shown));
            drawBlock(drawing, shown);
        }
        dc.SelectClipRgn(clip);
    }
    dc.GdiFlush();
}

}  // namespace

int32_t DibWidth(const Dib& dib) { return dib.header ? dib.header->biWidth : 0; }
int32_t DibHeight(const Dib& dib) { return dib.header ? dib.header->biHeight : 0; }
int DibBitCount(const Dib& dib) { return dib.header ? dib.header->biBitCount : 0; }

int32_t DibColorCount(const Dib& dib)
{
    const int bits = DibBitCount(dib);
    return bits > 0 && bits <= 24 ? int32_t(1) << bits : 0;
}

DrawRects clipDrawRects(DrawRects r, int32_t pictureWidth, int32_t pictureHeight)
{
    if (r.srcWidth <= 0 || r.srcHeight <= 0)
        return r;
    const bool remains = cutFarEnd(r.srcX, r.srcWidth, r.destWidth, pictureWidth) &&
                      cutFarEnd(r.srcTop, r.srcHeight, r.destHeight, pictureHeight) &&
                      cutNearEnd(r.srcTop, r.srcHeight, r.destY, r.destHeight) &&
                      cutNearEnd(r.srcX, r.srcWidth, r.destX, r.destWidth);
    if (!remains) {
        r.destWidth = r.destHeight = 0;
        r.srcWidth = r.srcHeight = 0;
    }
    return r;
}

DrawWay chooseDrawWay(Dc& dc, const Dib& picture, bool allowHalftone, bool viaPrinterBitmap)
{
    const bool rasterPrinter = dc.GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER;
    const int bitCount = DibBitCount(picture);
    if (viaPrinterBitmap)
        return DrawWay::PrinterBitmap;
    if (bitCount == 24 && ScreenBitsPerPixel() <= 8 && allowHalftone)
        return DrawWay::Halftone;
    if (bitCount == 24 && !rasterPrinter)
        return DrawWay::Rows24;
    if (bitCount == 8 && !rasterPrinter)
        return DrawWay::Rows8;
    return DrawWay::Plain;
}

void DrawDib(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight, const Dib& picture,
             int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, bool allowHalftone, uint32_t rop,
             bool viaPrinterBitmap)
{
    dc.SetStretchBltMode(COLORONCOLOR);
    if (!picture.header || !picture.bits)
        return;
    const DrawRects r = clipDrawRects({destX, destY, destWidth, destHeight, srcX, srcTop, srcWidth, srcHeight},
                                      DibWidth(picture), DibHeight(picture));
    // Nothing of the picture falls into the destination.
    if (r.srcWidth <= 0 || r.srcHeight <= 0 || r.destWidth <= 0 || r.destHeight <= 0)
        return;

    const bool withPalette = picture.paletteFlag == 1;
    HPALETTE before = nullptr;
    if (withPalette) {
        before = dc.SelectPalette(picture.palette, false);
        dc.RealizePalette();
    }
    switch (chooseDrawWay(dc, picture, allowHalftone, viaPrinterBitmap)) {
    case DrawWay::PrinterBitmap:
        drawViaPrinterBitmap(r, picture, rop);
        break;
    case DrawWay::Halftone:
        drawHalftoned(dc, r, picture, rop);
        break;
    case DrawWay::Rows24:
        DrawDibRows24(dc, r.destX, r.destY, r.destWidth, r.destHeight, picture, r.srcX, r.srcTop, r.srcWidth,
                      r.srcHeight);
        break;
    case DrawWay::Rows8:
        DrawDibRows8(dc, r.destX, r.destY, r.destWidth, r.destHeight, picture, r.srcX, r.srcTop, r.srcWidth,
                     r.srcHeight);
        break;
    case DrawWay::Plain:
        drawPlain(dc, r, picture, rop);
        break;
    }
    if (withPalette)
        dc.SelectPalette(before, false);
    dc.GdiFlush();
}

void DrawDibRows24(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight,
                   const Dib& picture, int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight)
{
    drawRows(dc, destX, destY, destWidth, destHeight, picture, srcX, srcTop, srcWidth, srcHeight, 24);
}

void DrawDibRows8(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight, const Dib& picture,
                  int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight)
{
    drawRows(dc, destX, destY, destWidth, destHeight, picture, srcX, srcTop, srcWidth, srcHeight, 8);
}

DrawDibReporter setDrawDibReporter(DrawDibReporter reporter)
{
    return std::exchange(reporterSlot(), std::move(reporter));
}

void reportDrawDibThrough(Prompts& prompts)
{
    setDrawDibReporter([&prompts](const char* message) {
        prompts.message(QString::fromLatin1(message), QString(), MsgIcon::None, MsgButtons::Ok);
    });
}
