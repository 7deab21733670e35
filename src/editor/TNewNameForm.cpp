#include "editor/TNewNameForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

TNewNameForm::TNewNameForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rename..."));
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName("NameEdit");
    NameEdit->setMinimumWidth(220);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), NameEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::optional<QString> TNewNameForm::ask(const QString& name)
{
    NameEdit->setText(name);
    NameEdit->selectAll();
    NameEdit->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return NameEdit->text();
}
