// Checks of stage results (see finite_check.h).
#include "runoff/finite_check.h"

#include <cmath>
#include <string>

#include "common/runtime_error.h"

namespace corv {

namespace {

[[noreturn]] void notFinite(const std::string& what, double value)
{
    throw RuntimeError(err::kOverflow, "Overflow: the " + what + " came out as " +
                                           (std::isnan(value) ? "not a number" : "infinite") +
                                           "; check the numbers typed in the boxes and read from files.");
}

template <class T>
void series(const VArray<T>& values, const char* what)
{
    const std::vector<T>& v = values.vec();
    for (std::size_t i = 0; i < v.size(); ++i)
        if (!std::isfinite(v[i])) notFinite(std::string(what) + " at step " + std::to_string(i), v[i]);
}

void total(double value, const char* what)
{
    if (!std::isfinite(value)) notFinite(what, value);
}

}  // namespace

void requireFiniteResults(const ComputeState& s, RunResults results)
{
    if (results == RunResults::Routing) {
        series(s.qi, "runoff");
        series(s.qout, "routed outflow");
        series(s.storout, "routed storage");
        series(s.elvout, "routed elevation");
        total(s.maxq, "peak flow");
        total(s.volume, "runoff volume");
        total(s.maxout, "peak outflow");
        return;
    }
    series(s.rdepth, "rainfall depth");
    total(s.tdepth, "total rainfall depth");
    if (results == RunResults::Rainfall) return;
    series(s.excess, "rainfall excess");
    series(s.gwFlow, "ground-water flow");
    series(s.pCumStep, "cumulative rainfall");
    series(s.S1Step, "retention");
    total(s.rainSum, "rainfall sum");
    if (results == RunResults::Losses) return;
    series(s.qi, "runoff");
    total(s.excessTotal, "total rainfall excess");
    total(s.maxq, "peak flow");
    total(s.volume, "runoff volume");
}

}  // namespace corv
