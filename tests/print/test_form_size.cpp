#include "print/FormSize.h"
#include "print/FormSizePrompts.h"

#include "support/ScriptedPrompts.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

OrderedFormSize sizeWithScales(double mmX, double mmY, int32_t pixels = 1000)
{
    return orderFormSize({0, 0}, {pixels, pixels}, {0, 0}, {mmX * pixels, mmY * pixels});
}

const QString kInvalid = QStringLiteral(
    "The settings for the form size are not valid. Go to \"Set form size\" and enter the widht and height and "
    "click on \"OVERTAKE\"! ");
const QString kTooClose = QStringLiteral(
    "The settings for the form size are not valid. Go to \"Set form size\" and enter the widht and height and "
    "click on \"OVERTAKE\"!");

// A document whose picture is width x height with the given form size.
void setSize(FormDocument& doc, PointI first, PointI second, PointD firstMm, PointD secondMm)
{
    doc.FirstPoint = first;
    doc.SecondPoint = second;
    doc.FirstPointMm = firstMm;
    doc.SecondPointMm = secondMm;
}

void usePicture(FormDocument& doc, int32_t width, int32_t height)
{
    doc.picture.reset(newdib(width, height, 8, nullptr, 0));
    ASSERT_TRUE(doc.picture);
}

}  // namespace

TEST(FormSizeCheck, MatchOfScalesDecidesAtNinetyPercent)
{
    const FormSizeCheck accepted = checkFormSize(sizeWithScales(0.10, 0.111), 1000, 1000);
    EXPECT_EQ(accepted.verdict, FormSizeVerdict::Ok);
    EXPECT_EQ(accepted.match, 90);

    const FormSizeCheck rejected = checkFormSize(sizeWithScales(0.10, 0.1112), 1000, 1000);
    EXPECT_EQ(rejected.verdict, FormSizeVerdict::PoorMatch);
    EXPECT_EQ(rejected.match, 89);

    // The smaller scale against the larger, whichever axis holds it.
    EXPECT_EQ(checkFormSize(sizeWithScales(0.1112, 0.10), 1000, 1000).match, 89);
    EXPECT_EQ(scaleMatchPercent(0.25, 0.25), 100);
}

TEST(FormSizeCheck, PointsMustLieMoreThanHalfThePictureApart)
{
    auto spread = [](int32_t dx, int32_t dy) {
        return orderFormSize({10, 10}, {10 + dx, 10 + dy}, {0, 0}, {dx * 0.1, dy * 0.1});
    };
    EXPECT_EQ(checkFormSize(spread(500, 900), 1000, 1000).verdict, FormSizeVerdict::TooCloseX);
    EXPECT_EQ(checkFormSize(spread(501, 900), 1000, 1000).verdict, FormSizeVerdict::Ok);
    EXPECT_EQ(checkFormSize(spread(500, 900), 1001, 1000).verdict, FormSizeVerdict::TooCloseX);
    EXPECT_EQ(checkFormSize(spread(501, 900), 1001, 1000).verdict, FormSizeVerdict::Ok);

    EXPECT_EQ(checkFormSize(spread(900, 500), 1000, 1000).verdict, FormSizeVerdict::TooCloseY);
    EXPECT_EQ(checkFormSize(spread(900, 501), 1000, 1000).verdict, FormSizeVerdict::Ok);
    // An accepted horizontal verdict leads on to the vertical test.
    EXPECT_EQ(checkFormSize(spread(500, 500), 1000, 1000, true).verdict, FormSizeVerdict::TooCloseY);
    EXPECT_EQ(checkFormSize(spread(500, 900), 1000, 1000, true).verdict, FormSizeVerdict::Ok);
}

