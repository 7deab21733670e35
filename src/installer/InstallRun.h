#pragma once
// The installation run after "Next >" (or at once with "-silent"): copy phase, shortcut phase,
// run phase, the completion message and the start of the installed program.
#include "installer/InstallPlatform.h"
#include "installer/InstallScript.h"

#include <optional>
#include <string>
#include <vector>

namespace installer {

struct Shortcut {
    ShortcutKind kind = ShortcutKind::StartMenu;
    std::string linkFile;
    std::string target;
    std::string workingFolder;
};

struct ShortcutPlan {
    std::vector<Shortcut> shortcuts;
    std::string programToStart;
};

// groupFolder and desktopFolder end with the separator; no group folder means no Start-menu
// shortcuts, an empty desktop folder no desktop shortcuts.
ShortcutPlan planShortcuts(const InstallScript& script, const std::string& destination,
                           const std::optional<std::string>& groupFolder, const std::string& desktopFolder,
                           bool desktopWanted, const InstallSystem& system);

std::string completionMessage(bool desktopWanted, bool startWanted);

// The installed files of the entries labelled "EXEC!", in table order.
std::vector<std::string> filesToOpen(const InstallScript& script, const std::string& destination, char separator);

bool isSilentSwitch(const std::string& firstArgument);

// The box texts longer than the installer's folder texts may be are refused before anything is
// copied.
bool fitsFolderText(const std::string& text);

// The progress window and the one message the run shows at its end.
class RunWindow : public InstallProgress {
public:
    virtual void showCompletion(const std::string& text) = 0;
    virtual void closeProgress() = 0;
};

struct RunChoices {
    std::string sourceText;
    std::string destinationText;
    bool desktopWanted = true;
    bool startWanted = true;
    bool silent = false;
};

void runInstallation(const InstallScript& script, const RunChoices& choices, InstallSystem& system,
                     InstallFiles& files, RunWindow& window);

} // namespace installer
