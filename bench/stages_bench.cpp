// Compute stages on a long storm file: 30,000 one-minute steps, SCS losses with
// recovery and the SCS dimensionless graph; and the convolution against a plain
// double loop over steps and graph ordinates.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "common/dialogs.h"
#include "runoff/compute_state.h"
#include "runoff/losses.h"
#include "runoff/rainfall.h"
#include "runoff/transforms.h"

using namespace corv;

namespace {

constexpr int kSteps = 30000;

struct Fixture {
    QTemporaryDir dir;
    QString stormPath;
    QString programFolder;
    VArray<float> hourly{24};
    VArray<float> monthly{13};

    Fixture()
    {
        // Showers of a few hours separated by dry spells, in one-minute steps.
        std::mt19937 rng(2024);
        std::uniform_real_distribution<double> depth(0.0, 0.02);
        QByteArray text = "Benchmark storm, 30000 one-minute steps\r\n";
        text += QByteArray::number(kSteps) + "," + QByteArray::number(1.0 / 60, 'g', 9) + "\r\n";
        for (int i = 1; i <= kSteps; ++i) {
            const bool raining = (i / 240) % 3 != 2;
            const double d = raining ? depth(rng) : 0.0;
            text += QByteArray::number(i / 60.0, 'f', 5) + "," + QByteArray::number(d, 'f', 5) + "\r\n";
        }
        stormPath = dir.filePath(QStringLiteral("LONG.STM"));
        QFile f(stormPath);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        programFolder = QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
        for (int h = 0; h < 24; ++h) hourly(h) = 1.0f / 24;
        const float months[12] = {0.09f, 0.1f, 0.19f, 0.19f, 0.25f, 0.29f, 0.24f, 0.21f, 0.17f, 0.14f, 0.08f, 0.05f};
        for (int m = 1; m <= 12; ++m) monthly(m) = months[m - 1];
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// One compute's stages: storm file, SCS losses with recovery, SCS graph.
void runStages(ComputeState& s, Fixture& fx)
{
    ScriptedDialogs dialogs;
    CommonDialog common(dialogs);
    s.area = 10;
    s.lag = 1;
    s.udur = 0.25f;
    LossInputs loss;
    loss.txtCNloss = QStringLiteral("75");
    loss.txtConstLoss = QStringLiteral("0.1");
    loss.txtResetLossFactor = QStringLiteral("0.2");
    loss.GWloss = QStringLiteral("0.1");
    loss.txtPercentImp = QStringLiteral("5");
    setUpLosses(s, loss, dialogs);

    RainfallInputs rain;
    rain.ComboRain = QStringLiteral("Storm File");
    rain.ComboDimgraph = QStringLiteral("SCS.DGF");
    rain.folder = fx.programFolder;
    RainfallBoxes boxes;
    dialogs.answerFile(fx.stormPath);
    if (buildRainfall(s, rain, common, dialogs, boxes) != StageEnd::Continue) std::abort();

    accountLosses(s, fx.hourly, fx.monthly);

    TransformInputs tr;
    tr.ComboDimgraph = QStringLiteral("SCS.DGF");
    tr.folder = fx.programFolder;
    if (transformExcess(s, tr, dialogs) != StageEnd::Continue) std::abort();
}

void BM_StagesTogether(benchmark::State& state)
{
    Fixture& fx = fixture();
    for (auto _ : state) {
        ComputeState s;
        runStages(s, fx);
        benchmark::DoNotOptimize(s.volume);
    }
}
BENCHMARK(BM_StagesTogether)->Unit(benchmark::kMillisecond);

void BM_RainfallStormFile(benchmark::State& state)
{
    Fixture& fx = fixture();
    for (auto _ : state) {
        ComputeState s;
        readStormFile(s, fx.stormPath);
        benchmark::DoNotOptimize(s.tdepth);
    }
}
BENCHMARK(BM_RainfallStormFile)->Unit(benchmark::kMillisecond);

void BM_LossAccounting(benchmark::State& state)
{
    Fixture& fx = fixture();
    ComputeState base;
    runStages(base, fx);
    for (auto _ : state) {
        ComputeState s = base;
        ScriptedDialogs dialogs;
        s.udur = 0.25f;
        LossInputs loss;
        loss.txtCNloss = QStringLiteral("75");
        loss.txtConstLoss = QStringLiteral("0.1");
        loss.txtResetLossFactor = QStringLiteral("0.2");
        setUpLosses(s, loss, dialogs);
        s.udur = 1.0f / 60;
        s.constLossStep = s.constLoss * s.udur;
        accountLosses(s, fx.hourly, fx.monthly);
        benchmark::DoNotOptimize(s.excess.data());
    }
}
BENCHMARK(BM_LossAccounting)->Unit(benchmark::kMillisecond);

// The transform alone (graph file, curve fit, unit graph, convolution, peak and volume).
void BM_TransformScsGraph(benchmark::State& state)
{
    Fixture& fx = fixture();
    ComputeState base;
    runStages(base, fx);
    TransformInputs tr;
    tr.ComboDimgraph = QStringLiteral("SCS.DGF");
    tr.folder = fx.programFolder;
    ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        ComputeState s = base;
        state.ResumeTiming();
        transformExcess(s, tr, dialogs);
        benchmark::DoNotOptimize(s.qi.data());
    }
}
BENCHMARK(BM_TransformScsGraph)->Unit(benchmark::kMillisecond);

// The yardstick: a plain double loop over every step and every graph ordinate.
void BM_PlainDoubleLoopConvolution(benchmark::State& state)
{
    Fixture& fx = fixture();
    ComputeState base;
    runStages(base, fx);
    const long obs = base.obs;
    const long m = base.it - base.obs;
    std::vector<float> excess(base.excess.vec().begin(), base.excess.vec().end());
    std::vector<float> ug(base.unitGraph.vec().begin(), base.unitGraph.vec().end());
    for (auto _ : state) {
        std::vector<float> qi(static_cast<std::size_t>(obs + m) + 1, 0.0f);
        for (long s = 1; s <= obs; ++s)
            for (long j = 0; j <= m; ++j) qi[static_cast<std::size_t>(s + j)] += excess[static_cast<std::size_t>(s)] * ug[static_cast<std::size_t>(j)];
        benchmark::DoNotOptimize(qi.data());
    }
    state.counters["steps"] = static_cast<double>(obs);
    state.counters["ordinates"] = static_cast<double>(m + 1);
}
BENCHMARK(BM_PlainDoubleLoopConvolution)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
