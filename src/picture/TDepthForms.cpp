#include "picture/TDepthForms.h"

#include "platform/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kItemBits[4] = {1, 4, 8, 24};

QGroupBox* group(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    new QVBoxLayout(box);
    return box;
}

}  // namespace

int colorBoxItemFor(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 4:
        return 1;
    case 8:
        return 2;
    case 24:
        return 3;
    default:
        return 0;
    }
}

int bitsForColorBoxItem(int item) { return kItemBits[std::clamp(item, 0, 3)]; }

TDepthChangeForm::TDepthChangeForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Cange color count"));
    ColorBox = new QComboBox(this);
    ColorBox->setObjectName("ColorBox");
    ColorBox->addItems({QStringLiteral("1 bit - 2 colors"), QStringLiteral("4 bit - 16 colors"),
                        QStringLiteral("8 bit - 256 colors"), QStringLiteral("24 bit - 16,7 million colors")});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("More colors need more space!"), this));
    layout->addWidget(ColorBox);
    layout->addLayout(okCancelRow(this, OkBtn, CancelBtn));
}

TDepthDownForm::TDepthDownForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Less colors"));
    QGroupBox* palette = group(QStringLiteral("Palette"), this);
    OptPalCheck = radioButton(QStringLiteral("Optimized color palette"), "OptPalCheck", palette, palette->layout());
    StdPalCheck = radioButton(QStringLiteral("Default color palette"), "StdPalCheck", palette, palette->layout());
    QGroupBox* function = group(QStringLiteral("Function"), this);
    NearCheck = radioButton(QStringLiteral("Nearest color"), "NearCheck", function, function->layout());
    DitherCheck = radioButton(QStringLiteral("Default color palette"), "DitherCheck", function, function->layout());
    FSErrCheck = radioButton(QStringLiteral("Floyd-Steinberg dithering"), "FSErrCheck", function, function->layout());
    QGroupBox* options = group(QStringLiteral("Options"), this);
    WinColCheck = new QCheckBox(QStringLiteral("Include Windows colors"), options);
    WinColCheck->setObjectName("WinColCheck");
    options->layout()->addWidget(WinColCheck);

    OptPalCheck->setChecked(true);
    FSErrCheck->setChecked(true);
    WinColCheck->setChecked(true);
    connect(OptPalCheck, &QRadioButton::clicked, this, &TDepthDownForm::OptPalCheckClick);
    connect(StdPalCheck, &QRadioButton::clicked, this, &TDepthDownForm::StdPalCheckClick);

    auto* groups = new QHBoxLayout;
    groups->addWidget(palette);
    groups->addWidget(function);
    groups->addWidget(options);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(okCancelRow(this, OkBtn, CancelBtn));
}

void TDepthDownForm::prepare(int targetBits)
{
    const bool palettes = targetBits != 1;
    eightBit = targetBits == 8;
    OptPalCheck->setEnabled(palettes);
    StdPalCheck->setEnabled(palettes);
    DitherCheck->setEnabled(eightBit && !OptPalCheck->isChecked());
    FSErrCheck->setEnabled(true);
    NearCheck->setEnabled(true);
    WinColCheck->setEnabled(eightBit);
}

void TDepthDownForm::OptPalCheckClick()
{
    DitherCheck->setEnabled(!OptPalCheck->isChecked() && eightBit);
    WinColCheck->setEnabled(OptPalCheck->isChecked() && eightBit);
    if (!DitherCheck->isEnabled() && DitherCheck->isChecked())
        FSErrCheck->setChecked(true);
}

void TDepthDownForm::StdPalCheckClick() { OptPalCheckClick(); }

DepthDownChoice TDepthDownForm::choice() const
{
    DepthDownChoice result;
    result.optimizedPalette = OptPalCheck->isChecked();
    result.windowsColors = WinColCheck->isChecked();
    if (DitherCheck->isChecked())
        result.function = DepthFunction::Ordered;
    else if (FSErrCheck->isChecked())
        result.function = DepthFunction::FloydSteinberg;
    else
        result.function = DepthFunction::Nearest;
    return result;
}
