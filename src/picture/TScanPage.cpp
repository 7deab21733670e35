#include "picture/TScanPage.h"

#include "host/FormHost.h"
#include "imgrove/DibFiles.h"
#include "picture/DrawDib.h"
#include "picture/PdfPages.h"
#include "picture/PictureFiles.h"
#include "picture/TPdfPageForm.h"
#include "platform/BusyCursor.h"
#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/HoverImageButton.h"
#include "platform/LocalFileName.h"
#include "platform/ProgramPictures.h"
#include "platform/WidgetDc.h"
#include "platform/WriteFailure.h"
#include "scanlink2/Scanlink2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

// Runs a picture file operation under the busy cursor with its progress on the bar, which is
// cleared before and after.
void withProgress(FormHost& host, const std::function<void(const DibProgress&)>& work)
{
    BusyCursor busy;
    host.SetProStatus(0);
    work(progressTo(host));
    host.SetProStatus(0);
}


// The picture files' filter with PDF files beside them: a form may come as a PDF page.
QString openFilterWithPdf()
{
    QString filter = QString::fromStdString(GetDIBOpenFilter());
    const qsizetype firstPatternsEnd = filter.indexOf(u'|', filter.indexOf(u'|') + 1);
    filter.insert(firstPatternsEnd, QStringLiteral(";*.pdf"));
    const qsizetype allFiles = filter.lastIndexOf(QStringLiteral("|All files"));
    filter.insert(allFiles, QStringLiteral("|PDF files (*.pdf)|*.pdf"));
    return filter;
}

QLineEdit* makeInfoBox(const QString& designText, const QString& hint, QWidget* parent)
{
    auto* box = new QLineEdit(designText, parent);
    box->setReadOnly(true);
    box->setToolTip(hint);
    box->setStatusTip(hint);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

}  // namespace

TScanPage::TScanPage(FormHost& host, QWidget* parent)
    : QWidget(parent), host_(host), openFilter_(openFilterWithPdf())
{
    OpenBtn = new QPushButton(tr("Open picture..."), this);
    OpenBtn->setObjectName("OpenBtn");
    OpenBtn->setToolTip("Opens a scanned form from hard disk.");
    SaveBtn = new QPushButton(tr("Save picture as..."), this);
    SaveBtn->setObjectName("SaveBtn");
    SaveBtn->setToolTip("Save the picture in a file");
    connect(OpenBtn, &QPushButton::clicked, this, &TScanPage::OpenPicBtnClick);
    connect(SaveBtn, &QPushButton::clicked, this, &TScanPage::SaveBtnClick);

    ScanBtn = makeHoverImageButton("ScanBtn", "ScanBtnDown", "Start user interface", this);
    ScanBtn->setObjectName("ScanBtn");
    TSetupBtn = makeHoverImageButton("TSetupBtn", "TsetupBtnDown", "Select scanner", this);
    TSetupBtn->setObjectName("TSetupBtn");
    connect(TSetupBtn, &HoverImageButton::clicked, this, &TScanPage::SelectButtonClick);
    connect(ScanBtn, &HoverImageButton::clicked, this, &TScanPage::ScanButtonClick);

    BreitED = makeInfoBox("320 Pixels", "Width of the picture", this);
    BreitED->setObjectName("BreitED");
    HochED = makeInfoBox("200 Pixels", "Height of the picture", this);
    HochED->setObjectName("HochED");
    Tief = makeInfoBox("256", "Number of colors", this);
    Tief->setObjectName("Tief");

    PrevPaintBox = new PaintBox({.paint = [this] { PrevPaintBoxPaint(); }}, this);
    PrevPaintBox->setObjectName("PrevPaintBox");
    PrevPaintBox->setToolTip("Preview of the picture");
    PrevPaintBox->setMinimumSize(160, 120);
    PrevPaintBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* scanner = new QGroupBox(tr("Scanner"), this);
    auto* scannerLayout = new QHBoxLayout(scanner);
    scannerLayout->addWidget(TSetupBtn);
    scannerLayout->addWidget(ScanBtn);

    auto* files = new QGroupBox(tr("Picture file"), this);
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addWidget(OpenBtn);
    filesLayout->addWidget(SaveBtn);

    auto* info = new QGroupBox(tr("Picture"), this);
    auto* infoLayout = new QFormLayout(info);
    infoLayout->addRow(tr("Width:"), BreitED);
    infoLayout->addRow(tr("Height:"), HochED);
    infoLayout->addRow(tr("Colors:"), Tief);
    buildColorsAndSize();
    PdfPageForm = new TPdfPageForm(this);
    infoLayout->addRow(FTiefeBtn, SizeBtn);

    auto* side = new QVBoxLayout;
    side->addWidget(scanner);
    side->addWidget(files);
    side->addWidget(info);
    side->addStretch(1);

    auto* preview = new QGroupBox(tr("Preview"), this);
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->addWidget(PrevPaintBox);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(preview, 1);
}

