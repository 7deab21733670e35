#include "print/TKalForm.h"

#include "imgrove/DibFiles.h"
#include "platform/LocalFileName.h"
#include "platform/Printer.h"
#include "platform/Prompts.h"
#include "platform/WindowMessages.h"
#include "platform/WriteFailure.h"
#include "print/CalibrationPrint.h"
#include "print/CalibrationReport.h"
#include "print/CalibrationSheet.h"
#include "print/NumberBox.h"
#include "print/PrinterChoice.h"
#include "scanlink2/Scanlink2.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

const char* const kCalibrationIntroduction =
    "This settings can correct wrong printouts. Make this test print for every new printer. This settings has "
    "NOTTING todo with the FORM. Only with the PRINTER MODELL.";

namespace {

const QString kMeasureCaption = QStringLiteral("Measure from a scan");
const QString kPrintSheetQuestion = QStringLiteral(
    "First the calibration sheet is printed with the values the boxes hold now. Print it now?\n\nChoose \"No\" when "
    "it is printed already with these values.");
const QString kScanQuestion = QStringLiteral(
    "Scan the printed sheet whole, with all four edges of the paper on a dark background (leave the scanner lid "
    "open or lay a dark sheet behind it). Scan it now?\n\nChoose \"No\" to open a picture file of the scan.");

}  // namespace

namespace {

QDoubleSpinBox* calibrationBox(const CalibrationRange& range, double value, QWidget* parent)
{
    return new NumberBox(range.minimum, range.maximum, kCalibrationStep, value, parent);
}

}  // namespace

TKalForm::TKalForm(const QString& programDir, Prompts& prompts, QWidget* parent, const QString& userDir)
    : QDialog(parent), hasPrinters(systemHasPrinters), prompts_(prompts)
{
    places_ = programCalibrationPlaces(
        programDir, userDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) : userDir);

    setWindowTitle(QStringLiteral("Calibrate printer - the settings for your printer modell "));
    setModal(true);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    introduction = new QLabel(QString::fromLatin1(kCalibrationIntroduction), this);
    introduction->setWordWrap(true);
    introduction->setMinimumWidth(380);
    layout->addWidget(introduction);

    auto* group = new QGroupBox(QStringLiteral("Test rectangle"), this);
    auto* grid = new QGridLayout(group);
    const Calibration defaults;
    LinksEd = calibrationBox(kMarginRange, defaults.LinksEd, group);
    ObenEd = calibrationBox(kMarginRange, defaults.ObenEd, group);
    BreitEd = calibrationBox(kRectangleRange, defaults.BreitEd, group);
    HochEd = calibrationBox(kRectangleRange, defaults.HochEd, group);
    const std::pair<const char*, QDoubleSpinBox*> rows[] = {
        {"Distance from left side:", LinksEd},
        {"Distance from top side:", ObenEd},
        {"Width of the rectangle:", BreitEd},
        {"Height of the rectangle:", HochEd},
    };
    int row = 0;
    for (const auto& [label, box] : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), group), row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("mm"), group), row, 2);
        ++row;
    }
    layout->addWidget(group);

    note = new QLabel(QStringLiteral("Enter the values as printed out. The test printout remains the same. But the "
                                     "form printout will be changed with this settings."),
                      this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QStringLiteral("Print test rectangle"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Back..."), this);
    MessBtn = new QPushButton(QStringLiteral("Measure from a scan..."), this);
    // "Back..." answers Escape like a cancel button; Return only ends the entry in a box, so
    // typing the four measurements neither closes the dialog nor prints a page.
    BitBtn1->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    MessBtn->setAutoDefault(false);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(MessBtn);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &TKalForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(MessBtn, &QPushButton::clicked, this, &TKalForm::MessBtnClick);

    FormCreate();
}

void TKalForm::FormCreate() { setCalibration(readCalibration(places_)); }

Calibration TKalForm::calibration() const
{
    return {LinksEd->value(), ObenEd->value(), BreitEd->value(), HochEd->value()};
}

void TKalForm::setCalibration(const Calibration& c)
{
    LinksEd->setValue(c.LinksEd);
    ObenEd->setValue(c.ObenEd);
    BreitEd->setValue(c.BreitEd);
    HochEd->setValue(c.HochEd);
}

void TKalForm::BitBtn1Click()
{
    if (!makePrinterReady(currentPrinter(), prompts_, hasPrinters()))
        return;
    if (!printTestRectangle(currentPrinter()))
        showError(prompts_, QStringLiteral("The test rectangle could not be printed."));
}

void TKalForm::MessBtnClick()
{
    if (!printSheetIfWanted())
        return;
    if (prompts_.message(kScanQuestion, kMeasureCaption, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes)
        TWAIN_ScanImage(this, &prompts_);
    else
        openScanFile();
}

// False when the user stopped on the way or the sheet could not be printed.
bool TKalForm::printSheetIfWanted()
{
    if (prompts_.message(kPrintSheetQuestion, kMeasureCaption, MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return true;
    Printer& printer = currentPrinter();
    if (!makePrinterReady(printer, prompts_, hasPrinters()))
        return false;
    // The print dialog lets the user write the sheet to a PDF file instead.
    if (printer.qprinter() && !printerWritesFile(printer) && !prompts_.printDialog())
        return false;
    if (printCalibrationSheet(printer, calibration()))
        return true;
    showError(prompts_, QStringLiteral("The calibration sheet could not be printed."));
    return false;
}

void TKalForm::openScanFile()
{
    FileRequest request;
    request.filter = QString::fromStdString(GetDIBOpenFilter());
    const std::optional<FileChoice> choice = prompts_.openFile(request);
    if (!choice)
        return;
    DibOwner scan(OpenDib(localFileName(choice->fileName), DibFormatAuto));
    if (!scan) {
        showError(prompts_,
                  QStringLiteral("The picture file \"%1\" could not be read.").arg(choice->fileName), kMeasureCaption);
        return;
    }
    measureScan(scan.get());
}

void TKalForm::measureScan(const Dib& scan)
{
    const Calibration current = calibration();
    const CalibrationScanResult result =
        measureCalibrationScan(dibToGray(scan), current, printerPaper(currentPrinter()));
    if (!result.measurement) {
        prompts_.message(QString::fromStdString(result.error), kMeasureCaption, MsgIcon::Warning, MsgButtons::Ok);
        return;
    }
    if (prompts_.message(calibrationReport(*result.measurement, current), kMeasureCaption, MsgIcon::Question,
                         MsgButtons::OkCancel) == MsgAnswer::Ok)
        setCalibration(result.measurement->values);
}

bool TKalForm::event(QEvent* event)
{
    if (event->type() != kWmUser1Event)
        return QDialog::event(event);
    DibOwner scan(GetScanedDib(static_cast<WindowMessageEvent*>(event)->wParam));
    if (scan)
        measureScan(scan.get());
    return true;
}

void TKalForm::done(int result)
{
    // Written however the dialog closes; a write that fails keeps the values for this run only,
    // and one that ran out of room says so.
    const WriteResult written = writeCalibration(places_, calibration());
    if (written.opened && !written)
        showError(prompts_, writeFailureText(calibrationFilePath(calibrationWriteDir(places_)), written.error));
    QDialog::done(result);
}
