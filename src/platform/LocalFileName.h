// File names as the picture library and the form, CSV and PDF writers take them.
#pragma once

#include <QString>

#include <string>

// The name in the file system's own encoding, so that names beyond ASCII reach the same file.
std::string localFileName(const QString& name);
