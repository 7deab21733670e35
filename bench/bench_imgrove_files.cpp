// Opening an A4 scan at 600 dpi (4960 x 7016, 24 bits) stored as JPEG, TIFF and PNG and saving it
// as BMP, through OpenDib and SaveDib; beside each, ImageMagick's convert doing the same job in
// the same run. The target is to take at most two thirds of convert's time. The first open in a
// fresh process, where no memory of an earlier picture is at hand, is measured the way convert
// always runs: this program started again to open and save one picture, beside convert.
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

std::string& ownProgram()
{
    static std::string path;
    return path;
}

constexpr const char* kOpenAndSave = "--open-and-save";

// The time of a shell command, process start and end included.
bool timeCommand(benchmark::State& state, const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0)
        return false;
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    return true;
}

void FreshProcessToBmp(benchmark::State& state)
{
    const char* extension = extensionOf(int(state.range(0)));
    state.SetLabel(extension);
    const std::string command = "'" + ownProgram() + "' " + kOpenAndSave + " '" + files().source(extension) +
                                "' '" + files().target("fresh") + "'";
    for (auto _ : state) {
        if (!timeCommand(state, command)) {
            state.SkipWithError("the fresh process failed");
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
        if (!timeCommand(state, command)) {
            state.SkipWithError("convert failed or is not installed");
            break;
        }
    }
}

}  // namespace

BENCHMARK(OpenAndSaveAsBmp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FreshProcessToBmp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(ConvertToBmp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == kOpenAndSave) {
        DibOwner dib(OpenDib(argv[2], DibFormatAuto));
        return dib && SaveDib(dib.get(), argv[3], DibFormatBmp) ? 0 : 1;
    }
    ownProgram() = std::filesystem::absolute(argv[0]).string();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
