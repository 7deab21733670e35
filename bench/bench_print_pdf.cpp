// PDF forms: an A4 page rendered into the form's picture at 200 and 300 ppi beside pdftoppm
// rendering the same page in the same run (target: no slower), and 1000 records printed onto an
// original page beside the same records without it (targets: at least half the pages/s, the file
// no more than the original plus 2 kB per record).
#include "BenchMain.h"
#include "BenchSampleForm.h"
#include "picture/PdfPages.h"
#include "platform/Printer.h"
#include "print/PageRenderer.h"
#include "print/PdfOverlay.h"
#include "support/TestPdf.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <numeric>

namespace {

constexpr int kRecords = 1000;

const QByteArray& originalBytes()
{
    static const QByteArray bytes = testpdf::makePdf(1);
    return bytes;
}

void BM_RenderA4Page(benchmark::State& state)
{
    QString error;
    const std::unique_ptr<PdfFile> pdf = PdfFile::fromBytes(originalBytes(), QStringLiteral("form.pdf"), &error);
    if (!pdf)
        std::abort();
    for (auto _ : state) {
        DibOwner picture = pdf->render(1, int(state.range(0)), {}, &error);
        benchmark::DoNotOptimize(picture.get().bits);
    }
}

// The peer: pdftoppm writing the same page as a grey picture file, process start included.
void BM_PdftoppmA4Page(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("form.pdf"));
    if (!testpdf::writeFile(input, originalBytes()))
        std::abort();
    const QString ppi = QString::number(state.range(0));
    for (auto _ : state) {
        QProcess tool;
        tool.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), ppi, QStringLiteral("-gray"),
                                                QStringLiteral("-singlefile"), input, dir.filePath(QStringLiteral("out"))});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            state.SkipWithError("pdftoppm failed");
    }
}

const FormDocument& sampleForm()
{
    static const FormDocument doc = sampleFormWithRecords(kRecords);
    return doc;
}

PageRequest sampleRequest()
{
    PageRequest request;
    request.document = &sampleForm();
    request.dateText = todaysDateText();
    return request;
}

std::vector<int> allRecords()
{
    std::vector<int> records(kRecords, 0);
    std::iota(records.begin(), records.end(), 1);
    return records;
}

void BM_RecordsOntoOriginal(benchmark::State& state)
{
    QString error;
    const auto original = OriginalPdfPage::open(originalBytes(), 1, QStringLiteral("form.pdf"), &error);
    if (!original)
        std::abort();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("onto.pdf"));
    for (auto _ : state) {
        if (!printPdfOntoOriginal(sampleRequest(), allRecords(), *original, file, {}, {}, &error))
            state.SkipWithError(qPrintable(error));
    }
    const double size = double(QFileInfo(file).size());
    state.counters["pages/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["file_kB"] = size / 1024;
    state.counters["kB_per_record_beyond_original"] = (size - double(originalBytes().size())) / 1024 / kRecords;
}

void BM_RecordsWithoutOriginal(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain.pdf"));
    for (auto _ : state) {
        SystemPrinter printer;
        printer.qprinter()->setOutputFormat(QPrinter::PdfFormat);
        printer.qprinter()->setOutputFileName(file);
        if (!printPages(printer, sampleRequest(), allRecords()))
            state.SkipWithError("printing failed");
    }
    state.counters["pages/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["file_kB"] = double(QFileInfo(file).size()) / 1024;
}

BENCHMARK(BM_RenderA4Page)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PdftoppmA4Page)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordsOntoOriginal)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RecordsWithoutOriginal)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks<QGuiApplication>(argc, argv); }
