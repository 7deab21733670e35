// The main window: document bar, six tabs, hover-image buttons, progress bar. It owns the one
// FormDocument, the pages and the dialogs, and the operations that cross pages.
//
// Its methods are spread over files by concern:
//   TMainForm.cpp         start-up, tabs, progress, hover buttons, help, quit, settings, "New"
//   TMainFormFile.cpp     form files: OpenFORM, "Open...", "Save as...", refresh after open
//   TMainFormPicture.cpp  taking in a new picture
#pragma once

#include "picture/FormHost.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class TScanPage;
class TRetouchPage;
class TFormSizePage;
class TFieldsPage;
class TPrintPage;
class QTabWidget;

class TMainForm : public QMainWindow, public FormHost {
    Q_OBJECT
public:
    // arguments: the program's command line; the first argument after the program is a form
    // file opened at the first showing. prompts: null for the real dialogs.
    explicit TMainForm(const QStringList& arguments, std::unique_ptr<Prompts> prompts = nullptr,
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    // FormHost
    FormDocument& document() override { return document_; }
    Prompts& prompts() override { return *prompts_; }
    QString programDir() const override { return ProgramDir; }
    void SetProStatus(int percent) override;
    void takeInNewPicture(Dib dib, TakeIn steps = TakeIn::Full) override;
    void repaintPictureViews() override;
    void showTab(int index) override;
    SelectionRect& selection() override { return selection_; }

    // Form files.
    bool OpenFORM(const QString& fileName);
    void OpenBtnClick();
    void SaveAsBtnClick();

    QString ProgramDir;
    int ProgressPercent = 0;
    bool FieldsChanged = false;

private:
    // Everything a form-file open or "New" refreshes on the pages.
    void refreshAfterDocumentChange();

    std::unique_ptr<Prompts> prompts_;
    FormDocument document_;
    SelectionRect selection_;
    QStringList arguments_;

    QTabWidget* PageControl1 = nullptr;
    TScanPage* scanPage_ = nullptr;
    TRetouchPage* retouchPage_ = nullptr;
    TFormSizePage* formSizePage_ = nullptr;
    TFieldsPage* fieldsPage_ = nullptr;
    TPrintPage* printPage_ = nullptr;
};
