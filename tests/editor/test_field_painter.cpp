#include "editor/FieldPainter.h"

#include "platform/Dc.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kBlue = RGBColor(0, 0, 255);
const COLORREF kMarker = RGBColor(0, 255, 0);

// A 24-bit picture of one colour (getpixel's value 0x00BBGGRR).
Dib plainPicture(int32_t width, int32_t height, COLORREF value)
{
    Dib dib = newdib(width, height, 24, nullptr, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(dib, x, y, value);
    return dib;
}

FormField unnamedField(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    FormField field;
    field.left = left;
    field.top = top;
    field.right = right;
    field.bottom = bottom;
    field.name.clear();
    return field;
}

}  // namespace

TEST(FieldPainter, PaintsFieldsOverThePictureAndNothingBesideIt)
{
    FormDocument doc;
    doc.picture.reset(plainPicture(400, 300, kBlue));
    // Canvas 200 x 200: the picture fits into 200 x 150 at scale 0.5.
    doc.fields = {unnamedField(40, 40, 120, 100), unnamedField(80, 60, 160, 120)};
    doc.SelectedField = 2;
    Bitmap bitmap(200, 200, 32, kMarker);
    MemoryDc dc(&bitmap);
    const CanvasGeometry geometry = fitCanvas(200, 200, 400, 300);
    paintFieldCanvas(dc, doc, geometry, 1, 96);

    struct Row {
        int x, y;
        COLORREF colour;
        const char* what;
    };
    const Row rows[] = {
        {5, 5, kBlue, "picture"},
        {100, 180, kMarker, "below the fitted picture"},
        {30, 25, RGBColor(192, 192, 192), "inside the lower field"},
        {45, 35, RGBColor(255, 255, 255), "selected field on top of the lower one"},
        {20, 30, RGBColor(128, 128, 128), "dark grey left frame line"},
        {21, 30, RGBColor(0, 0, 0), "black inner left line"},
        {59, 25, RGBColor(255, 255, 255), "white right frame line"},
        {58, 25, RGBColor(192, 192, 192), "light grey inner right line"},
        {30, 49, RGBColor(255, 255, 255), "white bottom line"},
        {30, 20, RGBColor(128, 128, 128), "dark grey top line"},
        {61, 45, RGBColor(255, 255, 255), "upper field reaching past the lower"},
        {100, 70, kBlue, "picture beside both fields"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(bitmap.pixel(row.x, row.y), row.colour) << row.what;
    EXPECT_FALSE(dc.clipRegion().has_value());
}

TEST(FieldPainter, FontScaleFollowsTheFormSize)
{
    // Canvas pixels per paper inch; 1 without a usable form size.
    struct Scale {
        PointI first, second;
        PointD firstMm, secondMm;
        double printerMmPerInchX;
        double scaleX;
        double fontScale;
        const char* what;
    };
    const Scale scales[] = {
        {{0, 0}, {0, 0}, {0, 0}, {101.6, 76.2}, 25.4, 0.5, 1, "points on one spot"},
        {{0, 0}, {400, 300}, {0, 0}, {101.6, 76.2}, 25.4, 0.5, 50, "400 pixels over four inches"},
        {{400, 300}, {0, 0}, {0, 0}, {101.6, 76.2}, 25.4, 0.5, 50, "second point first"},
        {{0, 300}, {400, 0}, {101.6, 0}, {0, 76.2}, 25.4, 0.5, 50, "each pair in its own order"},
        {{0, 0}, {400, 300}, {0, 0}, {100, 75}, 25, 2, 200, "a printer of 25 mm per inch"},
        {{-2147483000, 0}, {2147483000, 300}, {0, 0}, {250, 300 * 250 / 4294966000.0}, 25, 0.5, 214748300,
         "points of a damaged file further apart than 32 bits hold"},
    };
    FormDocument doc;
    doc.picture.reset(plainPicture(400, 300, kBlue));
    for (const Scale& row : scales) {
        doc.FirstPoint = row.first;
        doc.SecondPoint = row.second;
        doc.FirstPointMm = row.firstMm;
        doc.SecondPointMm = row.secondMm;
        EXPECT_DOUBLE_EQ(canvasFontScale(doc, row.printerMmPerInchX, row.scaleX), row.fontScale) << row.what;
    }

    struct Row {
        int32_t height;
        double scale;
        int ppi;
        int32_t result;
    };
    for (const Row& row : {Row{-13, 1, 96, 0}, Row{-13, 192, 96, -26}, Row{-13, 50, 96, -6}, Row{20, 50, 96, 10},
                           Row{-13, 100, 0, 0}})
        EXPECT_EQ(canvasFontHeight(row.height, row.scale, row.ppi), row.result) << row.height << " x " << row.scale;
}
