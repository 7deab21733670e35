// The installer for Linux: installs the files listed in "Install.log" beside it.
#include "installer/InstallRun.h"
#include "installer/InstallScript.h"
#include "installer/InstallTexts.h"
#include "installer/StdInstallFiles.h"
#include "installer/linux/InstallerMessages.h"
#include "installer/linux/InstallerWindows.h"
#include "installer/linux/LinuxInstallSystem.h"

#include <QApplication>

int main(int argc, char** argv)
{
    using namespace installer;
    QApplication app(argc, argv);
    const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
    LinuxInstallSystem system(LinuxPlaces::ofThisProcess());
    StdInstallFiles files;
    QtInstallerMessages messages;

    std::optional<InstallScript> script = readInstallScriptFile(folder + kScriptFileName, system);
    if (!script) {
        messages.information(nullptr, QString::fromLatin1(kCorruptedText), QString::fromLatin1(kCorruptedCaption));
        return 0;
    }
    WelcomeWindow welcome(scriptInUtf8(*script), folder, system, files, messages);
    QObject::connect(&welcome, &WelcomeWindow::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    if (argc > 1 && isSilentSwitch(argv[1])) {
        welcome.runSilent();
        return 0;
    }
    welcome.show();
    return app.exec();
}
