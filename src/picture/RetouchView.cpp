#include "picture/RetouchView.h"

#include "imgrove/Numeric.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kEdgeTolerance = 5;

int32_t divided(int32_t v, double scale) { return scale > 0 ? roundHalfEvenToInt32(v / scale) : 0; }

}  // namespace

void RetouchView::layout(int32_t viewWidth, int32_t viewHeight, int32_t pictureWidth, int32_t pictureHeight,
                         const SelectionRect& selection)
{
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        drawnWidth_ = drawnHeight_ = 0;
    } else {
        drawnWidth_ = viewWidth;
        drawnHeight_ = int32_t(int64_t(viewWidth) * pictureHeight / pictureWidth);
        if (drawnHeight_ > viewHeight) {
            drawnWidth_ = int32_t(int64_t(viewHeight) * pictureWidth / pictureHeight);
            drawnHeight_ = viewHeight;
        }
    }
    scaleX_ = pictureWidth > 0 ? double(drawnWidth_) / pictureWidth : 0;
    scaleY_ = pictureHeight > 0 ? double(drawnHeight_) / pictureHeight : 0;
    limitX_ = drawnWidth_ - 1;
    limitY_ = drawnHeight_ - 1;
    viewFromSelection(selection);
}

void RetouchView::viewFromSelection(const SelectionRect& selection)
{
    if (pictureWidth_ <= 0 || pictureHeight_ <= 0) {
        view_ = ViewRect{};
        return;
    }
    const auto at = [](int32_t drawn, int32_t v, int32_t picture) { return roundHalfEvenToInt32(double(drawn) * v / picture); };
    view_.left = at(drawnWidth_, selection.left, pictureWidth_);
    view_.top = at(drawnHeight_, selection.top, pictureHeight_);
    view_.right = std::min(at(drawnWidth_, selection.right, pictureWidth_), limitX_);
    view_.bottom = std::min(at(drawnHeight_, selection.bottom, pictureHeight_), limitY_);
}

void RetouchView::selectionFromView(SelectionRect& selection) const
{
    selection.left = divided(view_.left, scaleX_);
    selection.right = divided(view_.right, scaleX_);
    selection.top = divided(view_.top, scaleY_);
    selection.bottom = divided(view_.bottom, scaleY_);
}

RetouchView::Press RetouchView::press(int32_t x, int32_t y, SelectionRect& selection)
{
    if (hover_) {
        dragging_ = true;
        return Press::DragEdges;
    }
    if (x < 0 || y < 0 || x > limitX_ || y > limitY_)
        return Press::Nothing;
    dragging_ = true;
    view_ = ViewRect{x, y, x, y};
    right_ = bottom_ = true;
    selection.left = selection.right = divided(x, scaleX_);
    selection.top = selection.bottom = divided(y, scaleY_);
    viewFromSelection(selection);
    return Press::NewSelection;
}

bool RetouchView::move(int32_t x, int32_t y, SelectionRect& selection)
{
    if (!dragging_) {
        hoverAt(x, y);
        return false;
    }
    if (left_)
        view_.left = x;
    if (right_)
        view_.right = x;
    if (top_)
        view_.top = y;
    if (bottom_)
        view_.bottom = y;
    // One view pixel short of the limits: the last drawn column and row are never reached.
    view_.left = std::max(view_.left, 0);
    view_.top = std::max(view_.top, 0);
    view_.right = std::min(view_.right, limitX_ - 1);
    view_.bottom = std::min(view_.bottom, limitY_ - 1);
    selectionFromView(selection);
    if (selection.right < selection.left) {
        std::swap(selection.left, selection.right);
        std::swap(left_, right_);
    }
    if (selection.bottom < selection.top) {
        std::swap(selection.top, selection.bottom);
        std::swap(top_, bottom_);
    }
    viewFromSelection(selection);
    return true;
}

void RetouchView::hoverAt(int32_t x, int32_t y)
{
    const ViewRect& v = view_;
    const bool withinHeight = v.top <= y && y <= v.bottom;
    const bool withinWidth = v.left <= x && x <= v.right;
    left_ = v.left - kEdgeTolerance < x && x < v.left + kEdgeTolerance && x < v.right && withinHeight;
    right_ = !left_ && v.right - kEdgeTolerance < x && x < v.right + kEdgeTolerance && x > v.left && withinHeight;
    top_ = v.top - kEdgeTolerance < y && y < v.top + kEdgeTolerance && y < v.bottom && withinWidth;
    bottom_ = !top_ && v.bottom - kEdgeTolerance < y && y < v.bottom + kEdgeTolerance && y > v.top && withinWidth;
    hover_ = left_ || right_ || top_ || bottom_;
}

PointerShape RetouchView::cursor() const
{
    const bool horizontal = left_ || right_;
    const bool vertical = top_ || bottom_;
    if (horizontal && vertical)
        return (left_ && top_) || (right_ && bottom_) ? PointerShape::SizeNwse : PointerShape::SizeNesw;
    if (horizontal)
        return PointerShape::SizeWe;
    if (vertical)
        return PointerShape::SizeNs;
    return PointerShape::Arrow;
}
