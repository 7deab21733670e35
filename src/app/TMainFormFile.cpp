#include "app/TMainForm.h"

#include "document/FormFile.h"
#include "editor/TFieldsPage.h"
#include "picture/DrawDib.h"
#include "picture/TScanPage.h"
#include "platform/Controls.h"
#include "platform/LocalFileName.h"
#include "platform/WriteFailure.h"
#include "print/TFillOutPage.h"
#include "print/TFormSizePage.h"
#include "print/TPrintPage.h"

namespace {

const char* const kFormFilter = "Formulare|*.frm";
const char* const kFormExtension = "frm";

} // namespace

bool TMainForm::OpenFORM(const QString& fileName)
{
    const bool fieldsChangedBefore = FieldsChanged;
    const FormReadStatus status =
        readFormFile(localFileName(fileName), document_, progressTo(*this));
    if (status == FormReadStatus::CannotOpen) {
        // Nothing was read, so the views keep what they show, the crop selection included.
        formSizePage_->documentChanged();
        return false;
    }
    const bool opened = status == FormReadStatus::Ok;
    refreshAfterDocumentChange();
    // Even a damaged file replaced the document: no step before it applies to what is shown.
    history_.clear();
    // A failed open leaves the fields as they were, so a pending "Overtake" warning stays due.
    if (!opened)
        FieldsChanged = fieldsChangedBefore;
    return opened;
}

void TMainForm::refreshAfterDocumentChange()
{
    scanPage_->showPictureInfo();
    formSizePage_->FBreitEdinChange();
    const Dib& picture = document_.picture.get();
    selection_ = SelectionRect{0, 0, DibWidth(picture), DibHeight(picture)};
    formSizePage_->documentChanged();
    fieldsPage_->documentChanged();
    printPage_->documentChanged();
    fillOutPage_->documentChanged();
    repaintPictureViews();
    FieldsChanged = false;
}

void TMainForm::OpenBtnClick()
{
    FileRequest request;
    request.filter = kFormFilter;
    request.defaultExt = kFormExtension;
    const std::optional<FileChoice> choice = prompts_->openFile(request);
    if (!choice)
        return;
    if (!OpenFORM(choice->fileName))
        showError(*prompts_, "Can not open the form file.");
}

void TMainForm::SaveAsBtnClick()
{
    FileRequest request;
    request.filter = kFormFilter;
    request.defaultExt = kFormExtension;
    request.overwritePrompt = true;
    request.hideReadOnly = true;
    const std::optional<FileChoice> choice = prompts_->saveFile(request);
    if (!choice)
        return;
    const WriteResult saved =
        writeFormFile(localFileName(choice->fileName), document_, progressTo(*this));
    SetProStatus(0);
    if (!saved)
        showError(*prompts_,
                  saved.opened ? writeFailureText(choice->fileName, saved.error) : QStringLiteral("Can not save the form file."));
}
