// Reading "Install.log": the fixed lines, the count, the entries, the extra line after the
// last label, the folder name, the program-files base, and the limits of the fixed buffers.
#include "FakeInstall.h"

#include "installer/InstallScript.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace installer;
using namespace installer::test;

namespace {

std::optional<InstallScript> read(const std::string& text, FakeSystem system = {})
{
    std::istringstream in(text);
    return readInstallScript(in, system);
}

std::vector<std::string> entryLines(int count)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back("file" + std::to_string(i) + ".txt");
        lines.push_back("Label " + std::to_string(i));
    }
    return lines;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

const std::string kTwoEntries = scriptText("Sample", {"main.exe", "Sample", "help.chm", "Sample Help"}, "2");

} // namespace

TEST(InstallScript, AcceptsOrRefusesTheWholeScript)
{
    struct Row {
        const char* name;
        std::string text;
        bool valid;
        std::size_t entries;
    };
    const std::string lastLabel = "Sample Help\r\n";
    const std::vector<Row> rows = {
        {"two entries and an extra line", kTwoEntries, true, 2},
        {"header in other letter case", replaced(kTwoEntries, "Tolvar Instavor", "tolvar instavor"), false, 0},
        {"guard line without umlauts", replaced(kTwoEntries, "ver\xE4ndern, nicht l\xF6schen", "verandern, nicht loschen"), false, 0},
        {"guard line in UTF-8", replaced(kTwoEntries, "ver\xE4ndern", "ver\xC3\xA4ndern"), false, 0},
        {"no entries", scriptText("Sample", {}, "0", ""), true, 0},
        {"count 3x", scriptText("Sample", entryLines(3), "3x"), false, 0},
        {"count 65537 is one entry", scriptText("Sample", entryLines(1), "65537"), true, 1},
        {"count with a plus sign", scriptText("Sample", entryLines(1), "+1"), true, 1},
        {"count with two signs", scriptText("Sample", entryLines(1), "+-65535"), false, 0},
        {"ends right after the last label", kTwoEntries.substr(0, kTwoEntries.size() - 2), false, 0},
        {"ends after the last label without line end", kTwoEntries.substr(0, kTwoEntries.size() - 4), false, 0},
        {"Ctrl+Z right after the last label", kTwoEntries.substr(0, kTwoEntries.size() - 2) + "\x1A\r\n", false, 0},
        {"an extra line that is not empty", kTwoEntries.substr(0, kTwoEntries.size() - 2) + "x", true, 2},
        {"fewer entries than counted", scriptText("Sample", entryLines(2), "3"), false, 0},
        {"LF line ends", "Tolvar Instavor 2.0 - Install.log\nNicht ver\xE4ndern, nicht l\xF6schen!\nP\nF\nG\n\n1\na\nb\n\n", true, 1},
        {"200 entries", scriptText("Sample", entryLines(200), "200"), true, 200},
        {"201 entries overflow the table", scriptText("Sample", entryLines(201), "201"), false, 0},
        {"count -1 is 65535 entries", scriptText("Sample", entryLines(2), "-1"), false, 0},
        {"product name of 215 characters", replaced(kTwoEntries, "\r\nSample\r\n", "\r\n" + std::string(215, 'p') + "\r\n"), true, 2},
        {"product name of 216 characters", replaced(kTwoEntries, "\r\nSample\r\n", "\r\n" + std::string(216, 'p') + "\r\n"), false, 0},
        // "C:\Program Files\" is 17 characters.
        {"destination of 255 characters", scriptText(std::string(238, 'f'), entryLines(1), "1"), true, 1},
        {"destination of 256 characters", scriptText(std::string(239, 'f'), entryLines(1), "1"), false, 0},
        {"group folder climbing out", replaced(kTwoEntries, "Sample Group", "..\\Startup"), false, 0},
        {"empty file", "", false, 0},
    };
    for (const Row& row : rows) {
        const auto script = read(row.text);
        EXPECT_EQ(script.has_value(), row.valid) << row.name;
        if (script && row.valid) {
            EXPECT_EQ(script->entries.size(), row.entries) << row.name;
        }
    }
}

TEST(InstallScript, KeepsTheLinesAndCutsEntriesTo99Characters)
{
    const std::string longName(120, 'n');
    const auto script = read(scriptText("C:\\Programme\\Sample", {longName, "Sample", "a\\b.txt", "NEIN!"}, "2"));
    ASSERT_TRUE(script);
    EXPECT_EQ(script->productName, "Sample");
    EXPECT_EQ(script->groupName, "Sample Group");
    EXPECT_EQ(script->entries[0].fileName, longName.substr(0, 99));
    EXPECT_EQ(script->entries[0].label, "Sample");
    EXPECT_EQ(script->entries[1].fileName, "a\\b.txt");
    EXPECT_EQ(script->entries[1].label, "NEIN!");
}

TEST(InstallScript, FolderNameLosesOnlyTheProgrammePrefix)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"C:\\Programme\\Sample", "Sample"},
        {"c:\\PROGRAMME\\Sample", "Sample"},
        {"Sample", "Sample"},
        {"D:\\Apps\\Sample", "D:\\Apps\\Sample"},
        {"C:\\Programme", "C:\\Programme"},
    };
    for (const auto& [line, folder] : rows) {
        const auto script = read(scriptText(line, {}, "0"));
        ASSERT_TRUE(script) << line;
        EXPECT_EQ(script->folderName, folder) << line;
        EXPECT_EQ(script->defaultDestination, "C:\\Program Files\\" + folder) << line;
    }
}

TEST(InstallScript, ProgramFilesBaseAndMode)
{
    struct Row {
        const char* name;
        FolderLookup machine;
        FolderLookup user;
        std::string base;
        InstallMode mode;
    };
    const std::vector<Row> rows = {
        {"administrator", {true, "C:\\Program Files"}, {true, "x"}, "C:\\Program Files\\", InstallMode::MachineInstall},
        {"value with backslash", {true, "D:\\Prog\\"}, {}, "D:\\Prog\\", InstallMode::MachineInstall},
        {"value missing", {true, ""}, {}, "c:\\programs\\", InstallMode::MachineInstall},
        {"user", {}, {true, "C:\\Users\\ann\\AppData"}, "C:\\Users\\ann\\AppData\\", InstallMode::PerUserInstall},
        {"neither key", {}, {}, "c:\\programs\\", InstallMode::MachineInstall},
    };
    for (const Row& row : rows) {
        FakeSystem system;
        system.machine = row.machine;
        system.user = row.user;
        const auto script = read(scriptText("Sample", {}, "0"), system);
        ASSERT_TRUE(script) << row.name;
        EXPECT_EQ(script->programFilesBase, row.base) << row.name;
        EXPECT_EQ(script->defaultDestination, row.base + "Sample") << row.name;
        EXPECT_EQ(script->mode, row.mode) << row.name;
    }
}

TEST(InstallScript, MissingFileIsInvalid)
{
    FakeSystem system;
    EXPECT_FALSE(readInstallScriptFile("/nonexistent/Install.log", system));
}
