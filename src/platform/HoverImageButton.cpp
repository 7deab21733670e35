#include "platform/HoverImageButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

HoverImageButton::HoverImageButton(const QPixmap& normal, const QPixmap& pressed, const QString& hint, QWidget* parent)
    : QWidget(parent), normal_(normal), pressed_(pressed)
{
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void HoverImageButton::showNormal()
{
    held_ = false;
    showPressed(false);
}

void HoverImageButton::showPressed(bool pressed)
{
    if (pressedShown_ == pressed)
        return;
    pressedShown_ = pressed;
    repaint();
}

bool HoverImageButton::inside(const QPointF& pos) const
{
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() < width() && pos.y() < height();
}

void HoverImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), pressedShown_ ? pressed_ : normal_);
}

void HoverImageButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (pressedShown_ && !pressedTakesClicks_)
        return;
    held_ = true;
    showPressed(true);
}

void HoverImageButton::mouseMoveEvent(QMouseEvent* event)
{
    if (held_)
        showPressed(inside(event->position()));
}

void HoverImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !held_)
        return;
    const bool click = inside(event->position());
    held_ = false;
    if (click) {
        if (pressedTakesClicks_)
            showNormal();
        // The click action may close or delete the window that holds the button.
        const QPointer<HoverImageButton> self(this);
        emit clicked();
        if (!self)
            return;
    }
    showNormal();
}
