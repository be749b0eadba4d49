// Drags of the map labels, the coordinate box and the scale frame; map label edits.
#include "map/labels.h"

#include <string>

#include "common/dialogs.h"
#include "common/runtime_error.h"
#include "map/map_model.h"

namespace corv {

namespace {
MapLabel& label(MapModel& m, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m.Label1.size())
        throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    return m.Label1[static_cast<std::size_t>(index)];
}
}  // namespace

bool dragStart(MapState& s, int button, float x, float y)
{
    if (button != kLeftButton) return false;
    // Held as singles: the press point is a single in every mouse event.
    s.dragStartX = x;
    s.dragStartY = y;
    return true;
}

void dragMove(const MapState& s, TwipRect& control, int button, float x, float y)
{
    if (button != kLeftButton) return;
    control.Left += x - s.dragStartX;
    control.Top += y - s.dragStartY;
}

void editLabel(MapLabel& l, Dialogs& dialogs)
{
    const QString reply = dialogs.inputBox(QStringLiteral("Edit label:"), QStringLiteral("Edit Label"), l.Caption);
    if (!reply.isEmpty()) l.Caption = reply;
}

void Label1_MouseDown(MapModel& m, Dialogs& dialogs, int index, int button, int, float x, float y)
{
    MapLabel& l = label(m, index);
    if (!dragStart(m.s, button, x, y)) editLabel(l, dialogs);
}

void Label1_MouseMove(MapModel& m, int index, int button, int, float x, float y)
{
    if (button != kLeftButton) return;
    dragMove(m.s, label(m, index).rect, button, x, y);
}

void Text1_MouseMove(MapModel& m, int button, int, float x, float y) { dragMove(m.s, m.Text1.rect, button, x, y); }

void frameScale_MouseDown(MapModel& m, int button, int, float x, float y) { dragStart(m.s, button, x, y); }

void frameScale_MouseMove(MapModel& m, int button, int, float x, float y)
{
    dragMove(m.s, m.frameScaleRect, button, x, y);
}

}  // namespace corv
