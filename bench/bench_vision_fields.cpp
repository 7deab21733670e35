// Field finding and skew measurement on made-up forms: English and German labels at 200 and
// 300 ppi, scanned with skew up to 3 degrees, noise, blur, JPEG at quality 60 and grey paper.
// Reports the share of true fields found (overlap of at least 0.8 of the union), false
// proposals, the skew error and the names read exactly, and times the detection on an A4
// 300-ppi scan.
#include "BenchMain.h"
#include "GeneratedForms.h"

#include "vision/Deskew.h"
#include "vision/FieldDetection.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

namespace {

struct Tally {
    int truths = 0, found = 0, proposals = 0, falseOnes = 0, namesRight = 0;
    double worstSkewError = 0;
};

void measureOne(Tally& tally, double ppi, FormLanguage language, const ScanMarks& marks, int variant)
{
    const GeneratedForm form = generatedForm(ppi, language, variant);
    DibOwner scan(dibFromGray(scannedPage(form.page, marks), form.pixelsPerMm));
    const SkewMeasurement skew = measureSkew(scan.get());
    const double measured = skew.degrees.value_or(0);
    tally.worstSkewError = std::max(tally.worstSkewError, std::abs(measured - marks.skewDegrees));
    DibOwner straight(std::abs(measured) > 0 ? straightenedDib(scan.get(), measured) : Dib{});
    const Dib& picture = straight ? straight.get() : scan.get();
    DetectionOptions options;
    options.language = language == FormLanguage::German ? "deu" : "eng";
    const DetectionResult result = detectFields(picture, options);
    const int width = form.page.width(), height = form.page.height();
    std::vector<TrueField> truths = form.fields;
    for (TrueField& t : truths)
        t.rect = movedToStraightened(t.rect, width, height, picture.header->biWidth, std::abs(picture.header->biHeight));
    for (const TrueField& t : truths) {
        ++tally.truths;
        for (const FieldProposal& p : result.proposals) {
            if (overlapRatio(t.rect, p.rect) >= 0.8) {
                ++tally.found;
                tally.namesRight += p.name == t.name;
                break;
            }
        }
    }
    for (const FieldProposal& p : result.proposals) {
        ++tally.proposals;
        bool matched = false;
        for (const TrueField& t : truths)
            matched = matched || overlapRatio(t.rect, p.rect) >= 0.8;
        tally.falseOnes += !matched;
    }
}

void BM_FieldFindingQuality(benchmark::State& state)
{
    Tally tally;
    for (auto _ : state) {
        tally = {};
        unsigned seed = 1;
        for (const double ppi : {200.0, 300.0})
            for (const FormLanguage language : {FormLanguage::English, FormLanguage::German})
                for (const double skew : {-3.0, -1.2, 0.4, 2.5}) {
                    ScanMarks marks{skew, 210, 0.9, 6, 60, seed};
                    measureOne(tally, ppi, language, marks, int(seed++));
                }
    }
    state.counters["found_percent"] = 100.0 * tally.found / std::max(1, tally.truths);
    state.counters["false_percent"] = 100.0 * tally.falseOnes / std::max(1, tally.proposals);
    state.counters["names_percent"] = 100.0 * tally.namesRight / std::max(1, tally.truths);
    state.counters["skew_error_deg"] = tally.worstSkewError;
}
BENCHMARK(BM_FieldFindingQuality)->Iterations(1)->Unit(benchmark::kSecond);

void BM_DetectA4At300ppi(benchmark::State& state)
{
    const GeneratedForm form = generatedForm(300, FormLanguage::English);
    DibOwner scan(dibFromGray(scannedPage(form.page, {0, 220, 0.8, 5, 60, 3}), form.pixelsPerMm));
    DetectionOptions options;
    for (auto _ : state)
        benchmark::DoNotOptimize(detectFields(scan.get(), options));
}
BENCHMARK(BM_DetectA4At300ppi)->Unit(benchmark::kMillisecond);

void BM_SkewA4At300ppi(benchmark::State& state)
{
    const GeneratedForm form = generatedForm(300, FormLanguage::English);
    DibOwner scan(dibFromGray(scannedPage(form.page, {1.7, 220, 0.8, 5, 60, 3}), form.pixelsPerMm));
    for (auto _ : state)
        benchmark::DoNotOptimize(measureSkew(scan.get()));
}
BENCHMARK(BM_SkewA4At300ppi)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks<QGuiApplication>(argc, argv); }
