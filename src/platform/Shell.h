// Opening a file the way the desktop opens it on a double click.
#pragma once

#include <QString>
#include <functional>

// Opens the file with the desktop's default handler; false when none could be started.
bool shellOpen(const QString& fileName);

// Replaces the desktop handler (tests record what would be opened); an empty function restores
// the desktop's.
void setShellOpenHandler(std::function<bool(const QString&)> handler);
