// Painting the field canvas: the fields from the top one down, each then kept out of the drawing
// area, and the picture once into what is left.
#pragma once

#include "document/FormDocument.h"
#include "editor/FieldCanvas.h"

class Dc;

// Canvas pixels per paper inch, so that names show at their printed size relative to the
// picture; 1 while the form size is not set up (checked without messages).
double canvasFontScale(const FormDocument& document, double printerMmPerInchX, double scaleX);

// Height on the canvas of a field font height: height x fontScale / screen pixels per inch,
// truncated toward zero.
int32_t canvasFontHeight(int32_t height, double fontScale, int screenPixelsPerInch);

void paintFieldCanvas(Dc& dc, const FormDocument& document, const CanvasGeometry& geometry, double fontScale,
                      int screenPixelsPerInch);
