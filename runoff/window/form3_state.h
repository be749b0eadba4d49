// The hydrograph window's state that lives for the whole run: it survives closing and
// reopening the window, while the window's controls come back with their design values.
#pragma once

#include <QString>
#include <cstdint>

#include "common/varray.h"
#include "runoff/compute_state.h"
#include "runoff/window/hydrograph_chart.h"

namespace corv {

// Route type codes.
namespace route {
inline constexpr std::int16_t kNone = 0;
inline constexpr std::int16_t kModifiedPuls = 1;
inline constexpr std::int16_t kMuskingum = 2;
inline constexpr std::int16_t kCombined = 3;
inline constexpr std::int16_t kTravelTime = 4;
inline constexpr std::int16_t kGoRequest = 99;
}  // namespace route

struct Form3State {
    float lastTimeStep = 0;  // time-step number as typed at the previous compute
    std::int16_t routeType = route::kNone;
    bool routeAgain = false;  // the next routing starts from the current outflow
    QString ratingFileName;   // storage-routing table of the last Modified Puls run
    // Set again by every load of the window.
    bool hydrographPlotted = false;
    TwipGeometry chartHome;            // the chart's design place
    VArray<float> hourlyRecovery;      // hours 0..23 (slot 24 stays 0)
    VArray<float> monthlyRecovery;     // months 1..12 (slots 0 and 13 stay 0)

    ComputeState computeState;
};

}  // namespace corv
