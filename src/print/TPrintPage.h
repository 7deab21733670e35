// The "Print" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TPrintPage : public QWidget {
    Q_OBJECT
public:
    explicit TPrintPage(FormHost& host, QWidget* parent = nullptr);

    // Derives PrinterMmPerInchX and PrinterMmPerInchY from the calibration dialog's values;
    // called when the main window is shown and at the start of every print.
    void derivePrinterFactors();

    double PrinterMmPerInchX = 25.39995;
    double PrinterMmPerInchY = 25.39995;

private:
    FormHost& host_;
};
