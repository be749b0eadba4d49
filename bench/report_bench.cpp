// The hydrograph report of 30,000 ordinates in the compute layout, written as the
// program writes it, against the same bytes put in a file with one plain buffered
// write; the run ends with their ratios (target: at most 3).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>

#include "runoff/hydrograph_report.h"
#include "ratio_reporter.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 30000;

// A long SCS run: rain over the first rainSteps steps, storm after storm of runoff.
ComputeState longRun(int rainSteps)
{
    ComputeState s;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> rain(0.0f, 0.05f);
    s.udur = 1.0f / 60.0f, s.area = 12.3f, s.C = 1.51f, s.lag = 2.56f, s.scsMode = true, s.lossValueEntered = 75;
    s.it = kOrdinates, s.obs = static_cast<std::int16_t>(rainSteps);
    s.qi.redim(kOrdinates);
    for (VArray<float>* a : {&s.rdepth, &s.excess, &s.gwFlow, &s.S1Step, &s.pCumStep}) a->redim(kOrdinates + 1);
    for (long i = 1; i <= kOrdinates; ++i) {
        const float t = static_cast<float>(i % 3000) / 300.0f;
        s.qi(i) = 12.5f + 950.0f * t * t * std::exp(2.0f - 2.0f * t);
        if (i > rainSteps + 1) continue;
        s.rdepth(i) = rain(rng);
        s.excess(i) = s.rdepth(i) * 0.4f;
        s.tdepth += s.rdepth(i);
        s.pCumStep(i) = s.tdepth;
        s.S1Step(i) = 3.3333f - s.excess(i);
        s.gwFlow(i) = 12.5f + s.excess(i);
    }
    s.maxq = 3999.9f, s.tmax = 1234, s.volume = 98765, s.stormDuration = static_cast<float>(rainSteps) * s.udur;
    return s;
}

ReportBoxes boxes()
{
    ReportBoxes b;
    b.txtTitle = "Benchmark basin", b.txtTile2 = "30000 one-minute ordinates", b.ComboDimgraph = "SCS.DGF";
    return b;
}

void reportWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(static_cast<int>(state.range(0)));
    for (auto _ : state) writeHydrographReport(s, 0, QString(), boxes(), dir.path());
}

void plainWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(static_cast<int>(state.range(0)));
    const QByteArray bytes = buildHydrographReport(s, 0, QString(), boxes()).text;
    const QByteArray path = dir.filePath("Temp.GRF").toLocal8Bit();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.constData(), "wb");
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), f);
        std::fclose(f);
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

// Rain over 96 steps (a design storm), and over nearly every ordinate (a long storm file).
BENCHMARK(reportWrite)->Arg(96)->Arg(kOrdinates - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(plainWrite)->Arg(96)->Arg(kOrdinates - 1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* arg : {"/96", "/29999"})
        reporter.ratio(std::string("reportWrite") + arg, std::string("plainWrite") + arg, 3.0);
    benchmark::Shutdown();
    return 0;
}
