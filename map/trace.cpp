// Tracing on the map: vertices, scale points, figure completion, undo and clearing.
#include "map/trace.h"

#include <algorithm>
#include <cmath>

#include "common/guard.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "map/geometry.h"
#include "map/text1_lines.h"

namespace corv {

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kBlue = 0x0000FF;

QString str(float v) { return QString::fromStdString(strSingle(v)); }

// Segment style of the figure being traced: areas thick and black, streams blue.
void styleSegment(Segment& seg, std::int16_t traceMode)
{
    if (traceMode == 1) {
        seg.BorderWidth = 3;
        seg.BorderColor = kBlack;
    } else {
        seg.BorderWidth = 2;
        seg.BorderColor = kBlue;
    }
}

// Line1(index): element 0 is reused, any other is created.
Segment& newSegment(SegmentSet& lines, long index)
{
    if (index == 0) return lines(0);
    return lines.load(index);
}

}  // namespace

QString vertexLine(const MapModel& m, float X, float Y)
{
    const MapState& s = m.s;
    float x = 0, y = 0;
    if (!s.pixelScale) {
        // Distance scale: y grows upward from the viewport's bottom edge.
        x = toSingle((m.Image1.rect.Left + X) * static_cast<double>(s.scaleX));
        y = toSingle((m.UserControlPic1.Height - (m.Image1.rect.Top + Y)) * static_cast<double>(s.scaleX));
    } else if (s.pixelPairScale) {
        x = toSingle((static_cast<double>(X) - s.refPointX) * s.scaleX + s.refMapX);
        y = toSingle((static_cast<double>(Y) - s.refPointY) * s.scaleY + s.refMapY);
    } else {
        x = toSingle(intFloor(static_cast<double>(X) * s.scaleX));
        y = toSingle(intFloor(static_cast<double>(Y) * s.scaleX));
    }
    return str(x) + QStringLiteral(", ") + str(y);
}

MapLabel& labelAt(MapModel& m, long i)
{
    if (i < 0 || i >= static_cast<long>(m.Label1.size()))
        throw RuntimeError(340, "Control array element '" + std::to_string(i) + "' doesn't exist");
    return m.Label1[static_cast<std::size_t>(i)];
}

void Tracer::centreMarker(Marker& marker, float X, float Y)
{
    // Both markers take the size of Shape1.
    marker.rect.Top = m_.Image1.rect.Top + Y - m_.Shape1.rect.Height / 2;
    marker.rect.Left = m_.Image1.rect.Left + X - m_.Shape1.rect.Width / 2;
    marker.Visible = true;
}

void Tracer::AddTracePoint(float X, float Y)
{
    guarded(ops_.dialogs(), [&] { addTracePointUnguarded(X, Y); });
}

void Tracer::addTracePointUnguarded(float X, float Y)
{
    MapState& s = m_.s;
    if (s.lastPointX == 0 && s.lastPointY == 0) {
        // An area's header replaces the box; a stream's lines follow what is there.
        if (s.figureTextStart < 0) s.figureTextStart = s.traceMode == 1 ? 0 : static_cast<int>(m_.Text1.Text.size());
        if (s.traceMode == 1)
            setText1(m_.Text1, QStringLiteral("Area%1 X,Y Coordinates  %2\r\n").arg(s.areaCount).arg(s.lengthUnits));
        else
            appendLine(m_.Text1, QStringLiteral("Stream X,Y Coordinates") + s.lengthUnits);
        s.lastPointX = X;
        s.lastPointY = Y;
        centreMarker(m_.Shape1, X, Y);
        appendLine(m_.Text1, vertexLine(m_, X, Y));
    } else {
        Segment& seg = newSegment(m_.Line1, s.segmentIndex);
        styleSegment(seg, s.traceMode);
        seg.X1 = toSingle(m_.Image1.rect.Left + s.lastPointX);
        seg.Y1 = toSingle(m_.Image1.rect.Top + s.lastPointY);
        seg.X2 = toSingle(m_.Image1.rect.Left + X);
        seg.Y2 = toSingle(m_.Image1.rect.Top + Y);
        s.lastPointX = X;
        s.lastPointY = Y;
        seg.Visible = true;
        m_.Line1.bringToFront(s.segmentIndex);
        appendLine(m_.Text1, vertexLine(m_, X, Y));
        caretToEnd(m_.Text1);
        s.segmentIndex = add16(s.segmentIndex, 1);
    }
    m_.Text1.Visible = true;
}

