// Shared by the map window tests: a program with scripted dialogs and its map window,
// and the user's mouse on it (positions in twips, menus picked by their item text).
#pragma once

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "common/twips.h"
#include "map/window/form1.h"
#include "map/map_fixture.h"
#include "support/widget_lookup.h"

namespace corv::test {

// A click at a position in twips inside w (sub-pixel, so twips are exact).
inline void click(QWidget* w, Qt::MouseButton button, double x, double y)
{
    const QPointF p(x / twips::perPixelX(), y / twips::perPixelY());
    for (auto [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(button)},
                              std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons()}}) {
        QMouseEvent e(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// Clicks a menu item as a user would, scrolled into view first.
inline void pick(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(list->isVisible() && found.size() == 1, qPrintable(text));
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

struct MapWindow {
    QTemporaryDir dir;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<Program> program;
    Form1* form = nullptr;

    // folder: the program's folder (a fresh temporary one when empty).
    explicit MapWindow(QSize size = {1000, 680}, const QString& folder = {})
    {
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs = owned.get();
        program = std::make_unique<Program>(folder.isEmpty() ? dir.path() : folder, std::move(owned));
        form = program->form1();
        form->show();
        form->setWindowState(Qt::WindowNoState);
        form->resize(size);
        (void)QTest::qWaitForWindowExposed(form);
        QCoreApplication::processEvents();
    }
    MapModel& m() { return form->model(); }
    QWidget* c(const QString& name) { return control(form, name); }
    QListWidget* list(const char* name) { return control<QListWidget>(form, name); }

    // Right click on the map at (x, y) twips and pick from the main menu.
    void menu(const QString& item, double x = 4000, double y = 4000)
    {
        QWidget* image = c("Image1");
        click(image->isVisible() ? image : c("UserControlPic1"), Qt::RightButton, x, y);
        pick(list("lstMenu1"), item);
    }
    void pictureMenu(const QString& item)
    {
        menu("Load/Save Map", 75, 75);
        pick(list("lstMenu2"), item);
        QVERIFY(!list("lstMenu2")->isVisible());
    }
    void leftClicks(std::initializer_list<std::pair<double, double>> points)
    {
        for (auto [x, y] : points) click(c("Image1"), Qt::LeftButton, x, y);
    }
};

}  // namespace corv::test
