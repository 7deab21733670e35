#include "document/RecordCsv.h"

#include "imgrove/FileReplacement.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Reports a percentage only when it changes, so long loops cost one call per percent.
class ProgressSteps {
public:
    ProgressSteps(const CsvProgress& progress, size_t total) : progress_(progress), total_(total)
    {
        if (progress_)
            progress_(0);
    }
    ~ProgressSteps()
    {
        if (progress_)
            progress_(0);
    }
    void at(size_t done)
    {
        if (!progress_ || total_ == 0)
            return;
        const int percent = static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(total_));
        if (percent != last_) {
            last_ = percent;
            progress_(percent);
        }
    }

private:
    const CsvProgress& progress_;
    size_t total_;
    int last_ = 0;
};

void appendQuotedValues(std::string_view line, std::vector<std::string>& values)
{
    size_t pos = 0;
    std::string raw;
    while (pos < line.size()) {
        const size_t open = line.find('"', pos);
        if (open == std::string_view::npos)
            return;
        raw.clear();
        size_t from = open + 1;
        for (;;) {
            const size_t quote = line.find('"', from);
            if (quote == std::string_view::npos)
                return;  // an opening quote without a partner: it and the rest are ignored
            raw.append(line.substr(from, quote - from));
            if (quote + 1 < line.size() && line[quote + 1] == '"') {
                raw.push_back('"');
                from = quote + 2;
                continue;
            }
            pos = quote + 1;
            break;
        }
        values.push_back(unescapeCsvValue(raw));
    }
}

void appendSeparatedValues(std::string_view line, std::vector<std::string>& values)
{
    size_t start = 0;
    for (;;) {
        const size_t semicolon = line.find(';', start);
        if (semicolon == std::string_view::npos) {
            values.emplace_back(line.substr(start));
            return;
        }
        values.emplace_back(line.substr(start, semicolon - start));
        start = semicolon + 1;
        if (start == line.size())
            return;
    }
}

void parseInto(std::string_view line, std::vector<std::string>& values)
{
    values.clear();
    if (line.empty())
        return;
    if (line.front() == '"')
        appendQuotedValues(line, values);
    else
        appendSeparatedValues(line, values);
}

void addRecord(FormDocument& document, std::vector<std::string>& values, bool utf8, const Utf8ToAnsi& fromUtf8)
{
    document.appendNewRecord();
    std::vector<RecordEntry>& entries = document.records.back().entries;
    const size_t count = std::min(entries.size(), values.size());
    for (size_t i = 0; i < count; ++i)
        entries[i].value = utf8 && fromUtf8 ? fromUtf8(values[i]) : std::move(values[i]);
}

}  // namespace

std::string escapeCsvValue(std::string_view value)
{
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '"')
            escaped += "\"\"";
        else
            escaped.push_back(c);
    }
    return escaped;
}

std::string unescapeCsvValue(std::string_view value)
{
    std::string plain;
    plain.reserve(value.size());
    bool pending = false;
    for (const char c : value) {
        if (c == '\\') {
            pending = true;
            continue;
        }
        if (pending) {
            pending = false;
            if (c == 'r') {
                plain.push_back('\r');
                continue;
            }
            if (c == 'n') {
                plain.push_back('\n');
                continue;
            }
            plain.push_back('\\');
        }
        plain.push_back(c);
    }
    if (pending)
        plain.push_back('\\');
    return plain;
}

std::string csvLine(const FormRecord& record)
{
    std::string line = "\"";
    for (size_t i = 0; i < record.entries.size(); ++i) {
        if (i > 0)
            line += "\",\"";
        const std::optional<std::string>& value = record.entries[i].value;
        if (value)
            line += escapeCsvValue(*value);
    }
    if (!record.entries.empty())
        line.push_back('"');
    return line;
}

std::vector<std::string> parseCsvLine(std::string_view line)
{
    std::vector<std::string> values;
    parseInto(line, values);
    return values;
}

size_t importCsvText(FormDocument& document, std::string_view text, const Utf8ToAnsi& fromUtf8,
                     const CsvProgress& progress)
{
    if (document.records.empty())
        return 0;
    const bool utf8 = text.substr(0, kUtf8Mark.size()) == kUtf8Mark;
    size_t pos = utf8 ? kUtf8Mark.size() : 0;
    ProgressSteps steps(progress, text.size());
    std::vector<std::string> values;
    size_t added = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        parseInto(text.substr(pos, end - pos), values);
        if (!values.empty()) {
            addRecord(document, values, utf8, fromUtf8);
            ++added;
        }
        pos = end;
        if (pos < text.size() && text[pos] == '\r') {
            ++pos;
            if (pos < text.size() && text[pos] == '\n')
                ++pos;
        } else if (pos < text.size()) {
            ++pos;
        }
        steps.at(pos);
    }
    return added;
}

CsvImportResult importCsvFile(FormDocument& document, const std::string& fileName, const Utf8ToAnsi& fromUtf8,
                              const CsvProgress& progress)
{
    if (document.records.empty())
        return {CsvImportStatus::NoRecords, 0};
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return {CsvImportStatus::CannotOpen, 0};
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return {CsvImportStatus::CannotOpen, 0};
    std::string text;
    const auto size = std::filesystem::file_size(fileName, error);
    if (!error && size < std::numeric_limits<size_t>::max())
        text.reserve(static_cast<size_t>(size));
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad())
        return {CsvImportStatus::CannotOpen, 0};
    return {CsvImportStatus::Ok, importCsvText(document, text, fromUtf8, progress)};
}

bool exportCsvFile(const FormDocument& document, const std::string& fileName, const CsvProgress& progress)
{
    FileReplacement replacement(fileName);
    if (!replacement.file())
        return false;
    ProgressSteps steps(progress, document.records.size());
    size_t done = 0;
    std::string line;
    for (const FormRecord& record : document.records) {
        line = csvLine(record);
        line += "\r\n";
        replacement.write(line.data(), line.size());
        steps.at(++done);
    }
    return replacement.commit();
}
