// Undo and redo over the document: every kind of change done, undone and redone with the
// document compared whole, the merging of typed values, and the memory budget of pictures.
#include "host/FormHistory.h"

#include "picture/DrawDib.h"
#include "picture/RetouchTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Everything of a document a user could see change, pixels included.
struct DocumentImage {
    std::vector<FormField> fields;
    int32_t selectedField;
    std::vector<FormRecord> records;
    PointI firstPoint, secondPoint;
    PointD firstPointMm, secondPointMm, printShift;
    int32_t width, height;
    std::vector<uint32_t> pixels;
    bool operator==(const DocumentImage&) const = default;
};

DocumentImage imageOf(const FormDocument& doc)
{
    const Dib& picture = doc.picture.get();
    return {doc.fields,       doc.SelectedField,  doc.records,        doc.FirstPoint,       doc.SecondPoint,
            doc.FirstPointMm, doc.SecondPointMm,  doc.PrintShiftMm,   DibWidth(picture),    DibHeight(picture),
            pixelsOf(picture)};
}

Dib greyPicture(int32_t width, int32_t height, uint32_t value)
{
    return pictureOf(width, height, 8, [value](int32_t x, int32_t y) { return uint32_t(value + x + y) & 0xff; });
}

// Two fields, three records with values, a picture of its own.
void fillIn(FormDocument& doc)
{
    doc.picture.reset(greyPicture(6, 4, 10));
    for (const char* name : {"first", "second"}) {
        FormField& field = doc.addField(FontSpec{});
        field.name = name;
        field.left = 10;
        field.top = 20;
        field.right = 60;
        field.bottom = 40;
    }
    doc.SelectedField = 1;
    doc.takeOverFields();
    doc.appendNewRecord();
    doc.appendNewRecord();
    doc.setRecordValue(2, 1, "Berlin");
    doc.setRecordValue(3, 2, "Hamburg");
}

struct Operation {
    const char* text;
    FormParts parts;  // 0: a picture operation
    std::function<void(FormDocument&, FormHistory&)> change;
};

const Operation kOperations[] = {
    {"Create field", PartFields, [](FormDocument& d, FormHistory&) { d.addField(FontSpec{}); d.SelectedField = 3; }},
    {"Move field", PartFields, [](FormDocument& d, FormHistory&) { d.fields[0].left += 8; d.fields[0].right += 8; }},
    {"Delete field", PartFields, [](FormDocument& d, FormHistory&) { d.deleteField(1); d.SelectedField = 1; }},
    {"Bring field to top", PartFields, [](FormDocument& d, FormHistory&) { d.bringToTop(1); d.SelectedField = 2; }},
    {"Rename field", PartFields, [](FormDocument& d, FormHistory&) { d.fields[1].name = "third"; }},
    {"Font", PartFields, [](FormDocument& d, FormHistory&) { d.fields[0].font.setSize(14); }},
    {"New record", PartRecords, [](FormDocument& d, FormHistory&) { d.appendNewRecord(); }},
    {"Delete record", PartRecords, [](FormDocument& d, FormHistory&) { d.deleteRecord(2); }},
    {"Value", PartRecords, [](FormDocument& d, FormHistory&) { d.setRecordValue(3, 1, "Kiel"); }},
    {"Take over form fields", PartRecords, [](FormDocument& d, FormHistory&) { d.takeOverFields(); }},
    {"Form size", PartFormSize, [](FormDocument& d, FormHistory&) { d.SecondPoint = {5, 3}; d.SecondPointMm = {200, 280}; }},
    {"Print shift", PartPrintShift, [](FormDocument& d, FormHistory&) { d.PrintShiftMm = {1.5, -2}; }},
    {"Rotate", 0, [](FormDocument&, FormHistory& h) { h.replacePicture(greyPicture(4, 6, 90), "Rotate"); }},
};

}  // namespace

