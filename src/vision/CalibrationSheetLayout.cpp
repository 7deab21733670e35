#include "vision/CalibrationSheetLayout.h"

namespace {

// Marks every kScaleMarkSpacing mm between two corner marks, leaving one spacing free at each
// end so a scale mark never merges with a corner mark.
void addScale(std::vector<SheetMark>& marks, MarkRole role, double from, double to, double across, bool horizontal)
{
    for (double along = from + kScaleMarkSpacing; along <= to - kScaleMarkSpacing + 1e-9; along += kScaleMarkSpacing) {
        if (horizontal)
            marks.push_back({role, along, across, kScaleMarkSide});
        else
            marks.push_back({role, across, along, kScaleMarkSide});
    }
}

}  // namespace

CalibrationSheetLayout calibrationSheetLayout(const PaperSize& paper)
{
    const double left = kSheetInset;
    const double top = kSheetInset;
    const double right = paper.width - kSheetInset;
    const double bottom = paper.height - kSheetInset;
    CalibrationSheetLayout layout{paper, {}};
    auto& marks = layout.marks;
    marks.push_back({MarkRole::Corner, left, top, kCornerMarkSide});
    marks.push_back({MarkRole::Corner, right, top, kCornerMarkSide});
    marks.push_back({MarkRole::Corner, right, bottom, kCornerMarkSide});
    marks.push_back({MarkRole::Corner, left, bottom, kCornerMarkSide});
    marks.push_back({MarkRole::Orientation, left + kOrientationMarkOffset, top + kOrientationMarkOffset,
                     kOrientationMarkSide});
    addScale(marks, MarkRole::TopScale, left, right, top, true);
    addScale(marks, MarkRole::BottomScale, left, right, bottom, true);
    addScale(marks, MarkRole::LeftScale, top, bottom, left, false);
    addScale(marks, MarkRole::RightScale, top, bottom, right, false);
    return layout;
}

const std::vector<PaperSize>& knownPaperSizes()
{
    static const std::vector<PaperSize> sizes = {{210, 297}, {215.9, 279.4}, {215.9, 355.6}, {148, 210}};
    return sizes;
}
