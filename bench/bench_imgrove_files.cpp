// Opening an A4 scan at 600 dpi (4960 x 7016, 24 bits) stored as JPEG, TIFF and PNG and saving it
// as BMP, through OpenDib and SaveDib; beside each, ImageMagick's convert doing the same job in
// the same run. The target is to take at most two thirds of convert's time.
#include "imgrove/DibCodec.h"
#include "imgrove/DibFiles.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 4960;
constexpr int32_t kHeight = 7016;

// Paper with a little scanner noise, ruled lines and boxes, and a tinted band: the mix of flat
// areas and detail a scanned form has.
Dib makeScan()
{
    Dib dib = newdib(kWidth, kHeight, 24, nullptr, 0);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.bits + int64_t(kHeight - 1 - y) * dib.rowSize;
        for (int32_t x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28);
            int r = 240 + grain, g = 238 + grain, b = 230 + grain;
            if (y % 240 < 4 || (x % 620 < 3 && y > 600))
                r = g = b = 30 + grain;
            else if (y > 1000 && y < 1400)
                b = 180 + grain;
            uint8_t* p = row + 3 * x;
            p[0] = uint8_t(b);
            p[1] = uint8_t(g);
            p[2] = uint8_t(r);
        }
    }
    return dib;
}

struct Files {
    fs::path dir;
    Files()
    {
        dir = fs::temp_directory_path() / "velmora-bench-files";
        fs::create_directories(dir);
        DibOwner scan(makeScan());
        for (const DibCodec* codec : {&kJpgCodec, &kTifCodec, &kPngCodec}) {
            std::vector<uint8_t> bytes;
            codec->encode(scan.get(), bytes);
            std::ofstream out(dir / (std::string("scan.") + codec->name), std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
    }
    ~Files() { fs::remove_all(dir); }
    std::string source(const char* extension) const { return (dir / (std::string("scan.") + extension)).string(); }
    std::string target(const char* who) const { return (dir / (std::string("out-") + who + ".bmp")).string(); }
};

const Files& files()
{
    static const Files instance;
    return instance;
}

const char* extensionOf(int index)
{
    static const char* const kExtensions[] = {"jpg", "tif", "png"};
    return kExtensions[index];
}

void OpenAndSaveAsBmp(benchmark::State& state)
{
    const char* extension = extensionOf(int(state.range(0)));
    state.SetLabel(extension);
    const std::string source = files().source(extension);
    const std::string target = files().target("ours");
    for (auto _ : state) {
        DibOwner dib(OpenDib(source, DibFormatAuto));
        if (!dib || !SaveDib(dib.get(), target, DibFormatBmp)) {
            state.SkipWithError("open or save failed");
            break;
        }
    }
}

void ConvertToBmp(benchmark::State& state)
{
    const char* extension = extensionOf(int(state.range(0)));
    state.SetLabel(extension);
    const std::string command =
        "convert '" + files().source(extension) + "' BMP3:'" + files().target("convert") + "' >/dev/null 2>&1";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const auto end = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError("convert failed or is not installed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

}  // namespace

BENCHMARK(OpenAndSaveAsBmp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ConvertToBmp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

BENCHMARK_MAIN();
