// The "Retouch" tab: the view's selection by mouse, the popup menu and its operations.
#include "imageops/RotateDib.h"
#include "imgrove/Palette.h"
#include "picture/DrawDib.h"
#include "picture/RetouchView.h"
#include "picture/THKForm.h"
#include "picture/TRetouchPage.h"
#include "picture/TRotateForm.h"
#include "platform/Settings.h"
#include "support/TestFormHost.h"
#include "vision/Deskew.h"

#include "RetouchTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>

namespace {

// A 2000 x 1000 picture in a 433 x 300 view: drawn 433 x 216.
RetouchView wideView(const SelectionRect& selection = {})
{
    RetouchView view;
    view.layout(433, 300, 2000, 1000, selection);
    return view;
}

class RetouchPageTest : public ::testing::Test {
protected:
    RetouchPageTest() { setProgramSettingsFile(settingsDir.filePath("velmora.ini")); }
    ~RetouchPageTest() override { setProgramSettingsFile({}); }

    QTemporaryDir settingsDir;
    TestFormHost host;
    TRetouchPage page{host};

    void usePicture(Dib dib) { host.doc.picture.reset(dib); }
    const Dib& picture() { return host.doc.picture.get(); }
};

}  // namespace

TEST(RetouchView, DrawnSizeScalesAndSelectionInViewPixels)
{
    RetouchView view = wideView(SelectionRect{0, 0, 2000, 1000});
    EXPECT_EQ(view.drawnWidth(), 433);
    EXPECT_EQ(view.drawnHeight(), 216);
    EXPECT_EQ(view.limitX(), 432);
    // Right and bottom held to the limits.
    EXPECT_EQ(view.viewRect(), (ViewRect{0, 0, 432, 215}));

    RetouchView tall;
    tall.layout(433, 169, 100, 400, SelectionRect{50, 100, 60, 200});
    EXPECT_EQ(tall.drawnWidth(), 42);
    EXPECT_EQ(tall.drawnHeight(), 169);
    // [42 * 50 / 100] = 21, [169 * 100 / 400] = [42.25] = 42, [25.2] = 25, [84.5] = 84 (half to even).
    EXPECT_EQ(tall.viewRect(), (ViewRect{21, 42, 25, 84}));
}

TEST(RetouchView, DraggingStopsOneViewPixelShortOfTheLastDrawnOne)
{
    SelectionRect selection;
    RetouchView view = wideView(selection);
    EXPECT_EQ(view.press(10, 10, selection), RetouchView::Press::NewSelection);
    // [10 / 0.2165] = [46.19] = 46
    EXPECT_EQ(selection, (SelectionRect{46, 46, 46, 46}));
    EXPECT_TRUE(view.move(900, 900, selection));
    // [431 * 2000 / 433] = 1991; [214 / (216 / 1000)] = 991
    EXPECT_EQ(selection, (SelectionRect{46, 46, 1991, 991}));

    RetouchView other = wideView(selection);
    EXPECT_EQ(other.press(-1, 5, selection), RetouchView::Press::Nothing);
    EXPECT_EQ(other.press(433, 5, selection), RetouchView::Press::Nothing);
    EXPECT_EQ(other.press(5, 216, selection), RetouchView::Press::Nothing);
    EXPECT_FALSE(other.dragging());
}

TEST(RetouchView, DraggingPastTheOppositeEdgeTurnsTheRectangleOver)
{
    SelectionRect selection;
    RetouchView view = wideView(selection);
    view.press(100, 50, selection);
    view.move(150, 80, selection);
    view.release();
    EXPECT_EQ(selection, (SelectionRect{462, 231, 693, 370}));

    // Grab the right edge and pull it left past the left edge.
    view.move(150, 60, selection);
    EXPECT_EQ(view.cursor(), PointerShape::SizeWe);
    EXPECT_EQ(view.press(150, 60, selection), RetouchView::Press::DragEdges);
    view.move(60, 60, selection);
    EXPECT_EQ(selection.left, 277);   // [60 / 0.2165]
    EXPECT_EQ(selection.right, 462);  // the former left edge
    // The grabbed edge is now the left one and keeps following the mouse.
    view.move(20, 60, selection);
    EXPECT_EQ(selection.left, 92);
    EXPECT_EQ(selection.right, 462);
}

