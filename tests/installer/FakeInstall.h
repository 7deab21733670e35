#pragma once
// Fakes of the installer's machine for core tests: a Windows-like system that records what it
// is asked, in-memory files that record every read, and a progress window that records texts.
#include "installer/InstallRun.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace installer::test {

struct FakeSystem : InstallSystem {
    FolderLookup machine{true, "C:\\Program Files"};
    FolderLookup user{true, "C:\\Users\\ann\\AppData\\Roaming"};
    std::optional<std::string> programs = std::string("C:\\Start Menu\\Programs");
    std::string desktop = "C:\\Users\\ann\\Desktop";
    std::vector<std::string> events; // shortcuts, uninstall entries and opened files, in order

    char separator() const override { return '\\'; }
    std::string defaultProgramFilesBase() const override { return "c:\\programs\\"; }
    FolderLookup machineProgramFiles() override { return machine; }
    FolderLookup userAppData() override { return user; }
    std::string windowsFolder() override { return "C:\\WINDOWS\\"; }
    std::optional<std::string> programsFolder() override { return programs; }
    std::string desktopFolder() override { return desktop; }
    void writeUninstallEntry(const std::string& folderName, const std::string& uninstallString) override
    {
        events.push_back("uninstall " + folderName + " = " + uninstallString);
    }
    void createShortcut(ShortcutKind kind, const std::string& linkFile, const std::string& target,
                        const std::string& workingFolder) override
    {
        events.push_back(std::string(kind == ShortcutKind::Desktop ? "desktop " : "menu ") + linkFile + " -> "
                         + target + " in " + workingFolder);
    }
    std::string shortcutFileName(const std::string& displayName) const override { return displayName + ".lnk"; }
    void shellOpen(const std::string& path, const std::string& workingFolder) override
    {
        events.push_back("open " + path + (workingFolder.empty() ? "" : " in " + workingFolder));
    }
};

struct MemoryFiles : InstallFiles {
    std::map<std::string, std::string> files;
    std::set<std::string> folders{"C:\\Program Files", "C:\\Program Files\\Sample", "C:\\WINDOWS", "C:\\Setup"};
    std::vector<long> reads;
    long failWriteAfter = -1; // bytes a write may still take before it fails

    struct Reader : InstallReadFile {
        MemoryFiles& owner;
        std::string data;
        std::size_t at = 0;
        Reader(MemoryFiles& o, std::string d) : owner(o), data(std::move(d)) {}
        long read(char* buffer, std::size_t size) override
        {
            const std::size_t n = std::min(size, data.size() - at);
            data.copy(buffer, n, at);
            at += n;
            owner.reads.push_back(static_cast<long>(n));
            return static_cast<long>(n);
        }
    };
    struct Writer : InstallWriteFile {
        MemoryFiles& owner;
        std::string path;
        Writer(MemoryFiles& o, std::string p) : owner(o), path(std::move(p)) {}
        long write(const char* buffer, std::size_t size) override
        {
            long n = static_cast<long>(size);
            if (owner.failWriteAfter >= 0) {
                n = std::min(n, owner.failWriteAfter);
                owner.failWriteAfter -= n;
            }
            owner.files[path].append(buffer, static_cast<std::size_t>(n));
            return n;
        }
        bool close() override { return true; }
    };

    static std::string parentOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
    std::unique_ptr<InstallReadFile> openRead(const std::string& path) override
    {
        const auto found = files.find(path);
        return found == files.end() ? nullptr : std::make_unique<Reader>(*this, found->second);
    }
    std::unique_ptr<InstallWriteFile> create(const std::string& path) override
    {
        if (!folders.count(parentOf(path)))
            return nullptr;
        files[path].clear();
        return std::make_unique<Writer>(*this, path);
    }
    bool replace(const std::string& from, const std::string& to) override
    {
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    void remove(const std::string& path) override { files.erase(path); }
    void makeFolder(const std::string& path) override
    {
        if (folders.count(parentOf(path)))
            folders.insert(path);
    }
};

struct RecordingWindow : RunWindow {
    std::vector<std::string> statuses;
    std::vector<std::string> errors;
    std::vector<std::string> completions;
    bool closed = false;
    bool waiting = false;

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setWaitCursor(bool wait) override { waiting = wait; }
    void showCopyError(const std::string& text) override { errors.push_back(text); }
    void showCompletion(const std::string& text) override { completions.push_back(text); }
    void closeProgress() override { closed = true; }
};

// A script in the file's own bytes: CR LF line ends, the two fixed lines first.
inline std::string scriptText(const std::string& folderLine, const std::vector<std::string>& entryLines,
                              const std::string& count, const std::string& tail = "\r\n")
{
    std::string text = "Tolvar Instavor 2.0 - Install.log\r\nNicht ver\xE4ndern, nicht l\xF6schen!\r\nSample\r\n"
                       + folderLine + "\r\nSample Group\r\nnot used\r\n" + count + "\r\n";
    for (const std::string& line : entryLines)
        text += line + "\r\n";
    return text + tail;
}

} // namespace installer::test
