#include "print/PageRenderer.h"

#include "PrintTestForm.h"

#include "platform/Printer.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace printtest;

namespace {

PageRequest specFor(const FormDocument& doc, PrintWhat what = PrintWhat::CurrentRecord, int record = 1)
{
    PageRequest request;
    request.document = &doc;
    request.what = what;
    request.recordNumber = record;
    request.dateText = QStringLiteral("07.12.26");
    return request;
}

QStringList texts(const std::vector<PrintItem>& items)
{
    QStringList result;
    for (const PrintItem& item : items)
        result << item.text;
    return result;
}

TEST(PageRenderer, ItemsOfRecordsAndNamesWithTheDateRule)
{
    FormDocument doc;
    FormField a, b;
    a.name = "Name";
    b.name = "<date>";
    doc.fields = {a, b};
    // No records: names print, a record does not exist.
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::FieldNames))), (QStringList{"Name", "<date>"}));
    EXPECT_TRUE(printItems(specFor(doc)).empty());
    EXPECT_FALSE(recordNumberValid(doc, 1));

    // A row labelled "<date>" prints the date, whatever was typed; an absent value prints empty.
    doc.records = {FormRecord{{entry("Name", "Ann"), entry("<date>", "typed")}},
                   FormRecord{{entry("Name", nullptr), entry("<date>", nullptr)}}};
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::CurrentRecord, 1))), (QStringList{"Ann", "07.12.26"}));
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::CurrentRecord, 2))), (QStringList{"", "07.12.26"}));
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::FieldNames, 2))), (QStringList{"Name", "07.12.26"}));
    EXPECT_TRUE(printItems(specFor(doc, PrintWhat::CurrentRecord, 3)).empty());
    EXPECT_FALSE(todaysDateText().isEmpty());

    // The row labels are record 1's names: a later record's own entry names decide nothing.
    doc.records = {FormRecord{{entry("Name", "Ann"), entry("<date>", "typed")}},
                   FormRecord{{entry("<date>", "Bob"), entry("When", "typed")}}};
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::CurrentRecord, 2))), (QStringList{"Bob", "07.12.26"}));
    EXPECT_EQ(texts(printItems(specFor(doc, PrintWhat::FieldNames, 2))), (QStringList{"Name", "07.12.26"}));
}

TEST(PageRenderer, FormatFlagsNeverSwitchOffTheAmpersandRule)
{
    struct Row {
        bool multiLine;
        int32_t alignment;
        unsigned format;
    } rows[] = {
        {false, AlignLeft, DT_LEFT},
        {false, AlignCentered, DT_CENTER},
        {false, AlignRight, DT_RIGHT},
        {true, AlignLeft, DT_WORDBREAK},
        {true, AlignRight, DT_WORDBREAK | DT_RIGHT},
    };
    for (const Row& row : rows) {
        PrintItem item;
        item.multiLine = row.multiLine;
        item.alignment = row.alignment;
        EXPECT_EQ(printTextFormat(item), row.format);
    }
}

// Bounding box of the dark pixels of an area, or nothing when it holds none.
std::optional<QRect> inkIn(const QImage& image, const QRect& area)
{
    std::optional<QRect> box;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box = box ? box->united(QRect(x, y, 1, 1)) : QRect(x, y, 1, 1);
    return box;
}

// Renders one single-line value of the sample entry into a 200 ppi bitmap and returns the image.
QImage renderText(const char* value)
{
    FormDocument doc;
    makeForm(doc, false);
    doc.records[0] = FormRecord{{entry("Name", value)}};
    Bitmap page(1000, 1000, 32);
    {
        MemoryDc dc(&page, DT_RASDISPLAY, 200, 200);
        renderPage(dc, specFor(doc), 200, 200, false);
    }
    return page.image();
}

