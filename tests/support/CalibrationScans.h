// Scans of a printed calibration sheet made up from known values: a printer that prints with
// its own margins, scale and skew, a scanner with its own scale and the sheet lying askew on its
// glass, then blur and noise. The sheet is drawn by the program's own sheet drawing.
#pragma once

#include "print/Calibration.h"
#include "vision/CalibrationSheetLayout.h"

#include <QImage>
#include <QPointF>

#include <opencv2/core.hpp>

struct ScanSetup {
    Calibration truth{3.2, 4.1, 100.6, 99.5};  // where and how large the printer really prints
    Calibration printedWith{};                 // the calibration the sheet was printed with
    double printerSkewDegrees = 0;
    // The printer's scale across the sheet grows from top to bottom by this factor.
    double bottomWidthFactor = 1;
    PaperSize paper{210, 297};
    int printerDpi = 600;
    double scanDpi = 200;
    double scannerScaleX = 1.003;
    double scannerScaleY = 0.997;
    double glassSkewDegrees = 0.6;
    QPointF paperOnGlassMm{7, 5};
    bool upsideDown = false;
    double blurSigmaPx = 0.8;
    double noiseSigma = 4;
    enum class Content { Sheet, BlankPaper, TextPage, NoPaper } content = Content::Sheet;
    unsigned seed = 1;
};

cv::Mat generatedScan(const ScanSetup& setup);
QImage grayImage(const cv::Mat& gray);