void TScanPage::OpenPicBtnClick()
{
    FileRequest request;
    request.filter = openFilter_;
    request.fileName = lastOpenName_;
    const std::optional<FileChoice> choice = host_.prompts().openFile(request);
    if (!choice)
        return;
    lastOpenName_ = choice->fileName;
    if (isPdfFile(choice->fileName)) {
        openPdfPage(choice->fileName);
        return;
    }

    DibOwner opened;
    withProgress(host_, [&](const DibProgress& progress) {
        opened = DibOwner(OpenDib(localFileName(choice->fileName), DibFormatAuto, progress));
    });
    if (!opened) {
        showError(host_.prompts(), "Can not open the file.", "Error");
        return;
    }
    // The form no longer comes from the PDF it may have come from.
    host_.document().originalPdf.reset();
    host_.takeInNewPicture(opened.release());
}

void TScanPage::openPdfPage(const QString& fileName)
{
    QString error;
    std::unique_ptr<PdfFile> pdf;
    {
        BusyCursor busy;
        pdf = PdfFile::open(fileName, &error);
    }
    if (!pdf) {
        showError(host_.prompts(), error, QStringLiteral("Error"));
        return;
    }
    PdfPageForm->prepareFor(*pdf);
    if (PdfPageForm->exec() != QDialog::Accepted)
        return;
    DibOwner picture;
    withProgress(host_, [&](const DibProgress& progress) {
        picture = pdf->render(PdfPageForm->page(), PdfPageForm->ppi(), progress, &error);
    });
    if (!picture) {
        showError(host_.prompts(), error, QStringLiteral("Error"));
        return;
    }
    host_.takeInNewPicture(picture.release(), TakeIn::Full, QStringLiteral("Open PDF page"));
    UndoStep step(host_.history(), PartFormSize, QStringLiteral("Form size of the PDF page"));
    setFormFromPdfPage(host_.document(), *pdf, PdfPageForm->page());
    host_.formSizeReplaced();
}

void TScanPage::SaveBtnClick()
{
    FileRequest request;
    request.filter = QString::fromStdString(GetDIBSaveFilter());
    request.filterIndex = lastSaveFilterIndex_;
    request.fileName = lastSaveName_;
    const std::optional<FileChoice> choice = host_.prompts().saveFile(request);
    if (!choice)
        return;
    lastSaveFilterIndex_ = choice->filterIndex;

    const SaveTarget target = saveTargetFor(localFileName(choice->fileName), choice->filterIndex);
    const QString targetName = QFile::decodeName(QByteArray::fromStdString(target.fileName));
    lastSaveName_ = targetName;
    // The extension may be added only now, after the dialog, so the dialog could not have
    // asked about replacing this name.
    if (QFileInfo::exists(targetName)) {
        const QString question = QString("%1 already exists.\nDo you want to replace it?")
                                     .arg(QDir::toNativeSeparators(targetName));
        if (host_.prompts().message(question, QString(), MsgIcon::Warning, MsgButtons::YesNo) != MsgAnswer::Yes)
            return;
    }

    WriteResult saved;
    withProgress(host_, [&](const DibProgress& progress) {
        saved = SaveDib(host_.document().picture.get(), target.fileName, target.formatCode, progress);
    });
    if (!saved)
        showError(host_.prompts(),
                  saved.opened ? writeFailureText(targetName, saved.error) : QStringLiteral("Can not save the file."));
}

void TScanPage::SelectButtonClick()
{
    TSetupBtn->showNormal();
    TWAIN_SelectScanner(window(), &host_.prompts());
}

// The scan goes on beside the program; its picture arrives at the main window as a message.
void TScanPage::ScanButtonClick()
{
    ScanBtn->showNormal();
    TWAIN_ScanImage(window(), &host_.prompts());
}

void TScanPage::showPictureInfo()
{
    const PictureInfo texts = pictureInfo(host_.document().picture.get());
    BreitED->setText(QString::fromStdString(texts.width));
    HochED->setText(QString::fromStdString(texts.height));
    Tief->setText(QString::fromStdString(texts.colors));
}

void TScanPage::repaintPreview() { PrevPaintBox->update(); }

void TScanPage::PrevPaintBoxPaint()
{
    const Dib& picture = host_.document().picture.get();
    if (!picture.bits)
        return;
    const int32_t width = DibWidth(picture);
    const int32_t height = DibHeight(picture);
    const ThumbSize size = thumbnailSize(PrevPaintBox->width(), PrevPaintBox->height(), width, height);
    if (size.width <= 0 || size.height <= 0)
        return;
    WidgetDc dc(PrevPaintBox);
    DrawDib(dc, 0, 0, size.width, size.height, picture, 0, 0, width, height, true, SRCCOPY, false);
}
