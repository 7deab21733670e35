#include "editor/FieldPainter.h"

#include "editor/FieldFont.h"
#include "picture/DrawDib.h"
#include "platform/CodePage.h"
#include "platform/Dc.h"
#include "print/FormSize.h"
#include "print/FormSizePrompts.h"


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

void line(Dc& dc, COLORREF color, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    dc.SelectPen({PS_SOLID, 1, color});
    dc.MoveToEx(x0, y0);
    dc.LineTo(x1, y1);
    dc.LineTo(x2, y2);
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

double canvasFontScale(const FormDocument& document, Prompts& prompts, double printerMmPerInchX, double scaleX)
{
    if (!IsFormSizeOk(document, prompts, false))
        return 1;
    const OrderedFormSize size = orderFormSize(document);
    return double(size.px2 - size.px1) / ((size.x2mm - size.x1mm) / printerMmPerInchX) * scaleX;
}

int32_t canvasFontHeight(int32_t height, double fontScale, int screenPixelsPerInch)
{
    if (screenPixelsPerInch <= 0)
        return 0;
    return truncateToInt(double(height) * fontScale / screenPixelsPerInch);
}

void paintFieldCanvas(Dc& dc, const FormDocument& document, const CanvasGeometry& geometry, double fontScale,
                      int screenPixelsPerInch)
{
    const QSize device = dc.deviceSize();
    dc.ExcludeClipRect(geometry.fittedWidth, 0, device.width(), device.height());
    dc.ExcludeClipRect(0, geometry.fittedHeight, device.width(), device.height());

    const DcPen oldPen = dc.SelectPen({PS_SOLID, 1, kWhite});
    const DcBrush oldBrush = dc.SelectBrush({});
    const DcFont oldFont = dc.currentFont();
    dc.SetBkMode(TRANSPARENT);
    const double scale = geometry.scaleX;
    for (size_t i = document.fields.size(); i > 0; --i) {
        const FormField& field = document.fields[i - 1];
        const DcRect r{truncateToInt(field.left * scale), truncateToInt(field.top * scale), truncateToInt(field.right * scale),
                       truncateToInt(field.bottom * scale)};
        const bool selected = int32_t(i) == document.SelectedField;
        dc.SelectPen({PS_SOLID, 1, kWhite});
        dc.SelectBrush({BS_SOLID, selected ? kWhite : kLightGrey});
        dc.Rectangle(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);

        dc.SelectFont(dcFontFor(field.font, canvasFontHeight(field.font.height, fontScale, screenPixelsPerInch)));
        dc.DrawText(ansiToQString(field.name), r, textFormat(field));

        sunkenFrame(dc, r);
        dc.ExcludeClipRect(r.left, r.top, r.right, r.bottom);
    }

    const Dib& picture = document.picture.get();
    if (picture.bits && geometry.fittedWidth > 0 && geometry.fittedHeight > 0)
        DrawDib(dc, 0, 0, geometry.fittedWidth, geometry.fittedHeight, picture, 0, 0, DibWidth(picture),
                DibHeight(picture), true, SRCCOPY, false);

    dc.SelectClipRgn(std::nullopt);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    dc.SelectFont(oldFont);
}
