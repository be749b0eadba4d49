// The map window's menus: every pick hides the menu and the coordinate box first,
// then acts on the picked item's text.
#include "map/main_menu.h"

#include <cmath>

#include "common/guard.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "map/window/form1.h"
#include "map/scale.h"
#include "map/handoff.h"
#include "map/picture/picture_menu.h"
#include "map/trace.h"
#include "map/window/view.h"

namespace corv {

void MapMenu::pick(const QString& item)
{
    m_.lstMenu1.Visible = false;
    m_.Text1.Visible = false;
    guarded(ops_.dialogs(), [&] { act(item); });
}

void MapMenu::startFigure(std::int16_t mode)
{
    MapState& s = m_.s;
    // traceStart has room for 20 figures: refuse the 21st before anything changes.
    if (s.traceCount + 1 > s.traceStart.ubound()) err::raise(err::kSubscript);
    if (mode == 1) {
        m_.caption = QStringLiteral("Left click area boundary...");
        s.panZoomAllowed = false;
        s.traceMode = 1;
        s.areaCount = add16(s.areaCount, 1);
    } else {
        m_.caption = QStringLiteral("Left click longest stream...");
        s.traceMode = 2;
    }
    s.traceCount = add16(s.traceCount, 1);
    if (s.segmentIndex != 0) s.segmentIndex = add16(s.segmentIndex, 1);
    s.traceStart(s.traceCount) = s.segmentIndex;
    if (mode == 1) {
        if (s.areaCount > static_cast<long>(m_.Label1.size())) m_.Label1.resize(static_cast<std::size_t>(s.areaCount));
        s.areaCentroidReport.clear();
    } else {
        s.streamLengthReport.clear();
    }
    s.lastPointX = s.lastPointY = 0;
    s.figureTextStart = -1;
    m_.Image1.MousePointer = 2;
}

void MapMenu::act(const QString& item)
{
    MapState& s = m_.s;
    Tracer tracer(m_, ops_);
    if (item == QLatin1String("Load/Save Map")) {
        m_.lstMenu2.rect.Top = m_.lstMenu1.rect.Top;
        m_.lstMenu2.rect.Left = m_.lstMenu1.rect.Left;
        m_.lstMenu2.Visible = true;
        s.lastPointX = s.lastPointY = 0;
        s.traceMode = 0;
        // The scale in force stays whole (kind and factors): only a new picture or a
        // new scale replaces it.
        s.panZoomAllowed = true;
    } else if (item == QLatin1String("Set Scale")) {
        s.lastPointX = s.lastPointY = 0;
        s.panZoomAllowed = true;
        if (s.scaleX >= 0.5f) {
            m_.caption = QStringLiteral("Left Click 1st Point on Scale");
            s.traceMode = 3;
            m_.Image1.MousePointer = 2;
        } else {
            // A zoomed or rescaled view first goes back to the picture's own size; the
            // scale goes with its factors, so nothing is measured in a half-kept scale.
            forgetScale(s);
            m_.caption = scaleGoneCaption();
            m_.Image1.Stretch = false;
            ops_.StretchOff();
            ops_.ZoomPic(1.0);
            ops_.ScrollPic(4);
        }
    } else if (item == QLatin1String("Start Area")) {
        if (s.traceMode == 0) startFigure(1);
    } else if (item == QLatin1String("Start Stream Line")) {
        if (s.traceMode == 0) startFigure(2);
    } else if (item == QLatin1String("End Area/Line")) {
        m_.caption = QStringLiteral("Right click coordinate text box to save... or select 'Add Label' from menu");
        if (s.traceMode != 0) tracer.completeFigure();
    } else if (item == QLatin1String("Undo Current Line")) {
        if (s.traceMode >= 1 && s.traceMode <= 3) tracer.undoCurrentLine();
    } else if (item == QLatin1String("Clear Area/Line")) {
        m_.caption = QStringLiteral("Mouse Right Click for menu...");
        tracer.clearAreaLine();
    } else if (item == QLatin1String("Save Area/Line")) {
        ops_.saveCoordinateFile();
    } else if (item == QLatin1String("Add Label")) {
        m_.caption = QStringLiteral("Left click label and drag to a location...");
        if (s.areaCount > 0) {
            MapLabel& label = labelAt(m_, s.areaCount - 1);
            label.rect.Top = m_.lstMenu1.rect.Top;
            label.rect.Left = m_.lstMenu1.rect.Left;
            label.Visible = true;
        }
    } else if (item == QLatin1String("Runoff Hydrogaph")) {
        ops_.handOffToRunoff(basinMeasurements(s));
    } else if (item == QLatin1String("Help")) {
        ops_.openHelp();
    }
    // "Cancel": nothing beyond hiding the menu and the coordinate box.
}

void MapMenu::mapClick(int button, int, float x, float y)
{
    MapState& s = m_.s;
    if (button == 1) {
        m_.lstMenu1.Visible = false;
        m_.lstMenu2.Visible = false;
        Tracer tracer(m_, ops_);
        if (s.traceMode == 1) tracer.AddTracePoint(x, y);
        if (s.traceMode == 2) tracer.AddTracePoint(x, y);
        if (s.traceMode == 3) {
            tracer.AddScalePoint(x, y);
            m_.caption = QStringLiteral("Left Click 2nd Point on Scale");
        }
    } else if (button == 2) {
        // Keep the menu inside the viewport at its bottom edge (not at the right).
        double t = std::nearbyint(m_.Image1.rect.Top + y);
        if (m_.UserControlPic1.Height - m_.lstMenu1.rect.Height < t)
            t = std::nearbyint(m_.UserControlPic1.Height - m_.lstMenu1.rect.Height);
        m_.lstMenu2.Visible = false;
        m_.lstMenu1.rect.Top = t;
        m_.lstMenu1.rect.Left = m_.Image1.rect.Left + x;
        m_.lstMenu1.Visible = true;
        s.dragStartX = x;
        s.dragStartY = y;
    }
}

void MainMenu::pick(const QString& item)
{
    Form1Ops ops(form_);
    MapMenu(form_.model(), ops).pick(item);
}

void MainMenu::pickPicture(const QString& item) { PictureMenu(form_).pick(item); }

void MainMenu::mapClick(int button, int shift, float x, float y)
{
    Form1Ops ops(form_);
    MapMenu(form_.model(), ops).mapClick(button, shift, x, y);
}

Dialogs& Form1Ops::dialogs() { return form_.shell().dialogs(); }
void Form1Ops::ZoomPic(double ZoomPercent) { form_.ZoomPic(ZoomPercent); }
void Form1Ops::ScrollPic(std::int16_t ScrollMode) { form_.ScrollPic(ScrollMode); }
void Form1Ops::StretchOff() { fitNaturalSize(form_.model(), form_.picture().image().size()); }
void Form1Ops::showScaleFrame() { corv::showScaleFrame(form_.model()); }
void Form1Ops::saveCoordinateFile() { form_.Text1_MouseDown(2, 0, 0, 0); }
void Form1Ops::openHelp() { form_.OpenHelp(); }
void Form1Ops::handOffToRunoff(const BasinMeasurements& m) { form_.shell().handOffToRunoff(m); }

}  // namespace corv
