#include "formcmd/FormMaking.h"

#include "imgrove/DibFiles.h"
#include "platform/LocalFileName.h"
#include "print/FormSize.h"

#include <QSizeF>

namespace {

bool fromPdf(const NewFormSource& source, FormDocument& document, const PdfProgress& progress, QString* error)
{
    const std::unique_ptr<PdfFile> pdf = PdfFile::open(source.file, error);
    if (!pdf)
        return false;
    if (source.page > pdf->pageCount()) {
        *error = QStringLiteral("The PDF file \"%1\" has %2 page(s), no page %3.")
                     .arg(pdf->displayName())
                     .arg(pdf->pageCount())
                     .arg(source.page);
        return false;
    }
    DibOwner picture = pdf->render(source.page, source.ppi, progress, error);
    if (!picture)
        return false;
    document.picture = std::move(picture);
    setFormFromPdfPage(document, *pdf, source.page);
    return true;
}

bool fromPicture(const NewFormSource& source, FormDocument& document, const PdfProgress& progress, QString* error)
{
    DibOwner picture(OpenDib(localFileName(source.file), DibFormatAuto, progress));
    if (!picture) {
        *error = QStringLiteral("cannot open the picture \"%1\"").arg(source.file);
        return false;
    }
    document.picture = std::move(picture);
    if (source.size) {
        const QSizeF mm = source.size->size(QPageSize::Millimeter);
        const Dib& dib = document.picture.get();
        const EasyFormSize easy = easyFormSize(mm.width() / MmPerInch, mm.height() / MmPerInch,
                                               dib.header->biWidth, dib.header->biHeight);
        document.FirstPoint = easy.FirstPoint;
        document.SecondPoint = easy.SecondPoint;
        document.FirstPointMm = easy.FirstPointMm;
        document.SecondPointMm = easy.SecondPointMm;
    }
    return true;
}

}  // namespace

bool makeNewForm(const NewFormSource& source, FormDocument& document, const PdfProgress& progress, QString* error)
{
    document.resetForNew();
    const bool made = isPdfFile(source.file) ? fromPdf(source, document, progress, error)
                                             : fromPicture(source, document, progress, error);
    if (!made)
        document.resetForNew();
    return made;
}