TEST(RetouchView, HoverFlagsGiveTheCursors)
{
    SelectionRect selection{462, 231, 693, 370};  // view (100, 50, 150, 80)
    RetouchView view = wideView(selection);
    struct Row {
        int x, y;
        PointerShape cursor;
    };
    for (const Row& row : {Row{120, 65, PointerShape::Arrow}, Row{97, 65, PointerShape::SizeWe},
                           Row{152, 65, PointerShape::SizeWe}, Row{120, 53, PointerShape::SizeNs},
                           Row{120, 79, PointerShape::SizeNs}, Row{101, 51, PointerShape::SizeNwse},
                           Row{149, 79, PointerShape::SizeNwse}, Row{149, 51, PointerShape::SizeNesw},
                           Row{101, 79, PointerShape::SizeNesw}, Row{96, 50, PointerShape::SizeWe}, Row{95, 50, PointerShape::Arrow}}) {
        EXPECT_FALSE(view.move(row.x, row.y, selection));
        EXPECT_EQ(view.cursor(), row.cursor) << row.x << ", " << row.y;
    }
    // On a corner both edges follow the drag.
    view.move(101, 51, selection);
    view.press(101, 51, selection);
    view.move(80, 40, selection);
    EXPECT_EQ(selection.left, 370);
    EXPECT_EQ(selection.top, 185);
    EXPECT_EQ(selection.right, 693);
    EXPECT_EQ(selection.bottom, 370);
}

TEST_F(RetouchPageTest, PopupMenuItemsAndTheirPlace)
{
    struct Row {
        QAction* item;
        const char* caption;
        const char* hint;
    };
    for (const Row& row : {Row{page.HelligkeitundKontrast1, "Brightness and contrast...", "Change the brightness and contrast"},
                           Row{page.N90nachlinksrotieren1, "Rotate...", "Rotate the picture 90 degrees to the left"},
                           Row{page.Straighten1, "Straighten", "Measure how far the scan lies askew and turn it straight"},
                           Row{page.Horizontalspiegeln1, "Mirror", "Mirror"},
                           Row{page.Vertikalspiegeln1, "Flip", "Mirror vertical"},
                           Row{page.Randabschneiden1, "Crop to selection", "Crop to selection"}}) {
        EXPECT_EQ(row.item->text(), row.caption);
        EXPECT_EQ(row.item->toolTip(), row.hint);
    }
    EXPECT_EQ(page.RetuschePopup->actions().size(), 9);
    EXPECT_EQ(page.RetuscheButton->text(), "Retouch");
    EXPECT_EQ(page.RetuscheButton->toolTip(), "Retouch picture");
    EXPECT_EQ(page.RetZoomED->toolTip(), "Zoom");

    page.resize(500, 400);
    page.show();
    page.RetuscheButtonClick();
    EXPECT_TRUE(page.RetuschePopup->isVisible());
    EXPECT_EQ(page.retouchMenuPosition(), page.RetuscheButton->mapToGlobal(QPoint(0, page.RetuscheButton->height())));
    page.RetuschePopup->hide();
}

TEST_F(RetouchPageTest, ZoomSizesTheViewFromTheScrollBox)
{
    page.resize(500, 400);
    page.show();
    QApplication::processEvents();
    const QSize client = page.RetuschScrollBox->viewport()->size();
    EXPECT_EQ(page.RetuschPaint->size(), client);
    page.RetZoomED->setValue(2);
    EXPECT_EQ(page.RetuschPaint->width(), 2 * client.width());
    EXPECT_EQ(page.RetuschPaint->height(), 2 * client.height());
}

