// The "FormSize" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TFormSizePage : public QWidget {
    Q_OBJECT
public:
    explicit TFormSizePage(FormHost& host, QWidget* parent = nullptr);

private:
    FormHost& host_;
};
