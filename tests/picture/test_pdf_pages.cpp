#include "picture/PdfPages.h"

#include "support/TestPdf.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

bool isDark(const Dib& dib, int32_t x, int32_t row)
{
    const uint32_t value = getpixel(dib, x, row);
    return (dib.header->biBitCount == 8 ? dibColors(dib)[value].rgbRed : value & 0xFF) < 128;
}

// The middle of the first dark run in a row, in pixels from the left edge: the middle of a
// stroked line, wherever its pen width puts its edges.
double firstDarkRunMiddle(const Dib& dib, int32_t row)
{
    int32_t first = 0;
    while (first < dib.header->biWidth && !isDark(dib, first, row))
        ++first;
    int32_t end = first;
    while (end < dib.header->biWidth && isDark(dib, end, row))
        ++end;
    return (first + end) / 2.0;
}

std::unique_ptr<PdfFile> testFile()
{
    QString error;
    auto pdf = PdfFile::fromBytes(testpdf::makePdf(), QStringLiteral("form.pdf"), &error);
    EXPECT_TRUE(pdf) << error.toStdString();
    return pdf;
}

}  // namespace

TEST(PdfPagesTest, PagesRenderAtTheSizeTheRasterisersMake)
{
    const auto pdf = testFile();
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->pageCount(), 2);
    EXPECT_DOUBLE_EQ(pdf->pageSize(1).widthPt, 595);
    EXPECT_DOUBLE_EQ(pdf->pageSize(2).heightPt, 792);
    struct Row {
        int page, ppi;
        int32_t width, height;
    };
    // ceil(points * ppi / 72), as pdftoppm sizes its pages.
    for (const Row& r : {Row{1, 100, 827, 1170}, Row{1, 200, 1653, 2339}, Row{1, 300, 2480, 3509},
                         Row{2, 200, 1700, 2200}, Row{2, 150, 1275, 1650}}) {
        QString error;
        const DibOwner picture = pdf->render(r.page, r.ppi, {}, &error);
        ASSERT_TRUE(picture) << error.toStdString();
        EXPECT_EQ(picture.get().header->biWidth, r.width) << r.ppi;
        EXPECT_EQ(picture.get().header->biHeight, r.height) << r.ppi;
        EXPECT_EQ(picture.get().header->biXPelsPerMeter, std::lround(r.ppi * 1000 / MmPerInch));
    }
}

TEST(PdfPagesTest, PageWithoutColourIsGreyAndWithColourIsTwentyFourBits)
{
    const auto pdf = testFile();
    ASSERT_TRUE(pdf);
    QString error;
    const DibOwner grey = pdf->render(1, 100, {}, &error);
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey.get().header->biBitCount, 8);
    EXPECT_EQ(dibColors(grey.get())[200].rgbGreen, 200);
    EXPECT_EQ(getpixel(grey.get(), 5, 5), 255u);

    const DibOwner colour = pdf->render(2, 100, {}, &error);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour.get().header->biBitCount, 24);
    // The red square from 400 to 450 points: red + 256 green + 65536 blue.
    EXPECT_EQ(getpixel(colour.get(), 590, 590), 0x0000FFu);
    EXPECT_EQ(getpixel(colour.get(), 5, 5), 0xFFFFFFu);
}

TEST(PdfPagesTest, ProgressClimbsToAHundredAndEndsAtZero)
{
    const auto pdf = testFile();
    ASSERT_TRUE(pdf);
    std::vector<int> heard;
    QString error;
    ASSERT_TRUE(pdf->render(1, 300, [&](int p) { heard.push_back(p); }, &error));
    // 3509 rows in bands of 1024.
    EXPECT_EQ(heard, (std::vector<int>{0, 29, 58, 87, 100, 0}));
}

TEST(PdfPagesTest, FormSizeFromThePagePlacesItsBoxesAtTheirMillimetres)
{
    const auto pdf = testFile();
    ASSERT_TRUE(pdf);
    for (int ppi : {100, 200, 300}) {
        FormDocument document;
        QString error;
        document.picture = pdf->render(1, ppi, {}, &error);
        ASSERT_TRUE(document.picture);
        setFormFromPdfPage(document, *pdf, 1);
        EXPECT_EQ(document.FirstPoint, (PointI{0, 0}));
        EXPECT_EQ(document.SecondPoint, (PointI{document.picture.get().header->biWidth, document.picture.get().header->biHeight}));
        EXPECT_EQ(document.FirstPointMm, (PointD{0, 0}));
        EXPECT_DOUBLE_EQ(document.SecondPointMm.x, 595 / 72.0 * MmPerInch);
        EXPECT_DOUBLE_EQ(document.SecondPointMm.y, 842 / 72.0 * MmPerInch);
        ASSERT_TRUE(document.originalPdf);
        EXPECT_EQ(document.originalPdf->page, 1);
        EXPECT_EQ(document.originalPdf->bytes.size(), size_t(pdf->bytes().size()));

        // The first box's left edge, found on the picture, lies where the PDF drew it, by the
        // form size's millimetres per pixel.
        const testpdf::Box& box = testpdf::kBoxes[0];
        const auto row = int32_t((box.top + box.height / 2) * ppi / 72);
        const double mm = firstDarkRunMiddle(document.picture.get(), row) * document.SecondPointMm.x / document.SecondPoint.x;
        EXPECT_NEAR(mm, box.left / 72 * MmPerInch, 25.4 / ppi) << ppi;
    }
}

TEST(PdfPagesTest, UnusableFilesAreRefusedWithTheirReason)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.pdf");
    ASSERT_TRUE(testpdf::writeFile(plain, testpdf::makePdf(1)));
    ASSERT_TRUE(testpdf::writeEncrypted(plain, dir.filePath("owner.pdf"), QString()));
    ASSERT_TRUE(testpdf::writeEncrypted(plain, dir.filePath("locked.pdf"), QStringLiteral("secret")));
    ASSERT_TRUE(testpdf::writeFile(dir.filePath("garbage.pdf"), "%PDF-1.4\ngarbage\n"));
    ASSERT_TRUE(testpdf::writeFile(dir.filePath("cut.pdf"), testpdf::makePdf(1).left(2000)));
    ASSERT_TRUE(testpdf::writeFile(dir.filePath("empty.pdf"), "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                                                              "2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\n"
                                                              "trailer<</Root 1 0 R>>\n%%EOF\n"));
    struct Row {
        const char* file;
        const char* message;
    };
    for (const Row& r : {
             Row{"owner.pdf", "The PDF file \"owner.pdf\" is encrypted; open a copy without password protection."},
             Row{"locked.pdf", "The PDF file \"locked.pdf\" is encrypted; open a copy without password protection."},
             Row{"garbage.pdf", "The PDF file \"garbage.pdf\" is damaged and cannot be read."},
             Row{"cut.pdf", "The PDF file \"cut.pdf\" is damaged and cannot be read."},
             Row{"empty.pdf", "The PDF file \"empty.pdf\" has no pages."},
             Row{"missing.pdf", "The PDF file \"missing.pdf\" cannot be opened."},
         }) {
        QString error;
        EXPECT_FALSE(PdfFile::open(dir.filePath(r.file), &error)) << r.file;
        EXPECT_EQ(error.toStdString(), r.message);
    }
    QString error;
    EXPECT_TRUE(PdfFile::open(plain, &error));
    EXPECT_TRUE(isPdfFile(plain));
}
