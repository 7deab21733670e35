#include "print/PrintPlacement.h"
#include "print/TextLength.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// The expected numbers were worked out by hand from the placement rules; the comments show how.
// All rows share a form size of 0.1 mm per picture pixel unless they say otherwise.
struct PlacementRow {
    const char* name;
    PointI first, second;
    PointD firstMm, secondMm;
    double mmX, mmY, marginX, marginY;  // already chosen by the orientation
    PointD shiftMm;
    int rx, ry;
    int32_t originX, originY, shiftX, shiftY;
    DcRect field;  // of the picture rectangle (300, 400, 700, 500), or the row's own below
    DcRect pictureRect;
    DrawRects picture;  // of a 1200 x 1800 picture
};

constexpr double M = 25.39995;
const PointI kP1{100, 200}, kP2{1100, 1700};
const PointD kMm1{10, 20}, kMm2{110, 170};

TEST(PrintPlacement, DeviceRectanglesFollowTheRulesToThePixel)
{
    // sx = sy = 100 / 25.39995 * 600 / 1000 = 2.3622093744; the paper's corner is picture (0, 0).
    // 300 * sx = 708.66, 400 * sy = 944.88, 700 * sx = 1653.5, 500 * sy = 1181.1.
    const PlacementRow direct{
        .name = "600 x 600 direct",
        .first = kP1, .second = kP2, .firstMm = kMm1, .secondMm = kMm2,
        .mmX = M, .mmY = M, .marginX = 0, .marginY = 0, .shiftMm = {0, 0},
        .rx = 600, .ry = 600,
        .originX = 0, .originY = 0, .shiftX = 0, .shiftY = 0,
        .field = {708, 944, 1653, 1181}, .pictureRect = {300, 400, 700, 500},
        .picture = {0, 0, 2834, 4251, 0, 0, 1200, 1800}
    };
    // The page bitmap of a 600 x 300 printer: sx = sy = 0.78740312; 1200 * sx = 944.88.
    const PlacementRow bitmap{
        .name = "200 x 200 page bitmap",
        .first = kP1, .second = kP2, .firstMm = kMm1, .secondMm = kMm2,
        .mmX = M, .mmY = M, .marginX = 0, .marginY = 0, .shiftMm = {0, 0},
        .rx = 200, .ry = 200,
        .originX = 0, .originY = 0, .shiftX = 0, .shiftY = 0,
        .field = {236, 314, 551, 393}, .pictureRect = {300, 400, 700, 500},
        .picture = {0, 0, 944, 1417, 0, 0, 1200, 1800}
    };
    // Landscape with BreitEd 101.5, HochEd 99, LinksEd 3, ObenEd 5: across the page the Y
    // factor 99 * M / 100 = 25.1459505 and the top margin 5 mm: shiftX = trunc(-5 / 25.1459505 *
    // 600) = -119; down the page the X factor 25.78094925 and the left margin: trunc(-3 /
    // 25.78094925 * 600) = -69. sx = 100 / 25.1459505 * 0.6 = 2.38607, sy = 150 / 25.78094925 *
    // 0.6 / 1.5 = 2.32730.
    const PlacementRow landscape{
        .name = "landscape swaps margins and factors",
        .first = kP1, .second = kP2, .firstMm = kMm1, .secondMm = kMm2,
        .mmX = 99 * M / 100, .mmY = 101.5 * M / 100, .marginX = 5, .marginY = 3, .shiftMm = {0, 0},
        .rx = 600, .ry = 600,
        .originX = 0, .originY = 0, .shiftX = -119, .shiftY = -69,
        .field = {596, 861, 1551, 1094}, .pictureRect = {300, 400, 700, 500},
        .picture = {-119, -69, 2863, 4189, 0, 0, 1200, 1800}
    };
    // VerschXin 0.5 and LinksEd 4.2: (0.5 * 25.39995 - 4.2) / 25.39995 * 600 = 200.79 -> 200.
    const PlacementRow shifted{
        .name = "VerschXin 0.5 with LinksEd 4.2",
        .first = kP1, .second = kP2, .firstMm = kMm1, .secondMm = kMm2,
        .mmX = M, .mmY = M, .marginX = 4.2, .marginY = 0, .shiftMm = {0.5 * M, 0},
        .rx = 600, .ry = 600,
        .originX = 0, .originY = 0, .shiftX = 200, .shiftY = 0,
        .field = {908, 944, 1853, 1181}, .pictureRect = {300, 400, 700, 500},
        .picture = {200, 0, 2834, 4251, 0, 0, 1200, 1800}
    };
    // Points given in reverse order; ObenEd 2: shiftY = trunc(-2 / 25.39995 * 600) = -47. The top
    // edge 3 * sy - 47 = -39.91 truncates to -39, where truncating 3 * sy first would give -40.
    const PlacementRow topEdge{
        .name = "top edge truncated after the shift",
        .first = kP2, .second = kP1, .firstMm = kMm2, .secondMm = kMm1,
        .mmX = M, .mmY = M, .marginX = 0, .marginY = 2, .shiftMm = {0, 0},
        .rx = 600, .ry = 600,
        .originX = 0, .originY = 0, .shiftX = 0, .shiftY = -47,
        .field = {7, -39, 94, 47}, .pictureRect = {3, 3, 40, 40},
        .picture = {0, -47, 2834, 4251, 0, 0, 1200, 1800}
    };
    // The paper's corner off the picture: 0.1 mm per pixel, first point (50, 80) at (37.3, 41.9) mm
    // puts the corner at picture (-323, -339); originX = trunc(-323 * 2.3622094) = -762, originY =
    // trunc(-339 * 2.3622094) = -800; margins 1.5 and 2.5 mm give shifts -35 and -59.
    const PlacementRow offPicture{
        .name = "paper corner outside the picture",
        .first = {50, 80}, .second = {950, 1280}, .firstMm = {37.3, 41.9}, .secondMm = {127.3, 161.9},
        .mmX = M, .mmY = M, .marginX = 1.5, .marginY = 2.5, .shiftMm = {0, 0},
        .rx = 600, .ry = 600,
        .originX = -762, .originY = -800, .shiftX = -35, .shiftY = -59,
        .field = {1010, 1048, 1671, 1449}, .pictureRect = {120, 130, 400, 300},
        .picture = {-35, -59, 3596, 5051, -323, -339, 1523, 2139}
    };

    // A damaged form file's points 4e9 pixels apart, at 0.1 mm per pixel with the paper's corner
    // on picture (0, 0): the direct row's numbers. The pixel distance does not fit 32 bits.
    const PlacementRow farPoints{
        .name = "points further apart than 32 bits hold",
        .first = {-2000000000, 200}, .second = {2000000000, 1700}, .firstMm = {-2e8, 20}, .secondMm = {2e8, 170},
        .mmX = M, .mmY = M, .marginX = 0, .marginY = 0, .shiftMm = {0, 0},
        .rx = 600, .ry = 600,
        .originX = 0, .originY = 0, .shiftX = 0, .shiftY = 0,
        .field = {708, 944, 1653, 1181}, .pictureRect = {300, 400, 700, 500},
        .picture = {0, 0, 2834, 4251, 0, 0, 1200, 1800}
    };

    for (const PlacementRow& row : {direct, bitmap, landscape, shifted, topEdge, offPicture, farPoints}) {
        SCOPED_TRACE(row.name);
        const PlacementInput input{orderFormSize(row.first, row.second, row.firstMm, row.secondMm),
                                   PlacementAxes{row.mmX, row.mmY, row.marginX, row.marginY}, row.shiftMm};
        const Placement p = computePlacement(input, row.rx, row.ry);
        EXPECT_EQ(p.originX, row.originX);
        EXPECT_EQ(p.originY, row.originY);
        EXPECT_EQ(p.shiftX, row.shiftX);
        EXPECT_EQ(p.shiftY, row.shiftY);
        const DcRect& r = row.pictureRect;
        EXPECT_EQ(p.deviceRect(r.left, r.top, r.right, r.bottom), row.field);
        EXPECT_EQ(p.pictureRects(1200, 1800), row.picture);
    }
    // The text-length check's horizontal scale agrees for such points too.
    EXPECT_NEAR(printerPixelsPerPictureX(orderFormSize(farPoints.first, farPoints.second, farPoints.firstMm,
                                                       farPoints.secondMm),
                                         M, 600),
                100 / M * 600 / 1000, 1e-9);
}

