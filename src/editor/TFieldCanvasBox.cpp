#include "editor/TFieldCanvasBox.h"

#include "platform/ProgramPictures.h"

#include <QCursor>

MouseButton mouseButtonOf(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        return MouseButton::Left;
    return button == Qt::RightButton ? MouseButton::Right : MouseButton::Other;
}

TFieldCanvasBox::TFieldCanvasBox(PaintBoxHandlers handlers, const QPalette& workspace, QWidget* parent)
    : PaintBox(std::move(handlers), parent)
{
    // Focus here moves the keyboard into the tab, which is when the main window reminds the
    // user to take changed fields over.
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setPalette(workspace);
    setAutoFillBackground(true);
}

void TFieldCanvasBox::showCursor(PointerShape cursor) { setCursor(qCursorFor(cursor)); }
