// Device contexts: the drawing surface of a paint box, a memory bitmap or a printer page, with
// the calls of the system graphics interface the program draws through. Coordinates are device
// pixels (mapping mode MM_TEXT, y downwards); colours are 0x00BBGGRR values.
#pragma once

#include "imgrove/Dib.h"
#include "imgrove/IntRect.h"

#include <QImage>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QPainter;
class QPolygon;

using COLORREF = uint32_t;

constexpr COLORREF RGBColor(uint8_t red, uint8_t green, uint8_t blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return uint8_t(c); }
constexpr uint8_t GetGValue(COLORREF c) { return uint8_t(c >> 8); }
constexpr uint8_t GetBValue(COLORREF c) { return uint8_t(c >> 16); }

// A colour value with the high bit set names a system colour by its index.
constexpr COLORREF kSysColorFlag = 0x80000000u;
enum SysColorIndex { COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8, COLOR_APPWORKSPACE = 12, COLOR_BTNFACE = 15 };
// The system colour for an index, or the value itself when it is a plain colour.
COLORREF ResolveColor(COLORREF value);

// GetDeviceCaps indexes and values.
enum DeviceCapIndex { TECHNOLOGY = 2, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90 };
enum Technology { DT_RASDISPLAY = 1, DT_RASPRINTER = 2 };
enum RasterCaps : int { RC_BITBLT = 0x1, RC_STRETCHBLT = 0x800, RC_DIBTODEV = 0x200, RC_STRETCHDIB = 0x2000 };

enum StretchMode { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum MapMode { MM_TEXT = 1 };

// Raster operations of the bitmap transfers.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;

enum DibColorUse { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };
constexpr int GDI_ERROR = -1;

// Line drawing modes (SetROP2).
enum Rop2 { R2_NOT = 6, R2_XORPEN = 7, R2_COPYPEN = 13 };
enum BkMode { TRANSPARENT = 1, OPAQUE = 2 };

// DrawText format flags.
enum DrawTextFlags : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_WORDBREAK = 0x10,
    DT_NOPREFIX = 0x800,
};

enum PenStyle { PS_SOLID = 0, PS_DOT = 2, PS_NULL = 5 };
enum BrushStyle { BS_SOLID = 0, BS_NULL = 1 };

// The Win32 RECT: right and bottom exclusive.
using DcRect = IntRect;

struct DcSize {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const DcSize&) const = default;
};

struct DcPen {
    int style = PS_SOLID;
    int width = 1;  // 0 and 1 both draw one-pixel lines
    COLORREF color = 0;
    bool operator==(const DcPen&) const = default;
};

struct DcBrush {
    int style = BS_SOLID;
    COLORREF color = RGBColor(255, 255, 255);
    bool operator==(const DcBrush&) const = default;
};

// height follows the system convention: negative is the character height in device pixels,
// positive the cell height (character plus internal leading), 0 the default size.
struct DcFont {
    QString faceName = QStringLiteral("Arial");
    int32_t height = -13;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int pitch = 0;  // 0 default, 1 variable, 2 fixed
    COLORREF color = 0;
    bool operator==(const DcFont&) const = default;
};

// A device-dependent bitmap: what CreateCompatibleBitmap makes and a memory context draws on.
class Bitmap {
public:
    // bitsPerPixel 16 keeps the 16-bit pixel format; other depths hold 32-bit pixels. A size the
    // machine cannot hold gives a null bitmap.
    Bitmap(int32_t width, int32_t height, int bitsPerPixel, COLORREF fill = RGBColor(255, 255, 255));
    bool isNull() const { return image_.isNull(); }
    int32_t width() const { return image_.width(); }
    int32_t height() const { return image_.height(); }
    int bitsPerPixel() const { return bitsPerPixel_; }
    const QImage& image() const { return image_; }
    QImage& image() { return image_; }
    // The colour of a pixel as 0x00BBGGRR.
    COLORREF pixel(int32_t x, int32_t y) const;

private:
    QImage image_;
    int bitsPerPixel_;
};

class MemoryDc;

