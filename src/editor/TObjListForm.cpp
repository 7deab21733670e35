#include "editor/TObjListForm.h"

#include "editor/FieldCommands.h"
#include "platform/CodePage.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

TObjListForm::TObjListForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("List of objects"));
    ObjList = new QTableWidget(0, 2, this);
    ObjList->setObjectName("ObjList");
    ObjList->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Position and size")});
    ObjList->verticalHeader()->hide();
    ObjList->setColumnWidth(0, 145);
    ObjList->setColumnWidth(1, 145);
    ObjList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ObjList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ObjList->setMinimumSize(320, 240);
    ObjList->viewport()->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Hint: use right mouse button for popup menu."), this));
    layout->addWidget(ObjList, 1);
    layout->addWidget(buttons);
}

void TObjListForm::fill(const FormDocument& document)
{
    ObjList->setRowCount(int(document.fields.size()));
    for (size_t i = 0; i < document.fields.size(); ++i) {
        const FormField& field = document.fields[i];
        ObjList->setItem(int(i), 0, new QTableWidgetItem(ansiToQString(field.name)));
        ObjList->setItem(int(i), 1, new QTableWidgetItem(QString::fromStdString(positionSizeText(field))));
    }
}

void TObjListForm::ObjListMouseDown(Qt::MouseButton button, int row, QPoint globalPos)
{
    if (button != Qt::RightButton || row < 1 || row > ObjList->rowCount())
        return;
    if (onRowPopup)
        onRowPopup(row, globalPos);
    accept();
}

bool TObjListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ObjList->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const int tableRow = ObjList->rowAt(int(std::floor(press->position().y())));
        // The table shows its heading apart from the rows; the fields are rows 1 and on.
        ObjListMouseDown(press->button(), tableRow < 0 ? -1 : tableRow + 1, press->globalPosition().toPoint());
        if (press->button() == Qt::RightButton)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
