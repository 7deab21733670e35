#include "editor/TFieldCanvasBox.h"

#include "platform/ProgramPictures.h"
#include "platform/Screen.h"

#include <QCursor>

namespace {

QCursor qCursorFor(CanvasCursor cursor)
{
    switch (cursor) {
    case CanvasCursor::Cross:
        return Qt::CrossCursor;
    case CanvasCursor::SizeNwse:
        return Qt::SizeFDiagCursor;
    case CanvasCursor::SizeNesw:
        return Qt::SizeBDiagCursor;
    case CanvasCursor::SizeWe:
        return Qt::SizeHorCursor;
    case CanvasCursor::SizeNs:
        return Qt::SizeVerCursor;
    case CanvasCursor::PointingHand:
        return Qt::PointingHandCursor;
    case CanvasCursor::Grab:
        return screenCursor(kCursorDragHand);
    case CanvasCursor::Magnifier:
        return screenCursor(kCursorMagnifier);
    }
    return Qt::ArrowCursor;
}

}  // namespace

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

void TFieldCanvasBox::showCursor(CanvasCursor cursor) { setCursor(qCursorFor(cursor)); }
