// Undo and redo in the window: every change a user makes on a tab is one step, which undo takes
// back and redo makes again with the document compared whole and every tab showing it; the
// buttons' hints and the keys.
#include "app/TMainForm.h"
#include "editor/TFieldsPage.h"
#include "editor/TNewPosSizeForm.h"
#include "editor/TObjListForm.h"
#include "picture/DrawDib.h"
#include "picture/TRetouchPage.h"
#include "picture/TScanPage.h"
#include "platform/CodePage.h"
#include "platform/Settings.h"
#include "print/TFillOutPage.h"
#include "print/TFormSizePage.h"
#include "print/TPrintPage.h"
#include "print/TStringGrid.h"
#include "support/MouseEvents.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <functional>
#include <optional>

namespace {

// The sample form in a shown window, the second field selected and the second record in the grid.
struct Window {
    QTemporaryDir settingsDir;
    bool settingsSet = (setProgramSettingsFile(settingsDir.filePath("velmora.ini")), true);
    ScriptedPrompts* scripted = new ScriptedPrompts;  // owned by form
    TMainForm form{QStringList{"velmora"}, std::unique_ptr<Prompts>(scripted)};
    TFormSizePage& formSize = *form.findChild<TFormSizePage*>();
    TFieldsPage& fields = *form.findChild<TFieldsPage*>();
    TFillOutPage& fillOut = *form.findChild<TFillOutPage*>();
    TPrintPage& print = *form.findChild<TPrintPage*>();
    TRetouchPage& retouch = *form.findChild<TRetouchPage*>();
    TScanPage& scan = *form.findChild<TScanPage*>();

    Window()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
        form.OpenFORM(QString(VELMORA_SOURCE_DIR) + "/examples/sample.frm");
        form.document().SelectedField = 2;
        fields.documentChanged();
        form.setCurrentRecordNumber(2);
        scripted->clear();
    }
    ~Window() { setProgramSettingsFile(QString()); }

    FormDocument& doc() { return form.document(); }
    QUndoStack& steps() { return form.history().stack(); }
};

// Runs what the user does in the modal dialog that opens next.
void whenDialogOpens(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            act(dialog);
    });
}

// A left-button drag on the field canvas between two picture points.
void dragOnCanvas(Window& w, PointI from, PointI to)
{
    QWidget* canvas = w.fields.PaintBox1;
    const Dib& picture = w.doc().picture.get();
    const double scale = std::min(double(canvas->width()) / DibWidth(picture), double(canvas->height()) / DibHeight(picture));
    const auto at = [scale](PointI p) { return QPointF(p.x * scale, p.y * scale); };
    dragMouse(*canvas, at(from), at(to));
}

PointI middleOf(const FormField& field) { return {(field.left + field.right) / 2, (field.top + field.bottom) / 2}; }

// Everything of the form a user can see change: the document whole and what the tabs show of it.
struct Seen {
    std::vector<FormField> fields;
    int32_t selectedField = 0;
    std::vector<FormRecord> records;
    PointI firstPoint, secondPoint;
    PointD firstPointMm, secondPointMm, printShift;
    QByteArray picture;
    QString nameBox;
    QString pictureSize;
    QStringList grid;
    int recordShown = 0;
    QString recordCount;
    QString valueEditor;
    std::vector<double> boxes;  // paper positions, distances, print shift
    bool operator==(const Seen&) const = default;
};

QByteArray bytesOf(const Dib& picture)
{
    if (!picture.header)
        return {};
    const auto* header = reinterpret_cast<const char*>(picture.header);
    const qsizetype rows = qsizetype(picture.rowSize) * std::abs(picture.header->biHeight);
    return QByteArray(header, sizeof(BITMAPINFOHEADER)) + QByteArray(reinterpret_cast<const char*>(picture.bits), rows);
}

