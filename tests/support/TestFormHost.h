// A stand-in for the main window as the pages see it: the document, scripted prompts, and a
// record of the progress, take-ins and tab switches the pages ask for.
#pragma once

#include "picture/FormHost.h"
#include "platform/ScriptedPrompts.h"

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
    void repaintPictureViews() override { ++repaints; }
    void repaintFormSizeView() override { ++formSizeRepaints; }
    void formSizeChanged() override { ++formSizeChanges; }
    void FBreitEdinChange() override { ++easySizeChanges; }
    void showTab(int index) override { shownTabs.push_back(index); }
    SelectionRect& selection() override { return sel; }
    void setFieldsChanged() override { fieldsChanged = true; }
    double printerMmPerInchX() const override { return mmPerInchX; }
    double printerMmPerInchY() const override { return mmPerInchY; }
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
    int repaints = 0;
    int formSizeRepaints = 0;
    int formSizeChanges = 0;
    int easySizeChanges = 0;
    bool fieldsChanged = false;
    double mmPerInchX = 25.39995;
    double mmPerInchY = 25.39995;
    int recordNumber = 1;

private:
    QString programDir_;
};
