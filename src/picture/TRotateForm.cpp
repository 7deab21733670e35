#include "picture/TRotateForm.h"

#include "platform/Controls.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kGroup = QStringLiteral("TRotateForm");

}  // namespace

TRotateForm::TRotateForm(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Rotate picture..."));
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    RotLeftCheck = radioButton(QStringLiteral("Left"), "RotLeftCheck", direction);
    RotRightCheck = radioButton(QStringLiteral("Right"), "RotRightCheck", direction);
    auto* directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(RotLeftCheck);
    directionLayout->addWidget(RotRightCheck);

    auto* angle = new QGroupBox(QStringLiteral("Angel in degrees"), this);
    Grad90Check = radioButton(QStringLiteral("90"), "Grad90Check", angle);
    Grad180Check = radioButton(QStringLiteral("180"), "Grad180Check", angle);
    Grad270Check = radioButton(QStringLiteral("270"), "Grad270Check", angle);
    FreiGradCheck = radioButton(QStringLiteral("Free:"), "FreiGradCheck", angle);
    GradEdit = new QDoubleSpinBox(angle);
    GradEdit->setObjectName("GradEdit");
    GradEdit->setDecimals(2);
    GradEdit->setRange(0.01, 359.99);
    GradEdit->setValue(45);
    auto* angleLayout = new QGridLayout(angle);
    angleLayout->addWidget(Grad90Check, 0, 0);
    angleLayout->addWidget(Grad180Check, 1, 0);
    angleLayout->addWidget(Grad270Check, 2, 0);
    angleLayout->addWidget(FreiGradCheck, 3, 0);
    angleLayout->addWidget(GradEdit, 3, 1);

    Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFixedSize(40, 24);
    Shape1->setAutoFillBackground(true);
    ColorBtn = new QPushButton(QStringLiteral("Color"), this);
    ColorBtn->setObjectName("ColorBtn");
    connect(ColorBtn, &QPushButton::clicked, this, &TRotateForm::ColorBtnClick);
    InterpolCheck = new QCheckBox(QStringLiteral("Use interpolation"), this);
    InterpolCheck->setObjectName("InterpolCheck");
    InterpolCheck->hide();

    RotLeftCheck->setChecked(true);
    FreiGradCheck->setChecked(true);
    loadSettings();

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(Shape1);
    colorRow->addWidget(ColorBtn);
    colorRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(direction);
    groups->addWidget(angle);
    layout->addLayout(groups);
    layout->addLayout(colorRow);
    layout->addWidget(InterpolCheck);
    layout->addLayout(okCancelRow(this, OkBtn, CancelBtn));
}

void TRotateForm::loadSettings()
{
    const auto settings = openProgramSettings();
    settings->beginGroup(kGroup);
    (settings->value(QStringLiteral("RotRightCheck"), false).toBool() ? RotRightCheck : RotLeftCheck)->setChecked(true);
    const QString angle = settings->value(QStringLiteral("Angle"), QStringLiteral("Free")).toString();
    QRadioButton* checked = FreiGradCheck;
    if (angle == QLatin1String("90"))
        checked = Grad90Check;
    else if (angle == QLatin1String("180"))
        checked = Grad180Check;
    else if (angle == QLatin1String("270"))
        checked = Grad270Check;
    checked->setChecked(true);
    GradEdit->setValue(settings->value(QStringLiteral("GradEdit"), 45.0).toDouble());
    settings->endGroup();
}

void TRotateForm::done(int result)
{
    const auto settings = openProgramSettings();
    settings->beginGroup(kGroup);
    settings->setValue(QStringLiteral("RotRightCheck"), RotRightCheck->isChecked());
    QString angle = QStringLiteral("Free");
    if (Grad90Check->isChecked())
        angle = QStringLiteral("90");
    else if (Grad180Check->isChecked())
        angle = QStringLiteral("180");
    else if (Grad270Check->isChecked())
        angle = QStringLiteral("270");
    settings->setValue(QStringLiteral("Angle"), angle);
    settings->setValue(QStringLiteral("GradEdit"), GradEdit->value());
    settings->endGroup();
    QDialog::done(result);
}

void TRotateForm::setShapeColor(const QColor& color)
{
    color_ = color;
    QPalette palette = Shape1->palette();
    palette.setColor(QPalette::Window, color);
    Shape1->setPalette(palette);
}

void TRotateForm::prepareFor(int bitsPerPixel)
{
    const bool colored = bitsPerPixel > 8;
    setShapeColor(colored ? QColor(Qt::white) : QColor(Qt::black));
    Shape1->setVisible(colored);
    ColorBtn->setVisible(colored);
    InterpolCheck->setEnabled(bitsPerPixel == 24);
}

RotateOperation TRotateForm::operation() const
{
    const bool right = RotRightCheck->isChecked();
    if (Grad90Check->isChecked())
        return right ? RotateOperation::Right : RotateOperation::Left;
    if (Grad270Check->isChecked())
        return right ? RotateOperation::Left : RotateOperation::Right;
    if (Grad180Check->isChecked())
        return RotateOperation::Half;
    return RotateOperation::Free;
}

void TRotateForm::ColorBtnClick()
{
    if (const std::optional<QColor> chosen = prompts_.colorDialog(color_))
        setShapeColor(*chosen);
}
