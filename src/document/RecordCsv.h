// Records as CSV text: one line per record, every value in double quotes, the quoted values
// separated by commas, CR LF at the end. Reading takes that form and also lines of values
// separated by semicolons; each line read becomes a new record made as "New record" makes one.
//
// Texts stay bytes of the ANSI code page. A file that starts with the UTF-8 byte-order mark is
// UTF-8 text (spreadsheets write such files); its values go through the caller's conversion to
// the code page. A file that starts with the UTF-16 mark, little or big endian, is converted to
// UTF-8 first and read as such.
#pragma once

#include "document/FormDocument.h"
#include "imgrove/FileReplacement.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Line breaks become backslash-r and backslash-n, so a record stays on one line; a double quote
// is doubled, so it cannot end the value early.
std::string escapeCsvValue(std::string_view value);
// Quoted values only. A backslash is held until the next character: with r or n it becomes CR
// or LF, with another backslash it stays pending (a run of backslashes counts as one), with
// anything else it is written back before that character; one left pending at the end is
// written.
std::string unescapeCsvValue(std::string_view value);

// The record's line without its CR LF; absent values are written as empty. A record without
// entries gives a lone double quote.
std::string csvLine(const FormRecord& record);

// The values of one line (without its line end). A line starting with a double quote holds
// quoted values: the texts between pairs of quotes, unescaped, with two quotes in a row inside
// a value read as one quote; text outside the pairs is ignored, as is an opening quote without
// a partner and what follows it. Any other line is cut at its semicolons and taken as it is; a
// semicolon at the very end closes the last value without starting an empty one.
std::vector<std::string> parseCsvLine(std::string_view line);

// Converts UTF-8 text to the ANSI code page; characters the code page cannot hold become '?'.
// An empty function keeps the bytes as they are.
using Utf8ToAnsi = std::function<std::string(std::string_view utf8)>;
// Receives percentages 0..100 while a file is read or written; 0 before and after.
using CsvProgress = std::function<void(int percent)>;

// Appends one record per non-empty line that yields a value, copied from record 1 with its
// values absent; value i goes to entry i where the record has one. Lines end at CR LF, LF or CR;
// a last line without an end counts too. Returns the number of records added. Without records
// nothing is added: record 1 is the template.
size_t importCsvText(FormDocument& document, std::string_view text, const Utf8ToAnsi& fromUtf8,
                     const CsvProgress& progress = {});

enum class CsvImportStatus {
    Ok,
    NoRecords,   // nothing to copy the new records from: the fields were never taken over
    CannotOpen,  // missing, unreadable or not a regular file; no record added
    Empty,       // the file holds no byte; no record added
    NotText,     // the start of the file is not text (see looksLikeCsvText); no record added
};

// Whether the start of a file is text in the code page or UTF-8: control characters other than
// tab, line ends and form feed are rare in any text, but one byte in eight of random or binary
// data. Looks at the first kCsvTextCheckBytes only.
constexpr size_t kCsvTextCheckBytes = 64 * 1024;
bool looksLikeCsvText(std::string_view start);

struct CsvImportResult {
    CsvImportStatus status = CsvImportStatus::Ok;
    size_t recordsAdded = 0;
};

// fileName: bytes of a local path. The whole file is read before any record is added, so a file
// that cannot be read, is empty or is not text adds none.
CsvImportResult importCsvFile(FormDocument& document, const std::string& fileName, const Utf8ToAnsi& fromUtf8,
                              const CsvProgress& progress = {});

// Writes every record's line with its CR LF, in number order, through a temporary file that
// replaces the target only when complete; false (and the old file untouched) when that fails.
WriteResult exportCsvFile(const FormDocument& document, const std::string& fileName, const CsvProgress& progress = {});
