// The shortcut plan, the completion message, the run phase and the order of the whole run.
#include "FakeInstall.h"

#include "installer/InstallPaths.h"
#include "installer/InstallRun.h"

#include <gtest/gtest.h>

using namespace installer;
using namespace installer::test;

namespace {

const std::string kDestination = "C:\\Program Files\\Sample\\";
const std::string kGroup = "C:\\Start Menu\\Programs\\Sample Group\\";
const std::string kDesktop = "C:\\Users\\ann\\Desktop\\";

InstallScript scriptWith(std::vector<InstallEntry> entries, InstallMode mode = InstallMode::MachineInstall)
{
    InstallScript script;
    script.folderName = "Sample";
    script.groupName = "Sample Group";
    script.entries = std::move(entries);
    script.mode = mode;
    return script;
}

std::vector<std::string> describe(const ShortcutPlan& plan)
{
    std::vector<std::string> lines;
    for (const Shortcut& s : plan.shortcuts) {
        EXPECT_EQ(s.workingFolder, kDestination);
        lines.push_back((s.kind == ShortcutKind::Desktop ? "desktop " : "menu ") + s.linkFile + " -> " + s.target);
    }
    return lines;
}

} // namespace

TEST(InstallRun, ShortcutPlan)
{
    struct Row {
        const char* name;
        std::vector<InstallEntry> entries;
        InstallMode mode;
        bool desktopWanted;
        std::vector<std::string> shortcuts;
        std::string programToStart;
    };
    const std::vector<Row> rows = {
        {"program and help",
         {{"main.exe", "Sample"}, {"help.chm", "Sample Help"}},
         InstallMode::MachineInstall,
         true,
         {"menu " + kGroup + "Sample.lnk -> " + kDestination + "main.exe",
          "desktop " + kDesktop + "Sample.lnk -> " + kDestination + "main.exe",
          "menu " + kGroup + "Sample Help.lnk -> " + kDestination + "help.chm"},
         kDestination + "main.exe"},
        {"no desktop wanted", {{"main.exe", "Sample"}}, InstallMode::MachineInstall, false,
         {"menu " + kGroup + "Sample.lnk -> " + kDestination + "main.exe"}, kDestination + "main.exe"},
        {"later program wins, .exe2 counts",
         {{"one.exe", "One"}, {"two.EXE2", "Two"}},
         InstallMode::MachineInstall,
         false,
         {"menu " + kGroup + "One.lnk -> " + kDestination + "one.exe",
          "menu " + kGroup + "Two.lnk -> " + kDestination + "two.EXE2"},
         kDestination + "two.EXE2"},
        {"markers machine-wide",
         {{"a.exe", "NEIN!"}, {"b.exe", "EXEC!"}, {"uninst.exe", "VERLOK!"}},
         InstallMode::MachineInstall,
         true,
         {},
         ""},
        {"markers per user",
         {{"a.exe", "NEIN!"}, {"b.exe", "EXEC!"}, {"uninst.exe", "VERLOK!"}},
         InstallMode::PerUserInstall,
         true,
         {"menu " + kGroup + "Uninstall.lnk -> " + kDestination + "uninst.exe"},
         ""},
        {"program in a sub-folder", {{"bin\\main.exe", "Sample"}}, InstallMode::MachineInstall, false,
         {"menu " + kGroup + "Sample.lnk -> " + kDestination + "bin\\main.exe"}, kDestination + "bin\\main.exe"},
        {"labels and names leaving their folder",
         {{"main.exe", "..\\..\\Startup\\Sample"}, {"..\\main.exe", "Sample"}},
         InstallMode::MachineInstall,
         true,
         {},
         kDestination + "main.exe"},
    };
    FakeSystem system;
    for (const Row& row : rows) {
        const ShortcutPlan plan =
            planShortcuts(scriptWith(row.entries, row.mode), kDestination, kGroup, kDesktop, row.desktopWanted, system);
        EXPECT_EQ(describe(plan), row.shortcuts) << row.name;
        EXPECT_EQ(plan.programToStart, row.programToStart) << row.name;
    }
}

