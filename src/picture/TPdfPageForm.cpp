#include "picture/TPdfPageForm.h"

#include "picture/PdfPages.h"
#include "platform/Controls.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kPpiStep = 50;
}

TPdfPageForm::TPdfPageForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Open a PDF page"));
    PageEdit = new QSpinBox(this);
    PageEdit->setObjectName(QStringLiteral("PageEdit"));
    PpiEdit = new QSpinBox(this);
    PpiEdit->setObjectName(QStringLiteral("PpiEdit"));
    PpiEdit->setRange(kPdfMinPpi, kPdfMaxPpi);
    PpiEdit->setSingleStep(kPpiStep);
    PpiEdit->setValue(kPdfDefaultPpi);
    PpiEdit->setSuffix(QStringLiteral(" pixels per inch"));
    SizeLabel = new QLabel(this);
    PageLabel = new QLabel(QStringLiteral("Page:"), this);

    auto* choices = new QFormLayout;
    choices->addRow(PageLabel, PageEdit);
    choices->addRow(QStringLiteral("Resolution:"), PpiEdit);
    choices->addRow(SizeLabel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(okCancelRow(this, OkBtn, CancelBtn));

    connect(PageEdit, &QSpinBox::valueChanged, this, &TPdfPageForm::showSize);
    connect(PpiEdit, &QSpinBox::valueChanged, this, &TPdfPageForm::showSize);
}

void TPdfPageForm::prepareFor(const PdfFile& pdf)
{
    pdf_ = &pdf;
    PageEdit->setRange(1, pdf.pageCount());
    PageEdit->setValue(1);
    PageEdit->setSuffix(QStringLiteral(" of %1").arg(pdf.pageCount()));
    const bool several = pdf.pageCount() > 1;
    PageEdit->setVisible(several);
    PageLabel->setVisible(several);
    showSize();
}

int TPdfPageForm::page() const { return PageEdit->value(); }

int TPdfPageForm::ppi() const { return PpiEdit->value(); }

void TPdfPageForm::showSize()
{
    if (!pdf_)
        return;
    const PdfPageSize size = pdf_->pageSize(page());
    const auto [width, height] = pdf_->pixelSize(page(), ppi());
    SizeLabel->setText(QStringLiteral("%1 x %2 mm: a picture of %3 x %4 pixels")
                           .arg(size.widthMm(), 0, 'f', 1)
                           .arg(size.heightMm(), 0, 'f', 1)
                           .arg(width)
                           .arg(height));
}
