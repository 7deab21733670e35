// One scan running on a worker thread: it starts the device, reads every frame, reports the
// progress and hands over the picture, or the reason there is none.
#pragma once

#include "imgrove/Dib.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class ScanDevice;

struct ScanResult {
    // The SANE status: 0 with a picture; SANE's "cancelled" after cancel().
    int status = 0;
    DibOwner picture;
};

class ScanJob {
public:
    // Percent 0..100, each value once, rising; called on the worker thread.
    using Progress = std::function<void(int percent)>;
    // Called once on the worker thread, as its last act.
    using Finished = std::function<void(ScanResult& result)>;

    // Starts the scan with the device's current settings; the device must outlive the job and
    // is not touched by anybody else while the job runs.
    ScanJob(ScanDevice& device, Progress progress, Finished finished);
    // Cancels a scan still running and waits for its end.
    ~ScanJob();
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    // Stops the scan; no picture is delivered. Safe from any thread, also after the end; does
    // not wait for the scan to end.
    void cancel();
    void wait();

private:
    void run();
    int readFrames(ScanResult& result);
    void report(int percent);

    ScanDevice& device_;
    Progress progress_;
    Finished finished_;
    std::atomic<bool> cancelled_{false};
    // Keeps a cancel from meeting the scan's own closing sane_cancel.
    std::mutex cancelLock_;
    bool reading_ = true;
    int lastPercent_ = -1;
    std::thread worker_;
};
