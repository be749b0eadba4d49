// The hydrograph file reader: loads a hydrograph file (a report of this program in
// nine-character cells, or a comma- or TAB-separated table with a "Time" header) as
// the current hydrograph, or adds it ordinate by ordinate to the current one.
#pragma once

#include <QString>
#include <cstdint>

#include "runoff/compute_state.h"

namespace corv {

class Dialogs;

enum class HydrographLoad {
    Fresh,  // no hydrograph plotted: the file becomes the hydrograph (qi and qout)
    Add,    // added to the current hydrograph (its outflow, or the computed runoff)
};

// Reads the file at path into s. routeAgain is the window's flag: on return it is
// true (the current hydrograph is now qout, and the next routing starts from it).
// Row k goes to ordinate k, counted in a file of times in hours from the ordinate of
// its first time (2 h at 1-hour steps: ordinate 2; the ordinates before keep their
// flows), except for a file of "dd hh:mm" times added to a hydrograph whose ordinates
// carry dates (database rain): each flow goes to the ordinate of its own date, flows
// past the end extend it, and flows before ordinate 1 are left out (told through
// dialogs). Returns the route type for the report, 3. Any fault of the file
// (unreadable, no header or value column, a value or time that is no number, times
// that stand still or go back, a first time in hours below 0 or off the steps, a step
// unlike s.udur, fewer than four or too many rows, sums beyond single precision) is a
// run-time error naming the file and the line, and s is then as it was.
std::int16_t LoadHydrographFile(const QString& path, ComputeState& s, HydrographLoad mode, bool& routeAgain,
                                Dialogs& dialogs);

// The time-step box's text for the step udur (hours): in minutes when the box's
// caption (Label14) says minutes.
QString timeStepBoxText(float udur, const QString& Label14);

}  // namespace corv
