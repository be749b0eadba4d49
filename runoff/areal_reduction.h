// Areal reduction of point rainfall depths: the factor table and its lookup, the
// table-locating rule shared with storage routing, and the factor column's click.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "common/varray.h"

namespace corv {

class Dialogs;

// Finds the pair of entries of table (numbered from 1, n entries in use) that
// brackets x. k on entry: 0 for an ascending table, anything else for a descending
// one; on return the lower index of the pair (0 when x lies at or before the first
// entry) and fraction the position of x between the two entries. A value beyond the
// n-th entry reads the entry after it (a 0 there extrapolates from the last pair).
// Missing entries or equal neighbours raise a run-time error for the caller.
void LocateInTable(float x, const VArray<float>& table, std::int16_t n, float& fraction, std::int16_t& k);

// The areal reduction factor of a basin of area square miles for a storm of duration
// hours, interpolated in the logarithms of area, duration and factor. A failure is
// shown through dialogs and gives 0.
float ArealReductionFactor(float area, float duration, Dialogs& dialogs);

// What chkAreaAdj_Click reads from the window.
struct ArealReductionInputs {
    QString basinArea;    // txtBasinArea
    QString areaCaption;  // Label10: "acre" or "ft^2" in it gives the unit
    bool ticked = false;  // chkAreaAdj after the click
    std::array<QString, 8> durations;  // txtDuration(0..7), hours
};

// The new texts of txtArealAdj(0..7); rows without a duration (and every row when the
// area is 0) keep their text (nothing).
std::array<std::optional<QString>, 8> chkAreaAdj_Click(const ArealReductionInputs& in, Dialogs& dialogs);

// The basin area in square miles from the area box and its caption.
float basinAreaSquareMiles(const QString& text, const QString& caption);

}  // namespace corv
