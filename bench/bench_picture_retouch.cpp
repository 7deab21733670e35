// The retouch operations on a full A4 page scanned at 600 dpi (4960 x 7016), 24 bits and, where
// the operation applies, 8 bits; beside each, ImageMagick's convert doing the same job in the
// same run. convert's time is its process time for "in.mpc <operation> null:" minus the time of
// "in.mpc null:" (reading its own pixel cache and starting up), so only the operation counts.
// The target is every operation faster than its convert counterpart.
#include "imageops/ColourDepth.h"
#include "imageops/Crop.h"
#include "imageops/ImageAdjust.h"
#include "imageops/ResizeDib.h"
#include "imageops/RotateDib.h"
#include "imgrove/Dib.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr int32_t kWidth = 4960;
constexpr int32_t kHeight = 7016;

// A colour scan: smooth gradients with a little noise, so that palettes and dithering have as
// many colours to deal with as a photograph on the form gives them.
uint8_t noisy(uint32_t& seed, int value)
{
    seed = seed * 1103515245u + 12345u;
    return uint8_t(std::clamp(value + int((seed >> 16) & 15) - 8, 0, 255));
}

const Dib& picture(int bits)
{
    static DibOwner rgb;
    static DibOwner indexed;
    DibOwner& owner = bits == 24 ? rgb : indexed;
    if (owner)
        return owner.get();
    owner.reset(newdib(kWidth, kHeight, bits, nullptr, 0));
    Dib& dib = owner.get();
    uint32_t seed = 1;
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.bits + size_t(y) * size_t(dib.rowSize);
        for (int32_t x = 0; x < kWidth; ++x) {
            if (bits == 24) {
                row[3 * x] = noisy(seed, (x ^ y) & 255);
                row[3 * x + 1] = noisy(seed, y * 255 / kHeight);
                row[3 * x + 2] = noisy(seed, x * 255 / kWidth);
            } else {
                row[x] = uint8_t((x / 16 + y / 16) & 255);
            }
        }
    }
    return dib;
}

// The 24-bit picture as ImageMagick's own pixel cache, written once through a PPM file.
class ConvertFiles {
public:
    ConvertFiles()
    {
        const std::string ppm = path("in.ppm");
        if (FILE* file = std::fopen(ppm.c_str(), "wb")) {
            std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight);
            const Dib& dib = picture(24);
            std::string row(size_t(kWidth) * 3, '\0');
            for (int32_t y = 0; y < kHeight; ++y) {
                const uint8_t* stored = dib.bits + size_t(kHeight - 1 - y) * size_t(dib.rowSize);
                for (int32_t x = 0; x < kWidth; ++x) {
                    row[size_t(3 * x)] = char(stored[3 * x + 2]);
                    row[size_t(3 * x + 1)] = char(stored[3 * x + 1]);
                    row[size_t(3 * x + 2)] = char(stored[3 * x]);
                }
                std::fwrite(row.data(), 1, row.size(), file);
            }
            std::fclose(file);
        }
        ok_ = run(convert() + " '" + ppm + "' '" + mpc() + "'") == 0;
        std::remove(ppm.c_str());
        if (ok_) {
            baseline_ = 1e9;
            for (int i = 0; i < 3; ++i)
                baseline_ = std::min(baseline_, timed(""));
        }
    }
    bool ok() const { return ok_; }
    double baseline() const { return baseline_; }
    // Seconds for "convert in.mpc <operation> null:"; negative when convert failed.
    double timed(const std::string& operation) const
    {
        const auto start = std::chrono::steady_clock::now();
        const int status = run(convert() + " '" + mpc() + "' " + operation + " null: >/dev/null 2>&1");
        const auto end = std::chrono::steady_clock::now();
        return status == 0 ? std::chrono::duration<double>(end - start).count() : -1;
    }

