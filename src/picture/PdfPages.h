// PDF files as the source of a form's picture: pages, their sizes, and a page rendered into a
// picture of the picture library. A core: no widgets and no message boxes; every failure comes
// back as one sentence naming the file and the reason.
#pragma once

#include "document/FormDocument.h"
#include "imgrove/Dib.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace Poppler {
class Document;
}

constexpr int kPdfDefaultPpi = 200;
constexpr int kPdfMinPpi = 100;
constexpr int kPdfMaxPpi = 600;

// Receives 0..100 while a page renders.
using PdfProgress = std::function<void(int percent)>;

struct PdfPageSize {
    double widthPt = 0;  // as the page is shown, its own rotation applied
    double heightPt = 0;
    double widthMm() const { return widthPt / 72 * MmPerInch; }
    double heightMm() const { return heightPt / 72 * MmPerInch; }
};

// Whether a file's first bytes are a PDF header, so that a PDF opens wherever a picture does.
bool isPdfFile(const QString& fileName);

class PdfFile {
public:
    // Null, with the sentence in error, when the file cannot be read, is damaged, encrypted or
    // has no pages. displayName is what the sentence calls the file.
    static std::unique_ptr<PdfFile> open(const QString& fileName, QString* error);
    static std::unique_ptr<PdfFile> fromBytes(QByteArray bytes, const QString& displayName, QString* error);
    ~PdfFile();

    int pageCount() const;
    // page: 1..pageCount().
    PdfPageSize pageSize(int page) const;
    // Width and height in pixels of the page rendered at ppi: the page's size rounded up to whole
    // pixels. The rendering stretches the page by the fraction of a pixel this adds, so the
    // picture spans exactly the page.
    std::pair<int32_t, int32_t> pixelSize(int page, int ppi) const;
    // The page at ppi pixels per inch as a 24-bit picture, or 8 bits with a grey palette when no
    // pixel has colour; null with the sentence in error when it cannot be made.
    DibOwner render(int page, int ppi, const PdfProgress& progress, QString* error) const;

    const QByteArray& bytes() const { return bytes_; }
    const QString& displayName() const { return displayName_; }

private:
    PdfFile(QByteArray bytes, QString displayName, std::unique_ptr<Poppler::Document> document);

    QByteArray bytes_;
    QString displayName_;
    std::unique_ptr<Poppler::Document> document_;
};

// The form a page makes: the picture taken in, the form size set from the page (the picture's
// top-left pixel at 0/0 mm, its bottom-right corner at the page's width and height), and the
// original PDF with the page number kept in the form.
void setFormFromPdfPage(FormDocument& document, const PdfFile& pdf, int page);
