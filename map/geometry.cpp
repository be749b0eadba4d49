// Basin geometry and its report. The widths of the working quantities decide the last
// digits of the report: 32-bit points and lengths, a 64-bit shoelace and moments.
#include "map/geometry.h"

#include <algorithm>
#include <cmath>

#include "common/guard.h"
#include "common/module1.h"
#include "common/numbers.h"
#include "map/text1_lines.h"

namespace corv {

namespace {

constexpr double kMilesPerDegree = 69.0933;
constexpr double kDegreesPerRadian = 57.2957795;

QString str(float v) { return QString::fromStdString(strSingle(v)); }
QString fmt(float v) { return QString::fromStdString(formatMeasurement(v)); }

struct Point {
    double x = 0, y = 0;
};

// A segment end point (viewport twips) in map units of the scale in force, each
// coordinate stored as a 32-bit float.
Point toMapUnits(const MapModel& m, float X, float Y)
{
    const MapState& s = m.s;
    const double left = m.Image1.rect.Left, top = m.Image1.rect.Top;
    if (s.pixelPairScale)
        return {toSingle((X - left - s.refPointX) * static_cast<double>(s.scaleX) + s.refMapX),
                toSingle((Y - top - s.refPointY) * static_cast<double>(s.scaleY) + s.refMapY)};
    if (s.pixelScale)  // picture rows: y grows downward
        return {toSingle((X - left) * static_cast<double>(s.scaleX)),
                toSingle((Y - top) * static_cast<double>(s.scaleX))};
    return {toSingle(X * static_cast<double>(s.scaleX)),
            toSingle((m.UserControlPic1.Height - Y) * static_cast<double>(s.scaleX))};
}

// Degrees (lon, lat) to miles east and north of the kept origin, in 64-bit.
Point toMiles(const MapState& s, const Point& deg)
{
    return {(deg.x - s.originLon) * kMilesPerDegree * std::cos(s.originLat / kDegreesPerRadian),
            (deg.y - s.originLat) * kMilesPerDegree};
}

// A sum that is zero, or nothing but rounding next to the size of its terms.
bool negligible(double sum, double size) { return std::fabs(sum) <= 1e-12 * size; }

void extend(float& lo, float& hi, double v)
{
    const auto f = static_cast<float>(v);  // degrees or map units, already 32-bit
    if (f < lo) lo = f;
    if (f > hi) hi = f;
}

}  // namespace

void measureTrace(MapModel& m)
{
    MapState& s = m.s;
    const bool longLat = s.pixelPairScale && s.longLatScale;
    const long first = s.traceStart(s.traceCount);
    const long last = s.segmentIndex;  // read once

    float xmin = 1e38f, ymin = 1e38f, xmax = -1e38f, ymax = -1e38f;
    double S1 = 0, S2 = 0;
    float L = 0, dmin = 1e38f, Ln = 0, A = 0;
    // Line integrals along the edges (Green's theorem), exact for straight edges of any
    // direction: Ax = sum of x dy, Mx = sum of x^2/2 dy, Ay = sum of y dx, My = sum of
    // y^2/2 dx. Over a closed ring Mx / Ax and My / Ay are the polygon's own centroid.
    // In 64-bit: the squares of large map values would lose the centroid in 32 bits.
    double Ax = 0, Mx = 0, Ay = 0, My = 0, sizeAx = 0, sizeAy = 0;
    Point prevMiles;

    for (long k = first; k <= last; ++k) {
        const Segment& seg = m.Line1(k);
        const Point d1 = toMapUnits(m, seg.X1, seg.Y1);
        const Point d2 = toMapUnits(m, seg.X2, seg.Y2);
        extend(xmin, xmax, d1.x);
        extend(xmin, xmax, d2.x);
        extend(ymin, ymax, d1.y);
        extend(ymin, ymax, d2.y);

        Point p1 = d1, p2 = d2;
        if (longLat) {
            if (k == first) {
                if (s.traceMode == 1 || !s.originSet) {
                    // An area sets the origin at its first vertex; a stream keeps the
                    // last one, or sets it itself when this scale has none yet (miles
                    // east shrink with the cosine of the origin's latitude).
                    s.originLat = d1.y;
                    s.originLon = d1.x;
                    s.originSet = true;
                    p1 = {0, 0};
                } else {
                    p1 = toMiles(s, d1);
                }
            } else {
                p1 = prevMiles;
            }
            p2 = toMiles(s, d2);
            prevMiles = p2;
        }
        const double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;

        S1 += y1 * x2;
        S2 += x1 * y2;

        const double a = (x2 - x1) * (y1 + y2) / 2;
        Ay += a;
        sizeAy += std::fabs(a);
        My += (x2 - x1) * (y1 * y1 + y1 * y2 + y2 * y2) / 6;

        const double b = (y2 - y1) * (x1 + x2) / 2;
        Ax += b;
        sizeAx += std::fabs(b);
        Mx += (y2 - y1) * (x1 * x1 + x1 * x2 + x2 * x2) / 6;

        const float before = L;
        const double ex = x2 - x1, ey = y2 - y1, length2 = ex * ex + ey * ey;
        L = toSingle(L + std::sqrt(length2));

        // The point of the line nearest to the reference centroid, anywhere along a
        // segment: its vertices alone put it up to half a segment off, and a straight
        // stream traced with two clicks would have nothing below its centroid.
        const double t =
            length2 > 0 ? std::clamp(((s.centroidX - x1) * ex + (s.centroidY - y1) * ey) / length2, 0.0, 1.0) : 1.0;
        const double dx = s.centroidX - (x1 + t * ex), dy = s.centroidY - (y1 + t * ey);
        const float dist = toSingle(dx * dx + dy * dy);
        if (dist < dmin) {
            dmin = dist;
            Ln = t == 1.0 ? L : toSingle(before + t * std::sqrt(length2));
        }
    }

    // The very first figure numbers its segments from 0, so it needs two of them.
    if (s.segmentIndex >= 2) {
        if (s.traceMode == 1) A = toSingle(std::fabs((S1 - S2) / 2));
        // Collinear vertices enclose nothing (sums of rounding noise at most): the
        // centroid then keeps its previous value.
        if (!negligible(Ax, sizeAx) && !negligible(Ay, sizeAy)) {
            s.centroidX = toSingle(Mx / Ax);
            s.centroidY = toSingle(My / Ay);
        }
        if (s.traceMode == 1) {
            s.areaCentroidX = s.centroidX;
            s.areaCentroidY = s.centroidY;
        }
    }

    TextBoxState& t = m.Text1;
    appendLine(t, QStringLiteral("Xmin ") + str(xmin) + QStringLiteral(", Ymin ") + str(ymin) +
                      QStringLiteral(", Xmax ") + str(xmax) + QStringLiteral(", Ymax ") + str(ymax));
    caretToEnd(t);
    if (s.traceMode == 1) {
        s.areaReport = QStringLiteral("Area%1= ").arg(s.areaCount) +
                       fmt(toSingle(static_cast<double>(A) * s.areaFactor)) + s.areaUnits +
                       QStringLiteral(", Perimeter= ") + fmt(L) + s.lengthUnits;
        s.areaReportUnits = s.areaUnits;
        const QString cx = s.pixelPairScale ? str(s.centroidX) : fmt(s.centroidX);
        const QString cy = s.pixelPairScale ? str(s.centroidY) : fmt(s.centroidY);
        s.areaCentroidReport = s.areaReport + QStringLiteral(", Centroid= ") + cx + QStringLiteral(", ") + cy;
        appendLine(t, s.areaCentroidReport);
    } else {
        s.streamLengthReport = QStringLiteral("Longest Stream Lenth= ") + fmt(L) + s.lengthUnits;
        s.streamReportUnits = s.lengthUnits;
        s.belowCentroidReport =
            QStringLiteral("Length Below Centroid= ") + fmt(toSingle(static_cast<double>(L) - Ln)) + s.lengthUnits;
        appendLine(t, s.streamLengthReport + QStringLiteral(", ") + s.belowCentroidReport);
    }
    t.Visible = true;
    caretToEnd(t);
}

void ComputeTraceStats(MapModel& m, Dialogs& dialogs)
{
    guarded(dialogs, [&] { measureTrace(m); });
}

}  // namespace corv
