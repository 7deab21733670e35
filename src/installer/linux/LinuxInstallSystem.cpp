#include "installer/linux/LinuxInstallSystem.h"

#include "installer/InstallPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

namespace installer {

namespace {

std::string environmentOr(const char* name, const std::string& fallback)
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? fallback : value.toStdString();
}

std::string withoutFinalSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Quoting of one Exec argument: reserved characters inside double quotes, then the escapes
// every desktop-entry string value gets.
std::string execArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string entryValue(const std::string& text)
{
    std::string value;
    for (char c : text) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else if (c == '\r')
            value += "\\r";
        else
            value += c;
    }
    return value;
}

bool writeWhole(const std::string& path, const std::string& text, bool executable)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.data(), static_cast<qint64>(text.size()));
    if (!file.commit())
        return false;
    if (executable)
        QFile::setPermissions(QString::fromStdString(path), QFile::permissions(QString::fromStdString(path))
                                                               | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return true;
}

bool isProgram(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return info.isFile() && info.isExecutable();
}

} // namespace

LinuxPlaces LinuxPlaces::ofThisProcess()
{
    LinuxPlaces places;
    places.machineWide = ::geteuid() == 0;
    const std::string home = environmentOr("HOME", QDir::homePath().toStdString());
    places.dataHome = withoutFinalSlash(environmentOr("XDG_DATA_HOME", home + "/.local/share"));
    QProcess userDir;
    userDir.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
    if (userDir.waitForFinished(5000) && userDir.exitCode() == 0)
        places.desktop = withoutFinalSlash(QString::fromLocal8Bit(userDir.readAllStandardOutput()).trimmed().toStdString());
    if (places.desktop.empty())
        places.desktop = home + "/Desktop";
    return places;
}

std::string desktopEntryText(const std::string& name, const std::string& target, const std::string& workingFolder,
                             bool targetIsProgram)
{
    std::string text = "[Desktop Entry]\nType=Application\nName=" + entryValue(name) + "\nExec=";
    text += targetIsProgram ? execArgument(target) : "xdg-open " + execArgument(target);
    text += "\nPath=" + entryValue(workingFolder) + "\nTerminal=false\n";
    return text;
}

LinuxInstallSystem::LinuxInstallSystem(LinuxPlaces places) : places_(std::move(places)) {}

std::string LinuxInstallSystem::defaultProgramFilesBase() const
{
    return places_.machineBase;
}

FolderLookup LinuxInstallSystem::machineProgramFiles()
{
    return {places_.machineWide, places_.machineBase};
}

FolderLookup LinuxInstallSystem::userAppData()
{
    // Windows always has the application-data folder; a fresh account here may lack it, and the
    // installation creates only the program's own folder.
    QDir().mkpath(QString::fromStdString(places_.dataHome));
    return {true, places_.dataHome};
}

std::string LinuxInstallSystem::windowsFolder()
{
    return places_.machineUninstallers;
}

std::string LinuxInstallSystem::applicationsFolder() const
{
    return places_.machineWide ? places_.machineApplications : places_.dataHome + "/applications/";
}

std::optional<std::string> LinuxInstallSystem::programsFolder()
{
    const std::string folder = applicationsFolder();
    QDir().mkpath(QString::fromStdString(folder));
    return folder;
}

std::string LinuxInstallSystem::desktopFolder()
{
    // Windows always has a desktop folder; a fresh account here may not have made it yet.
    QDir().mkpath(QString::fromStdString(places_.desktop));
    return places_.desktop;
}

void LinuxInstallSystem::writeUninstallEntry(const std::string& folderName, const std::string& uninstallString)
{
    if (!staysInsideFolder(folderName))
        return;
    const std::string text = "[Uninstall]\nDisplayName=" + entryValue(folderName)
                             + "\nUninstallString=" + entryValue(uninstallString) + "\n";
    QDir().mkpath(QString::fromStdString(applicationsFolder()));
    writeWhole(applicationsFolder() + folderName + ".uninstall", text, false);
}

void LinuxInstallSystem::createShortcut(ShortcutKind kind, const std::string& linkFile, const std::string& target,
                                        const std::string& workingFolder)
{
    const std::string name = QFileInfo(QString::fromStdString(linkFile)).completeBaseName().toStdString();
    // File managers start desktop entries on the desktop only when they are executable.
    writeWhole(linkFile, desktopEntryText(name, target, workingFolder, isProgram(target)),
               kind == ShortcutKind::Desktop);
}

std::string LinuxInstallSystem::shortcutFileName(const std::string& displayName) const
{
    return displayName + ".desktop";
}

bool LinuxInstallSystem::isProgramFile(const std::string& fileName, const std::string& installedPath) const
{
    return InstallSystem::isProgramFile(fileName, installedPath) || isProgram(installedPath);
}

void LinuxInstallSystem::shellOpen(const std::string& path, const std::string& workingFolder)
{
    const QString file = QString::fromStdString(path);
    if (isProgram(path))
        QProcess::startDetached(file, {}, QString::fromStdString(workingFolder));
    else
        QProcess::startDetached(QStringLiteral("xdg-open"), {file}, QString::fromStdString(workingFolder));
}

} // namespace installer
