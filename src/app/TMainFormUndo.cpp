#include "app/TMainForm.h"

#include "editor/TFieldsPage.h"
#include "picture/DrawDib.h"
#include "picture/TScanPage.h"
#include "platform/Controls.h"
#include "print/TFillOutPage.h"
#include "print/TFormSizePage.h"
#include "print/TPrintPage.h"

#include <QAction>
#include <QHBoxLayout>
#include <QToolButton>

namespace {

// The hint names the step the button would take back or make again.
QString undoHint(const QString& verb, const QString& stepText)
{
    if (stepText.isEmpty())
        return QStringLiteral("Nothing to %1").arg(verb.toLower());
    return verb + QStringLiteral(": ") + stepText;
}

}  // namespace

void TMainForm::buildUndoControls(QHBoxLayout* documentBar)
{
    QUndoStack& stack = history_.stack();
    UndoBtn = toolButton({.text = QStringLiteral("Undo"), .name = "UndoBtn", .minimumWidth = 72});
    RedoBtn = toolButton({.text = QStringLiteral("Redo"), .name = "RedoBtn", .minimumWidth = 72});
    documentBar->addWidget(UndoBtn);
    documentBar->addWidget(RedoBtn);
    connect(UndoBtn, &QToolButton::clicked, &stack, &QUndoStack::undo);
    connect(RedoBtn, &QToolButton::clicked, &stack, &QUndoStack::redo);

    undoAction_ = stack.createUndoAction(this);
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction_ = stack.createRedoAction(this);
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addAction(undoAction_);
    addAction(redoAction_);

    connect(&stack, &QUndoStack::indexChanged, this, &TMainForm::showUndoHints);
    connect(&stack, &QUndoStack::cleanChanged, this, &TMainForm::showUndoHints);
    showUndoHints();
}

void TMainForm::showUndoHints()
{
    const QUndoStack& stack = history_.stack();
    UndoBtn->setEnabled(stack.canUndo());
    RedoBtn->setEnabled(stack.canRedo());
    UndoBtn->setToolTip(undoHint(QStringLiteral("Undo"), stack.undoText()));
    RedoBtn->setToolTip(undoHint(QStringLiteral("Redo"), stack.redoText()));
}

void TMainForm::showRestored(FormParts parts, int recordNumber)
{
    if (parts & PartPicture) {
        scanPage_->showPictureInfo();
        formSizePage_->FBreitEdinChange();
        const Dib& picture = document_.picture.get();
        selection_ = SelectionRect{0, 0, DibWidth(picture), DibHeight(picture)};
        repaintPictureViews();
    }
    if (parts & PartFields) {
        fieldsPage_->documentChanged();
        FieldsChanged = true;
    }
    if (parts & PartRecords)
        fillOutPage_->showRecords(recordNumber);
    if (parts & PartFormSize) {
        formSizePage_->showRestoredFormSize();
        formSizeChanged();
    }
    if (parts & PartPrintShift)
        printPage_->documentChanged();
}
