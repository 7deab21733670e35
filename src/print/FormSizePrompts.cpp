#include "print/FormSizePrompts.h"

#include "picture/DrawDib.h"
#include "platform/Prompts.h"
#include "print/FormSize.h"

namespace {

const char* const kInvalidText =
    "The settings for the form size are not valid. Go to \"Set form size\" and enter the widht and "
    "height and click on \"OVERTAKE\"! ";
const char* const kTooCloseText =
    "The settings for the form size are not valid. Go to \"Set form size\" and enter the widht and "
    "height and click on \"OVERTAKE\"!";

QString poorMatchText(int match)
{
    return QStringLiteral("The settings for the form size are not valid. The match only to ") + QString::number(match) +
           QStringLiteral(" percent! Go to \"Set form size\" and enter the widht and height and click on \"OVERTAKE\"!");
}

bool userAccepts(Prompts& prompts, const QString& text)
{
    return prompts.message(text, QString(), MsgIcon::Error, MsgButtons::OkCancel) == MsgAnswer::Ok;
}

}  // namespace

int32_t documentPictureWidth(const FormDocument& document)
{
    return document.picture.get().header ? DibWidth(document.picture.get()) : 0;
}

int32_t documentPictureHeight(const FormDocument& document)
{
    return document.picture.get().header ? DibHeight(document.picture.get()) : 0;
}

bool formSizeUsable(const FormDocument& document)
{
    return checkFormSize(orderFormSize(document), documentPictureWidth(document), documentPictureHeight(document))
               .verdict == FormSizeVerdict::Ok;
}

bool IsFormSizeOk(const FormDocument& document, Prompts& prompts, bool showMessages)
{
    if (!showMessages)
        return formSizeUsable(document);
    const OrderedFormSize size = orderFormSize(document);
    const int32_t width = documentPictureWidth(document);
    const int32_t height = documentPictureHeight(document);

    FormSizeCheck check = checkFormSize(size, width, height);
    switch (check.verdict) {
    case FormSizeVerdict::Ok:
        return true;
    case FormSizeVerdict::Invalid:
        if (showMessages)
            showError(prompts, QString::fromLatin1(kInvalidText));
        return false;
    case FormSizeVerdict::PoorMatch:
        return showMessages && userAccepts(prompts, poorMatchText(check.match));
    case FormSizeVerdict::TooCloseX:
        if (!showMessages || !userAccepts(prompts, QString::fromLatin1(kTooCloseText)))
            return false;
        check = checkFormSize(size, width, height, true);
        if (check.verdict == FormSizeVerdict::Ok)
            return true;
        [[fallthrough]];
    case FormSizeVerdict::TooCloseY:
        return showMessages && userAccepts(prompts, QString::fromLatin1(kTooCloseText));
    }
    return false;
}
