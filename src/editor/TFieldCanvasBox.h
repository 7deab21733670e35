// The widget of the field canvas: a paint box in the workspace colour that takes the keyboard,
// shows the cursor of each place on the canvas, and hands mouse buttons on as the canvas commands
// know them.
#pragma once

#include "editor/FieldCanvas.h"
#include "platform/Controls.h"

MouseButton mouseButtonOf(Qt::MouseButton button);

class TFieldCanvasBox : public PaintBox {
public:
    TFieldCanvasBox(PaintBoxHandlers handlers, const QPalette& workspace, QWidget* parent);
    void showCursor(PointerShape cursor);
};
