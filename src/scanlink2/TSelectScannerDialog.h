// "Select scanner": the scanners SANE finds, with their vendor, model and device name, and a
// refresh for a scanner switched on after the dialog opened.
#pragma once

#include "scanlink2/SaneSession.h"

#include <QDialog>
#include <string>
#include <vector>

class Prompts;
class QPushButton;
class QTreeWidget;

class TSelectScannerDialog : public QDialog {
    Q_OBJECT
public:
    TSelectScannerDialog(Prompts& prompts, const std::vector<ScannerInfo>& scanners, const std::string& current,
                         QWidget* parent = nullptr);

    void RefreshBtnClick();
    // The device name of the selected row; empty when none is selected.
    std::string selectedName() const;

    QTreeWidget* DeviceList = nullptr;
    QPushButton* RefreshBtn = nullptr;

private:
    void fill(const std::vector<ScannerInfo>& scanners, const std::string& current);

    Prompts& prompts_;
};
