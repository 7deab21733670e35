// The command line of velmora-print: what to print, where to, and how. Parsing only; nothing is
// read or printed here, so every mistake in the arguments is found before any work starts.
#pragma once

#include "print/PaperSize.h"

#include <QPageSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>
#include <vector>

enum class OutputKind { Pdf, Png, Printer };

// One entry of a --records list: first to last inclusive; last 0 runs to the form's last record.
struct RecordRange {
    int first = 1;
    int last = 0;
    bool operator==(const RecordRange&) const = default;
};

struct PrintOptions {
    QString formFile;
    OutputKind output = OutputKind::Pdf;
    QString target;  // the PDF file, the PNG folder or the printer's name
    int dpiX = 300;  // PNG pages only
    int dpiY = 300;
    QString csvFile;                    // records from here instead of the form's own
    std::vector<RecordRange> records;   // empty: every record
    bool names = false;                 // field names instead of values
    bool withForm = false;              // the picture (or the form's original PDF page) under the texts
    QString ontoFile;                   // a PDF whose page goes under every page instead
    std::optional<int> ontoPage;        // its page, 1-based; else 1
    bool landscape = false;
    bool acceptFormSize = false;        // go on after a poor match or points close together
    bool quiet = false;
    std::optional<double> shiftXInch;   // else the form's own shift
    std::optional<double> shiftYInch;
    QString calibrationFile;            // else the program's own options.dat
    std::optional<QPageSize> paper;     // else A4 for files, the printer's own paper for a printer
    int threads = 0;                    // PNG pages; 0 is one per core
};

struct ParsedArguments {
    enum class Status { Run, Help, UsageError };
    Status status = Status::UsageError;
    PrintOptions options;
    QString error;  // one line, for UsageError
};

// arguments: without the program's own name.
ParsedArguments parseArguments(const QStringList& arguments);

// What --help prints.
QString usageText();

// "1-5,9,20-": single numbers, closed ranges and ranges open to the end, comma separated.
// Nothing and an error text when the list cannot be read.
std::optional<std::vector<RecordRange>> parseRecordRanges(std::string_view text, QString* error);

// The record numbers of the ranges in the given order, for a form with count records. An empty
// list means every record. Nothing and an error text when a range names a record that does not
// exist.
std::optional<std::vector<int>> resolveRecords(const std::vector<RecordRange>& ranges, int count, QString* error);

// "600x300" or "300" (both directions). Nothing when it is no such pair of positive numbers.
std::optional<std::pair<int, int>> parseResolution(std::string_view text);

