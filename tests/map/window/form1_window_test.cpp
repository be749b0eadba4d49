// The map window clicked through as a user would: setting the scale with two clicks,
// tracing a square, reading the box and the label, saving the coordinate file, moving
// and editing the label, the box following the tracing.
#include <QPlainTextEdit>

#include "map/map_window.h"

using namespace corv;
using namespace corv::test;

class Form1Window : public QObject {
    Q_OBJECT

private slots:
    void setScaleTraceASquareAndSaveTheCoordinates()
    {
        MapWindow w;
        w.menu("Set Scale", 3000, 2400);
        QCOMPARE(w.form->windowTitle(), QString("Left Click 1st Point on Scale"));
        w.leftClicks({{1500, 1500}, {2500, 1500}});  // 1,000 twips apart
        QWidget* frame = w.c("frameScale");
        QCOMPARE(frame->pos(), QPoint(twips::toPixelsX(3000), twips::toPixelsY(2400)));
        auto* distance = control<QLineEdit>(w.form, "Text2");  // "Miles / Sq Miles" as it opens
        distance->selectAll();
        QTest::keyClicks(distance, "1");
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(!frame->isVisible());

        w.menu("Start Area");
        QCOMPARE(w.c("Image1")->cursor().shape(), Qt::CrossCursor);
        w.leftClicks({{1500, 1500}, {2500, 1500}, {2500, 2500}, {1500, 2500}});
        w.menu("End Area/Line");
        auto* box = control<QPlainTextEdit>(w.form, "Text1");  // its lines: tests/scenarios/trace_area.scn
        QVERIFY(box->isVisible());
        QCOMPARE(textOf(w.c("Label1(0)")), QString("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)"));
        QCOMPARE(w.c("Image1")->cursor().shape(), Qt::ArrowCursor);

        // A right click on the box saves it under the name the user gives.
        w.dialogs->answerFile(w.dir.filePath("square.txt"));
        click(box->viewport(), Qt::RightButton, 300, 300);
        QCOMPARE(w.dialogs->asked().back().file.fileName, QString("CorvanData1.txt"));
        QCOMPARE(QString::fromLocal8Bit(readAll(w.dir.filePath("square.txt"))), box->toPlainText().replace("\n", "\r\n"));

        // "Add Label" puts the report where the menu was and hides the box; the ring is
        // drawn in the area style, black and three pixels wide, closing edge too.
        w.menu("Add Label", 4500, 3000);
        QWidget* label = w.c("Label1(0)");
        QVERIFY(label->isVisible() && !box->isVisible());
        QCOMPARE(label->pos(), QPoint(300, 200));
        const QImage shot = w.c("UserControlPic1")->grab().toImage();
        for (QPoint edge : {QPoint(100, 133), QPoint(99, 133), QPoint(166, 133), QPoint(133, 100), QPoint(133, 166)})
            QCOMPARE(shot.pixelColor(edge), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(133, 133), QColor(Qt::white));
        // The label follows a left-button drag; the right button edits it.
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(10, 4));
        QTest::mouseMove(label, QPoint(50, 24));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(50, 24));
        QCOMPARE(label->pos(), QPoint(340, 220));
        w.dialogs->answerInput(QStringLiteral("Upper basin"));
        click(label, Qt::RightButton, 30, 30);
        QCOMPARE(textOf(label), QString("Upper basin"));
        QVERIFY(w.dialogs->messages().empty());
    }

    void coordinateBoxFollowsTracingUndoAndEdits()
    {
        MapWindow w;
        w.menu("Start Stream Line");
        for (int k = 0; k < 40; ++k) w.leftClicks({{750.0 + 75 * k, 900.0 + 15 * (k % 3)}});
        auto* box = control<QPlainTextEdit>(w.form, "Text1");
        auto shownAsModel = [&] { return box->toPlainText() == QString(w.m().Text1.Text).replace("\r\n", "\n"); };
        QVERIFY(shownAsModel() && box->toPlainText().count('\n') == 41 && box->textCursor().atEnd());
        w.menu("Undo Current Line");
        QVERIFY(shownAsModel() && box->toPlainText().count('\n') == 40);
        // A line typed by the user joins the model's text; the next vertex goes after it.
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, "note");
        QVERIFY(w.m().Text1.Text.endsWith("\r\nnote"));
        w.leftClicks({{4500, 1200}});
        QVERIFY(box->toPlainText().contains("\nnote") && shownAsModel());
    }

    // "Save Area/Line" into a missing folder says why; Cancel stays silent. Read-only
    // files and full disks: coordinate_file_test.cpp.
    void coordinateFileFailuresSayWhy()
    {
        MapWindow w;
        w.menu("Start Stream Line");
        w.leftClicks({{750.0, 900.0}, {1500.0, 950.0}});
        const QString lost = w.dir.filePath("gone/CorvanData0.txt");
        w.dialogs->answerFile(lost);
        w.menu("Save Area/Line");
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{"Path not found: " + lost + " could not be saved (the folder " +
                                                             w.dir.filePath("gone") + " does not exist)."});
        w.dialogs->answerFile(std::nullopt);
        w.menu("Save Area/Line");
        QCOMPARE(w.dialogs->messages().size(), std::size_t(1));
    }
};

QTEST_MAIN(Form1Window)
#include "form1_window_test.moc"
