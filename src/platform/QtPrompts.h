// Prompts through the real message boxes and file dialogs.
#pragma once

#include "platform/Prompts.h"

#include <QPointer>
#include <QWidget>
#include <QStringList>

class QtPrompts : public Prompts {
public:
    // parent: the window the dialogs are modal to; may be null.
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<FileChoice> openFile(const FileRequest& request) override;
    std::optional<FileChoice> saveFile(const FileRequest& request) override;
    std::optional<FontChoice> fontDialog(const FontChoice& initial) override;
    std::optional<QColor> colorDialog(const QColor& initial) override;
    bool printDialog() override;
    bool printerSetupDialog() override;

private:
    std::optional<FileChoice> runFileDialog(const FileRequest& request, bool save);

    QPointer<QWidget> parent_;
};

// "Pictures|*.bmp;*.dib|All|*.*" -> the name filters of a file dialog ("Pictures (*.bmp *.dib)").
QStringList fileDialogFilters(const QString& filter);
// The chosen name with ".ext" appended when it has no extension and ext is not empty.
QString withDefaultExtension(const QString& fileName, const QString& ext);
