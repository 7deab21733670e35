#include "scanlink2/SaneSession.h"

#include <sane/sane.h>

namespace {

class Session {
public:
    Session()
    {
        SANE_Int version = 0;
        started_ = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    ~Session()
    {
        if (started_)
            sane_exit();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool started() const { return started_; }

private:
    bool started_ = false;
};

}  // namespace

const char* const kNoScannerText =
    "No scanner was found.\n\n"
    "Scanners are found through SANE: each kind of scanner has a backend, and the backends in use "
    "are listed in the file dll.conf of SANE's configuration folder (usually /etc/sane.d). "
    "Check that the scanner is connected and switched on, and that the command "
    "\"scanimage -L\" in a terminal lists it.";

bool saneStarted()
{
    static Session session;
    return session.started();
}

std::mutex& saneCallLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<ScannerInfo> listScanners()
{
    std::vector<ScannerInfo> scanners;
    if (!saneStarted())
        return scanners;
    std::lock_guard guard(saneCallLock());
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || !devices)
        return scanners;
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    for (int i = 0; devices[i]; ++i)
        scanners.push_back({text(devices[i]->name), text(devices[i]->vendor), text(devices[i]->model),
                            text(devices[i]->type)});
    return scanners;
}

std::string scanStatusText(int saneStatus)
{
    switch (SANE_Status(saneStatus)) {
    case SANE_STATUS_DEVICE_BUSY:
        return "The scanner is busy. Wait until it is free, then scan again.";
    case SANE_STATUS_JAMMED:
        return "The paper is jammed in the scanner. Remove it, then scan again.";
    case SANE_STATUS_NO_DOCS:
        return "There is no paper in the scanner's document feeder.";
    case SANE_STATUS_COVER_OPEN:
        return "The scanner's cover is open. Close it, then scan again.";
    case SANE_STATUS_IO_ERROR:
        return "The scanner does not answer (input/output error). Check its cable and power.";
    case SANE_STATUS_NO_MEM:
        return "There is not enough memory for this scan. Choose a lower resolution or a smaller area.";
    case SANE_STATUS_ACCESS_DENIED:
        return "Access to the scanner was denied. Your user may need to be in the scanner group.";
    default:
        return std::string("The scan failed: ") + sane_strstatus(SANE_Status(saneStatus)) + ".";
    }
}
