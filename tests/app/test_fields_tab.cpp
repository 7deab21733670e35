#include "app/TMainForm.h"
#include "editor/TFieldsPage.h"
#include "platform/Settings.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QSpinBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kReminder = QStringLiteral("If you have changed the form fields you have to click on \"Overtake\" now!");

void clickAt(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

}  // namespace

TEST(FieldsTab, CanvasTakesTheFocusAndItsChangesBringTheReminder)
{
    QTemporaryDir settingsDir;
    setProgramSettingsFile(settingsDir.filePath("velmora.ini"));
    auto* scripted = new ScriptedPrompts;
    {
        TMainForm form(QStringList{QStringLiteral("velmora")}, std::unique_ptr<Prompts>(scripted));
        form.show();
        QApplication::setActiveWindow(&form);
        form.FieldsChanged = true;
        form.showTab(3);
        QWidget* canvas = form.pageControl()->widget(3)->findChild<QWidget*>("PaintBox1");
        ASSERT_NE(canvas, nullptr);
        EXPECT_TRUE(canvas->hasFocus());
        EXPECT_EQ(scripted->messageTexts(), QStringList{kReminder});

        clickAt(canvas, {20, 20});
        EXPECT_EQ(form.document().fields.size(), 1u);
        EXPECT_TRUE(form.FieldsChanged);
        form.showTab(4);
        EXPECT_EQ(scripted->messageTexts(), (QStringList{kReminder, kReminder}));
    }
    setProgramSettingsFile({});
}

namespace {

void mouseAt(QWidget* widget, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct FieldRect {
    int32_t left, top, right, bottom;
    bool operator==(const FieldRect&) const = default;
};

// What the fields and the history hold after two fields were drawn (and a third drawn and
// undone) and the first was dragged with a key pressed in the middle of the drag (key 0: none).
struct AfterDrag {
    std::vector<FieldRect> fields;
    int steps = 0;
    bool operator==(const AfterDrag&) const = default;
};

void PrintTo(const AfterDrag& after, std::ostream* out)
{
    for (const FieldRect& r : after.fields)
        *out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ") ";
    *out << after.steps << " steps";
}

AfterDrag dragWithKey(int key, Qt::KeyboardModifiers modifiers)
{
    auto* scripted = new ScriptedPrompts;
    TMainForm form(QStringList{QStringLiteral("velmora")}, std::unique_ptr<Prompts>(scripted));
    form.show();
    QApplication::setActiveWindow(&form);
    form.showTab(3);
    QWidget* canvas = form.pageControl()->widget(3)->findChild<QWidget*>("PaintBox1");
    for (const QPoint from : {QPoint(10, 10), QPoint(10, 100)}) {
        mouseAt(canvas, QEvent::MouseButtonPress, from);
        mouseAt(canvas, QEvent::MouseMove, from + QPoint(60, 40));
        mouseAt(canvas, QEvent::MouseButtonRelease, from + QPoint(60, 40));
    }
    // A third field, taken back: there is a step to redo.
    mouseAt(canvas, QEvent::MouseButtonPress, {200, 10});
    mouseAt(canvas, QEvent::MouseButtonRelease, {260, 50});
    form.history().stack().undo();
    canvas->setFocus();
    mouseAt(canvas, QEvent::MouseButtonPress, {40, 30});
    mouseAt(canvas, QEvent::MouseMove, {45, 35});
    if (key != 0) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(canvas, &press);
    }
    mouseAt(canvas, QEvent::MouseMove, {70, 60});
    mouseAt(canvas, QEvent::MouseButtonRelease, {70, 60});

    AfterDrag after;
    for (const FormField& field : form.document().fields)
        after.fields.push_back({field.left, field.top, field.right, field.bottom});
    after.steps = form.history().stack().count();
    return after;
}

}  // namespace

TEST(FieldsTab, KeysThatChangeFieldsWaitForTheDragToEnd)
{
    QTemporaryDir settingsDir;
    setProgramSettingsFile(settingsDir.filePath("velmora.ini"));
    const AfterDrag plain = dragWithKey(0, Qt::NoModifier);
    ASSERT_EQ(plain.fields.size(), 2u);
    ASSERT_EQ(plain.steps, 3);
    struct Row {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const Row rows[] = {
        {"Delete", Qt::Key_Delete, Qt::NoModifier},
        {"arrow", Qt::Key_Left, Qt::NoModifier},
        {"arrow with Shift", Qt::Key_Down, Qt::ShiftModifier},
        {"undo", Qt::Key_Z, Qt::ControlModifier},
        {"redo", Qt::Key_Y, Qt::ControlModifier},
        {"redo with Shift", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
    };
    for (const Row& row : rows)
        EXPECT_EQ(dragWithKey(row.key, row.modifiers), plain) << row.what;
    setProgramSettingsFile({});
}

TEST(FieldsTab, ReminderOnlyWhenTheFocusComesFromElsewhereInTheWindow)
{
    struct Row {
        const char* what;
        // Runs with the "Form fields" tab shown, the focus on its canvas and a selected field.
        std::function<void(TMainForm&, TFieldsPage&)> act;
        int reminders;
    };
    auto closeNextDialog = [] {
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
    };
    const Row rows[] = {
        {"from the tab bar", [](TMainForm& form, TFieldsPage& page) {
             form.pageControl()->tabBar()->setFocus();
             form.FieldsChanged = true;
             page.GitterED->setFocus();
         }, 1},
        {"the tab changed to", [](TMainForm& form, TFieldsPage&) {
             form.showTab(0);
             form.FieldsChanged = true;
             form.showTab(3);
         }, 1},
        {"Rename... closed", [&](TMainForm& form, TFieldsPage& page) {
             form.FieldsChanged = true;
             closeNextDialog();
             page.Umbenennen1Click();
             QApplication::setActiveWindow(&form);
         }, 0},
        {"list of fields closed", [&](TMainForm& form, TFieldsPage& page) {
             closeNextDialog();
             page.ListederObjekte1Click();
             QApplication::setActiveWindow(&form);
         }, 0},
        {"another program and back", [](TMainForm& form, TFieldsPage&) {
             form.FieldsChanged = true;
             QApplication::setActiveWindow(nullptr);
             QApplication::setActiveWindow(&form);
         }, 0},
    };
    QTemporaryDir settingsDir;
    setProgramSettingsFile(settingsDir.filePath("velmora.ini"));
    for (const Row& row : rows) {
        auto* scripted = new ScriptedPrompts;
        TMainForm form(QStringList{QStringLiteral("velmora")}, std::unique_ptr<Prompts>(scripted));
        form.show();
        QApplication::setActiveWindow(&form);
        form.showTab(3);
        auto* page = form.findChild<TFieldsPage*>();
        ASSERT_NE(page, nullptr);
        form.document().addField(FontSpec{});
        form.document().SelectedField = 1;
        page->PaintBox1->setFocus();
        ASSERT_TRUE(page->PaintBox1->hasFocus());
        form.FieldsChanged = false;

        row.act(form, *page);
        EXPECT_EQ(scripted->messageTexts(), QStringList(row.reminders, kReminder)) << row.what;
        // A reminder not given stays due for the "Fill out the form" tab.
        EXPECT_EQ(form.FieldsChanged, row.reminders == 0) << row.what;
    }
    setProgramSettingsFile({});
}