TEST(FormSizeCheck, CoincidingOrBrokenValuesAreInvalid)
{
    EXPECT_EQ(checkFormSize(orderFormSize({0, 0}, {0, 0}, {1, 1}, {1, 1}), 320, 200).verdict,
              FormSizeVerdict::Invalid);
    EXPECT_EQ(checkFormSize(orderFormSize({0, 0}, {300, 0}, {0, 0}, {30, 20}), 320, 200).verdict,
              FormSizeVerdict::Invalid);
    EXPECT_EQ(checkFormSize(orderFormSize({0, 0}, {300, 190}, {5, 0}, {5, 20}), 320, 200).verdict,
              FormSizeVerdict::Invalid);
    EXPECT_EQ(checkFormSize(orderFormSize({0, 0}, {300, 190}, {0, 0}, {std::nan(""), 20}), 320, 200).verdict,
              FormSizeVerdict::Invalid);
}

TEST(FormSizeCheck, ReversedPointsGiveTheSameSize)
{
    const OrderedFormSize natural = orderFormSize({100, 50}, {900, 1250}, {10, 5}, {90, 125});
    const OrderedFormSize reversed = orderFormSize({900, 1250}, {100, 50}, {90, 125}, {10, 5});
    const OrderedFormSize mixed = orderFormSize({900, 50}, {100, 1250}, {10, 125}, {90, 5});
    for (const OrderedFormSize& s : {reversed, mixed}) {
        EXPECT_EQ(s.px1, 100);
        EXPECT_EQ(s.px2, 900);
        EXPECT_EQ(s.py1, 50);
        EXPECT_EQ(s.py2, 1250);
        EXPECT_DOUBLE_EQ(s.x1mm, 10);
        EXPECT_DOUBLE_EQ(s.y2mm, 125);
        EXPECT_EQ(checkFormSize(s, 1000, 1300).verdict, checkFormSize(natural, 1000, 1300).verdict);
    }
    EXPECT_EQ(checkFormSize(natural, 1000, 1300).verdict, FormSizeVerdict::Ok);
}

TEST(FormSizeDerived, PaperPositionsAndPaperCorner)
{
    const OrderedFormSize s = orderFormSize({100, 200}, {900, 1200}, {10, 20}, {90, 120});
    EXPECT_DOUBLE_EQ(s.mmPerPixelX(), 0.1);
    EXPECT_DOUBLE_EQ(s.mmPerPixelY(), 0.1);
    const PointD middle = s.paperPosition(500, 700);
    EXPECT_DOUBLE_EQ(middle.x, 50);
    EXPECT_DOUBLE_EQ(middle.y, 70);
    const PointD corner = s.paperOriginOnPicture();
    EXPECT_DOUBLE_EQ(corner.x, 0);
    EXPECT_DOUBLE_EQ(corner.y, 0);

    const OrderedFormSize shifted = orderFormSize({0, 0}, {800, 1000}, {10, 20}, {90, 120});
    EXPECT_DOUBLE_EQ(shifted.paperOriginOnPicture().x, -100);
    EXPECT_DOUBLE_EQ(shifted.paperOriginOnPicture().y, -200);

    // Points of a damaged file further apart than 32 bits hold.
    const OrderedFormSize far = orderFormSize({-2147483000, -2147483000}, {2147483000, 2147483000}, {0, 0},
                                              {4294966, 4294966});
    EXPECT_DOUBLE_EQ(far.mmPerPixelX(), 0.001);
    EXPECT_DOUBLE_EQ(far.mmPerPixelY(), 0.001);
}

