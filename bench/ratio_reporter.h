// A console reporter that remembers each benchmark's time, so that a run can print
// its figures as ratios to a baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace corv::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // The median of repetitions when there are any (a busy machine jitters), else the run.
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            const std::string name = r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
            if (r.run_type == Run::RT_Iteration && !medians_.count(name)) times_[name] = r.GetAdjustedRealTime();
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                times_[name] = r.GetAdjustedRealTime();
                medians_.insert(name);
            }
        }
    }
    // Prints name / baseline with the limit it must stay under; false when over it.
    bool ratio(const std::string& name, const std::string& baseline, double limit) const
    {
        const auto a = times_.find(name), b = times_.find(baseline);
        if (a == times_.end() || b == times_.end() || b->second <= 0) {
            std::printf("ratio %s / %s: not measured in this run\n", name.c_str(), baseline.c_str());
            return true;
        }
        const double r = a->second / b->second;
        std::printf("ratio %-40s / %-28s = %5.2f (limit %.1f) %s\n", name.c_str(), baseline.c_str(), r, limit,
                    r <= limit ? "ok" : "OVER");
        return r <= limit;
    }

private:
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

}  // namespace corv::bench
