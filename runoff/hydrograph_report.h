// The hydrograph report file Temp.GRF (the program's hydrograph file layout, in
// nine-character cells) and the one-line summary for the window's caption, for a
// compute and for a routing or combining run.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "runoff/compute_state.h"

namespace corv {

// The window's boxes the report prints, as typed.
struct ReportBoxes {
    QString txtTitle{};
    QString txtTile2{};
    QString ComboDimgraph{};  // the chosen method
    // The triangle method's factors and ratios.
    QString txtC{};
    QString txtLca{};
    QString txtS{};
    QString txtelv1{};
    QString txtElv2{};
    // The routing frame.
    QString txtMuskK{};
    QString txtMuskX{};
    QString txtTatum{};
    QString capTatum{};
};

struct HydrographReport {
    QByteArray text;  // lines ending CR LF
    QString caption;
};

// Builds the report: the compute layout when routeType is 0, the routing layout
// otherwise (1 Modified Puls, 2 Muskingum, 3 combined file, 4 travel time). Like the
// report always has, it leaves its marks in s: rainLoss, the masks, the Rational
// excess times C, maxq (and maxout) and every printed gwFlow rounded by usgsround,
// rrtime dated to it (continueStepDates), stepDate. A value outside its array is
// "Subscript out of range".
HydrographReport buildHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                                       const ReportBoxes& boxes);

// Database rain: gives every ordinate 1..it a date in rrtime, the recorded one where
// there is one (above 1), else the one before it plus a time step, so that the rows,
// the peaks and a combined flow all go by the same dates.
void continueStepDates(ComputeState& s);
// The date of ordinate i of a dated hydrograph (rrtime continued to i).
double ordinateDate(const ComputeState& s, long i);

// Builds the report and writes it to folder/Temp.GRF (s.reportPath) through the one
// save path (a failure raises a SaveError and keeps the earlier report); returns the caption.
QString writeHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                              const ReportBoxes& boxes, const QString& folder);

}  // namespace corv
