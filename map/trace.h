// Tracing on the map: vertices and scale points from clicks, figure completion,
// undo and clearing, all on the map model.
#pragma once

#include <QString>

#include "map/map_model.h"
#include "map/map_ops.h"

namespace corv {

// The "x, y" text of the vertex at image position (X, Y), in map units of the scale
// in force (no line end).
QString vertexLine(const MapModel& m, float X, float Y);

// Element i of Label1 ("Control array element 'i' doesn't exist" when missing).
MapLabel& labelAt(MapModel& m, long i);

class Tracer {
public:
    Tracer(MapModel& m, MapWindowOps& ops) : m_(m), ops_(ops) {}

    // A vertex of the figure being traced; shows its own run-time errors.
    void AddTracePoint(float X, float Y);
    // The first or second scale point.
    void AddScalePoint(float X, float Y);
    // "End Area/Line" while tracing: closes an area, measures, labels, returns to idle.
    void completeFigure();
    // "Undo Current Line".
    void undoCurrentLine();
    // Removes the current figure, or every figure while clearAll is set; shows its
    // own run-time errors.
    void ClearCurrentTrace();
    // "Clear Area/Line": while a figure is traced, that figure starts again; otherwise
    // the last ended figure goes.
    void clearAreaLine();

private:
    void addTracePointUnguarded(float X, float Y);
    void clearCurrentTraceUnguarded();
    void restartFigure();
    void centreMarker(Marker& marker, float X, float Y);
    MapModel& m_;
    MapWindowOps& ops_;
};

}  // namespace corv
