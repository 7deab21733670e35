#include "print/TPrintPage.h"

#include "host/FormHost.h"
#include "platform/Controls.h"
#include "platform/HoverImageButton.h"
#include "platform/Printer.h"
#include "platform/ProgramPictures.h"
#include "platform/Screen.h"
#include "platform/WriteFailure.h"
#include "print/Calibration.h"
#include "print/FormSizePrompts.h"
#include "print/NumberBox.h"
#include "print/PdfOverlay.h"
#include "print/PrinterChoice.h"
#include "print/TKalForm.h"
#include "print/TPrevForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QPrinter>
#include <QShowEvent>
#include <QVBoxLayout>

#include <numeric>

namespace {

// The shift boxes take any value: a printer may be off by more than a page.
constexpr double kShiftLimit = 1e6;
constexpr double kShiftStep = 0.1;
const char* const kAlternateKey = "spezialprintcheck";

}  // namespace

TPrintPage::TPrintPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    hasPrinters = systemHasPrinters;
    auto* layout = new QVBoxLayout(this);

    auto* printerGroup = new QGroupBox(QStringLiteral("Printer settings"), this);
    auto* printerLayout = new QVBoxLayout(printerGroup);
    RadioButton1 = radioButton(QStringLiteral("Print to the original form (print record only)"), nullptr, printerGroup,
                               printerLayout);
    RadioButton2 = radioButton(QStringLiteral("Print scanned form and the records"), nullptr, printerGroup, printerLayout);
    spezialprintcheck = new QCheckBox(QStringLiteral("Alternate printing function"), printerGroup);
    RadioButton1->setChecked(true);
    OriginalPdfCheck = new QCheckBox(QStringLiteral("Original PDF page underneath"), printerGroup);
    OriginalPdfCheck->setToolTip(QStringLiteral("When printing into a PDF file: the original page of the form, "
                                                "sharp and unchanged, under the values"));
    OriginalPdfCheck->setChecked(true);
    printerLayout->addWidget(OriginalPdfCheck);
    printerLayout->addWidget(spezialprintcheck);

    auto* whatGroup = new QGroupBox(QStringLiteral("What to print"), this);
    auto* whatLayout = new QVBoxLayout(whatGroup);
    ADSatzCheck = radioButton(QStringLiteral("Current record"), nullptr, whatGroup, whatLayout);
    NameDCheck = radioButton(QStringLiteral("Print the names of the form fields"), nullptr, whatGroup, whatLayout);
    ADSatzCheck->setChecked(true);

    auto* moveGroup = new QGroupBox(QStringLiteral("Move the printout: for correction"), this);
    auto* moveLayout = new QGridLayout(moveGroup);
    VerschXin = new NumberBox(-kShiftLimit, kShiftLimit, kShiftStep, 0, moveGroup);
    VerschYin = new NumberBox(-kShiftLimit, kShiftLimit, kShiftStep, 0, moveGroup);
    // Sized for the shifts people use, not for the widest number the boxes take.
    VerschXin->setMaximumWidth(90);
    VerschYin->setMaximumWidth(90);
    // Each label above its box keeps the group narrow.
    moveLayout->addWidget(new QLabel(QStringLiteral("Move to the right:"), moveGroup), 0, 0, 1, 2);
    moveLayout->addWidget(VerschXin, 1, 0);
    moveLayout->addWidget(new QLabel(QStringLiteral("inch"), moveGroup), 1, 1);
    moveLayout->addWidget(new QLabel(QStringLiteral("Move to the bottom"), moveGroup), 2, 0, 1, 2);
    moveLayout->addWidget(VerschYin, 3, 0);
    moveLayout->addWidget(new QLabel(QStringLiteral("inch"), moveGroup), 3, 1);

    KalPrinterBtn = new QPushButton(QStringLiteral("Calibrate printer..."), this);
    KalPrinterBtn->setToolTip(QString::fromLatin1(kCalibrationIntroduction));
    PrintAllBtn = new QPushButton(QStringLiteral("Print all records"), this);
    PrevBtn = new QPushButton(QStringLiteral("Preview..."), this);
    auto* commands = new QVBoxLayout;
    commands->addWidget(PrevBtn);
    commands->addWidget(PrintAllBtn);
    commands->addWidget(KalPrinterBtn);
    commands->addStretch();

    // Two columns keep the tab narrow enough for the main window's smallest size.
    auto* groups = new QGridLayout;
    groups->addWidget(printerGroup, 0, 0);
    groups->addWidget(whatGroup, 1, 0);
    groups->addWidget(moveGroup, 0, 1);
    groups->addLayout(commands, 1, 1);
    groups->setColumnStretch(2, 1);
    layout->addLayout(groups);
    layout->addStretch();

    GoBtn1 = makeHoverImageButton(QStringLiteral("GoBtn1"), QStringLiteral("GoBtn1Down"),
                                  QStringLiteral("Print the form"), this);
    GoBtn1->setPressedTakesClicks(false);
    SetupBtn = makeHoverImageButton(QStringLiteral("SetupBtn"), QStringLiteral("SetupBtnDown"),
                                    QStringLiteral("Printer setup"), this);
    auto* printRow = new QHBoxLayout;
    printRow->addStretch();
    printRow->addWidget(SetupBtn);
    printRow->addWidget(GoBtn1);
    layout->addLayout(printRow);

    KalForm = new TKalForm(host_.programDir(), host_.prompts(), this);
    KalForm->hasPrinters = [this] { return hasPrinters(); };
    PrevForm = new TPrevForm(this);
    connect(KalPrinterBtn, &QPushButton::clicked, this, &TPrintPage::KalPrinterBtnClick);
    connect(SetupBtn, &HoverImageButton::clicked, this, &TPrintPage::SetupBtnClick);
    connect(GoBtn1, &HoverImageButton::clicked, this, [this] {
        GoBtn1Click();
        GoBtn1->showNormal();
    });
    connect(PrintAllBtn, &QPushButton::clicked, this, &TPrintPage::PrintAllBtnClick);
    connect(PrevBtn, &QPushButton::clicked, this, &TPrintPage::PrevBtnClick);
    connect(VerschXin, &QDoubleSpinBox::valueChanged, this, &TPrintPage::VerschXinChange);
    connect(VerschYin, &QDoubleSpinBox::valueChanged, this, &TPrintPage::VerschXinChange);
    connect(RadioButton2, &QRadioButton::toggled, this, &TPrintPage::showOriginalPdfChoice);
    documentChanged();
}