TEST_F(RetouchPageTest, CroppingNeedsASelection)
{
    host.sel = SelectionRect{50, 20, 50, 80};
    page.SchnittBtnClick();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(host.scripted.messages()[0].text, "Select an rectangle area first!");
    EXPECT_EQ(host.scripted.messages()[0].caption, "Error");
    EXPECT_EQ(host.scripted.messages()[0].icon, MsgIcon::Error);
    EXPECT_TRUE(host.takenIn.empty());
}

TEST_F(RetouchPageTest, CroppingAtStartTakesInAPictureOnePixelShort)
{
    host.sel = SelectionRect{0, 0, 319, 199};
    page.SchnittBtnClick();
    EXPECT_EQ(DibWidth(picture()), 319);
    EXPECT_EQ(DibHeight(picture()), 199);
    EXPECT_EQ(host.takenIn, std::vector<TakeIn>{TakeIn::WithoutViewsAndTab});
    EXPECT_EQ(host.pictureChanges, std::vector<PictureChange>{PictureChange::Pixels});
    EXPECT_TRUE(host.shownTabs.empty());
    EXPECT_EQ(host.progress.front(), 0);
    EXPECT_EQ(host.progress.back(), 0);
    EXPECT_EQ(host.progress[host.progress.size() - 2], 100);
}

TEST_F(RetouchPageTest, PreviewsStartFromTheCopyAndCancelRestoresEverything)
{
    usePicture(pictureOf(3, 2, 8, [](int32_t x, int32_t) { return uint32_t(x); }));
    RGBQUAD colors[3] = {{10, 20, 30, 0}, {100, 150, 200, 0}, {250, 240, 230, 0}};
    dibSetColors(host.doc.picture.get(), colors, 3);
    const LOGPALETTE256 before = picture().logPalette;
    const std::vector<uint32_t> pixels = pixelsOf(picture());

    std::vector<int> afterFirst, afterSecond;
    QTimer::singleShot(0, [&] {
        page.HKForm->TrackBar1->setValue(50);
        page.HKForm->TrackBar2->setValue(150);
        page.HKForm->VschauBitBtn4->click();
        afterFirst = {picture().logPalette.palPalEntry[1].peRed, picture().logPalette.palPalEntry[1].peBlue};
        page.HKForm->VschauBitBtn4->click();
        afterSecond = {picture().logPalette.palPalEntry[1].peRed, picture().logPalette.palPalEntry[1].peBlue};
        page.HKForm->CancelBitBtn2->click();
    });
    page.HellpBtnClick();
    // Red 200 + 50 = 250 -> 255 - 5 * 50 / 100 = 253; blue 100 + 50 = 150 -> 255 - 105 / 2 = 203.
    EXPECT_EQ(afterFirst, (std::vector<int>{253, 203}));
    EXPECT_EQ(afterSecond, afterFirst);
    EXPECT_EQ(std::memcmp(&picture().logPalette, &before, sizeof before), 0);
    EXPECT_EQ(picture().palette->entry(1).peRed, 200);
    EXPECT_EQ(pixelsOf(picture()), pixels);
}

TEST_F(RetouchPageTest, OkKeepsTheValuesAndSetBackOnlyMovesTheBars)
{
    usePicture(pictureOf(2, 2, 24, [](int32_t, int32_t) { return rgb(200, 100, 0); }));
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(page.HKForm->TrackBar1->value(), 0);
        EXPECT_EQ(page.HKForm->TrackBar2->value(), 100);
        page.HKForm->TrackBar1->setValue(127);
        page.HKForm->TrackBar2->setValue(30);
        page.HKForm->BacksetBitBtn3->click();
        EXPECT_EQ(getpixel(picture(), 0, 0), rgb(200, 100, 0));
        EXPECT_EQ(page.HKForm->TrackBar2->value(), 100);
        page.HKForm->TrackBar1->setValue(127);
        page.HKForm->OkBitBtn1->click();
    });
    page.HellpBtnClick();
    EXPECT_EQ(pixelsOf(picture()), std::vector<uint32_t>(4, rgb(255, 227, 127)));
    EXPECT_GE(host.pictureChanges.size(), 2u);
    EXPECT_EQ(std::count(host.pictureChanges.begin(), host.pictureChanges.end(), PictureChange::Proportions), 0);
}

