// The CSV reader on arbitrary bytes: quoted and separated lines, unescaping and whole files must
// never crash or read past the end, and values without backslashes must come back unchanged from
// the line the export writes for them.
#include "document/RecordCsv.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string withoutBackslashes(std::string value)
{
    value.erase(std::remove(value.begin(), value.end(), '\\'), value.end());
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> values = parseCsvLine(text);
    if (values.size() > size + 1)
        std::abort();

    FormRecord record;
    for (const std::string& value : values) {
        RecordEntry entry;
        entry.value = withoutBackslashes(value);
        record.append(entry);
    }
    const std::vector<std::string> reread = parseCsvLine(csvLine(record));
    if (reread.size() != record.size())
        std::abort();
    for (size_t i = 0; i < reread.size(); ++i)
        if (reread[i] != *record.value(i))
            std::abort();

    FormDocument document;
    document.records.push_back(record);
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
                         static_cast<size_t>(std::count(text.begin(), text.end(), '\r')) + 1;
    const size_t added = importCsvText(document, text, [](std::string_view utf8) { return std::string(utf8); });
    if (added > lines || document.records.size() != added + 1)
        std::abort();
    return 0;
}
