// The program's start: the maximised map window with its menu, and its end.
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "common/twips.h"
#include "map/form1.h"
#include "support/widget_lookup.h"

using corv::test::control;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void mapWindowOpensWithItsMenu()
    {
        QTemporaryDir dir;
        corv::Program program(dir.path(), std::make_unique<corv::ScriptedDialogs>());
        corv::Form1* form = program.form1();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));

        QCOMPARE(form->windowTitle(), QStringLiteral("Right Click for menu... Corvantine 1.0.0"));
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        QCOMPARE(program.folder(), QDir::cleanPath(dir.path()));

        auto* menu = control<QListWidget>(form, "lstMenu1");
        auto* pictureMenu = control<QListWidget>(form, "lstMenu2");
        QVERIFY(menu->isVisible());
        QVERIFY(!pictureMenu->isVisible());
        QVERIFY(!control(form, "Text1")->isVisible());
        QStringList items;
        for (int i = 0; i < menu->count(); ++i) items << menu->item(i)->text();
        QCOMPARE(items, QStringList({"Load/Save Map", "Set Scale", "Start Area", "Start Stream Line",
                                     "End Area/Line", "Undo Current Line", "Clear Area/Line", "Save Area/Line",
                                     "Add Label", "Runoff Hydrogaph", "Help", "Cancel"}));
        QCOMPARE(pictureMenu->count(), 11);
        QCOMPARE(pictureMenu->item(0)->text(), QStringLiteral("Load Map File"));
        QCOMPARE(pictureMenu->item(10)->text(), QStringLiteral("Cancel"));

        // The menu and the coordinate box sit at the viewport's top-left corner.
        QWidget* viewport = control(form, "UserControlPic1");
        QCOMPARE(menu->mapTo(form, QPoint(0, 0)), viewport->mapTo(form, QPoint(0, 0)));
        QCOMPARE(control(form, "Text1")->mapTo(form, QPoint(0, 0)), viewport->mapTo(form, QPoint(0, 0)));

        // Every control of the window carries its name.
        for (const char* name : {"UserControlPic1", "Image1", "Text1", "lstMenu1", "lstMenu2", "Label1(0)", "Picture2"})
            QVERIFY2(form->findChild<QWidget*>(name), name);

        const auto& s = form->model().s;
        QCOMPARE(s.traceStart.ubound(), 20L);
        QCOMPARE(s.scrollSpeed, 0.05f);
        QCOMPARE(s.lengthUnits, QStringLiteral(" (mi)"));
        QCOMPARE(s.scaleX, 1.0f);
        QVERIFY(s.panZoomAllowed);
    }

    void closingTheMapWindowEndsTheProgram()
    {
        QTemporaryDir dir;
        corv::Program program(dir.path(), std::make_unique<corv::ScriptedDialogs>());
        program.form1()->show();
        QSignalSpy ended(&program, &corv::Program::ended);
        program.form1()->close();
        QCOMPARE(ended.count(), 1);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_window_test.moc"
