// The "Print" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TPrintPage : public QWidget {
    Q_OBJECT
public:
    explicit TPrintPage(FormHost& host, QWidget* parent = nullptr);

private:
    FormHost& host_;
};
