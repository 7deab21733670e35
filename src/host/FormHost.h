// What the pages of the main window may reach of the shell: the one document, its undo history,
// the prompts, progress, the operations that cross pages, and the notifications by which a page
// says what it changed. TMainForm implements it and brings the other pages up to date; pages
// never include app/ and never call each other's handlers.
#pragma once

#include "document/FormDocument.h"
#include "host/FormHistory.h"
#include "imageops/SelectionRect.h"
#include "platform/Prompts.h"

#include <QString>


// Steps of taking in a new picture that a caller may leave out (a scan leaves out the easy-mode
// size; a crop stays on its tab and repaints its own views).
enum class TakeIn { Full, WithoutEasySize, WithoutViewsAndTab };

// What a page did to the document's picture in place.
enum class PictureChange {
    Pixels,      // the views show it again
    Proportions, // resized: the easy-mode form size also follows its proportions again
};

class FormHost {
public:
    virtual ~FormHost() = default;

    virtual FormDocument& document() = 0;
    // Undo and redo of the document's changes: pages record their changes as steps here.
    virtual FormHistory& history() = 0;
    virtual Prompts& prompts() = 0;
    // The program's folder, ending in a separator.
    virtual QString programDir() const = 0;
    // Progress bar, 0..100.
    virtual void SetProStatus(int percent) = 0;
    // A sentence in the status bar, such as where a print went; it gives way to the next progress.
    virtual void showStatusText(const QString& text) = 0;
    // Replaces the document's picture by dib (which the document then owns) and refreshes
    // every view, the picture information and the selection; ends on "Set form size". The
    // picture it had is kept for undo as the step named stepText.
    virtual void takeInNewPicture(Dib dib, TakeIn steps = TakeIn::Full,
                                  const QString& stepText = QStringLiteral("New picture")) = 0;
    virtual void showTab(int index) = 0;
    virtual SelectionRect& selection() = 0;

    // Notifications. The page that changed the picture in place, other than by taking in a new
    // one, repaints its own views.
    virtual void pictureChanged(PictureChange change) = 0;
    // The form size changed on its tab: what is scaled by it shows it.
    virtual void formSizeChanged() = 0;
    // The form-size points and paper positions were set outside their tab (a PDF page brings its
    // own): the tab's boxes and what is scaled by the form size show them.
    virtual void formSizeReplaced() = 0;
    // The fields changed since the last take-over: the "Overtake" reminder is due.
    virtual void setFieldsChanged() = 0;

    // PrinterMmPerInchX as last derived from the printer calibration.
    virtual double printerMmPerInchX() const = 0;
    // The "Fill out the form" tab's current record number (DSatzED, 1-based). Setting it
    // refreshes the grid as a change by the user does.
    virtual int currentRecordNumber() const = 0;
    virtual void setCurrentRecordNumber(int number) = 0;
};
