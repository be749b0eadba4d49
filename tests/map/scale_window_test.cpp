// The map window's scale frame, drags, label edit and help, clicked through as a user
// would (offscreen, scripted dialogs).
#include <QFile>
#include <QPlainTextEdit>
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
        QCOMPARE(textOf(w.c("frameScale")), QString("Scale distance and units"));
        const QStringList captions = {"Miles / Sq Miles", "Miles / Acres",     "Feet / Sq Feet", "Feet / Acres",
                                      "Feet / Sq Miles",  "Old Nexrad Pixels", "General Pixels", "Longitude/Latitude"};
        for (int i = 0; i < 8; ++i) QCOMPARE(textOf(w.c(QStringLiteral("Option1(%1)").arg(i))), captions[i]);
        QVERIFY(control<QRadioButton>(w.form, "Option1(0)")->isChecked());
        QCOMPARE(textOf(w.c("Label2")) + textOf(w.c("Command1")), QString("Enter distance:Ok"));
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        QCOMPARE(std::tuple(spin->minimum(), spin->maximum(), spin->value(), spin->singleStep()), std::tuple(1, 100000, 1, 1));

        w.menu("Set Scale");
        w.leftClicks({{1500, 1500}, {2500, 3500}});
        QVERIFY(w.c("frameScale")->isVisible());
        auto spinner = [&] { return std::tuple(textOf(w.c("Text2")), spin->value(), spin->singleStep()); };
        QTest::mouseClick(w.c("Option1(2)"), Qt::LeftButton);  // feet: the spinner moves in miles
        QCOMPARE(spinner(), std::tuple(QString("5280"), 5280, 5280));
        spin->stepBy(1);
        QCOMPARE(textOf(w.c("Text2")), QString("10560"));
        spin->stepBy(-1);
        spin->stepBy(-1);  // hits 1: 5000 feet, steps of 1000
        QCOMPARE(spinner(), std::tuple(QString("5000"), 5000, 1000));
        QTest::mouseClick(w.c("Option1(0)"), Qt::LeftButton);
        QCOMPARE(spinner(), std::tuple(QString("1"), 1, 1));

        // A refused pixel-pair reply keeps the frame open for another try.
        QTest::mouseClick(w.c("Option1(6)"), Qt::LeftButton);
        w.dialogs->answerInput(QStringLiteral("100,200,300"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QCOMPARE(w.dialogs->messages().size(), std::size_t(1));
        QVERIFY(w.dialogs->messages()[0].contains("X1,Y1,X2,Y2"));
        QVERIFY(w.c("frameScale")->isVisible());
        w.dialogs->answerInput(QStringLiteral("100,200,300,400"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(!w.c("frameScale")->isVisible());
        QCOMPARE(std::pair(w.m().s.scaleX, w.m().s.scaleY), std::pair(0.2f, 0.1f));
        QCOMPARE(w.dialogs->unanswered(), 0);
    }

    void dragsAndLabelEdit()
    {
        MapWindow w;
        showScaleFrame(w.m());  // the frame, grabbed at its corner
        w.form->refresh();
        QWidget* frame = w.c("frameScale");
        const QPoint framePos = frame->pos();
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseMove(frame, QPoint(103, 53));
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(103, 53));
        QCOMPARE(frame->pos(), framePos + QPoint(100, 50));

        // A map label: dragged with the left button, edited with the right.
        w.m().Label1[0].Caption = "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)";
        w.m().Label1[0].rect.Left = w.m().Label1[0].rect.Top = 1500;
        w.m().Label1[0].Visible = true;
        w.form->refresh();
        QWidget* label = w.c("Label1(0)");
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(10, 4));
        QTest::mouseMove(label, QPoint(50, 24));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(50, 24));
        QCOMPARE(QPointF(w.m().Label1[0].rect.Left, w.m().Label1[0].rect.Top), QPointF(2100, 1800));
        QCOMPARE(label->pos(), QPoint(140, 120));
        w.dialogs->answerInput(QStringLiteral("Upper basin"));
        click(label, Qt::RightButton, 30, 30);
        QCOMPARE(w.dialogs->asked().back().title, QString("Edit Label"));
        QCOMPARE(w.dialogs->asked().back().extra, QString("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)"));
        QCOMPARE(textOf(label), QString("Upper basin"));

        // The coordinate box moves with its text; both buttons open the save instead.
        w.m().Text1.Text = "Stream X,Y Coordinates (mi)\r\n1, 1\r\n";
        w.m().Text1.Visible = true;
        w.form->refresh();
        QWidget* box = control<QPlainTextEdit>(w.form, "Text1")->viewport();
        const QPoint boxPos = w.c("Text1")->pos();
        mouse(box, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 300, 300);
        mouse(box, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 1200, 750);
        mouse(box, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 1200, 750);
        QCOMPARE(w.c("Text1")->pos(), boxPos + QPoint(60, 30));
        QCOMPARE(textOf(w.c("Text1")), QString("Stream X,Y Coordinates (mi)\n1, 1\n"));
        w.dialogs->answerFile(std::nullopt);
        mouse(box, QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, 300, 300);
        QCOMPARE(w.dialogs->asked().back().kind, ScriptedDialogs::Asked::File);
        mouse(box, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, 3000, 3000);
        QCOMPARE(w.c("Text1")->pos(), boxPos + QPoint(60, 30));
        QVERIFY(w.dialogs->messages().empty());
    }

    void helpOpensTheProgramsHelpText()
    {
        MapWindow w;
        // A stand-in opener that notes the file it was asked to open.
        const QString opener = w.dir.filePath("opener");
        QFile f(opener);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setTextEditorOpener(opener);
        w.menu("Help");
        auto opened = [&] {
            QFile note(w.dir.filePath("opened.txt"));
            return note.open(QIODevice::ReadOnly) ? note.readAll() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(opened(), (w.dir.path() + "/CorvantineHelp.txt").toLocal8Bit(), 30000);
        setTextEditorOpener("xdg-open");
        QVERIFY(w.dialogs->asked().empty());
    }
};

QTEST_MAIN(ScaleWindowTest)
#include "scale_window_test.moc"
