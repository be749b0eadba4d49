// The compute driver behind "Compute Hydrograph" (Command1_Click): validation, basin
// and time inputs, the stages in order, the report file and the chart, and the one
// error handler; and the entry of the route/combine path that "Go" asks for.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "runoff/compute_state.h"
#include "runoff/window/form3_state.h"
#include "runoff/window/hydrograph_chart.h"
#include "runoff/rainfall.h"

namespace corv {

class CommonDialog;
class Dialogs;

// The hydrograph window's boxes, captions and choices as the compute reads them.
struct ComputeBoxes {
    QString lblL;
    QString Label6;
    QString Label10;
    QString Label14;
    QString ComboDimgraph;
    QString ComboRain;
    QString txtelv1;
    QString txtElv2;
    QString txtL;
    QString txtLca;
    QString txtS;
    QString txtC;
    QString txtLag;
    QString txtBasinArea;
    QString GWloss;
    QString txtCNloss;
    QString txtConstLoss;
    QString txtPercentImp;
    QString txtResetLossFactor;
    QString txtGraphtimestep;
    QString txtTitle;
    QString txtTile2;
    std::array<QString, 8> txtDuration;
    std::array<QString, 8> txtRain;
    std::array<QString, 8> txtArealAdj;
    // The routing frame.
    int optRouteType = 3;  // index of the selected option
    bool chkCombineHDB = false;
    QString txtMuskK;
    QString txtMuskX;
    QString txtModbelv;
    QString txtTatum;
    QString capTatum;
};

class ComputeDriver;

// The routing or combining routine of the selected option (modpul, muskingum,
// LoadHydrographFile, TatumRoute). It sets state.routeType to the routine's code when
// it produced a hydrograph and leaves it 0 when it refused or was cancelled.
using RouteOrCombine = std::function<void(Form3State& state, const ComputeBoxes& boxes, Dialogs& dialogs,
                                          CommonDialog& commonDialog)>;

// What the driver needs from the window while it runs.
struct ComputeHooks {
    std::function<void(bool busy)> setBusy;  // the hourglass pointer on or off
    std::function<void()> processEvents;     // lets pending window events run once
    DatabaseRainfall databaseRainfall;       // empty: no database rainfall
    RouteOrCombine routeOrCombine;           // empty: the routines of the routing frame
    // The combine option's database flow: writes TmpHDB.GRF and names it in
    // combineFileName (empty: no database flow).
    DatabaseRainfall databaseFlow;
};

// What the window shows after a run, whatever its end.
struct ComputeOutcome {
    enum class End {
        Plotted,  // report written, caption and chart updated
        Stopped,  // ended by a message or a cancel, or a refused route
        Failed,   // a run-time error, shown with the time-step hint
        Busy,     // a run was already under way: nothing was done
    };
    End end = End::Stopped;
    // The stream-length box carries the base flow: its label moves up and the
    // ground-water loss box shows (nothing when the run did not get that far).
    std::optional<bool> baseFlowLayout;
    bool chartChanged = false;    // the chart's grid was reset or plotted: redraw it
    RainfallBoxes rainfallBoxes;  // boxes the rainfall stage (or a loaded hydrograph file's step) rewrote
    std::optional<QString> caption;
};

class ComputeDriver {
public:
    // Runs Command1_Click: the route/combine path when state.routeType is not 0,
    // otherwise the compute path. folder is the program's folder.
    ComputeOutcome Command1_Click(Form3State& state, ChartGrid& chart, const ComputeBoxes& boxes,
                                  const QString& folder, Dialogs& dialogs, CommonDialog& commonDialog,
                                  const ComputeHooks& hooks);
    bool running() const { return running_; }

private:
    bool running_ = false;
};

// Whether a run-time error can come from a time step in the wrong unit: number,
// overflow and array-size errors. A missing file, a full disk, a bad setup file or a
// file of an invalid format (a bare carriage return, uneven time steps) cannot, and
// their message goes without the hint.
bool stepMayCause(int errorNumber);

// The text of the error handler's message: the error, and with the hint a line feed
// and "Check your time step for hours or minutes!".
QString computeErrorText(const QString& error, bool hint);

}  // namespace corv
