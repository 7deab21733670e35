// velmora-print's work without its process: 1000 records of the sample form (its records repeated,
// read from a CSV file as --csv reads them) to PNG pages at 300 x 300 on two threads beside one,
// and to one PDF without and with the picture. Targets: PNG at least 1.7 times as many pages/s on
// two cores as on one; PDF at least 200 pages/s without the picture, and at least 0.85 times a
// plain QPdfWriter loop that draws the same texts at the same places, page by page.
//
// The PNG runs also take a record count, so that a busy machine can measure the rate on fewer
// pages: --benchmark_filter='records:100/|BM_Pdf'.
#include "BenchMain.h"
#include "BenchSampleForm.h"
#include "document/RecordCsv.h"
#include "platform/CodePage.h"
#include "print/PageRenderer.h"
#include "printcmd/PrintJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>


namespace {

constexpr int kRecords = 1000;

// The sample form's records repeated up to count lines, each first value numbered.
QString recordsCsv(const QTemporaryDir& dir, int count)
{
    const FormDocument doc = sampleFormWithRecords(count);
    QByteArray text;
    for (const FormRecord& record : doc.records)
        text += QByteArray::fromStdString(csvLine(record)) + "\r\n";
    const QString name = dir.filePath(QStringLiteral("records-%1.csv").arg(count));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::abort();
    return name;
}

void printRecords(benchmark::State& state, PrintOptions options, int count)
{
    QTemporaryDir dir;
    options.formFile = QString::fromStdString(samplePath().string());
    options.csvFile = recordsCsv(dir, count);
    options.quiet = true;
    for (auto _ : state) {
        options.target = dir.filePath(options.output == OutputKind::Png ? QStringLiteral("pages")
                                                                         : QStringLiteral("records.pdf"));
        PrintJob job(options);
        QString error;
        if (!job.prepare({}, &error) || !job.run({}, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    state.counters["pages/s"] =
        benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Arguments: threads, records.
void BM_Png300(benchmark::State& state)
{
    PrintOptions options;
    options.output = OutputKind::Png;
    options.threads = int(state.range(0));
    printRecords(state, options, int(state.range(1)));
}

void BM_Pdf(benchmark::State& state)
{
    PrintOptions options;
    options.output = OutputKind::Pdf;
    options.withForm = state.range(0) != 0;
    printRecords(state, options, kRecords);
}

// The peer: the records' texts straight onto a QPdfWriter at the resolution the PDF printer has,
// one QPainter::drawText each with the item's alignment, for the same form and records.
void BM_PlainPdfWriter(benchmark::State& state)
{
    QTemporaryDir dir;
    const FormDocument doc = sampleFormWithRecords(kRecords);
    constexpr int kDpi = 1200;
    PageRequest request;
    request.document = &doc;
    request.dateText = todaysDateText();
    const Placement placement = computePlacement(placementInput(request), kDpi, kDpi);
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("plain.pdf")));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(kDpi);
        QPainter painter(&writer);
        for (int record = 1; record <= kRecords; ++record) {
            if (record > 1)
                writer.newPage();
            request.recordNumber = record;
            for (const PrintItem& item : printItems(request)) {
                QFont font(ansiToQString(item.font.faceName));
                font.setPixelSize(std::max(1, -printFontHeight(item.font.size, kDpi)));
                painter.setFont(font);
                const DcRect r = placement.deviceRect(item.left, item.top, item.right, item.bottom);
                const int alignment = item.alignment == AlignRight      ? Qt::AlignRight
                                      : item.alignment == AlignCentered ? Qt::AlignHCenter
                                                                        : Qt::AlignLeft;
                painter.drawText(QRect(r.left, r.top, r.width(), r.height()),
                                 alignment | (item.multiLine ? Qt::TextWordWrap : 0), item.text);
            }
        }
    }
    state.counters["pages/s"] =
        benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Png300)
    ->ArgNames({"threads", "records"})
    ->Args({1, kRecords})
    ->Args({2, kRecords})
    ->Args({1, 100})
    ->Args({2, 100})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_Pdf)->ArgName("picture")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PlainPdfWriter)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks<QGuiApplication>(argc, argv); }
