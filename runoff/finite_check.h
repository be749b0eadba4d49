// The compute's guard against numbers that stopped being numbers: a stage result that
// is infinite or not a number ends the compute with a run-time error naming it, so
// that no such value reaches the report or the chart.
#pragma once

#include "runoff/compute_state.h"

namespace corv {

// The results a check looks at: those the run has written so far. What an earlier run
// left (the runoff of a compute that failed, say) is not this run's and stops nothing.
enum class RunResults {
    Rainfall,    // the rainfall series and its total depth
    Losses,      // the above, and the excess, ground-water and loss-store columns
    Hydrograph,  // the above, and the runoff with its peak and volume
    Routing,     // a routed or combined hydrograph: inflow, outflow, storage, elevation
};

// Raises "Overflow: the <quantity> at step <i> came out as <infinite / not a number>;
// check the numbers typed in the boxes and read from files." for the first
// non-finite value among the given results.
void requireFiniteResults(const ComputeState& s, RunResults results);

}  // namespace corv
