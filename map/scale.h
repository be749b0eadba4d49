// The scale frame frameScale: its option, distance box and spinner, and applying the
// two clicked scale points as the scale in force (units, area factor, kind, factors).
#pragma once

#include <QString>
#include <array>

namespace corv {

class Dialogs;
class MapModel;
struct MapState;

// The frame's controls without widgets. Option1 holds the selected option's index;
// UpDown1 stands for the spinner (whole numbers UpDownMin..UpDownMax).
struct ScaleFrameState {
    static constexpr int UpDownMin = 1;
    static constexpr int UpDownMax = 100000;

    int Option1 = 0;
    QString Text2 = QStringLiteral("1");
    int UpDownValue = 1;
    int UpDownIncrement = 1;
};

// Captions of Option1(0) .. Option1(7).
const std::array<QString, 8>& scaleOptionCaptions();

// No scale in force, as at start-up: the kind goes with its factors, units and
// reference values, so a measurement never mixes one scale's kind with another's
// factors. Reports already made keep their own units for the hand-off.
void forgetScale(MapState& s);
// A scale is in force, or a zoom has divided the factors.
bool scaleInForce(const MapState& s);

// The caption that tells the user the scale is gone and must be set again.
QString scaleGoneCaption();

// AddScalePoint's second point: the frame opens where the main menu was last popped up.
void showScaleFrame(MapModel& m);

// Command1_Click: applies the scale. Asks for the pixel-pair values through dialogs
// (options 6 and 7) and shows the refusals there.
void applyScale(MapModel& m, ScaleFrameState& f, Dialogs& dialogs);

// Option1_Click: the spinner unit follows the selected option.
void scaleOptionClick(MapModel& m, ScaleFrameState& f);

// UpDown1_Change: the spinner's value changed (f.UpDownValue already holds it).
void upDownChange(MapModel& m, ScaleFrameState& f);

// Setting the spinner's value from code: clamped to its range, and like the control it
// raises its change event when the value differs.
void setUpDownValue(MapModel& m, ScaleFrameState& f, int value);

}  // namespace corv
