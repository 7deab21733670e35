// The "Print" tab's content.
#pragma once

#include <QWidget>

class FormHost;
class HoverImageButton;
class QPushButton;
class TKalForm;

class TPrintPage : public QWidget {
    Q_OBJECT
public:
    explicit TPrintPage(FormHost& host, QWidget* parent = nullptr);

    // Derives PrinterMmPerInchX and PrinterMmPerInchY from the calibration dialog's values;
    // called when the main window is shown and at the start of every print.
    void derivePrinterFactors();

    // "Calibrate printer...": the calibration dialog, modal; it writes "options.dat" on closing.
    void KalPrinterBtnClick();
    // "Printer setup": chooses the program-wide printer and its page.
    void SetupBtnClick();

    // The calibration dialog; its boxes LinksEd and ObenEd are the printer's margins.
    TKalForm& kalForm() { return *KalForm; }

    double PrinterMmPerInchX = 25.39995;
    double PrinterMmPerInchY = 25.39995;

    QPushButton* KalPrinterBtn = nullptr;
    HoverImageButton* GoBtn1 = nullptr;
    HoverImageButton* SetupBtn = nullptr;

private:
    FormHost& host_;
    TKalForm* KalForm = nullptr;
};
