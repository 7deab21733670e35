#include "document/RecordCsv.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <system_error>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

void appendUtf8(char32_t code, std::string& out)
{
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

// UTF-16 bytes (after their mark) as UTF-8, fed in pieces of any length: a code unit or a
// surrogate pair split between two pieces is joined. A surrogate without its partner, and an odd
// byte at the end, become U+FFFD, which the code page shows as '?'.
class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

    void decode(std::string_view bytes, std::string& out)
    {
        for (const char c : bytes) {
            if (carry_ < 0) {
                carry_ = static_cast<unsigned char>(c);
                continue;
            }
            const auto second = static_cast<unsigned char>(c);
            const char16_t unit = bigEndian_ ? char16_t(carry_ << 8 | second) : char16_t(second << 8 | carry_);
            carry_ = -1;
            take(unit, out);
        }
    }

    void finish(std::string& out)
    {
        if (high_ != 0 || carry_ >= 0)
            appendUtf8(kReplacement, out);
        high_ = 0;
        carry_ = -1;
    }

private:
    static constexpr char32_t kReplacement = 0xFFFD;

    void take(char16_t unit, std::string& out)
    {
        const bool isHigh = unit >= 0xD800 && unit < 0xDC00;
        const bool isLow = unit >= 0xDC00 && unit < 0xE000;
        if (high_ != 0 && isLow) {
            appendUtf8(0x10000 + (char32_t(high_ - 0xD800) << 10) + (unit - 0xDC00), out);
            high_ = 0;
            return;
        }
        if (high_ != 0)
            appendUtf8(kReplacement, out);
        high_ = isHigh ? unit : 0;
        if (!isHigh)
            appendUtf8(isLow ? kReplacement : char32_t(unit), out);
    }

    bool bigEndian_;
    int carry_ = -1;     // the first byte of a code unit whose second is still to come
    char16_t high_ = 0;  // a high surrogate waiting for its low one
};

// A text with a UTF-16 mark as the same text in UTF-8 with the UTF-8 mark; any other text as it
// is (empty result).
std::string utf16AsUtf8(std::string_view text)
{
    const bool little = text.substr(0, 2) == kUtf16LeMark;
    if (!little && text.substr(0, 2) != kUtf16BeMark)
        return {};
    std::string utf8(kUtf8Mark);
    Utf16Decoder decoder(!little);
    decoder.decode(text.substr(2), utf8);
    decoder.finish(utf8);
    return utf8;
}

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

void appendQuotedValues(std::string_view line, std::vector<std::string>& values, size_t limit)
{
    size_t pos = 0;
    std::string doubled;  // a value that holds quotes, with each pair made one
    while (pos < line.size() && values.size() < limit) {
        const size_t open = line.find('"', pos);
        if (open == std::string_view::npos)
            return;
        size_t from = open + 1;
        doubled.clear();
        bool hasQuotes = false;
        for (;;) {
            const size_t quote = line.find('"', from);
            if (quote == std::string_view::npos)
                return;  // an opening quote without a partner: it and the rest are ignored
            if (quote + 1 < line.size() && line[quote + 1] == '"') {
                doubled.append(line.substr(from, quote + 1 - from));
                hasQuotes = true;
                from = quote + 2;
                continue;
            }
            const std::string_view last = line.substr(from, quote - from);
            if (hasQuotes) {
                doubled.append(last);
                values.push_back(unescapeCsvValue(doubled));
            } else {
                values.push_back(unescapeCsvValue(last));
            }
            pos = quote + 1;
            break;
        }
    }
}

