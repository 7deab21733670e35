// A PDF that Qt's PDF engine writes by its name. The engine drops the errors of its writes and of
// the final flush, so a full disk would leave a cut-off file in the target's place and a job that
// reports success. Here the engine writes a temporary file beside the target, and that file takes
// the target's place only when it is whole from its first byte to its last.
#pragma once

#include "imgrove/FileReplacement.h"

#include <QString>

class PdfFileReplacement {
public:
    // Makes the temporary file beside target; where the folder takes no new file but the target
    // exists and may be written, the target itself is written (and a failure leaves it damaged).
    explicit PdfFileReplacement(const QString& target);
    PdfFileReplacement(const PdfFileReplacement&) = delete;
    PdfFileReplacement& operator=(const PdfFileReplacement&) = delete;
    // Removes the temporary file unless commit() succeeded.
    ~PdfFileReplacement();

    // The name to give the engine; empty when no file could be made (result() says why).
    const QString& fileName() const { return fileName_; }
    // After the engine has closed the file: checks it is whole and renames it over the target,
    // keeping the permissions of the file it replaces.
    WriteResult commit();
    WriteResult result() const { return {opened_, error_}; }

private:
    void discard();

    QString target_;
    QString fileName_;
    bool opened_ = false;
    bool inPlace_ = false;
    std::error_code error_;
};

// Whether the file at path is the whole of what Qt's PDF engine wrote: its trailer ends the file,
// the cross-reference table stands at the offset the trailer gives, and the table's rows reach the
// trailer exactly. The engine writes in one pass and counts what it writes, so a write that failed
// anywhere shifts or cuts off what follows it.
bool pdfFileComplete(const QString& path);
