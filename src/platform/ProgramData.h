// The files the program ships beside itself: the manual ("manual/index.html") and the sample form
// ("examples/sample.frm"). Installed, they live in <prefix>/share/velmora while the program is in
// <prefix>/bin; in the build tree and in a one-folder installation they sit in the program folder.
#pragma once

#include <QString>
#include <QStringList>

// The folders searched for a shipped file, in order, each ending in '/'. programDir ends in '/'.
QStringList programDataDirs(const QString& programDir);

// The first existing file `relative` (e.g. "manual/index.html") in programDataDirs, or empty when
// there is none.
QString programDataFile(const QString& programDir, const QString& relative);
