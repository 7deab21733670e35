#include "app/TMainForm.h"
#include "editor/TFieldsPage.h"
#include "platform/ScriptedPrompts.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
