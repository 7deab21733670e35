// "Rename...": the new name of a field.
#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

class TNewNameForm : public QDialog {
    Q_OBJECT
public:
    explicit TNewNameForm(QWidget* parent = nullptr);

    // Shows the dialog with name in its box; the box's text on OK, nothing on Cancel.
    std::optional<QString> ask(const QString& name);

    QLineEdit* NameEdit = nullptr;
};
