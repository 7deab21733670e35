// Printing onto the original PDF page: the values of each record as the page renderer draws them,
// each page with the original page underneath as vector content. The original is one form
// XObject shared by every page, so a thousand records store it once. A core: no widgets.
#pragma once

#include "document/FormDocument.h"
#include "print/PageRenderer.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPDF;

class OriginalPdfPage {
public:
    // Nothing, with a sentence naming the file in error, when the PDF cannot be read, is
    // encrypted or has no such page. page: 1-based.
    static std::unique_ptr<OriginalPdfPage> open(const QByteArray& bytes, int page, const QString& displayName,
                                                 QString* error);
    static std::unique_ptr<OriginalPdfPage> fromForm(const OriginalPdf& original, QString* error);
    ~OriginalPdfPage();

    // The page as shown (its rotation applied), in points: the paper of every output page.
    double widthPt() const { return widthPt_; }
    double heightPt() const { return heightPt_; }

    // valuesPdf with the original under every page, placed as the request places the paper: the
    // paper's corner at the shift minus the printer's margin, scaled by the calibration, as the
    // page renderer places the texts. Empty, with error, when valuesPdf cannot be read.
    QByteArray underlay(const QByteArray& valuesPdf, const PageRequest& request, QString* error) const;

private:
    OriginalPdfPage();

    QByteArray bytes_;
    std::unique_ptr<QPDF> pdf_;
    QString displayName_;
    int page_ = 1;
    double widthPt_ = 0;
    double heightPt_ = 0;
};

// The pages printPages makes for records (without the picture: the original takes its place)
// on paper of the original's size, with the original underneath, into target, written whole or
// not at all. False with a one-line reason in error.
bool printPdfOntoOriginal(const PageRequest& request, const std::vector<int>& records, const OriginalPdfPage& original,
                          const QString& target, const PrintProgress& progress,
                          const std::function<void(int)>& beforePage, QString* error);