TEST(FormHistory, EveryChangeIsUndoneAndRedoneWhole)
{
    for (const Operation& op : kOperations) {
        FormDocument doc;
        fillIn(doc);
        FormHistory history(doc);
        const DocumentImage before = imageOf(doc);
        if (op.parts == 0) {
            op.change(doc, history);
        } else {
            UndoStep step(history, op.parts, op.text);
            op.change(doc, history);
        }
        const DocumentImage after = imageOf(doc);
        ASSERT_NE(after, before) << op.text;
        ASSERT_EQ(history.stack().count(), 1) << op.text;
        EXPECT_EQ(history.stack().undoText(), QString::fromUtf8(op.text));
        history.stack().undo();
        EXPECT_EQ(imageOf(doc), before) << op.text;
        history.stack().redo();
        EXPECT_EQ(imageOf(doc), after) << op.text;
        history.stack().undo();
        EXPECT_EQ(imageOf(doc), before) << op.text << " undone twice";
    }
}

TEST(FormHistory, OnlyChangesOfContentBecomeSteps)
{
    struct Row {
        const char* what;
        std::function<void(FormDocument&, FormHistory&)> change;
        int steps;
    };
    const Row rows[] = {
        {"a click that only selects", [](FormDocument& d, FormHistory& h) {
             UndoStep step(h, PartFields, "Select");
             d.SelectedField = 2;
         }, 0},
        {"a step inside a step", [](FormDocument& d, FormHistory& h) {
             UndoStep outer(h, PartFormSize, "Form size");
             d.FirstPointMm = {3, 4};
             UndoStep inner(h, PartFormSize, "Paper position");
             d.SecondPointMm = {100, 100};
         }, 1},
        {"a change made while undoing", [](FormDocument& d, FormHistory& h) {
             h.setViews({[&d, &h](FormParts, int) {
                             UndoStep echo(h, PartPrintShift, "Echo");
                             d.PrintShiftMm = {9, 9};
                         }, {}, {}});
             {
                 UndoStep step(h, PartPrintShift, "Print shift");
                 d.PrintShiftMm = {1, 1};
             }
             h.stack().undo();
         }, 1},
        {"typing into one value", [](FormDocument& d, FormHistory& h) {
             for (const char* text : {"K", "Ki", "Kie", "Kiel"}) {
                 FormState before = h.capture(PartRecords);
                 d.setRecordValue(1, 1, text);
                 h.record(std::move(before), "Value", "1:1");
             }
         }, 1},
        {"typing into two values", [](FormDocument& d, FormHistory& h) {
             for (int entry : {1, 2, 1}) {
                 FormState before = h.capture(PartRecords);
                 d.setRecordValue(1, entry, "x" + std::to_string(h.stack().count()));
                 h.record(std::move(before), "Value", QStringLiteral("1:%1").arg(entry));
             }
         }, 3},
    };
    for (const Row& row : rows) {
        FormDocument doc;
        fillIn(doc);
        FormHistory history(doc);
        row.change(doc, history);
        EXPECT_EQ(history.stack().count(), row.steps) << row.what;
    }
}

TEST(FormHistory, AMergedRunOfTypingUndoesToTheValueBeforeIt)
{
    FormDocument doc;
    fillIn(doc);
    FormHistory history(doc);
    for (const char* text : {"P", "Po", "Pot"}) {
        FormState before = history.capture(PartRecords);
        doc.setRecordValue(2, 1, text);
        history.record(std::move(before), "Value", "2:1");
    }
    history.stack().undo();
    EXPECT_EQ(doc.records[1].value(0), std::optional<std::string>("Berlin"));
    history.stack().redo();
    EXPECT_EQ(doc.records[1].value(0), std::optional<std::string>("Pot"));
}

TEST(FormHistory, TheViewsShowTheRestoredPartsAndRecord)
{
    FormDocument doc;
    fillIn(doc);
    FormHistory history(doc);
    int shown = 2;
    std::vector<std::pair<FormParts, int>> restored;
    history.setViews({[&](FormParts parts, int number) {
                          restored.emplace_back(parts, number);
                          shown = number;
                      },
                      [&] { return shown; }, {}});
    {
        UndoStep step(history, PartRecords, "Delete record");
        doc.deleteRecord(2);
        shown = 1;
    }
    history.stack().undo();
    history.stack().redo();
    history.replacePicture(greyPicture(2, 2, 0), "Crop");
    history.stack().undo();
    using Shown = std::vector<std::pair<FormParts, int>>;
    EXPECT_EQ(restored, (Shown{{PartRecords, 2}, {PartRecords, 1}, {PartPicture, 0}}));
}

