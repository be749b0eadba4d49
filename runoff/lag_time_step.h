// Basin lag and the automatic time step: slope, lag coefficient, lag and time step
// derived from the elevation and length boxes of the hydrograph window.
#pragma once

#include <QString>
#include <optional>

namespace corv {

// The boxes these procedures read and write. txtC is always the basin's lag
// coefficient; while "Linear Reservoir" is picked the window shows the reservoir's
// shape in that box instead, and keeps the basin's C aside.
enum class LagBox { txtelv1, txtElv2, txtL, txtLca, txtS, txtC, txtLag, txtGraphtimestep, shape };

// The hydrograph window as these procedures see it. Writing a box's text raises that
// box's change handler (txtC_Change, txtLag_Change) before setText returns.
class LagBoxes {
public:
    virtual ~LagBoxes() = default;
    virtual QString text(LagBox box) const = 0;
    virtual void setText(LagBox box, const QString& text) = 0;
    virtual QString lengthCaption() const = 0;  // lblL: "ft" in it means feet
    virtual void setTimeStepCaption(const QString& caption) = 0;  // Label14
    virtual bool autoTimeStep() const = 0;     // chkAutoTimeStep ticked
    virtual QString methodText() const = 0;    // ComboDimgraph
    // Lets pending window events run at the points the procedures allow it.
    virtual void yield() {}
};

// The time step chosen for a step in hours: the snapped step, the caption of Label14
// and the text of txtGraphtimestep (minutes below one hour, else hours).
struct TimeStepChoice {
    float hours = 0;
    bool minutes = false;
    QString caption;
    QString text;
};
TimeStepChoice SnapTimeStep(float stepHours);
// Writes a choice into Label14 and txtGraphtimestep, caption first.
void applyTimeStep(LagBoxes& boxes, const TimeStepChoice& choice);

// Slope, C, lag and time step from the elevations and the two lengths.
void Getbasinstats(LagBoxes& boxes);

// The window's handlers.
void txtElevation_LostFocus(LagBoxes& boxes);  // txtelv1, txtElv2
void txtLength_LostFocus(LagBoxes& boxes);     // txtL, txtLca
void txtC_Change(LagBoxes& boxes);
// In "Linear Reservoir" the shape follows the lag (empty for a lag that gives none);
// it is no C, so it derives nothing back.
void txtLag_Change(LagBoxes& boxes);
void txtLag_LostFocus(LagBoxes& boxes);

// The linear-reservoir shape for a lag in hours, as txtC shows it (3 decimals,
// halves to the even digit).
QString linearReservoirShapeText(float lag);
// The same for the text of txtLag: nothing when it is empty or not above 0.
std::optional<QString> linearReservoirShapeFor(const QString& lagText);

// v rounded to decimals places with halves upward, as the boxes show it ("2.56", "100").
QString roundedText(float v, int decimals);

}  // namespace corv
