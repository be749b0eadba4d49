// Start-up: the time and peak memory from starting the program to its first painted
// window (the map window), against a bare Qt widgets window started the same way, in the
// same X server, runs of the two interleaved. Targets: at most 1.5 times the bare
// window's time and 2 times its memory. Runs under the X server of DISPLAY, or a private
// Xvfb when there is none (offscreen, neither program would load an OpenGL driver).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "ratio_reporter.h"

namespace {

std::string programsFolder;
std::map<std::string, std::vector<double>> peaks;  // MiB, each run's

// Runs one program to its end: wall seconds, peak resident MiB.
std::pair<double, double> runOnce(const std::string& program)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
    return {wall.count(), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void firstWindow(benchmark::State& state, const std::string& program)
{
    for (auto _ : state) {
        const auto [seconds, mib] = runOnce(programsFolder + "/" + program);
        if (seconds < 0) {
            state.SkipWithError((program + " did not show its window").c_str());
            return;
        }
        state.SetIterationTime(seconds);
        peaks[program].push_back(mib);
    }
}

void settings(benchmark::internal::Benchmark* b)
{
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(9)->ReportAggregatesOnly(true);
}

BENCHMARK_CAPTURE(firstWindow, corvantine, std::string("startup_corvantine"))->Apply(settings);
BENCHMARK_CAPTURE(firstWindow, bare, std::string("startup_bare_window"))->Apply(settings);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    {
        QCoreApplication app(argc, argv);
        programsFolder = QCoreApplication::applicationDirPath().toStdString();
    }
    QProcess xvfb;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
        if (!xvfb.waitForReadyRead(10000)) return std::fprintf(stderr, "startup_bench: no DISPLAY and no Xvfb\n"), 1;
        qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    corv::bench::initialize(argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("firstWindow/corvantine", "firstWindow/bare", 1.5);
    const double a = median(peaks["startup_corvantine"]), b = median(peaks["startup_bare_window"]);
    if (a > 0 && b > 0) {
        std::printf("peak memory: corvantine %.1f MiB, bare window %.1f MiB (medians)\n", a, b);
        corv::bench::RatioReporter::figure("ratio of peak memory corvantine / bare", a / b, 2.0);
    }
    benchmark::Shutdown();
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return 0;
}