private:
    static std::string convert() { return QDir("/usr/bin").exists("convert") ? "/usr/bin/convert" : "convert"; }
    static int run(const std::string& command) { return std::system(command.c_str()); }
    std::string path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }
    std::string mpc() const { return path("in.mpc"); }

    QTemporaryDir dir_;
    bool ok_ = false;
    double baseline_ = 0;
};

const ConvertFiles& convertFiles()
{
    static ConvertFiles files;
    return files;
}

void runConvert(benchmark::State& state, const std::string& operation)
{
    const ConvertFiles& files = convertFiles();
    if (!files.ok()) {
        state.SkipWithError("convert failed or is not installed");
        return;
    }
    for (auto _ : state) {
        const double seconds = files.timed(operation);
        if (seconds < 0) {
            state.SkipWithError("convert failed");
            break;
        }
        state.SetIterationTime(std::max(seconds - files.baseline(), 0.0));
    }
    state.counters["startup_and_read_s"] = files.baseline();
}

// One operation that makes a new picture, freed after each run.
void runOurs(benchmark::State& state, int bits, const std::function<Dib(const Dib&)>& operation)
{
    const Dib& source = picture(bits);
    for (auto _ : state) {
        DibOwner result(operation(source));
        if (!result) {
            state.SkipWithError("the operation failed");
            break;
        }
        benchmark::DoNotOptimize(result.get().bits);
    }
}

#define OURS(name, bits, body)                                                                  \
    void name(benchmark::State& state) { runOurs(state, bits, [](const Dib& dib) { return body; }); } \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(2)
#define CONVERT(name, operation)                                                               \
    void name(benchmark::State& state) { runConvert(state, operation); }                       \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime()

OURS(Rotate90_24, 24, RotLeft(dib));
OURS(Rotate90_8, 8, RotLeft(dib));
CONVERT(Convert_Rotate90, "-rotate 90");

OURS(Mirror_24, 24, mirrorDib(dib));
OURS(Mirror_8, 8, mirrorDib(dib));
CONVERT(Convert_Flop, "-flop");
OURS(Flip_24, 24, flipDib(dib));
OURS(Flip_8, 8, flipDib(dib));
CONVERT(Convert_Flip, "-flip");

OURS(FreeRotate45_24, 24, DibRotxxx(dib, false, 45, 0xFFFFFF));
OURS(FreeRotate45_8, 8, DibRotxxx(dib, false, 45, 0));
CONVERT(Convert_Rotate45, "-background white -rotate 45");

OURS(HalveNearest_24, 24, Resize(dib, kWidth / 2, kHeight / 2, false));
OURS(HalveNearest_8, 8, Resize(dib, kWidth / 2, kHeight / 2, false));
CONVERT(Convert_Sample50, "-sample 50%");

OURS(EnlargeBilinear_24, 24, Resize(dib, kWidth * 5 / 4, kHeight * 5 / 4, true));
CONVERT(Convert_EnlargeBilinear, "-interpolate Bilinear -interpolative-resize 125%");

// Brightness and contrast change the picture in place; each run works on a fresh copy, and the
// copy is part of the time.
OURS(BrightnessContrast_24, 24, [](const Dib& source) {
    Dib copy = copyPicture(source);
    Helligkeit(copy, 20);
    Kontrast(copy, 130);
    return copy;
}(dib));
CONVERT(Convert_BrightnessContrast, "-brightness-contrast 16x30");

OURS(FloydSteinbergOptimized256_24, 24, DepthDownTo(dib, 8, DepthDownChoice{true, true, DepthFunction::FloydSteinberg}));
CONVERT(Convert_FloydSteinberg256, "-dither FloydSteinberg -colors 256");

OURS(Crop_24, 24, cropDib(dib, SelectionRect{400, 500, 4400, 6500}));
OURS(Crop_8, 8, cropDib(dib, SelectionRect{400, 500, 4400, 6500}));
CONVERT(Convert_Crop, "-crop 4000x6000+400+500 +repage");

}  // namespace

BENCHMARK_MAIN();