TEST(InstallRun, CompletionMessage)
{
    const std::string done = "The installation is now complete.";
    EXPECT_EQ(completionMessage(true, true),
              done + " A start menu entry and a shortcut on the desktop has been created."
                     " The program will be started for the first time now.");
    EXPECT_EQ(completionMessage(true, false), done + " A start menu entry and a shortcut on the desktop has been created.");
    EXPECT_EQ(completionMessage(false, true),
              done + " A start menu entry has been created. The program will be started for the first time now.");
    EXPECT_EQ(completionMessage(false, false), done + " A start menu entry has been created.");
}

TEST(InstallRun, WholeRunInOrder)
{
    struct Row {
        const char* name;
        bool silent;
        bool startWanted;
        std::vector<std::string> tail; // events after the shortcuts
        std::size_t completions;
    };
    const std::string exec = "open " + kDestination + "tool.exe";
    const std::string start = "open " + kDestination + "main.exe in " + kDestination;
    const std::vector<Row> rows = {
        {"normal", false, true, {exec, start}, 1},
        {"start not wanted", false, false, {exec}, 1},
        {"silent", true, true, {exec}, 0},
    };
    for (const Row& row : rows) {
        FakeSystem system;
        MemoryFiles files;
        RecordingWindow window;
        for (const char* name : {"main.exe", "tool.exe"})
            files.files[std::string("C:\\Setup\\") + name] = name;
        RunChoices choices;
        choices.sourceText = "C:\\Setup";
        choices.destinationText = "C:\\Program Files\\Sample";
        choices.startWanted = row.startWanted;
        choices.silent = row.silent;

        runInstallation(scriptWith({{"main.exe", "Sample"}, {"tool.exe", "EXEC!"}}), choices, system, files, window);

        EXPECT_EQ(files.files[kDestination + "tool.exe"], "tool.exe") << row.name;
        std::vector<std::string> expected = {
            "menu " + kGroup + "Sample.lnk -> " + kDestination + "main.exe in " + kDestination,
            "desktop " + kDesktop + "Sample.lnk -> " + kDestination + "main.exe in " + kDestination};
        expected.insert(expected.end(), row.tail.begin(), row.tail.end());
        EXPECT_EQ(system.events, expected) << row.name;
        EXPECT_EQ(window.completions.size(), row.completions) << row.name;
        EXPECT_EQ(window.closed, !row.silent) << row.name;
    }
}

TEST(InstallRun, NoProgramsFolderMeansNoStartMenuShortcuts)
{
    FakeSystem system;
    system.programs.reset();
    system.desktop.clear();
    MemoryFiles files;
    RecordingWindow window;
    files.files["C:\\Setup\\main.exe"] = "x";
    RunChoices choices{"C:\\Setup\\", "C:\\Program Files\\Sample\\", true, false, false};
    runInstallation(scriptWith({{"main.exe", "Sample"}}), choices, system, files, window);
    EXPECT_TRUE(system.events.empty());
    EXPECT_EQ(files.files[kDestination + "main.exe"], "x");
}

TEST(InstallRun, BrowseAndSilentSwitchAndBoxLength)
{
    EXPECT_EQ(destinationFromBrowse("D:\\Tools", "Sample", '\\'), "D:\\Tools\\Sample");
    EXPECT_EQ(destinationFromBrowse("D:\\", "Sample", '\\'), "D:\\Sample");
    EXPECT_TRUE(isSilentSwitch("-silent"));
    EXPECT_FALSE(isSilentSwitch("-SILENT"));
    EXPECT_FALSE(isSilentSwitch("/silent"));
    EXPECT_TRUE(fitsFolderText(std::string(255, 'd')));
    EXPECT_FALSE(fitsFolderText(std::string(256, 'd')));
}
