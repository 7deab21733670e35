#pragma once
// The installer's own texts, shared by the Win32 and the Linux front end so both show the same
// words. CR is the single character 13 where a text breaks a line inside a static control.

namespace installer {

inline constexpr const char* kScriptFileName = "Install.log";
inline constexpr const char* kScriptHeader = "Tolvar Instavor 2.0 - Install.log";
// Windows-1252: the umlauts are the bytes E4 and F6.
inline constexpr const char* kScriptGuard = "Nicht ver\xE4ndern, nicht l\xF6schen!";
inline constexpr const char* kProgrammePrefix = "C:\\PROGRAMME\\";
inline constexpr const char* kDefaultProgramFilesBase = "c:\\programs\\";

inline constexpr const char* kMarkerUninstaller = "VERLOK!";
inline constexpr const char* kMarkerNoShortcut = "NEIN!";
inline constexpr const char* kMarkerExecute = "EXEC!";
inline constexpr const char* kUninstallShortcutName = "Uninstall";
inline constexpr const char* kSilentSwitch = "-silent";

inline constexpr const char* kWindowTitle = "Tolvar Install";
inline constexpr const char* kCorruptedText = "The file Install.log is corrupted! The installation can not be done!";
inline constexpr const char* kCorruptedCaption = "Installation canceled!";
inline constexpr const char* kWelcomePrefix = "Welcome to the installation program of ";
inline constexpr const char* kSourceLabel = "Source folder:";
inline constexpr const char* kDestinationLabel = "Destination folder:";
inline constexpr const char* kNote =
    "This program has an uninstall program. You find it in the windows control panel under Software.\r\r"
    "With the command line parameter -silent you can install without user interaction";
inline constexpr const char* kBrowseButton = "Browse...";
inline constexpr const char* kBrowseTitle = "Choose destination folder";
inline constexpr const char* kDesktopCheck = "Create shortcut icon on desktop";
inline constexpr const char* kStartCheck = "Start the program after installation";
inline constexpr const char* kNextButton = "Next >";
inline constexpr const char* kCancelButton = "Cancel";
inline constexpr const char* kQuitQuestion = "Do you really want to quit the program?";
inline constexpr const char* kQuitCaption = "Quit program";
inline constexpr const char* kProgressHeading = "Installation of the program in progress... Please wait...";
inline constexpr const char* kFinishedCaption = "Installation finished";
inline constexpr const char* kDestinationTooLong = "The destination folder name is too long (at most 255 characters).";

inline constexpr int kWindowWidth = 520;
inline constexpr int kWindowHeight = 360;

} // namespace installer
