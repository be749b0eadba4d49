// Losses and rainfall excess: the loss set-up (SCS curve number or initial plus
// constant loss, with derived dry and wet limits) and the per-step accounting with
// recovery by hour of day and month.
#pragma once

#include <QString>

#include "common/varray.h"
#include "runoff/compute_state.h"

namespace corv {

class Dialogs;

// The loss boxes of the hydrograph window, as typed.
struct LossInputs {
    QString txtCNloss;           // "70", "1.5" or "70,60,88"
    QString txtResetLossFactor;  // recovery factor
    QString txtConstLoss;        // in/hr
    QString GWloss;              // fraction
    QString txtPercentImp;       // percent
};

// Runs once the time step (s.udur, hours) is known. Ends the compute (after its
// message) when txtCNloss holds exactly two values.
StageEnd setUpLosses(ComputeState& s, const LossInputs& in, Dialogs& dialogs);

// Walks rdepth(1..obs) and fills excess, gwFlow, pCumStep, S1Step and rainSum.
// hourlyRecovery holds hours 0..23, monthlyRecovery months 1..12 (the window's tables).
void accountLosses(ComputeState& s, const VArray<float>& hourlyRecovery, const VArray<float>& monthlyRecovery);

}  // namespace corv
