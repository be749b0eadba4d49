// The two database paths of a compute: recorded rainfall made into the storm of the
// compute, and recorded flow written to TmpHDB.GRF for the combine.
#pragma once

#include <QString>
#include <functional>

#include "runoff/compute_state.h"
#include "runoff/rainfall.h"

namespace corv {

class DateForm;
class Dialogs;

// What the database paths need from the windows.
struct DatabaseLink {
    DateForm* form = nullptr;  // the period window
    QString folder;            // the program's folder
    Dialogs* dialogs = nullptr;
    // The hydrograph window's time-step settings.
    bool chkAutoTimeStep = true;
    QString txtGraphtimestep;
    QString Label14;
    std::function<void()> processEvents;
    bool hydrographPlotted = false;  // a current hydrograph waits to be combined
};

// Rainfall: the retrieval sequence and GetHDB; the series becomes the storm (its
// steps, the step as the time step, the station as the second title), the table's
// boxes are emptied, and the count is told (with the recorded depth beside the one used
// when filling added depth). Ends the compute when nothing came back, the prompt or the
// period window was cancelled, or the station box holds no entry of its list; "No data
// in HDB for time period." only follows a query that found no rows.
StageEnd databaseRainfall(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link);

// Flow: the retrieval sequence and GetHDBQ; on success combineFileName names
// TmpHDB.GRF and the step and station go to the boxes. Ends the combine when nothing
// came back (the retrieval has said why), the prompt was cancelled, the station box
// holds no entry of its list, or when the flow's step is not the current
// hydrograph's: their ordinates would not match.
StageEnd databaseFlow(ComputeState& s, RainfallBoxes& boxes, const DatabaseLink& link);

}  // namespace corv
