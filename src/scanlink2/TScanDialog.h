// The scanner's own dialog, built from what the opened device offers: mode, resolution, source
// (where the device has more than one) and paper size; "Scan" starts the scan beside the
// program, "Cancel" stops a running scan or closes the dialog. The scan's progress and picture
// go to the main window as window messages.
#pragma once

#include "scanlink2/ScanDevice.h"

#include <QDialog>
#include <memory>

class Prompts;
class QComboBox;
class QLabel;
class QPushButton;
class ScanJob;

// The paper sizes the dialog offers, millimetres; the last entry takes the whole area the
// device reaches.
struct PaperSize {
    const char* caption;
    double widthMm;
    double heightMm;
};
extern const PaperSize kPaperSizes[4];

// A4 where the metric system is used, Letter in the United States and Canada.
int defaultPaperIndex();

class TScanDialog : public QDialog {
    Q_OBJECT
public:
    // window gets the scan's messages; prompts null for the real message boxes. Deletes itself
    // when closed.
    TScanDialog(QWidget* window, Prompts* prompts, std::unique_ptr<ScanDevice> device);
    ~TScanDialog() override;

    void ScanBtnClick();
    void CancelBtnClick();
    bool scanning() const { return job_ != nullptr; }
    // The settings as the controls show them.
    ScanSettings settings() const;

    QComboBox* ModeBox = nullptr;
    QComboBox* ResolutionBox = nullptr;
    QComboBox* SourceBox = nullptr;
    QComboBox* PaperBox = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* ScanBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // Options of the device that the dialog does not show, set after the dialog's own.
    std::vector<std::pair<std::string, std::string>> deviceOptions;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(const ScanCapabilities& caps);
    // Back on the user-interface thread after the worker finished.
    void scanEnded(int status);
    void setControlsEnabled(bool enabled);
    Prompts& prompts();

    QWidget* window_;
    Prompts* prompts_;
    std::unique_ptr<Prompts> ownPrompts_;
    std::unique_ptr<ScanDevice> device_;
    std::unique_ptr<ScanJob> job_;
    ScanCapabilities caps_;
    // Closed during a scan: goes away when the scan has ended.
    bool closeWhenEnded_ = false;
};
