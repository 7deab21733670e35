// A picture button made of two pictures of the same size at the same place, a normal one and a
// pressed one, only one of them shown at a time. Pressing shows the pressed picture; while the
// button is held, moving off shows the normal one and moving back shows the pressed one again;
// releasing shows the normal one and clicks only when released over the button.
#pragma once

#include <QPixmap>
#include <QWidget>

class HoverImageButton : public QWidget {
    Q_OBJECT
public:
    HoverImageButton(const QPixmap& normal, const QPixmap& pressed, const QString& hint,
                     QWidget* parent = nullptr);

    // On by default: the normal picture is back before the click action runs. Off (the print
    // pair): the pressed picture stays on screen while the click action works, and a press on
    // the pressed picture, while it is still shown, takes no click.
    void setPressedTakesClicks(bool on) { pressedTakesClicks_ = on; }
    bool pressedTakesClicks() const { return pressedTakesClicks_; }

    bool isPressedShown() const { return pressedShown_; }
    bool isHeld() const { return held_; }
    // Shows the normal picture and forgets a press in progress.
    void showNormal();

    QSize sizeHint() const override { return normal_.deviceIndependentSize().toSize(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showPressed(bool pressed);
    bool inside(const QPointF& pos) const;

    QPixmap normal_;
    QPixmap pressed_;
    bool pressedShown_ = false;
    bool held_ = false;
    bool pressedTakesClicks_ = true;
};
