// The information dialog.
#pragma once

#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // The line that carried the year placeholder, as shown.
    QString copyrightText() const;

private:
    QLabel* Copyright = nullptr;
};

// text with every "XXXX" replaced by year as four digits.
QString withYear(QString text, int year);
