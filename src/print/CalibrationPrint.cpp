#include "print/CalibrationPrint.h"

#include "document/FormDocument.h"
#include "platform/Printer.h"

#include <cmath>

int testRectangleExtent(int pixelsPerInch) { return int(std::trunc(100 / MmPerInch * pixelsPerInch)); }

bool printTestRectangle(Printer& printer)
{
    printer.setTitle(QStringLiteral("Velmora test print"));
    printer.dc().SetMapMode(MM_TEXT);
    const int dpiX = printer.dc().GetDeviceCaps(LOGPIXELSX);
    const int dpiY = printer.dc().GetDeviceCaps(LOGPIXELSY);
    if (!printer.BeginDoc())
        return false;
    Dc& dc = printer.dc();
    dc.SetMapMode(MM_TEXT);
    const DcBrush oldBrush = dc.SelectBrush({BS_SOLID, RGBColor(192, 192, 192)});
    const DcPen oldPen = dc.SelectPen({PS_SOLID, 1, RGBColor(0, 0, 0)});
    dc.Rectangle(0, 0, testRectangleExtent(dpiX), testRectangleExtent(dpiY));
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    return printer.EndDoc();
}