TEST(FormHistory, OldestPicturesDropOffBeyondTheBudget)
{
    struct Row {
        const char* what;
        PictureBudget budget;
        int pictures;   // pushed, each 8 x 8 at 8 bits: 1104 bytes
        bool fieldStepFirst;
        int stepsLeft;
        int messages;
    };
    const size_t pictureSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + 8 * 8;
    const Row rows[] = {
        {"within both", {100 * pictureSize, 10}, 10, false, 10, 0},
        {"one picture too many", {100 * pictureSize, 10}, 11, false, 10, 1},
        {"count limit of three", {100 * pictureSize, 3}, 5, false, 3, 2},
        {"bytes for two", {2 * pictureSize + 10, 10}, 4, false, 2, 2},
        {"a picture larger than the budget", {pictureSize - 1, 10}, 1, false, 0, 1},
        {"an older step goes with the picture", {100 * pictureSize, 2}, 3, true, 2, 1},
    };
    for (const Row& row : rows) {
        FormDocument doc;
        fillIn(doc);
        doc.picture.reset(greyPicture(8, 8, 0));
        FormHistory history(doc);
        history.setPictureBudget(row.budget);
        QStringList told;
        history.setViews({{}, {}, [&](const QString& text) { told << text; }});
        if (row.fieldStepFirst) {
            UndoStep step(history, PartFields, "Rename field");
            doc.fields[0].name = "renamed";
        }
        for (int i = 1; i <= row.pictures; ++i)
            history.replacePicture(greyPicture(8, 8, uint32_t(i)), QStringLiteral("Picture %1").arg(i));
        EXPECT_EQ(history.stack().count(), row.stepsLeft) << row.what;
        EXPECT_EQ(told.size(), row.messages) << row.what;
        // What is left still undoes to the right pictures, oldest last.
        while (history.stack().canUndo())
            history.stack().undo();
        const int firstKept = row.pictures - row.stepsLeft;
        EXPECT_EQ(pixelsOf(doc.picture.get()), pixelsOf(DibOwner(greyPicture(8, 8, uint32_t(firstKept))).get()))
            << row.what;
    }
}

TEST(FormHistory, TheStatusSentenceNamesTheStepThatDroppedOff)
{
    FormDocument doc;
    FormHistory history(doc);
    history.setPictureBudget({size_t(1) << 30, 1});
    QStringList told;
    history.setViews({{}, {}, [&](const QString& text) { told << text; }});
    history.replacePicture(greyPicture(4, 4, 1), "Rotate");
    history.replacePicture(greyPicture(4, 4, 2), "Crop");
    EXPECT_EQ(told, QStringList{"\"Rotate\" can no longer be undone: undo keeps at most 1 pictures in 1024 MB."});
    EXPECT_EQ(history.stack().undoText(), QStringLiteral("Crop"));
}

TEST(FormHistory, ADragIsNamedByWhatItDidToTheField)
{
    const auto fieldAt = [](int32_t left, const char* name) {
        FormField field;
        field.left = left;
        field.top = 10;
        field.right = left + 40;
        field.bottom = 30;
        field.name = name;
        return field;
    };
    const FormField a = fieldAt(10, "a");
    const FormField b = fieldAt(100, "b");
    FormField aMoved = a;
    aMoved.left += 5;
    aMoved.right += 5;
    FormField aWider = a;
    aWider.right += 5;
    FormField created{};
    using Fields = std::vector<FormField>;
    struct Row {
        Fields before, after;
        const char* text;
    };
    const Row rows[] = {
        {{a, b}, {a, b, created}, "Create field"},
        {{a, b}, {b}, "Delete field"},
        {{a, b}, {aMoved, b}, "Move field"},
        {{a, b}, {aWider, b}, "Resize field"},
        {{a, b}, {b, a}, "Bring field to top"},
        {{a, b}, {b, aMoved}, "Move field"},
        {{a, b}, {b, aWider}, "Resize field"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(fieldChangeText(row.before, row.after), QString::fromUtf8(row.text)) << row.text;
}
