// The hydrograph report of 30,000 ordinates in the compute layout, written as the
// program writes it (cells, then beside the old file and renamed into place), against
// the same bytes put in a file with one plain buffered write. The run ends with the
// ratios of the two; reportAgainstPlainWrite also measures both in turn within each
// iteration (counter "ratio"; build_ms is the laying out alone). fileOnly and
// cellsOnly time the parts.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "runoff/compute_state.h"
#include "runoff/hydrograph_report.h"
#include "runoff/report_cells.h"
#include "ratio_reporter.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 30000;

// A long SCS run: rain over the first raining steps, runoff on every ordinate.
ComputeState longRun(int rainSteps)
{
    ComputeState s;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> rain(0.0f, 0.05f);
    s.udur = 1.0f / 60.0f;
    s.area = 12.3f;
    s.C = 1.51f;
    s.lag = 2.56f;
    s.scsMode = true;
    s.lossValueEntered = 75;
    s.it = kOrdinates;
    s.obs = static_cast<std::int16_t>(rainSteps);
    s.qi.redim(kOrdinates);
    s.rdepth.redim(kOrdinates + 1);
    s.excess.redim(kOrdinates + 1);
    s.gwFlow.redim(kOrdinates + 1);
    s.S1Step.redim(kOrdinates + 1);
    s.pCumStep.redim(kOrdinates + 1);
    float pCum = 0;
    for (long i = 1; i <= kOrdinates; ++i) {
        // Storm after storm: a rise to a few thousand cfs and a long recession.
        const float t = static_cast<float>(i % 3000) / 300.0f;
        s.qi(i) = 12.5f + 3800.0f * t * t * std::exp(2.0f - 2.0f * t) / 4.0f;
        if (i <= rainSteps + 1) {
            s.rdepth(i) = rain(rng);
            s.excess(i) = s.rdepth(i) * 0.4f;
            pCum += s.rdepth(i);
            s.pCumStep(i) = pCum;
            s.S1Step(i) = 3.3333f - s.excess(i);
            s.gwFlow(i) = 12.5f + s.excess(i);
        }
    }
    s.maxq = 3999.9f;
    s.tmax = 1234;
    s.volume = 98765;
    s.stormDuration = static_cast<float>(rainSteps) * s.udur;
    s.tdepth = pCum;
    return s;
}

void plainWrite(const QString& path, const QByteArray& bytes)
{
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), f);
    std::fclose(f);
}

ReportBoxes benchBoxes()
{
    ReportBoxes boxes;
    boxes.txtTitle = QStringLiteral("Benchmark basin");
    boxes.txtTile2 = QStringLiteral("30000 one-minute ordinates");
    boxes.ComboDimgraph = QStringLiteral("SCS.DGF");
    return boxes;
}

void reportAgainstPlainWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(static_cast<int>(state.range(0)));
    const ReportBoxes boxes = benchBoxes();
    const QString plainPath = dir.filePath(QStringLiteral("Plain.GRF"));
    using Clock = std::chrono::steady_clock;
    double reportSeconds = 0, plainSeconds = 0, buildSeconds = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        writeHydrographReport(s, 0, QString(), boxes, dir.path());
        const auto t1 = Clock::now();
        state.PauseTiming();
        const auto b0 = Clock::now();
        const QByteArray same = buildHydrographReport(s, 0, QString(), boxes).text;
        buildSeconds += std::chrono::duration<double>(Clock::now() - b0).count();
        bytes = same.size();
        state.ResumeTiming();
        const auto t2 = Clock::now();
        plainWrite(plainPath, same);
        const auto t3 = Clock::now();
        reportSeconds += std::chrono::duration<double>(t1 - t0).count();
        plainSeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["report_ms"] = reportSeconds / n * 1e3;
    state.counters["plain_ms"] = plainSeconds / n * 1e3;
    state.counters["ratio"] = reportSeconds / plainSeconds;
    state.counters["build_ms"] = buildSeconds / n * 1e3;
    state.counters["bytes"] = static_cast<double>(bytes);
}

void reportWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(static_cast<int>(state.range(0)));
    const ReportBoxes boxes = benchBoxes();
    for (auto _ : state) writeHydrographReport(s, 0, QString(), boxes, dir.path());
}
BENCHMARK(reportWrite)->Arg(96)->Arg(kOrdinates - 1)->Unit(benchmark::kMillisecond);

void plainWriteOfTheSameBytes(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(static_cast<int>(state.range(0)));
    const QByteArray bytes = buildHydrographReport(s, 0, QString(), benchBoxes()).text;
    const QString path = dir.filePath(QStringLiteral("Temp.GRF"));
    for (auto _ : state) plainWrite(path, bytes);
}
BENCHMARK(plainWriteOfTheSameBytes)->Arg(96)->Arg(kOrdinates - 1)->Unit(benchmark::kMillisecond);

void fileOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    ComputeState s = longRun(kOrdinates - 1);
    ReportBoxes boxes;
    const QByteArray bytes = buildHydrographReport(s, 0, QString(), boxes).text;
    const QString path = dir.filePath(QStringLiteral("Temp.GRF"));
    for (auto _ : state) {
        if (state.range(0)) replaceFileWith(path, bytes);
        else plainWrite(path, bytes);
    }
}
BENCHMARK(fileOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void cellsOnly(benchmark::State& state)
{
    ComputeState s = longRun(96);
    std::string out(static_cast<std::size_t>(kOrdinates + 1) * 20, ' ');
    for (auto _ : state) {
        char* p = out.data();
        for (long i = 0; i <= kOrdinates; ++i) {
            p = putMaskCell(p, static_cast<float>(i) * s.udur, 5);
            if (state.range(0)) p = putFlowCell(p, s.qi(i));
            *p++ = '\r';
            *p++ = '\n';
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(cellsOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

// Rain over 96 steps (a design storm), and over nearly every ordinate (a long storm file).
BENCHMARK(reportAgainstPlainWrite)->Arg(96)->Arg(kOrdinates - 1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.ratio("reportWrite/96", "plainWriteOfTheSameBytes/96", 3.0);
    reporter.ratio("reportWrite/29999", "plainWriteOfTheSameBytes/29999", 3.0);
    benchmark::Shutdown();
    return 0;
}
