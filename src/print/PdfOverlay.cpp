#include "print/PdfOverlay.h"

#include "imgrove/FileReplacement.h"
#include "platform/LocalFileName.h"
#include "platform/Printer.h"
#include "platform/WriteFailure.h"
#include "print/Calibration.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <QFile>
#include <QPrinter>
#include <QTemporaryFile>

namespace {

const char* const kOriginalName = "/VelmoraOriginal";

QString quoted(const QString& name) { return QStringLiteral("\"%1\"").arg(name); }

QString encryptedSentence(const QString& displayName)
{
    return QStringLiteral("The PDF file %1 is encrypted; open a copy without password protection.").arg(quoted(displayName));
}

// The page as a form XObject with its rotation in its matrix, and where that puts its corners.
QPDFObjectHandle pageForm(QPDF& pdf, int page, QPDFObjectHandle::Rectangle& shown)
{
    QPDFPageObjectHelper helper = QPDFPageDocumentHelper(pdf).getAllPages().at(size_t(page - 1));
    QPDFObjectHandle form = helper.getFormXObjectForPage(true);
    QPDFObjectHandle dictionary = form.getDict();
    const QPDFObjectHandle::Rectangle box = dictionary.getKey("/BBox").getArrayAsRectangle();
    QPDFMatrix matrix;
    if (dictionary.getKey("/Matrix").isArray())
        matrix = QPDFMatrix(dictionary.getKey("/Matrix").getArrayAsMatrix());
    shown = matrix.transformRectangle(box);
    return form;
}

std::string number(double value) { return QUtil::double_to_string(value, 6); }

}  // namespace

OriginalPdfPage::OriginalPdfPage() = default;
OriginalPdfPage::~OriginalPdfPage() = default;

std::unique_ptr<OriginalPdfPage> OriginalPdfPage::open(const QByteArray& bytes, int page, const QString& displayName,
                                                       QString* error)
{
    std::unique_ptr<OriginalPdfPage> original(new OriginalPdfPage);
    original->pdf_ = std::make_unique<QPDF>();
    original->displayName_ = displayName;
    original->page_ = page;
    QPDF& pdf = *original->pdf_;
    pdf.setSuppressWarnings(true);
    // qpdf reads from memory it does not own: the bytes are kept beside it.
    original->bytes_ = bytes;
    try {
        pdf.processMemoryFile(displayName.toStdString().c_str(), original->bytes_.constData(),
                              size_t(original->bytes_.size()));
        if (pdf.isEncrypted()) {
            *error = encryptedSentence(displayName);
            return nullptr;
        }
        const size_t pages = QPDFPageDocumentHelper(pdf).getAllPages().size();
        if (page < 1 || size_t(page) > pages) {
            *error = QStringLiteral("The PDF file %1 has %2 page(s), no page %3.")
                         .arg(quoted(displayName))
                         .arg(pages)
                         .arg(page);
            return nullptr;
        }
        QPDFObjectHandle::Rectangle shown;
        pageForm(pdf, page, shown);
        original->widthPt_ = shown.urx - shown.llx;
        original->heightPt_ = shown.ury - shown.lly;
    } catch (const QPDFExc& failure) {
        *error = failure.getErrorCode() == qpdf_e_password
                     ? encryptedSentence(displayName)
                     : QStringLiteral("The PDF file %1 is damaged and cannot be read.").arg(quoted(displayName));
        return nullptr;
    } catch (const std::exception&) {
        *error = QStringLiteral("The PDF file %1 is damaged and cannot be read.").arg(quoted(displayName));
        return nullptr;
    }
    if (original->widthPt_ <= 0 || original->heightPt_ <= 0) {
        *error = QStringLiteral("Page %1 of the PDF file %2 has no size.").arg(page).arg(quoted(displayName));
        return nullptr;
    }
    return original;
}

std::unique_ptr<OriginalPdfPage> OriginalPdfPage::fromForm(const OriginalPdf& original, QString* error)
{
    const QByteArray bytes(reinterpret_cast<const char*>(original.bytes.data()), qsizetype(original.bytes.size()));
    return open(bytes, original.page, QStringLiteral("kept in the form"), error);
}

