// Made-up forms with known fields: boxes with their labels before, above or inside them, underlines
// after a label, rows of character boxes and a table, drawn on an A4 page at a chosen
// resolution in English or German; then the marks a scan leaves (skew, grey paper, blur,
// noise, JPEG).
#pragma once

#include "vision/FieldDetection.h"

#include <QImage>

#include <string>
#include <vector>

struct TrueField {
    PixelRect rect;  // the inside of the printed box, or the underline's field, in page pixels
    ProposalKind kind;
    std::string name;  // the field name the label should give, UTF-8
    int cells = 0;
};

struct GeneratedForm {
    QImage page;  // grey, 8 bits
    std::vector<TrueField> fields;
    double pixelsPerMm = 0;
};

enum class FormLanguage { English, German };

// variant moves the fields around so that several forms differ.
GeneratedForm generatedForm(double ppi, FormLanguage language, int variant = 0);

struct ScanMarks {
    double skewDegrees = 0;  // clockwise
    int paperGrey = 255;
    double blurSigmaPx = 0;
    double noiseSigma = 0;
    int jpegQuality = 0;  // 0: none
    unsigned seed = 1;
};
QImage scannedPage(const QImage& page, const ScanMarks& marks);

// An 8-bit grey picture with its resolution in the header, for the detection.
Dib dibFromGray(const QImage& gray, double pixelsPerMm);
QImage grayFromDib(const Dib& dib);

// Where a field of a page of width x height lies once the page was scanned askew (turned about
// its centre, size kept) and straightened by the free rotation into straightWidth x
// straightHeight.
PixelRect movedToStraightened(const PixelRect& rect, int width, int height, int straightWidth, int straightHeight);
