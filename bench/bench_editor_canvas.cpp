// The field canvas repainted over a full A4 page scanned at 600 dpi in a screen-sized canvas, with
// 0, 10 and 100 fields, beside DrawDib of the picture alone. A drag repaints on every mouse move.
// Target: at most 16 ms with 100 fields and within 1.5 times the picture alone.
#include "BenchMain.h"
#include "editor/FieldCanvas.h"
#include "editor/FieldPainter.h"
#include "imgrove/Dib.h"
#include "picture/DrawDib.h"
#include "platform/Screen.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kPictureWidth = 4960;
constexpr int32_t kPictureHeight = 7016;
constexpr int32_t kCanvasWidth = 1000;
constexpr int32_t kCanvasHeight = 1400;
constexpr double kPictureDpi = 600;

FormDocument& documentWith(int fieldCount)
{
    static FormDocument doc;
    if (!doc.picture.get().bits || DibWidth(doc.picture.get()) != kPictureWidth) {
        doc.picture.reset(newdib(kPictureWidth, kPictureHeight, 24, nullptr, 0));
        Dib& dib = doc.picture.get();
        for (int32_t y = 0; y < kPictureHeight; ++y) {
            uint8_t* row = dib.bits + int64_t(y) * dib.rowSize;
            for (int32_t x = 0; x < dib.rowSize; ++x)
                row[x] = uint8_t(x * 7 + y * 3);
        }
    }
    // Fields of a typical form: a text line each, in two columns down the page.
    doc.fields.clear();
    for (int i = 0; i < fieldCount; ++i) {
        FormField& field = doc.addField(FontSpec{});
        field.left = 200 + (i % 2) * 2300;
        field.top = 200 + (i / 2) * 130;
        field.right = field.left + 2000;
        field.bottom = field.top + 110;
        field.name = "Field number " + std::to_string(i + 1);
        field.multiLine = i % 3 == 0;
        field.alignment = i % 3;
    }
    doc.SelectedField = fieldCount;
    return doc;
}

void BM_FieldCanvas(benchmark::State& state)
{
    const FormDocument& doc = documentWith(int(state.range(0)));
    Bitmap bitmap(kCanvasWidth, kCanvasHeight, 32);
    MemoryDc dc(&bitmap);
    const CanvasGeometry geometry = fitCanvas(kCanvasWidth, kCanvasHeight, kPictureWidth, kPictureHeight);
    const double fontScale = kPictureDpi * geometry.scaleX;
    for (auto _ : state) {
        paintFieldCanvas(dc, doc, geometry, fontScale, 96);
        benchmark::DoNotOptimize(bitmap.image().constBits());
    }
}

void BM_DrawDibAlone(benchmark::State& state)
{
    const FormDocument& doc = documentWith(0);
    Bitmap bitmap(kCanvasWidth, kCanvasHeight, 32);
    MemoryDc dc(&bitmap);
    const CanvasGeometry geometry = fitCanvas(kCanvasWidth, kCanvasHeight, kPictureWidth, kPictureHeight);
    for (auto _ : state) {
        DrawDib(dc, 0, 0, geometry.fittedWidth, geometry.fittedHeight, doc.picture.get(), 0, 0, kPictureWidth,
                kPictureHeight, true, SRCCOPY, false);
        benchmark::DoNotOptimize(bitmap.image().constBits());
    }
}

BENCHMARK(BM_DrawDibAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FieldCanvas)->Arg(0)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv, [] { setScreenBitsPerPixelOverride(32); });
}
