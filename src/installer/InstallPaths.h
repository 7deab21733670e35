#pragma once
// Folder texts as the installer builds them: every folder ends with the system's separator,
// and the script's names (which use "\") are turned to that separator when joined.
#include <string>

namespace installer {

// Appends the separator unless the text already ends with it; an empty text becomes the
// separator alone.
std::string withSeparator(const std::string& folder, char separator);
// Appends the separator to a non-empty text that doesn't end with it; an empty text stays empty.
std::string withSeparatorIfAny(const std::string& folder, char separator);
// folder + name, the name's "\" turned to the separator.
std::string joinPath(const std::string& folder, const std::string& name, char separator);
// Everything before the last "\" of a script name; empty when there is none.
std::string parentOfName(const std::string& name);
// The folder part of a full path, with its separator; empty when there is none.
std::string folderOfPath(const std::string& path, char separator);
// A name that stays inside the folder it is joined to: not empty, not absolute, no drive or
// stream colon, no ".." step.
bool staysInsideFolder(const std::string& name);
// Whether the extension (after the last "." of the last step), in upper case, contains "EXE".
bool hasProgramExtension(const std::string& name);

} // namespace installer

namespace installer {

// The destination box after "Browse...": the chosen folder, its separator, the script's folder
// name.
std::string destinationFromBrowse(const std::string& chosenFolder, const std::string& folderName, char separator);

} // namespace installer
