// Shared by the benchmarks that read a hydrograph file: the program's fresh load of it,
// as "Load hydrograph" does, once an iteration.
#pragma once

#include <benchmark/benchmark.h>

#include <QString>

#include "common/dialogs.h"
#include "runoff/compute_state.h"
#include "runoff/hydrograph_file.h"

namespace corv::bench {

inline void loadHydrographEachIteration(benchmark::State& state, const QString& path)
{
    ScriptedDialogs dialogs;
    for (auto _ : state) {
        ComputeState s;
        bool routeAgain = false;
        LoadHydrographFile(path, s, HydrographLoad::Fresh, routeAgain, dialogs);
        benchmark::DoNotOptimize(s.volume);
    }
}

}  // namespace corv::bench
