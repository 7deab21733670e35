// The "Print" tab: what to print, the printout's shift, printing, printing all records, the
// preview and the printer calibration.
#pragma once

#include "print/PageRenderer.h"

#include <QWidget>

#include <functional>
#include <vector>

class FormHost;
class HoverImageButton;
class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QRadioButton;
class QSettings;
class TKalForm;
class TPrevForm;

class TPrintPage : public QWidget {
    Q_OBJECT
public:
    explicit TPrintPage(FormHost& host, QWidget* parent = nullptr);

    // Derives PrinterMmPerInchX and PrinterMmPerInchY from the calibration dialog's values;
    // called when the main window is shown and at the start of every print.
    void derivePrinterFactors();

    // Shows the document's print shift (after an open or "New").
    void documentChanged();
    // "Alternate printing function" is kept between runs.
    void loadSettings(QSettings& settings);
    void saveSettings(QSettings& settings) const;

    // "Calibrate printer...": the calibration dialog, modal; it writes "options.dat" on closing.
    void KalPrinterBtnClick();
    // "Printer setup": chooses the program-wide printer and its page.
    void SetupBtnClick();
    // One print job of the current record or of the field names.
    void GoBtn1Click();
    // Every record, without the print dialog.
    void PrintAllBtnClick();
    // "Preview...": the page as it would print, in TPrevForm.
    void PrevBtnClick();

    // The calibration dialog; its boxes LinksEd and ObenEd are the printer's margins.
    TKalForm& kalForm() { return *KalForm; }
    TPrevForm& prevForm() { return *PrevForm; }

    // The page the tab's choices describe, for record number n, with the factors as last derived.
    PageRequest pageRequest(int n) const;

    // Whether the system has printers; tests replace it.
    std::function<bool()> hasPrinters;

    double PrinterMmPerInchX = MmPerInch;
    double PrinterMmPerInchY = MmPerInch;
    bool PrintingAll = false;

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* spezialprintcheck = nullptr;
    // "Original PDF page underneath": shown for a form made from a PDF page; a print into a PDF
    // file then puts the values onto that page in vector instead of onto the picture.
    QCheckBox* OriginalPdfCheck = nullptr;
    QRadioButton* ADSatzCheck = nullptr;
    QRadioButton* NameDCheck = nullptr;
    QDoubleSpinBox* VerschXin = nullptr;
    QDoubleSpinBox* VerschYin = nullptr;
    QPushButton* KalPrinterBtn = nullptr;
    QPushButton* PrintAllBtn = nullptr;
    QPushButton* PrevBtn = nullptr;
    HoverImageButton* GoBtn1 = nullptr;
    HoverImageButton* SetupBtn = nullptr;

private:
    // "Invalid data set" and the form-size check, as printing and the preview make them.
    bool pageCanBeMade(int n);
    // askFileAgain as makePrinterReady takes it.
    bool printerReady(bool askFileAgain = false);
    void VerschXinChange();
    void reportFailedPrint();
    // The records' pages on the current printer, or onto the original PDF page when that is
    // asked for and the printer writes a PDF file. False after telling the user what failed.
    bool printRecords(int firstRequest, const std::vector<int>& records, const std::function<void(int)>& showRecord);
    bool printsOntoOriginal();
    bool printOntoOriginal(const PageRequest& request, const std::vector<int>& records,
                           const std::function<void(int)>& showRecord);
    void showOriginalPdfChoice();
    void showEvent(QShowEvent* event) override;
    // After a print into a file: where it went, in the status bar.
    void tellWhereTheFileWent();

    FormHost& host_;
    TKalForm* KalForm = nullptr;
    TPrevForm* PrevForm = nullptr;
    bool showingShift_ = false;
};
