#include "picture/TResizeForm.h"

#include "platform/Controls.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("TResizeForm");

QSpinBox* sizeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(1, 32767);
    return edit;
}

}  // namespace

TResizeForm::TResizeForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change size"));
    BreitEdit = sizeEdit("BreitEdit", this);
    HochEdit = sizeEdit("HochEdit", this);
    SverhCheck = new QCheckBox(QStringLiteral("Maintain aspect ratio"), this);
    SverhCheck->setObjectName("SverhCheck");
    InterpolCheck = new QCheckBox(QStringLiteral("Use interpolation"), this);
    InterpolCheck->setObjectName("InterpolCheck");

    const auto settings = openProgramSettings();
    settings->beginGroup(kGroup);
    SverhCheck->setChecked(settings->value(QStringLiteral("SverhCheck"), true).toBool());
    InterpolCheck->setChecked(settings->value(QStringLiteral("InterpolCheck"), true).toBool());
    settings->endGroup();

    connect(BreitEdit, &QSpinBox::valueChanged, this, &TResizeForm::BreitEditChange);
    connect(HochEdit, &QSpinBox::valueChanged, this, &TResizeForm::HochEditChange);
    connect(SverhCheck, &QCheckBox::clicked, this, &TResizeForm::SverhCheckClick);

    auto* edits = new QFormLayout;
    edits->addRow(QStringLiteral("New width:"), BreitEdit);
    edits->addRow(QStringLiteral("New height:"), HochEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(edits);
    layout->addWidget(SverhCheck);
    layout->addWidget(InterpolCheck);
    layout->addLayout(okCancelRow(this, OkBtn, CancelBtn));
}

void TResizeForm::setPictureSize(int width, int height)
{
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    // The picture's own size is in proportion already; neither edit may re-derive the other.
    following_ = true;
    BreitEdit->setValue(width);
    following_ = true;
    HochEdit->setValue(height);
    following_ = false;
}

void TResizeForm::follow(QSpinBox* changed, QSpinBox* other, int numerator, int denominator)
{
    if (!SverhCheck->isChecked() || following_) {
        following_ = false;
        return;
    }
    const int value = int(int64_t(changed->value()) * numerator / denominator);
    // An edit set to the value it holds reports no change, and the flag would swallow the
    // user's next change.
    if (std::clamp(value, other->minimum(), other->maximum()) == other->value())
        return;
    following_ = true;
    other->setValue(value);
}

void TResizeForm::BreitEditChange() { follow(BreitEdit, HochEdit, height_, width_); }

void TResizeForm::HochEditChange() { follow(HochEdit, BreitEdit, width_, height_); }

void TResizeForm::SverhCheckClick() { BreitEditChange(); }

void TResizeForm::FormActivate() { following_ = false; }

void TResizeForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TResizeForm::done(int result)
{
    const auto settings = openProgramSettings();
    settings->beginGroup(kGroup);
    settings->setValue(QStringLiteral("SverhCheck"), SverhCheck->isChecked());
    settings->setValue(QStringLiteral("InterpolCheck"), InterpolCheck->isChecked());
    settings->endGroup();
    QDialog::done(result);
}
