// The map window's scale frame and help, clicked through as a user would. The scale
// kinds and refused replies: scale_test.cpp and tests/scenarios/map_*.scn.
#include <QPlainTextEdit>
#include <QSpinBox>

#include "map/map_window.h"

using namespace corv;
using namespace corv::test;

class ScaleWindowTest : public QObject {
    Q_OBJECT
private slots:
    void spinnerFollowsTheUnitClicked()
    {
        MapWindow w;
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        QCOMPARE(std::pair(spin->minimum(), spin->maximum()), std::pair(1, 100000));
        w.menu("Set Scale");
        w.leftClicks({{1500, 1500}, {2500, 3500}});
        auto spinner = [&] { return std::tuple(textOf(w.c("Text2")), spin->value(), spin->singleStep()); };
        QTest::mouseClick(w.c("Option1(2)"), Qt::LeftButton);  // feet: the spinner moves in miles
        QCOMPARE(spinner(), std::tuple(QString("5280"), 5280, 5280));
        spin->stepBy(-1);  // hits 1: 5000 feet, steps of 1000
        QCOMPARE(spinner(), std::tuple(QString("5000"), 5000, 1000));
    }

    // Help shows the help text in the program's own read-only window; without the file
    // the box says which file is missing.
    void helpShowsTheProgramsHelpText()
    {
        MapWindow w;
        w.menu("Help");
        const auto& missing = w.dialogs->asked().at(0);
        QCOMPARE(std::pair(missing.text, missing.title),
                 std::pair(QString("Cant find Notepad.exe"), "File not found: " + w.dir.filePath("CorvantineHelp.txt")));
        writeFile(w.dir.filePath("CorvantineHelp.txt"), "Right-click the map.\r\n");
        w.menu("Help");
        auto* view = w.form->findChild<QPlainTextEdit*>("TextViewer");
        QVERIFY(view && view->isVisible() && view->isReadOnly());
        QCOMPARE(view->toPlainText(), QString("Right-click the map.\n"));
    }
};

QTEST_MAIN(ScaleWindowTest)
#include "scale_window_test.moc"
