#include "editor/TFieldsPage.h"

#include "editor/TNewNameForm.h"
#include "editor/TNewPosSizeForm.h"
#include "editor/TObjListForm.h"
#include "platform/CodePage.h"
#include "support/GeneratedForms.h"
#include "support/TestFormHost.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QUndoStack>
#include <QTimer>
#include <QToolButton>
#include <QDoubleSpinBox>
#include <QCheckBox>

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Rect {
    int32_t left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

Rect rectOf(const FormField& field) { return {field.left, field.top, field.right, field.bottom}; }

void mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : button,
                      held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget* widget, Qt::MouseButton button, QPoint at) { mouse(widget, QEvent::MouseButtonPress, button, at); }
void release(QWidget* widget, Qt::MouseButton button, QPoint at) { mouse(widget, QEvent::MouseButtonRelease, button, at); }
void moveTo(QWidget* widget, QPoint at) { mouse(widget, QEvent::MouseMove, Qt::LeftButton, at); }
void click(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    press(widget, button, at);
    release(widget, button, at);
}

void key(QWidget* widget, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, code, modifiers);
    QApplication::sendEvent(widget, &event);
}

// The page with a canvas of exactly 400 x 300 over a 400 x 300 picture: canvas pixels are
// picture pixels.
struct ShownPage {
    TestFormHost host;
    TFieldsPage page{host};

    ShownPage()
    {
        host.doc.picture.reset(newdib(400, 300, 24, nullptr, 0));
        page.ScrollBox->setFrameShape(QFrame::NoFrame);
        page.ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.ScrollBox->setFixedSize(400, 300);
        page.resize(700, 500);
        page.show();
        QApplication::processEvents();
    }

    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        press(page.PaintBox1, button, from);
        moveTo(page.PaintBox1, (from + to) / 2);
        moveTo(page.PaintBox1, to);
        release(page.PaintBox1, button, to);
    }
};

// Runs what the user does in the modal dialog that opens next.
void whenDialogOpens(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

}  // namespace

TEST(TFieldsPage, MouseCreatesMovesAndMenusFields)
{
    ShownPage shown;
    EXPECT_EQ(shown.page.PaintBox1->size(), QSize(400, 300));
    EXPECT_FALSE(shown.page.NameEd->isEnabled());

    shown.drag({20, 20}, {120, 60});
    ASSERT_EQ(shown.host.doc.fields.size(), 1u);
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{20, 20, 120, 60}));
    EXPECT_TRUE(shown.host.fieldsChanged);
    EXPECT_TRUE(shown.page.NameEd->isEnabled());
    EXPECT_EQ(shown.page.NameEd->text(), "noname");
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    shown.drag({70, 40}, {80, 55});
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{30, 35, 130, 75}));

    // The typed name is kept when the right press selects the field again.
    shown.page.NameEd->setText("Town");
    click(shown.page.PaintBox1, Qt::RightButton, {50, 50});
    EXPECT_EQ(shown.host.doc.fields[0].name, "Town");
    EXPECT_TRUE(shown.page.FieldPopUp->isVisible());
    EXPECT_TRUE(shown.page.Linksbndig1->isChecked());
    EXPECT_FALSE(shown.page.Mehrzeilig1->isChecked());
    shown.page.Zentriert1->trigger();
    shown.page.FieldPopUp->hide();
    EXPECT_EQ(shown.host.doc.fields[0].alignment, AlignCentered);

    // The keys act on the selection when the canvas has the focus.
    shown.page.PaintBox1->setFocus();
    shown.page.GitterED->setValue(5);
    key(shown.page.PaintBox1, Qt::Key_Right);
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{35, 35, 135, 75}));
    key(shown.page.PaintBox1, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{35, 85, 135, 125}));
    key(shown.page.PaintBox1, Qt::Key_Delete);
    EXPECT_TRUE(shown.host.doc.fields.empty());
    EXPECT_FALSE(shown.page.NameEd->isEnabled());
}

TEST(TFieldsPage, ZoomToolAndCanvasSize)
{
    ShownPage shown;
    shown.page.LupeBtn->click();
    click(shown.page.PaintBox1, Qt::LeftButton, {10, 10});
    EXPECT_DOUBLE_EQ(shown.page.ZoomEd->value(), 1.2);
    EXPECT_EQ(shown.page.PaintBox1->size(), QSize(480, 360));
    click(shown.page.PaintBox1, Qt::RightButton, {10, 10});
    EXPECT_DOUBLE_EQ(shown.page.ZoomEd->value(), 1);
    shown.page.ZoomEd->setValue(0.15);
    EXPECT_EQ(shown.page.PaintBox1->size(), QSize(60, 45));
    EXPECT_TRUE(shown.host.doc.fields.empty());
    EXPECT_FALSE(shown.host.fieldsChanged);
}

