// Every message box and common dialog of the program goes through Prompts, so that tests can
// see exactly what was shown and script the user's answers.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QWidget;

enum class MsgIcon { None, Error, Information, Question, Warning };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// A file dialog. filter uses the "description|patterns|description|patterns" form; filterIndex
// is 1-based. defaultExt has no dot ("frm"); it is appended when the chosen name has none.
struct FileRequest {
    QString title;              // empty: the system's title for the kind of dialog
    QString filter;
    int filterIndex = 1;
    QString defaultExt;
    QString fileName;           // initial name
    bool overwritePrompt = false;
    bool hideReadOnly = false;
};

// A font dialog's font with the colour its text is drawn in.
struct FontChoice {
    QFont font;
    QColor color;
};

struct FileChoice {
    QString fileName;
    int filterIndex = 1;  // 1-based index of the filter the user left selected
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // An empty caption means the system's default caption.
    virtual MsgAnswer message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) = 0;
    // Empty when the user cancels.
    virtual std::optional<FileChoice> openFile(const FileRequest& request) = 0;
    virtual std::optional<FileChoice> saveFile(const FileRequest& request) = 0;
    // The font dialog, showing initial; empty when the user cancels.
    virtual std::optional<FontChoice> fontDialog(const FontChoice& initial) = 0;
    // The full colour dialog, any colour, showing initial; empty when the user cancels.
    virtual std::optional<QColor> colorDialog(const QColor& initial) = 0;
    // The print and printer-setup dialogs; both act on the current printer (Printer.h). True
    // when the user accepted.
    virtual bool printDialog() = 0;
    virtual bool printerSetupDialog() = 0;
};

// Text a message box shows for an empty caption.
QString defaultMessageCaption();

// An error box with the one button OK; an empty caption is the default caption.
void showError(Prompts& prompts, const QString& text, const QString& caption = {});
