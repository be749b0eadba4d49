// Basin geometry: area, perimeter, centroid, stream length and length below the
// centroid of the figure just traced, with its report lines.
#pragma once

#include "map/map_model.h"

namespace corv {

class Dialogs;

// Measures the figure traceStart(traceCount) .. segmentIndex, appends the extents and
// report lines to Text1 and sets the report texts and centroids. A run-time error is
// shown in a message box and ends the measurement; what was written stays.
void ComputeTraceStats(MapModel& m, Dialogs& dialogs);

// The same measurement without its handler (errors propagate).
void measureTrace(MapModel& m);

}  // namespace corv
