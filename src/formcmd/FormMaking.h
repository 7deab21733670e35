// A new form from a picture file or a PDF page, as "velmora-form new" makes it.
#pragma once

#include "document/FormDocument.h"
#include "picture/PdfPages.h"

#include <QPageSize>
#include <QString>

#include <optional>

struct NewFormSource {
    QString file;                   // a picture, or a PDF file (known by its header)
    int page = 1;                   // PDF only
    int ppi = kPdfDefaultPpi;       // PDF only
    std::optional<QPageSize> size;  // pictures only: the sheet the picture shows exactly
};

// Fills document as "New" leaves it, then the picture and, from the PDF page or from size, the
// form size. False with a one-line reason; the document is then as "New" leaves it.
bool makeNewForm(const NewFormSource& source, FormDocument& document, const PdfProgress& progress, QString* error);
