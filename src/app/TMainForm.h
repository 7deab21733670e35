// The main window: document bar, six tabs, hover-image buttons, progress bar. It owns the one
// FormDocument, the pages and the dialogs, and the operations that cross pages.
//
// Its methods are spread over files by concern:
//   TMainForm.cpp         start-up, tabs, progress, hover buttons, help, quit, settings, "New"
//   TMainFormFile.cpp     form files: OpenFORM, "Open...", "Save as...", refresh after open
//   TMainFormPicture.cpp  taking in a new picture
//   TMainFormUndo.cpp     undo and redo: the buttons, the keys, the views after a step
#pragma once

#include "host/FormHost.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

class TScanPage;
class TRetouchPage;
class TFormSizePage;
class TFieldsPage;
class TFillOutPage;
class TPrintPage;
class QAction;
class QTabWidget;
class QToolButton;
class QWidget;
class HoverImageButton;
class TAboutBox;
class TStatusProgress;

// The help the help button opens: "velmoraeng.chm" in the program folder when it is there,
// otherwise the manual shipped with the program (ProgramData.h); empty when neither exists.
QString helpFileIn(const QString& programDir);

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
    FormHistory& history() override { return history_; }
    Prompts& prompts() override { return *prompts_; }
    QString programDir() const override { return ProgramDir; }
    void SetProStatus(int percent) override;
    void showStatusText(const QString& text) override;
    void takeInNewPicture(Dib dib, TakeIn steps = TakeIn::Full,
                          const QString& stepText = QStringLiteral("New picture")) override;
    void formSizeReplaced() override;
    void showTab(int index) override;
    SelectionRect& selection() override { return selection_; }
    void pictureChanged(PictureChange change) override;
    void formSizeChanged() override;
    void setFieldsChanged() override { FieldsChanged = true; }
    double printerMmPerInchX() const override;
    int currentRecordNumber() const override;
    void setCurrentRecordNumber(int number) override;

    // Form files.
    bool OpenFORM(const QString& fileName);
    void OpenBtnClick();
    void SaveAsBtnClick();

    void NewBtnClick();
    // Progress sent as a window message (WM_USER).
    void WMUser(int percent);
    // A finished scan (WM_USER+1): the scanner library's number for its picture.
    void WMUser2(intptr_t scan);
    void InfoBtnClick();
    void HelpBtnClick();
    void QuitBtnClick();

    QTabWidget* pageControl() const { return PageControl1; }
    TStatusProgress* statusProgress() const { return StatusBar1; }
    HoverImageButton* infoButton() const { return ueberbtn; }
    HoverImageButton* helpButton() const { return HilfeBtn; }
    HoverImageButton* quitButton() const { return EndeBtn; }
    QToolButton* undoButton() const { return UndoBtn; }
    QToolButton* redoButton() const { return RedoBtn; }
    TAboutBox* aboutBox() const { return AboutBox; }

    QString ProgramDir;
    int ProgressPercent = 0;
    bool FieldsChanged = false;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Everything a form-file open or "New" refreshes on the pages.
    void refreshAfterDocumentChange();
    // Repaints the thumbnail, the field canvas, the form-size canvas and the retouch view.
    void repaintPictureViews();

    void FormCreate();
    void FormShow();
    void buildLayout();
    QWidget* makeTab(int index, QWidget* content);
    // The "Overtake" warning, once per change of the fields.
    void warnIfFieldsChanged();
    void restoreSettings();
    // Restores the stored frame position and client size, kept whole on a screen.
    void placeOnScreen(const QRect& stored);
    // The undo and redo buttons beside the document buttons, and their keys.
    void buildUndoControls(class QHBoxLayout* documentBar);
    void showUndoHints();
    // The views of the parts an undo or redo gave back.
    void showRestored(FormParts parts, int recordNumber);
    void saveSettings();

    std::unique_ptr<Prompts> prompts_;
    FormDocument document_;
    FormHistory history_{document_};
    SelectionRect selection_;
    QStringList arguments_;

    bool shownBefore_ = false;

    QTabWidget* PageControl1 = nullptr;
    QWidget* fieldsTab_ = nullptr;
    QMetaObject::Connection focusWatch_;
    TStatusProgress* StatusBar1 = nullptr;
    QToolButton* UndoBtn = nullptr;
    QToolButton* RedoBtn = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    HoverImageButton* ueberbtn = nullptr;
    HoverImageButton* HilfeBtn = nullptr;
    HoverImageButton* EndeBtn = nullptr;
    TAboutBox* AboutBox = nullptr;
    TScanPage* scanPage_ = nullptr;
    TRetouchPage* retouchPage_ = nullptr;
    TFormSizePage* formSizePage_ = nullptr;
    TFieldsPage* fieldsPage_ = nullptr;
    TFillOutPage* fillOutPage_ = nullptr;
    TPrintPage* printPage_ = nullptr;
};
