// The map control for the control's benchmarks, and their program's start.
#pragma once

#include "control/map_control_object.h"

// A map control object, shown at 640 x 480.
struct BenchControl {
    BenchControl();
    ComPtr<MapControl> object;
    CMapCtrl *ctl = nullptr;
};

// The whole of main: a headless Qt application whose registry values and
// profiles live in a temporary folder, then the benchmarks asked for; 1
// when a result did not match its reference (bench_check.h).
int RunControlBenchmarks(int argc, char **argv);