void TPrintPage::derivePrinterFactors()
{
    PrinterMmPerInchX = printerMmPerInch(KalForm->calibration().BreitEd);
    PrinterMmPerInchY = printerMmPerInch(KalForm->calibration().HochEd);
}

void TPrintPage::documentChanged()
{
    showingShift_ = true;
    VerschXin->setValue(host_.document().PrintShiftMm.x / MmPerInch);
    VerschYin->setValue(host_.document().PrintShiftMm.y / MmPerInch);
    showingShift_ = false;
    // A form that brings its original is printed onto it unless the user says otherwise.
    OriginalPdfCheck->setChecked(true);
    showOriginalPdfChoice();
}

void TPrintPage::showOriginalPdfChoice()
{
    OriginalPdfCheck->setVisible(host_.document().originalPdf.has_value());
    OriginalPdfCheck->setEnabled(RadioButton2->isChecked());
}

// A PDF page taken in on the Scan tab brings its original while this tab is hidden.
void TPrintPage::showEvent(QShowEvent* event)
{
    showOriginalPdfChoice();
    QWidget::showEvent(event);
}

void TPrintPage::VerschXinChange()
{
    if (showingShift_)
        return;
    FormState before = host_.history().capture(PartPrintShift);
    host_.document().PrintShiftMm = PointD{VerschXin->value() * MmPerInch, VerschYin->value() * MmPerInch};
    // Typing on in the shift boxes stays one step.
    host_.history().record(std::move(before), QStringLiteral("Print shift"), QStringLiteral("print shift"));
}

void TPrintPage::loadSettings(QSettings& settings)
{
    spezialprintcheck->setChecked(settings.value(QString::fromLatin1(kAlternateKey), false).toBool());
}

void TPrintPage::saveSettings(QSettings& settings) const
{
    settings.setValue(QString::fromLatin1(kAlternateKey), spezialprintcheck->isChecked());
}

void TPrintPage::KalPrinterBtnClick()
{
    KalForm->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        KalForm->move(screen->availableGeometry().center() - KalForm->rect().center());
    KalForm->exec();
}

void TPrintPage::SetupBtnClick()
{
    SetupBtn->showNormal();
    host_.prompts().printerSetupDialog();
}

PageRequest TPrintPage::pageRequest(int n) const
{
    const Calibration calibration = KalForm->calibration();
    PageRequest request;
    request.document = &host_.document();
    request.what = NameDCheck->isChecked() ? PrintWhat::FieldNames : PrintWhat::CurrentRecord;
    request.recordNumber = n;
    request.withPicture = RadioButton2->isChecked();
    request.viaPrinterBitmap = spezialprintcheck->isChecked();
    request.shiftMm = PointD{VerschXin->value() * MmPerInch, VerschYin->value() * MmPerInch};
    request.LinksEd = calibration.LinksEd;
    request.ObenEd = calibration.ObenEd;
    request.PrinterMmPerInchX = PrinterMmPerInchX;
    request.PrinterMmPerInchY = PrinterMmPerInchY;
    request.landscape = currentPrinter().orientation() == PageOrientation::Landscape;
    request.dateText = todaysDateText();
    return request;
}

