// One opened scanner: what it offers (modes, resolutions, sources, scan area) and the settings
// of a scan, put into its SANE options.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

enum class ScanMode { Color, Gray, LineArt };

struct ScanSettings {
    ScanMode mode = ScanMode::Gray;
    double resolution = 300;  // pixels per inch
    std::string source;       // empty: the device's current source
    // The scan area in millimetres from the top-left corner of the glass; cut to what the
    // device reaches.
    double leftMm = 0;
    double topMm = 0;
    double widthMm = 210;
    double heightMm = 297;
    // Bits per sample; 0 takes 1 for line art and 8 otherwise.
    int depth = 0;
    // Further options of the device by SANE name, values as text ("yes", "12.5", "Flatbed");
    // set after mode and depth, before resolution and area.
    std::vector<std::pair<std::string, std::string>> deviceOptions;
};

struct ScanCapabilities {
    std::vector<ScanMode> modes;
    // Either a list of resolutions, or (when the list is empty) a range.
    std::vector<double> resolutions;
    double minResolution = 0;
    double maxResolution = 0;
    std::vector<std::string> sources;
    // The largest area the device reaches, millimetres; 0 when it does not say.
    double maxWidthMm = 0;
    double maxHeightMm = 0;
};

class ScanDevice {
public:
    // Opens the named scanner; status is the SANE status (0 when opened).
    static std::unique_ptr<ScanDevice> open(const std::string& name, int& status);
    ~ScanDevice();
    ScanDevice(const ScanDevice&) = delete;
    ScanDevice& operator=(const ScanDevice&) = delete;

    const std::string& name() const { return name_; }
    ScanCapabilities capabilities() const;
    // Sets the options; 0 or the SANE status of the first option the device refused outright.
    int apply(const ScanSettings& settings);
    // The resolution the device now scans at, pixels per inch; 0 when it does not say.
    double resolution() const;
    // The SANE handle, for the scan itself.
    void* handle() const { return handle_; }

private:
    ScanDevice(std::string name, void* handle) : name_(std::move(name)), handle_(handle) {}

    std::string name_;
    void* handle_ = nullptr;
};
