// Memory, not time, of the hydrograph file reader given a 60 MB line: the header "Time",
// 60 million commas, "Runoff" (the reader refuses the file, which has no rows), and a
// file of 60 million blank lines with a header at the end. Each run reads once and
// reports the most resident memory the read added (peak_MB) beside the file's size
// (file_MB) and their ratio (peak_per_file): the bytes read are one file's worth; a
// reader holding the header's fields, or the file's lines, as a list needs 16 bytes
// more a comma or a line.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "common/dialogs.h"
#include "runoff/compute_state.h"
#include "runoff/hydrograph_file.h"

using namespace corv;

namespace {

constexpr long kCommas = 60'000'000;

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
double statusMB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024.0;
    return -1;
}

// Writes the text made by `make` and frees it before anything is measured.
template <class Make>
QString writeFile(const QTemporaryDir& dir, const char* name, Make make)
{
    const std::string text = make();
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
    return f.fileName();
}

void peakOfRead(benchmark::State& state, const QString& path)
{
    ScriptedDialogs dialogs;
    double peak = 0;
    for (auto _ : state) {
        // Writing 5 resets the peak to the memory resident now.
        std::ofstream("/proc/self/clear_refs") << "5";
        const double before = statusMB("VmRSS");
        try {
            ComputeState s;
            bool routeAgain = false;
            LoadHydrographFile(path, s, HydrographLoad::Fresh, routeAgain, dialogs);
        } catch (const std::exception&) {
        }
        peak = statusMB("VmHWM") - before;
    }
    const double file = static_cast<double>(QFile(path).size()) / (1024.0 * 1024.0);
    state.counters["file_MB"] = file;
    state.counters["peak_MB"] = peak;
    state.counters["peak_per_file"] = peak / file;
}

void headerLine(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path =
        writeFile(dir, "header.GRF", [] { return "Time" + std::string(kCommas, ',') + "Runoff\r\n"; });
    peakOfRead(state, path);
}

void blankLines(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "blank.GRF", [] {
        return std::string(kCommas, '\n') + "Time,Runoff\r\n0,1\r\n0.25,2\r\n0.5,3\r\n0.75,4\r\n";
    });
    peakOfRead(state, path);
}

BENCHMARK(headerLine)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(blankLines)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
