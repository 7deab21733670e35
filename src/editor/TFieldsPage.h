// The "Form fields" tab's content.
#pragma once

#include <QWidget>

class FormHost;

class TFieldsPage : public QWidget {
    Q_OBJECT
public:
    explicit TFieldsPage(FormHost& host, QWidget* parent = nullptr);

    void repaintView();

private:
    FormHost& host_;
};
