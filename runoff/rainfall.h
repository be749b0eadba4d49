// The rainfall series of a compute: arrangement modes, the depth-duration table,
// the design and uniform storms, storm files (*.STM) and the database hook.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "runoff/compute_state.h"

namespace corv {

class CommonDialog;
class Dialogs;

// What the stage writes back into the hydrograph window's boxes.
struct RainfallBoxes {
    bool clearTable = false;  // txtDuration(0..7) and txtRain(0..7) are emptied
    std::optional<QString> txtGraphtimestep;
    std::optional<QString> Label14;
    std::optional<QString> txtTile2;
};

// The database rainfall sequence (setup file, period window, retrieval): fills obs,
// missing, udur, rrtime, rdepth, tdepth and the arrays the later stages need, and
// may end the compute.
using DatabaseRainfall = std::function<StageEnd(ComputeState&, RainfallBoxes&)>;

// The window's boxes the stage reads, as typed, and the program's folder.
struct RainfallInputs {
    QString ComboRain;
    QString ComboDimgraph;
    QString txtC;
    std::array<QString, 8> txtDuration;
    std::array<QString, 8> txtRain;
    std::array<QString, 8> txtArealAdj;
    QString folder;
    DatabaseRainfall databaseRainfall;  // empty: database rainfall is not available
};

// Builds rdepth(1..obs) for the chosen arrangement. Needs s.udur (hours), s.lag and,
// for storm files, s.constLoss. Ends the compute quietly when the storm-file dialog is
// cancelled; malformed storm files are run-time errors with a clear text.
StageEnd buildRainfall(ComputeState& s, const RainfallInputs& in, CommonDialog& commonDialog, Dialogs& dialogs,
                       RainfallBoxes& boxes);

// Reads a storm file into obs, udur, stepTimes, rdepth, tdepth and sizes excess and
// gwFlow; the boxes are not touched.
void readStormFile(ComputeState& s, const QString& path);

}  // namespace corv
