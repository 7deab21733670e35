// Where a printed page's pieces land: picture pixels -> millimetres on paper (form size) ->
// device pixels (printer calibration), plus the user's shift. Plain arithmetic, no widgets; the
// printer, the 200 pixels-per-inch page bitmap, the 150 pixels-per-inch preview and the
// command-line print tool all place through these functions, so they cannot drift apart.
//
// Every value stays a double until it is truncated toward zero, at exactly the points below; the
// top edge of a rectangle is truncated after the shift and the origin are added, unlike the other
// edges. Printouts made by earlier versions of the program rely on these truncations to the pixel.
#pragma once

#include "document/FormDocument.h"
#include "picture/DrawDib.h"
#include "platform/Dc.h"
#include "print/Calibration.h"
#include "print/FormSize.h"

#include <cstdint>

// Everything the placement needs besides the target resolution.
struct PlacementInput {
    OrderedFormSize formSize;  // orderFormSize(document)
    PlacementAxes axes;        // placementAxes(factors, margins, landscape)
    PointD shiftMm;            // the user's shift to the right and down ("Move the printout")
};

struct Placement {
    int rx = 0;  // target pixels per inch
    int ry = 0;
    double sx = 0;  // device pixels per picture pixel
    double sy = 0;
    double ox = 0;  // the paper's top-left corner on the picture, picture pixels
    double oy = 0;
    int32_t originX = 0;  // the same corner in device pixels
    int32_t originY = 0;
    int32_t shiftX = 0;   // shift minus the printer's margin, device pixels
    int32_t shiftY = 0;

    // An inclusive picture rectangle (a field's or an entry's) in device pixels.
    DcRect deviceRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // Source and destination of the picture: the part from the paper's corner to the picture's
    // right and bottom edges, drawn at (shiftX, shiftY). Not clipped: DrawDib clips a corner that
    // lies outside the picture.
    DrawRects pictureRects(int32_t pictureWidth, int32_t pictureHeight) const;
};

// The form size must be valid (IsFormSizeOk): coinciding points divide by zero.
Placement computePlacement(const PlacementInput& input, int rx, int ry);

// A font's height in device pixels for a size in points: -(size * ry div 72).
int32_t printFontHeight(int32_t sizePoints, int ry);

// The page bitmaps' resolutions: printing through a bitmap when the printer's two resolutions
// differ, and the preview.
constexpr int kPageBitmapPixelsPerInch = 200;
constexpr int kPreviewPixelsPerInch = 150;

// A page of pageWidth x pageHeight device pixels at dpiX x dpiY as a bitmap of
// bitmapPixelsPerInch in both directions (integer division, as the page bitmaps are sized).
DcSize pageBitmapSize(int32_t pageWidth, int32_t pageHeight, int dpiX, int dpiY, int bitmapPixelsPerInch);
