#include "print/TFormSizePage.h"

#include "PrintTestHost.h"

#include "platform/Dc.h"
#include "support/MouseEvents.h"
#include "support/TestPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QRgb rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The extended page shown with a point view of exactly 400 x 300 pixels at zoom 1.
struct ShownPage {
    TestFormHost host;
    TFormSizePage page{host};

    ShownPage(int32_t pictureWidth, int32_t pictureHeight, uint32_t colour = 0x0000FF)
    {
        host.doc.picture.reset(plainPicture(pictureWidth, pictureHeight, colour));
        page.EditScrollBox->setFrameShape(QFrame::NoFrame);
        page.EditScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.EditScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.EditScrollBox->setFixedSize(400, 300);
        page.sheets->setCurrentIndex(1);
        page.resize(900, 800);
        page.show();
        QApplication::processEvents();
    }
};

}  // namespace

TEST(FormSizePageEasy, A4PictureTakesOverItsSize)
{
    TestFormHost host;
    host.doc.picture.reset(newdib(2480, 3508, 8, nullptr, 0));
    TFormSizePage page(host);
    ASSERT_TRUE(page.AutoSverhCheck->isChecked());

    page.FBreitEdin->setValue(8.27);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 11.70);
    EXPECT_EQ(page.FHochEdin->text(), QLocale().toString(11.70, 'f', 2));

    page.EasyOvertakeBtn->click();
    const FormDocument& doc = host.doc;
    EXPECT_EQ(doc.FirstPoint, (PointI{0, 0}));
    EXPECT_EQ(doc.SecondPoint, (PointI{2480, 3508}));
    EXPECT_EQ(doc.FirstPointMm, (PointD{0, 0}));
    EXPECT_DOUBLE_EQ(doc.SecondPointMm.x, 210.06);
    EXPECT_DOUBLE_EQ(doc.SecondPointMm.y, 297.18);
    EXPECT_DOUBLE_EQ(page.Ax2Ed->value(), 210.06);
    EXPECT_EQ(host.shownTabs, std::vector<int>{3});
    EXPECT_EQ(host.formSizeChanges, 1);
    EXPECT_TRUE(page.IsFormSizeOk(true));
    EXPECT_TRUE(host.scripted.messages().empty());
}

TEST(FormSizePageEasy, AspectCouplingWorksBothWaysAndOnlyWhenChecked)
{
    TestFormHost host;
    host.doc.picture.reset(newdib(200, 100, 8, nullptr, 0));
    TFormSizePage page(host);

    page.FHochEdin->setValue(5);
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 10);
    page.FBreitEdin->setValue(3);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 1.5);

    page.AutoSverhCheck->click();  // off: nothing changes, nothing is coupled
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 1.5);
    page.FBreitEdin->setValue(8);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 1.5);

    page.AutoSverhCheck->click();  // on again: the height follows the width at once
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 4);

    // A new picture re-derives the height through FBreitEdinChange.
    host.doc.picture.reset(newdib(100, 300, 8, nullptr, 0));
    page.FBreitEdinChange();
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 24);
}

TEST(FormSizePageEasy, DerivedSideDoesNotWriteBackIntoTheTypedOne)
{
    // A very flat picture: the derived height rounds to 0.00, and a width derived back from it
    // would wipe out what the user typed.
    TestFormHost host;
    host.doc.picture.reset(newdib(1000, 3, 8, nullptr, 0));
    TFormSizePage page(host);
    page.FBreitEdin->setValue(1.23);
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 1.23);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 0);

    page.FHochEdin->setValue(0.02);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 0.02);
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 6.67);
}

TEST(FormSizePageEasy, UncoupledSizeIsRejectedWithItsMatch)
{
    TestFormHost host;
    host.doc.picture.reset(newdib(2480, 3508, 8, nullptr, 0));
    TFormSizePage page(host);
    page.AutoSverhCheck->click();
    page.FBreitEdin->setValue(8.27);
    page.FHochEdin->setValue(8.27);
    page.EasyOvertakeBtn->click();

    EXPECT_FALSE(page.IsFormSizeOk(false));
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_FALSE(page.IsFormSizeOk(true));
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(host.scripted.messages()[0].text,
              QStringLiteral("The settings for the form size are not valid. The match only to 70 percent! Go to \"Set "
                             "form size\" and enter the widht and height and click on \"OVERTAKE\"!"));
}

TEST(FormSizePageEasy, SettingsComeBackAsStored)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    {
        TestFormHost host;
        TFormSizePage page(host);
        page.AutoSverhCheck->click();
        page.FBreitEdin->setValue(7.5);
        page.FHochEdin->setValue(9.25);
        page.AutoSverhCheck->setChecked(true);
        page.saveSettings(settings);
    }
    TestFormHost host;
    TFormSizePage page(host);
    page.loadSettings(settings);
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 7.5);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 9.25);
    EXPECT_TRUE(page.AutoSverhCheck->isChecked());
}

