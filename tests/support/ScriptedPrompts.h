// Prompts for tests: records every message box and dialog the program shows and gives the
// answers a test scripted in advance. Queued answers go to the questions (OK/Cancel, Yes/No) in
// order; an OK-only box always answers OK and takes none, so a hint shown on the way does not
// eat the answer meant for the next question. When no answer is left a question gets Cancel or
// No and a file dialog is cancelled, as if the user pressed Escape.
#pragma once

#include "platform/Prompts.h"

#include <deque>
#include <functional>
#include <vector>

struct ShownMessage {
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer answer = MsgAnswer::Ok;
};

enum class FileDialogKind { Open, Save };
enum class PrinterDialogKind { Print, Setup };

struct ShownPrinterDialog {
    PrinterDialogKind kind = PrinterDialogKind::Print;
    bool accepted = false;
};

struct ShownFontDialog {
    FontChoice initial;
    std::optional<FontChoice> answer;
};

struct ShownColorDialog {
    QColor initial;
    std::optional<QColor> answer;
};

struct ShownFileDialog {
    FileDialogKind kind = FileDialogKind::Open;
    FileRequest request;
    std::optional<FileChoice> answer;
};

class ScriptedPrompts : public Prompts {
public:
    MsgAnswer message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
    std::optional<FontChoice> fontDialog(const FontChoice& initial) override;
    std::optional<QColor> colorDialog(const QColor& initial) override;
    bool printDialog() override;
    bool printerSetupDialog() override;

    void queueAnswer(MsgAnswer answer) { messageAnswers_.push_back(answer); }
    // A chosen file name (filter index 1 unless given), or std::nullopt for Cancel.
    void queueOpenFile(std::optional<FileChoice> choice) { openAnswers_.push_back(std::move(choice)); }
    void queueOpenFile(const QString& fileName) { openAnswers_.push_back(FileChoice{fileName, 1}); }
    void queueSaveFile(std::optional<FileChoice> choice) { saveAnswers_.push_back(std::move(choice)); }
    void queueSaveFile(const QString& fileName) { saveAnswers_.push_back(FileChoice{fileName, 1}); }
    // The font or colour the user picks in the next font or colour dialog, or std::nullopt for
    // Cancel.
    void queueFont(std::optional<FontChoice> choice) { fontAnswers_.push_back(std::move(choice)); }
    void queueColor(std::optional<QColor> choice) { colorAnswers_.push_back(std::move(choice)); }
    // Answers of the print and printer-setup dialogs, in the order they are shown.
    void queuePrinterDialog(bool accept) { printerAnswers_.push_back(accept); }

    // Called while a message is "on screen", after it was recorded and before it returns; lets a
    // test look at the program's state at that moment.
    std::function<void(const ShownMessage&)> onMessage;

    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<ShownFileDialog>& fileDialogs() const { return fileDialogs_; }
    const std::vector<ShownPrinterDialog>& printerDialogs() const { return printerDialogs_; }
    const std::vector<ShownFontDialog>& fontDialogs() const { return fontDialogs_; }
    const std::vector<ShownColorDialog>& colorDialogs() const { return colorDialogs_; }
    // The texts of the messages shown, in order; handy for exact comparisons.
    QStringList messageTexts() const;
    int unusedAnswers() const
    {
        return int(messageAnswers_.size() + openAnswers_.size() + saveAnswers_.size() + printerAnswers_.size()
                   + fontAnswers_.size() + colorAnswers_.size());
    }
    void clear();

private:
    std::deque<MsgAnswer> messageAnswers_;
    std::deque<std::optional<FileChoice>> openAnswers_;
    std::deque<std::optional<FileChoice>> saveAnswers_;
    std::vector<ShownMessage> messages_;
    std::vector<ShownFileDialog> fileDialogs_;
    std::deque<bool> printerAnswers_;
    std::vector<ShownPrinterDialog> printerDialogs_;
    std::deque<std::optional<FontChoice>> fontAnswers_;
    std::deque<std::optional<QColor>> colorAnswers_;
    std::vector<ShownFontDialog> fontDialogs_;
    std::vector<ShownColorDialog> colorDialogs_;
};