class Dc {
public:
    Dc();
    Dc(const Dc&) = delete;
    Dc& operator=(const Dc&) = delete;
    virtual ~Dc();

    // TECHNOLOGY, RASTERCAPS, LOGPIXELSX/Y, HORZRES/VERTRES, BITSPIXEL.
    virtual int GetDeviceCaps(int index) const;

    int SetMapMode(int mode);
    int SetStretchBltMode(int mode);
    int GetStretchBltMode() const { return stretchMode_; }

    // Palettes only travel with the context here: transfers always take the colour table.
    HPALETTE SelectPalette(HPALETTE palette, bool forceBackground);
    int RealizePalette();
    HPALETTE currentPalette() const { return palette_; }

    // Transfers of packed DIB rows (bottom-up, rows padded to 4 bytes; 1, 4, 8 or 24 bits) with
    // the colour table after info. ySrc counts from the bottom row. StretchDIBits returns the
    // number of scan lines or GDI_ERROR; SetDIBitsToDevice and SetDIBits the number of scan
    // lines, 0 on failure. Consecutive one-line SetDIBitsToDevice calls may be batched;
    // GdiFlush or any other drawing call puts them on the device.
    virtual int StretchDIBits(int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, int32_t xSrc,
                              int32_t ySrc, int32_t srcWidth, int32_t srcHeight, const void* bits,
                              const BITMAPINFOHEADER* info, unsigned usage, uint32_t rop);
    virtual int SetDIBitsToDevice(int32_t xDest, int32_t yDest, uint32_t width, uint32_t height, int32_t xSrc,
                                  int32_t ySrc, uint32_t startScan, uint32_t scanLines, const void* bits,
                                  const BITMAPINFOHEADER* info, unsigned usage);
    virtual int SetDIBits(Bitmap& bitmap, uint32_t startScan, uint32_t scanLines, const void* bits,
                          const BITMAPINFOHEADER* info, unsigned usage);
    // Null when the bitmap cannot be made.
    virtual std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t width, int32_t height);
    virtual std::unique_ptr<MemoryDc> CreateCompatibleDC();
    // Copies from src's selected bitmap; false when there is nothing to copy from or to.
    virtual bool StretchBlt(int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight, Dc& src,
                            int32_t xSrc, int32_t ySrc, int32_t srcWidth, int32_t srcHeight, uint32_t rop);
    void GdiFlush();

    // Drawing state; each Select returns what was selected before.
    DcPen SelectPen(const DcPen& pen);
    DcBrush SelectBrush(const DcBrush& brush);
    // Also sets the text colour to the font's colour.
    DcFont SelectFont(const DcFont& font);
    const DcFont& currentFont() const { return font_; }
    int SetROP2(int mode);
    int SetBkMode(int mode);
    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);

    // Outline with the pen, inside with the brush; right and bottom exclusive.
    bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    bool FillRect(const DcRect& rect, COLORREF color);
    bool MoveToEx(int32_t x, int32_t y);
    // Draws from the current position up to, not including, (x, y).
    bool LineTo(int32_t x, int32_t y);

    // Clipping: none at first; ExcludeClipRect and IntersectClipRect narrow the drawing area,
    // SelectClipRgn(nullopt) restores the whole device.
    void ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SelectClipRgn(const std::optional<QRegion>& region);
    std::optional<QRegion> clipRegion() const { return clip_; }

    // Text in the selected font, starting at the rectangle's top and clipped to it; lines break
    // at the text's own line breaks and, with DT_WORDBREAK, between words. Unless DT_NOPREFIX,
    // "&&" shows "&" and a single "&" underlines the next character. Returns the text height.
    // On a vector page (PDF, a printer) a text whose ink stays inside the rectangle is drawn
    // without the clip, which would change nothing there but cost the page its bytes.
    int DrawText(const QString& text, const DcRect& rect, unsigned format);
    DcSize GetTextExtentPoint32(const QString& text);
    int32_t TextWidth(const QString& text) { return GetTextExtentPoint32(text).cx; }

    // The painter drawing on the device, or null while the device cannot be drawn on (a printer
    // outside a print job, a memory context without a bitmap). The context keeps what it last
    // set on it (clip, modes, pen): whoever draws on it directly restores it (save/restore)
    // before the context draws again.
    virtual QPainter* painter() = 0;
    // The device the painter draws on, for font metrics when no painter is active.
    virtual QPaintDevice* metricsDevice() = 0;
    // The whole drawing surface in device pixels.
    virtual QSize deviceSize() const = 0;

