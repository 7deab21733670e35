#include "platform/Controls.h"

#include "imgrove/Numeric.h"
#include "platform/WidgetDc.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <cmath>
#include <utility>

namespace {

// Lives as the watched widget's child and hands on its resizes.
class ResizeWatcher : public QObject {
public:
    ResizeWatcher(QWidget* watched, std::function<void()> resized)
        : QObject(watched), resized_(std::move(resized))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            resized_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> resized_;
};

QPoint boxPoint(const QMouseEvent* event)
{
    return {int(std::floor(event->position().x())), int(std::floor(event->position().y()))};
}

}  // namespace

PaintBox::PaintBox(PaintBoxHandlers handlers, QWidget* parent) : QWidget(parent), handlers_(std::move(handlers))
{
    setMouseTracking(bool(handlers_.mouseMove));
}

void PaintBox::paintEvent(QPaintEvent* event)
{
    if (handlers_.paintOn) {
        WidgetDc dc(this);
        handlers_.paintOn(dc);
    } else if (handlers_.paint) {
        handlers_.paint();
    } else {
        QWidget::paintEvent(event);
    }
}

void PaintBox::mousePressEvent(QMouseEvent* event)
{
    if (!handlers_.mouseDown)
        return QWidget::mousePressEvent(event);
    // A message that the focus brought up before the press arrived takes the release; a press
    // whose button is up again by now would start a drag that never ends.
    if (event->spontaneous() && !(QGuiApplication::mouseButtons() & event->button()))
        return;
    const QPoint at = boxPoint(event);
    handlers_.mouseDown(event->button(), at.x(), at.y());
}

void PaintBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!handlers_.mouseMove)
        return QWidget::mouseMoveEvent(event);
    const QPoint at = boxPoint(event);
    handlers_.mouseMove(at.x(), at.y());
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (!handlers_.mouseUp)
        return QWidget::mouseReleaseEvent(event);
    const QPoint at = boxPoint(event);
    handlers_.mouseUp(at.x(), at.y());
}

void PaintBox::keyPressEvent(QKeyEvent* event)
{
    if (!handlers_.keyDown || !handlers_.keyDown(event->key(), event->modifiers() & Qt::ShiftModifier))
        QWidget::keyPressEvent(event);
}

bool PaintBox::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && handlers_.holdsKeys && handlers_.holdsKeys()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

QAction* menuItem(QMenu* menu, const char* name, const QString& text, const QString& hint)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

QToolButton* toolButton(const ToolButtonLook& look, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    if (look.name)
        button->setObjectName(QLatin1String(look.name));
    button->setText(look.text);
    if (!look.hint.isEmpty())
        button->setToolTip(look.hint);
    button->setCheckable(look.checkable);
    button->setAutoRaise(true);
    if (look.minimumWidth > 0)
        button->setMinimumWidth(look.minimumWidth);
    return button;
}

void sizeToZoom(QWidget* paintBox, const QAbstractScrollArea* scrollBox, double zoom)
{
    const QSize client = scrollBox->viewport()->size();
    paintBox->setFixedSize(zoomedExtent(client.width(), zoom), zoomedExtent(client.height(), zoom));
}

void whenViewportResized(QAbstractScrollArea* scrollBox, std::function<void()> resized)
{
    QWidget* viewport = scrollBox->viewport();
    viewport->installEventFilter(new ResizeWatcher(viewport, std::move(resized)));
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

QHBoxLayout* okCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName("OkBtn");
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName("CancelBtn");
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttonRow({ok, cancel});
}

QRadioButton* radioButton(const QString& caption, const char* name, QWidget* parent, QLayout* into)
{
    auto* button = new QRadioButton(caption, parent);
    if (name)
        button->setObjectName(QLatin1String(name));
    if (into)
        into->addWidget(button);
    return button;
}
