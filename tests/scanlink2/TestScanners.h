// The scanners the tests see: SANE's "test" backend (two virtual scanners, test:0 and test:1),
// configured by tests/data/sane. SANE reads its configuration once per process, so this is set
// before the first SANE call of a test program.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline void useTestScanners(const char* folder = VELMORA_TEST_DATA "/sane")
{
    setenv("SANE_CONFIG_DIR", folder, 1);
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
