// The tie between picture pixels and millimetres on paper: two reference points on the picture
// and their positions on the sheet. Plain arithmetic over the document's numbers; the message
// boxes of the check live in FormSizePrompts.h.
#pragma once

#include "document/FormDocument.h"

#include <cstdint>
#include <optional>

// Both pairs of each coordinate in ascending order, each pair ordered for itself: the user may
// click the two points in any order.
struct OrderedFormSize {
    int32_t px1 = 0, px2 = 0, py1 = 0, py2 = 0;
    double x1mm = 0, x2mm = 0, y1mm = 0, y2mm = 0;

    double mmPerPixelX() const { return (x2mm - x1mm) / (double(px2) - px1); }
    double mmPerPixelY() const { return (y2mm - y1mm) / (double(py2) - py1); }
    // Paper position (mm from the left and top edges) of a picture pixel.
    PointD paperPosition(double px, double py) const;
    // Where the paper's top-left corner lies on the picture, in picture pixels.
    PointD paperOriginOnPicture() const;
};

OrderedFormSize orderFormSize(PointI first, PointI second, PointD firstMm, PointD secondMm);
OrderedFormSize orderFormSize(const FormDocument& document);

enum class FormSizeVerdict {
    Ok,
    Invalid,    // points or paper positions coincide in one direction
    PoorMatch,  // horizontal and vertical scale differ by more than ten percent
    TooCloseX,  // the points lie no more than half the picture width apart
    TooCloseY,
};

struct FormSizeCheck {
    FormSizeVerdict verdict = FormSizeVerdict::Ok;
    int match = 0;  // percentage, valid from PoorMatch on
};

// Smaller of two scales in percent of the larger, truncated; 100 when equal.
int scaleMatchPercent(double a, double b);

// The first problem found. With horizontalAccepted the horizontal distance test is skipped, so a
// caller whose user accepted a TooCloseX verdict can go on to the vertical test.
FormSizeCheck checkFormSize(const OrderedFormSize& size, int32_t pictureWidth, int32_t pictureHeight,
                            bool horizontalAccepted = false);

// What a number box of the form-size tab makes of a value: clamped to its range and rounded to
// two decimals the way the box shows it.
double boxValue(double value, double minimum, double maximum);

constexpr double kDistanceBoxMax = 9999;

// The form size as the window holds it: the four paper positions as the distance boxes of the
// form-size tab show them (boxValue over 0..kDistanceBoxMax). The window and velmora-print both
// print from these, so that a file's raw values print the same in either.
void holdPaperPositions(FormDocument& document);

// Easy mode: the picture is the whole sheet, width and height in inches.
struct EasyFormSize {
    PointI FirstPoint;
    PointI SecondPoint;
    PointD FirstPointMm;
    PointD SecondPointMm;  // as the distance boxes hold it
};
EasyFormSize easyFormSize(double widthInch, double heightInch, int32_t pictureWidth, int32_t pictureHeight);

struct EasySizeInch {
    double width = 0;
    double height = 0;
};
// The sheet's width and height in inches when the document's form size is one the easy mode
// makes for its picture (the picture is the whole sheet); nothing for a two-point form size.
std::optional<EasySizeInch> easySizeOf(const FormDocument& document);

// "Maintain aspect ratio": the other side of the sheet in the picture's proportion. A picture
// without pixels gives 0.
double coupledHeight(double width, int32_t pictureWidth, int32_t pictureHeight);
double coupledWidth(double height, int32_t pictureWidth, int32_t pictureHeight);

// The picture inside the point view keeps its aspect at the top-left corner.
struct ViewLayout {
    int32_t dw = 0;
    int32_t dh = 0;
};
ViewLayout pointViewLayout(int32_t boxWidth, int32_t boxHeight, int32_t pictureWidth, int32_t pictureHeight);

// The picture pixel under a click in the point view; not clamped, so a click beside the picture
// yields a point beyond it.
PointI viewClickToPicture(int32_t x, int32_t y, const ViewLayout& layout, int32_t pictureWidth,
                          int32_t pictureHeight);
// Where the marker of a picture point lies in the point view.
PointI pictureToView(PointI point, const ViewLayout& layout, int32_t pictureWidth, int32_t pictureHeight);
