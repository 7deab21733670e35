#include "platform/Controls.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {

struct PaintBoxEventCase {
    const char* what;
    QEvent::Type type;
    QPointF at;
    Qt::MouseButton button;
    std::string handled;
};

class PaintBoxEvents : public ::testing::TestWithParam<PaintBoxEventCase> {};

TEST_P(PaintBoxEvents, ReachTheOwnerInWholePixels)
{
    const PaintBoxEventCase& c = GetParam();
    std::string handled;
    const auto where = [&](const char* name, int x, int y) {
        handled = name + std::string(" ") + std::to_string(x) + "," + std::to_string(y);
    };
    PaintBox box({.mouseDown = [&](Qt::MouseButton button, int x, int y) {
                      where(button == Qt::RightButton ? "right down" : "left down", x, y);
                  },
                  .mouseMove = [&](int x, int y) { where("move", x, y); },
                  .mouseUp = [&](int x, int y) { where("up", x, y); }},
                 nullptr);
    QMouseEvent event(c.type, c.at, c.at, c.button, c.button, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &event);
    EXPECT_EQ(handled, c.handled) << c.what;
    EXPECT_TRUE(box.hasMouseTracking());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, PaintBoxEvents,
    ::testing::Values(
        PaintBoxEventCase{.what = "press", .type = QEvent::MouseButtonPress, .at = {3.7, 9.2}, .button = Qt::LeftButton,
                          .handled = "left down 3,9"},
        PaintBoxEventCase{.what = "right press left of the box", .type = QEvent::MouseButtonPress, .at = {-0.5, 2},
                          .button = Qt::RightButton, .handled = "right down -1,2"},
        PaintBoxEventCase{.what = "move", .type = QEvent::MouseMove, .at = {10.99, 0}, .button = Qt::NoButton,
                          .handled = "move 10,0"},
        PaintBoxEventCase{.what = "release", .type = QEvent::MouseButtonRelease, .at = {5, -3.1},
                          .button = Qt::LeftButton, .handled = "up 5,-4"}));

TEST(Controls, KeysTheOwnerLeavesGoToTheWidgetBelow)
{
    // A key event that no widget accepts travels on to the parent.
    struct Parent : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent*) override { ++keys; }
    } parent;
    PaintBox box({.keyDown = [](int key, bool shift) { return key == Qt::Key_Delete && !shift; }}, &parent);
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
                                         {Qt::Key_A, Qt::NoModifier}}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&box, &event);
    }
    EXPECT_EQ(parent.keys, 2);
    EXPECT_FALSE(PaintBox({}, nullptr).hasMouseTracking());
}

TEST(Controls, MenuItemsAndButtonsShowTheirHints)
{
    QMenu menu;
    const QAction* withHint = menuItem(&menu, "Duplizieren1", "Duplicate", "Duplicates the objects properties");
    const QAction* plain = menuItem(&menu, "Zentriert1", "Center");
    EXPECT_EQ(withHint->objectName(), "Duplizieren1");
    EXPECT_EQ(withHint->statusTip(), "Duplicates the objects properties");
    EXPECT_EQ(withHint->toolTip(), "Duplicates the objects properties");
    EXPECT_EQ(plain->statusTip(), "");

    const std::unique_ptr<QToolButton> button(
        toolButton({.text = "Zoom", .name = "LupeBtn", .hint = "Zoom in", .checkable = true, .minimumWidth = 56}));
    EXPECT_EQ(button->objectName(), "LupeBtn");
    EXPECT_EQ(button->toolTip(), "Zoom in");
    EXPECT_TRUE(button->isCheckable());
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(button->minimumWidth(), 56);
}

}  // namespace
