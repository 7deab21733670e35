// The per-user settings store: one group named after the program file without its extension
// (on Windows the registry key "Software\<name>", elsewhere "<name>.conf" in the user's
// configuration folder).
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// "velmora" for the program file "velmora" or "velmora.exe".
QString programSettingsName();

std::unique_ptr<QSettings> openProgramSettings();

// Keeps the settings in this INI file instead (tests); an empty name goes back to the store.
void setProgramSettingsFile(const QString& iniFile);
