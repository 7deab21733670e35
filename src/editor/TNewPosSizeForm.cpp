#include "editor/TNewPosSizeForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QSpinBox* wholeNumberBox(QWidget* parent, const char* name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setMinimum(0);
    return box;
}

}  // namespace

TNewPosSizeForm::TNewPosSizeForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change size and position..."));
    LeftEd = wholeNumberBox(this, "LeftEd");
    TopEd = wholeNumberBox(this, "TopEd");
    WidthEd = wholeNumberBox(this, "WidthEd");
    HeightEd = wholeNumberBox(this, "HeightEd");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Left:"), LeftEd);
    form->addRow(QStringLiteral("Top:"), TopEd);
    form->addRow(QStringLiteral("Width:"), WidthEd);
    form->addRow(QStringLiteral("Height:"), HeightEd);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Here you can choose the size and position exactly."), this);
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<PositionSize> TNewPosSizeForm::ask(const PositionSize& values, int32_t maxX, int32_t maxY)
{
    // A picture of one pixel allows only 0; a box's largest value is never below its lowest.
    maxX = std::max(0, maxX);
    maxY = std::max(0, maxY);
    LeftEd->setMaximum(maxX);
    WidthEd->setMaximum(maxX);
    TopEd->setMaximum(maxY);
    HeightEd->setMaximum(maxY);
    LeftEd->setValue(values.left);
    TopEd->setValue(values.top);
    WidthEd->setValue(values.width);
    HeightEd->setValue(values.height);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return PositionSize{LeftEd->value(), TopEd->value(), WidthEd->value(), HeightEd->value()};
}