Seen seenIn(Window& w)
{
    const FormDocument& doc = w.doc();
    Seen seen;
    seen.fields = doc.fields;
    seen.selectedField = doc.SelectedField;
    seen.records = doc.records;
    seen.firstPoint = doc.FirstPoint;
    seen.secondPoint = doc.SecondPoint;
    seen.firstPointMm = doc.FirstPointMm;
    seen.secondPointMm = doc.SecondPointMm;
    seen.printShift = doc.PrintShiftMm;
    seen.picture = bytesOf(doc.picture.get());
    seen.nameBox = w.fields.NameEd->text();
    seen.pictureSize = w.scan.BreitED->text() + " x " + w.scan.HochED->text() + ", " + w.scan.Tief->text();
    const TStringGrid& grid = *w.fillOut.StringGrid;
    for (int row = 0; row < grid.RowCount(); ++row)
        seen.grid << grid.Cells(0, row) << grid.Cells(1, row);
    seen.recordShown = w.fillOut.DSatzED->value();
    seen.recordCount = w.fillOut.DanzLabel->text();
    seen.valueEditor = w.fillOut.Memo2->toPlainText();
    for (const QDoubleSpinBox* box : {w.formSize.Ax1ED, w.formSize.AY1ED, w.formSize.Ax2Ed, w.formSize.AY2Ed,
                                      w.formSize.AbstXED, w.formSize.AbstYED, w.print.VerschXin, w.print.VerschYin})
        seen.boxes.push_back(box->value());
    return seen;
}

// Names the parts that differ, for the failure message.
std::string differences(const Seen& a, const Seen& b)
{
    std::string parts;
    const auto note = [&parts](bool same, const char* name) {
        if (!same)
            parts += std::string(parts.empty() ? "" : ", ") + name;
    };
    note(a.fields == b.fields && a.selectedField == b.selectedField, "fields");
    note(a.records == b.records, "records");
    note(a.firstPoint == b.firstPoint && a.secondPoint == b.secondPoint && a.firstPointMm == b.firstPointMm
             && a.secondPointMm == b.secondPointMm,
         "form size");
    note(a.printShift == b.printShift, "print shift");
    note(a.picture == b.picture, "picture");
    note(a.nameBox == b.nameBox, "name box");
    note(a.pictureSize == b.pictureSize, "picture information");
    note(a.grid == b.grid && a.recordShown == b.recordShown && a.recordCount == b.recordCount, "grid");
    note(a.valueEditor == b.valueEditor, "value editor");
    note(a.boxes == b.boxes, "number boxes");
    return parts;
}

// The point view and the field canvas have their sizes once their tabs were shown.
void showFormSizeTab(Window& w)
{
    w.form.showTab(2);
    w.formSize.sheets->setCurrentIndex(1);
    QApplication::processEvents();
}

void showFieldsTab(Window& w)
{
    w.form.showTab(3);
    QApplication::processEvents();
}

struct Operation {
    const char* text;  // the step's name, as the Undo button's hint shows it
    std::function<void(Window&)> act;
    std::function<void(Window&)> prepare = {};  // a choice on a tab that is no step of its own
};

