#include "editor/FieldPainter.h"

#include "editor/FieldFont.h"
#include "imgrove/Numeric.h"
#include "picture/DrawDib.h"
#include "platform/CodePage.h"
#include "platform/Dc.h"
#include "print/DeviceFont.h"
#include "print/FormSize.h"
#include "print/FormSizePrompts.h"

#include <utility>
#include <vector>


namespace {

const COLORREF kWhite = RGBColor(255, 255, 255);
const COLORREF kLightGrey = RGBColor(192, 192, 192);
const COLORREF kDarkGrey = RGBColor(128, 128, 128);
const COLORREF kBlack = RGBColor(0, 0, 0);

unsigned textFormat(const FormField& field)
{
    unsigned format = DT_NOPREFIX;
    if (field.alignment == AlignCentered)
        format |= DT_CENTER;
    else if (field.alignment == AlignRight)
        format |= DT_RIGHT;
    if (field.multiLine)
        format |= DT_WORDBREAK;
    return format;
}

// One stroke of a one-pixel pen along a row or a column, from (x0, y0) up to, not including,
// (x1, y1): the pixels LineTo sets, filled as a rectangle, which costs one call instead of one
// point per pixel (a drag repaints every field on each mouse move).
void stroke(Dc& dc, COLORREF color, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    if (y0 == y1 && x0 != x1) {
        const int32_t from = x1 > x0 ? x0 : x1 + 1;
        const int32_t to = x1 > x0 ? x1 : x0 + 1;
        dc.FillRect({from, y0, to, y0 + 1}, color);
    } else if (x0 == x1 && y0 != y1) {
        const int32_t from = y1 > y0 ? y0 : y1 + 1;
        const int32_t to = y1 > y0 ? y1 : y0 + 1;
        dc.FillRect({x0, from, x0 + 1, to}, color);
    }
}

void line(Dc& dc, COLORREF color, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    stroke(dc, color, x0, y0, x1, y1);
    stroke(dc, color, x1, y1, x2, y2);
}

// Rectangle with a white one-pixel pen and a solid brush, as two fills (see stroke).
void penAndBrushRect(Dc& dc, int32_t left, int32_t top, int32_t right, int32_t bottom, COLORREF fill)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right <= left || bottom <= top)
        return;
    dc.FillRect({left, top, right, bottom}, kWhite);
    dc.FillRect({left + 1, top + 1, right - 1, bottom - 1}, fill);
}

// The raised-into-the-page look of a field.
void sunkenFrame(Dc& dc, const DcRect& r)
{
    line(dc, kWhite, r.left, r.bottom - 1, r.right - 1, r.bottom - 1, r.right - 1, r.top - 1);
    line(dc, kLightGrey, r.left + 1, r.bottom - 2, r.right - 2, r.bottom - 2, r.right - 2, r.top);
    line(dc, kBlack, r.left + 1, r.bottom - 3, r.left + 1, r.top + 1, r.right - 2, r.top + 1);
    line(dc, kDarkGrey, r.left, r.bottom - 2, r.left, r.top, r.right - 1, r.top);
}

}  // namespace

double canvasFontScale(const FormDocument& document, double printerMmPerInchX, double scaleX)
{
    if (!formSizeUsable(document))
        return 1;
    const OrderedFormSize size = orderFormSize(document);
    return (double(size.px2) - size.px1) / ((size.x2mm - size.x1mm) / printerMmPerInchX) * scaleX;
}

int32_t canvasFontHeight(int32_t height, double fontScale, int screenPixelsPerInch)
{
    if (screenPixelsPerInch <= 0)
        return 0;
    return truncToInt32(double(height) * fontScale / screenPixelsPerInch);
}

namespace {

DcRect canvasRect(const FormField& field, double scale)
{
    return {truncToInt32(field.left * scale), truncToInt32(field.top * scale), truncToInt32(field.right * scale),
            truncToInt32(field.bottom * scale)};
}

void paintField(Dc& dc, const FormField& field, const DcRect& r, bool selected, double fontScale,
                int screenPixelsPerInch)
{
    penAndBrushRect(dc, r.left + 2, r.top + 2, r.right - 2, r.bottom - 2, selected ? kWhite : kLightGrey);
    dc.SelectFont(dcFontFor(field.font, canvasFontHeight(field.font.height, fontScale, screenPixelsPerInch)));
    dc.DrawText(ansiToQString(field.name), r, textFormat(field));
    sunkenFrame(dc, r);
}

}  // namespace

// The picture goes first and the fields over it from the bottom one up, each clipped to what the
// fields above leave of its rectangle, as when the fields were painted from the top down and each
// kept out of the rest. The picture is kept out of every field's rectangle: a field large enough
// paints all of its rectangle over it anyway, and a field too small to cover it keeps the picture
// out as it always has. A picture drawn row by row (24 and 8 bits on the screen) then fetches only
// the rows and columns that show.
void paintFieldCanvas(Dc& dc, const FormDocument& document, const CanvasGeometry& geometry, double fontScale,
                      int screenPixelsPerInch)
{
    const QSize device = dc.deviceSize();
    dc.ExcludeClipRect(geometry.fittedWidth, 0, device.width(), device.height());
    dc.ExcludeClipRect(0, geometry.fittedHeight, device.width(), device.height());
    const QRegion fitted = dc.clipRegion().value_or(QRegion());

    struct Placed {
        DcRect rect;
        QRect area;  // empty for an empty or turned-over rectangle
    };
    std::vector<Placed> placed;
    placed.reserve(document.fields.size());
    QRegion keptOut;
    for (const FormField& field : document.fields) {
        const DcRect r = canvasRect(field, geometry.scaleX);
        const QRect area = r.right > r.left && r.bottom > r.top ? QRect(r.left, r.top, r.width(), r.height()) : QRect();
        placed.push_back({r, area});
        keptOut += area;
    }

    const Dib& picture = document.picture.get();
    if (picture.bits && geometry.fittedWidth > 0 && geometry.fittedHeight > 0) {
        dc.SelectClipRgn(fitted - keptOut);
        DrawDib(dc, 0, 0, geometry.fittedWidth, geometry.fittedHeight, picture, 0, 0, DibWidth(picture),
                DibHeight(picture), true, SRCCOPY, false);
    }

    const DcFont oldFont = dc.currentFont();
    const int oldBkMode = dc.SetBkMode(TRANSPARENT);
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placed& field = placed[i];
        QRegion clip = fitted & field.area;
        for (size_t above = i + 1; above < placed.size(); ++above)
            if (placed[above].area.intersects(field.area))
                clip -= placed[above].area;
        dc.SelectClipRgn(clip);
        paintField(dc, document.fields[i], field.rect, int32_t(i + 1) == document.SelectedField, fontScale,
                   screenPixelsPerInch);
    }

    dc.SelectClipRgn(std::nullopt);
    dc.SetBkMode(oldBkMode);
    dc.SelectFont(oldFont);
}
