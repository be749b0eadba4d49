// Routing of long hydrographs and the reading of a long report file. Figures:
// Muskingum and Modified Puls each over 32,000 ordinates (target: under 5 ms),
// TatumRoute with 1,200 passes over 30,000 ordinates (under 5 ms), and reading a
// report of 9,000 rows / reading the same file line by line without parsing (at most 3).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "common/dialogs.h"
#include "hydrograph_load.h"
#include "ratio_reporter.h"
#include "runoff/hydrograph_file.h"
#include "runoff/hydrograph_report.h"
#include "runoff/routing.h"

using namespace corv;

namespace {

// A train of storms: it ordinates of inflow at 15-minute steps.
ComputeState inflow(long ordinates)
{
    ComputeState s;
    s.udur = 0.25f;
    s.it = static_cast<std::int16_t>(ordinates);
    s.newit = static_cast<std::int16_t>(std::min(5 * ordinates, 32000L));
    s.qi.redim(ordinates);
    for (long i = 1; i <= ordinates; ++i) {
        const float t = static_cast<float>(i % 400) / 40.0f;
        s.qi(i) = 20.0f + 900.0f * t * t * std::exp(2.0f - 2.0f * t);
    }
    s.qout.redim(1);
    s.elvout.redim(s.newit);
    s.maxq = 920;
    return s;
}

void muskingumBench(benchmark::State& state)
{
    const ComputeState start = inflow(32000);
    long routed = 0;
    for (auto _ : state) {
        ComputeState s = start;
        muskingum(s, 1.5f, 0.2f, false);
        routed = s.it;
    }
    state.counters["ordinates"] = static_cast<double>(routed);
}

void modpulBench(benchmark::State& state)
{
    QTemporaryDir dir;
    // A 100-row reservoir table: storage rising with the square of the depth.
    QByteArray text = "Reservoir\r\n100\r\n";
    for (int i = 0; i < 100; ++i) {
        const double depth = 0.25 * i;
        text += QByteArray::number(5000 + depth) + "," + QByteArray::number(80 * std::pow(depth, 1.5)) + "," +
                QByteArray::number(30 * depth * depth) + "\r\n";
    }
    const QString path = dir.filePath("res.RAT");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text);
    f.close();
    const ComputeState start = inflow(32000);
    const RatingTable table = readRatingTable(path, start.udur);
    long routed = 0;
    for (auto _ : state) {
        ComputeState s = start;
        modpul(s, table, "", false);
        routed = s.it;
    }
    state.counters["ordinates"] = static_cast<double>(routed);
}

void tatumBench(benchmark::State& state)
{
    ComputeState start = inflow(30000);
    start.tatumTime = 150;  // Int(2 x 150 / 0.25 + 0.5) = 1200 passes
    for (auto _ : state) {
        ComputeState s = start;
        TatumRoute(s, false);
        benchmark::DoNotOptimize(s.maxout);
    }
}

// A 9,000-row report of this program in its compute layout.
QString reportFile(const QTemporaryDir& dir)
{
    ComputeState s = inflow(9000);
    s.rainMode = 1, s.scsMode = true, s.obs = 96;
    for (VArray<float>* a : {&s.rdepth, &s.excess, &s.gwFlow, &s.S1Step, &s.pCumStep}) a->redim(9001);
    writeHydrographReport(s, 0, QString(), ReportBoxes{}, dir.path());
    return dir.filePath("Temp.GRF");
}

void readReport(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = reportFile(dir);
    bench::loadHydrographEachIteration(state, path);
}

void readLines(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = reportFile(dir);
    char line[256];
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) state.SkipWithError("no file");
        long lines = 0;
        while (f.readLine(line, sizeof line) > 0) ++lines;
        benchmark::DoNotOptimize(lines);
    }
}

BENCHMARK(muskingumBench)->Apply(bench::medianOfSeven);
BENCHMARK(modpulBench)->Apply(bench::medianOfSeven);
BENCHMARK(tatumBench)->Apply(bench::medianOfSeven);
BENCHMARK(readReport)->Apply(bench::medianOfSeven);
BENCHMARK(readLines)->Apply(bench::medianOfSeven);

}  // namespace

int main(int argc, char** argv)
{
    bench::initialize(argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ms = [&](const char* what, const char* name, double limit) {
        if (reporter.seconds(name) >= 0) bench::RatioReporter::figure(what, reporter.seconds(name) * 1e3, limit);
    };
    ms("muskingum, 32,000 ordinates (ms)", "muskingumBench", 5);
    ms("modpul, 32,000 ordinates (ms)", "modpulBench", 5);
    ms("TatumRoute, 1,200 passes over 30,000 ordinates (ms)", "tatumBench", 5);
    reporter.ratio("readReport", "readLines", 3.0);
    benchmark::Shutdown();
    return 0;
}
