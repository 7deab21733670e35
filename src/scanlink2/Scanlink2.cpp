#include "scanlink2/Scanlink2.h"

#include "platform/BusyCursor.h"
#include "platform/QtPrompts.h"
#include "platform/Settings.h"
#include "scanlink2/SaneSession.h"
#include "scanlink2/ScanDevice.h"
#include "scanlink2/TScanDialog.h"
#include "scanlink2/TSelectScannerDialog.h"

#include <sane/sane.h>

#include <map>
#include <mutex>

namespace {

const char* const kDeviceKey = "Scanner/Device";

// Pictures between the worker's WM_USER+1 and the window's GetScanedDib; whatever no window
// collected is freed at exit.
class FinishedScans {
public:
    ~FinishedScans()
    {
        for (auto& [number, dib] : waiting_)
            deldib(dib);
    }
    intptr_t keep(Dib dib)
    {
        std::lock_guard guard(lock_);
        waiting_[next_] = dib;
        return next_++;
    }
    Dib take(intptr_t number)
    {
        std::lock_guard guard(lock_);
        const auto found = waiting_.find(number);
        if (found == waiting_.end())
            return Dib{};
        const Dib dib = found->second;
        waiting_.erase(found);
        return dib;
    }

private:
    std::mutex lock_;
    std::map<intptr_t, Dib> waiting_;
    intptr_t next_ = 1;
};

FinishedScans& finishedScans()
{
    static FinishedScans scans;
    return scans;
}

void tell(Prompts* prompts, QWidget* window, const QString& text, MsgIcon icon)
{
    if (prompts) {
        prompts->message(text, "Scanner", icon, MsgButtons::Ok);
        return;
    }
    QtPrompts(window).message(text, "Scanner", icon, MsgButtons::Ok);
}

}  // namespace

intptr_t keepFinishedScan(Dib dib) { return finishedScans().keep(dib); }

Dib GetScanedDib(intptr_t scan) { return finishedScans().take(scan); }

std::string chosenScanner()
{
    const QString stored = openProgramSettings()->value(kDeviceKey).toString();
    if (!stored.isEmpty())
        return stored.toStdString();
    BusyCursor busy;
    const std::vector<ScannerInfo> scanners = listScanners();
    return scanners.empty() ? std::string() : scanners.front().name;
}

void setChosenScanner(const std::string& name)
{
    openProgramSettings()->setValue(kDeviceKey, QString::fromStdString(name));
}

void TWAIN_SelectScanner(QWidget* window, Prompts* prompts)
{
    std::vector<ScannerInfo> scanners;
    {
        // Scanners on the network may take seconds to answer.
        BusyCursor busy;
        scanners = listScanners();
    }
    if (scanners.empty()) {
        tell(prompts, window, kNoScannerText, MsgIcon::Information);
        return;
    }
    QtPrompts ownPrompts(window);
    TSelectScannerDialog dialog(prompts ? *prompts : ownPrompts, scanners, chosenScanner(), window);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedName().empty())
        setChosenScanner(dialog.selectedName());
}

void TWAIN_ScanImage(QWidget* window, Prompts* prompts)
{
    // One scanner dialog at a time: a second "Start user interface" brings it forward.
    if (window) {
        if (auto* open = window->findChild<TScanDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
    }
    const std::string name = chosenScanner();
    if (name.empty()) {
        tell(prompts, window, kNoScannerText, MsgIcon::Information);
        return;
    }
    int status = SANE_STATUS_GOOD;
    std::unique_ptr<ScanDevice> device;
    {
        BusyCursor busy;
        device = ScanDevice::open(name, status);
    }
    if (!device) {
        const QString text = status == SANE_STATUS_INVAL
                                 ? QString("The scanner \"%1\" was not found.\n\nChoose a scanner with "
                                           "the \"Select\" button.")
                                       .arg(QString::fromStdString(name))
                                 : QString::fromStdString(scanStatusText(status));
        tell(prompts, window, text, MsgIcon::Error);
        return;
    }
    auto* dialog = new TScanDialog(window, prompts, std::move(device));
    dialog->show();
}