TEST(FormSizeEasyMode, A4PictureAtThreeHundredPixelsPerInch)
{
    const double height = boxValue(coupledHeight(8.27, 2480, 3508), 0, 9999);
    EXPECT_DOUBLE_EQ(height, 11.70);
    EXPECT_DOUBLE_EQ(boxValue(coupledWidth(11.70, 2480, 3508), 0, 9999), 8.27);

    const EasyFormSize e = easyFormSize(8.27, height, 2480, 3508);
    EXPECT_EQ(e.FirstPoint, (PointI{0, 0}));
    EXPECT_EQ(e.SecondPoint, (PointI{2480, 3508}));
    EXPECT_EQ(e.FirstPointMm, (PointD{0, 0}));
    EXPECT_DOUBLE_EQ(e.SecondPointMm.x, 210.06);
    EXPECT_DOUBLE_EQ(e.SecondPointMm.y, 297.18);
    EXPECT_EQ(checkFormSize(orderFormSize(e.FirstPoint, e.SecondPoint, e.FirstPointMm, e.SecondPointMm), 2480, 3508)
                  .verdict,
              FormSizeVerdict::Ok);

    // The distance boxes end at 9999 mm.
    EXPECT_DOUBLE_EQ(easyFormSize(9999, 1, 10, 10).SecondPointMm.x, 9999);
    EXPECT_DOUBLE_EQ(coupledHeight(5, 0, 0), 0);
}

TEST(FormSizeEasyMode, UncoupledProportionIsRejectedWithItsMatch)
{
    const EasyFormSize e = easyFormSize(8.27, 8.27, 2480, 3508);
    const FormSizeCheck check =
        checkFormSize(orderFormSize(e.FirstPoint, e.SecondPoint, e.FirstPointMm, e.SecondPointMm), 2480, 3508);
    EXPECT_EQ(check.verdict, FormSizeVerdict::PoorMatch);
    EXPECT_EQ(check.match, 70);
}

TEST(FormSizeBoxes, ValuesAreClampedAndShownWithTwoDecimals)
{
    EXPECT_DOUBLE_EQ(boxValue(210.0575865, 0, 9999), 210.06);
    EXPECT_DOUBLE_EQ(boxValue(-3, 0, 9999), 0);
    EXPECT_DOUBLE_EQ(boxValue(12000, 0, 9999), 9999);
    EXPECT_DOUBLE_EQ(boxValue(1.004, 0, 10), 1.0);
    EXPECT_DOUBLE_EQ(boxValue(0.125, 0, 10), 0.13);
}

TEST(FormSizeView, LayoutKeepsThePictureAspectAtTheTopLeft)
{
    // Wide box: the height decides.
    const ViewLayout wide = pointViewLayout(800, 300, 2480, 3508);
    EXPECT_EQ(wide.dh, 300);
    EXPECT_EQ(wide.dw, 300 * 2480 / 3508);
    // Tall box: the width decides.
    const ViewLayout tall = pointViewLayout(300, 800, 2480, 3508);
    EXPECT_EQ(tall.dw, 300);
    EXPECT_EQ(tall.dh, 300 * 3508 / 2480);
    EXPECT_EQ(pointViewLayout(0, 100, 10, 10).dw, 0);
}

TEST(FormSizeView, ClicksMapToPicturePixelsBeyondThePictureToo)
{
    const ViewLayout layout = pointViewLayout(400, 300, 1000, 500);  // dw 400, dh 200
    ASSERT_EQ(layout.dw, 400);
    ASSERT_EQ(layout.dh, 200);
    EXPECT_EQ(viewClickToPicture(200, 100, layout, 1000, 500), (PointI{500, 250}));
    // Below the picture, on the background.
    EXPECT_EQ(viewClickToPicture(10, 250, layout, 1000, 500), (PointI{25, 625}));
    // Halves go to the even neighbour: 1 / 0.4 = 2.5, 3 / 0.4 = 7.5.
    EXPECT_EQ(viewClickToPicture(1, 0, layout, 1000, 500).x, 2);
    EXPECT_EQ(viewClickToPicture(3, 0, layout, 1000, 500).x, 8);
    EXPECT_EQ(pictureToView({500, 625}, layout, 1000, 500), (PointI{200, 250}));
    EXPECT_EQ(pictureToView({999, 0}, layout, 1000, 500).x, 399);
}

