#include "print/FormSize.h"

#include "imgrove/Numeric.h"
#include "picture/DrawDib.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

template <typename T>
void ascending(T& a, T& b)
{
    if (b < a)
        std::swap(a, b);
}

int32_t pictureDimension(int32_t value) { return value < 0 ? -value : value; }

}  // namespace

PointD OrderedFormSize::paperPosition(double px, double py) const
{
    return {x1mm + (px - px1) * mmPerPixelX(), y1mm + (py - py1) * mmPerPixelY()};
}

PointD OrderedFormSize::paperOriginOnPicture() const
{
    return {px1 - x1mm / mmPerPixelX(), py1 - y1mm / mmPerPixelY()};
}

OrderedFormSize orderFormSize(PointI first, PointI second, PointD firstMm, PointD secondMm)
{
    OrderedFormSize s{.px1 = first.x, .px2 = second.x, .py1 = first.y, .py2 = second.y,
                      .x1mm = firstMm.x, .x2mm = secondMm.x, .y1mm = firstMm.y, .y2mm = secondMm.y};
    ascending(s.px1, s.px2);
    ascending(s.py1, s.py2);
    ascending(s.x1mm, s.x2mm);
    ascending(s.y1mm, s.y2mm);
    return s;
}

OrderedFormSize orderFormSize(const FormDocument& document)
{
    return orderFormSize(document.FirstPoint, document.SecondPoint, document.FirstPointMm,
                         document.SecondPointMm);
}

int scaleMatchPercent(double a, double b)
{
    const double smaller = std::min(a, b);
    const double larger = std::max(a, b);
    if (smaller == larger)
        return 100;
    return int(std::trunc(100.0 * smaller / larger));
}

FormSizeCheck checkFormSize(const OrderedFormSize& size, int32_t pictureWidth, int32_t pictureHeight,
                            bool horizontalAccepted)
{
    // Pixel differences in 64 bits: points far outside the picture must not overflow.
    const int64_t dx = int64_t(size.px2) - size.px1;
    const int64_t dy = int64_t(size.py2) - size.py1;
    if (dx == 0 || dy == 0 || size.x2mm - size.x1mm == 0 || size.y2mm - size.y1mm == 0)
        return {FormSizeVerdict::Invalid, 0};

    const double mmPerPixelX = (size.x2mm - size.x1mm) / double(dx);
    const double mmPerPixelY = (size.y2mm - size.y1mm) / double(dy);
    // A damaged form file may hold NaN or infinite distances; they set no usable size.
    if (!std::isfinite(mmPerPixelX) || !std::isfinite(mmPerPixelY) || mmPerPixelX <= 0 || mmPerPixelY <= 0)
        return {FormSizeVerdict::Invalid, 0};
    const int match = scaleMatchPercent(mmPerPixelX, mmPerPixelY);
    if (match < 90)
        return {FormSizeVerdict::PoorMatch, match};

    if (!horizontalAccepted && !(int64_t(pictureWidth) * 50 / 100 < dx))
        return {FormSizeVerdict::TooCloseX, match};
    if (!(int64_t(pictureHeight) * 50 / 100 < dy))
        return {FormSizeVerdict::TooCloseY, match};
    return {FormSizeVerdict::Ok, match};
}

double boxValue(double value, double minimum, double maximum)
{
    if (std::isnan(value))
        return minimum;
    // Through the decimal text, as the box shows it: the shown digits are the value, ties rounded
    // away from zero as the box does.
    const double shown = QString::number(std::clamp(value, minimum, maximum), 'f', 2).toDouble();
    return std::clamp(shown, minimum, maximum);
}

void holdPaperPositions(FormDocument& document)
{
    const auto held = [](PointD mm) {
        return PointD{boxValue(mm.x, 0, kDistanceBoxMax), boxValue(mm.y, 0, kDistanceBoxMax)};
    };
    document.FirstPointMm = held(document.FirstPointMm);
    document.SecondPointMm = held(document.SecondPointMm);
}

EasyFormSize easyFormSize(double widthInch, double heightInch, int32_t pictureWidth, int32_t pictureHeight)
{
    EasyFormSize e;
    e.FirstPointMm = {0, 0};
    e.SecondPointMm = {boxValue(widthInch * MmPerInch, 0, kDistanceBoxMax),
                       boxValue(heightInch * MmPerInch, 0, kDistanceBoxMax)};
    e.FirstPoint = {0, 0};
    e.SecondPoint = {pictureDimension(pictureWidth), pictureDimension(pictureHeight)};
    return e;
}

std::optional<EasySizeInch> easySizeOf(const FormDocument& document)
{
    const Dib& picture = document.picture.get();
    const PointI corner{pictureDimension(DibWidth(picture)), pictureDimension(DibHeight(picture))};
    if (document.FirstPoint != PointI{0, 0} || document.FirstPointMm != PointD{0, 0} || document.SecondPoint != corner)
        return std::nullopt;
    return EasySizeInch{document.SecondPointMm.x / MmPerInch, document.SecondPointMm.y / MmPerInch};
}

double coupledHeight(double width, int32_t pictureWidth, int32_t pictureHeight)
{
    if (pictureWidth == 0)
        return 0;
    return double(pictureDimension(pictureHeight)) * width / double(pictureDimension(pictureWidth));
}

double coupledWidth(double height, int32_t pictureWidth, int32_t pictureHeight)
{
    if (pictureHeight == 0)
        return 0;
    return double(pictureDimension(pictureWidth)) * height / double(pictureDimension(pictureHeight));
}

ViewLayout pointViewLayout(int32_t boxWidth, int32_t boxHeight, int32_t pictureWidth, int32_t pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return {0, 0};
    int64_t dw = boxWidth;
    int64_t dh = int64_t(boxWidth) * pictureHeight / pictureWidth;
    if (boxHeight < dh) {
        dh = boxHeight;
        dw = int64_t(boxHeight) * pictureWidth / pictureHeight;
    }
    return {int32_t(dw), int32_t(dh)};
}

PointI viewClickToPicture(int32_t x, int32_t y, const ViewLayout& layout, int32_t pictureWidth,
                          int32_t pictureHeight)
{
    if (layout.dw <= 0 || layout.dh <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {0, 0};
    const double sx = double(layout.dw) / pictureWidth;
    const double sy = double(layout.dh) / pictureHeight;
    return {roundHalfEvenToInt32(x / sx), roundHalfEvenToInt32(y / sy)};
}

PointI pictureToView(PointI point, const ViewLayout& layout, int32_t pictureWidth, int32_t pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return {0, 0};
    return {truncToInt32(double(point.x) * layout.dw / pictureWidth),
            truncToInt32(double(point.y) * layout.dh / pictureHeight)};
}
