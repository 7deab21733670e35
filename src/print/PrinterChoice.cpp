#include "print/PrinterChoice.h"

#include "platform/Printer.h"
#include "platform/Prompts.h"

#include <QPrinter>
#include <QPrinterInfo>

bool systemHasPrinters() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool printerWritesFile(Printer& printer)
{
    const QPrinter* system = printer.qprinter();
    return system && !system->outputFileName().isEmpty();
}

bool makePrinterReady(Printer& printer, Prompts& prompts, bool hasPrinters)
{
    QPrinter* system = printer.qprinter();
    if (!system || printerWritesFile(printer) || hasPrinters)
        return true;
    if (prompts.message(QString::fromLatin1(kNoPrinterMessage), QStringLiteral("Print"), MsgIcon::Question,
                        MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    FileRequest request;
    request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    request.defaultExt = QStringLiteral("pdf");
    request.fileName = QStringLiteral("Velmora.pdf");
    request.overwritePrompt = true;
    const std::optional<FileChoice> choice = prompts.saveFile(request);
    if (!choice || choice->fileName.isEmpty())
        return false;
    system->setOutputFormat(QPrinter::PdfFormat);
    system->setOutputFileName(choice->fileName);
    return true;
}
