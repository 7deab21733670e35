#include "print/PrintPlacement.h"

#include "imgrove/Numeric.h"

Placement computePlacement(const PlacementInput& input, int rx, int ry)
{
    const OrderedFormSize& f = input.formSize;
    const PlacementAxes& a = input.axes;
    Placement p;
    p.rx = rx;
    p.ry = ry;
    // Pixel distances in doubles: a damaged form file's points may lie further apart than 32 bits
    // hold, and the form-size check lets them through.
    const double dx = double(f.px2) - f.px1;
    const double dy = double(f.py2) - f.py1;
    p.sx = (f.x2mm - f.x1mm) / a.scaleX * rx / dx;
    p.sy = (f.y2mm - f.y1mm) / a.scaleY * ry / dy;
    p.ox = f.px1 - dx * f.x1mm / (f.x2mm - f.x1mm);
    p.oy = f.py1 - dy * f.y1mm / (f.y2mm - f.y1mm);
    p.originX = truncToInt32(p.ox * p.sx);
    p.originY = truncToInt32(p.oy * p.sy);
    p.shiftX = truncToInt32((input.shiftMm.x - a.marginX) / a.scaleX * rx);
    p.shiftY = truncToInt32((input.shiftMm.y - a.marginY) / a.scaleY * ry);
    return p;
}

DcRect Placement::deviceRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    return DcRect{truncToInt32(left * sx) + shiftX - originX, truncToInt32(top * sy + shiftY - originY),
                  truncToInt32(right * sx) + shiftX - originX, truncToInt32(bottom * sy) + shiftY - originY};
}

DrawRects Placement::pictureRects(int32_t pictureWidth, int32_t pictureHeight) const
{
    DrawRects r;
    r.srcX = truncToInt32(ox);
    r.srcTop = truncToInt32(oy);
    r.srcWidth = pictureWidth - r.srcX;
    r.srcHeight = pictureHeight - r.srcTop;
    r.destX = shiftX;
    r.destY = shiftY;
    r.destWidth = truncToInt32(pictureWidth * sx) - originX;
    r.destHeight = truncToInt32(pictureHeight * sy) - originY;
    return r;
}

int32_t printFontHeight(int32_t sizePoints, int ry) { return int32_t(-(int64_t(sizePoints) * ry / 72)); }

DcSize pageBitmapSize(int32_t pageWidth, int32_t pageHeight, int dpiX, int dpiY, int bitmapPixelsPerInch)
{
    if (dpiX <= 0 || dpiY <= 0)
        return {};
    return DcSize{int32_t(int64_t(pageWidth) * bitmapPixelsPerInch / dpiX),
                  int32_t(int64_t(pageHeight) * bitmapPixelsPerInch / dpiY)};
}
