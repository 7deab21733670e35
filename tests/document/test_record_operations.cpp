#include "document/FormDocument.h"

#include <gtest/gtest.h>

namespace {

FormDocument withFields(std::initializer_list<const char*> names)
{
    FormDocument document;
    int32_t x = 0;
    for (const char* name : names) {
        FormField& field = document.addField(FontSpec{});
        field.name = name;
        field.left = x;
        field.right = x + 50;
        field.multiLine = x == 0 ? 1 : 0;
        x += 100;
    }
    return document;
}

std::vector<std::string> firstValues(const FormDocument& document)
{
    std::vector<std::string> values;
    for (const FormRecord& record : document.records)
        values.push_back(record.value(0).value_or("<absent>"));
    return values;
}

}  // namespace

TEST(RecordOperations, TakeOverAndNewRecordCopyTheirTemplateWithoutValues)
{
    FormDocument document = withFields({"Name", "City"});
    // A form file may hold anything in the fields' reserved members; taken over, they are 0.
    document.fields[1].reserved1 = 5;
    document.fields[1].reserved2 = 7;
    document.records.resize(3);
    document.takeOverFields();
    ASSERT_EQ(document.recordCount(), 1);
    const FormRecord& first = document.records[0];
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first.layout(1).name, "City");
    EXPECT_EQ(first.layout(1).left, 100);
    EXPECT_EQ(first.layout(0).multiLine, 1);
    EXPECT_FALSE(first.value(0));
    EXPECT_EQ(first.layout(1).reserved1, 0);
    EXPECT_EQ(first.layout(1).reserved2, 0);

    document.records[0].setValue(0, "typed");
    document.records[0].editLayout(0).font.faceName = "Courier New";
    document.records[0].editLayout(0).reserved2 = 3;
    EXPECT_EQ(document.appendNewRecord(), 2);
    const RecordEntry copied = document.records[1].entry(0);
    EXPECT_EQ(copied.font.faceName, "Courier New");
    EXPECT_EQ(copied.name, "Name");
    EXPECT_EQ(copied.reserved2, 3);
    EXPECT_FALSE(copied.value);
}

TEST(RecordOperations, DeleteClosesTheGapButKeepsTheLastRecord)
{
    struct Row {
        int32_t number;
        RecordDeletion result;
        std::vector<std::string> left;
    };
    const Row rows[] = {
        {2, RecordDeletion::Deleted, {"1", "3"}},
        {3, RecordDeletion::Deleted, {"1", "2"}},
        {1, RecordDeletion::Deleted, {"2", "3"}},
        {0, RecordDeletion::InvalidNumber, {"1", "2", "3"}},
        {4, RecordDeletion::InvalidNumber, {"1", "2", "3"}},
    };
    for (const Row& row : rows) {
        FormDocument document = withFields({"Name"});
        document.takeOverFields();
        document.appendNewRecord();
        document.appendNewRecord();
        for (int32_t n = 1; n <= 3; ++n)
            document.setRecordValue(n, 1, std::to_string(n));
        EXPECT_EQ(document.deleteRecord(row.number), row.result) << row.number;
        EXPECT_EQ(firstValues(document), row.left) << row.number;
    }

    FormDocument single = withFields({"Name"});
    single.takeOverFields();
    EXPECT_EQ(single.deleteRecord(1), RecordDeletion::LastRecord);
    EXPECT_EQ(single.recordCount(), 1);
}

TEST(RecordOperations, ValuesAreStoredOnlyInsideAnExistingRecord)
{
    FormDocument document = withFields({"A", "B", "C"});
    document.takeOverFields();
    document.appendNewRecord();
    // A record as a form file may hold it: fewer entries than record 1.
    document.records[1] = FormRecord(std::vector{document.records[1].layout(0)});

    struct Row {
        int32_t number;
        int32_t entry;
        bool stored;
    };
    const Row rows[] = {{1, 1, true}, {1, 3, true}, {1, 4, false}, {0, 1, false}, {3, 1, false}, {1, 0, false}};
    for (const Row& row : rows)
        EXPECT_EQ(document.setRecordValue(row.number, row.entry, "v"), row.stored) << row.number << "/" << row.entry;

    EXPECT_TRUE(document.setRecordValue(1, 2, ""));
    EXPECT_EQ(document.records[0].value(1), std::optional<std::string>(""));

    // The short record grows by record 1's missing entries before the value goes in.
    EXPECT_TRUE(document.setRecordValue(2, 3, "late"));
    ASSERT_EQ(document.records[1].size(), 3u);
    EXPECT_EQ(document.records[1].layout(1).name, "B");
    EXPECT_FALSE(document.records[1].value(1));
    EXPECT_EQ(document.records[1].value(2), std::optional<std::string>("late"));
    EXPECT_EQ(document.records[0].value(2), std::optional<std::string>("v"));
}

TEST(RecordOperations, RecordsShareTheirTemplatesLayoutUntilOneChangesIt)
{
    struct Row {
        const char* what;
        size_t changed;  // 0-based record
        void (*change)(FormRecord&);
        const char* name;
        const char* face;
    };
    const Row rows[] = {
        {"record 1's name", 0, [](FormRecord& r) { r.editLayout(0).name = "Renamed"; }, "Renamed", "Arial"},
        {"a later record's font", 2, [](FormRecord& r) { r.editLayout(1).font.faceName = "Courier New"; }, "Name",
         "Courier New"},
        {"a value only", 1, [](FormRecord& r) { r.setValue(0, "typed"); }, "Name", "Arial"},
    };
    for (const Row& row : rows) {
        FormDocument document = withFields({"Name", "City"});
        document.takeOverFields();
        document.appendNewRecord();
        document.appendNewRecord();
        EXPECT_TRUE(document.records[1].sharesLayoutsWith(document.records[0])) << row.what;
        EXPECT_TRUE(document.records[2].sharesLayoutsWith(document.records[0])) << row.what;
        const FormRecord untouched = document.records[0];

        row.change(document.records[row.changed]);
        const FormRecord& changed = document.records[row.changed];
        EXPECT_EQ(changed.layout(0).name, row.name) << row.what;
        EXPECT_EQ(changed.layout(row.changed == 2 ? 1 : 0).font.faceName, row.face) << row.what;
        for (size_t other = 0; other < 3; ++other) {
            if (other == row.changed)
                continue;
            EXPECT_EQ(document.records[other].layouts(), untouched.layouts()) << row.what << " record " << other + 1;
            EXPECT_FALSE(document.records[other].value(0)) << row.what;
        }
        // The records left alone still share one layout.
        const size_t a = row.changed == 0 ? 1 : 0;
        EXPECT_TRUE(document.records[a].sharesLayoutsWith(document.records[3 - a - row.changed])) << row.what;
    }

    // A short record grown by a typed value takes record 1's missing entries, not its list.
    FormDocument document = withFields({"A", "B"});
    document.takeOverFields();
    document.records.push_back(FormRecord(std::vector{document.records[0].layout(0)}));
    document.records[1].editLayout(0).name = "Own";
    ASSERT_TRUE(document.setRecordValue(2, 2, "grown"));
    EXPECT_EQ(document.records[1].layout(0).name, "Own");
    EXPECT_EQ(document.records[1].layout(1).name, "B");
    EXPECT_EQ(document.records[0].layout(0).name, "A");
    EXPECT_FALSE(document.records[0].value(1));
}
