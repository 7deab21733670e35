#include "platform/Prompts.h"

void showError(Prompts& prompts, const QString& text, const QString& caption)
{
    prompts.message(text, caption, MsgIcon::Error, MsgButtons::Ok);
}
