#include "print/TKalForm.h"

#include "platform/Printer.h"
#include "platform/Prompts.h"
#include "print/CalibrationPrint.h"
#include "print/NumberBox.h"
#include "print/PrinterChoice.h"

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
    // "Back..." answers Escape like a cancel button; Return only ends the entry in a box, so
    // typing the four measurements neither closes the dialog nor prints a page.
    BitBtn1->setAutoDefault(false);
    BitBtn2->setAutoDefault(false);
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &TKalForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

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
        prompts_.message(QStringLiteral("The test rectangle could not be printed."), QString(), MsgIcon::Error,
                         MsgButtons::Ok);
}

void TKalForm::done(int result)
{
    // Written however the dialog closes; a write that fails keeps the values for this run only.
    writeCalibration(places_, calibration());
    QDialog::done(result);
}
