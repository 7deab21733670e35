#include "picture/PictureFiles.h"

#include <gtest/gtest.h>

namespace {

// A picture record with a header only: the information texts read nothing else.
struct HeaderOnlyDib {
    BITMAPINFOHEADER header{};
    Dib dib;
    HeaderOnlyDib(int32_t width, int32_t height, uint16_t bits)
    {
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = bits;
        dib.header = &header;
        dib.hasPicture = 1;
    }
};

}  // namespace

TEST(SaveNameRule, NameWithoutExtensionGetsTheSelectedFiltersExtension)
{
    const SaveTarget jpg = saveTargetFor("/home/anna/forms/tax", 6);
    EXPECT_EQ(jpg.fileName, "/home/anna/forms/tax.jpg");
    EXPECT_EQ(jpg.formatCode, 8);

    const std::string expected[] = {".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg",
                                    ".lbm", ".pcx", ".rle", ".tga", ".tif"};
    for (int index = 1; index <= 11; ++index) {
        const SaveTarget target = saveTargetFor("form", index);
        EXPECT_EQ(target.fileName, "form" + expected[index - 1]) << "filter " << index;
        EXPECT_EQ(target.formatCode, index + 2) << "filter " << index;
    }
}

TEST(SaveNameRule, TypedExtensionIsKeptButTheFilterDecidesTheFormat)
{
    const SaveTarget tif = saveTargetFor("x.bmp", 11);
    EXPECT_EQ(tif.fileName, "x.bmp");
    EXPECT_EQ(tif.formatCode, 13);

    EXPECT_EQ(saveTargetFor("scan.final.png", 1).fileName, "scan.final.png");
    EXPECT_EQ(saveTargetFor("scan.", 3).fileName, "scan.");
}

TEST(SaveNameRule, DotsInFoldersOrAtTheStartOfTheNameAreNoExtension)
{
    EXPECT_EQ(saveTargetFor("/tmp/v1.2/form", 1).fileName, "/tmp/v1.2/form.bmp");
    EXPECT_EQ(saveTargetFor("C:\\scans.old\\form", 2).fileName, "C:\\scans.old\\form.dib");
    EXPECT_EQ(saveTargetFor("/tmp/.scan", 11).fileName, "/tmp/.scan.tif");
    EXPECT_FALSE(hasFileExtension("/tmp/v1.2/"));
    EXPECT_TRUE(hasFileExtension("a.b"));
}

TEST(SaveNameRule, UnknownFilterIndexFallsBackToTheFirstFormat)
{
    EXPECT_EQ(saveTargetFor("form", 0).fileName, "form.bmp");
    EXPECT_EQ(saveTargetFor("form", 0).formatCode, 3);
    EXPECT_EQ(saveTargetFor("form", 12).formatCode, 3);
    EXPECT_EQ(defaultSaveExtension(-4), ".bmp");
}

TEST(ThumbnailSize, TallPictureFillsTheBoxHeight)
{
    EXPECT_EQ(thumbnailSize(433, 169, 100, 400), (ThumbSize{42, 169}));
}

TEST(ThumbnailSize, WidePictureFillsTheBoxWidthWithTruncatedHeight)
{
    // 433 * 200 / 320 = 270.625 does not fit 169 high, so the height decides: 169 * 320 / 200.
    EXPECT_EQ(thumbnailSize(433, 169, 320, 200), (ThumbSize{270, 169}));
    // 433 * 100 / 300 = 144.33 fits: full width, height truncated.
    EXPECT_EQ(thumbnailSize(433, 169, 300, 100), (ThumbSize{433, 144}));
    // Exactly fitting keeps the box.
    EXPECT_EQ(thumbnailSize(400, 200, 800, 400), (ThumbSize{400, 200}));
}

TEST(ThumbnailSize, SmallPicturesAreEnlargedToTheBox)
{
    EXPECT_EQ(thumbnailSize(433, 169, 10, 3), (ThumbSize{433, 129}));
}

TEST(ThumbnailSize, HugeAndEmptySizesDoNotOverflowOrDivideByZero)
{
    EXPECT_EQ(thumbnailSize(433, 169, 1, 1 << 30), (ThumbSize{0, 169}));
    EXPECT_EQ(thumbnailSize(433, 169, 1 << 30, 1), (ThumbSize{433, 0}));
    EXPECT_EQ(thumbnailSize(433, 169, 0, 100), ThumbSize{});
    EXPECT_EQ(thumbnailSize(0, 169, 100, 100), ThumbSize{});
    EXPECT_EQ(thumbnailSize(433, 0, 100, 100), ThumbSize{});
}

TEST(PictureInformation, WidthHeightAndColourCountTexts)
{
    HeaderOnlyDib truecolor(2480, 3508, 24);
    EXPECT_EQ(pictureInfo(truecolor.dib), (PictureInfo{"2480 Pixel", "3508 Pixel", "16777216"}));

    const std::pair<uint16_t, std::string> depths[] = {{1, "2"}, {4, "16"}, {8, "256"}};
    for (const auto& [bits, colors] : depths) {
        HeaderOnlyDib picture(320, 200, bits);
        EXPECT_EQ(pictureInfo(picture.dib), (PictureInfo{"320 Pixel", "200 Pixel", colors})) << bits << " bits";
    }
}