TEST(TFieldsPage, DialogsChangeTheSelectedField)
{
    ShownPage shown;
    shown.drag({20, 20}, {120, 60});

    whenDialogOpens([](QWidget* dialog) {
        auto* form = qobject_cast<TNewNameForm*>(dialog);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "Rename...");
        EXPECT_EQ(form->NameEdit->text(), "noname");
        form->NameEdit->setText("Street");
        form->accept();
    });
    shown.page.Umbenennen1Click();
    EXPECT_EQ(shown.host.doc.fields[0].name, "Street");
    EXPECT_EQ(shown.page.NameEd->text(), "Street");

    whenDialogOpens([](QWidget* dialog) {
        auto* form = qobject_cast<TNewPosSizeForm*>(dialog);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->LeftEd->maximum(), 399);
        EXPECT_EQ(form->WidthEd->maximum(), 399);
        EXPECT_EQ(form->TopEd->maximum(), 299);
        EXPECT_EQ(form->HeightEd->maximum(), 299);
        EXPECT_EQ(form->WidthEd->value(), 100);
        form->LeftEd->setValue(500);  // held at the picture
        form->HeightEd->setValue(0);
        form->accept();
    });
    shown.page.Greandern1Click();
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{399, 20, 499, 20}));

    whenDialogOpens([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    shown.page.Greandern1Click();
    EXPECT_EQ(rectOf(shown.host.doc.fields[0]), (Rect{399, 20, 499, 20}));

    // "Use as date field" names the selection; without one only the box changes.
    shown.page.DateFieldBtnClick();
    EXPECT_EQ(shown.host.doc.fields[0].name, "<date>");
    shown.host.doc.SelectedField = 0;
    shown.page.NameEd->setText("x");
    shown.page.DateFieldBtnClick();
    EXPECT_EQ(shown.page.NameEd->text(), "<date>");
    EXPECT_EQ(shown.host.doc.fields[0].name, "<date>");
}

TEST(TFieldsPage, ListOfFieldsBringsTheRowToTheTop)
{
    ShownPage shown;
    shown.page.ListederObjekte1Click();
    ASSERT_EQ(shown.host.scripted.messages().size(), 1u);
    EXPECT_EQ(shown.host.scripted.messages()[0].text, "You have to define some form fields!");
    EXPECT_EQ(shown.host.scripted.messages()[0].caption, "Error...");
    EXPECT_EQ(shown.host.scripted.messages()[0].icon, MsgIcon::None);

    shown.drag({10, 10}, {50, 30});
    shown.drag({100, 100}, {150, 130});
    shown.host.doc.fields[0].name = "first";
    shown.host.doc.fields[0].multiLine = 1;
    shown.host.fieldsChanged = false;

    whenDialogOpens([](QWidget* dialog) {
        auto* list = qobject_cast<TObjListForm*>(dialog);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->ObjList->rowCount(), 2);
        EXPECT_EQ(list->ObjList->item(0, 0)->text(), "first");
        EXPECT_EQ(list->ObjList->item(1, 1)->text(), "(100;100)-[50;30]");
        const QRect row = list->ObjList->visualItemRect(list->ObjList->item(0, 0));
        press(list->ObjList->viewport(), Qt::RightButton, row.center());
    });
    shown.page.ListederObjekte1Click();
    EXPECT_TRUE(shown.host.fieldsChanged);
    EXPECT_EQ(shown.host.doc.fields[1].name, "first");
    EXPECT_EQ(shown.host.doc.SelectedField, 2);
    EXPECT_EQ(shown.page.NameEd->text(), "first");
    EXPECT_TRUE(shown.page.FieldPopUp->isVisible());
    EXPECT_TRUE(shown.page.Mehrzeilig1->isChecked());
    shown.page.FieldPopUp->hide();
}

TEST(TFieldsPage, DefaultFontGoesIntoNewFieldsAndTheSettings)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("velmora.ini");
    FontChoice chosen{QFont(QStringLiteral("Courier New")), QColor(0, 0, 255)};
    chosen.font.setPointSize(14);
    chosen.font.setBold(true);
    {
        ShownPage shown;
        EXPECT_EQ(shown.page.defaultFont(), FontSpec{});
        shown.host.scripted.queueFont(chosen);
        shown.page.StdFontBtnClick();
        shown.drag({10, 10}, {50, 30});
        const FontSpec& font = shown.host.doc.fields[0].font;
        EXPECT_EQ(font.faceName, "Courier New");
        EXPECT_EQ(font.size, 14);
        EXPECT_EQ(font.height, -19);
        EXPECT_EQ(font.style, FontBold);
        EXPECT_EQ(font.color, int32_t(0xFF0000));
        QSettings settings(ini, QSettings::IniFormat);
        shown.page.saveSettings(settings);
    }
    ShownPage again;
    QSettings settings(ini, QSettings::IniFormat);
    again.page.loadSettings(settings);
    EXPECT_EQ(again.page.defaultFont().faceName, "Courier New");
    EXPECT_EQ(again.page.defaultFont().height, -19);
    EXPECT_EQ(again.page.defaultFont().color, int32_t(0xFF0000));
}

