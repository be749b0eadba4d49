// The design storm from the depth-duration table, and the shape-preserving cubic
// curve fit (CRVFIT / EvalCurve) that it and the dimensionless graphs share.
#pragma once

#include <cstdint>

#include "common/varray.h"

namespace corv {

// Fills the hyetograph rdepth(1..m) from the table durations/depths(1..obs), arranged
// by arrangement (0 None, 1 Peak at 2/3, 2 Peak at 1/3, 3 Peak Centered); obs goes in
// as the row count and comes out as the step count m. Arrays are indexed as the
// caller sized them; an index past them is "Subscript out of range".
void BuildDesignStorm(std::int16_t& arrangement, VArray<float>& durations, VArray<float>& depths,
                      VArray<float>& slopes, std::int16_t& obs, VArray<float>& stepTimes, VArray<float>& rdepth,
                      float& stormDuration, float& udur, VArray<float>& cumDepth, VArray<float>& incDepth);

// Slopes t(1..N) of a monotone piecewise cubic through (x, y)(1..N); IER 0 on
// success, 2 for too few points or abscissae that do not increase.
void CRVFIT(const VArray<float>& x, const VArray<float>& y, VArray<float>& t, std::int16_t N, std::int16_t& IER);

// The curve at abscissa a. Element 0 of the arrays is the curve's first point; hint
// is kept by the caller across a run of non-decreasing abscissae (start it at 1).
void EvalCurve(double a, float& result, const VArray<float>& x, const VArray<float>& y, const VArray<float>& t,
               std::int16_t N, std::int16_t& hint);

// Sorts a(first..last) into descending order in place (iterative quicksort with a
// stack of 50 pending ranges; more is "Subscript out of range").
void SortDescending(VArray<float>& a, std::int16_t first, std::int16_t last);

}  // namespace corv
