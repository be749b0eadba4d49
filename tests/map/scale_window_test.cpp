// The map window's scale frame and help, clicked through as a user would.
#include <QRadioButton>
#include <QSpinBox>

#include "common/text_editor.h"
#include "map_window.h"

using namespace corv;
using namespace corv::test;

class ScaleWindowTest : public QObject {
    Q_OBJECT
private slots:
    void scaleFrameOptionsSpinnerAndRefusedReply()
    {
        MapWindow w;
        const QStringList captions = {"Miles / Sq Miles", "Miles / Acres",     "Feet / Sq Feet", "Feet / Acres",
                                      "Feet / Sq Miles",  "Old Nexrad Pixels", "General Pixels", "Longitude/Latitude"};
        for (int i = 0; i < 8; ++i) QCOMPARE(textOf(w.c(QStringLiteral("Option1(%1)").arg(i))), captions[i]);
        QVERIFY(control<QRadioButton>(w.form, "Option1(0)")->isChecked());
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        QCOMPARE(std::tuple(spin->minimum(), spin->maximum(), spin->value(), spin->singleStep()), std::tuple(1, 100000, 1, 1));

        w.menu("Set Scale");
        w.leftClicks({{1500, 1500}, {2500, 3500}});
        auto spinner = [&] { return std::tuple(textOf(w.c("Text2")), spin->value(), spin->singleStep()); };
        QTest::mouseClick(w.c("Option1(2)"), Qt::LeftButton);  // feet: the spinner moves in miles
        QCOMPARE(spinner(), std::tuple(QString("5280"), 5280, 5280));
        spin->stepBy(-1);  // hits 1: 5000 feet, steps of 1000
        QCOMPARE(spinner(), std::tuple(QString("5000"), 5000, 1000));

        // A refused pixel-pair reply keeps the frame open for another try.
        QTest::mouseClick(w.c("Option1(6)"), Qt::LeftButton);
        w.dialogs->answerInput(QStringLiteral("100,200,300"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(w.dialogs->messages().size() == 1 && w.c("frameScale")->isVisible());
        w.dialogs->answerInput(QStringLiteral("100,200,300,400"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(!w.c("frameScale")->isVisible());
        QCOMPARE(std::pair(w.m().s.scaleX, w.m().s.scaleY), std::pair(0.2f, 0.1f));
    }

    void helpOpensTheProgramsHelpText()
    {
        MapWindow w;
        // A stand-in opener that notes the file it was asked to open.
        const QString opener = writeFile(w.dir.filePath("opener"), "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
        QFile(opener).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setTextEditorOpener(opener);
        w.menu("Help");
        QTRY_COMPARE_WITH_TIMEOUT(readAll(w.dir.filePath("opened.txt")), (w.dir.path() + "/CorvantineHelp.txt").toLocal8Bit(), 30000);
        setTextEditorOpener("xdg-open");
        QVERIFY(w.dialogs->asked().empty());
    }
};

QTEST_MAIN(ScaleWindowTest)
#include "scale_window_test.moc"
