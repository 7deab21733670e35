// The printer calibration dialog: the four measurements of the printed test rectangle. Its boxes
// are the calibration in memory; "options.dat" is read when the dialog is made and written every
// time it closes.
#pragma once

#include "imgrove/Dib.h"
#include "print/Calibration.h"

#include <QDialog>

#include <functional>

class Prompts;
class QDoubleSpinBox;
class QPushButton;
class QLabel;

class TKalForm : public QDialog {
    Q_OBJECT
public:
    // userDir: where the calibration goes when the program folder cannot be written; empty for
    // the per-user configuration folder.
    TKalForm(const QString& programDir, Prompts& prompts, QWidget* parent = nullptr, const QString& userDir = {});

    Calibration calibration() const;
    // Through the boxes: clamped and rounded as they show it.
    void setCalibration(const Calibration& calibration);
    const CalibrationPlaces& places() const { return places_; }

    // "Print test rectangle": one page on the current printer. On a machine without printers
    // the user is told so and may print the page into a PDF file.
    void BitBtn1Click();

    // "Measure from a scan...": prints the calibration sheet, then takes a scan of it from the
    // scanner or a picture file, and offers the values measured on it.
    void MessBtnClick();
    // The values measured on a scan of the sheet printed with the boxes' current values, shown
    // beside those and set on OK.
    void measureScan(const Dib& scan);

    // Whether the system has printers; tests replace it.
    std::function<bool()> hasPrinters;

    void done(int result) override;

    QLabel* introduction = nullptr;
    QDoubleSpinBox* LinksEd = nullptr;
    QDoubleSpinBox* ObenEd = nullptr;
    QDoubleSpinBox* BreitEd = nullptr;
    QDoubleSpinBox* HochEd = nullptr;
    QLabel* note = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* MessBtn = nullptr;

protected:
    // A scan started by "Measure from a scan..." arrives as the scanner library's WM_USER+1.
    bool event(QEvent* event) override;

private:
    void FormCreate();
    bool printSheetIfWanted();
    void openScanFile();

    Prompts& prompts_;
    CalibrationPlaces places_;
};

// Shared by the calibration button's hint and the dialog's introduction.
extern const char* const kCalibrationIntroduction;
