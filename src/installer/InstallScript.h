#pragma once
// "Install.log": the list of files to install, read in the installer's own folder.
#include "installer/InstallPlatform.h"

#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace installer {

inline constexpr std::size_t kMaxEntryText = 99;
inline constexpr std::size_t kMaxEntries = 200;
inline constexpr std::size_t kMaxProductName = 215;
inline constexpr std::size_t kMaxFolderText = 255;

struct InstallEntry {
    std::string fileName;
    std::string label;
};

struct InstallScript {
    std::string productName;
    std::string folderName;
    std::string defaultDestination;
    std::string groupName;
    std::vector<InstallEntry> entries;
    std::string programFilesBase;
    InstallMode mode = InstallMode::MachineInstall;
};

// Reads a script from bytes in the ANSI code page. Nothing when it is invalid.
std::optional<InstallScript> readInstallScript(std::istream& in, InstallSystem& system);
std::optional<InstallScript> readInstallScriptFile(const std::string& path, InstallSystem& system);

// Line 4 without a leading "C:\PROGRAMME\" in any letter case.
std::string stripProgrammePrefix(const std::string& line);

// The whole text as a signed 32-bit integer; nothing when it isn't one.
std::optional<int> parseCount(const std::string& text);

struct ProgramFilesBase {
    std::string base;
    InstallMode mode = InstallMode::MachineInstall;
};

ProgramFilesBase findProgramFilesBase(InstallSystem& system);

} // namespace installer
