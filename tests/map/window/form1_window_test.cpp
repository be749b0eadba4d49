// The map window clicked through as a user would: tracing a square, saving the
// coordinate file, moving and editing the label, figures following the view, the scale
// frame and its spinner, the box following the tracing, help. The scale kinds and
// refused replies: scale_test.cpp and tests/scenarios/map_*.scn.
#include <QPlainTextEdit>
#include <QSpinBox>

#include "map/map_window.h"

using namespace corv;
using namespace corv::test;

class Form1Window : public QObject {
    Q_OBJECT

private slots:
    void traceASquareSaveLabelZoomAndSetScale()
    {
        MapWindow w({1600, 1000});
        w.menu("Start Area");
        QCOMPARE(w.c("Image1")->cursor().shape(), Qt::CrossCursor);
        w.leftClicks({{1500, 1500}, {2500, 1500}, {2500, 2500}, {1500, 2500}});
        w.menu("End Area/Line");
        auto* box = control<QPlainTextEdit>(w.form, "Text1");  // its lines: tests/scenarios/trace_area.scn
        QCOMPARE(w.c("Image1")->cursor().shape(), Qt::ArrowCursor);

        // A right click on the box saves it under the name the user gives.
        w.dialogs->answerFile(w.dir.filePath("square.txt"));
        click(box->viewport(), Qt::RightButton, 300, 300);
        QCOMPARE(w.dialogs->asked().back().file.fileName, QString("CorvanData1.txt"));
        QCOMPARE(QString::fromLocal8Bit(readAll(w.dir.filePath("square.txt"))), box->toPlainText().replace("\n", "\r\n"));

        // "Add Label" puts the report where the menu was; the ring is drawn in the area
        // style, black and three pixels wide, closing edge too.
        w.menu("Add Label", 4500, 3000);
        QWidget* label = w.c("Label1(0)");
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
        QCOMPARE(label->pos(), inView(labelAt).toPoint());

        // Asked for near the lower right corner, the menu and the scale frame open inside.
        w.menu("Set Scale", 23500, 14500);
        w.leftClicks({{1500, 1500}, {2500, 3500}});
        const QRect window(QPoint(), w.c("UserControlPic1")->size());
        QVERIFY(w.c("frameScale")->isVisible() && window.contains(w.c("frameScale")->geometry()));
        QVERIFY(window.contains(w.c("lstMenu1")->geometry()));
        // The spinner follows the unit clicked (its rules: scale_test.cpp).
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        QCOMPARE(std::pair(spin->minimum(), spin->maximum()), std::pair(1, 100000));
        auto spinner = [&] { return std::tuple(textOf(w.c("Text2")), spin->value(), spin->singleStep()); };
        QTest::mouseClick(w.c("Option1(2)"), Qt::LeftButton);  // feet: the spinner moves in miles
        QCOMPARE(spinner(), std::tuple(QString("5280"), 5280, 5280));
        spin->stepBy(-1);  // hits 1: 5000 feet, steps of 1000
        QCOMPARE(spinner(), std::tuple(QString("5000"), 5000, 1000));
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
        // "Save Area/Line" into a missing folder says why (the words: save_file_test.cpp;
        // Cancel: coordinate_file_test.cpp).
        w.dialogs->answerFile(w.dir.filePath("gone/CorvanData0.txt"));
        w.menu("Save Area/Line");
        QVERIFY(w.dialogs->messages().size() == 1 && w.dialogs->messages()[0].startsWith("Path not found: "));
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

QTEST_MAIN(Form1Window)
#include "form1_window_test.moc"
