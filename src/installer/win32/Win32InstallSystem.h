#pragma once
// The registry, the special folders, shell links and the shell of Windows.
#include "installer/InstallPlatform.h"

#include <windows.h>

namespace installer {

class Win32InstallSystem : public InstallSystem {
public:
    explicit Win32InstallSystem(bool windowsNt) : windowsNt_(windowsNt) {}

    // The window that owns the programs the run opens; none once the progress window is gone.
    void setOwner(HWND owner) { owner_ = owner; }

    char separator() const override { return '\\'; }
    std::string defaultProgramFilesBase() const override;
    FolderLookup machineProgramFiles() override;
    FolderLookup userAppData() override;
    std::string windowsFolder() override;
    std::optional<std::string> programsFolder() override;
    std::string desktopFolder() override;
    void writeUninstallEntry(const std::string& folderName, const std::string& uninstallString) override;
    void createShortcut(ShortcutKind kind, const std::string& linkFile, const std::string& target,
                        const std::string& workingFolder) override;
    std::string shortcutFileName(const std::string& displayName) const override;
    void shellOpen(const std::string& path, const std::string& workingFolder) override;

private:
    bool windowsNt_;
    HWND owner_ = nullptr;
};

// Whether the system belongs to the Windows NT family.
bool isWindowsNt();

} // namespace installer
