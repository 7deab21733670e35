// The "Scan" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TScanPage : public QWidget {
    Q_OBJECT
public:
    explicit TScanPage(FormHost& host, QWidget* parent = nullptr);

private:
    FormHost& host_;
};
