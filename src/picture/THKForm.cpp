#include "picture/THKForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QSlider* trackBar(const char* name, int minimum, int maximum, int value, QWidget* parent)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(10);
    bar->setMinimumWidth(260);
    return bar;
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent)
{
    auto* result = new QPushButton(caption, parent);
    result->setObjectName(name);
    result->setAutoDefault(false);
    return result;
}

}  // namespace

THKForm::THKForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Brightness and contrast"));
    TrackBar1 = trackBar("TrackBar1", -127, 127, 0, this);
    TrackBar2 = trackBar("TrackBar2", 0, 200, 100, this);
    VschauBitBtn4 = button(QStringLiteral("Preview"), "VschauBitBtn4", this);
    BacksetBitBtn3 = button(QStringLiteral("Set back to default"), "BacksetBitBtn3", this);
    OkBitBtn1 = button(QStringLiteral("OK"), "OkBitBtn1", this);
    OkBitBtn1->setDefault(true);
    CancelBitBtn2 = button(QStringLiteral("Cancel"), "CancelBitBtn2", this);

    connect(VschauBitBtn4, &QPushButton::clicked, this, &THKForm::TrackBar1Change);
    connect(BacksetBitBtn3, &QPushButton::clicked, this, &THKForm::BacksetBitBtn3Click);
    connect(OkBitBtn1, &QPushButton::clicked, this, &THKForm::OkBitBtn1Click);
    connect(CancelBitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(QStringLiteral("Brightness:"), this), 0, 0);
    bars->addWidget(TrackBar1, 0, 1);
    bars->addWidget(new QLabel(QStringLiteral("Contrast:"), this), 1, 0);
    bars->addWidget(TrackBar2, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(VschauBitBtn4);
    buttons->addWidget(BacksetBitBtn3);
    buttons->addStretch(1);
    buttons->addWidget(OkBitBtn1);
    buttons->addWidget(CancelBitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bars);
    layout->addLayout(buttons);
}

void THKForm::setApply(std::function<void(int, int)> apply) { apply_ = std::move(apply); }

void THKForm::TrackBar1Change()
{
    if (apply_)
        apply_(TrackBar1->value(), TrackBar2->value());
}

void THKForm::OkBitBtn1Click()
{
    TrackBar1Change();
    accept();
}

void THKForm::BacksetBitBtn3Click()
{
    TrackBar1->setValue(0);
    TrackBar2->setValue(100);
}
