#include "document/FormDocument.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace {

FormField& addFieldAt(FormDocument& document, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const std::string& name)
{
    FormField& field = document.addField(FontSpec{});
    field.left = left;
    field.top = top;
    field.right = right;
    field.bottom = bottom;
    field.name = name;
    return field;
}

std::vector<std::string> names(const FormDocument& document)
{
    std::vector<std::string> result;
    for (const FormField& field : document.fields)
        result.push_back(field.name);
    return result;
}

using Names = std::vector<std::string>;

} // namespace

TEST(FontSpecTest, DefaultFieldFontIsArialThirteenPixelsInWindowText)
{
    const FontSpec font;
    EXPECT_EQ(font.faceName, "Arial");
    EXPECT_EQ(font.height, -13);
    EXPECT_EQ(font.size, 10);  // 13 * 72 / 96 = 9.75
    EXPECT_EQ(font.color, int32_t(0x80000008u));
    EXPECT_EQ(font.pitch, 0);
    EXPECT_EQ(font.style, 0);
}

TEST(FontSpecTest, HeightAndSizeFollowEachOtherAtNinetySixPixelsPerInch)
{
    FontSpec font;
    font.setHeight(-16);
    EXPECT_EQ(font.size, 12);  // 16 * 72 / 96 = 12 exactly
    font.setHeight(-20);
    EXPECT_EQ(font.size, 15);
    font.setHeight(-14);
    EXPECT_EQ(font.size, 10);  // 10.5: halves go to the even neighbour
    font.setHeight(-18);
    EXPECT_EQ(font.size, 14);  // 13.5
    font.setHeight(-15);
    EXPECT_EQ(font.size, 11);  // 11.25

    font.setSize(12);
    EXPECT_EQ(font.height, -16);
    font.setSize(10);
    EXPECT_EQ(font.height, -13);  // 13.33
    font.setSize(11);
    EXPECT_EQ(font.height, -15);  // 14.67
    font.setSize(9);
    EXPECT_EQ(font.height, -12);
    EXPECT_EQ(font.size, 9);
}

TEST(FontSpecTest, PositiveCellHeightGivesPositiveSize)
{
    FontSpec font;
    font.setHeight(24);
    EXPECT_EQ(font.height, 24);
    EXPECT_EQ(font.size, 18);
}

TEST(FormDocumentTest, StartUpDocumentIsBlankPictureWithoutFieldsOrRecords)
{
    const FormDocument document;
    ASSERT_TRUE(document.picture);
    const BITMAPINFOHEADER& info = *document.picture.get().header;
    EXPECT_EQ(info.biWidth, 320);
    EXPECT_EQ(info.biHeight, 200);
    EXPECT_EQ(info.biBitCount, 8);
    EXPECT_TRUE(document.fields.empty());
    EXPECT_TRUE(document.records.empty());
    EXPECT_EQ(document.SelectedField, 0);
    EXPECT_EQ(document.FirstPoint, (PointI{0, 0}));
    EXPECT_EQ(document.SecondPoint, (PointI{0, 0}));
    EXPECT_EQ(document.FirstPointMm, (PointD{0, 0}));
    EXPECT_EQ(document.SecondPointMm, (PointD{210, 297}));
    EXPECT_EQ(document.PrintShiftMm, (PointD{0, 0}));
}

TEST(FormDocumentTest, NewFieldIsNonameWithCopyOfDefaultFontOnTop)
{
    FormDocument document;
    addFieldAt(document, 0, 0, 5, 5, "first");
    FontSpec defaultFont;
    defaultFont.faceName = "Courier New";
    defaultFont.setSize(14);
    defaultFont.style = FontBold | FontItalic;
    FormField& field = document.addField(defaultFont);
    EXPECT_EQ(field.name, "noname");
    EXPECT_EQ(field.font, defaultFont);
    EXPECT_EQ(field.reserved1, 0);
    EXPECT_EQ(field.reserved2, 0);
    EXPECT_EQ(field.multiLine, 0);
    EXPECT_EQ(field.alignment, AlignLeft);
    EXPECT_EQ(names(document), (Names{"first", "noname"}));

    defaultFont.faceName = "Times New Roman";
    EXPECT_EQ(document.fields.back().font.faceName, "Courier New");
}

