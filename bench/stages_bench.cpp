// The compute stages on a storm file of 30,000 one-minute steps with SCS losses with
// recovery and the SCS graph (target: under 50 ms together), and the transform against
// its own convolution loop alone (target: ratio at most 1).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <random>

#include "common/dialogs.h"
#include "runoff/window/form3_load.h"
#include "runoff/losses.h"
#include "runoff/rainfall.h"
#include "runoff/transforms.h"
#include "ratio_reporter.h"

using namespace corv;

namespace {

constexpr int kSteps = 30000;

struct Fixture {
    QTemporaryDir dir;
    QString storm = dir.filePath("LONG.STM");
    QString folder = QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    VArray<float> hourly, monthly;
    TransformInputs graph;
    ComputeState computed;  // one compute's result, the transform's input

    Fixture()
    {
        // Showers of a few hours separated by dry spells.
        std::mt19937 rng(2024);
        std::uniform_real_distribution<double> depth(0.0, 0.02);
        QByteArray text = "Benchmark storm\r\n" + QByteArray::number(kSteps) + "," + QByteArray::number(1.0 / 60, 'g', 9) + "\r\n";
        for (int i = 1; i <= kSteps; ++i)
            text += QByteArray::number(i / 60.0, 'f', 5) + "," + QByteArray::number((i / 240) % 3 != 2 ? depth(rng) : 0.0, 'f', 5) + "\r\n";
        QFile f(storm);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.flush()) std::abort();
        fillRecoveryTables(hourly, monthly);
        graph.ComboDimgraph = "SCS.DGF", graph.folder = folder;
        runStages(computed);
    }
    void runStages(ComputeState& s)
    {
        ScriptedDialogs dialogs;
        CommonDialog common(dialogs);
        s.area = 10, s.lag = 1, s.udur = 0.25f;
        setUpLosses(s, {"75", "0.2", "0.1", "0.1", "5"}, dialogs);
        RainfallInputs rain;
        rain.ComboRain = "Storm File", rain.ComboDimgraph = "SCS.DGF";
        RainfallBoxes boxes;
        dialogs.answerFile(storm);
        if (buildRainfall(s, rain, common, dialogs, boxes) != StageEnd::Continue) std::abort();
        accountLosses(s, hourly, monthly);
        if (transformExcess(s, graph, dialogs) != StageEnd::Continue) std::abort();
    }
};

Fixture& fixture() { static Fixture f; return f; }

void stagesTogether(benchmark::State& state)
{
    for (auto _ : state) {
        ComputeState s;
        fixture().runStages(s);
        benchmark::DoNotOptimize(s.volume);
    }
}
BENCHMARK(stagesTogether)->Apply(corv::bench::medianOfSeven);

// The transform alone: graph file, curve fit, unit graph, convolution, peak and volume.
void transformScsGraph(benchmark::State& state)
{
    ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        ComputeState s = fixture().computed;
        state.ResumeTiming();
        transformExcess(s, fixture().graph, dialogs);
        benchmark::DoNotOptimize(s.qi.data());
    }
}
BENCHMARK(transformScsGraph)->Apply(corv::bench::medianOfSeven);

// The transform's own convolution loop alone, on a fresh hydrograph as the transform
// makes one: the ratio shows what the rest of the transform costs (graph file, curve
// fit, unit graph, peak and volume), loop against the same loop.
void convolutionAlone(benchmark::State& state)
{
    const ComputeState& c = fixture().computed;
    const long steps = c.obs, m = c.it - c.obs;
    for (auto _ : state) {
        std::vector<float> qi(static_cast<std::size_t>(steps + m + 1), 0.0f);
        convolveExcess(qi.data(), c.excess.data(), steps, c.unitGraph.data(), m);
        benchmark::DoNotOptimize(qi.data());
    }
    const float* ex = c.excess.data();
    const auto wet = static_cast<double>(std::count_if(ex + 1, ex + steps + 1, [](float e) { return e != 0; }));
    state.counters["wet steps x ordinates"] = wet * static_cast<double>(m + 1);
}
BENCHMARK(convolutionAlone)->Apply(corv::bench::medianOfSeven);

}  // namespace

int main(int argc, char** argv)
{
    corv::bench::initialize(argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("transformScsGraph", "convolutionAlone", 1.25);
    benchmark::Shutdown();
    return 0;
}
