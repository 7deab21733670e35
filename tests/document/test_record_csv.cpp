#include "document/RecordCsv.h"

#include "FormFileTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using formtest::TempFolder;

namespace {

using Values = std::vector<std::string>;

// A document after a take-over of `fields` fields: one record, all values absent.
FormDocument takenOver(int fields)
{
    FormDocument document;
    for (int i = 0; i < fields; ++i)
        document.addField(FontSpec{}).name = "F" + std::to_string(i + 1);
    document.takeOverFields();
    return document;
}

std::vector<std::optional<std::string>> valuesOf(const FormRecord& record)
{
    std::vector<std::optional<std::string>> values;
    for (size_t i = 0; i < record.size(); ++i)
        values.push_back(record.value(i));
    return values;
}

FormRecord recordOf(const std::vector<std::optional<std::string>>& values)
{
    FormRecord record;
    for (const std::optional<std::string>& value : values)
        record.append(EntryLayout{}, value);
    return record;
}

std::string fileText(const std::string& file)
{
    const std::vector<uint8_t> bytes = formtest::readAll(file);
    return {bytes.begin(), bytes.end()};
}

void writeText(const std::string& file, const std::string& text)
{
    formtest::writeAll(file, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

TEST(RecordCsvParse, QuotedAndSeparatedLines)
{
    struct Row {
        std::string line;
        Values values;
    };
    const Row rows[] = {
        {R"("a","b")", {"a", "b"}},
        {R"("a",,"b")", {"a", "b"}},  // values are counted by quote pairs only
        {R"("a"x;y"b" tail)", {"a", "b"}},
        {R"("a","b)", {"a"}},  // an unpartnered quote and what follows it are ignored
        {"\"", {}},
        {R"("","")", {"", ""}},
        {R"("say ""hi""","x")", {"say \"hi\"", "x"}},
        {R"("a""")", {"a\""}},
        {R"("x\ty")", {"x\\ty"}},
        {R"("x\ry")", {"x\ry"}},
        {R"("x\\\ny")", {"x\ny"}},  // a run of backslashes counts as one
        {R"("x\")", {"x\\"}},       // pending at the end
        {R"("\\")", {"\\"}},
        {"a;b;c", {"a", "b", "c"}},
        {"a;b;c;", {"a", "b", "c"}},
        {"a;;c", {"a", "", "c"}},
        {"abc", {"abc"}},
        {";", {""}},
        {";;", {"", ""}},
        {R"(a\nb;"c")", {"a\\nb", "\"c\""}},  // separated values are taken as they are
        {"", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseCsvLine(row.line), row.values) << row.line;
}

TEST(RecordCsvLine, EscapesLineBreaksAndQuotesOnly)
{
    struct Row {
        std::vector<std::optional<std::string>> values;
        std::string line;
    };
    const Row rows[] = {
        {{"a", "b", "c"}, R"("a","b","c")"},
        {{"first\r\nsecond", "x"}, R"("first\r\nsecond","x")"},
        {{std::nullopt, ""}, R"("","")"},
        {{"5\" disk"}, R"("5"" disk")"},
        {{"a\\tb\\"}, R"("a\tb\")"},
        {{}, "\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(csvLine(recordOf(row.values)), row.line) << row.line;
}

TEST(RecordCsvLine, ValuesComeBackFromTheirLine)
{
    const Values values = {"line 1\r\nline 2", "\"quoted\" and \"\"", "\x80\x9f\xa0\xe4\xff", "tab\\t", "", "a,b;c"};
    EXPECT_EQ(parseCsvLine(csvLine(recordOf({values.begin(), values.end()}))), values);
}

TEST(RecordCsvImport, LinesBecomeNewRecordsAfterRecordOne)
{
    struct Row {
        const char* what;
        std::string text;
        std::vector<std::vector<std::optional<std::string>>> added;
    };
    using std::nullopt;
    const Row rows[] = {
        {"three lines", "\"a\",\"b\",\"c\"\r\nd;e;f\r\n\"g\"\r\n", {{"a", "b", "c"}, {"d", "e", "f"}, {"g", nullopt, nullopt}}},
        {"more values than entries", "1;2;3;4;5\r\n", {{"1", "2", "3"}}},
        {"empty lines and a line without a value", "\r\n\n\"open\r\n\r\nx\r\n", {{"x", nullopt, nullopt}}},
        {"LF and CR line ends, no end at the last", "a\nb\rc\r\n\nd", {{"a", nullopt, nullopt},
                                                                        {"b", nullopt, nullopt},
                                                                        {"c", nullopt, nullopt},
                                                                        {"d", nullopt, nullopt}}},
        {"CR alone as line end", "a;1\r\r\"b\",\"2\"\rc\r", {{"a", "1", nullopt}, {"b", "2", nullopt}, {"c", nullopt, nullopt}}},
        {"empty values are stored", "\"\",\"\"\r\n", {{"", "", nullopt}}},
    };
    for (const Row& row : rows) {
        FormDocument document = takenOver(3);
        document.records[0].setValue(1, "template value");
        const FormRecord first = document.records[0];
        EXPECT_EQ(importCsvText(document, row.text, {}), row.added.size()) << row.what;
        ASSERT_EQ(document.records.size(), row.added.size() + 1) << row.what;
        EXPECT_EQ(document.records[0], first) << row.what;
        for (size_t i = 0; i < row.added.size(); ++i) {
            EXPECT_EQ(valuesOf(document.records[i + 1]), row.added[i]) << row.what << " record " << i + 2;
            EXPECT_EQ(document.records[i + 1].layout(0).name, "F1");
        }
    }
}

TEST(RecordCsvImport, Utf8MarkedFilesGoThroughTheConversion)
{
    // Stands in for the code page: it shows which texts were converted.
    const Utf8ToAnsi marking = [](std::string_view utf8) { return "<" + std::string(utf8) + ">"; };

    FormDocument marked = takenOver(2);
    importCsvText(marked, "\xEF\xBB\xBF\"K\xC3\xA4se\",\"b\"\r\nx;y\r\n", marking);
    ASSERT_EQ(marked.records.size(), 3u);
    EXPECT_EQ(valuesOf(marked.records[1]), (std::vector<std::optional<std::string>>{"<K\xC3\xA4se>", "<b>"}));
    EXPECT_EQ(valuesOf(marked.records[2]), (std::vector<std::optional<std::string>>{"<x>", "<y>"}));

    FormDocument plain = takenOver(2);
    importCsvText(plain, "\"K\xE4se\"\r\n", marking);
    EXPECT_EQ(plain.records[1].value(0), "K\xE4se");
}

TEST(RecordCsvImport, NeedsRecordOneAndAReadableFile)
{
    TempFolder folder;
    const std::string file = folder.file("in.csv");
    writeText(file, "a;b\r\n");

    FormDocument empty;
    const CsvImportResult noRecords = importCsvFile(empty, file, {});
    EXPECT_EQ(noRecords.status, CsvImportStatus::NoRecords);
    EXPECT_TRUE(empty.records.empty());

    FormDocument document = takenOver(2);
    EXPECT_EQ(importCsvFile(document, folder.file("missing.csv"), {}).status, CsvImportStatus::CannotOpen);
    EXPECT_EQ(importCsvFile(document, folder.path().string(), {}).status, CsvImportStatus::CannotOpen);
    EXPECT_EQ(document.records.size(), 1u);

    std::vector<int> progress;
    const CsvImportResult read = importCsvFile(document, file, {}, [&](int percent) { progress.push_back(percent); });
    EXPECT_EQ(read.status, CsvImportStatus::Ok);
    EXPECT_EQ(read.recordsAdded, 1u);
    EXPECT_EQ(progress, (std::vector<int>{0, 100, 0}));
}

TEST(RecordCsvExport, WritesEveryRecordAndKeepsTheOldFileOnFailure)
{
    TempFolder folder;
    FormDocument document = takenOver(2);
    document.records[0].setValue(0, "two\nlines");
    document.appendNewRecord();
    document.records[1].setValue(1, "\xe4\"");

    const std::string file = folder.file("out.csv");
    writeText(file, "old");
    ASSERT_TRUE(exportCsvFile(document, file));
    EXPECT_EQ(fileText(file), "\"two\\nlines\",\"\"\r\n\"\",\"\xe4\"\"\"\r\n");

    FormDocument reread = takenOver(2);
    importCsvFile(reread, file, {});
    ASSERT_EQ(reread.records.size(), 3u);
    EXPECT_EQ(valuesOf(reread.records[1]), (std::vector<std::optional<std::string>>{"two\nlines", ""}));
    EXPECT_EQ(valuesOf(reread.records[2]), (std::vector<std::optional<std::string>>{"", "\xe4\""}));

    EXPECT_FALSE(exportCsvFile(document, folder.file("no such folder/out.csv")));
    std::filesystem::create_directory(folder.path() / "taken");
    EXPECT_FALSE(exportCsvFile(document, folder.file("taken")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "taken"));
    EXPECT_EQ(folder.entryCount(), 2u);  // no temporary file left behind
}

TEST(RecordCsvImport, RefusesFilesThatAreEmptyOrNotText)
{
    std::mt19937 generator(21);
    std::string random(20000, '\0');
    for (char& c : random)
        c = static_cast<char>(generator());
    const std::string line = "\"Name\",\"Street 5\tleft\"\r\n";
    std::string longText;
    while (longText.size() <= kCsvTextCheckBytes)
        longText += line;

    struct Row {
        const char* what;
        std::string bytes;
        CsvImportStatus status;
        size_t added;
    };
    const Row rows[] = {
        {"no byte at all", "", CsvImportStatus::Empty, 0},
        {"random bytes", random, CsvImportStatus::NotText, 0},
        {"UTF-16 without its mark", std::string("\"\0a\0\"\0\r\0\n\0", 10), CsvImportStatus::NotText, 0},
        {"code page text with a tab and a form feed", "K\xE4se;\xA3 5\f\r\n", CsvImportStatus::Ok, 1},
        {"control characters after the part looked at", longText + std::string(100, '\x01'), CsvImportStatus::Ok,
         longText.size() / line.size() + 1},
    };
    TempFolder folder;
    for (const Row& row : rows) {
        const std::string file = folder.file("in.csv");
        writeText(file, row.bytes);
        FormDocument document = takenOver(2);
        const CsvImportResult result = importCsvFile(document, file, {});
        EXPECT_EQ(result.status, row.status) << row.what;
        EXPECT_EQ(result.recordsAdded, row.added) << row.what;
        EXPECT_EQ(document.records.size(), row.added + 1) << row.what;
    }
}

TEST(RecordCsvImport, Utf16MarkedTextsAreReadAsUtf8)
{
    const auto bytesOf = [](std::u16string_view units, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : units) {
            const char high = char(unit >> 8);
            const char low = char(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const Utf8ToAnsi marking = [](std::string_view utf8) { return "<" + std::string(utf8) + ">"; };
    struct Row {
        const char* what;
        std::u16string units;
        std::vector<std::vector<std::optional<std::string>>> added;
    };
    const Row rows[] = {
        {"code page letters and two lines", u"\"Z\u00F6e\",\"\u20AC 5\"\r\nx;y\r\n",
         {{"<Z\xC3\xB6""e>", "<\xE2\x82\xAC 5>"}, {"<x>", "<y>"}}},
        {"a surrogate pair", u"a\U0001F600b", {{"<a\xF0\x9F\x98\x80""b>", std::nullopt}}},
        {"a surrogate without its partner", std::u16string(u"a") + char16_t(0xD800) + u"b",
         {{"<a\xEF\xBF\xBD""b>", std::nullopt}}},
    };
    for (const Row& row : rows) {
        for (const bool bigEndian : {false, true}) {
            FormDocument document = takenOver(2);
            EXPECT_EQ(importCsvText(document, bytesOf(row.units, bigEndian), marking), row.added.size()) << row.what;
            ASSERT_EQ(document.records.size(), row.added.size() + 1) << row.what;
            for (size_t i = 0; i < row.added.size(); ++i)
                EXPECT_EQ(valuesOf(document.records[i + 1]), row.added[i]) << row.what << " big endian " << bigEndian;
        }
    }

    TempFolder folder;
    const std::string file = folder.file("utf16.csv");
    writeText(file, bytesOf(u"\"\u00E4\"\r\n", false));
    FormDocument document = takenOver(1);
    EXPECT_EQ(importCsvFile(document, file, marking).status, CsvImportStatus::Ok);
    ASSERT_EQ(document.records.size(), 2u);
    EXPECT_EQ(document.records[1].value(0), "<\xC3\xA4>");
}