TEST_F(RetouchPageTest, RotateChoicesPickTheOperation)
{
    struct Row {
        QRadioButton* angle;
        QRadioButton* direction;
        RotateOperation expected;
    };
    TRotateForm& form = *page.RotateForm;
    for (const Row& row : {Row{form.Grad90Check, form.RotRightCheck, RotateOperation::Right},
                           Row{form.Grad90Check, form.RotLeftCheck, RotateOperation::Left},
                           Row{form.Grad270Check, form.RotRightCheck, RotateOperation::Left},
                           Row{form.Grad270Check, form.RotLeftCheck, RotateOperation::Right},
                           Row{form.Grad180Check, form.RotRightCheck, RotateOperation::Half},
                           Row{form.FreiGradCheck, form.RotLeftCheck, RotateOperation::Free}}) {
        row.angle->setChecked(true);
        row.direction->setChecked(true);
        EXPECT_EQ(form.operation(), row.expected) << row.angle->text().toStdString() << " " << row.direction->text().toStdString();
    }
    form.prepareFor(8);
    EXPECT_TRUE(form.Shape1->isHidden());
    EXPECT_TRUE(form.ColorBtn->isHidden());
    EXPECT_EQ(form.backgroundColor(), QColor(Qt::black));
    form.prepareFor(24);
    EXPECT_FALSE(form.Shape1->isHidden());
    EXPECT_EQ(form.backgroundColor(), QColor(Qt::white));
    EXPECT_TRUE(form.InterpolCheck->isHidden());
    host.scripted.queueColor(QColor(1, 2, 3));
    form.ColorBtnClick();
    EXPECT_EQ(form.backgroundColor(), QColor(1, 2, 3));
    EXPECT_EQ(host.scripted.colorDialogs().at(0).initial, QColor(Qt::white));
}

TEST_F(RetouchPageTest, RotatingResetsTheSelectionAndKeepsTheFormSize)
{
    usePicture(pictureOf(30, 10, 24, [](int32_t x, int32_t) { return x == 29 ? rgb(255, 0, 0) : 0; }));
    host.sel = SelectionRect{1, 1, 5, 5};
    QTimer::singleShot(0, [&] {
        page.RotateForm->Grad270Check->setChecked(true);
        page.RotateForm->RotRightCheck->setChecked(true);
        page.RotateForm->OkBtn->click();
    });
    page.RotateBtnClick();
    EXPECT_EQ(DibWidth(picture()), 10);
    EXPECT_EQ(getpixel(picture(), 0, 0), rgb(255, 0, 0));
    EXPECT_EQ(host.sel, (SelectionRect{0, 0, 10, 30}));
    EXPECT_EQ(host.pictureChanges, std::vector<PictureChange>{PictureChange::Pixels});
    EXPECT_TRUE(host.takenIn.empty());

    // The choices come back in the next run.
    TRotateForm again(host.scripted);
    EXPECT_TRUE(again.Grad270Check->isChecked());
    EXPECT_TRUE(again.RotRightCheck->isChecked());
}

TEST_F(RetouchPageTest, FreeRotationUsesTheBackgroundColour)
{
    usePicture(pictureOf(40, 40, 24, [](int32_t, int32_t) { return rgb(9, 9, 9); }));
    host.scripted.queueColor(QColor(0, 128, 255));
    QTimer::singleShot(0, [&] {
        page.RotateForm->FreiGradCheck->setChecked(true);
        page.RotateForm->GradEdit->setValue(45);
        page.RotateForm->ColorBtnClick();
        page.RotateForm->OkBtn->click();
    });
    page.RotateBtnClick();
    EXPECT_EQ(DibWidth(picture()), 56);
    EXPECT_EQ(getpixel(picture(), 0, 0), rgb(0, 128, 255));
}

