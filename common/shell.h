// What one window may ask of the program shell: the program's folder, the dialogs,
// the shared file dialog, and the other windows (created on first use).
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace corv {

class Dialogs;
class CommonDialog;

// The basin measurements handed from the map window to the hydrograph window.
// Each number text is taken from a report line ("= " up to the next blank);
// nothing means that report does not exist yet.
struct BasinMeasurements {
    std::int16_t areaNumber = 0;
    std::optional<QString> basinArea;
    std::optional<QString> streamLength;
    std::optional<QString> lengthBelowCentroid;
    QString areaUnits;    // " (mi^2)", " (acres)", " (ft^2)" or ""
    QString lengthUnits;  // " (mi)" or " (ft)"
};

class Shell {
public:
    virtual ~Shell() = default;
    virtual QString folder() const = 0;  // the program's folder, no trailing separator
    virtual Dialogs& dialogs() = 0;
    virtual CommonDialog& commonDialog() = 0;  // Form1's CommonDialog1

    // Map window: show the main menu again (the hydrograph window closed), or the
    // picture menu (the map-source window closed).
    virtual void showMainMenu() = 0;
    virtual void showPictureMenu() = 0;
    // "Runoff Hydrogaph": the measurements go into the hydrograph window, which is shown.
    virtual void handOffToRunoff(const BasinMeasurements& m) = 0;
    // The map-source browser window (loaded once; a pick while it is open opens nothing).
    virtual void openMapSource() = 0;
};

}  // namespace corv
