// The hydrograph report of 32,000 rows in the compute layout, written as the program
// writes it, against the same bytes written to a new file with one plain write and
// renamed over the old one (as the program's save path replaces a file); the run
// ends with their ratios (target: at most 3).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <random>

#include "runoff/hydrograph_report.h"
#include "ratio_reporter.h"

using namespace corv;

namespace {

constexpr int kOrdinates = 32000;

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
    const QByteArray path = dir.filePath("Temp.GRF").toLocal8Bit(), fresh = path + ".new", aside = path + ".old";
    std::FILE* first = std::fopen(path.constData(), "wb");
    std::fclose(first);
    // Rewriting the file in place would make ext4 flush it at close; the program never
    // does that, it writes a new file and steps the old one aside.
    for (auto _ : state) {
        const int fd = ::open(fresh.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) != bytes.size() ||
            ::close(fd) != 0 || std::rename(path.constData(), aside.constData()) != 0 ||
            std::rename(fresh.constData(), path.constData()) != 0 || ::unlink(aside.constData()) != 0)
            state.SkipWithError("the plain write failed");
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

// Rain over 96 steps (a design storm), and on every row (a long storm file).
BENCHMARK(reportWrite)->Arg(96)->Arg(kOrdinates - 1)->Apply(corv::bench::medianOfSeven);
BENCHMARK(plainWrite)->Arg(96)->Arg(kOrdinates - 1)->Apply(corv::bench::medianOfSeven);

}  // namespace

int main(int argc, char** argv)
{
    corv::bench::initialize(argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* arg : {"/96", "/31999"})
        reporter.ratio(std::string("reportWrite") + arg, std::string("plainWrite") + arg, 3.0);
    benchmark::Shutdown();
    return 0;
}
