#include "scanlink2/ScanJob.h"

#include "scanlink2/ScanDevice.h"
#include "scanlink2/ScanPicture.h"

#include <sane/sane.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Backends that read in a thread of their own end that thread with an asynchronous cancel. A
// thread cancelled while it is still starting up (inside malloc) never finishes, and
// sane_cancel then waits for it for ever. A scan that fails at once is ended only after this
// long, when the backend's thread is past its start.
constexpr auto kBackendStartUp = std::chrono::milliseconds(50);

FrameKind frameKind(SANE_Frame format)
{
    switch (format) {
    case SANE_FRAME_RGB:
        return FrameKind::Rgb;
    case SANE_FRAME_RED:
        return FrameKind::Red;
    case SANE_FRAME_GREEN:
        return FrameKind::Green;
    case SANE_FRAME_BLUE:
        return FrameKind::Blue;
    default:
        return FrameKind::Gray;
    }
}

bool separateChannel(SANE_Frame format)
{
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

}  // namespace

ScanJob::ScanJob(ScanDevice& device, Progress progress, Finished finished)
    : device_(device), progress_(std::move(progress)), finished_(std::move(finished))
{
    worker_ = std::thread([this] { run(); });
}

ScanJob::~ScanJob()
{
    cancel();
    wait();
}

void ScanJob::cancel()
{
    cancelled_ = true;
    // When the worker holds the lock it is ending the scan itself; waiting for it could freeze
    // the caller behind a backend that hangs in its own cancel.
    std::unique_lock guard(cancelLock_, std::try_to_lock);
    if (guard.owns_lock() && reading_)
        sane_cancel(device_.handle());
}

void ScanJob::wait()
{
    if (worker_.joinable())
        worker_.join();
}

void ScanJob::report(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent <= lastPercent_)
        return;
    lastPercent_ = percent;
    if (progress_)
        progress_(percent);
}

void ScanJob::run()
{
    ScanResult result;
    result.status = readFrames(result);
    if (cancelled_)
        result.status = SANE_STATUS_CANCELLED;
    if (result.status != SANE_STATUS_GOOD)
        result.picture.reset();
    else
        report(100);
    if (finished_)
        finished_(result);
}

int ScanJob::readFrames(ScanResult& result)
{
    SANE_Handle handle = device_.handle();
    std::vector<ScanFrame> frames;
    SANE_Status status = SANE_STATUS_GOOD;
    int framesExpected = 1;
    auto started = std::chrono::steady_clock::now();
    report(0);
    for (;;) {
        if (cancelled_) {
            status = SANE_STATUS_CANCELLED;
            break;
        }
        status = sane_start(handle);
        started = std::chrono::steady_clock::now();
        SANE_Parameters parameters{};
        if (status == SANE_STATUS_GOOD)
            status = sane_get_parameters(handle, &parameters);
        if (status != SANE_STATUS_GOOD)
            break;
        if (separateChannel(parameters.format))
            framesExpected = 3;

        ScanFrame frame;
        frame.kind = frameKind(parameters.format);
        frame.depth = parameters.depth;
        frame.pixelsPerLine = parameters.pixels_per_line;
        frame.bytesPerLine = parameters.bytes_per_line;
        // A hand scanner does not know its height beforehand: no progress then.
        const size_t expected = parameters.lines > 0 && parameters.bytes_per_line > 0
                                    ? size_t(parameters.lines) * size_t(parameters.bytes_per_line)
                                    : 0;
        frame.data.reserve(expected);
        const int framesDone = int(frames.size());
        while (status == SANE_STATUS_GOOD) {
            const size_t used = frame.data.size();
            frame.data.resize(used + kReadChunk);
            SANE_Int length = 0;
            status = sane_read(handle, frame.data.data() + used, SANE_Int(kReadChunk), &length);
            frame.data.resize(used + (status == SANE_STATUS_GOOD ? size_t(std::max(length, 0)) : 0));
            // 100 only once the picture is made.
            if (expected > 0) {
                const int frameShare = int(std::min<size_t>(frame.data.size() * 100 / expected, 100));
                report(std::min(99, (framesDone * 100 + frameShare) / framesExpected));
            }
        }
        if (status != SANE_STATUS_EOF)
            break;
        status = SANE_STATUS_GOOD;
        frames.push_back(std::move(frame));
        if (parameters.last_frame || frames.size() >= 3)
            break;
    }
    {
        // Ends the scan on the device whatever happened, so that it is free for the next one.
        if (status != SANE_STATUS_GOOD)
            std::this_thread::sleep_until(started + kBackendStartUp);
        std::lock_guard guard(cancelLock_);
        reading_ = false;
        sane_cancel(handle);
    }
    if (status != SANE_STATUS_GOOD)
        return status;
    result.picture.reset(dibFromFrames(frames, device_.resolution()));
    return result.picture ? SANE_STATUS_GOOD : SANE_STATUS_NO_MEM;
}