TEST(FormDocumentTest, DeleteFieldClosesGapAndIgnoresIndexesOutsideTheList)
{
    FormDocument document;
    addFieldAt(document, 0, 0, 1, 1, "a");
    addFieldAt(document, 0, 0, 1, 1, "b");
    addFieldAt(document, 0, 0, 1, 1, "c");

    document.deleteField(0);
    document.deleteField(4);
    document.deleteField(-1);
    EXPECT_EQ(names(document), (Names{"a", "b", "c"}));

    document.deleteField(2);
    EXPECT_EQ(names(document), (Names{"a", "c"}));
    document.deleteField(2);
    EXPECT_EQ(names(document), (Names{"a"}));
    document.deleteField(1);
    EXPECT_TRUE(document.fields.empty());
}

TEST(FormDocumentTest, BringToTopMovesFieldToEndKeepingTheOthersOrder)
{
    FormDocument document;
    for (const char* name : {"a", "b", "c", "d"})
        addFieldAt(document, 0, 0, 1, 1, name);

    document.bringToTop(4);
    EXPECT_EQ(names(document), (Names{"a", "b", "c", "d"}));
    document.bringToTop(1);
    EXPECT_EQ(names(document), (Names{"b", "c", "d", "a"}));
    document.bringToTop(2);
    EXPECT_EQ(names(document), (Names{"b", "d", "a", "c"}));
    document.bringToTop(0);
    document.bringToTop(5);
    EXPECT_EQ(names(document), (Names{"b", "d", "a", "c"}));
}

TEST(FormDocumentTest, FieldAtCountsEdgesAsInsideAndPrefersTheLaterField)
{
    FormDocument document;
    addFieldAt(document, 10, 20, 30, 40, "under");
    addFieldAt(document, 25, 35, 50, 60, "over");

    EXPECT_EQ(document.fieldAt(10, 20), 1);  // top-left corner
    EXPECT_EQ(document.fieldAt(30, 30), 1);  // right edge
    EXPECT_EQ(document.fieldAt(20, 40), 1);  // bottom edge
    EXPECT_EQ(document.fieldAt(9, 20), 0);
    EXPECT_EQ(document.fieldAt(10, 19), 0);
    EXPECT_EQ(document.fieldAt(31, 20), 0);
    EXPECT_EQ(document.fieldAt(28, 38), 2);  // overlap
    EXPECT_EQ(document.fieldAt(50, 60), 2);
    EXPECT_EQ(document.fieldAt(51, 60), 0);

    document.bringToTop(1);
    EXPECT_EQ(document.fieldAt(28, 38), 2);
    EXPECT_EQ(document.fields[1].name, "under");
}

TEST(FormDocumentTest, SelectionOutsideTheListMeansNone)
{
    FormDocument document;
    addFieldAt(document, 0, 0, 1, 1, "a");
    addFieldAt(document, 0, 0, 1, 1, "b");
    document.SelectedField = 2;
    ASSERT_NE(document.selectedField(), nullptr);
    EXPECT_EQ(document.selectedField()->name, "b");
    for (int32_t outside : {0, 3, -2}) {
        document.SelectedField = outside;
        EXPECT_EQ(document.selectedField(), nullptr) << outside;
    }
}

TEST(FormDocumentTest, NormaliseSelectedSwapsInvertedEdgesOfTheSelectedFieldOnly)
{
    FormDocument document;
    addFieldAt(document, 30, 40, 10, 20, "inverted");
    addFieldAt(document, 50, 10, 40, 60, "also inverted");
    document.SelectedField = 1;
    document.normaliseSelected();
    const FormField& first = document.fields[0];
    EXPECT_EQ((std::vector<int32_t>{first.left, first.top, first.right, first.bottom}),
              (std::vector<int32_t>{10, 20, 30, 40}));
    const FormField& second = document.fields[1];
    EXPECT_EQ(second.left, 50);
    EXPECT_EQ(second.right, 40);

    document.SelectedField = 2;
    document.normaliseSelected();
    EXPECT_EQ((std::vector<int32_t>{second.left, second.top, second.right, second.bottom}),
              (std::vector<int32_t>{40, 10, 50, 60}));

    document.SelectedField = 0;
    addFieldAt(document, 9, 9, 1, 1, "untouched");
    document.normaliseSelected();
    EXPECT_EQ(document.fields[2].left, 9);
}

TEST(FormDocumentTest, ClearFieldsAndRecordsEmptyTheLists)
{
    FormDocument document;
    addFieldAt(document, 0, 0, 1, 1, "a");
    document.SelectedField = 1;
    document.records.push_back(FormRecord{{RecordEntry{}}});
    document.clearFields();
    EXPECT_TRUE(document.fields.empty());
    EXPECT_EQ(document.SelectedField, 0);
    EXPECT_EQ(document.records.size(), 1u);
    document.clearRecords();
    EXPECT_TRUE(document.records.empty());
}

