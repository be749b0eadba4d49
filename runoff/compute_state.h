// The hydrograph window's compute state: every working array and value of one
// computation, kept for the whole run.
#pragma once

namespace corv {

struct ComputeState {
};

}  // namespace corv
