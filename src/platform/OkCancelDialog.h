// A dialog closed by "OK", its default button, and "Cancel", both at its bottom right.
#pragma once

#include <QDialog>

class QHBoxLayout;
class QPushButton;

class OkCancelDialog : public QDialog {
    Q_OBJECT
public:
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    explicit OkCancelDialog(QWidget* parent) : QDialog(parent) {}

    // Makes the two buttons, which accept and reject the dialog, and the row that places them.
    // Called once, as the last row of the layout, so that they come last in the tab order.
    QHBoxLayout* okCancelRow();
};
