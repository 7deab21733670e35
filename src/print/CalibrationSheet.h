// The calibration sheet on paper: its marks placed where the current calibration would place
// them, so a scan of the printout shows how far the printer is off that calibration.
#pragma once

#include "print/Calibration.h"
#include "vision/CalibrationScan.h"
#include "vision/CalibrationSheetLayout.h"

#include <QTransform>

class Printer;
class QPainter;

// Paper millimetres to device pixels from the printable origin, as a form print computes them.
QTransform paperToDeviceTransform(const Calibration& calibration, int dpiX, int dpiY);

// Draws the sheet; paperToDevice maps paper millimetres onto the painter's device.
void drawCalibrationSheet(QPainter& painter, const CalibrationSheetLayout& layout, const Calibration& printedWith,
                          const QTransform& paperToDevice);

// The printer's paper as the sheet's layout takes it.
PaperSize printerPaper(Printer& printer);

// One portrait page on printer (the printer's orientation is restored afterwards); false when
// the job could not be started or finished.
bool printCalibrationSheet(Printer& printer, const Calibration& calibration);
