#include "platform/HoverImageButton.h"
#include "platform/ProgramPictures.h"
#include "support/MouseEvents.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QPixmap filled(QColor colour)
{
    QPixmap pixmap(20, 10);
    pixmap.fill(colour);
    return pixmap;
}

void press(QWidget& w, QPointF p) { sendMouse(w, QEvent::MouseButtonPress, p); }
void move(QWidget& w, QPointF p) { sendMouse(w, QEvent::MouseMove, p); }
void release(QWidget& w, QPointF p) { sendMouse(w, QEvent::MouseButtonRelease, p); }

// The colour the button shows on screen now.
QRgb shown(HoverImageButton& button) { return button.grab().toImage().pixel(5, 5); }

struct HoverButtonTest : ::testing::Test {
    QWidget window;
    HoverImageButton* button = new HoverImageButton(filled(Qt::green), filled(Qt::red), "Print the form", &window);
    int clicks = 0;
    void SetUp() override
    {
        QObject::connect(button, &HoverImageButton::clicked, [this] { ++clicks; });
        window.resize(100, 100);
        window.show();
    }
};

TEST_F(HoverButtonTest, LooksLikeAPictureButton)
{
    EXPECT_EQ(button->size(), QSize(20, 10));
    EXPECT_EQ(button->toolTip(), "Print the form");
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(shown(*button), QColor(Qt::green).rgb());
}

TEST_F(HoverButtonTest, PressShowsThePressedPictureAndReleaseOverItClicksOnce)
{
    press(*button, {5, 5});
    EXPECT_TRUE(button->isPressedShown());
    EXPECT_EQ(shown(*button), QColor(Qt::red).rgb());
    release(*button, {5, 5});
    EXPECT_FALSE(button->isPressedShown());
    EXPECT_EQ(shown(*button), QColor(Qt::green).rgb());
    EXPECT_EQ(clicks, 1);
}

TEST_F(HoverButtonTest, DraggingOffAndBackFollowsTheMouseAndReleasingOffDoesNotClick)
{
    press(*button, {5, 5});
    move(*button, {20, 5});  // the right edge itself is outside
    EXPECT_FALSE(button->isPressedShown());
    EXPECT_EQ(shown(*button), QColor(Qt::green).rgb());
    move(*button, {19, 9});
    EXPECT_TRUE(button->isPressedShown());
    EXPECT_EQ(shown(*button), QColor(Qt::red).rgb());
    move(*button, {5, -1});
    release(*button, {5, -1});
    EXPECT_FALSE(button->isPressedShown());
    EXPECT_FALSE(button->isHeld());
    EXPECT_EQ(clicks, 0);
}

TEST_F(HoverButtonTest, MovingWithoutAPressChangesNothing)
{
    move(*button, {5, 5});
    EXPECT_FALSE(button->isPressedShown());
    release(*button, {5, 5});
    EXPECT_EQ(clicks, 0);
}

TEST_F(HoverButtonTest, TheClickActionSeesTheNormalPictureByDefault)
{
    bool pressedDuringAction = true;
    QObject::connect(button, &HoverImageButton::clicked, [&] { pressedDuringAction = button->isPressedShown(); });
    press(*button, {5, 5});
    release(*button, {5, 5});
    EXPECT_FALSE(pressedDuringAction);
}

TEST_F(HoverButtonTest, WithoutPressedClicksThePressedPictureStaysDuringTheActionAndTakesNoClick)
{
    button->setPressedTakesClicks(false);
    bool pressedDuringAction = false;
    int nestedClicks = 0;
    QObject::connect(button, &HoverImageButton::clicked, [&] {
        pressedDuringAction = button->isPressedShown();
        if (clicks == 1) {
            // A click that lands while the pressed picture is still up.
            press(*button, {5, 5});
            release(*button, {5, 5});
            nestedClicks = clicks - 1;
        }
    });
    press(*button, {5, 5});
    release(*button, {5, 5});
    EXPECT_TRUE(pressedDuringAction);
    EXPECT_EQ(nestedClicks, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->isPressedShown());
}

TEST(ProgramPictures, EveryButtonPairHasTwoDifferentPicturesOfOneSize)
{
    const char* pairs[][2] = {{"ueberbtn", "ueberBtn2"}, {"HilfeBtn", "HilfeBtn2"},   {"EndeBtn", "EndeBtnDown"},
                              {"ScanBtn", "ScanBtnDown"}, {"TSetupBtn", "TsetupBtnDown"}, {"SetupBtn", "SetupBtnDown"},
                              {"GoBtn1", "GoBtn1Down"}};
    for (const auto& pair : pairs) {
        const QPixmap normal = programPicture(pair[0]);
        const QPixmap pressed = programPicture(pair[1]);
        ASSERT_FALSE(normal.isNull()) << pair[0];
        ASSERT_FALSE(pressed.isNull()) << pair[1];
        EXPECT_EQ(normal.size(), pressed.size()) << pair[0];
        EXPECT_NE(normal.toImage(), pressed.toImage()) << pair[0];
    }
    EXPECT_TRUE(programPicture("no such picture").isNull());
}

TEST(ProgramPictures, ScreenCursorsCarryTheirHotSpotsAndTwoColours)
{
    EXPECT_EQ(screenCursor(12345).shape(), Qt::ArrowCursor);
    loadScreenCursors();
    ASSERT_TRUE(hasScreenCursor(kCursorDragHand));
    ASSERT_TRUE(hasScreenCursor(kCursorMagnifier));
    const QCursor hand = screenCursor(9);
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.hotSpot(), QPoint(15, 16));
    EXPECT_EQ(hand.bitmap().size(), QSize(32, 32));
    EXPECT_EQ(screenCursor(11).hotSpot(), QPoint(0, 0));

    // The magnifier's rim: black and visible; its corner far from the glass: transparent; the
    // glass inside the rim: white and visible.
    const QImage bits = screenCursor(11).bitmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage mask = screenCursor(11).mask().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(qGray(bits.pixel(2, 10)), 0);
    EXPECT_EQ(qGray(mask.pixel(2, 10)), 0);
    EXPECT_EQ(qGray(mask.pixel(31, 0)), 255);
    EXPECT_EQ(qGray(bits.pixel(7, 7)), 255);
    EXPECT_EQ(qGray(mask.pixel(7, 7)), 0);
}

}  // namespace
