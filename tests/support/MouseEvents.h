// Mouse events sent to a widget as a left-button user makes them: the button is held from the
// press until the release.
#pragma once

#include <QEvent>
#include <QPointF>

class QWidget;

// type is MouseButtonPress, MouseMove or MouseButtonRelease; pos is in the widget's coordinates.
void sendMouse(QWidget& target, QEvent::Type type, QPointF pos);
// A press, a move to `to` and a release there.
void dragMouse(QWidget& target, QPointF from, QPointF to);
