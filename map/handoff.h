// The basin measurements the map window hands to the hydrograph window.
#pragma once

#include <QString>

#include "common/shell.h"
#include "map/map_state.h"

namespace corv {

// The number text of a report: from two characters after its first "=" up to the
// next blank ("Area1= 12.3 (mi^2), ..." gives "12.3").
QString reportNumberText(const QString& report);

// The measurements taken from the map state; a report that is still empty gives no value.
BasinMeasurements basinMeasurements(const MapState& s);

}  // namespace corv
