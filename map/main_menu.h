// The map window's menus and map clicks: MapMenu works on the model alone (tests
// drive it); MainMenu is the window's entry with the window's own operations.
#pragma once

#include <QString>
#include <cstdint>

#include "map/map_model.h"
#include "map/map_ops.h"

namespace corv {

class Form1;

class MapMenu {
public:
    MapMenu(MapModel& m, MapWindowOps& ops) : m_(m), ops_(ops) {}
    // lstMenu1_Click: hides the menu and Text1, then acts on the item's text; a
    // run-time error is shown in a message box and ends the pick.
    void pick(const QString& item);
    // Image1_MouseUp; x and y in Image1 twips.
    void mapClick(int button, int shift, float x, float y);

private:
    void act(const QString& item);
    void startFigure(std::int16_t mode);
    MapModel& m_;
    MapWindowOps& ops_;
};

class MainMenu {
public:
    explicit MainMenu(Form1& form) : form_(form) {}
    void pick(const QString& item);          // lstMenu1_Click
    void pickPicture(const QString& item);   // lstMenu2_Click
    void mapClick(int button, int shift, float x, float y);  // Image1_MouseUp

private:
    Form1& form_;
};

// The map window's own operations, as the map logic asks for them.
class Form1Ops : public MapWindowOps {
public:
    explicit Form1Ops(Form1& form) : form_(form) {}
    Dialogs& dialogs() override;
    void ZoomPic(double ZoomPercent) override;
    void ScrollPic(std::int16_t ScrollMode) override;
    void StretchOff() override;
    void showScaleFrame() override;
    void saveCoordinateFile() override;  // Text1_MouseDown(2, 0, 0, 0)
    void openHelp() override;            // the help text in the text editor
    void handOffToRunoff(const BasinMeasurements& m) override;

private:
    Form1& form_;
};

}  // namespace corv
