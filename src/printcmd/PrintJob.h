// One run of velmora-print without its command line: read the form (and the CSV records), check
// what the window checks before it prints, then print the pages through the page renderer into a
// PDF file, PNG files or a system printer. No widgets: it needs a QGuiApplication only.
#pragma once

#include "document/FormDocument.h"
#include "print/Calibration.h"
#include "print/PageRenderer.h"
#include "print/PdfOverlay.h"
#include "printcmd/PrintArguments.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Hears the number of pages finished so far; always on the calling thread.
using PagesDone = std::function<void(int pagesDone)>;

class PrintJob {
public:
    explicit PrintJob(PrintOptions options);

    // Reads the form and the CSV file, checks the form size and the record list, and reads the
    // calibration: options.calibrationFile, else the first complete options.dat in places.
    // False with a one-line reason in error.
    bool prepare(const CalibrationPlaces& places, QString* error);

    // Prints every page; false with a one-line reason. A PDF is either complete or not written.
    bool run(const PagesDone& pagesDone, QString* error);

    // What prepare() settled.
    const FormDocument& document() const { return document_; }
    const std::vector<int>& pages() const { return pages_; }  // the record number of each page
    int recordsPrinted() const { return options_.names && options_.records.empty() ? 0 : int(pages_.size()); }
    PageRequest pageRequest() const;

    // The file a PNG page of a record goes to: FOLDER/record-N.png, N zero-padded to the digits
    // of the form's record count so that the files sort in record order.
    QString pngFileName(int record) const;

private:
    bool readForm(QString* error);
    bool readCsv(QString* error);
    bool checkFormSize(QString* error) const;
    bool readCalibrationFile(QString* error);

    // The PDF page the pages go onto: --onto's, or with --with-form the form's own original.
    bool openOriginal(QString* error);
    bool printPdf(const PagesDone& pagesDone, QString* error);
    bool printPdfOnto(const PagesDone& pagesDone, QString* error);
    bool printPng(const PagesDone& pagesDone, QString* error);
    bool printOnPrinter(const PagesDone& pagesDone, QString* error);

    PrintOptions options_;
    FormDocument document_;
    Calibration calibration_;
    std::vector<int> pages_;
    QString dateText_;
    std::unique_ptr<OriginalPdfPage> original_;
};

// The form-size verdict in words, for a form that cannot be printed; empty for Ok.
QString formSizeReason(const FormDocument& document);
