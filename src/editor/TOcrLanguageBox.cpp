#include "editor/TOcrLanguageBox.h"

#include "vision/FieldDetection.h"

#include <QLocale>
#include <QStringList>

namespace {

// Tesseract names its languages by their three-letter codes.
QString languageTitle(const QString& codes)
{
    QStringList titles;
    for (const QString& code : codes.split(QLatin1Char('+'))) {
        const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::ISO639Part3);
        titles << (language == QLocale::AnyLanguage ? code : QLocale::languageToString(language));
    }
    return titles.join(QStringLiteral(" + "));
}

}  // namespace

TOcrLanguageBox::TOcrLanguageBox(QWidget* parent) : QComboBox(parent)
{
    QStringList codes;
    for (const std::string& language : installedOcrLanguages())
        codes << QString::fromStdString(language);
    for (const QString& code : codes)
        addItem(languageTitle(code), code);
    if (codes.size() > 1)
        addItem(languageTitle(codes.join(QLatin1Char('+'))), codes.join(QLatin1Char('+')));
    setEnabled(count() > 0);
    // As narrow as a single language's name: the tab must fit the window at its start size.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(7);
    choose({});
}

void TOcrLanguageBox::choose(const QString& stored)
{
    const QString system = QLocale::languageToCode(QLocale::system().language(), QLocale::ISO639Part3);
    for (const QString& code : {stored, system, QStringLiteral("eng")}) {
        const int index = code.isEmpty() ? -1 : findData(code);
        if (index >= 0) {
            setCurrentIndex(index);
            return;
        }
    }
}
