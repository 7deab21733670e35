// The printer calibration: the margins the printer cannot print on and the scale it really prints
// at, measured by the user on a printed test rectangle. One calibration for the installation,
// kept in "options.dat".
#pragma once

#include "imgrove/FileReplacement.h"
#include "vision/CalibrationValues.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The range of a calibration box.
struct CalibrationRange {
    double minimum;
    double maximum;
};
constexpr CalibrationRange kMarginRange{0, 6};
constexpr CalibrationRange kRectangleRange{95, 105};
constexpr double kCalibrationStep = 0.1;

// Each value clamped to its box's range and rounded to two decimals, as the boxes hold it.
Calibration normalisedCalibration(const Calibration& calibration);

constexpr int kCalibrationFileSize = 32;
inline const char* const kCalibrationFileName = "options.dat";

// Four little-endian doubles in the order left, top, width, height.
std::array<uint8_t, kCalibrationFileSize> encodeCalibration(const Calibration& calibration);
// Raw values as stored, not yet clamped; nothing when fewer than 32 bytes are given.
std::optional<Calibration> decodeCalibration(const uint8_t* bytes, int64_t size);

// Where the calibration is kept. The program's folder comes first, as long as it can be written;
// an installed program's folder usually cannot, and then the per-user folder takes the file, so a
// calibration is never silently lost.
struct CalibrationPlaces {
    QString programDir;
    QString userDir;
    // Whether new files can be made in a folder; the file system is asked when it is empty.
    std::function<bool(const QString&)> folderWritable = {};
};

// The places for a program in programDir. An installed program's folder (<prefix>/bin beside
// <prefix>/share/velmora) is shared system space that even an administrator's run must not
// write a calibration into, so there the per-user folder is the only place.
CalibrationPlaces programCalibrationPlaces(const QString& programDir, const QString& userDir);

// The folder "options.dat" is written to.
QString calibrationWriteDir(const CalibrationPlaces& places);
// The stored calibration, normalised; the defaults when no complete file is found.
Calibration readCalibration(const CalibrationPlaces& places);
// Writes through a temporary file renamed over the old one; false when the file could not be
// written whole (the old file then stays as it was), opened false when no file could be made.
WriteResult writeCalibration(const CalibrationPlaces& places, const Calibration& calibration);
// "options.dat" in dir.
QString calibrationFilePath(const QString& dir);

// Calibrated millimetres that one printer inch really covers, from a printed rectangle size.
double printerMmPerInch(double printedSizeMm);

// Scales and margins by the page's orientation: on a landscape page the sheet's portrait width
// runs down the page.
struct PlacementAxes {
    double scaleX;   // mm per printer inch across the page
    double scaleY;
    double marginX;  // mm
    double marginY;
};
PlacementAxes placementAxes(double PrinterMmPerInchX, double PrinterMmPerInchY, double LinksEd, double ObenEd,
                            bool landscape);

// A distance from the paper's edge in mm as device pixels from the printable origin, and a length
// in mm as device pixels; not yet truncated.
double paperToDevice(double mm, double margin, double scale, int pixelsPerInch);
double lengthToDevice(double mm, double scale, int pixelsPerInch);
