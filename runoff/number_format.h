// Number shapes of the hydrograph report and caption: fixed-width cells (fm) and the
// rounding of flows and volumes by magnitude (usgsround).
#pragma once

#include <string>
#include <string_view>

namespace corv {

// The value formatted by the mask, right-justified in a cell as wide as the mask;
// a text longer than the cell keeps its leftmost characters.
std::string fm(double x, std::string_view formatp);

// Rounds V in place (and returns it): to the nearest ten from 999.5 up, otherwise to
// 0, 1, 2 or 3 decimals by size, the size test on the absolute value.
float usgsround(float& V);

}  // namespace corv
