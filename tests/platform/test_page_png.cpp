#include "platform/PagePng.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct PageCase {
    const char* what;
    std::vector<QRgb> marks;  // drawn at (3i + 1, 2) on a white page
    PagePngKind kind;
};

TEST(PagePng, SmallestKindKeepsEveryColour)
{
    const PageCase cases[] = {
        {"white only", {}, PagePngKind::Bilevel},
        {"black text", {qRgb(0, 0, 0), qRgb(0, 0, 0)}, PagePngKind::Bilevel},
        {"smoothed text", {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(254, 254, 254)}, PagePngKind::Grey},
        {"one coloured pixel", {qRgb(7, 7, 7), qRgb(10, 10, 11)}, PagePngKind::Colour},
        {"red ink", {qRgb(255, 0, 0)}, PagePngKind::Colour},
    };
    for (const PageCase& c : cases) {
        // 13 pixels across: a 1-bit row ends within a byte.
        QImage page(13, 5, QImage::Format_RGB32);
        page.fill(Qt::white);
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(5906);
        for (size_t i = 0; i < c.marks.size(); ++i)
            page.setPixel(int(3 * i + 1), 2, c.marks[i]);
        EXPECT_EQ(pagePngKind(page), c.kind) << c.what;

        QBuffer file;
        file.open(QIODevice::WriteOnly);
        ASSERT_TRUE(writePagePng(page, file)) << c.what;
        QImage read;
        ASSERT_TRUE(read.loadFromData(file.data(), "PNG")) << c.what;
        EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), page) << c.what;
        EXPECT_EQ(read.dotsPerMeterX(), 11811) << c.what;
        EXPECT_EQ(read.dotsPerMeterY(), 5906) << c.what;
    }
}

// White rows are written without a look at their pixels; the rows between them must keep their
// places, at every depth.
TEST(PagePng, WhiteRowsAroundMarkedRowsKeepTheirPlaces)
{
    const QRgb marks[] = {qRgb(0, 0, 0), qRgb(90, 90, 90), qRgb(0, 0, 200)};
    for (const QRgb mark : marks) {
        QImage page(41, 9, QImage::Format_RGB32);
        page.fill(Qt::white);
        for (const int y : {0, 4, 8})
            page.setPixel(3 * y + 1, y, mark);
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        ASSERT_TRUE(writePagePng(page, file));
        QImage read;
        ASSERT_TRUE(read.loadFromData(file.data(), "PNG"));
        EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), page) << qRed(mark) << " " << qBlue(mark);
    }
}

TEST(PagePng, RefusedWriteIsAFailure)
{
    QImage page(4, 4, QImage::Format_RGB32);
    page.fill(Qt::white);
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_FALSE(writePagePng(page, readOnly));
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writePagePng(QImage(), file));
}

}  // namespace
