// The program's own pictures (buttons, tab icons, cursors), drawn as SVG and built into the
// platform library, so every layer and its tests can use them.
#pragma once

#include "platform/PointerShape.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class HoverImageButton;
class QWidget;

// The picture ":/pictures/<name>.svg" at its own size, or scaled to size; a null pixmap when
// there is no such picture.
QPixmap programPicture(const QString& name, QSize size = {});
QIcon programIcon(const QString& name);

// A hover-image button from two of the program's pictures, e.g. ("GoBtn1", "GoBtn1Down").
HoverImageButton* makeHoverImageButton(const QString& normalName, const QString& pressedName,
                                       const QString& hint, QWidget* parent = nullptr);

// Screen cursors by number, as the field editor and the retouch view ask for them. The program
// registers its own under these numbers at start-up (loadScreenCursors); an unregistered
// number gives the arrow.
constexpr int kCursorDragHand = 9;   // "MYSB_DRAGC": grabbing hand, hot spot 15, 16
constexpr int kCursorMagnifier = 11; // "MYSB_LUPE": magnifying glass, hot spot 0, 0
void registerScreenCursor(int number, const QCursor& cursor);
QCursor screenCursor(int number);
bool hasScreenCursor(int number);
// Loads the two-colour 32 x 32 cursor "MYSB_DRAGC" as number 9 and "MYSB_LUPE" as number 11.
void loadScreenCursors();
// A two-colour 32 x 32 cursor from one of the program's pictures: dark pixels black, light
// pixels white, transparent pixels transparent.
QCursor programCursor(const QString& name, int hotX, int hotY);
// The cursor for a pointer shape; the grabbing hand and the magnifier are the registered ones.
QCursor qCursorFor(PointerShape shape);
