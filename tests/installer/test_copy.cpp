// Copying: 2048-byte reads, the status and error texts, the copy through a temporary file that
// leaves an installed file whole on failure, and the copy phase over the entries.
#include "FakeInstall.h"

#include "installer/InstallCopy.h"
#include "installer/StdInstallFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace installer;
using namespace installer::test;

namespace {

const std::string kSource = "C:\\Setup\\";
const std::string kDestination = "C:\\Program Files\\Sample\\";

std::string copyError(const std::string& name, const std::string& folder = kDestination)
{
    return "Error while copying the file \r\n" + kSource + name + "\r\n to \r\n" + folder + name + " !";
}

InstallScript scriptWith(std::vector<InstallEntry> entries, InstallMode mode = InstallMode::MachineInstall)
{
    InstallScript script;
    script.folderName = "Sample";
    script.entries = std::move(entries);
    script.mode = mode;
    return script;
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(InstallCopy, CopiesIn2048ByteReadsAndShowsTheStatus)
{
    MemoryFiles files;
    RecordingWindow window;
    const std::string bytes(5000, '\x7F');
    files.files[kSource + "data.bin"] = bytes;
    EXPECT_TRUE(copyInstallFile(files, window, kSource + "data.bin", kDestination + "data.bin"));
    EXPECT_EQ(files.reads, (std::vector<long>{2048, 2048, 904, 0}));
    EXPECT_EQ(files.files[kDestination + "data.bin"], bytes);
    EXPECT_FALSE(files.files.count(kDestination + "data.bin.~tmp"));
    ASSERT_EQ(window.statuses.size(), 1u);
    EXPECT_EQ(window.statuses[0], "Copy C:\\Setup\\data.bin\r to \rC:\\Program Files\\Sample\\data.bin...");
    EXPECT_TRUE(window.errors.empty());
    EXPECT_FALSE(window.waiting);
}

TEST(InstallCopy, FailedCopyKeepsTheInstalledFile)
{
    struct Row {
        const char* name;
        bool sourceThere;
        long writable;
    };
    for (const Row& row : {Row{"source missing", false, -1}, Row{"disk full after 3000 bytes", true, 3000}}) {
        MemoryFiles files;
        RecordingWindow window;
        if (row.sourceThere)
            files.files[kSource + "main.exe"] = std::string(5000, 'n');
        files.files[kDestination + "main.exe"] = "old program";
        files.failWriteAfter = row.writable;
        EXPECT_FALSE(copyInstallFile(files, window, kSource + "main.exe", kDestination + "main.exe")) << row.name;
        EXPECT_EQ(files.files[kDestination + "main.exe"], "old program") << row.name;
        EXPECT_FALSE(files.files.count(kDestination + "main.exe.~tmp")) << row.name;
        EXPECT_EQ(window.errors, std::vector<std::string>{copyError("main.exe")}) << row.name;
    }
}

TEST(InstallCopy, ReplacesFilesOnDisk)
{
    const auto folder = std::filesystem::temp_directory_path() / ("installer_copy_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "new.bin", std::ios::binary) << std::string(4100, 'x');
    std::ofstream(folder / "installed.bin", std::ios::binary) << "old";
    using std::filesystem::perms;
    // A program on a stick or from an archive may be writable by everyone or carry set-id bits;
    // the installed copy (root's, when installed machine-wide) must not.
    std::filesystem::permissions(folder / "new.bin",
                                 perms::owner_all | perms::others_all | perms::set_uid | perms::set_gid);
    StdInstallFiles files;
    RecordingWindow window;

    EXPECT_TRUE(copyInstallFile(files, window, (folder / "new.bin").string(), (folder / "installed.bin").string()));
    EXPECT_EQ(readAll(folder / "installed.bin"), std::string(4100, 'x'));
    EXPECT_EQ(std::filesystem::status(folder / "installed.bin").permissions()
                  & (perms::owner_exec | perms::others_exec | perms::others_write | perms::set_uid | perms::set_gid),
              perms::owner_exec | perms::others_exec);
    EXPECT_FALSE(copyInstallFile(files, window, (folder / "missing.bin").string(), (folder / "installed.bin").string()));
    EXPECT_EQ(readAll(folder / "installed.bin"), std::string(4100, 'x'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    std::filesystem::remove_all(folder);
}

TEST(InstallCopy, CopyPhaseFoldersAndUninstaller)
{
    struct Row {
        const char* name;
        InstallMode mode;
        std::vector<std::string> installed;
        std::vector<std::string> events;
    };
    const std::vector<Row> rows = {
        {"machine-wide", InstallMode::MachineInstall,
         {"C:\\WINDOWS\\uninst.exe", kDestination + "sub\\data.bin"},
         {"uninstall Sample = C:\\WINDOWS\\uninst.exe \"C:\\Program Files\\Sample\\\""}},
        {"per user", InstallMode::PerUserInstall, {kDestination + "uninst.exe", kDestination + "sub\\data.bin"}, {}},
    };
    for (const Row& row : rows) {
        MemoryFiles files;
        FakeSystem system;
        RecordingWindow window;
        for (const char* name : {"uninst.exe", "sub\\data.bin", "a\\b\\data.bin"})
            files.files[kSource + name] = name;
        const auto script = scriptWith({{"uninst.exe", "VERLOK!"}, {"sub\\data.bin", "NEIN!"}, {"a\\b\\data.bin", "Data"}},
                                       row.mode);
        copyPhase(script, {kSource, kDestination, "C:\\WINDOWS\\"}, system, files, window);
        for (const std::string& path : row.installed)
            EXPECT_TRUE(files.files.count(path)) << row.name << ": " << path;
        EXPECT_EQ(system.events, row.events) << row.name;
        // One level only: a\b needs a to exist already.
        EXPECT_EQ(window.errors, std::vector<std::string>{copyError("a\\b\\data.bin")}) << row.name;
        EXPECT_EQ(window.statuses.size(), 3u) << row.name;
    }
}

TEST(InstallCopy, NamesLeavingTheFolderAreNotCopied)
{
    MemoryFiles files;
    FakeSystem system;
    RecordingWindow window;
    const std::vector<std::string> unsafe = {"..\\evil.dll", "C:\\evil.dll", "\\evil.dll", "sub/../../evil.dll",
                                             "sub\\..\\..\\evil.dll", "file.txt:stream"};
    std::vector<InstallEntry> entries;
    for (const std::string& name : unsafe) {
        files.files[kSource + name] = "evil";
        entries.push_back({name, "Evil"});
    }
    entries.push_back({"..\\uninst.exe", "VERLOK!"});
    entries.push_back({"good.txt", "Good"});
    files.files[kSource + "good.txt"] = "good";
    const std::size_t before = files.files.size();

    copyPhase(scriptWith(entries), {kSource, kDestination, "C:\\WINDOWS\\"}, system, files, window);

    ASSERT_EQ(window.errors.size(), unsafe.size() + 1);
    for (std::size_t i = 0; i < unsafe.size(); ++i)
        EXPECT_EQ(window.errors[i], copyError(unsafe[i]));
    EXPECT_EQ(window.errors.back(), copyError("..\\uninst.exe", "C:\\WINDOWS\\"));
    EXPECT_EQ(files.files.size(), before + 1);
    EXPECT_EQ(files.files[kDestination + "good.txt"], "good");
    EXPECT_TRUE(system.events.empty());
}
