// The calibration sheet: filled squares at known millimetres on the paper, which a scan of the
// printed sheet finds again. Four large corner squares locate the sheet, a mid-sized square
// beside the top-left one tells which way up it lies, and a row of small squares along each of
// the four sides measures the printer's scale on both sides of the sheet.
#pragma once

#include <vector>

enum class MarkRole { Corner, Orientation, TopScale, BottomScale, LeftScale, RightScale };

struct SheetMark {
    MarkRole role;
    double x;     // centre, mm from the paper's left edge
    double y;     // centre, mm from the paper's top edge
    double side;  // mm
};

struct PaperSize {
    double width;   // mm, portrait
    double height;  // mm
    bool operator==(const PaperSize&) const = default;
};

// Far enough inside the paper that neither the widest margin a printer may have, nor its
// unprintable strip at the bottom, nor a few per cent of scale error or degrees of skew move a
// mark off the page or onto the paper's edge.
constexpr double kSheetInset = 20;
constexpr double kCornerMarkSide = 6;
constexpr double kOrientationMarkSide = 3.5;
// Along the diagonal from the top-left corner mark, in each direction.
constexpr double kOrientationMarkOffset = 9;
constexpr double kScaleMarkSide = 2;
constexpr double kScaleMarkSpacing = 10;

struct CalibrationSheetLayout {
    PaperSize paper;
    std::vector<SheetMark> marks;
};

// The marks for a portrait sheet of paper.
CalibrationSheetLayout calibrationSheetLayout(const PaperSize& paper);

// The paper sizes a scan is matched against when none is given: A4, Letter, Legal, A5.
const std::vector<PaperSize>& knownPaperSizes();
