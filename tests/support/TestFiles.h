// Whole files read and written by the tests, as the user's files would be on disk.
#pragma once

#include <QByteArray>
#include <QString>

// The file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// False unless every byte was written.
bool writeFile(const QString& path, const QByteArray& bytes);
