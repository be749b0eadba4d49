// The hydrograph chart taking ten computes of 30,000 ordinates, each adding its column
// and redrawing the chart as the window does after a run, with the layout the chart
// leaves to the event loop (target: under 200 ms), and one offscreen drawing of the
// full chart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <QPixmap>
#include <cmath>

#include "runoff/window/hydrograph_chart.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 30000;

std::vector<ComputeState> tenRuns()
{
    static int argc = 1;
    static char name[] = "chart_bench", *argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    std::vector<ComputeState> runs(10);
    for (std::size_t k = 0; k < runs.size(); ++k) {
        ComputeState& s = runs[k];
        s.udur = 0.25f, s.it = kOrdinates, s.obs = 96;
        s.qi.redim(kOrdinates);
        s.excess.redim(kOrdinates);
        for (long i = 0; i <= kOrdinates; ++i) {
            const float t = static_cast<float>(i) / 600.0f;
            s.qi(i) = (1000.0f + 100.0f * static_cast<float>(k)) * t * std::exp(1.0f - t);
            if (i <= s.obs) s.excess(i) = 0.01f * static_cast<float>(i % 7);
        }
    }
    return runs;
}

void tenComputes(benchmark::State& state)
{
    std::vector<ComputeState> runs = tenRuns();
    HydrographChart chart;
    chart.resize(800, 500);
    chart.grid().series1Secondary = true;  // the excess on the secondary axis, as the window has it
    for (auto _ : state) {
        state.PauseTiming();
        chart.grid().setColumnCount(2);
        chart.grid().setRowCount(0);
        state.ResumeTiming();
        for (ComputeState& s : runs) {
            plotHydrograph(chart.grid(), s, 0);
            chart.refresh();
            // What the chart leaves to the event loop (layout requests, deletions) is
            // part of a compute's cost.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    state.counters["columns"] = chart.grid().ColumnCount() - 2;
    state.counters["rows"] = chart.grid().RowCount();
}
BENCHMARK(tenComputes)->Unit(benchmark::kMillisecond);

void drawTenColumns(benchmark::State& state)
{
    HydrographChart chart;
    chart.resize(800, 500);
    chart.grid().series1Secondary = true;
    chart.grid().setColumnCount(2);
    for (ComputeState& s : tenRuns()) plotHydrograph(chart.grid(), s, 0);
    chart.refresh();
    for (auto _ : state) benchmark::DoNotOptimize(chart.view()->grab());
}
BENCHMARK(drawTenColumns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
