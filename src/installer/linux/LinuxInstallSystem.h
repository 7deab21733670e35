#pragma once
// The installer's machine on Linux: /opt/ when run as root, else the user's data folder;
// freedesktop menu entries for shortcuts; a small record file for the uninstall entry.
#include "installer/InstallPlatform.h"

#include <string>

namespace installer {

struct LinuxPlaces {
    bool machineWide = false;
    std::string dataHome;      // $XDG_DATA_HOME or ~/.local/share, without a final "/"
    std::string desktop;       // `xdg-user-dir DESKTOP`
    std::string machineBase = "/opt/";
    std::string machineApplications = "/usr/local/share/applications/";
    std::string machineUninstallers = "/usr/local/libexec/";

    // The places of the running process: root installs machine-wide.
    static LinuxPlaces ofThisProcess();
};

class LinuxInstallSystem : public InstallSystem {
public:
    explicit LinuxInstallSystem(LinuxPlaces places);

    char separator() const override { return '/'; }
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
    // Linux programs rarely have an extension: an executable file counts as well.
    bool isProgramFile(const std::string& fileName, const std::string& installedPath) const override;

private:
    std::string applicationsFolder() const;

    LinuxPlaces places_;
};

// A desktop entry that starts a program, or opens any other file with its usual application.
std::string desktopEntryText(const std::string& name, const std::string& target, const std::string& workingFolder,
                             bool targetIsProgram);

} // namespace installer
