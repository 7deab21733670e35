// The scanners the tests see: SANE's "test" backend (two virtual scanners, test:0 and test:1),
// configured by tests/data/sane. SANE reads its configuration once per process, so this is set
// before the first SANE call of a test program.
#pragma once

#include <QCoreApplication>
#include <dlfcn.h>
#include <sane/sane.h>
#include <QElapsedTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The virtual scanner itself keeps some memory past sane_exit, which then unloads it. Held loaded
// here, its frames keep their module's name, so the sanitizer run can tell its leaks from ours
// (tests/lsan.supp).
inline void keepTestBackendLoaded()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&sane_init), &info) == 0 || info.dli_fname == nullptr)
        return;
    std::string path = info.dli_fname;
    path = path.substr(0, path.find_last_of('/') + 1) + "sane/libsane-test.so.1";
    dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
}

inline void useTestScanners(const char* folder = VELMORA_TEST_DATA "/sane")
{
    setenv("SANE_CONFIG_DIR", folder, 1);
    keepTestBackendLoaded();
}

using DeviceOptions = std::vector<std::pair<std::string, std::string>>;

// The virtual scanner keeps its options from one opening to the next; each test starts from a
// plain scanner and adds what it needs.
inline DeviceOptions plainScanner(const DeviceOptions& extra = {})
{
    DeviceOptions options = {{"read-return-value", "Default"}, {"read-limit", "no"}, {"read-delay", "no"},
                             {"three-pass", "no"}, {"hand-scanner", "no"}, {"test-picture", "Grid"}};
    options.insert(options.end(), extra.begin(), extra.end());
    return options;
}

// Handles events until done() holds; false when it does not within the time.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Outside an event loop, windows closed with "delete on close" go only here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}
