// A stand-in for the main window as the pages see it: the document, scripted prompts, and a
// record of the progress, take-ins, tab switches and notifications the pages send.
#pragma once

#include "host/FormHost.h"
#include "support/ScriptedPrompts.h"

#include <QStringList>

#include <vector>

class TestFormHost : public FormHost {
public:
    explicit TestFormHost(QString programDir = {}) : programDir_(std::move(programDir)) {}

    FormDocument& document() override { return doc; }
    FormHistory& history() override { return undo; }
    Prompts& prompts() override { return scripted; }
    QString programDir() const override { return programDir_; }
    void SetProStatus(int percent) override { progress.push_back(percent); }
    void showStatusText(const QString& text) override { statusTexts.push_back(text); }
    void takeInNewPicture(Dib dib, TakeIn steps, const QString& stepText) override
    {
        takenIn.push_back(steps);
        undo.replacePicture(dib, stepText);
    }
    void formSizeReplaced() override { ++formSizeReplacements; }
    void showTab(int index) override { shownTabs.push_back(index); }
    SelectionRect& selection() override { return sel; }
    void pictureChanged(PictureChange change) override { pictureChanges.push_back(change); }
    void formSizeChanged() override { ++formSizeChanges; }
    void setFieldsChanged() override { fieldsChanged = true; }
    double printerMmPerInchX() const override { return mmPerInchX; }
    int currentRecordNumber() const override { return recordNumber; }
    void setCurrentRecordNumber(int number) override { recordNumber = number; }

    FormDocument doc;
    FormHistory undo{doc};
    ScriptedPrompts scripted;
    std::vector<int> progress;
    QStringList statusTexts;
    std::vector<TakeIn> takenIn;
    std::vector<int> shownTabs;
    SelectionRect sel;
    std::vector<PictureChange> pictureChanges;
    int formSizeChanges = 0;
    int formSizeReplacements = 0;
    bool fieldsChanged = false;
    double mmPerInchX = 25.39995;
    int recordNumber = 1;

private:
    QString programDir_;
};
