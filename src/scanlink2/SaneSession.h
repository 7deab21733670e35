// The one SANE session of the process: started on first use, ended at exit. Listing devices and
// opening or closing a device go through here, one at a time, because backends are not written
// for calls from several threads at once.
#pragma once

#include <mutex>
#include <string>
#include <vector>

struct ScannerInfo {
    std::string name;  // what sane_open takes, e.g. "test:0" or "genesys:libusb:001:004"
    std::string vendor;
    std::string model;
    std::string type;
};

// Starts SANE when it is not running yet; false when it cannot start.
bool saneStarted();
// Held around every SANE call that is not part of a running scan.
std::mutex& saneCallLock();

// The scanners SANE finds now, local and on the network, in SANE's order.
std::vector<ScannerInfo> listScanners();

// Words for a SANE status, for messages to the user.
std::string scanStatusText(int saneStatus);

// What the user reads when SANE lists no scanner.
extern const char* const kNoScannerText;