bool TPrintPage::pageCanBeMade(int n)
{
    if (ADSatzCheck->isChecked() && !recordNumberValid(host_.document(), n)) {
        showError(host_.prompts(), QStringLiteral("Invalid data set"));
        return false;
    }
    return IsFormSizeOk(host_.document(), host_.prompts(), true);
}

bool TPrintPage::printerReady(bool askFileAgain)
{
    return makePrinterReady(currentPrinter(), host_.prompts(), hasPrinters(), askFileAgain);
}

void TPrintPage::reportFailedPrint()
{
    Printer& printer = currentPrinter();
    const QString text = printer.writeError() && printer.qprinter()
                             ? writeFailureText(printer.qprinter()->outputFileName(), printer.writeError())
                             : QStringLiteral("The form could not be printed.");
    showError(host_.prompts(), text);
}

void TPrintPage::GoBtn1Click()
{
    derivePrinterFactors();
    const int n = host_.currentRecordNumber();
    if (!pageCanBeMade(n))
        return;
    if (!PrintingAll && (!printerReady() || !host_.prompts().printDialog()))
        return;
    if (printRecords(n, {n}, {}))
        tellWhereTheFileWent();
}

bool TPrintPage::printsOntoOriginal()
{
    const QPrinter* system = currentPrinter().qprinter();
    return RadioButton2->isChecked() && OriginalPdfCheck->isChecked() && host_.document().originalPdf
           && printerWritesFile(currentPrinter()) && system->outputFormat() == QPrinter::PdfFormat;
}

bool TPrintPage::printRecords(int firstRequest, const std::vector<int>& records,
                              const std::function<void(int)>& showRecord)
{
    if (printsOntoOriginal())
        return printOntoOriginal(pageRequest(firstRequest), records, showRecord);
    if (printPages(currentPrinter(), pageRequest(firstRequest), records, progressTo(host_), showRecord))
        return true;
    reportFailedPrint();
    return false;
}

bool TPrintPage::printOntoOriginal(const PageRequest& request, const std::vector<int>& records,
                                   const std::function<void(int)>& showRecord)
{
    QString error;
    const std::unique_ptr<OriginalPdfPage> original = OriginalPdfPage::fromForm(*host_.document().originalPdf, &error);
    const bool printed = original && printPdfOntoOriginal(request, records, *original,
                                                          currentPrinter().qprinter()->outputFileName(),
                                                          progressTo(host_), showRecord, &error);
    host_.SetProStatus(0);
    if (!printed)
        showError(host_.prompts(),
                  QStringLiteral("The form could not be printed onto the original PDF page: %1.").arg(error));
    return printed;
}

void TPrintPage::tellWhereTheFileWent()
{
    const QString text = printedIntoFileText(currentPrinter());
    if (!text.isEmpty())
        host_.showStatusText(text);
}

void TPrintPage::PrintAllBtnClick()
{
    const int count = int(host_.document().records.size());
    // No print dialog follows: without printers the file is asked for on every run.
    if (count == 0 || !printerReady(true))
        return;
    PrintingAll = true;
    if (printerWritesFile(currentPrinter())) {
        // One job per record would leave only the last record in the file.
        derivePrinterFactors();
        if (pageCanBeMade(1)) {
            std::vector<int> records(size_t(count), 0);
            std::iota(records.begin(), records.end(), 1);
            const auto showRecord = [this](int n) { host_.setCurrentRecordNumber(n); };
            if (printRecords(1, records, showRecord))
                tellWhereTheFileWent();
        }
    } else {
        for (int i = 1; i <= count; ++i) {
            host_.setCurrentRecordNumber(i);
            GoBtn1Click();
        }
    }
    PrintingAll = false;
}

void TPrintPage::PrevBtnClick()
{
    host_.prompts().printerSetupDialog();
    const int n = host_.currentRecordNumber();
    if (!pageCanBeMade(n))
        return;
    Printer& printer = currentPrinter();
    fitPageToOutput(printer);
    printer.dc().SetMapMode(MM_TEXT);
    const int dpiX = printer.dc().GetDeviceCaps(LOGPIXELSX);
    const int dpiY = printer.dc().GetDeviceCaps(LOGPIXELSY);
    const std::unique_ptr<Bitmap> page =
        renderPreviewPage(pageRequest(n), printer.pageWidth(), printer.pageHeight(), dpiX, dpiY);
    if (!page) {
        showError(host_.prompts(), QStringLiteral("The preview could not be made."));
        return;
    }
    PrevForm->showPage(*page, double(ScreenPixelsPerInch()) / kPreviewPixelsPerInch);
}
