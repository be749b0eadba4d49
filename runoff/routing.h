// Hydrograph routing: Muskingum channel routing, Modified Puls storage routing through
// a storage-routing table (*.RAT) and travel-time routing by repeated averaging. Each
// routes the inflow qi (or, after a loaded or combined file, the current outflow qout)
// into qout and replaces it by the routed length.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "common/varray.h"
#include "runoff/compute_state.h"

namespace corv {

// A storage-routing table: rows 1..n of elevation (ft), outflow (cfs), storage
// (acre-ft) and the storage-indication value 2S/dt + O (cfs), entry 0 left at 0.
struct RatingTable {
    QString path;  // named in every message about the table
    std::int16_t n = 0;
    VArray<float> elevation;
    VArray<float> outflow;
    VArray<float> storage;
    VArray<float> indication;
};

// Reads a *.RAT file: a title line, the row count (1 to 100), then one row a line of
// elevation, outflow and storage separated by commas (when line 3 holds one) or TABs.
// udur (hours) gives the storage-indication column. Any fault of the file is a
// run-time error naming the file and the line.
RatingTable readRatingTable(const QString& path, float udur);

// The last ordinate a routed hydrograph may reach (counts are 16-bit).
constexpr long kLastRoutedOrdinate = 32000;

// Muskingum and Modified Puls stop below the flow threshold of their peak once the
// inflow has ended and under 1 % of it is still stored, or, from ordinate s.newit - 1
// on, as soon as under 1 % is; for Modified Puls the water above the pool's rest level
// at the begin elevation counts with the inflow. A routing still holding more at
// kLastRoutedOrdinate stops there and keeps what it routed, peak included; its result
// then says how much of the water is still stored. Each returns what the user is to be told after the
// routing ("" when nothing).

// Muskingum routing with K hours and the weight X over the step s.udur, from the
// inflow qi (from qout when routeAgain), starting steady: the first outflow is the
// first inflow.
std::string muskingum(ComputeState& s, float K, float X, bool routeAgain);

// Modified Puls routing through table from ordinate 0, starting at the elevation
// beginElevation (the text of the "Begin Elev" box; blank, or at or below the first
// row, starts at the first row). Fills qout, elvout and storout and the peak
// elevation maxelv. A pool above the last row is extrapolated from the last two rows,
// and the result says how high it rose.
std::string modpul(ComputeState& s, const RatingTable& table, const QString& beginElevation, bool routeAgain);

// Travel-time routing: the hydrograph averaged over neighbouring ordinates once per
// half step of the travel time s.tatumTime (hours), starting steady at the first inflow.
void TatumRoute(ComputeState& s, bool routeAgain);

}  // namespace corv