TEST(TFieldsPage, ADragAndEachArrowPressAreOneStepEach)
{
    ShownPage shown;
    QUndoStack& steps = shown.host.undo.stack();
    struct Row {
        std::function<void()> act;
        const char* text;
        Rect after;
    };
    const Row rows[] = {
        {[&] { shown.drag({20, 20}, {120, 60}); }, "Create field", Rect{20, 20, 120, 60}},
        {[&] { shown.drag({70, 40}, {80, 55}); }, "Move field", Rect{30, 35, 130, 75}},
        {[&] { shown.page.PaintBox1->setFocus(); key(shown.page.PaintBox1, Qt::Key_Right); }, "Move field",
         Rect{31, 35, 131, 75}},
        {[&] { key(shown.page.PaintBox1, Qt::Key_Right); }, "Move field", Rect{32, 35, 132, 75}},
    };
    int count = 0;
    for (const Row& row : rows) {
        row.act();
        EXPECT_EQ(steps.count(), ++count) << row.text;
        EXPECT_EQ(steps.undoText(), QString::fromUtf8(row.text));
        EXPECT_EQ(rectOf(shown.host.doc.fields[0]), row.after) << row.text;
    }
    for (int i = int(std::size(rows)) - 1; i > 0; --i) {
        steps.undo();
        EXPECT_EQ(rectOf(shown.host.doc.fields[0]), rows[i - 1].after) << "undoing " << i;
    }
    steps.undo();
    EXPECT_TRUE(shown.host.doc.fields.empty());
}

TEST(TFieldsPage, TheCanvasHasTheKeysAgainWhenAFieldDialogCloses)
{
    struct Row {
        const char* what;
        void (TFieldsPage::*command)();
        bool accept;
    };
    const Row rows[] = {
        {"Rename... with OK", &TFieldsPage::Umbenennen1Click, true},
        {"Rename... cancelled", &TFieldsPage::Umbenennen1Click, false},
        {"Size and position... with OK", &TFieldsPage::Greandern1Click, true},
        {"Size and position... cancelled", &TFieldsPage::Greandern1Click, false},
        {"List of fields", &TFieldsPage::ListederObjekte1Click, true},
    };
    for (const Row& row : rows) {
        ShownPage shown;
        QApplication::setActiveWindow(&shown.page);
        shown.drag({20, 20}, {120, 60});
        // Where the window system may put the focus meanwhile: the arrows would change the zoom.
        shown.page.ZoomEd->setFocus();
        whenDialogOpens([&row](QWidget* dialog) {
            auto* box = static_cast<QDialog*>(dialog);
            row.accept ? box->accept() : box->reject();
        });
        (shown.page.*row.command)();
        // The window system makes the page's window the active one again.
        QApplication::setActiveWindow(&shown.page);
        EXPECT_TRUE(shown.page.PaintBox1->hasFocus()) << row.what;
    }
}

namespace {

// A made-up A4 form at 150 ppi on a canvas of half its pixels, one of its boxes already a field.
struct FormWithFoundFields {
    GeneratedForm form = generatedForm(150, FormLanguage::English);
    TestFormHost host;
    TFieldsPage page{host};
    double scale = 0;

    FormWithFoundFields()
    {
        host.doc.picture.reset(dibFromGray(form.page, form.pixelsPerMm));
        FormField existing;
        const PixelRect& taken = form.fields[0].rect;
        std::tie(existing.left, existing.top, existing.right, existing.bottom) =
            std::tuple(taken.left, taken.top, taken.right, taken.bottom);
        existing.name = "Taken";
        host.doc.fields.push_back(existing);
        page.ScrollBox->setFrameShape(QFrame::NoFrame);
        page.ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.ScrollBox->setFixedSize(form.page.width() / 2, form.page.height() / 2);
        page.resize(form.page.width() / 2 + 200, form.page.height() / 2 + 200);
        page.show();
        QApplication::processEvents();
        scale = page.geometry().scaleX;
    }

    QPoint centreOf(const PixelRect& rect) const
    {
        return {int((rect.left + rect.right) / 2 * scale), int((rect.top + rect.bottom) / 2 * scale)};
    }
    const std::vector<FieldProposal>& proposals() const { return page.proposals().proposals(); }
};

}  // namespace

