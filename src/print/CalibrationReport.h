// What a measurement from a scan of the calibration sheet tells the user, beside the values the
// dialog holds now.
#pragma once

#include "print/Calibration.h"
#include "vision/CalibrationScan.h"

#include <QString>

// The four values with the current ones beside them, the skew, and the notes on uneven sides,
// an upside-down scan and values beyond the boxes' ranges.
QString calibrationReport(const CalibrationMeasurement& measurement, const Calibration& current);

// The notes alone, one a line; empty when there is nothing to note.
QString calibrationNotes(const CalibrationMeasurement& measurement);
