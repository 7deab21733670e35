// The Linux installer's windows, per user into a temporary home: files, menu entries, the
// desktop entry, the uninstall shortcut, the completion message and the program start.
#include "installer/InstallTexts.h"
#include "installer/StdInstallFiles.h"
#include "installer/linux/InstallerMessages.h"
#include "installer/linux/InstallerWindows.h"
#include "installer/linux/LinuxInstallSystem.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace installer;
namespace fs = std::filesystem;

namespace {

struct RecordingMessages : InstallerMessages {
    std::vector<std::pair<QString, QString>> shown; // text, caption
    bool answer = false;
    QString folder;

    void information(QWidget*, const QString& text, const QString& caption) override { shown.emplace_back(text, caption); }
    bool question(QWidget*, const QString& text, const QString& caption) override
    {
        shown.emplace_back(text, caption);
        return answer;
    }
    QString chooseFolder(QWidget*, const QString&) override { return folder; }
};

struct RecordingSystem : LinuxInstallSystem {
    using LinuxInstallSystem::LinuxInstallSystem;
    std::vector<std::string> opened;
    void shellOpen(const std::string& path, const std::string& workingFolder) override
    {
        opened.push_back(path + " in " + workingFolder);
    }
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class LinuxFrontEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(dir.path().toStdString());
        home = root / "home";
        package = root / "package";
        fs::create_directories(home);
        fs::create_directories(package);
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        writeFile(package / "velmora", "#!/bin/sh\nexit 0\n");
        fs::permissions(package / "velmora", fs::perms::owner_all);
        writeFile(package / "manual.html", std::string(3000, 'm'));
        writeFile(package / "readme.txt", "read me");
        writeFile(package / "uninstall.sh", "#!/bin/sh\n");
        // The product name has an umlaut in Windows-1252.
        writeFile(package / "Install.log",
                  "Tolvar Instavor 2.0 - Install.log\r\nNicht ver\xE4ndern, nicht l\xF6schen!\r\nM\xFChle\r\n"
                  "C:\\Programme\\Sample App\r\nSample Group\r\n\r\n4\r\nvelmora\r\nSample\r\nmanual.html\r\n"
                  "Sample Help\r\nreadme.txt\r\nNEIN!\r\nuninstall.sh\r\nVERLOK!\r\n\r\n");
        LinuxPlaces places;
        places.dataHome = (home / ".local/share").string();
        places.desktop = (home / "Desktop").string();
        makeWindow(places);
    }

    void makeWindow(const LinuxPlaces& places)
    {
        system = std::make_unique<RecordingSystem>(places);
        auto script = readInstallScriptFile((package / "Install.log").string(), *system);
        ASSERT_TRUE(script);
        window = std::make_unique<WelcomeWindow>(scriptInUtf8(*script), package.string() + "/", *system, files, messages);
    }

    fs::path applications() const { return home / ".local/share/applications/Sample Group"; }

    QTemporaryDir dir;
    fs::path root, home, package;
    std::unique_ptr<RecordingSystem> system;
    StdInstallFiles files;
    RecordingMessages messages;
    std::unique_ptr<WelcomeWindow> window;
};

} // namespace

TEST_F(LinuxFrontEnd, SilentRunInstallsFilesAndEntries)
{
    const fs::path dest = home / ".local/share/Sample App";
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("heading"))->text(),
              QString::fromUtf8("Welcome to the installation program of M\xC3\xBChle!"));
    EXPECT_EQ(window->destinationBox()->text().toStdString(), dest.string());
    window->runSilent();

    for (const char* name : {"velmora", "manual.html", "readme.txt", "uninstall.sh"})
        EXPECT_EQ(readAll(dest / name), readAll(package / name)) << name;
    EXPECT_TRUE((fs::status(dest / "velmora").permissions() & fs::perms::owner_exec) != fs::perms::none);
    const std::string folder = dest.string() + "/";
    EXPECT_EQ(readAll(applications() / "Sample.desktop"),
              "[Desktop Entry]\nType=Application\nName=Sample\nExec=\"" + folder + "velmora\"\nPath=" + folder
                  + "\nTerminal=false\n");
    EXPECT_EQ(readAll(applications() / "Sample Help.desktop"),
              "[Desktop Entry]\nType=Application\nName=Sample Help\nExec=xdg-open \"" + folder
                  + "manual.html\"\nPath=" + folder + "\nTerminal=false\n");
    EXPECT_TRUE(fs::exists(applications() / "Uninstall.desktop"));
    EXPECT_FALSE(fs::exists(home / ".local/share/applications/Sample App.uninstall"));
    EXPECT_EQ(std::distance(fs::directory_iterator(applications()), {}), 3);
    EXPECT_EQ(readAll(home / "Desktop/Sample.desktop"), readAll(applications() / "Sample.desktop"));
    EXPECT_TRUE((fs::status(home / "Desktop/Sample.desktop").permissions() & fs::perms::owner_exec) != fs::perms::none);
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "Desktop"), {}), 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(system->opened.empty());
}

