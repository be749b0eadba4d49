// Dragging the map window's floating pieces (map labels, the coordinate box, the scale
// frame) with the left button, and editing a map label's caption.
#pragma once

#include <QString>

namespace corv {

class Dialogs;
class MapModel;
struct MapState;
struct MapLabel;
struct TwipRect;

// Mouse buttons as the event procedures receive them: 1 left, 2 right, 4 middle,
// the sum when several are held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// A press with exactly the left button starts a drag at (x, y), in the control's own
// twips. Returns whether it did.
bool dragStart(MapState& s, int button, float x, float y);
// A move with exactly the left button moves the control so that the grabbed point
// stays under the pointer; no bounds, the size is kept.
void dragMove(const MapState& s, TwipRect& control, int button, float x, float y);

// "Edit label:": a non-empty reply becomes the caption; empty or Cancel keeps it.
void editLabel(MapLabel& label, Dialogs& dialogs);

// Event procedures of the map labels and the scale frame (the coordinate box's press
// also saves the coordinate file, so the window handles it).
void Label1_MouseDown(MapModel& m, Dialogs& dialogs, int index, int button, int shift, float x, float y);
void Label1_MouseMove(MapModel& m, int index, int button, int shift, float x, float y);
void Text1_MouseMove(MapModel& m, int button, int shift, float x, float y);
void frameScale_MouseDown(MapModel& m, int button, int shift, float x, float y);
void frameScale_MouseMove(MapModel& m, int button, int shift, float x, float y);

}  // namespace corv
