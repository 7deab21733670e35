#include "platform/ProgramData.h"

#include <QDir>
#include <QFileInfo>

QStringList programDataDirs(const QString& programDir)
{
    if (programDir.isEmpty())
        return {};
    // The installed place comes first: a prefix that once held the older layout (manual/ and
    // examples/ in bin/) keeps those stale copies after an upgrade.
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("../share/velmora")) + u'/';
    return {installed, programDir};
}

QString programDataFile(const QString& programDir, const QString& relative)
{
    for (const QString& dir : programDataDirs(programDir)) {
        const QString file = dir + relative;
        if (QFileInfo(file).isFile())
            return file;
    }
    return {};
}