protected:
    virtual int technology() const { return DT_RASDISPLAY; }
    virtual int rasterCaps() const { return RC_BITBLT | RC_STRETCHBLT | RC_DIBTODEV | RC_STRETCHDIB; }
    virtual int pixelsPerInchX() const;
    virtual int pixelsPerInchY() const;
    virtual int bitsPerPixel() const;
    // Prepares the painter for a drawing call (clip, modes) after flushing batched rows; null
    // when nothing can be drawn.
    QPainter* beginDrawing();
    // Called by a derived class before its painter ends.
    void endPainter();
    // The bitmap a memory context has selected; null elsewhere.
    virtual Bitmap* selectedBitmap() { return nullptr; }

private:
    struct RowBatch;
    struct SampleCache;
    void flushRows();
    // Puts clip_ and the plain modes on the painter unless they are there already.
    void preparePainter(QPainter& painter);
    // After a drawing call changed the painter's composition or smoothing.
    void modesChanged() { plainModes_ = false; }
    // Sets a line mode other than copying on the painter, which then is no longer plain.
    void applyRop2(QPainter& painter, int rop2);
    void drawPixels(const QPolygon& points, const QPolygon& gaps, int rop2);

    int stretchMode_ = BLACKONWHITE;
    HPALETTE palette_ = nullptr;
    DcPen pen_;
    DcBrush brush_;
    DcFont font_;
    int rop2_ = R2_COPYPEN;
    int bkMode_ = OPAQUE;
    COLORREF bkColor_ = RGBColor(255, 255, 255);
    COLORREF textColor_ = 0;
    int32_t posX_ = 0;
    int32_t posY_ = 0;
    int styleStep_ = 0;  // position in the dotted pen's pattern, carried across joined lines
    std::optional<QRegion> clip_;
    // What preparePainter last put on which painter: a run of drawing calls under one clip sets
    // it once, as every change of the painter's state costs the raster engine time and a PDF
    // page its bytes.
    QPainter* prepared_ = nullptr;
    bool clipOnPainter_ = false;
    bool plainModes_ = false;
    std::unique_ptr<RowBatch> rows_;
    // A printer page keeps the last picture it was given for the rest of the job, so that a job
    // of many pages hands the same image to the page engine and a PDF stores the picture once.
    std::unique_ptr<SampleCache> sample_;
};

// A memory context: draws on the bitmap selected into it.
class MemoryDc : public Dc {
public:
    // technology and resolution are those of the device the context is compatible with.
    explicit MemoryDc(Bitmap* bitmap = nullptr, int technology = DT_RASDISPLAY, int dpiX = 0, int dpiY = 0);
    ~MemoryDc() override;
    // Returns the bitmap selected before.
    Bitmap* SelectBitmap(Bitmap* bitmap);
    Bitmap* bitmap() const { return bitmap_; }
    QPainter* painter() override;
    QPaintDevice* metricsDevice() override;
    QSize deviceSize() const override;

protected:
    int technology() const override { return technology_; }
    int pixelsPerInchX() const override;
    int pixelsPerInchY() const override;
    int bitsPerPixel() const override;
    Bitmap* selectedBitmap() override { return bitmap_; }

private:
    Bitmap* bitmap_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    QImage metricsImage_;
    int technology_;
    int dpiX_;
    int dpiY_;
};

// A packed DIB (bits and header with its colour table) as a 32-bit image, rows top-down. The
// rectangle is in picture pixels with y counted from the bottom row, as the transfers take it.
QImage dibToImage(const void* bits, const BITMAPINFOHEADER* info, int32_t x, int32_t yFromBottom, int32_t width,
                  int32_t height);
