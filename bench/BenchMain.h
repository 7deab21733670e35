// The one main() of the Qt benchmarks: offscreen unless a platform is asked for, the Qt
// application the measured code needs (QGuiApplication, or QApplication for widgets), then
// Google Benchmark's own run.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

// prepare runs once the application exists (a screen depth to pretend, say).
template <typename Application>
int runQtBenchmarks(int argc, char** argv, void (*prepare)() = nullptr)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
