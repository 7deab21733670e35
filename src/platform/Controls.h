// The controls every page and dialog builds the same way: a paint box whose painting, mouse and
// keys go to its owner's handlers, its size under a zoom, menu items, tool buttons and radio buttons.
#pragma once

#include <QAction>
#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>

class Dc;
class QAbstractScrollArea;
class QDialog;
class QHBoxLayout;
class QLayout;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

// What a paint box hands on; an empty handler leaves the event to the widget. Mouse positions
// are whole pixels of the box, rounded down.
struct PaintBoxHandlers {
    std::function<void()> paint = {};       // the owner makes its own device context
    std::function<void(Dc&)> paintOn = {};  // the box's device context
    std::function<void(Qt::MouseButton button, int x, int y)> mouseDown = {};
    std::function<void(int x, int y)> mouseMove = {};  // also while no button is held
    std::function<void(int x, int y)> mouseUp = {};
    std::function<bool(int key, bool shift)> keyDown = {};  // false: not taken, the widget's own
    // True while the box takes every key, the window's shortcuts too (a drag that keys must not
    // change under it).
    std::function<bool()> holdsKeys = {};
};

class PaintBox : public QWidget {
public:
    PaintBox(PaintBoxHandlers handlers, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    PaintBoxHandlers handlers_;
};

// A menu item; the hint, where there is one, is its tool tip and status tip.
QAction* menuItem(QMenu* menu, const char* name, const QString& text, const QString& hint = {});
// One that calls handler, a member of owner or a function, when it is chosen.
template <class Owner, class Handler>
QAction* menuItem(QMenu* menu, const char* name, const QString& text, const QString& hint, Owner* owner,
                  Handler handler)
{
    QAction* action = menuItem(menu, name, text, hint);
    QObject::connect(action, &QAction::triggered, owner, handler);
    return action;
}

struct ToolButtonLook {
    QString text = {};
    const char* name = nullptr;
    QString hint = {};
    bool checkable = false;
    int minimumWidth = 0;
};
// A flat tool button; the parent may be none when a layout takes it.
QToolButton* toolButton(const ToolButtonLook& look, QWidget* parent = nullptr);

// A zoomed paint box in a scroll box: the scroll box's visible area times the zoom.
void sizeToZoom(QWidget* paintBox, const QAbstractScrollArea* scrollBox, double zoom);
// Calls resized each time the scroll box's visible area changes size, for as long as the scroll
// box lives: a zoomed paint box follows the window.
void whenViewportResized(QAbstractScrollArea* scrollBox, std::function<void()> resized);

// A dialog's closing buttons, in this order at the right of a row.
QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons);
// Makes a dialog's "OK", its default button, and "Cancel", which accept and reject it, and the
// row that places them. Called when the layout is built, after the other controls are made, so
// that the two buttons come last in the tab order.
QHBoxLayout* okCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);

// into, where given, is the layout that places it.
QRadioButton* radioButton(const QString& caption, const char* name, QWidget* parent, QLayout* into = nullptr);

// The progress of a long piece of work shown on the window's progress bar: host is anything with
// SetProStatus(percent), and it outlives the work.
template <class Host>
std::function<void(int)> progressTo(Host& host)
{
    return [&host](int percent) { host.SetProStatus(percent); };
}
