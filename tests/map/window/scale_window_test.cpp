// The map window's scale frame and help, clicked through as a user would. The scale
// kinds and refused replies: scale_test.cpp and tests/scenarios/map_*.scn.
#include <QSpinBox>

#include "common/text_editor.h"
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

    void helpOpensTheProgramsHelpText()
    {
        MapWindow w;
        // A stand-in opener that notes the file it was asked to open.
        writeScript(w.dir.filePath("opener"), R"(printf '%s' "$1" > "$(dirname "$0")/opened.txt")");
        setTextEditorOpener(w.dir.filePath("opener"));
        w.menu("Help");
        QTRY_COMPARE_WITH_TIMEOUT(readAll(w.dir.filePath("opened.txt")), (w.dir.path() + "/CorvantineHelp.txt").toLocal8Bit(), 30000);
        setTextEditorOpener("xdg-open");
        QVERIFY(w.dialogs->asked().empty());
    }
};

QTEST_MAIN(ScaleWindowTest)
#include "scale_window_test.moc"