TEST_F(LinuxFrontEnd, RunThroughTheWindowShowsCompletionAndStartsTheProgram)
{
    messages.folder = QString::fromStdString((root / "apps").string());
    fs::create_directories(root / "apps");
    window->BrowseBtnClick();
    const fs::path dest = root / "apps/Sample App";
    EXPECT_EQ(window->destinationBox()->text().toStdString(), dest.string());
    window->desktopCheck()->setChecked(false);
    int finished = 0;
    QObject::connect(window.get(), &WelcomeWindow::finished, [&] { ++finished; });

    window->NextBtnClick();

    EXPECT_EQ(readAll(dest / "velmora"), readAll(package / "velmora"));
    EXPECT_FALSE(fs::exists(home / "Desktop/Sample.desktop"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, QStringLiteral("The installation is now complete. A start menu entry has been "
                                                      "created. The program will be started for the first time now."));
    EXPECT_EQ(messages.shown[0].second, QStringLiteral("Installation finished"));
    EXPECT_EQ(system->opened, std::vector<std::string>{(dest / "velmora").string() + " in " + dest.string() + "/"});
    EXPECT_EQ(finished, 1);
}

TEST_F(LinuxFrontEnd, CancelAsksFirst)
{
    int finished = 0;
    QObject::connect(window.get(), &WelcomeWindow::finished, [&] { ++finished; });
    window->CancelBtnClick();
    EXPECT_EQ(finished, 0);
    messages.answer = true;
    window->CancelBtnClick();
    EXPECT_EQ(finished, 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], std::make_pair(QString::fromLatin1(kQuitQuestion), QString::fromLatin1(kQuitCaption)));
    EXPECT_FALSE(fs::exists(home / ".local/share/Sample App"));
}

TEST_F(LinuxFrontEnd, MachineWideRunWritesTheUninstallRecord)
{
    LinuxPlaces places;
    places.machineWide = true;
    places.dataHome = (home / ".local/share").string();
    places.desktop = (home / "Desktop").string();
    places.machineBase = (root / "opt").string() + "/";
    places.machineApplications = (root / "applications").string() + "/";
    places.machineUninstallers = (root / "libexec").string() + "/";
    fs::create_directories(root / "opt");
    fs::create_directories(root / "libexec");
    makeWindow(places);
    window->runSilent();

    const std::string dest = (root / "opt/Sample App").string() + "/";
    EXPECT_EQ(readAll(dest + "velmora"), readAll(package / "velmora"));
    EXPECT_FALSE(fs::exists(dest + "uninstall.sh"));
    EXPECT_EQ(readAll(root / "libexec/uninstall.sh"), readAll(package / "uninstall.sh"));
    EXPECT_EQ(readAll(root / "applications/Sample App.uninstall"),
              "[Uninstall]\nDisplayName=Sample App\nUninstallString=" + (root / "libexec/uninstall.sh").string()
                  + " \"" + dest + "\"\n");
    EXPECT_TRUE(fs::exists(root / "applications/Sample Group/Sample.desktop"));
    EXPECT_FALSE(fs::exists(root / "applications/Sample Group/Uninstall.desktop"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LinuxFrontEnd, AHomeFolderWithAnUmlautIsUsedAsItIs)
{
    // The home folder's name is already UTF-8; only the script's own texts are Windows-1252.
    const fs::path data = home / "j\xC3\xBCrgen/.local/share";
    LinuxPlaces places;
    places.dataHome = data.string();
    places.desktop = (home / "Desktop").string();
    makeWindow(places);
    EXPECT_EQ(window->destinationBox()->text().toStdString(), (data / "Sample App").string());
    window->runSilent();

    EXPECT_EQ(readAll(data / "Sample App/velmora"), readAll(package / "velmora"));
    EXPECT_TRUE(messages.shown.empty());
}