void Tracer::AddScalePoint(float X, float Y)
{
    MapState& s = m_.s;
    if (s.lastPointX == 0 && s.lastPointY == 0) {
        s.lastPointX = X;
        s.lastPointY = Y;
        centreMarker(m_.Shape1, X, Y);
        return;
    }
    // The second point; further clicks move it until the scale is applied.
    centreMarker(m_.Shape2, X, Y);
    s.scalePoint2X = X;
    s.scalePoint2Y = Y;
    m_.Image1.MousePointer = 0;
    m_.frameScaleRect.Top = m_.lstMenu1.rect.Top;
    m_.frameScaleRect.Left = m_.lstMenu1.rect.Left;
    m_.frameScaleVisible = true;
    ops_.showScaleFrame();
}

void Tracer::completeFigure()
{
    MapState& s = m_.s;
    m_.Shape1.Visible = false;
    if (s.traceMode == 3) {
        // Ending while picking scale points abandons them: there is no figure to
        // measure, and the last measurement and its hand-off stay as they were.
        m_.Shape2.Visible = false;
        m_.frameScaleVisible = false;
        s.lastPointX = s.lastPointY = 0;
        s.traceMode = 0;
        m_.Image1.MousePointer = 0;
        return;
    }
    if (s.traceMode == 1 && s.segmentIndex >= 1) {
        // Close the ring back to the figure's first vertex, in the area style.
        Segment& seg = newSegment(m_.Line1, s.segmentIndex);
        styleSegment(seg, 1);
        seg.X1 = toSingle(m_.Image1.rect.Left + s.lastPointX);
        seg.Y1 = toSingle(m_.Image1.rect.Top + s.lastPointY);
        // Read after X1/Y1 are set: an area of a single vertex closes onto itself.
        const Segment& first = m_.Line1(s.traceStart(s.traceCount));
        seg.X2 = first.X1;
        seg.Y2 = first.Y1;
        seg.Visible = true;
        m_.Line1.bringToFront(s.segmentIndex);
        appendLine(m_.Text1, vertexLine(m_, toSingle(seg.X2 - m_.Image1.rect.Left),
                                        toSingle(seg.Y2 - m_.Image1.rect.Top)));
        caretToEnd(m_.Text1);
    }
    if (s.traceMode == 2) s.segmentIndex = add16(s.segmentIndex, -1);
    ComputeTraceStats(m_, ops_.dialogs());
    if (s.areaCount == 0) s.areaCount = 1;
    MapLabel& label = labelAt(m_, s.areaCount - 1);
    if (s.traceMode == 1)
        label.Caption = s.areaReport;
    else
        label.Caption = s.areaReport + kCrLf + s.streamLengthReport + kCrLf + s.belowCentroidReport;
    s.lastTraceType = s.traceMode;
    s.traceMode = 0;
    m_.Image1.MousePointer = 0;
}

