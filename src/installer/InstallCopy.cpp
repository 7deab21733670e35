#include "installer/InstallCopy.h"

#include "installer/InstallPaths.h"
#include "installer/InstallTexts.h"

#include <array>

namespace installer {

std::string copyStatusText(const std::string& source, const std::string& destination)
{
    return "Copy " + source + "\r to \r" + destination + "...";
}

std::string copyErrorText(const std::string& source, const std::string& destination)
{
    return "Error while copying the file \r\n" + source + "\r\n to \r\n" + destination + " !";
}

std::string temporaryCopyPath(const std::string& destination)
{
    return destination + ".~tmp";
}

namespace {

bool copyBytes(InstallFiles& files, const std::string& source, const std::string& temporary)
{
    const auto in = files.openRead(source);
    if (!in)
        return false;
    const auto out = files.create(temporary);
    if (!out)
        return false;
    std::array<char, kCopyChunk> buffer{};
    bool ok = true;
    for (;;) {
        const long got = in->read(buffer.data(), buffer.size());
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (out->write(buffer.data(), static_cast<std::size_t>(got)) != got) {
            ok = false;
            break;
        }
    }
    return out->close() && ok;
}

} // namespace

bool copyInstallFile(InstallFiles& files, InstallProgress& progress, const std::string& source,
                     const std::string& destination)
{
    progress.setStatus(copyStatusText(source, destination));
    progress.setWaitCursor(true);
    const std::string temporary = temporaryCopyPath(destination);
    bool ok = copyBytes(files, source, temporary);
    if (ok) {
        files.keepPermissions(source, temporary);
        ok = files.replace(temporary, destination);
    }
    if (!ok)
        files.remove(temporary);
    progress.setWaitCursor(false);
    if (!ok)
        progress.showCopyError(copyErrorText(source, destination));
    return ok;
}

std::string uninstallString(const std::string& uninstallerPath, const std::string& destination)
{
    return uninstallerPath + " \"" + destination + "\"";
}

void copyPhase(const InstallScript& script, const InstallFolders& folders, InstallSystem& system,
               InstallFiles& files, InstallProgress& progress)
{
    const char separator = system.separator();
    for (const InstallEntry& entry : script.entries) {
        const bool machineUninstaller = entry.label == kMarkerUninstaller && script.mode == InstallMode::MachineInstall;
        const std::string& target = machineUninstaller ? folders.windows : folders.destination;
        const std::string source = joinPath(folders.source, entry.fileName, separator);
        const std::string destination = joinPath(target, entry.fileName, separator);
        // A name that leaves the folder would write anywhere on the machine.
        if (!staysInsideFolder(entry.fileName)) {
            progress.showCopyError(copyErrorText(source, destination));
            continue;
        }
        if (machineUninstaller) {
            copyInstallFile(files, progress, source, destination);
            system.writeUninstallEntry(script.folderName,
                                       uninstallString(destination, folders.destination));
            continue;
        }
        if (const std::string parent = parentOfName(entry.fileName); !parent.empty())
            files.makeFolder(joinPath(folders.destination, parent, separator));
        copyInstallFile(files, progress, source, destination);
    }
}

} // namespace installer
