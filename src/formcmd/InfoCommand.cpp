// velmora-form info: what a form file holds, in words.
#include "document/FormFile.h"
#include "formcmd/FormCommand.h"
#include "picture/PdfPages.h"
#include "platform/CodePage.h"
#include "print/FormSize.h"

#include <QTextStream>

#include <cstdio>

namespace {

QString formSizeVerdict(const FormDocument& document)
{
    const Dib& dib = document.picture.get();
    const FormSizeCheck check = checkFormSize(orderFormSize(document), dib.header->biWidth, dib.header->biHeight);
    switch (check.verdict) {
    case FormSizeVerdict::Ok:
        return QStringLiteral("valid");
    case FormSizeVerdict::Invalid:
        return QStringLiteral("not set (the points or their distances coincide in one direction)");
    case FormSizeVerdict::PoorMatch:
        return QStringLiteral("doubtful (the scales match only to %1 percent)").arg(check.match);
    case FormSizeVerdict::TooCloseX:
    case FormSizeVerdict::TooCloseY:
        return QStringLiteral("doubtful (the points lie close together)");
    }
    return {};
}

const char* alignmentName(int32_t alignment)
{
    return alignment == AlignCentered ? "centred" : alignment == AlignRight ? "right" : "left";
}

void printFields(QTextStream& out, const FormDocument& document)
{
    out << "fields: " << document.fields.size() << '\n';
    int number = 0;
    for (const FormField& field : document.fields)
        out << QStringLiteral("  %1. \"%2\" at %3,%4-%5,%6, %7 %8 pt, %9, %10\n")
                   .arg(++number)
                   .arg(ansiToQString(field.name))
                   .arg(field.left)
                   .arg(field.top)
                   .arg(field.right)
                   .arg(field.bottom)
                   .arg(ansiToQString(field.font.faceName))
                   .arg(field.font.size)
                   .arg(QLatin1String(field.multiLine ? "multi-line" : "single line"))
                   .arg(QLatin1String(alignmentName(field.alignment)));
}

QString originalPdfText(const OriginalPdf& original)
{
    QString error;
    const QByteArray bytes(reinterpret_cast<const char*>(original.bytes.data()), qsizetype(original.bytes.size()));
    const std::unique_ptr<PdfFile> pdf = PdfFile::fromBytes(bytes, QStringLiteral("kept in the form"), &error);
    if (!pdf)
        return QStringLiteral("original PDF, page %1 (%2)").arg(original.page).arg(error);
    const PdfPageSize size = pdf->pageSize(std::min(original.page, pdf->pageCount()));
    return QStringLiteral("original PDF, page %1 of %2, %3 x %4 mm")
        .arg(original.page)
        .arg(pdf->pageCount())
        .arg(size.widthMm(), 0, 'f', 2)
        .arg(size.heightMm(), 0, 'f', 2);
}

void printChunks(QTextStream& out, const FormDocument& document)
{
    const size_t count = (document.originalPdf ? 1 : 0) + document.otherChunks.size();
    out << "extension chunks: " << count << '\n';
    if (document.originalPdf)
        out << QStringLiteral("  OPDF %1 bytes: %2\n")
                   .arg(document.originalPdf->bytes.size() + 4)
                   .arg(originalPdfText(*document.originalPdf));
    for (const ExtensionChunk& chunk : document.otherChunks)
        out << QStringLiteral("  %1 %2 bytes\n").arg(QString::fromLatin1(chunk.tag.c_str())).arg(chunk.bytes.size());
}

int runInfo(const QStringList& arguments)
{
    int status = kExitOk;
    FormDocument document;
    const std::optional<CommandLine> line = startFormCommand(kInfoCommand, arguments, {}, {}, document, status);
    if (!line)
        return status;

    QTextStream out(stdout);
    const Dib& dib = document.picture.get();
    out << QStringLiteral("picture: %1 x %2 pixels, %3 bits per pixel\n")
               .arg(dib.header->biWidth)
               .arg(dib.header->biHeight)
               .arg(dib.header->biBitCount);
    out << QStringLiteral("form size: point %1,%2 at %3 x %4 mm, point %5,%6 at %7 x %8 mm: %9\n")
               .arg(document.FirstPoint.x)
               .arg(document.FirstPoint.y)
               .arg(document.FirstPointMm.x, 0, 'f', 2)
               .arg(document.FirstPointMm.y, 0, 'f', 2)
               .arg(document.SecondPoint.x)
               .arg(document.SecondPoint.y)
               .arg(document.SecondPointMm.x, 0, 'f', 2)
               .arg(document.SecondPointMm.y, 0, 'f', 2)
               .arg(formSizeVerdict(document));
    printFields(out, document);
    out << "records: " << document.records.size() << '\n';
    printChunks(out, document);
    return kExitOk;
}

}  // namespace

const FormCommand kInfoCommand{"info", "what a form file holds",
                               "Usage: velmora-form info FORM.frm\n"
                               "Shows a form file's picture, form size, fields, records and extension chunks.\n",
                               runInfo};
