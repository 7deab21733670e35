#pragma once
// Copying the listed files: one file at a time through a temporary file beside the destination,
// and the copy phase over all entries.
#include "installer/InstallPlatform.h"
#include "installer/InstallScript.h"

#include <string>

namespace installer {

inline constexpr std::size_t kCopyChunk = 2048;

std::string copyStatusText(const std::string& source, const std::string& destination);
std::string copyErrorText(const std::string& source, const std::string& destination);
// Where a copy is written before it replaces the destination.
std::string temporaryCopyPath(const std::string& destination);

// Copies byte for byte. The destination is replaced only by a complete copy, so a failed copy
// leaves an earlier installed file whole. Shows the error message itself; true on success.
bool copyInstallFile(InstallFiles& files, InstallProgress& progress, const std::string& source,
                     const std::string& destination);

struct InstallFolders {
    std::string source;      // the installer's folder
    std::string destination; // the program's folder
    std::string windows;     // where a machine-wide uninstaller goes
};

// The uninstaller's installed path, a blank, and the program's folder in double quotes.
std::string uninstallString(const std::string& uninstallerPath, const std::string& destination);

// Copies every entry in table order; a machine-wide uninstaller goes to the Windows folder and
// gets the uninstall entry.
void copyPhase(const InstallScript& script, const InstallFolders& folders, InstallSystem& system,
               InstallFiles& files, InstallProgress& progress);

} // namespace installer