TEST_F(RetouchPageTest, MirrorAndFlipKeepTheSelection)
{
    usePicture(pictureOf(4, 3, 8, [](int32_t x, int32_t y) { return uint32_t(x + 4 * y); }));
    host.sel = SelectionRect{1, 1, 3, 2};
    page.FlipHBtnClick();
    EXPECT_EQ(getpixel(picture(), 0, 0), 3u);
    page.FlipVBtnClick();
    EXPECT_EQ(getpixel(picture(), 0, 0), 11u);
    EXPECT_EQ(host.sel, (SelectionRect{1, 1, 3, 2}));
    EXPECT_EQ(host.pictureChanges, std::vector<PictureChange>(2, PictureChange::Pixels));
}

TEST_F(RetouchPageTest, ARotationTooLargeToMakeSaysSoAndKeepsThePicture)
{
    // 2^30 pixels of 1 bit can be held; turned by 45 degrees they cannot.
    usePicture(newdib(32768, 32768, 1, nullptr, 0));
    host.sel = SelectionRect{1, 2, 3, 4};
    QTimer::singleShot(0, [&] {
        page.RotateForm->FreiGradCheck->setChecked(true);
        page.RotateForm->GradEdit->setValue(45);
        page.RotateForm->OkBtn->click();
    });
    page.RotateBtnClick();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(host.scripted.messages()[0].text, "An error occured.");
    EXPECT_EQ(host.scripted.messages()[0].caption, "");
    EXPECT_EQ(host.scripted.messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(DibWidth(picture()), 32768);
    EXPECT_EQ(host.sel, (SelectionRect{1, 2, 3, 4}));
}

TEST_F(RetouchPageTest, StraightenShowsTheSkewAndTurnsThePictureBackAsTheFreeRotationDoes)
{
    // Rulings falling 2 degrees to the right on white paper, 24 bits.
    const double slope = std::tan(2 * 3.14159265358979 / 180);
    const auto askew = [&](int32_t x, int32_t y) {
        const double row = y - x * slope;
        return (int(row) % 20 < 2 && row > 10 && row < 280) ? 0u : rgb(255, 255, 255);
    };
    struct Row {
        MsgAnswer answer;
        bool turned;
    };
    for (const Row row : {Row{MsgAnswer::No, false}, Row{MsgAnswer::Yes, true}}) {
        usePicture(pictureOf(400, 300, 24, askew));
        const SkewMeasurement skew = measureSkew(picture());
        ASSERT_TRUE(skew.degrees);
        ASSERT_NEAR(*skew.degrees, 2, 0.1);
        // The rotate dialog's free rotation to the left by that angle on white.
        DibOwner expected(DibRotxxx(picture(), false, *skew.degrees, rgb(255, 255, 255)));
        host.scripted.queueAnswer(row.answer);
        page.StraightenBtnClick();
        ASSERT_FALSE(host.scripted.messages().empty());
        EXPECT_EQ(host.scripted.messages().back().text,
                  QStringLiteral("The picture lies %1 degrees askew (clockwise). Straighten it?")
                      .arg(*skew.degrees, 0, 'f', 2));
        EXPECT_EQ(host.scripted.messages().back().caption, QStringLiteral("Straighten"));
        EXPECT_EQ(DibWidth(picture()), row.turned ? DibWidth(expected.get()) : 400);
        if (row.turned) {
            EXPECT_EQ(std::memcmp(picture().bits, expected.get().bits,
                                  size_t(picture().rowSize) * size_t(DibHeight(picture()))),
                      0);
        }
    }
    usePicture(pictureOf(40, 30, 24, [](int32_t, int32_t) { return rgb(255, 255, 255); }));
    page.StraightenBtnClick();
    EXPECT_EQ(host.scripted.messages().back().text,
              QStringLiteral("The picture shows no printed lines or rows of text to measure its skew by."));
}
