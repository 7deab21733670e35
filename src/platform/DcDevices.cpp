#include "platform/Dc.h"

#include "platform/DcPrivate.h"
#include "platform/Screen.h"

#include <QPainter>

#include <cmath>

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

// Dc --------------------------------------------------------------------------------------------

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
