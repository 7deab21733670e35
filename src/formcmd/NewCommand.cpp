// velmora-form new: a form file from a picture or a PDF page, with its form size.
#include "document/FormFile.h"
#include "formcmd/FormCommand.h"
#include "formcmd/FormMaking.h"
#include "platform/LocalFileName.h"
#include "platform/WriteFailure.h"
#include "print/PaperSize.h"

namespace {

int runNew(const QStringList& arguments)
{
    int status = kExitOk;
    const std::optional<CommandLine> line =
        startCommand(kNewCommand, arguments, {"--page", "--ppi", "--size", "-o"}, {"--quiet"}, QStringLiteral("give exactly one picture or PDF file"), status);
    if (!line)
        return status;
    const std::optional<QString> output = line->value("-o");
    if (!output)
        return usageError(kNewCommand, QStringLiteral("no form file given (-o FORM.frm)"));

    NewFormSource source;
    source.file = line->positional[0];
    const bool pdf = isPdfFile(source.file);
    if (const auto page = line->value("--page")) {
        const std::optional<int> number = parseWholeNumber(*page, 1, INT32_MAX);
        if (!number)
            return usageError(kNewCommand, QStringLiteral("--page: \"%1\" is no page number").arg(*page));
        source.page = *number;
    }
    if (const auto ppi = line->value("--ppi")) {
        const std::optional<int> number = parseWholeNumber(*ppi, kPdfMinPpi, kPdfMaxPpi);
        if (!number)
            return usageError(kNewCommand, QStringLiteral("--ppi: \"%1\" is not from %2 to %3 pixels per inch")
                                               .arg(*ppi)
                                               .arg(kPdfMinPpi)
                                               .arg(kPdfMaxPpi));
        source.ppi = *number;
    }
    if (const auto size = line->value("--size")) {
        source.size = parsePaper(size->toStdString());
        if (!source.size)
            return usageError(kNewCommand, QStringLiteral("--size: \"%1\" is not A4, Letter or WxHmm (10 to 2000 mm)").arg(*size));
    }
    if (pdf && source.size)
        return usageError(kNewCommand, QStringLiteral("--size is for pictures: a PDF page knows its own size"));
    if (!pdf && (line->value("--page") || line->value("--ppi")))
        return usageError(kNewCommand, QStringLiteral("--page and --ppi are for PDF files"));

    PercentReport progress(pdf ? QStringLiteral("rendering page %1").arg(source.page) : QStringLiteral("reading the picture"),
                           line->flags.count("--quiet") > 0);
    FormDocument document;
    QString error;
    const bool made = makeNewForm(source, document, [&](int percent) { progress(percent); }, &error);
    progress.finish();
    if (!made)
        return commandFailed(error);
    const WriteResult written = writeFormFile(localFileName(*output), document);
    if (!written)
        return commandFailed(written.opened ? writeFailureText(*output, written.error)
                                            : QStringLiteral("cannot write \"%1\"").arg(*output));
    return kExitOk;
}

}  // namespace

const FormCommand kNewCommand{
    "new", "a form from a picture or a PDF page, with its form size",
    "Usage: velmora-form new PICTURE|PDF [--page N] [--ppi N] [--size A4|Letter|WxHmm] -o FORM.frm [--quiet]\n"
    "Makes a form file whose picture is the given picture, or a page of the given PDF file.\n"
    "\n"
    "  --page N      the PDF page (default 1)\n"
    "  --ppi N       pixels per inch the PDF page is rendered at, 100 to 600 (default 200)\n"
    "  --size SIZE   the sheet a picture shows exactly, edge to edge: A4, Letter or WxHmm such as 210x297mm;\n"
    "                sets the form size as the easy mode does (a PDF page gives its own size)\n"
    "  -o FORM.frm   the form file to write\n"
    "  --quiet       no progress on stderr\n"
    "\n"
    "A PDF form keeps the whole original PDF and the page number inside the form file, for printing onto\n"
    "the original (velmora-print --with-form). Without --size a picture's form size is left to be set.\n",
    runNew};
