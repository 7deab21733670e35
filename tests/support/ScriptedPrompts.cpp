#include "support/ScriptedPrompts.h"

#include <QStringList>

namespace {

MsgAnswer dismissed(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::OkCancel: return MsgAnswer::Cancel;
    case MsgButtons::YesNo: return MsgAnswer::No;
    }
    return MsgAnswer::Cancel;
}

template <typename T>
std::optional<T> take(std::deque<std::optional<T>>& answers)
{
    std::optional<T> answer;
    if (!answers.empty()) {
        answer.swap(answers.front());
        answers.pop_front();
    }
    return answer;
}

// A printer dialog with no answer queued counts as cancelled.
bool takeAccepted(std::deque<bool>& answers)
{
    if (answers.empty())
        return false;
    const bool accepted = answers.front();
    answers.pop_front();
    return accepted;
}

}  // namespace

MsgAnswer ScriptedPrompts::message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons)
{
    MsgAnswer answer = dismissed(buttons);
    if (buttons != MsgButtons::Ok && !messageAnswers_.empty()) {
        answer = messageAnswers_.front();
        messageAnswers_.pop_front();
    }
    messages_.push_back(ShownMessage{text, caption, icon, buttons, answer});
    if (onMessage)
        onMessage(messages_.back());
    return answer;
}

std::optional<FileChoice> ScriptedPrompts::openFile(const FileRequest& request)
{
    auto answer = take(openAnswers_);
    fileDialogs_.push_back(ShownFileDialog{FileDialogKind::Open, request, answer});
    return answer;
}

std::optional<FileChoice> ScriptedPrompts::saveFile(const FileRequest& request)
{
    auto answer = take(saveAnswers_);
    fileDialogs_.push_back(ShownFileDialog{FileDialogKind::Save, request, answer});
    return answer;
}

std::optional<FontChoice> ScriptedPrompts::fontDialog(const FontChoice& initial)
{
    auto answer = take(fontAnswers_);
    fontDialogs_.push_back(ShownFontDialog{initial, answer});
    return answer;
}

std::optional<QColor> ScriptedPrompts::colorDialog(const QColor& initial)
{
    auto answer = take(colorAnswers_);
    colorDialogs_.push_back(ShownColorDialog{initial, answer});
    return answer;
}

bool ScriptedPrompts::printDialog()
{
    const bool accepted = takeAccepted(printerAnswers_);
    printerDialogs_.push_back(ShownPrinterDialog{PrinterDialogKind::Print, accepted});
    return accepted;
}

bool ScriptedPrompts::printerSetupDialog()
{
    const bool accepted = takeAccepted(printerAnswers_);
    printerDialogs_.push_back(ShownPrinterDialog{PrinterDialogKind::Setup, accepted});
    return accepted;
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const auto& shown : messages_)
        texts << shown.text;
    return texts;
}

void ScriptedPrompts::clear()
{
    messageAnswers_.clear();
    openAnswers_.clear();
    saveAnswers_.clear();
    messages_.clear();
    fileDialogs_.clear();
    printerAnswers_.clear();
    printerDialogs_.clear();
    fontAnswers_.clear();
    colorAnswers_.clear();
    fontDialogs_.clear();
    colorDialogs_.clear();
}
