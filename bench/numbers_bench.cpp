// Reading long runs of text. Figures: the number scanner over a run of 4 MB of digits
// and splitting a 60 MB line into fields, each well under a second (limit 500 ms) and
// at most 5 times the same at a quarter of the size (linear: 4; a scanner that copies
// what it has read at every character gives 16); the storm-file and hydrograph-file
// readers given a 60 MB line, at most 3 times reading that file whole.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/read_file.h"
#include "hydrograph_load.h"
#include "ratio_reporter.h"
#include "runoff/hydrograph_file.h"
#include "runoff/rainfall.h"
#include "runoff/text_fields.h"

using namespace corv;

namespace {

constexpr long kMB = 1024 * 1024;

void valDigits(benchmark::State& state)
{
    const std::string digits = "0." + std::string(static_cast<std::size_t>(state.range(0) * kMB), '7');
    for (auto _ : state) benchmark::DoNotOptimize(Val(digits));
}

// Fields of five characters ("0.25,"), as a flow series pasted into one line.
std::string longLine(long bytes)
{
    std::string line;
    line.reserve(static_cast<std::size_t>(bytes));
    while (static_cast<long>(line.size()) + 5 <= bytes) line += "0.25,";
    return line;
}

void splitLine(benchmark::State& state)
{
    const std::string line = longLine(state.range(0) * kMB);
    for (auto _ : state) benchmark::DoNotOptimize(splitFields(line, ',').size());
}

// A storm file whose one data line, and a hydrograph file whose one row, run on for
// 60 MB of further fields; both readers take what they need from it.
QString writeFile(const QTemporaryDir& dir, const char* name, const std::string& text)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
    return f.fileName();
}

const std::string kStorm = "t\r\n1,0.5\r\n0.5,0.25," + longLine(60 * kMB) + "\r\n";
const std::string kHydrograph = "Time,Runoff\r\n0,5," + longLine(60 * kMB) + "\r\n0.25,7\r\n0.5,3\r\n0.75,1\r\n";

void readStorm(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "long.STM", kStorm);
    for (auto _ : state) {
        ComputeState s;
        readStormFile(s, path);
        benchmark::DoNotOptimize(s.tdepth);
    }
}

void readHydrograph(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "long.GRF", kHydrograph);
    bench::loadHydrographEachIteration(state, path);
}

// The baseline: the same file read whole into memory.
void readWhole(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "long.GRF", kHydrograph);
    for (auto _ : state) benchmark::DoNotOptimize(readRegularFile(path, 64 * kMB).bytes.size());
}

void sizes(benchmark::internal::Benchmark* b, long small, long large)
{
    b->Arg(small)->Arg(large);
    bench::medianOfSeven(b);
}

BENCHMARK(valDigits)->Apply([](auto* b) { sizes(b, 1, 4); });
BENCHMARK(splitLine)->Apply([](auto* b) { sizes(b, 15, 60); });
BENCHMARK(readStorm)->Apply(bench::medianOfSeven);
BENCHMARK(readHydrograph)->Apply(bench::medianOfSeven);
BENCHMARK(readWhole)->Apply(bench::medianOfSeven);

}  // namespace

int main(int argc, char** argv)
{
    bench::initialize(argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [big, little] : {std::pair{"valDigits/4", "valDigits/1"}, {"splitLine/60", "splitLine/15"}}) {
        if (reporter.seconds(big) >= 0) bench::RatioReporter::figure(std::string(big) + " (ms)", reporter.seconds(big) * 1e3, 500);
        reporter.ratio(big, little, 5.0);
    }
    reporter.ratio("readStorm", "readWhole", 3.0);
    reporter.ratio("readHydrograph", "readWhole", 3.0);
    benchmark::Shutdown();
    return 0;
}