const Operation kOperations[] = {
    // Fields.
    {"Create field", [](Window& w) { dragOnCanvas(w, {4, 4}, {40, 20}); }, showFieldsTab},
    {"Move field", [](Window& w) {
         const PointI from = middleOf(w.doc().fields[0]);
         dragOnCanvas(w, from, {from.x + 30, from.y + 12});
     }, showFieldsTab},
    {"Move field", [](Window& w) {
         w.fields.PaintBox1->setFocus();
         QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
         QApplication::sendEvent(w.fields.PaintBox1, &right);
     }},
    {"Delete field", [](Window& w) { w.fields.lschen1->trigger(); }},
    {"Duplicate field", [](Window& w) { w.fields.Duplizieren1->trigger(); }},
    {"Rename field", [](Window& w) {
         w.fields.NameEd->setText("Street");
         w.fields.NameEdKeyPress();
     }},
    {"Font", [](Window& w) {
         w.scripted->queueFont(FontChoice{QFont("Courier New", 17), QColor(Qt::black)});
         w.fields.Schriftart1->trigger();
     }},
    {"Alignment", [](Window& w) { w.fields.Rechtsbndig1->trigger(); }},
    {"Multi lined", [](Window& w) { w.fields.Mehrzeilig1->trigger(); }},
    {"Bring field to top", [](Window& w) { w.fields.ObjListForm->onRowPopup(1, QPoint()); }},
    {"Size and position", [](Window& w) {
         whenDialogOpens([](QWidget* dialog) {
             auto* form = static_cast<TNewPosSizeForm*>(dialog);
             form->WidthEd->setValue(form->WidthEd->value() + 25);
             form->accept();
         });
         w.fields.Greandern1->trigger();
     }},
    // Records.
    {"Value", [](Window& w) {
         for (const char* typed : {"K", "Ki", "Kiel"}) {
             w.fillOut.StringGrid->SetCells(1, 1, typed);
             w.fillOut.StringGrid->onSetEditText(1, 1, typed);
         }
     }},
    {"Value", [](Window& w) { w.fillOut.Memo2->setPlainText("Am Hafen 1\nKiel"); },
     [](Window& w) { w.fillOut.StringGrid->setCurrentCell(1, 0); }},
    {"New record", [](Window& w) { w.fillOut.NewDSatzBtn->click(); }},
    {"Delete record", [](Window& w) { w.fillOut.DelDSatzBtn->click(); }},
    {"Take over form fields", [](Window& w) {
         w.scripted->queueAnswer(MsgAnswer::Ok);
         w.fillOut.OvertakeBtn->click();
     }},
    {"Import records", [](Window& w) {
         const QString file = w.settingsDir.filePath("records.csv");
         QFile csv(file);
         ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
         csv.write("\"Anna\";\"Kiel\"\r\n\"Bert\";\"Lund\"\r\n");
         csv.close();
         w.scripted->queueOpenFile(file);
         w.fillOut.ImportTBtn->click();
     }},
    // The picture.
    {"Mirror", [](Window& w) { w.retouch.Horizontalspiegeln1->trigger(); }},
    {"Crop", [](Window& w) {
         w.form.selection() = SelectionRect{10, 20, 300, 400};
         w.retouch.Randabschneiden1->trigger();
     }},
    {"New picture", [](Window& w) { w.form.takeInNewPicture(newdib(320, 200, 8, nullptr, 0)); }},
    // Form size and print shift.
    {"Form size", [](Window& w) {
         w.formSize.FBreitEdin->setValue(8.5);
         w.formSize.EasyOvertakeBtn->click();
     }},
    {"First point", [](Window& w) { w.formSize.PaintBox2MouseDown(30, 40); }, showFormSizeTab},
    {"Second point", [](Window& w) { w.formSize.PaintBox2MouseDown(200, 250); },
     [](Window& w) {
         showFormSizeTab(w);
         w.formSize.Op3Check->setChecked(true);
     }},
    {"Paper position", [](Window& w) {
         w.formSize.AbstXED->setValue(12.5);
         w.formSize.AbstYED->setValue(14.25);
     }},
    {"Paper position", [](Window& w) { w.formSize.AbstYED->setValue(280); },
     [](Window& w) { w.formSize.Op3Check->setChecked(true); }},
    {"Print shift", [](Window& w) {
         w.print.VerschXin->setValue(0.25);
         w.print.VerschYin->setValue(-0.5);
     }},
};

}  // namespace

TEST(UndoWindow, EveryChangeOnTheTabsIsOneStepUndoneAndRedoneWhole)
{
    for (const Operation& op : kOperations) {
        Window w;
        if (op.prepare)
            op.prepare(w);
        const Seen before = seenIn(w);
        op.act(w);
        QApplication::processEvents();
        const Seen after = seenIn(w);
        ASSERT_NE(after, before) << op.text;
        EXPECT_EQ(w.steps().count(), 1) << op.text;
        EXPECT_EQ(w.form.undoButton()->toolTip(), QStringLiteral("Undo: ") + op.text);

        w.form.undoButton()->click();
        EXPECT_EQ(seenIn(w), before) << op.text << " undone: " << differences(seenIn(w), before);
        w.form.redoButton()->click();
        EXPECT_EQ(seenIn(w), after) << op.text << " redone: " << differences(seenIn(w), after);
        w.form.undoButton()->click();
        EXPECT_EQ(seenIn(w), before) << op.text << " undone again: " << differences(seenIn(w), before);
        EXPECT_TRUE(w.scripted->messages().empty() || op.text == std::string("Take over form fields"))
            << op.text << ": " << w.scripted->messageTexts().join(" | ").toStdString();
    }
}