TEST(FormSizeMessages, NewFormIsInvalidWithOrWithoutMessages)
{
    FormDocument doc;
    doc.resetForNew();
    ScriptedPrompts prompts;
    EXPECT_FALSE(IsFormSizeOk(doc, prompts, false));
    EXPECT_TRUE(prompts.messages().empty());

    EXPECT_FALSE(IsFormSizeOk(doc, prompts, true));
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0].text, kInvalid);
    EXPECT_EQ(prompts.messages()[0].caption, QString());
    EXPECT_EQ(prompts.messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(prompts.messages()[0].buttons, MsgButtons::Ok);
}

TEST(FormSizeMessages, PoorMatchNamesThePercentageAndMayBeAccepted)
{
    FormDocument doc;
    usePicture(doc, 1000, 1000);
    setSize(doc, {0, 0}, {1000, 1000}, {0, 0}, {100, 111.2});

    ScriptedPrompts silent;
    EXPECT_FALSE(IsFormSizeOk(doc, silent, false));
    EXPECT_TRUE(silent.messages().empty());

    ScriptedPrompts prompts;
    prompts.queueAnswer(MsgAnswer::Cancel);
    EXPECT_FALSE(IsFormSizeOk(doc, prompts, true));
    prompts.queueAnswer(MsgAnswer::Ok);
    EXPECT_TRUE(IsFormSizeOk(doc, prompts, true));
    ASSERT_EQ(prompts.messages().size(), 2u);
    EXPECT_EQ(prompts.messages()[0].text,
              QStringLiteral("The settings for the form size are not valid. The match only to 89 percent! Go to \"Set "
                             "form size\" and enter the widht and height and click on \"OVERTAKE\"!"));
    EXPECT_EQ(prompts.messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(prompts.messages()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(prompts.messages()[0].caption, QString());

    doc.SecondPointMm = {100, 111};
    ScriptedPrompts good;
    EXPECT_TRUE(IsFormSizeOk(doc, good, true));
    EXPECT_TRUE(good.messages().empty());
}

TEST(FormSizeMessages, ClosePointsAskOncePerDirection)
{
    FormDocument doc;
    usePicture(doc, 1000, 1000);
    setSize(doc, {0, 0}, {500, 500}, {0, 0}, {50, 50});

    ScriptedPrompts silent;
    EXPECT_FALSE(IsFormSizeOk(doc, silent, false));
    EXPECT_TRUE(silent.messages().empty());

    ScriptedPrompts both;
    both.queueAnswer(MsgAnswer::Ok);
    both.queueAnswer(MsgAnswer::Ok);
    EXPECT_TRUE(IsFormSizeOk(doc, both, true));
    EXPECT_EQ(both.messageTexts(), (QStringList{kTooClose, kTooClose}));
    EXPECT_EQ(both.messages()[1].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(both.messages()[1].icon, MsgIcon::Error);

    ScriptedPrompts cancelFirst;
    cancelFirst.queueAnswer(MsgAnswer::Cancel);
    EXPECT_FALSE(IsFormSizeOk(doc, cancelFirst, true));
    EXPECT_EQ(cancelFirst.messages().size(), 1u);

    ScriptedPrompts cancelSecond;
    cancelSecond.queueAnswer(MsgAnswer::Ok);
    cancelSecond.queueAnswer(MsgAnswer::Cancel);
    EXPECT_FALSE(IsFormSizeOk(doc, cancelSecond, true));
    EXPECT_EQ(cancelSecond.messages().size(), 2u);

    // Only the vertical distance too small: one question.
    doc.SecondPoint = {900, 500};
    doc.SecondPointMm = {90, 50};
    ScriptedPrompts vertical;
    vertical.queueAnswer(MsgAnswer::Ok);
    EXPECT_TRUE(IsFormSizeOk(doc, vertical, true));
    EXPECT_EQ(vertical.messageTexts(), QStringList{kTooClose});
}
