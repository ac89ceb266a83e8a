#include "bench/support/bench_control.h"
#include "bench/support/bench_check.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

BenchControl::BenchControl()
{
    object = ComPtr<MapControl>::Adopt(new MapControl);
    ctl = object->control();
    ctl->resize(640, 480);
    ctl->show();
    QApplication::processEvents();
}

int RunControlBenchmarks(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir settings; // the control reads and writes its registry values here
    setenv("MAP_REGISTRY_DIR", (settings.path() + "/registry").toLocal8Bit().constData(), 1);
    setenv("MAP_PROFILE_DIR", (settings.path() + "/profiles").toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return ResultCheckStatus();
}
