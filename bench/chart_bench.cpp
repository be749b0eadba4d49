// The hydrograph chart with ten computes of 30,000 ordinates: each compute adds its
// column to the grid and the chart reloads its series, as the window does after every
// run; and, apart, one drawing of the full chart offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <QPixmap>
#include <cmath>

#include "runoff/compute_state.h"
#include "runoff/hydrograph_chart.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 30000;
constexpr int kComputes = 10;

QApplication& app()
{
    static int argc = 1;
    static char name[] = "chart_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

ComputeState run(int k)
{
    ComputeState s;
    s.udur = 0.25f;
    s.it = kOrdinates;
    s.obs = 96;
    s.qi.redim(kOrdinates);
    s.excess.redim(kOrdinates);
    for (long i = 0; i <= kOrdinates; ++i) {
        const float t = static_cast<float>(i) / 600.0f;
        s.qi(i) = (1000.0f + 100.0f * static_cast<float>(k)) * t * std::exp(1.0f - t);
        if (i <= s.obs) s.excess(i) = 0.01f * static_cast<float>(i % 7);
    }
    return s;
}

void tenComputes(benchmark::State& state)
{
    app();
    std::vector<ComputeState> runs;
    for (int k = 0; k < kComputes; ++k) runs.push_back(run(k));
    HydrographChart chart;
    chart.resize(800, 500);
    chart.grid().series1Secondary = true;
    for (auto _ : state) {
        state.PauseTiming();
        chart.grid().setColumnCount(2);
        chart.grid().setRowCount(0);
        state.ResumeTiming();
        for (ComputeState& s : runs) {
            plotHydrograph(chart.grid(), s, 0);
            chart.refresh();
        }
    }
    state.counters["columns"] = chart.grid().ColumnCount() - 2;
    state.counters["rows"] = chart.grid().RowCount();
}
BENCHMARK(tenComputes)->Unit(benchmark::kMillisecond);

void drawTenColumns(benchmark::State& state)
{
    app();
    HydrographChart chart;
    chart.resize(800, 500);
    chart.grid().series1Secondary = true;
    chart.grid().setColumnCount(2);
    for (int k = 0; k < kComputes; ++k) {
        ComputeState s = run(k);
        plotHydrograph(chart.grid(), s, 0);
    }
    chart.refresh();
    for (auto _ : state) {
        QPixmap picture = chart.view()->grab();
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(drawTenColumns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
