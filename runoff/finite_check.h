// The compute's guard against numbers that stopped being numbers: a stage result that
// is infinite or not a number ends the compute with a run-time error naming it, so
// that no such value reaches the report or the chart.
#pragma once

#include "runoff/compute_state.h"

namespace corv {

// Raises "Overflow: the <quantity> at step <i> came out as <infinite / not a number>;
// check the numbers typed in the boxes and read from files." for the first
// non-finite value among the series and totals the stages have written.
void requireFiniteResults(const ComputeState& s);

}  // namespace corv
