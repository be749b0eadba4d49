// The hydrograph chart in sight, taking computes of 30,000 ordinates one after another
// as the window does: each adds its column, the chart is refreshed, and the event loop
// lays it out and paints it (offscreen; the paints counter shows one per compute).
// Targets: ten computes under 200 ms, and 32 computes at most about 16 times two (a
// compute costs the same however many runs are drawn before it).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <cmath>

#include "ratio_reporter.h"
#include "runoff/window/hydrograph_chart.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 30000;

// Run k peaks at 1000 + 100 k cfs, so the flow axis grows now and then.
ComputeState runOf(int k)
{
    ComputeState s;
    s.udur = 0.25f, s.it = kOrdinates, s.obs = 96;
    s.qi.redim(kOrdinates);
    s.excess.redim(kOrdinates);
    for (long i = 0; i <= kOrdinates; ++i) {
        const float t = static_cast<float>(i) / 600.0f;
        s.qi(i) = (1000.0f + 100.0f * static_cast<float>(k)) * t * std::exp(1.0f - t);
        if (i <= s.obs) s.excess(i) = 0.01f * static_cast<float>(i % 7);
    }
    return s;
}

// Counts the paints of the chart's drawing area.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void computes(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "chart_bench", *argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    std::vector<ComputeState> runs;
    for (int k = 0; k < state.range(0); ++k) runs.push_back(runOf(k));
    HydrographChart chart;
    chart.resize(800, 500);
    chart.grid().series1Secondary = true;  // the excess on the secondary axis, as the window has it
    chart.show();
    PaintCount count;
    chart.view()->viewport()->installEventFilter(&count);
    for (auto _ : state) {
        state.PauseTiming();
        resetChartGrid(chart.grid(), {"1"}, {"1"}, {});
        chart.refresh();
        QCoreApplication::processEvents();
        count.paints = 0;
        state.ResumeTiming();
        for (ComputeState& s : runs) {
            plotHydrograph(chart.grid(), s, 0, QStringLiteral("SCS, Peak at 2/3"));
            chart.refresh();
            QCoreApplication::processEvents();  // as after a click on "Compute Hydrograph"
        }
    }
    state.counters["runs"] = static_cast<double>(runs.size());
    state.counters["paints"] = count.paints;
}
BENCHMARK(computes)->Arg(2)->Arg(10)->Arg(32)->Apply(bench::medianOfSeven);

}  // namespace

int main(int argc, char** argv)
{
    bench::initialize(argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.seconds("computes/10") >= 0)
        bench::RatioReporter::figure("ten computes shown and painted (ms)", reporter.seconds("computes/10") * 1e3, 200);
    reporter.ratio("computes/32", "computes/2", 16);
    benchmark::Shutdown();
    return 0;
}
