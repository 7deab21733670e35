#include "app/TMainForm.h"

#include "editor/TFieldsPage.h"
#include "picture/DrawDib.h"
#include "picture/TScanPage.h"
#include "print/TFormSizePage.h"
#include "scanlink2/Scanlink2.h"

void TMainForm::takeInNewPicture(Dib dib, TakeIn steps, const QString& stepText)
{
    history_.replacePicture(dib, stepText);
    scanPage_->showPictureInfo();
    if (steps != TakeIn::WithoutEasySize)
        formSizePage_->FBreitEdinChange();
    const Dib& picture = document_.picture.get();
    selection_ = SelectionRect{0, 0, DibWidth(picture), DibHeight(picture)};
    if (steps == TakeIn::WithoutViewsAndTab)
        return;
    repaintPictureViews();
    showTab(2);
}

void TMainForm::pictureChanged(PictureChange change)
{
    if (change == PictureChange::Proportions)
        formSizePage_->FBreitEdinChange();
    repaintPictureViews();
}

// The field canvas scales its fonts by the form size.
void TMainForm::formSizeChanged() { fieldsPage_->repaintView(); }

void TMainForm::formSizeReplaced()
{
    formSizePage_->showRestoredFormSize();
    formSizeChanged();
}

// The easy-mode size stays as it was: a scan need not show the whole sheet.
void TMainForm::WMUser2(intptr_t scan)
{
    const Dib dib = GetScanedDib(scan);
    if (!dib.bits)
        return;
    // A scanned picture is no page of the PDF the form may have come from.
    document_.originalPdf.reset();
    takeInNewPicture(dib, TakeIn::WithoutEasySize, QStringLiteral("Scan"));
}
