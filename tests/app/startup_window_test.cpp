// The program's start: the maximised map window, what shows of it and where, without the
// web engine, and its end. Its caption and the two menus' items are the scenario startup's.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "map/window/form1.h"
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
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        QCOMPARE(program.folder(), QDir::cleanPath(dir.path()));

        // Only the menu shows (startup.scn), at the viewport's top-left, where the coordinate box goes.
        QWidget* viewport = control(form, "UserControlPic1");
        for (const char* name : {"lstMenu1", "Text1"})
            QCOMPARE(control(form, name)->mapTo(form, QPoint(0, 0)), viewport->mapTo(form, QPoint(0, 0)));

        const auto& s = form->model().s;
        QCOMPARE(std::tuple(s.traceStart.ubound(), s.scrollSpeed, s.lengthUnits, s.scaleX, s.panZoomAllowed),
                 std::tuple(20L, 0.05f, QStringLiteral(" (mi)"), 1.0f, true));

        // Without the web engine: it would share OpenGL contexts and load the GL driver first.
        QVERIFY(!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libQt6WebEngine"));

        // Closing the map window ends the program.
        QSignalSpy ended(&program, &corv::Program::ended);
        form->close();
        QCOMPARE(ended.count(), 1);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_window_test.moc"
