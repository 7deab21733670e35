// The choice of the language the labels of a form are read in, among the installed text
// recognition languages, each alone and all together ("English + German").
#pragma once

#include <QComboBox>

#include <string>

class TOcrLanguageBox : public QComboBox {
public:
    explicit TOcrLanguageBox(QWidget* parent);

    // The stored choice while its language is installed, else the system's language, else English.
    void choose(const QString& stored);
    // Tesseract's code ("eng", "deu", "deu+eng"); empty when no language is installed.
    std::string language() const { return currentData().toString().toStdString(); }
};