TEST(FormSizePageTexts, CaptionsAndGuide)
{
    TestFormHost host;
    TFormSizePage page(host);
    EXPECT_EQ(page.sheets->tabText(0), QStringLiteral("Easy mode"));
    EXPECT_EQ(page.sheets->tabText(1), QStringLiteral("Extented mode"));
    EXPECT_EQ(page.EasyOvertakeBtn->text(), QStringLiteral("Use this size now!"));
    EXPECT_EQ(page.AutoSverhCheck->text(), QStringLiteral("Maintain aspect ratio"));
    EXPECT_EQ(page.Op3Check->text(), QStringLiteral("Chosse seond point"));
    EXPECT_EQ(page.ZoomEd2->toolTip(), QStringLiteral("Zoom"));
    EXPECT_EQ(page.Memo1->toolTip(), QStringLiteral("Read the description first!"));
    EXPECT_TRUE(page.Memo1->isReadOnly());
    EXPECT_FALSE(page.Memo1->toPlainText().isEmpty());
    EXPECT_DOUBLE_EQ(page.ZoomEd2->minimum(), 0.1);
    EXPECT_DOUBLE_EQ(page.ZoomEd2->maximum(), 10);
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 6.0);
    EXPECT_DOUBLE_EQ(page.FHochEdin->value(), 8.0);
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 210);
    EXPECT_DOUBLE_EQ(page.AbstYED->value(), 297);
}

TEST(FormSizePageBoxes, DocumentValuesAreShownAndHeldAsShown)
{
    TestFormHost host;
    TFormSizePage page(host);
    FormDocument& doc = host.doc;
    doc.FirstPointMm = {5.004, 6};
    doc.SecondPointMm = {210.0575865, 12000};
    page.documentChanged();
    EXPECT_DOUBLE_EQ(page.Ax1ED->value(), 5);
    EXPECT_DOUBLE_EQ(page.Ax2Ed->value(), 210.06);
    EXPECT_DOUBLE_EQ(page.AY2Ed->value(), 9999);
    EXPECT_EQ(doc.FirstPointMm, (PointD{5, 6}));
    EXPECT_EQ(doc.SecondPointMm, (PointD{210.06, 9999}));
    // The first point is chosen: its paper position is in the distance boxes.
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 5);
    EXPECT_DOUBLE_EQ(page.AbstYED->value(), 6);

    doc.resetForNew();
    page.documentChanged();
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 1);
    EXPECT_DOUBLE_EQ(page.Ax2Ed->value(), 1);
    EXPECT_FALSE(page.IsFormSizeOk(true));
    EXPECT_EQ(host.scripted.messageTexts(),
              QStringList{QStringLiteral("The settings for the form size are not valid. Go to \"Set form size\" and "
                                         "enter the widht and height and click on \"OVERTAKE\"! ")});
}

TEST(FormSizePageBoxes, DistanceBoxesEditTheChosenPoint)
{
    TestFormHost host;
    TFormSizePage page(host);
    FormDocument& doc = host.doc;
    doc.FirstPointMm = {10, 20};
    doc.SecondPointMm = {190, 270};
    page.documentChanged();

    page.Op3Check->setChecked(true);
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 190);
    EXPECT_DOUBLE_EQ(page.AbstYED->value(), 270);
    EXPECT_EQ(doc.FirstPointMm, (PointD{10, 20}));

    page.AbstYED->setValue(280.555);
    EXPECT_EQ(doc.SecondPointMm, (PointD{190, 280.56}));
    EXPECT_EQ(doc.FirstPointMm, (PointD{10, 20}));

    page.Op2Check->setChecked(true);
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 10);
    page.AbstXED->setValue(-4);
    EXPECT_EQ(doc.FirstPointMm, (PointD{0, 20}));
    EXPECT_EQ(doc.SecondPointMm, (PointD{190, 280.56}));
}

TEST(FormSizePageView, ZoomSizesThePaintBoxAndClicksStillMap)
{
    ShownPage shown(400, 200);
    TFormSizePage& page = shown.page;
    ASSERT_EQ(page.EditScrollBox->viewport()->size(), QSize(400, 300));
    EXPECT_EQ(page.PaintBox2->size(), QSize(400, 300));

    sendMouse(*page.PaintBox2, QEvent::MouseButtonPress, QPointF(100, 50));
    EXPECT_EQ(shown.host.doc.FirstPoint, (PointI{100, 50}));

    page.ZoomEd2->setValue(2.0);
    EXPECT_EQ(page.PaintBox2->size(), QSize(800, 600));
    sendMouse(*page.PaintBox2, QEvent::MouseButtonPress, QPointF(201, 101));  // 100.5, 50.5: halves to even
    EXPECT_EQ(shown.host.doc.FirstPoint, (PointI{100, 50}));
    sendMouse(*page.PaintBox2, QEvent::MouseButtonPress, QPointF(203, 3));
    EXPECT_EQ(shown.host.doc.FirstPoint, (PointI{102, 2}));

    page.Op3Check->setChecked(true);
    sendMouse(*page.PaintBox2, QEvent::MouseButtonPress, QPointF(100, 500));  // on the background below the picture
    EXPECT_EQ(shown.host.doc.SecondPoint, (PointI{50, 250}));
    EXPECT_EQ(shown.host.doc.FirstPoint, (PointI{102, 2}));

    page.ZoomEd2->setValue(0.55);
    EXPECT_EQ(page.PaintBox2->size(), QSize(220, 165));

    // A larger tab gives a larger view at the same zoom.
    page.EditScrollBox->setFixedSize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(page.PaintBox2->size(), QSize(275, 220));
}

