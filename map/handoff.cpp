// The hand-off of the basin measurements to the hydrograph window.
#include "map/handoff.h"

namespace corv {

QString reportNumberText(const QString& report)
{
    // 0-based: the number starts two characters after "=" (a report without "="
    // starts at its second character, as the position rule gives).
    const qsizetype p = report.indexOf(QLatin1Char('=')) + 2;
    if (p >= report.size()) return {};
    const qsizetype q = report.indexOf(QLatin1Char(' '), p);
    return q < 0 ? report.mid(p) : report.mid(p, q - p);
}

BasinMeasurements basinMeasurements(const MapState& s)
{
    BasinMeasurements m;
    m.areaNumber = s.areaCount;
    if (!s.streamLengthReport.isEmpty()) m.streamLength = reportNumberText(s.streamLengthReport);
    if (!s.belowCentroidReport.isEmpty()) m.lengthBelowCentroid = reportNumberText(s.belowCentroidReport);
    if (!s.areaReport.isEmpty()) m.basinArea = reportNumberText(s.areaReport);
    // Each number goes with the units it was measured in; with no report yet, the
    // units of the scale in force.
    m.lengthUnits = s.streamLengthReport.isEmpty() ? s.lengthUnits : s.streamReportUnits;
    m.areaUnits = s.areaReport.isEmpty() ? s.areaUnits : s.areaReportUnits;
    return m;
}

}  // namespace corv
