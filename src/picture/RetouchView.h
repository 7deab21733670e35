// The geometry of the retouch view: where the picture is drawn, where the selection shows, and
// how pressing, dragging and hovering move the selection's edges. Plain C++; TRetouchPage
// feeds it the mouse and draws what it says.
#pragma once

#include "imageops/SelectionRect.h"

#include "platform/PointerShape.h"

#include <cstdint>

// The selection's edges in view pixels.
using ViewRect = IntRect;

class RetouchView {
public:
    // The painting's arithmetic: the drawn size fitted into the view, the scales, the limits
    // and the selection in view pixels.
    void layout(int32_t viewWidth, int32_t viewHeight, int32_t pictureWidth, int32_t pictureHeight,
                const SelectionRect& selection);

    enum class Press { Nothing, DragEdges, NewSelection };
    // A mouse button went down at (x, y) in view pixels; a new selection is written to
    // selection.
    Press press(int32_t x, int32_t y, SelectionRect& selection);
    // The mouse moved. While dragging the flagged edges follow it and the selection changes
    // (true: repaint); otherwise the hover flags are found.
    bool move(int32_t x, int32_t y, SelectionRect& selection);
    void release() { dragging_ = false; }

    PointerShape cursor() const;
    int32_t drawnWidth() const { return drawnWidth_; }
    int32_t drawnHeight() const { return drawnHeight_; }
    int32_t limitX() const { return limitX_; }
    int32_t limitY() const { return limitY_; }
    const ViewRect& viewRect() const { return view_; }
    bool dragging() const { return dragging_; }
    bool hovering() const { return hover_; }

private:
    void hoverAt(int32_t x, int32_t y);
    void selectionFromView(SelectionRect& selection) const;
    void viewFromSelection(const SelectionRect& selection);

    int32_t pictureWidth_ = 0;
    int32_t pictureHeight_ = 0;
    int32_t drawnWidth_ = 0;
    int32_t drawnHeight_ = 0;
    double scaleX_ = 0;
    double scaleY_ = 0;
    int32_t limitX_ = -1;
    int32_t limitY_ = -1;
    ViewRect view_;
    bool left_ = false;
    bool right_ = false;
    bool top_ = false;
    bool bottom_ = false;
    bool hover_ = false;
    bool dragging_ = false;
};
