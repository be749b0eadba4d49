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
        MapWindow w({1600, 1000});
        // Asked for near the lower right corner, the menu and the scale frame open inside.
        w.menu("Set Scale", 23500, 14500);
        QCOMPARE(w.form->windowTitle(), QString("Left Click 1st Point on Scale"));
        w.leftClicks({{1500, 1500}, {2500, 1500}});  // 1,000 twips apart
        QWidget* frame = w.c("frameScale");
        const QRect window(QPoint(), w.c("UserControlPic1")->size());
        QVERIFY(frame->isVisible() && window.contains(frame->geometry()) && window.contains(w.c("lstMenu1")->geometry()));
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
        QCOMPARE(textOf(w.c("Label1(0)")), QString("Area1= 1.000 (mi^2), Perimeter= 4.00 (mi)"));
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

        // The figures stay on the picture as the view changes: zoomed in twice by 1.5 and
        // moved by half the viewport right and down, then centred by "Set Scale" (which
        // resets a zoomed view), the label and the ring's top edge keep their place on it.
        const TwipRect& r = w.m().Image1.rect;
        const auto onPicture = [&r](QPointF p) { return QPointF((p.x() * 15 - r.Left) / r.Width, (p.y() * 15 - r.Top) / r.Height); };
        const auto inView = [&r](QPointF f) { return QPointF(r.Left + f.x() * r.Width, r.Top + f.y() * r.Height) / 15; };
        const QPointF labelAt = onPicture(label->pos()), edgeAt = onPicture(QPointF(133, 100));
        w.dialogs->answerInput(QStringLiteral("0.5"));
        w.pictureMenu("Scroll/Zoom Speed");
        for (auto [x, y] : {std::pair{900, 100}, {900, 100}, {100, 400}, {350, 100}})
            click(w.c("img4Way"), Qt::LeftButton, x, y);
        QCOMPARE(label->pos(), inView(labelAt).toPoint());
        QCOMPARE(w.c("UserControlPic1")->grab().toImage().pixelColor(inView(edgeAt).toPoint()), QColor(Qt::black));
        w.menu("Set Scale");
        QCOMPARE(w.m().Image1.rect.Left, (w.m().UserControlPic1.Width - w.m().Image1.rect.Width) / 2);
        QCOMPARE(label->pos(), inView(labelAt).toPoint());
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
        // "Save Area/Line" into a missing folder says why (the words: save_file_test.cpp);
        // Cancel stays silent.
        w.dialogs->answerFile(w.dir.filePath("gone/CorvanData0.txt"));
        w.menu("Save Area/Line");
        w.dialogs->answerFile(std::nullopt);
        w.menu("Save Area/Line");
        QVERIFY(w.dialogs->messages().size() == 1 && w.dialogs->messages()[0].startsWith("Path not found: "));
    }
};

QTEST_MAIN(Form1Window)
#include "form1_window_test.moc"
