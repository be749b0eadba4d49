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
// A time step that differs from s.udur is told through dialogs and ends the rows
// there. Returns the route type for the report: 3 when more than two rows were
// stored, otherwise 0. Any fault of the file (unreadable, no header or value
// column, a value that is no number, too many rows) is a run-time error naming the
// file, raised before anything in s has changed.
std::int16_t LoadHydrographFile(const QString& path, ComputeState& s, HydrographLoad mode, bool& routeAgain,
                                Dialogs& dialogs);

// The time-step box's text for the step udur (hours): in minutes when the box's
// caption (Label14) says minutes.
QString timeStepBoxText(float udur, const QString& Label14);

}  // namespace corv