TEST(FormSizePageView, PaintsPictureMarkerAndWorkspace)
{
    ShownPage shown(400, 200, 0x0000FF);  // red
    TFormSizePage& page = shown.page;
    shown.host.doc.FirstPoint = {100, 50};
    const QImage image = page.PaintBox2->grab().toImage();
    ASSERT_EQ(image.size(), QSize(400, 300));

    const QRgb red = qRgb(255, 0, 0);
    const QRgb workspace = rgb(ResolveColor(kSysColorFlag | COLOR_APPWORKSPACE));
    EXPECT_EQ(image.pixel(300, 150), red);
    EXPECT_EQ(image.pixel(399, 199), red);
    EXPECT_EQ(image.pixel(10, 200), workspace);
    EXPECT_EQ(image.pixel(399, 299), workspace);

    // Diagonals invert what lies below; the crossing is inverted twice.
    EXPECT_EQ(image.pixel(90, 40), qRgb(0, 255, 255));
    EXPECT_EQ(image.pixel(110, 40), qRgb(0, 255, 255));
    EXPECT_EQ(image.pixel(100, 50), red);
    // Dotted outline: white dots with black gaps, nothing of the picture between them.
    int white = 0, black = 0;
    for (int x = 86; x < 115; ++x) {
        const QRgb p = image.pixel(x, 34);
        white += p == qRgb(255, 255, 255);
        black += p == qRgb(0, 0, 0);
    }
    EXPECT_GT(white, 5);
    EXPECT_GT(black, 5);
    EXPECT_EQ(white + black, 29);
    EXPECT_EQ(image.pixel(100, 33), red);

    // Only the point being chosen is marked: the second point sits elsewhere.
    page.Op3Check->setChecked(true);
    shown.host.doc.SecondPoint = {50, 250};
    const QImage second = page.PaintBox2->grab().toImage();
    EXPECT_EQ(second.pixel(90, 40), red);
    int markerDots = 0;
    for (int x = 36; x < 65; ++x) {
        const QRgb p = second.pixel(x, 234);
        markerDots += p == qRgb(255, 255, 255) || p == qRgb(0, 0, 0);
    }
    EXPECT_EQ(markerDots, 29);
}

TEST(FormSizePageBoxes, CoreRoundingAgreesWithTheBoxes)
{
    // The easy-mode arithmetic predicts what the boxes hold; ties and near-ties must come out the
    // same both ways.
    TestFormHost host;
    TFormSizePage page(host);
    const double samples[] = {0.125, 0.375, 1.005, 2.675, 1.115, 210.0575865, 297.179415, 8.265, 11.6978, 0.004999,
                              9998.995, 4.445, 123.455};
    for (const double v : samples) {
        page.Ax2Ed->setValue(v);
        EXPECT_EQ(page.Ax2Ed->value(), boxValue(v, 0, kDistanceBoxMax)) << v;
        EXPECT_EQ(host.doc.SecondPointMm.x, page.Ax2Ed->value()) << v;
    }
    for (int i = 0; i < 4000; ++i) {
        const double v = i * 0.0025 + i * 1e-7;
        page.AY2Ed->setValue(v);
        ASSERT_EQ(page.AY2Ed->value(), boxValue(v, 0, kDistanceBoxMax)) << v;
    }
}

TEST(FormSizePageBoxes, TypedEntriesAreClampedNotRefused)
{
    TestFormHost host;
    TFormSizePage page(host);
    FormDocument& doc = host.doc;
    page.show();
    QApplication::processEvents();

    // The first point is chosen; what is typed lands in its paper position.
    typeInto(page.AbstXED, QStringLiteral("12000"));
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 9999);
    EXPECT_DOUBLE_EQ(doc.FirstPointMm.x, 9999);

    typeInto(page.AbstYED, QLocale().toString(12.345, 'f', 3));
    EXPECT_DOUBLE_EQ(page.AbstYED->value(), 12.35);
    EXPECT_DOUBLE_EQ(doc.FirstPointMm.y, 12.35);

    typeInto(page.AbstXED, QStringLiteral("-5"));
    EXPECT_DOUBLE_EQ(page.AbstXED->value(), 0);
    EXPECT_DOUBLE_EQ(doc.FirstPointMm.x, 0);

    typeInto(page.ZoomEd2, QStringLiteral("25"));
    EXPECT_DOUBLE_EQ(page.ZoomEd2->value(), 10);

    // Text that is no number keeps what the box held.
    typeInto(page.FBreitEdin, QStringLiteral("7"));
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 7);
    typeInto(page.FBreitEdin, QStringLiteral("x"));
    EXPECT_DOUBLE_EQ(page.FBreitEdin->value(), 7);
}
