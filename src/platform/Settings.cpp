#include "platform/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString& overrideFile()
{
    static QString file;
    return file;
}

}  // namespace

QString programSettingsName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return name;
}

std::unique_ptr<QSettings> openProgramSettings()
{
    if (!overrideFile().isEmpty())
        return std::make_unique<QSettings>(overrideFile(), QSettings::IniFormat);
    // The program's name as the organisation and no application name gives exactly one key,
    // "Software\<name>", rather than a sub-key below a vendor.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, programSettingsName());
}

void setProgramSettingsFile(const QString& iniFile) { overrideFile() = iniFile; }
