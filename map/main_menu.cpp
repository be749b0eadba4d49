// The map window's menus: every pick hides the menu and the coordinate box first,
// then acts on the picked item's text.
#include "map/main_menu.h"

#include <cmath>

#include "map/form1.h"
#include "map/picture_menu.h"

namespace corv {

void MainMenu::pick(const QString& item)
{
    MapModel& m = form_.model();
    m.lstMenu1.Visible = false;
    m.Text1.Visible = false;
    if (item == QLatin1String("Load/Save Map")) {
        m.lstMenu2.rect.Top = m.lstMenu1.rect.Top;
        m.lstMenu2.rect.Left = m.lstMenu1.rect.Left;
        m.lstMenu2.Visible = true;
        m.s.lastPointX = m.s.lastPointY = 0;
        m.s.traceMode = 0;
        m.s.pixelScale = m.s.pixelPairScale = m.s.longLatScale = false;
        m.s.panZoomAllowed = true;
    }
    // "Cancel": nothing beyond hiding the menu and the coordinate box.
}

void MainMenu::pickPicture(const QString& item) { PictureMenu(form_).pick(item); }

void MainMenu::mapClick(int button, int, float x, float y)
{
    MapModel& m = form_.model();
    if (button == 1) {
        m.lstMenu1.Visible = false;
        m.lstMenu2.Visible = false;
    } else if (button == 2) {
        double t = std::nearbyint(m.Image1.rect.Top + y);
        if (m.UserControlPic1.Height - m.lstMenu1.rect.Height < t)
            t = std::nearbyint(m.UserControlPic1.Height - m.lstMenu1.rect.Height);
        m.lstMenu2.Visible = false;
        m.lstMenu1.rect.Top = t;
        m.lstMenu1.rect.Left = m.Image1.rect.Left + x;
        m.lstMenu1.Visible = true;
        m.s.dragStartX = x;
        m.s.dragStartY = y;
    }
}

}  // namespace corv
