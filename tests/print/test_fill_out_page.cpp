#include "print/TFillOutPage.h"

#include "PrintTestHost.h"

#include "print/TStringGrid.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"
#include <QDir>
#include <QAbstractSpinBox>

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNoRecords = QStringLiteral("You have to create some form fields first!");

// A page whose document holds `fields` fields "F1".. and, after taking them over, `records`
// records whose first value is the record's number.
struct Page {
    TestFormHost host;
    TFillOutPage page{host};

    explicit Page(int fields = 0, int records = 0)
    {
        for (int i = 0; i < fields; ++i) {
            FormField& field = host.doc.addField(FontSpec{});
            field.name = "F" + std::to_string(i + 1);
        }
        if (records == 0)
            return;
        host.doc.takeOverFields();
        for (int n = 2; n <= records; ++n)
            host.doc.appendNewRecord();
        for (int n = 1; n <= records; ++n)
            host.doc.setRecordValue(n, 1, std::to_string(n));
        page.documentChanged();
    }

    ScriptedPrompts& prompts() { return host.scripted; }
    QString cell(int row) const { return page.StringGrid->Cells(1, row); }
    std::optional<std::string> value(int record, int entry) const
    {
        return host.doc.records.at(size_t(record - 1)).value(size_t(entry - 1));
    }
};

// A form size whose points are given in either order and a printer of 25 mm per inch: the
// printed width of a field is half its width on the picture (sx = 0.5).
void useHalfScaleFormSize(TestFormHost& host)
{
    host.doc.picture.reset(newdib(2000, 2000, 8, nullptr, 0));
    host.doc.FirstPoint = {1600, 1600};
    host.doc.SecondPoint = {0, 0};
    host.doc.FirstPointMm = {200, 200};
    host.doc.SecondPointMm = {0, 0};
    host.mmPerInchX = 25;
}