QByteArray OriginalPdfPage::underlay(const QByteArray& valuesPdf, const PageRequest& request, QString* error) const
{
    // Paper millimetres go to the page as the texts' do (PrintPlacement): by the calibrated scale,
    // from the shift minus the printer's margin.
    const PlacementAxes axes = placementAxes(request.PrinterMmPerInchX, request.PrinterMmPerInchY, request.LinksEd,
                                             request.ObenEd, false);
    const double a = MmPerInch / axes.scaleX;
    const double d = MmPerInch / axes.scaleY;
    const double left = (request.shiftMm.x - axes.marginX) / axes.scaleX * 72;
    const double top = (request.shiftMm.y - axes.marginY) / axes.scaleY * 72;
    try {
        QPDF values;
        values.setSuppressWarnings(true);
        values.processMemoryFile("values", valuesPdf.constData(), size_t(valuesPdf.size()));
        QPDFObjectHandle::Rectangle shown;
        const QPDFObjectHandle form = pageForm(*pdf_, page_, shown);
        // Copied once: every page refers to the same object.
        const QPDFObjectHandle shared = values.copyForeignObject(form);
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(values).getAllPages()) {
            const QPDFObjectHandle::Rectangle paper = page.getMediaBox().getArrayAsRectangle();
            const double e = paper.llx + left - a * shown.llx;
            const double f = paper.ury - top - d * heightPt_ - d * shown.lly;
            QPDFObjectHandle resources = page.getAttribute("/Resources", true);
            if (!resources.isDictionary()) {
                resources = QPDFObjectHandle::newDictionary();
                page.getObjectHandle().replaceKey("/Resources", resources);
            }
            if (!resources.getKey("/XObject").isDictionary())
                resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
            resources.getKey("/XObject").replaceKey(kOriginalName, shared);
            const std::string content = "q " + number(a) + " 0 0 " + number(d) + " " + number(e) + " " + number(f)
                                        + " cm " + kOriginalName + " Do Q\n";
            page.addPageContents(QPDFObjectHandle::newStream(&values, content), true);
        }
        QPDFWriter writer(values);
        writer.setOutputMemory();
        writer.write();
        const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception& failure) {
        *error = QStringLiteral("The pages could not be put onto the original page: %1").arg(QString::fromLocal8Bit(failure.what()));
        return {};
    }
}

bool printPdfOntoOriginal(const PageRequest& request, const std::vector<int>& records, const OriginalPdfPage& original,
                          const QString& target, const PrintProgress& progress,
                          const std::function<void(int)>& beforePage, QString* error)
{
    QTemporaryFile values;
    if (!values.open()) {
        *error = QStringLiteral("cannot make a temporary file for the pages");
        return false;
    }
    values.close();
    SystemPrinter printer;
    QPrinter& pdf = *printer.qprinter();
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(values.fileName());
    const bool wide = original.widthPt() > original.heightPt();
    pdf.setPageSize(QPageSize(QSizeF(std::min(original.widthPt(), original.heightPt()),
                                     std::max(original.widthPt(), original.heightPt())),
                              QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setFullPage(true);
    printer.setOrientation(wide ? PageOrientation::Landscape : PageOrientation::Portrait);
    PageRequest page = request;
    page.withPicture = false;
    page.landscape = false;
    if (!printPages(printer, page, records, progress, beforePage)) {
        *error = printer.writeError() ? writeFailureText(values.fileName(), printer.writeError())
                                      : QStringLiteral("cannot write the pages");
        return false;
    }
    QFile written(values.fileName());
    if (!written.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the pages back");
        return false;
    }
    const QByteArray result = original.underlay(written.readAll(), page, error);
    if (result.isEmpty())
        return false;
    FileReplacement replacement(localFileName(target));
    if (replacement.file())
        replacement.write(result.constData(), size_t(result.size()));
    if (!replacement.file()) {
        *error = QStringLiteral("cannot write \"%1\"").arg(target);
        return false;
    }
    if (!replacement.commit()) {
        *error = writeFailureText(target, replacement.error());
        return false;
    }
    return true;
}
