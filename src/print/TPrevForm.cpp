#include "print/TPrevForm.h"

#include "imgrove/Numeric.h"
#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/WidgetDc.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

TPrevForm::TPrevForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Print preview"));
    setModal(true);
    resize(442, 380);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ScrollBox1 = new QScrollArea(this);
    PaintBox1 = new PaintBox({.paintOn = [this](Dc& dc) { PaintBox1Paint(dc); }}, ScrollBox1);
    ScrollBox1->setWidget(PaintBox1);
    PaintBox1->installEventFilter(this);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(ScrollBox1, 1);

    auto* panel = new QHBoxLayout;
    panel->setContentsMargins(8, 4, 8, 8);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    EveryPixelCheck = new QCheckBox(QStringLiteral("Enlarge"), this);
    panel->addWidget(BitBtn1);
    panel->addWidget(EveryPixelCheck);
    panel->addStretch();
    layout->addLayout(panel);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(EveryPixelCheck, &QCheckBox::clicked, this, &TPrevForm::EveryPixelCheckClick);
}

QSize TPrevForm::paintBoxSize() const
{
    if (!page_)
        return {0, 0};
    if (EveryPixelCheck->isChecked())
        return {page_->width(), page_->height()};
    return {truncToInt32(page_->width() * screenScale_), truncToInt32(page_->height() * screenScale_)};
}

void TPrevForm::showPage(const Bitmap& page, double screenScale)
{
    page_ = &page;
    screenScale_ = screenScale;
    PaintBox1->resize(paintBoxSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
    page_ = nullptr;
    PaintBox1->resize(0, 0);
}

void TPrevForm::PaintBox1Paint(Dc& dc)
{
    if (!page_)
        return;
    const QSize size = paintBoxSize();
    // The stretch only reads the bitmap; a memory context is how the transfers take a source.
    MemoryDc source(const_cast<Bitmap*>(page_));
    dc.SetStretchBltMode(COLORONCOLOR);
    dc.StretchBlt(0, 0, size.width(), size.height(), source, 0, 0, page_->width(), page_->height(), SRCCOPY);
    source.SelectBitmap(nullptr);
}

void TPrevForm::EveryPixelCheckClick()
{
    PaintBox1->resize(paintBoxSize());
    PaintBox1->update();
}

bool TPrevForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PaintBox1 && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(ScrollBox1->viewport(), event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