// Types into a widget as the keyboard does: '\b' is Backspace, '\n' is Return; a number box gets
// its text replaced.
void typeKeys(QWidget* widget, const QString& keys)
{
    if (auto* box = qobject_cast<QAbstractSpinBox*>(widget))
        box->selectAll();
    for (const QChar c : keys) {
        const int code = c == u'\b' ? Qt::Key_Backspace : c == u'\n' ? Qt::Key_Return : 0;
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, code ? QString() : QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

}  // namespace

TEST(FillOutTakeOver, ReplacesTheRecordsOnlyAfterOk)
{
    struct Row {
        int fields;
        std::optional<MsgAnswer> answer;
        QStringList messages;
        int recordsAfter;
        QString memo;
    };
    const QString question = QStringLiteral("Attention: you will lose all existing records!");
    const Row rows[] = {
        {0, std::nullopt, {QStringLiteral("You have to define some form fields!")}, 3, QStringLiteral("3")},
        {2, MsgAnswer::Cancel, {question}, 3, QStringLiteral("3")},
        {2, MsgAnswer::Ok, {question}, 1, QString()},
    };
    for (const Row& row : rows) {
        Page p(2, 3);
        p.page.setCurrentRecordNumber(3);
        p.page.StringGrid->setCurrentCell(0, 0);
        p.host.doc.fields.resize(size_t(row.fields));
        if (row.answer)
            p.prompts().queueAnswer(*row.answer);
        p.page.LoadingMemo = true;
        p.page.Memo2->setPlainText(QStringLiteral("stale"));
        p.page.LoadingMemo = false;

        p.page.OvertakeBtnClick();
        EXPECT_EQ(p.prompts().messageTexts(), row.messages);
        EXPECT_EQ(p.host.doc.recordCount(), row.recordsAfter);
        EXPECT_EQ(p.page.Memo2->toPlainText(), row.memo);
    }

    Page none;
    none.page.OvertakeBtnClick();
    EXPECT_EQ(none.prompts().messages().at(0).caption, QStringLiteral("Error"));
    EXPECT_EQ(none.prompts().messages().at(0).icon, MsgIcon::Error);

    Page p(2);
    p.host.doc.fields[1].name = "\xe4rger";
    p.prompts().queueAnswer(MsgAnswer::Ok);
    p.page.OvertakeBtnClick();
    const ShownMessage& asked = p.prompts().messages().at(0);
    EXPECT_EQ(asked.caption, QStringLiteral("Overtake form fields... "));
    EXPECT_EQ(asked.icon, MsgIcon::Information);
    EXPECT_EQ(asked.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(p.page.StringGrid->RowCount(), 3);
    EXPECT_EQ(p.page.StringGrid->Cells(0, 0), QStringLiteral("Field name"));
    EXPECT_EQ(p.page.StringGrid->Cells(1, 0), QStringLiteral("Value"));
    EXPECT_EQ(p.page.StringGrid->Cells(0, 2), QString::fromUtf8("ärger"));
    EXPECT_EQ(p.page.StringGrid->columnWidth(0), 500);
    EXPECT_EQ(p.page.DSatzED->value(), 1);
    EXPECT_EQ(p.page.DanzLabel->text(), QStringLiteral("1 Records"));
}

TEST(FillOutRecords, NewDeleteAndTheRecordNumber)
{
    struct Row {
        const char* what;
        std::function<void(TFillOutPage&)> act;
        int count;
        int current;
        QString shown;  // the first value the grid shows
        QStringList messages;
    };
    const Row rows[] = {
        {"delete at 2", [](TFillOutPage& page) { page.setCurrentRecordNumber(2); page.DelDSatzBtnClick(); }, 2, 2,
         QStringLiteral("3"), {}},
        {"delete at 3", [](TFillOutPage& page) { page.setCurrentRecordNumber(3); page.DelDSatzBtnClick(); }, 2, 2,
         QStringLiteral("2"), {}},
        {"typing 7", [](TFillOutPage& page) { typeKeys(page.DSatzED, QStringLiteral("7")); }, 3, 3, QStringLiteral("3"), {}},
        {"new record", [](TFillOutPage& page) { page.NewDSatzBtnClick(); }, 4, 4, QString(), {}},
        {"delete beyond the records", [](TFillOutPage& page) { page.DSatzED->blockSignals(true); page.DSatzED->setValue(5); page.DSatzED->blockSignals(false); page.DelDSatzBtnClick(); }, 3, 5,
         QStringLiteral("1"), {QStringLiteral("You have to select a valid record!")}},
    };
    for (const Row& row : rows) {
        Page p(2, 3);
        row.act(p.page);
        EXPECT_EQ(p.host.doc.recordCount(), row.count) << row.what;
        EXPECT_EQ(p.page.DSatzED->value(), row.current) << row.what;
        EXPECT_EQ(p.cell(1), row.shown) << row.what;
        EXPECT_EQ(p.prompts().messageTexts(), row.messages) << row.what;
        EXPECT_EQ(p.page.DanzLabel->text(), QString::number(row.count) + QStringLiteral(" Records")) << row.what;
    }

    Page empty(2);
    empty.page.NewDSatzBtnClick();
    Page single(2, 1);
    single.page.DelDSatzBtnClick();
    EXPECT_EQ(empty.prompts().messageTexts(), QStringList{kNoRecords});
    EXPECT_EQ(single.prompts().messageTexts(), QStringList{QStringLiteral("You can not delete the last record.")});
    EXPECT_EQ(single.prompts().messages().at(0).caption, QString());
    EXPECT_EQ(empty.page.DanzLabel->text(), QStringLiteral("of 0 data sets"));
}

TEST(FillOutValues, TypedTextIsStoredAndShownInTheMemo)
{
    Page p(2, 2);
    p.page.setCurrentRecordNumber(2);
    p.page.StringGrid->setCurrentCell(1, 0);
    p.page.show();
    p.page.StringGrid->editItem(p.page.StringGrid->item(1, 0));
    auto* editor = p.page.StringGrid->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    std::vector<std::optional<std::string>> stored;
    for (const QChar c : QStringLiteral("ab")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &press);
        stored.push_back(p.value(2, 2));
    }
    EXPECT_EQ(stored, (std::vector<std::optional<std::string>>{"a", "ab"}));
    EXPECT_EQ(p.page.Memo2->toPlainText(), QStringLiteral("ab"));
    EXPECT_FALSE(p.value(1, 2));

    // Erasing keeps an empty value, not an absent one.
    p.page.StringGridSetEditText(1, 2, QString());
    EXPECT_EQ(p.value(2, 2), std::optional<std::string>(""));

    p.page.Memo2->setPlainText(QStringLiteral("first line\nsecond line"));
    EXPECT_EQ(p.value(2, 2), std::optional<std::string>("first line\r\nsecond line"));
    EXPECT_EQ(p.cell(2), QStringLiteral("first line\r\nsecond line"));
    EXPECT_EQ(p.page.Memo2->toPlainText(), QStringLiteral("first line\nsecond line"));

    // Opening the one-line editor on it and leaving again keeps the line break.
    p.page.StringGrid->editItem(p.page.StringGrid->item(1, 0));
    p.page.StringGrid->setCurrentCell(0, 0);
    EXPECT_EQ(p.value(2, 2), std::optional<std::string>("first line\r\nsecond line"));

    // The form size of a new document is not valid: the check says so on every keystroke and
    // the value is stored all the same.
    const QString invalid = QStringLiteral(
        "The settings for the form size are not valid. Go to \"Set form size\" and enter the widht and height and "
        "click on \"OVERTAKE\"! ");
    EXPECT_EQ(p.prompts().messageTexts(), QStringList(5, invalid));

    // A record that ends early (as a form file may hold it) grows rather than taking the value
    // into another record.
    p.host.doc.records[1] = FormRecord(std::vector{p.host.doc.records[1].layout(0)});
    p.page.setCurrentRecordNumber(1);
    p.page.setCurrentRecordNumber(2);
    EXPECT_EQ(p.cell(2), QString());
    p.page.StringGridSetEditText(1, 2, QStringLiteral("kept"));
    EXPECT_EQ(p.value(2, 2), std::optional<std::string>("kept"));

    p.host.doc.records[0] = FormRecord();
    p.prompts().clear();
    p.page.StringGridSetEditText(1, 1, QStringLiteral("x"));
    EXPECT_EQ(p.prompts().messageTexts(), QStringList{QStringLiteral("Invalid data set")});
}

TEST(FillOutValues, HintWhenTheTextIsAsWideAsItsPrintedField)
{
    QTemporaryDir folder;
    RasterPrinterScope printer(folder.path(), 100);
    // The printed width of a 10 point Arial at 100 pixels per inch: -(10 * 100 div 72) = -13.
    Dc& dc = printer.printer().dc();
    DcFont arial;
    arial.height = -13;
    dc.SelectFont(arial);
    const QString text = QStringLiteral("Wide text");
    const int32_t w = dc.TextWidth(text);

    // sx = (200 - 0) mm / 25 mm per inch * 100 dpi / (1600 - 0) px = 0.5 printer pixels per
    // picture pixel; left 3 lands on trunc(1.5) = 1.
    struct Row {
        int32_t right;
        int32_t multiLine;
        bool hint;
    };
    const Row rows[] = {
        {2 * w + 3, 0, true},   // trunc(w + 1.5) - 1 = w
        {2 * w + 5, 0, false},  // w + 1
        {3, 1, false},          // multi-line entries wrap
    };
    for (const Row& row : rows) {
        Page p(1, 1);
        useHalfScaleFormSize(p.host);
        EntryLayout& entry = p.host.doc.records[0].editLayout(0);
        entry.left = 3;
        entry.right = row.right;
        entry.multiLine = row.multiLine;

        p.page.StringGridSetEditText(1, 1, text);
        const QStringList expected =
            row.hint ? QStringList{QStringLiteral(
                           "The text is to long. Use multi lines fields (Form field/right mouse button).")}
                     : QStringList{};
        EXPECT_EQ(p.prompts().messageTexts(), expected) << row.right;
        if (row.hint) {
            EXPECT_EQ(p.prompts().messages().at(0).caption, QStringLiteral("Hint"));
            EXPECT_EQ(p.prompts().messages().at(0).icon, MsgIcon::Information);
        }
        EXPECT_EQ(p.value(1, 1), std::optional<std::string>("Wide text"));
    }
}

TEST(FillOutValues, HintOnceWhileTheTypedTextStaysTooLong)
{
    QTemporaryDir folder;
    RasterPrinterScope printer(folder.path(), 100);
    Dc& dc = printer.printer().dc();
    DcFont arial;
    arial.height = -13;
    dc.SelectFont(arial);
    // "abc" fits its printed field, "abcd" does not (as in the hint's table above: sx = 0.5,
    // left 3 lands on 1).
    const int32_t printedWidth = dc.TextWidth(QStringLiteral("abc")) + 1;
    ASSERT_GE(dc.TextWidth(QStringLiteral("abcd")), printedWidth);

    struct Row {
        const char* keys;
        int hints;
    };
    const Row rows[] = {
        {"abc\n", 0},
        {"abcdef\n", 1},      // once, not on every further key nor when the editor closes
        {"abcd\bd\n", 2},     // short enough in between
        {"abcde\be\n", 1},    // one key back is still too long
        {"abcd\b\b\b\bab\n", 1},
    };
    for (const Row& row : rows) {
        Page p(1, 1);
        useHalfScaleFormSize(p.host);
        EntryLayout& entry = p.host.doc.records[0].editLayout(0);
        entry.left = 3;
        entry.right = 2 * (printedWidth + 1);
        p.page.show();
        p.page.StringGrid->setCurrentCell(0, 0);
        p.page.StringGrid->editItem(p.page.StringGrid->item(0, 0));
        auto* editor = p.page.StringGrid->findChild<QLineEdit*>();
        ASSERT_TRUE(editor);

        const QString keys = QString::fromLatin1(row.keys);
        typeKeys(editor, keys);
        const QStringList shown = p.prompts().messageTexts();
        const QString shownKeys = QString(keys).replace(u'\b', u'<').replace(u'\n', u'|');
        EXPECT_EQ(shown.size(), row.hints) << shownKeys.toStdString();
        EXPECT_EQ(shown.count(QStringLiteral(
                      "The text is to long. Use multi lines fields (Form field/right mouse button).")),
                  shown.size());
    }
}

TEST(FillOutCsv, DialogsMessagesAndTheGridAfterwards)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("records.csv"));

    Page none(2);
    none.page.ExportTBtnClick();
    none.page.ImportTBtnClick();
    EXPECT_EQ(none.prompts().messageTexts(), QStringList(2, kNoRecords));
    EXPECT_TRUE(none.prompts().fileDialogs().empty());

    Page p(2, 1);
    ASSERT_TRUE(writeFile(file, "\"a\",\"b\"\r\nc;d;e\r\n\xEF\xBB\xBFx\r\n"));
    p.prompts().queueOpenFile(file);
    p.page.ImportTBtnClick();
    ASSERT_EQ(p.prompts().fileDialogs().size(), 1u);
    const FileRequest& open = p.prompts().fileDialogs()[0].request;
    EXPECT_EQ(open.title, QStringLiteral("Import records"));
    EXPECT_EQ(open.filter, QStringLiteral("CSV (Trennzeichen getrennt) (*.csv)|*.csv|Alle Dateien (*.*)|*.*"));
    EXPECT_EQ(open.defaultExt, QStringLiteral("csv"));
    EXPECT_EQ(p.host.doc.recordCount(), 4);
    EXPECT_EQ(p.page.DSatzED->value(), 4);
    EXPECT_EQ(p.page.DanzLabel->text(), QStringLiteral("4 Records"));
    EXPECT_EQ(p.cell(1), QString::fromLatin1("\xEF\xBB\xBFx"));  // a mark inside the file is a value's bytes
    EXPECT_EQ(p.value(3, 2), std::optional<std::string>("d"));

    ASSERT_TRUE(writeFile(file, "\xEF\xBB\xBF\"K\xC3\xA4se \xE2\x82\xAC \xE2\x86\x92\"\r\n"));
    p.prompts().queueOpenFile(file);
    p.page.ImportTBtnClick();
    EXPECT_EQ(p.value(5, 1), std::optional<std::string>("K\xE4se \x80 ?"));

    p.prompts().queueOpenFile(folder.filePath(QStringLiteral("missing.csv")));
    p.page.setCurrentRecordNumber(2);
    p.page.ImportTBtnClick();
    EXPECT_EQ(p.prompts().messageTexts(), QStringList{QStringLiteral("Can not open the file.")});
    EXPECT_EQ(p.host.doc.recordCount(), 5);

    p.prompts().queueSaveFile(file);
    p.page.ExportTBtnClick();
    const FileRequest& save = p.prompts().fileDialogs().back().request;
    EXPECT_EQ(save.title, QStringLiteral("Export records"));
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_EQ(fileBytes(file).count("\r\n"), 5);
    p.prompts().clear();
    p.prompts().queueSaveFile(folder.filePath(QStringLiteral("no folder/records.csv")));
    p.page.ExportTBtnClick();
    EXPECT_EQ(p.prompts().messageTexts(), QStringList{QStringLiteral("Can not create the file.")});

    // Out of room: the old export stays and the message says why.
    const QByteArray before = fileBytes(file);
    p.prompts().clear();
    p.prompts().queueSaveFile(file);
    {
        const FileSizeLimit full(10);
        p.page.ExportTBtnClick();
    }
    EXPECT_EQ(p.prompts().messageTexts(),
              QStringList{QStringLiteral("The file \"%1\" could not be written: the file is too large for the disk.")
                              .arg(QDir::toNativeSeparators(file))});
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).filter(QStringLiteral(".tmp")), QStringList{});
}

