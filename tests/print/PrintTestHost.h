// A stand-in for the main window as the print pages see it: the document, scripted prompts and
// a record of the tabs the pages switch to.
#pragma once

#include "picture/FormHost.h"
#include "platform/ScriptedPrompts.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QKeyEvent>

#include <vector>

class PrintTestHost : public FormHost {
public:
    explicit PrintTestHost(QString programDir = {}) : programDir_(std::move(programDir)) {}

    FormDocument& document() override { return document_; }
    Prompts& prompts() override { return prompts_; }
    QString programDir() const override { return programDir_; }
    void SetProStatus(int) override {}
    void takeInNewPicture(Dib dib, TakeIn) override { document_.picture.reset(dib); }
    void repaintPictureViews() override {}
    void showTab(int index) override { shownTabs.push_back(index); }
    SelectionRect& selection() override { return selection_; }

    ScriptedPrompts prompts_;
    std::vector<int> shownTabs;

private:
    QString programDir_;
    FormDocument document_;
    SelectionRect selection_;
};

// Types text into a number box as the keyboard does, then ends the entry with Return.
inline void typeInto(QDoubleSpinBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
}
