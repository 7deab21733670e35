#pragma once
// The Linux installer's message boxes and folder dialog, in one place so that tests can answer
// them.
#include "installer/InstallScript.h"

#include <QString>

#include <string>

class QWidget;

namespace installer {

class InstallerMessages {
public:
    virtual ~InstallerMessages() = default;
    virtual void information(QWidget* owner, const QString& text, const QString& caption) = 0;
    virtual bool question(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The chosen folder, empty when the dialog was cancelled.
    virtual QString chooseFolder(QWidget* owner, const QString& title) = 0;
};

class QtInstallerMessages : public InstallerMessages {
public:
    void information(QWidget* owner, const QString& text, const QString& caption) override;
    bool question(QWidget* owner, const QString& text, const QString& caption) override;
    QString chooseFolder(QWidget* owner, const QString& title) override;
};

// Script texts are Windows-1252 bytes; Linux file names and widgets want UTF-8.
std::string utf8FromWindows1252(const std::string& text);
// The script with every text in UTF-8, read after its byte limits were checked.
InstallScript scriptInUtf8(InstallScript script);
// Windows breaks lines in a static control at CR alone; Qt labels want LF.
QString displayText(const std::string& utf8);

} // namespace installer
