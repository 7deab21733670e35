// Printing all of 1000 records of the sample form into a PDF file, without and with the picture,
// beside a plain QPdfWriter page loop that draws the same texts. Targets: at least 200 pages/s
// without the picture, at least 20 pages/s with it, and the picture stored once in the file (a
// few kB per record, not the picture each time).
#include "BenchMain.h"
#include "BenchSampleForm.h"
#include "platform/CodePage.h"
#include "platform/Printer.h"
#include "print/PageRenderer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <numeric>

namespace {

constexpr int kRecords = 1000;

// The sample form with its records repeated, each with a value of its own, up to 1000.
const FormDocument& sampleForm()
{
    static const FormDocument doc = sampleFormWithRecords(kRecords);
    return doc;
}

// Prints the first count records as one PDF job; returns the file's size in bytes.
qint64 printToPdf(const QString& file, int count, bool withPicture)
{
    SystemPrinter printer;
    printer.qprinter()->setOutputFormat(QPrinter::PdfFormat);
    printer.qprinter()->setOutputFileName(file);
    PageRequest request;
    request.document = &sampleForm();
    request.withPicture = withPicture;
    request.dateText = todaysDateText();
    std::vector<int> records(static_cast<size_t>(count), 0);
    std::iota(records.begin(), records.end(), 1);
    if (!printPages(printer, request, records))
        std::abort();
    return QFileInfo(file).size();
}

void printAllRecords(benchmark::State& state, bool withPicture)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("records.pdf"));
    qint64 size = 0;
    for (auto _ : state)
        size = printToPdf(file, kRecords, withPicture);
    const qint64 one = printToPdf(dir.filePath(QStringLiteral("one.pdf")), 1, withPicture);
    state.counters["pages/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["file_kB"] = double(size) / 1024;
    state.counters["kB_per_record"] = double(size - one) / 1024 / (kRecords - 1);
}

void BM_PrintAllRecords_Texts(benchmark::State& state) { printAllRecords(state, false); }
void BM_PrintAllRecords_Picture(benchmark::State& state) { printAllRecords(state, true); }

// The peer: QPdfWriter at the same resolution, each record's texts drawn into their rectangles
// with a plain QPainter, no placement rules, no picture.
void BM_QPdfWriterTexts(benchmark::State& state)
{
    const FormDocument& doc = sampleForm();
    QTemporaryDir dir;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("peer.pdf")));
        writer.setResolution(1200);
        QPainter painter(&writer);
        for (int i = 0; i < kRecords; ++i) {
            if (i > 0)
                writer.newPage();
            const FormRecord& record = doc.records[size_t(i)];
            for (size_t n = 0; n < record.size(); ++n) {
                const EntryLayout& e = record.layout(n);
                QFont font(QString::fromStdString(e.font.faceName));
                font.setPixelSize(std::max(1, e.font.size * 1200 / 72));
                painter.setFont(font);
                const double scale = 1200.0 / 100;
                painter.drawText(QRectF(e.left * scale, e.top * scale, (e.right - e.left) * scale,
                                        (e.bottom - e.top) * scale),
                                 ansiToQString(record.value(n).value_or("")));
            }
        }
        painter.end();
    }
    state.counters["pages/s"] = benchmark::Counter(double(kRecords) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

BENCHMARK(BM_PrintAllRecords_Texts)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PrintAllRecords_Picture)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_QPdfWriterTexts)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks<QGuiApplication>(argc, argv); }
