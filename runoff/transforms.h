// Unit-graph transforms of the rainfall excess into the runoff hydrograph: Rational
// Method with its recession tail, up to three superposed triangles, the linear
// reservoir, and dimensionless graphs read from *.DGF files; and the closing sequence.
#pragma once

#include <QString>
#include <functional>

#include "runoff/compute_state.h"

namespace corv {

class Dialogs;

// The window's boxes the transforms read, as typed, and the program's folder.
struct TransformInputs {
    QString ComboDimgraph;  // "Rational Method", "Triangle Unit Graph", "Linear Reservoir" or a *.DGF name
    QString txtLca;         // triangle: recession factor 2
    QString txtS;           // triangle: recession ratio 2
    QString txtelv1;        // triangle: recession factor 3
    QString txtElv2;        // triangle: recession ratio 3
    QString folder;
    std::function<void()> processEvents;  // lets window events run once per step of the triangle convolution
};

// Turns excess(1..obs) into qi(0..it) with maxq, tmax and volume (acre-ft, rounded).
// Ends the compute after the "No Excess Rainfall" message; a missing or malformed
// graph file, or a hydrograph too long for its arrays, is a run-time error.
StageEnd transformExcess(ComputeState& s, const TransformInputs& in, Dialogs& dialogs);

// The dimensionless graph's convolution: adds excess[st] x unitGraph[0..m] into qi from
// index st on, for each step st of 1..steps with excess. qi reaches steps + m and shares
// no memory with the other two.
void convolveExcess(float* qi, const float* excess, long steps, const float* unitGraph, long m);

// Reads a *.DGF file into dgfStep, dgfCount, dgfTime and dgfOrdinate (needs tp and
// qpFactor); the file's problems are run-time errors naming the file.
void readGraphFile(ComputeState& s, const QString& path);

}  // namespace corv
