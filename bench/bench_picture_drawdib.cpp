// A full A4 page scanned at 600 dpi fitted into a screen-sized view: DrawDib's row ways against
// one QPainter::drawImage of the same picture. Target: at most 10 ms per draw.
#include "BenchMain.h"
#include "imgrove/Dib.h"
#include "picture/DrawDib.h"
#include "platform/Screen.h"
#include "platform/WidgetDc.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kPictureWidth = 4960;
constexpr int32_t kPictureHeight = 7016;
constexpr int32_t kViewWidth = 1000;
constexpr int32_t kViewHeight = 1400;

// Filled with a pattern straight through the rows; the contents do not change the work.
const Dib& picture(int bitCount)
{
    static DibOwner rgb;
    static DibOwner indexed;
    DibOwner& owner = bitCount == 24 ? rgb : indexed;
    if (!owner) {
        owner.reset(bitCount == 24 ? newdib(kPictureWidth, kPictureHeight, 24, nullptr, 0)
                                   : newdib(kPictureWidth, kPictureHeight, 8, nullptr, 256));
        Dib& dib = owner.get();
        for (int32_t y = 0; y < kPictureHeight; ++y) {
            uint8_t* row = dib.bits + int64_t(y) * dib.rowSize;
            for (int32_t x = 0; x < dib.rowSize; ++x)
                row[x] = uint8_t(x * 7 + y * 3);
        }
    }
    return owner.get();
}

void drawIntoMemory(benchmark::State& state, int bitCount)
{
    const Dib& dib = picture(bitCount);
    Bitmap bitmap(kViewWidth, kViewHeight, 32);
    MemoryDc dc(&bitmap);
    for (auto _ : state) {
        DrawDib(dc, 0, 0, kViewWidth, kViewHeight, dib, 0, 0, kPictureWidth, kPictureHeight, true, SRCCOPY, false);
        benchmark::DoNotOptimize(bitmap.image().constBits());
    }
}

class View : public QWidget {
public:
    explicit View(const Dib& dib) : dib_(dib)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(kViewWidth, kViewHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        WidgetDc dc(this);
        DrawDib(dc, 0, 0, kViewWidth, kViewHeight, dib_, 0, 0, kPictureWidth, kPictureHeight, true, SRCCOPY, false);
    }

private:
    const Dib& dib_;
};

void drawIntoWidget(benchmark::State& state, int bitCount)
{
    View view(picture(bitCount));
    QImage surface(kViewWidth, kViewHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        view.render(&surface, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(surface.constBits());
    }
}

void BM_DrawDib24_MemoryBitmap(benchmark::State& state) { drawIntoMemory(state, 24); }
void BM_DrawDib8_MemoryBitmap(benchmark::State& state) { drawIntoMemory(state, 8); }
void BM_DrawDib24_Widget(benchmark::State& state) { drawIntoWidget(state, 24); }
void BM_DrawDib8_Widget(benchmark::State& state) { drawIntoWidget(state, 8); }

// For comparison: Qt's own scaling of the same picture, already converted to a QImage.
void BM_QPainterDrawImage(benchmark::State& state)
{
    const Dib& dib = picture(24);
    QImage source(dib.bits, kPictureWidth, kPictureHeight, dib.rowSize, QImage::Format_BGR888);
    const QImage converted = source.convertToFormat(QImage::Format_RGB32);
    QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(QRect(0, 0, kViewWidth, kViewHeight), converted);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

BENCHMARK(BM_DrawDib24_MemoryBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawDib8_MemoryBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawDib24_Widget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawDib8_Widget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterDrawImage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // The row ways are what a screen of more than 256 colours gets.
    return runQtBenchmarks<QApplication>(argc, argv, [] { setScreenBitsPerPixelOverride(32); });
}
