#pragma once
// The welcome window and the progress window of the Linux installer: the controls, texts and
// places of the Win32 program, drawn by Qt.
#include "installer/InstallRun.h"
#include "installer/InstallScript.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace installer {

class InstallerMessages;

class ProgressWindow : public QWidget, public RunWindow {
    Q_OBJECT
public:
    ProgressWindow(InstallerMessages& messages, QWidget* owner);

    void setStatus(const std::string& text) override;
    void setWaitCursor(bool wait) override;
    void showCopyError(const std::string& text) override;
    void showCompletion(const std::string& text) override;
    void closeProgress() override;

    QString statusText() const;

private:
    InstallerMessages& messages_;
    QLabel* status_ = nullptr;
};

class WelcomeWindow : public QWidget {
    Q_OBJECT
public:
    // The script's texts are UTF-8 here.
    WelcomeWindow(InstallScript script, std::string installerFolder, InstallSystem& system, InstallFiles& files,
                  InstallerMessages& messages);

    void BrowseBtnClick();
    void NextBtnClick();
    void CancelBtnClick();
    // The installation without any question: "-silent".
    void runSilent();

    QLineEdit* destinationBox() const { return destination_; }
    QCheckBox* desktopCheck() const { return desktopCheck_; }
    QCheckBox* startCheck() const { return startCheck_; }

signals:
    void finished();

private:
    void runInstallation(bool silent);

    InstallScript script_;
    InstallSystem& system_;
    InstallFiles& files_;
    InstallerMessages& messages_;
    QLineEdit* source_ = nullptr;
    QLineEdit* destination_ = nullptr;
    QCheckBox* desktopCheck_ = nullptr;
    QCheckBox* startCheck_ = nullptr;
};

} // namespace installer