TEST(UndoWindow, AnEasyModeSizeComesBackIntoTheEasyModeBoxes)
{
    Window w;
    TFormSizePage& page = w.formSize;
    const auto easyBoxes = [&page] { return std::pair(page.FBreitEdin->value(), page.FHochEdin->value()); };
    page.AutoSverhCheck->setChecked(false);
    page.FBreitEdin->setValue(8.27);
    page.FHochEdin->setValue(11.69);
    page.EasyOvertakeBtn->click();
    page.FBreitEdin->setValue(8.5);
    page.FHochEdin->setValue(11);
    page.EasyOvertakeBtn->click();
    page.AutoSverhCheck->setChecked(true);
    page.FBreitEdin->setValue(5);  // typed, not taken over

    w.form.undoButton()->click();
    EXPECT_EQ(easyBoxes(), std::pair(8.27, 11.69));
    EXPECT_DOUBLE_EQ(w.doc().SecondPointMm.x, 210.06);
    w.form.redoButton()->click();
    EXPECT_EQ(easyBoxes(), std::pair(8.5, 11.0));
    // Before the first easy size the sample had two points of its own: the boxes keep what they
    // hold.
    w.form.undoButton()->click();
    w.form.undoButton()->click();
    EXPECT_EQ(easyBoxes(), std::pair(8.27, 11.69));
    EXPECT_EQ(w.steps().count(), 2);
}

TEST(UndoWindow, ButtonsAndKeysNameAndTakeTheNextStep)
{
    Window w;
    QToolButton* undo = w.form.undoButton();
    QToolButton* redo = w.form.redoButton();
    struct Row {
        const char* what;
        std::function<void()> act;
        QString undoHint, redoHint;
        std::optional<int> recordsAdded;  // by "New record", still in the document
    };
    const int records = w.doc().recordCount();
    const Row rows[] = {
        {"nothing done", [] {}, "Nothing to undo", "Nothing to redo", 0},
        {"two records added", [&] { w.fillOut.NewDSatzBtn->click(); w.fillOut.NewDSatzBtn->click(); },
         "Undo: New record", "Nothing to redo", 2},
        {"Ctrl+Z", [&] { QTest::keyClick(&w.form, Qt::Key_Z, Qt::ControlModifier); }, "Undo: New record",
         "Redo: New record", 1},
        {"Ctrl+Z again", [&] { QTest::keyClick(&w.form, Qt::Key_Z, Qt::ControlModifier); }, "Nothing to undo",
         "Redo: New record", 0},
        {"Ctrl+Shift+Z", [&] { QTest::keyClick(&w.form, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
         "Undo: New record", "Redo: New record", 1},
        {"Ctrl+Y", [&] { QTest::keyClick(&w.form, Qt::Key_Y, Qt::ControlModifier); }, "Undo: New record",
         "Nothing to redo", 2},
        {"New clears", [&] {
             w.scripted->queueAnswer(MsgAnswer::Yes);
             w.form.NewBtnClick();
         }, "Nothing to undo", "Nothing to redo", std::nullopt},
    };
    for (const Row& row : rows) {
        row.act();
        EXPECT_EQ(undo->toolTip(), row.undoHint) << row.what;
        EXPECT_EQ(redo->toolTip(), row.redoHint) << row.what;
        EXPECT_EQ(undo->isEnabled(), row.undoHint != "Nothing to undo") << row.what;
        EXPECT_EQ(redo->isEnabled(), row.redoHint != "Nothing to redo") << row.what;
        if (row.recordsAdded)
            EXPECT_EQ(w.doc().recordCount(), records + *row.recordsAdded) << row.what;
        else
            EXPECT_EQ(w.steps().count(), 0) << row.what;
    }
}
