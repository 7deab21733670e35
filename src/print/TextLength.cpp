#include "print/TextLength.h"

#include "platform/CodePage.h"
#include "platform/Printer.h"
#include "print/DeviceFont.h"

#include <cmath>
#include <limits>

namespace {

// A rectangle from a form file can be anything; the product stops at the ends of int32.
int32_t truncated(double value)
{
    if (!(value > -2147483648.0))
        return std::numeric_limits<int32_t>::min();
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

}  // namespace

double printerPixelsPerPictureX(const OrderedFormSize& size, double printerMmPerInchX, int dpiX)
{
    // As the placement: the pixel distance may not fit 32 bits.
    return (size.x2mm - size.x1mm) / printerMmPerInchX * dpiX / (double(size.px2) - size.px1);
}

int64_t printedFieldWidth(const EntryLayout& entry, double sx)
{
    return int64_t(truncated(entry.right * sx)) - int64_t(truncated(entry.left * sx));
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
