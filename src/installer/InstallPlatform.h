#pragma once
// What the installer core needs from the machine: the registry and special folders, shortcuts,
// the shell, file access and the progress window. The Win32 front end answers through the real
// interfaces, the Linux front end through freedesktop conventions, tests through fakes.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace installer {

enum class InstallMode { MachineInstall, PerUserInstall };

// A key that could be opened for full access, and the string value read from it (empty when
// the value is missing).
struct FolderLookup {
    bool keyOpened = false;
    std::string value;
};

enum class ShortcutKind { StartMenu, Desktop };

class InstallSystem {
public:
    virtual ~InstallSystem() = default;
    // '\\' on Windows, '/' on Linux; every folder the core builds ends with it.
    virtual char separator() const = 0;
    virtual std::string defaultProgramFilesBase() const = 0;
    // The machine-wide program-files folder, opened only when the user may write there.
    virtual FolderLookup machineProgramFiles() = 0;
    // The per-user application-data folder.
    virtual FolderLookup userAppData() = 0;
    virtual std::string windowsFolder() = 0;
    // The Start-menu programs folder, or nothing when it can't be found.
    virtual std::optional<std::string> programsFolder() = 0;
    // The desktop folder, empty when it can't be found.
    virtual std::string desktopFolder() = 0;
    virtual void writeUninstallEntry(const std::string& folderName, const std::string& uninstallString) = 0;
    // Saving errors are not reported: a missing shortcut doesn't stop the installation.
    virtual void createShortcut(ShortcutKind kind, const std::string& linkFile, const std::string& target,
                                const std::string& workingFolder) = 0;
    // The file name a shortcut with this display name gets.
    virtual std::string shortcutFileName(const std::string& displayName) const = 0;
    virtual void shellOpen(const std::string& path, const std::string& workingFolder) = 0;
    // Whether an installed entry is a program: its desktop shortcut and the program to start.
    // Windows knows programs by their extension.
    virtual bool isProgramFile(const std::string& fileName, const std::string& installedPath) const;
};

class InstallReadFile {
public:
    virtual ~InstallReadFile() = default;
    // Bytes read, 0 at the end, -1 on an error.
    virtual long read(char* buffer, std::size_t size) = 0;
};

class InstallWriteFile {
public:
    virtual ~InstallWriteFile() = default;
    // Bytes written, fewer than asked (or -1) on an error.
    virtual long write(const char* buffer, std::size_t size) = 0;
    virtual bool close() = 0;
};

class InstallFiles {
public:
    virtual ~InstallFiles() = default;
    virtual std::unique_ptr<InstallReadFile> openRead(const std::string& path) = 0;
    // Creates the file, or truncates an existing one.
    virtual std::unique_ptr<InstallWriteFile> create(const std::string& path) = 0;
    // Gives the copy the source's permissions where the system needs them to run a program;
    // Windows carries nothing over.
    virtual void keepPermissions(const std::string& /*source*/, const std::string& /*copy*/) {}
    // Puts `from` in the place of `to`, replacing `to` when it exists, in one step.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
    // One level: the parent must exist. Errors are ignored by every caller.
    virtual void makeFolder(const std::string& path) = 0;
};

// The progress window as the copy engine sees it.
class InstallProgress {
public:
    virtual ~InstallProgress() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setWaitCursor(bool wait) = 0;
    // A modal information message with the system's default caption and an OK button.
    virtual void showCopyError(const std::string& text) = 0;
};

} // namespace installer
