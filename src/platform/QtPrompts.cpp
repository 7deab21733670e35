#include "platform/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

#include "platform/Printer.h"

QString defaultMessageCaption()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Error") : name;
}

QStringList fileDialogFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        QString description = parts[i];
        // A description that already lists its patterns in brackets would confuse the dialog's
        // own parsing of "(patterns)".
        description.replace(u'(', u'[').replace(u')', u']');
        result << description + QStringLiteral(" (") + patterns.simplified() + u')';
    }
    return result;
}

QString withDefaultExtension(const QString& fileName, const QString& ext)
{
    if (fileName.isEmpty() || ext.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + u'.' + ext;
}

MsgAnswer QtPrompts::message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons)
{
    QMessageBox box(parent_);
    box.setWindowTitle(caption.isEmpty() ? defaultMessageCaption() : caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

std::optional<FileChoice> QtPrompts::openFile(const FileRequest& request) { return runFileDialog(request, false); }
std::optional<FileChoice> QtPrompts::saveFile(const FileRequest& request) { return runFileDialog(request, true); }

std::optional<FileChoice> QtPrompts::runFileDialog(const FileRequest& request, bool save)
{
    QFileDialog dialog(parent_);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = fileDialogFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, int(filters.size())) - 1;
        dialog.selectNameFilter(filters[index]);
    }
    dialog.setDefaultSuffix(request.defaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.fileName = withDefaultExtension(dialog.selectedFiles().constFirst(), request.defaultExt);
    choice.filterIndex = std::max(1, int(filters.indexOf(dialog.selectedNameFilter())) + 1);
    return choice;
}

namespace {

QIcon colorSwatch(const QColor& color)
{
    QPixmap swatch(16, 16);
    swatch.fill(color);
    return QIcon(swatch);
}

}  // namespace

std::optional<FontChoice> QtPrompts::fontDialog(const FontChoice& initial)
{
    // A font here carries the colour its text is printed in, so the colour is chosen in the same
    // dialog as the face, size and style.
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* fonts = new QFontDialog(initial.font, &dialog);
    fonts->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setCurrentFont(initial.font);

    QColor color = initial.color;
    auto* colorButton = new QPushButton(QStringLiteral("Colour..."), &dialog);
    colorButton->setIcon(colorSwatch(color));
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        if (const std::optional<QColor> chosen = colorDialog(color)) {
            color = *chosen;
            colorButton->setIcon(colorSwatch(color));
        }
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(colorButton);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(bottom);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{fonts->currentFont(), color};
}

std::optional<QColor> QtPrompts::colorDialog(const QColor& initial)
{
    QColorDialog dialog(initial, parent_);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return dialog.selectedColor();
}

bool QtPrompts::printDialog()
{
    QPrinter* printer = currentPrinter().qprinter();
    // A printer without a system printer behind it (page images) has nothing to choose.
    if (!printer)
        return true;
    QPrintDialog dialog(printer, parent_);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrompts::printerSetupDialog()
{
    QPrinter* printer = currentPrinter().qprinter();
    if (!printer)
        return true;
    QPageSetupDialog dialog(printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}
