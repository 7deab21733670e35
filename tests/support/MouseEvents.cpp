#include "support/MouseEvents.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

void sendMouse(QWidget& target, QEvent::Type type, QPointF pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, target.mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

void dragMouse(QWidget& target, QPointF from, QPointF to)
{
    sendMouse(target, QEvent::MouseButtonPress, from);
    sendMouse(target, QEvent::MouseMove, to);
    sendMouse(target, QEvent::MouseButtonRelease, to);
}
