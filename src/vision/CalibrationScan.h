// Measuring the printer from a scan of the printed calibration sheet. The paper's own edges are
// the length reference: mapping the scan onto the paper's known size takes out the scanner's
// scale, its skew and the sheet's position on the glass, so the marks' positions on the paper
// measure only the printer.
#pragma once

#include "imgrove/Dib.h"
#include "vision/CalibrationSheetLayout.h"
#include "vision/CalibrationValues.h"

#include <opencv2/core.hpp>

#include <optional>
#include <string>

// The printed size of a nominal 100 mm measured along each of the sheet's four scales.
struct SideScales {
    double top = 100;
    double bottom = 100;
    double left = 100;
    double right = 100;
};

// Scales of the two sides that differ by more than this many mm per 100 mm are reported.
constexpr double kSideScaleTolerance = 0.1;

struct CalibrationMeasurement {
    Calibration values;
    double skewDegrees = 0;  // the print turned on the paper, clockwise positive
    SideScales sides;
    bool sidesDiffer = false;
    int quarterTurns = 0;    // how the sheet lay in the scan, clockwise; 2 is upside down
    PaperSize paper{};
    double residualMm = 0;   // the marks' spread around the fitted placement, root mean square
};

struct CalibrationScanResult {
    std::optional<CalibrationMeasurement> measurement;
    std::string error;  // the message for the user when nothing could be measured
};

inline const char* const kNoSheetMessage =
    "No calibration sheet was found in the scan. Scan the whole printed sheet with all four edges of the paper "
    "on a dark background (leave the scanner lid open or lay a dark sheet behind it).";
inline const char* const kNoMarksMessage =
    "The scan shows a sheet of paper but not the marks of the calibration sheet. Print the calibration sheet with "
    "\"Measure from a scan...\" and scan that sheet whole.";
inline const char* const kUnknownPaperMessage =
    "The sheet in the scan is neither of the printer's paper size nor of a known one (A4, Letter, Legal, A5).";

// gray: the scan, 8-bit grey. printedWith: the calibration the sheet was printed with. paper:
// the printer's paper; when empty the known sizes are matched by the sheet's proportions.
CalibrationScanResult measureCalibrationScan(const cv::Mat& gray, const Calibration& printedWith,
                                             const std::optional<PaperSize>& paper = std::nullopt);

// A picture of any depth as 8-bit grey, rows top-down.
cv::Mat dibToGray(const Dib& dib);
