// "List of objects": every field's name, position and size in stacking order. A right press on a
// row asks for the field popup menu for that field and closes the list.
#pragma once

#include "document/FormDocument.h"

#include <QDialog>
#include <QPoint>
#include <functional>

class QTableWidget;

class TObjListForm : public QDialog {
    Q_OBJECT
public:
    explicit TObjListForm(QWidget* parent = nullptr);

    void fill(const FormDocument& document);

    // Called with the 1-based field number and the press's screen position; the list closes
    // with OK right after.
    std::function<void(int field, QPoint globalPos)> onRowPopup;

    // ObjListMouseDown: row counts the heading as row 0.
    void ObjListMouseDown(Qt::MouseButton button, int row, QPoint globalPos);

    QTableWidget* ObjList = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
