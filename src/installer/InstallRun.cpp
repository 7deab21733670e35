#include "installer/InstallRun.h"

#include "installer/InstallCopy.h"
#include "installer/InstallPaths.h"
#include "installer/InstallTexts.h"

namespace installer {

ShortcutPlan planShortcuts(const InstallScript& script, const std::string& destination,
                           const std::optional<std::string>& groupFolder, const std::string& desktopFolder,
                           bool desktopWanted, const InstallSystem& system)
{
    const char separator = system.separator();
    ShortcutPlan plan;
    auto add = [&](ShortcutKind kind, const std::string& folder, const std::string& linkName,
                   const std::string& target) {
        // A label is a file name in the group or desktop folder; one that climbs out of it
        // would put a link file anywhere.
        if (!staysInsideFolder(linkName))
            return;
        plan.shortcuts.push_back({kind, joinPath(folder, linkName, separator), target, destination});
    };
    for (const InstallEntry& entry : script.entries) {
        if (entry.label == kMarkerNoShortcut || entry.label == kMarkerExecute || !staysInsideFolder(entry.fileName))
            continue;
        const std::string target = joinPath(destination, entry.fileName, separator);
        if (entry.label == kMarkerUninstaller) {
            if (script.mode == InstallMode::PerUserInstall && groupFolder)
                add(ShortcutKind::StartMenu, *groupFolder, system.shortcutFileName(kUninstallShortcutName), target);
            continue;
        }
        const std::string linkName = system.shortcutFileName(entry.label);
        if (groupFolder)
            add(ShortcutKind::StartMenu, *groupFolder, linkName, target);
        if (system.isProgramFile(entry.fileName, target)) {
            plan.programToStart = target;
            if (desktopWanted && !desktopFolder.empty())
                add(ShortcutKind::Desktop, desktopFolder, linkName, target);
        }
    }
    return plan;
}

std::string completionMessage(bool desktopWanted, bool startWanted)
{
    std::string text = "The installation is now complete.";
    text += desktopWanted ? " A start menu entry and a shortcut on the desktop has been created."
                          : " A start menu entry has been created.";
    if (startWanted)
        text += " The program will be started for the first time now.";
    return text;
}

std::vector<std::string> filesToOpen(const InstallScript& script, const std::string& destination, char separator)
{
    std::vector<std::string> paths;
    for (const InstallEntry& entry : script.entries) {
        if (entry.label == kMarkerExecute && staysInsideFolder(entry.fileName))
            paths.push_back(joinPath(destination, entry.fileName, separator));
    }
    return paths;
}

bool isSilentSwitch(const std::string& firstArgument)
{
    return firstArgument == kSilentSwitch;
}

bool fitsFolderText(const std::string& text)
{
    return text.size() <= kMaxFolderText;
}

namespace {

std::optional<std::string> groupFolderOf(const InstallScript& script, InstallSystem& system, InstallFiles& files)
{
    const char separator = system.separator();
    const std::optional<std::string> programs = system.programsFolder();
    if (!programs)
        return std::nullopt;
    const std::string group = joinPath(withSeparator(*programs, separator), script.groupName, separator);
    files.makeFolder(group);
    return withSeparator(group, separator);
}

} // namespace

void runInstallation(const InstallScript& script, const RunChoices& choices, InstallSystem& system,
                     InstallFiles& files, RunWindow& window)
{
    const char separator = system.separator();
    InstallFolders folders;
    folders.source = withSeparator(choices.sourceText, separator);
    folders.destination = withSeparator(choices.destinationText, separator);
    folders.windows = system.windowsFolder();
    files.makeFolder(folders.destination.substr(0, folders.destination.size() - 1));

    copyPhase(script, folders, system, files, window);

    const std::optional<std::string> groupFolder = groupFolderOf(script, system, files);
    const std::string desktopFolder = withSeparatorIfAny(system.desktopFolder(), separator);
    const ShortcutPlan plan =
        planShortcuts(script, folders.destination, groupFolder, desktopFolder, choices.desktopWanted, system);
    for (const Shortcut& shortcut : plan.shortcuts)
        system.createShortcut(shortcut.kind, shortcut.linkFile, shortcut.target, shortcut.workingFolder);

    for (const std::string& path : filesToOpen(script, folders.destination, separator))
        system.shellOpen(path, std::string());

    if (choices.silent)
        return;
    window.showCompletion(completionMessage(choices.desktopWanted, choices.startWanted));
    window.closeProgress();
    if (!plan.programToStart.empty() && choices.startWanted)
        system.shellOpen(plan.programToStart, folderOfPath(plan.programToStart, separator));
}

} // namespace installer
