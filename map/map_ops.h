// What the map logic asks of the map window beyond its model: the dialogs, the view
// operations and the work of other windows and files. Form1 provides the real ones;
// tests provide recording ones.
#pragma once

#include <cstdint>

namespace corv {

class Dialogs;
struct BasinMeasurements;

class MapWindowOps {
public:
    virtual ~MapWindowOps() = default;
    virtual Dialogs& dialogs() = 0;
    // Resets the picture view (zoom to 100 %, centre the picture).
    virtual void ZoomPic(double ZoomPercent) = 0;
    virtual void ScrollPic(std::int16_t ScrollMode) = 0;
    // Stretching was turned off: the image takes its picture's natural size again.
    virtual void StretchOff() {}
    // The scale frame has been moved and shown after the second scale point.
    virtual void showScaleFrame() = 0;
    // "Save Area/Line": the save dialog of the coordinate text file.
    virtual void saveCoordinateFile() = 0;
    // "Help": the help text in the system text editor.
    virtual void openHelp() = 0;
    // "Runoff Hydrogaph": the measurements go to the hydrograph window.
    virtual void handOffToRunoff(const BasinMeasurements& m) = 0;
};

}  // namespace corv
