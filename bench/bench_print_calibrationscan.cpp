// Accuracy of the calibration measured from a scan, on made-up scans of the printed sheet with
// known margins, scales, printer skew up to 2°, a scanner of its own scale, the sheet askew on
// the glass, blur and noise. Targets: margins within 0.1 mm and factors within 0.05 % at every
// resolution. The counters are the largest errors over the cases of a resolution; the time is
// that of the measurement alone.
#include "BenchMain.h"
#include "CalibrationScans.h"

#include "print/CalibrationSheet.h"
#include "vision/CalibrationScan.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

std::vector<ScanSetup> cases(double scanDpi)
{
    std::mt19937 random{unsigned(scanDpi)};
    std::uniform_real_distribution<double> margin(0, 6), size(97, 103), skew(-2, 2), glass(-1.5, 1.5),
        scanner(0.995, 1.005), blur(0.5, 1.8), noise(1, 8), printed(-1, 1);
    std::vector<ScanSetup> all;
    for (int i = 0; i < 16; ++i) {
        ScanSetup s;
        s.truth = {margin(random), margin(random), size(random), size(random)};
        s.printedWith = {std::max(0.0, s.truth.LinksEd + printed(random)), std::max(0.0, s.truth.ObenEd + printed(random)),
                         100 + printed(random), 100 + printed(random)};
        s.printerSkewDegrees = i == 0 ? 2 : i == 1 ? -2 : skew(random);
        s.glassSkewDegrees = glass(random);
        s.scannerScaleX = scanner(random);
        s.scannerScaleY = scanner(random);
        s.blurSigmaPx = blur(random);
        s.noiseSigma = noise(random);
        s.upsideDown = i % 4 == 3;
        s.scanDpi = scanDpi;
        s.seed = unsigned(i + 1);
        all.push_back(s);
    }
    return all;
}

void BM_CalibrationScanAccuracy(benchmark::State& state)
{
    const std::vector<ScanSetup> setups = cases(double(state.range(0)));
    double marginError = 0, factorErrorPercent = 0, skewError = 0;
    int failures = 0;
    for (auto _ : state) {
        for (const ScanSetup& s : setups) {
            state.PauseTiming();
            const cv::Mat scan = generatedScan(s);
            state.ResumeTiming();
            const CalibrationScanResult result = measureCalibrationScan(scan, s.printedWith, s.paper);
            if (!result.measurement) {
                ++failures;
                continue;
            }
            const Calibration& v = result.measurement->values;
            marginError = std::max({marginError, std::abs(v.LinksEd - s.truth.LinksEd), std::abs(v.ObenEd - s.truth.ObenEd)});
            factorErrorPercent = std::max({factorErrorPercent, std::abs(v.BreitEd / s.truth.BreitEd - 1) * 100,
                                           std::abs(v.HochEd / s.truth.HochEd - 1) * 100});
            skewError = std::max(skewError, std::abs(result.measurement->skewDegrees - s.printerSkewDegrees));
        }
    }
    state.counters["cases"] = double(setups.size());
    state.counters["failed"] = failures;
    state.counters["max_margin_error_mm"] = marginError;
    state.counters["max_factor_error_%"] = factorErrorPercent;
    state.counters["max_skew_error_deg"] = skewError;
}

BENCHMARK(BM_CalibrationScanAccuracy)->Arg(150)->Arg(200)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks<QGuiApplication>(argc, argv); }
