// A console reporter that remembers each benchmark's time, so that a run can print its
// figures against limits and as ratios to a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace corv::bench {

// The settings of a figure that must be steady: the median of seven runs, wall-clock time.
inline void medianOfSeven(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);
}

// Benchmark's own start, with the repetitions of all benchmarks run in a shuffled order,
// so that a machine busier for a while slows a figure and its baseline alike.
inline void initialize(int& argc, char** argv)
{
    static std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);  // an explicit flag given later wins
    argc = static_cast<int>(args.size());
    benchmark::Initialize(&argc, args.data());
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Keeps, in seconds, the median of repetitions where there are any, else the run itself.
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string name = r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.error_occurred || !(median || (r.run_type == Run::RT_Iteration && !medians_.count(name)))) continue;
            times_[name] = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
            if (median) medians_[name] = true;
        }
    }
    // The time of a benchmark of this run in seconds, or -1 when it was not measured.
    double seconds(const std::string& name) const { return times_.count(name) ? times_.at(name) : -1; }
    // Prints a figure with the limit it must stay under; false when over it.
    static bool figure(const std::string& what, double value, double limit)
    {
        std::printf("%-70s = %7.2f (limit %.1f) %s\n", what.c_str(), value, limit, value <= limit ? "ok" : "OVER");
        return value <= limit;
    }
    // Prints name / baseline with the limit it must stay under; false when over it.
    bool ratio(const std::string& name, const std::string& baseline, double limit) const
    {
        const double a = seconds(name), b = seconds(baseline);
        return a >= 0 && b > 0 ? figure("ratio " + name + " / " + baseline, a / b, limit)
                               : std::printf("ratio %s / %s: not measured\n", name.c_str(), baseline.c_str()) > 0;
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

}  // namespace corv::bench
