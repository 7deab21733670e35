#include "installer/linux/InstallerMessages.h"

#include <QFileDialog>
#include <QMessageBox>

#include <array>

namespace installer {

void QtInstallerMessages::information(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox::information(owner, caption, text);
}

bool QtInstallerMessages::question(QWidget* owner, const QString& text, const QString& caption)
{
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString QtInstallerMessages::chooseFolder(QWidget* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(owner, title);
}

std::string utf8FromWindows1252(const std::string& text)
{
    // 0x80 to 0x9F differ from Latin-1; the five unassigned bytes keep their Latin-1 meaning.
    static constexpr std::array<char16_t, 32> kHigh = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString converted;
    converted.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text)
        converted += c >= 0x80 && c <= 0x9F ? QChar(kHigh[c - 0x80]) : QChar(c);
    return converted.toStdString();
}

QString displayText(const std::string& utf8)
{
    QString text = QString::fromStdString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

} // namespace installer

namespace installer {

InstallScript scriptInUtf8(InstallScript script)
{
    for (std::string* text : {&script.productName, &script.folderName, &script.groupName})
        *text = utf8FromWindows1252(*text);
    // The base comes from this system (the home folder), in UTF-8 already.
    script.defaultDestination = script.programFilesBase + script.folderName;
    for (InstallEntry& entry : script.entries) {
        entry.fileName = utf8FromWindows1252(entry.fileName);
        entry.label = utf8FromWindows1252(entry.label);
    }
    return script;
}

} // namespace installer
