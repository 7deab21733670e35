#include "print/PrinterChoice.h"

#include "platform/Printer.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>

bool systemHasPrinters() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool printerWritesFile(Printer& printer)
{
    const QPrinter* system = printer.qprinter();
    return system && !system->outputFileName().isEmpty();
}

void fitPageToOutput(Printer& printer)
{
    if (QPrinter* system = printer.qprinter())
        system->setFullPage(printerWritesFile(printer));
}

bool makePrinterReady(Printer& printer, Prompts& prompts, bool hasPrinters, bool askFileAgain)
{
    QPrinter* system = printer.qprinter();
    if (!system || hasPrinters)
        return true;
    const bool writesFile = printerWritesFile(printer);
    if (writesFile && !askFileAgain)
        return true;
    if (!writesFile && prompts.message(QString::fromLatin1(kNoPrinterMessage), QStringLiteral("Print"),
                                       MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    FileRequest request;
    request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    request.defaultExt = QStringLiteral("pdf");
    request.fileName = writesFile ? system->outputFileName() : QStringLiteral("Velmora.pdf");
    request.overwritePrompt = true;
    const std::optional<FileChoice> choice = prompts.saveFile(request);
    if (!choice || choice->fileName.isEmpty())
        return false;
    system->setOutputFormat(QPrinter::PdfFormat);
    system->setOutputFileName(choice->fileName);
    fitPageToOutput(printer);
    return true;
}

QString printedIntoFileText(Printer& printer)
{
    if (!printerWritesFile(printer))
        return {};
    return QStringLiteral("The form was printed into the file \"%1\".")
        .arg(QDir::toNativeSeparators(printer.qprinter()->outputFileName()));
}