void Tracer::undoCurrentLine()
{
    MapState& s = m_.s;
    if (s.traceMode == 1 || s.traceMode == 2) {
        if (s.segmentIndex <= s.traceStart(s.traceCount)) {
            // Only the first vertex: the next click starts the figure again.
            m_.Shape1.Visible = false;
            s.lastPointX = s.lastPointY = 0;
            return;
        }
        s.segmentIndex = static_cast<std::int16_t>(m_.Line1.highestIndex());
        const Segment& seg = m_.Line1(s.segmentIndex);
        s.lastPointX = toSingle(seg.X1 - m_.Image1.rect.Left);
        s.lastPointY = toSingle(seg.Y1 - m_.Image1.rect.Top);
        if (s.segmentIndex == 0)
            m_.Line1(0).Visible = false;
        else
            m_.Line1.unload(s.segmentIndex);

        // Cut exactly the last line, however long: keep everything up to the line feed
        // that ends the line before it (nothing when there is none).
        QString& t = m_.Text1.Text;
        const qsizetype from = t.size() - 3;  // the last line's last character, before its CR LF
        const qsizetype i = from < 0 ? 0 : t.lastIndexOf(QLatin1Char('\n'), from) + 1;
        t.truncate(i);
        m_.Text1.SelStart = static_cast<int>(i);
        m_.Text1.Visible = true;
    } else if (s.traceMode == 3) {
        if (m_.Shape2.Visible) m_.Shape2.Visible = false;
        if (m_.Shape1.Visible) {
            m_.Shape1.Visible = false;
            s.lastPointX = s.lastPointY = 0;
        }
    }
}

void Tracer::ClearCurrentTrace()
{
    guarded(ops_.dialogs(), [&] { clearCurrentTraceUnguarded(); });
}

void Tracer::clearCurrentTraceUnguarded()
{
    MapState& s = m_.s;
    s.lastPointX = s.lastPointY = 0;
    if (s.lastTraceType == 2) {
        // The reference for the length below the centroid goes back to the last area.
        s.centroidX = s.areaCentroidX;
        s.centroidY = s.areaCentroidY;
    }
    const long first = s.clearAll ? 0 : s.traceStart(s.traceCount);
    s.segmentIndex = static_cast<std::int16_t>(m_.Line1.highestIndex());
    for (long k = s.segmentIndex; k >= first && k > 0; --k)
        if (m_.Line1.exists(k)) m_.Line1.unload(k);
    s.segmentIndex = static_cast<std::int16_t>(std::max(s.traceStart(s.traceCount) - 1, 0));
    s.traceCount = static_cast<std::int16_t>(std::max(s.traceCount - 1, 0));
    if (s.traceMode == 1) s.areaCount = static_cast<std::int16_t>(std::max(s.areaCount - 1, 0));
    if (s.clearAll) s.segmentIndex = s.traceCount = s.areaCount = 0;
    if (s.segmentIndex == 0) m_.Line1(0).Visible = false;
    m_.Shape1.Visible = false;
    m_.Shape2.Visible = false;
}

void Tracer::restartFigure()
{
    MapState& s = m_.s;
    const long first = s.traceStart(s.traceCount);
    for (long k = m_.Line1.highestIndex(); k >= first && k > 0; --k)
        if (m_.Line1.exists(k)) m_.Line1.unload(k);
    if (first == 0) m_.Line1(0).Visible = false;
    s.segmentIndex = static_cast<std::int16_t>(first);  // where "Start" put it
    s.lastPointX = s.lastPointY = 0;
    m_.Shape1.Visible = false;
    m_.Shape2.Visible = false;
    TextBoxState& t = m_.Text1;
    if (s.figureTextStart >= 0 && s.figureTextStart <= t.Text.size()) {
        t.Text.truncate(s.figureTextStart);
        caretToEnd(t);
    }
    s.figureTextStart = -1;
    // An area not yet ended has no report: its label goes out of sight again.
    if (s.traceMode == 1) labelAt(m_, s.areaCount - 1).Visible = false;
}

void Tracer::clearAreaLine()
{
    MapState& s = m_.s;
    if (s.traceMode == 1 || s.traceMode == 2) {
        // The figure being traced starts again with its number and the counters it
        // started with; the figures already ended stay.
        restartFigure();
        return;
    }
    ClearCurrentTrace();
    const long current = s.areaCount;
    if (s.lastTraceType == 1) {
        s.areaCount = add16(s.areaCount, -1);
        s.lastTraceType = 2;
    } else {
        s.lastTraceType = 1;
    }
    if (s.areaCount < 0) {
        s.areaCount = 0;
        s.lastTraceType = 0;
    }
    labelAt(m_, current > 0 ? current - 1 : 0).Visible = false;
}

}  // namespace corv
