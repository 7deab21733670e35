// The one sentence that tells the user a file could not be written and why.
#pragma once

#include <QString>

#include <system_error>

// "The file "NAME" could not be written: the disk is full." and so on for other reasons.
QString writeFailureText(const QString& fileName, std::error_code error);