void appendSeparatedValues(std::string_view line, std::vector<std::string>& values, size_t limit)
{
    size_t start = 0;
    while (values.size() < limit) {
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

// At most limit values: those beyond are not kept, so they need not be made.
void parseInto(std::string_view line, std::vector<std::string>& values, size_t limit)
{
    values.clear();
    if (line.empty())
        return;
    if (line.front() == '"')
        appendQuotedValues(line, values, limit);
    else
        appendSeparatedValues(line, values, limit);
}

// Where the line starting at pos ends: its CR or LF, or the end of the text. Both ends are
// looked for in the same scan, so a file of CR-only lines is read once, not once per line.
size_t lineEnd(std::string_view text, size_t pos)
{
    const auto end = std::find_if(text.begin() + ptrdiff_t(pos), text.end(), [](char c) { return c == '\r' || c == '\n'; });
    return size_t(end - text.begin());
}

void addRecord(FormDocument& document, std::vector<std::string>& values, bool utf8, const Utf8ToAnsi& fromUtf8)
{
    document.appendNewRecord();
    FormRecord& record = document.records.back();
    const size_t count = std::min(record.size(), values.size());
    for (size_t i = 0; i < count; ++i)
        record.setValue(i, utf8 && fromUtf8 ? fromUtf8(values[i]) : std::move(values[i]));
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
    if (value.find('\\') == std::string_view::npos)
        return std::string(value);
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
    for (size_t i = 0; i < record.size(); ++i) {
        if (i > 0)
            line += "\",\"";
        const std::optional<std::string>& value = record.value(i);
        if (value)
            line += escapeCsvValue(*value);
    }
    if (!record.empty())
        line.push_back('"');
    return line;
}

bool looksLikeCsvText(std::string_view start)
{
    start = start.substr(0, kCsvTextCheckBytes);
    const size_t controls = size_t(std::count_if(start.begin(), start.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f') || byte == 0x7F;
    }));
    // Tolerates a few stray control characters in a real file; random bytes hold about 12 %.
    return controls * 32 <= start.size();
}

std::vector<std::string> parseCsvLine(std::string_view line)
{
    std::vector<std::string> values;
    parseInto(line, values, std::numeric_limits<size_t>::max());
    return values;
}

size_t importCsvText(FormDocument& document, std::string_view text, const Utf8ToAnsi& fromUtf8,
                     const CsvProgress& progress)
{
    if (document.records.empty())
        return 0;
    if (const std::string utf8 = utf16AsUtf8(text); !utf8.empty())
        return importCsvText(document, utf8, fromUtf8, progress);
    const bool utf8 = text.substr(0, kUtf8Mark.size()) == kUtf8Mark;
    size_t pos = utf8 ? kUtf8Mark.size() : 0;
    ProgressSteps steps(progress, text.size());
    std::vector<std::string> values;
    // One value at least, to tell whether a line yields any.
    const size_t wanted = std::max<size_t>(document.records.front().size(), 1);
    size_t added = 0;
    while (pos < text.size()) {
        const size_t end = lineEnd(text, pos);
        parseInto(text.substr(pos, end - pos), values, wanted);
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
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size >= std::numeric_limits<size_t>::max() / 2)
        return {CsvImportStatus::CannotOpen, 0};
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return {CsvImportStatus::CannotOpen, 0};
    }
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A file that shrank while being read yields what was there.
    text.resize(static_cast<size_t>(file.gcount()));
    if (file.bad())
        return {CsvImportStatus::CannotOpen, 0};
    if (text.empty())
        return {CsvImportStatus::Empty, 0};
    if (std::string utf8 = utf16AsUtf8(text); !utf8.empty())
        text = std::move(utf8);
    if (!looksLikeCsvText(text))
        return {CsvImportStatus::NotText, 0};
    return {CsvImportStatus::Ok, importCsvText(document, text, fromUtf8, progress)};
}

WriteResult exportCsvFile(const FormDocument& document, const std::string& fileName, const CsvProgress& progress)
{
    FileReplacement replacement(fileName);
    if (!replacement.file())
        return replacement.result();
    ProgressSteps steps(progress, document.records.size());
    size_t done = 0;
    std::string line;
    for (const FormRecord& record : document.records) {
        line = csvLine(record);
        line += "\r\n";
        replacement.write(line.data(), line.size());
        steps.at(++done);
    }
    replacement.commit();
    return replacement.result();
}