TEST(FillOutGridFont, TheChosenFontShowsOnlyInTheGrid)
{
    Page p(1, 1);
    EXPECT_EQ(p.page.StringGrid->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(p.page.StringGrid->font().pixelSize(), 11);
    const FontSpec printed = p.host.doc.records[0].layout(0).font;

    p.prompts().queueFont(std::nullopt);
    p.page.FontBtnClick();
    EXPECT_EQ(p.page.StringGrid->font().family(), QStringLiteral("MS Sans Serif"));

    QFont courier(QStringLiteral("Courier New"));
    courier.setPointSize(14);
    p.prompts().queueFont(FontChoice{courier, QColor(Qt::darkBlue)});
    p.page.FontBtnClick();
    EXPECT_EQ(p.page.StringGrid->font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(p.page.StringGrid->palette().color(QPalette::Text), QColor(Qt::darkBlue));
    EXPECT_EQ(p.host.doc.records[0].layout(0).font, printed);
}

TEST(FillOutUndo, TheGridShowsTheDeletedRecordAgainAfterUndo)
{
    Page p(1, 3);
    p.host.undo.setViews({[&p](FormParts, int number) { p.page.showRecords(number); },
                          [&p] { return p.page.currentRecordNumber(); }, {}});
    p.page.setCurrentRecordNumber(2);
    p.page.DelDSatzBtnClick();
    ASSERT_EQ(p.host.doc.recordCount(), 2);
    EXPECT_EQ(p.cell(1), QStringLiteral("3"));
    p.host.undo.stack().undo();
    EXPECT_EQ(p.host.doc.recordCount(), 3);
    EXPECT_EQ(p.page.currentRecordNumber(), 2);
    EXPECT_EQ(p.cell(1), QStringLiteral("2"));
    EXPECT_EQ(p.page.DanzLabel->text(), QStringLiteral("3 Records"));
    p.host.undo.stack().redo();
    EXPECT_EQ(p.cell(1), QStringLiteral("3"));
    EXPECT_EQ(p.page.DanzLabel->text(), QStringLiteral("2 Records"));
}
