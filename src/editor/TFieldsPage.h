// The "Fields" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TFieldsPage : public QWidget {
    Q_OBJECT
public:
    explicit TFieldsPage(FormHost& host, QWidget* parent = nullptr);

private:
    FormHost& host_;
};
