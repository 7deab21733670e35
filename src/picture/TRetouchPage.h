// The "Retouch" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TRetouchPage : public QWidget {
    Q_OBJECT
public:
    explicit TRetouchPage(FormHost& host, QWidget* parent = nullptr);

private:
    FormHost& host_;
};