TEST(TFieldsPage, FoundFieldsAreTakenOneByOneOrAllAndDroppedByClicks)
{
    FormWithFoundFields shown;
    QUndoStack& steps = shown.host.undo.stack();
    shown.page.FindFieldsBtn->click();
    ASSERT_GE(shown.proposals().size(), shown.form.fields.size() / 2);
    EXPECT_TRUE(shown.page.AcceptAllBtn->isVisible());
    EXPECT_EQ(steps.count(), 0);
    for (const FieldProposal& p : shown.proposals())
        EXPECT_LT(overlapRatio(p.rect, shown.form.fields[0].rect), 0.5) << p.name << ": the form has this field";

    // Drawn over the picture in their own colour, frame on the rectangle's edge.
    const FieldProposal first = shown.proposals()[0];
    const QImage canvas = shown.page.PaintBox1->grab().toImage();
    EXPECT_EQ(canvas.pixelColor(int(first.rect.left * shown.scale), shown.centreOf(first.rect).y()), QColor(255, 110, 0));

    click(shown.page.PaintBox1, Qt::LeftButton, shown.centreOf(first.rect));
    ASSERT_EQ(shown.host.doc.fields.size(), 2u);
    const FormField& taken = shown.host.doc.fields[1];
    EXPECT_EQ(rectOf(taken), (Rect{first.rect.left, first.rect.top, first.rect.right, first.rect.bottom}));
    EXPECT_EQ(taken.name, utf8ToAnsi(first.name));
    EXPECT_EQ(taken.font.size, first.fontPoints);
    EXPECT_EQ(shown.host.doc.SelectedField, 2);
    EXPECT_EQ(shown.page.NameEd->text(), QString::fromStdString(first.name));
    EXPECT_EQ(steps.count(), 1);
    EXPECT_EQ(steps.undoText(), "Accept found field");
    EXPECT_TRUE(shown.host.fieldsChanged);

    const size_t before = shown.proposals().size();
    const FieldProposal dropped = shown.proposals()[0];
    click(shown.page.PaintBox1, Qt::RightButton, shown.centreOf(dropped.rect));
    EXPECT_EQ(shown.proposals().size(), before - 1);
    EXPECT_EQ(shown.host.doc.fields.size(), 2u);
    EXPECT_EQ(steps.count(), 1);
    EXPECT_FALSE(shown.page.FieldPopUp->isVisible());

    // Undo takes the field back; the proposals still wait.
    steps.undo();
    EXPECT_EQ(shown.host.doc.fields.size(), 1u);
    EXPECT_EQ(shown.proposals().size(), before - 1);

    shown.page.AcceptAllBtn->click();
    EXPECT_EQ(shown.host.doc.fields.size(), before);
    EXPECT_FALSE(shown.page.proposals().active());
    EXPECT_FALSE(shown.page.AcceptAllBtn->isVisible());
    EXPECT_EQ(steps.undoText(), "Accept found fields");
    steps.undo();
    EXPECT_EQ(shown.host.doc.fields.size(), 1u);
}

TEST(TFieldsPage, FieldSearchEndsByEscCancelOrNewPictureAndSaysWhenNothingIsFound)
{
    FormWithFoundFields shown;
    const struct {
        const char* what;
        std::function<void()> end;
    } endings[] = {
        {"Esc", [&] { key(shown.page.PaintBox1, Qt::Key_Escape); }},
        {"Done", [&] { shown.page.DoneBtn->click(); }},
        {"new picture", [&] { shown.page.pictureChanged(); }},
    };
    for (const auto& ending : endings) {
        shown.page.FindFieldsBtn->click();
        ASSERT_TRUE(shown.page.proposals().active()) << ending.what;
        ending.end();
        EXPECT_FALSE(shown.page.proposals().active()) << ending.what;
        EXPECT_FALSE(shown.page.AcceptAllBtn->isVisible()) << ending.what;
        EXPECT_EQ(shown.host.doc.fields.size(), 1u) << ending.what;
    }

    // Cancel in the progress dialog stops the search: nothing is proposed.
    QTimer::singleShot(0, [&] {
        if (auto* progress = shown.page.findChild<QProgressDialog*>("FindFieldsProgress"))
            progress->cancel();
    });
    shown.page.FindFieldsBtn->click();
    EXPECT_FALSE(shown.page.proposals().active());
    EXPECT_TRUE(shown.host.scripted.messages().empty());

    // Once every box is a field, the search has nothing to propose.
    shown.page.FindFieldsBtn->click();
    shown.page.AcceptAllBtn->click();
    shown.page.FindFieldsBtn->click();
    EXPECT_FALSE(shown.page.proposals().active());
    EXPECT_EQ(shown.host.scripted.messageTexts(), QStringList{"No fields were found on the picture."});
}
