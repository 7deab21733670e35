// A 300-ppi A4 grey scan from SANE's virtual "test" scanner: the scanner library (open the
// device, set the options, scan on its worker thread, make the picture) beside scanimage
// writing the same scan to a PNM file, in the same run. Target: within 1.2 times scanimage.
#include "imgrove/Dib.h"
#include "scanlink2/ScanDevice.h"
#include "scanlink2/ScanJob.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string kScanimage =
    "scanimage -d test:0 --mode Gray --depth 8 --resolution 300 -l 0 -t 0 -x 210 -y 297 --test-picture Grid "
    "--read-limit=no --read-delay=no --format=pnm > " +
    (std::filesystem::temp_directory_path() / "bench_scanlink2_scan.pnm").string() + " 2>/dev/null";

void useVirtualScanner()
{
    setenv("SANE_CONFIG_DIR", VELMORA_SOURCE_DIR "/tests/data/sane", 1);
}

void BM_Scanlink2Scan(benchmark::State& state)
{
    useVirtualScanner();
    ScanSettings settings;
    settings.mode = ScanMode::Gray;
    settings.resolution = 300;
    settings.deviceOptions = {{"test-picture", "Grid"}, {"read-limit", "no"}, {"read-delay", "no"}};
    for (auto _ : state) {
        int status = 0;
        auto device = ScanDevice::open("test:0", status);
        if (!device || device->apply(settings) != 0) {
            state.SkipWithError("the virtual scanner is not there");
            return;
        }
        DibOwner picture;
        ScanJob job(*device, nullptr, [&picture](ScanResult& result) { picture = std::move(result.picture); });
        job.wait();
        if (!picture || picture.get().header->biWidth != 2480) {
            state.SkipWithError(("the scan gave no A4 picture: width " +
                                 std::to_string(picture ? picture.get().header->biWidth : 0))
                                    .c_str());
            return;
        }
        benchmark::DoNotOptimize(picture.get().bits);
    }
}
// Most of either run is spent waiting for the virtual scanner's reader, so wall time counts.
BENCHMARK(BM_Scanlink2Scan)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ScanimageToPnm(benchmark::State& state)
{
    useVirtualScanner();
    for (auto _ : state) {
        if (std::system(kScanimage.c_str()) != 0) {
            state.SkipWithError("scanimage failed (is sane-utils installed?)");
            return;
        }
    }
}
BENCHMARK(BM_ScanimageToPnm)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
