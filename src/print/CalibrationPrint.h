// The calibration's test page: a rectangle of nominally 100 x 100 mm at the printer's first
// printable pixel, never corrected by the calibration, so the user can measure the printer.
#pragma once

class Printer;

// Device pixels of the rectangle's side (exclusive end) at a resolution.
int testRectangleExtent(int pixelsPerInch);

// One page on printer; false when the job could not be started or finished.
bool printTestRectangle(Printer& printer);
