// Switching the current record on the "Fill out the form" tab while the form holds 100 000
// records of 11 values: each switch refills the grid and the value editor, and should take no
// more than 5 ms.
#include "BenchMain.h"
#include "print/TFillOutPage.h"

#include "../tests/support/TestFormHost.h"

#include <QApplication>
#include <QSpinBox>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 100000;
constexpr int kValues = 11;

void BM_SwitchRecord(benchmark::State& state)
{
    TestFormHost host;
    for (int i = 0; i < kValues; ++i)
        host.doc.addField(FontSpec{}).name = "Field " + std::to_string(i + 1);
    host.doc.takeOverFields();
    while (host.doc.recordCount() < kRecords)
        host.doc.appendNewRecord();
    for (int n = 1; n <= kRecords; ++n)
        for (int i = 1; i <= kValues; ++i)
            host.doc.setRecordValue(n, i, "Record " + std::to_string(n) + " value " + std::to_string(i));
    TFillOutPage page(host);
    page.documentChanged();
    page.resize(640, 480);
    page.show();
    QApplication::processEvents();

    int number = 1;
    for (auto _ : state) {
        number = number % 99999 + 1;
        page.DSatzED->setValue(number);
        // The switch is done when the grid has painted the new values.
        QApplication::processEvents();
    }
}

}  // namespace

BENCHMARK(BM_SwitchRecord)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runQtBenchmarks<QApplication>(argc, argv); }
