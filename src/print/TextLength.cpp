#include "print/TextLength.h"

#include "imgrove/Numeric.h"
#include "platform/CodePage.h"
#include "platform/Printer.h"
#include "print/DeviceFont.h"

double printerPixelsPerPictureX(const OrderedFormSize& size, double printerMmPerInchX, int dpiX)
{
    // As the placement: the pixel distance may not fit 32 bits.
    return (size.x2mm - size.x1mm) / printerMmPerInchX * dpiX / (double(size.px2) - size.px1);
}

int64_t printedFieldWidth(const EntryLayout& entry, double sx)
{
    return int64_t(truncToInt32(entry.right * sx)) - int64_t(truncToInt32(entry.left * sx));
}

bool textTooLong(Printer& printer, const OrderedFormSize& size, double printerMmPerInchX, const EntryLayout& entry,
                 std::string_view text)
{
    if (entry.multiLine != 0)
        return false;
    Dc& dc = printer.dc();
    dc.SetMapMode(MM_TEXT);
    const int dpiX = dc.GetDeviceCaps(LOGPIXELSX);
    const int dpiY = dc.GetDeviceCaps(LOGPIXELSY);
    const double sx = printerPixelsPerPictureX(size, printerMmPerInchX, dpiX);
    dc.SelectFont(printFont(entry.font, dpiY));
    return dc.TextWidth(ansiToQString(text)) >= printedFieldWidth(entry, sx);
}
