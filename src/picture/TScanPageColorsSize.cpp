// The "Scan" tab's picture operations: colour depth and size.
#include "picture/TScanPage.h"

#include "host/FormHost.h"
#include "imageops/ColourDepth.h"
#include "imageops/ResizeDib.h"
#include "picture/DrawDib.h"
#include "picture/PictureFiles.h"
#include "picture/TDepthForms.h"
#include "picture/TResizeForm.h"
#include "platform/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

void TScanPage::buildColorsAndSize()
{
    FTiefeBtn = new QPushButton(QStringLiteral("Colors..."), this);
    FTiefeBtn->setObjectName("FTiefeBtn");
    FTiefeBtn->setToolTip(QStringLiteral("Change the number of colors"));
    SizeBtn = new QPushButton(QStringLiteral("Size..."), this);
    SizeBtn->setObjectName("SizeBtn");
    SizeBtn->setToolTip(QStringLiteral("Change the size of the picture "));
    connect(FTiefeBtn, &QPushButton::clicked, this, &TScanPage::FTiefeBtnClick);
    connect(SizeBtn, &QPushButton::clicked, this, &TScanPage::SizeBtnClick);
    DepthChangeForm = new TDepthChangeForm(this);
    DepthDownForm = new TDepthDownForm(this);
    ResizeForm = new TResizeForm(this);
}

void TScanPage::FTiefeBtnClick()
{
    const Dib& picture = host_.document().picture.get();
    const int bits = DibBitCount(picture);
    DepthChangeForm->ColorBox->setCurrentIndex(colorBoxItemFor(bits));
    if (DepthChangeForm->exec() != QDialog::Accepted)
        return;
    const int target = bitsForColorBoxItem(DepthChangeForm->ColorBox->currentIndex());
    const DibProgress progress = progressTo(host_);
    Dib changed;
    if (target > bits) {
        changed = DepthUpTo(picture, target, programRandomByte, progress);
    } else if (target < bits) {
        DepthDownForm->prepare(target);
        if (DepthDownForm->exec() != QDialog::Accepted)
            return;
        changed = DepthDownTo(picture, target, DepthDownForm->choice(), progress);
    }
    if (!changed.bits)
        return;
    host_.history().replacePicture(changed, QStringLiteral("Colour depth"));
    Tief->setText(QString::fromStdString(pictureInfo(host_.document().picture.get()).colors));
    repaintPreview();
}

void TScanPage::SizeBtnClick()
{
    const Dib& picture = host_.document().picture.get();
    ResizeForm->InterpolCheck->setEnabled(DibBitCount(picture) > 8);
    ResizeForm->setPictureSize(DibWidth(picture), DibHeight(picture));
    if (ResizeForm->exec() != QDialog::Accepted)
        return;
    DibOwner resized(Resize(picture, ResizeForm->BreitEdit->value(), ResizeForm->HochEdit->value(),
                            ResizeForm->InterpolCheck->isChecked(), progressTo(host_)));
    if (resized) {
        host_.history().replacePicture(resized.release(), QStringLiteral("Resize"));
        const Dib& result = host_.document().picture.get();
        host_.selection() = SelectionRect{0, 0, DibWidth(result), DibHeight(result)};
    } else {
        showError(host_.prompts(), QStringLiteral("Erro: Can not resize."));
    }
    showPictureInfo();
    host_.pictureChanged(PictureChange::Proportions);
    repaintPreview();
}
