// What the pages of the main window may reach of the shell: the one document, the prompts,
// progress and the operations that cross pages. TMainForm implements it; pages never include
// app/.
#pragma once

#include "document/FormDocument.h"
#include "imageops/SelectionRect.h"
#include "picture/FormHistory.h"
#include "platform/Prompts.h"

#include <QString>


// Steps of taking in a new picture that a caller may leave out (a scan leaves out the easy-mode
// size; a crop stays on its tab and repaints its own views).
enum class TakeIn { Full, WithoutEasySize, WithoutViewsAndTab };

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
    // Repaints the thumbnail, the field canvas, the form-size canvas and the retouch view.
    virtual void repaintPictureViews() = 0;
    // Repaints the form-size canvas (PaintBox2) alone.
    virtual void repaintFormSizeView() = 0;
    // The form-size points and paper positions were set outside the form-size page (a PDF page
    // brings its own): its boxes and its view show them.
    virtual void formSizeChanged() = 0;
    // The easy-mode form size follows the picture's proportions again (FBreitEdinChange of the
    // form-size page), after the picture was resized or cropped.
    virtual void FBreitEdinChange() = 0;
    virtual void showTab(int index) = 0;
    virtual SelectionRect& selection() = 0;

    // The fields changed since the last take-over: the "Overtake" reminder is due.
    virtual void setFieldsChanged() = 0;
    // PrinterMmPerInchX and PrinterMmPerInchY as last derived from the printer calibration.
    virtual double printerMmPerInchX() const = 0;
    virtual double printerMmPerInchY() const = 0;
    // The "Fill out the form" tab's current record number (DSatzED, 1-based). Setting it
    // refreshes the grid as a change by the user does.
    virtual int currentRecordNumber() const = 0;
    virtual void setCurrentRecordNumber(int number) = 0;
};