TEST(PageRenderer, LineBreaksPrintAsLinesCutAtTheRectangle)
{
    // At 200 ppi the rectangle is (236, 314)-(551, 393) and the font 33 pixels high: two lines
    // need more than the 79 pixels, so the second is cut at the bottom edge.
    const QImage twoLines = renderText("HHHH\r\nHHHH");
    const auto ink = inkIn(twoLines, QRect(0, 0, 1000, 1000));
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->left(), 236);
    EXPECT_GE(ink->top(), 314);
    EXPECT_LT(ink->bottom(), 393);
    EXPECT_GT(ink->bottom(), 314 + 40);  // ink of the second line
    const auto oneLine = inkIn(renderText("HHHH"), QRect(0, 0, 1000, 1000));
    ASSERT_TRUE(oneLine);
    EXPECT_LT(oneLine->bottom(), 314 + 40);
}

// Prints the sample record with its picture on a raster printer and finds the corner marks and
// the text's ink on the PNG page. Expected places worked out by hand: across, 600 ppi gives
// 100 / 25.39995 * 600 / 1000 = 2.3622094 device pixels per picture pixel; down, 300 ppi gives
// half of that. A printer whose resolutions differ prints through a 200 ppi page bitmap, so
// there a place may be off by one bitmap pixel (3 device pixels across, 1.5 down).
TEST(PageRenderer, RasterPagesPutPictureAndTextWhereThePlacementSays)
{
    struct Row {
        int dpiX, dpiY;
        double tolX, tolY;
        QRectF text;  // the entry's device rectangle, right and bottom exclusive
        bool alternate;  // "Alternate printing function"
        PointD shiftMm = {0, 0};
        QPoint shift = {0, 0};  // the shift in device pixels
    } rows[] = {
        {600, 600, 1, 1, QRectF(QPointF(708, 944), QPointF(1653, 1181)), false},
        // A shift of -0.1299 and -0.0669 inch, no multiples of 0.01: trunc(-3.3 / 25.39995 * 600)
        // = -77 across and trunc(-1.7 / 25.39995 * 600) = -40 down. The picture's destination
        // starts left of and above the page; what lies on the page stays where it belongs.
        {600, 600, 1, 1, QRectF(QPointF(631, 904), QPointF(1576, 1141)), false, {-3.3, -1.7}, {-77, -40}},
        // Bitmap rectangle (236, 314)-(551, 393) stretched by 3 across and 1.5 down. The
        // alternate function must not lose the picture on the way through the page bitmap.
        {600, 300, 3, 1.5, QRectF(QPointF(708, 471), QPointF(1653, 589.5)), true},
    };
    const double across = 2.3622094;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpiY);
        const double down = across * row.dpiY / 600;
        FormDocument doc;
        makeForm(doc);
        QTemporaryDir dir;
        RasterPrinter printer(dir.path(), QStringLiteral("page"), row.dpiX, row.dpiY,
                              QPageSize(QSizeF(4.5, 7), QPageSize::Inch));
        PageRequest request = specFor(doc);
        request.withPicture = true;
        request.viaPrinterBitmap = row.alternate;
        request.shiftMm = row.shiftMm;
        ASSERT_TRUE(printPages(printer, request, {1}));
        ASSERT_EQ(printer.pageFiles().size(), 1);
        const QImage page(printer.pageFiles().front());
        ASSERT_FALSE(page.isNull());

        const auto mark1 = inkIn(page, QRect(0, 0, 600, 600));
        ASSERT_TRUE(mark1);
        EXPECT_NEAR(mark1->left(), kMark1.x * across + row.shift.x(), row.tolX);
        EXPECT_NEAR(mark1->top(), kMark1.y * down + row.shift.y(), row.tolY);
        const auto mark2 = inkIn(page, QRect(2300, int(1600 * down), 600, 600));
        ASSERT_TRUE(mark2);
        EXPECT_NEAR(mark2->right() + 1, (kMark2.x + kMarkSize) * across + row.shift.x(), row.tolX);
        EXPECT_NEAR(mark2->bottom() + 1, (kMark2.y + kMarkSize) * down + row.shift.y(), row.tolY);

        const auto text = inkIn(page, QRect(550, int(300 * down), 1200, int(350 * down)));
        ASSERT_TRUE(text);
        EXPECT_GE(text->left(), row.text.left() - row.tolX);
        EXPECT_GE(text->top(), row.text.top() - row.tolY);
        EXPECT_LE(text->right() + 1, row.text.right() + row.tolX);
        EXPECT_LE(text->bottom() + 1, row.text.bottom() + row.tolY);
    }
}

}  // namespace
