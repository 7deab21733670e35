#include "platform/Dc.h"

#include "imgrove/Palette.h"
#include "platform/DcPrivate.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>
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

}  // namespace

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

// The line modes other than plain copying; beginDrawing leaves the painter copying.
void Dc::applyRop2(QPainter& painter, int rop2)
{
    if (rop2 == R2_XORPEN)
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    else if (rop2 == R2_NOT)
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    else
        return;
    modesChanged();
}

QPainter* Dc::beginDrawing()
{
    flushRows();
    QPainter* p = painter();
    if (!p)
        return nullptr;
    preparePainter(*p);
    return p;
}

// Every drawing call sets the pen it draws with and fills with a colour of its own, so pen and
// brush are no part of what is prepared.
void Dc::preparePainter(QPainter& p)
{
    if (&p != prepared_) {
        prepared_ = &p;
        clipOnPainter_ = false;
        plainModes_ = false;
    }
    if (!clipOnPainter_) {
        if (clip_)
            p.setClipRegion(*clip_);
        else
            p.setClipping(false);
        clipOnPainter_ = true;
    }
    if (!plainModes_) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        plainModes_ = true;
    }
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
    clipOnPainter_ = false;
}

void Dc::IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    flushRows();
    if (!clip_)
        clip_ = QRegion(QRect(QPoint(0, 0), deviceSize()));
    *clip_ &= (right > left && bottom > top) ? QRegion(left, top, right - left, bottom - top) : QRegion();
    clipOnPainter_ = false;
}

void Dc::SelectClipRgn(const std::optional<QRegion>& region)
{
    flushRows();
    clip_ = region;
    clipOnPainter_ = false;
}
