// Halftoning a scanned A4 page for a palette screen, and writing and reading it in the own
// run-length formats: the work done when a form is shown shrunk, saved or opened.
#include "imgrove/DibCodec.h"
#include "imgrove/Halftone.h"

#include <benchmark/benchmark.h>

namespace {

// An A4 page at 150 dots per inch: white with dark text-like strokes.
Dib scannedPage()
{
    Dib dib = newdib(1240, 1754, 24, nullptr, 0);
    for (int y = 0; y < 1754; ++y)
        for (int x = 0; x < 1240; ++x)
            setpixel(dib, x, y, (y % 40 < 3 || (x % 97 < 2 && y % 40 < 20)) ? 0x202020u : 0xFFFFFFu);
    return dib;
}

void HalftoneShrunkToScreen(benchmark::State& state)
{
    DibOwner page(scannedPage());
    for (auto _ : state) {
        DibOwner copy(DIBHalftoneDIBXY(page.get(), 620, 877));
        benchmark::DoNotOptimize(copy.get().bits);
    }
}
BENCHMARK(HalftoneShrunkToScreen)->Unit(benchmark::kMillisecond);

void EncodeAndDecode(benchmark::State& state, const DibCodec* codec)
{
    DibOwner page(scannedPage());
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        codec->encode(page.get(), bytes);
        DibOwner back(codec->decode(bytes));
        benchmark::DoNotOptimize(back.get().bits);
    }
}
BENCHMARK_CAPTURE(EncodeAndDecode, bmp, &kBmpCodec)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeAndDecode, tga, &kTgaCodec)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeAndDecode, pcx, &kPcxCodec)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeAndDecode, iff, &kIffCodec)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeAndDecode, rle, &kRleCodec)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
