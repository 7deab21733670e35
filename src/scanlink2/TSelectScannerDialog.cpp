#include "scanlink2/TSelectScannerDialog.h"

#include "platform/BusyCursor.h"
#include "platform/Prompts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TSelectScannerDialog::TSelectScannerDialog(Prompts& prompts, const std::vector<ScannerInfo>& scanners,
                                           const std::string& current, QWidget* parent)
    : QDialog(parent), prompts_(prompts)
{
    setWindowTitle("Select scanner");
    DeviceList = new QTreeWidget(this);
    DeviceList->setObjectName("DeviceList");
    DeviceList->setHeaderLabels({"Vendor", "Model", "Device name"});
    DeviceList->setRootIsDecorated(false);
    DeviceList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DeviceList->setMinimumWidth(460);

    RefreshBtn = new QPushButton("Refresh", this);
    RefreshBtn->setObjectName("RefreshBtn");
    RefreshBtn->setToolTip("Look for scanners again");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(RefreshBtn, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(RefreshBtn, &QPushButton::clicked, this, &TSelectScannerDialog::RefreshBtnClick);
    connect(DeviceList, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Choose the scanner for scanning:", this));
    layout->addWidget(DeviceList);
    layout->addWidget(buttons);
    fill(scanners, current);
}

void TSelectScannerDialog::RefreshBtnClick()
{
    const std::string current = selectedName();
    std::vector<ScannerInfo> scanners;
    {
        BusyCursor busy;
        scanners = listScanners();
    }
    if (scanners.empty())
        prompts_.message(kNoScannerText, "Scanner", MsgIcon::Information, MsgButtons::Ok);
    fill(scanners, current);
}

std::string TSelectScannerDialog::selectedName() const
{
    const QTreeWidgetItem* item = DeviceList->currentItem();
    return item ? item->text(2).toStdString() : std::string();
}

void TSelectScannerDialog::fill(const std::vector<ScannerInfo>& scanners, const std::string& current)
{
    DeviceList->clear();
    for (const ScannerInfo& scanner : scanners) {
        auto* item = new QTreeWidgetItem(DeviceList, {QString::fromStdString(scanner.vendor),
                                                      QString::fromStdString(scanner.model),
                                                      QString::fromStdString(scanner.name)});
        if (scanner.name == current || !DeviceList->currentItem())
            DeviceList->setCurrentItem(item);
    }
}