TEST(FormDocumentTest, NewRecordCopiesRecordOneWithoutValues)
{
    FormDocument document;
    EXPECT_TRUE(document.newRecordFromFirst().empty());

    document.records.push_back(FormRecord{});
    EXPECT_TRUE(document.newRecordFromFirst().empty());

    RecordEntry name;
    name.name = "Name";
    name.left = 1;
    name.top = 2;
    name.right = 30;
    name.bottom = 40;
    name.font.faceName = "Verdana";
    name.multiLine = 1;
    name.alignment = AlignRight;
    name.value = "Smith";
    RecordEntry date;
    date.name = "<date>";
    document.records[0].append(name);
    document.records[0].append(date);

    const FormRecord record = document.newRecordFromFirst();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_FALSE(record.value(0).has_value());
    EXPECT_FALSE(record.value(1).has_value());
    RecordEntry expected = name;
    expected.value.reset();
    EXPECT_EQ(record.entry(0), expected);
    EXPECT_EQ(record.layout(1).name, "<date>");
    EXPECT_EQ(document.records[0].value(0), "Smith");
}

TEST(FormDocumentTest, TakingOverCopiesEveryFieldInListOrderWithoutValues)
{
    FormDocument document;
    EXPECT_TRUE(document.recordFromFields().empty());

    FontSpec bold;
    bold.faceName = "Courier New";
    bold.style = FontBold;
    FormField& first = document.addField(bold);
    first.name = "Amount";
    first.left = 5;
    first.top = 6;
    first.right = 70;
    first.bottom = 80;
    first.multiLine = 1;
    first.alignment = AlignRight;
    document.addField(FontSpec{}).name = "<date>";

    const FormRecord record = document.recordFromFields();
    ASSERT_EQ(record.size(), 2u);
    const RecordEntry amount = record.entry(0);
    EXPECT_EQ(amount.name, "Amount");
    EXPECT_EQ((std::array{amount.left, amount.top, amount.right, amount.bottom}), (std::array{5, 6, 70, 80}));
    EXPECT_EQ(amount.font, bold);
    EXPECT_EQ(amount.multiLine, 1);
    EXPECT_EQ(amount.alignment, AlignRight);
    EXPECT_FALSE(amount.value.has_value());
    EXPECT_EQ(record.layout(1).name, "<date>");
}

TEST(FormDocumentTest, NewResetsEverythingButThePrintShift)
{
    FormDocument document;
    addFieldAt(document, 0, 0, 1, 1, "a");
    document.SelectedField = 1;
    document.records.push_back(FormRecord{{RecordEntry{}}});
    document.picture.reset(newdib(40, 30, 24, nullptr, 0));
    document.FirstPoint = {5, 6};
    document.SecondPoint = {70, 80};
    document.FirstPointMm = {10, 20};
    document.SecondPointMm = {200, 280};
    document.PrintShiftMm = {1.5, -2.5};

    document.resetForNew();
    EXPECT_TRUE(document.fields.empty());
    EXPECT_EQ(document.SelectedField, 0);
    EXPECT_TRUE(document.records.empty());
    ASSERT_TRUE(document.picture);
    EXPECT_EQ(document.picture.get().header->biWidth, 320);
    EXPECT_EQ(document.picture.get().header->biHeight, 200);
    EXPECT_EQ(document.picture.get().header->biBitCount, 8);
    EXPECT_EQ(document.FirstPoint, (PointI{0, 0}));
    EXPECT_EQ(document.SecondPoint, (PointI{0, 0}));
    EXPECT_EQ(document.FirstPointMm, (PointD{1, 1}));
    EXPECT_EQ(document.SecondPointMm, (PointD{1, 1}));
    EXPECT_EQ(document.PrintShiftMm, (PointD{1.5, -2.5}));
}

TEST(FontSpecTest, ExtremeValuesStopAtTheEndsOfTheRange)
{
    FontSpec font;
    font.setSize(std::numeric_limits<int32_t>::max());
    EXPECT_EQ(font.height, std::numeric_limits<int32_t>::min());
    font.setSize(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(font.height, std::numeric_limits<int32_t>::max());
    font.setHeight(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(font.size, 1610612736);  // 2^31 * 72 / 96
    font.setSize(-12);
    EXPECT_EQ(font.height, 16);
}