TEST(PrintPlacement, OrientationChoosesScalesAndMargins)
{
    const PlacementAxes portrait = placementAxes(25.7, 25.1, 3, 5, false);
    const PlacementAxes landscape = placementAxes(25.7, 25.1, 3, 5, true);
    EXPECT_EQ((std::array{portrait.scaleX, portrait.scaleY, portrait.marginX, portrait.marginY}),
              (std::array{25.7, 25.1, 3.0, 5.0}));
    EXPECT_EQ((std::array{landscape.scaleX, landscape.scaleY, landscape.marginX, landscape.marginY}),
              (std::array{25.1, 25.7, 5.0, 3.0}));
}

TEST(PrintPlacement, FontHeightsAndPageBitmapSizes)
{
    EXPECT_EQ(printFontHeight(12, 600), -100);
    EXPECT_EQ(printFontHeight(12, 300), -50);
    EXPECT_EQ(printFontHeight(10, 200), -27);  // 2000 div 72
    EXPECT_EQ(printFontHeight(10, 150), -20);  // 1500 div 72
    // An A4 page at 600 ppi previews at 1240 x 1754; a 600 x 300 page goes through 200 ppi.
    EXPECT_EQ(pageBitmapSize(4960, 7016, 600, 600, kPreviewPixelsPerInch), (DcSize{1240, 1754}));
    EXPECT_EQ(pageBitmapSize(4960, 3508, 600, 300, kPageBitmapPixelsPerInch), (DcSize{1653, 2338}));
}

}  // namespace
