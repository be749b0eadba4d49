// The map window's scale frame, drags, label edit, coordinate file and help, clicked
// through as a user would (offscreen, scripted dialogs).
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include "app/program.h"
#include "common/text_editor.h"
#include "common/twips.h"
#include "map/form1.h"
#include "support/widget_lookup.h"

// Tracing and the main menu's scale and trace items come with map/trace.h; without
// them the test takes the scale points by setting what the two clicks would leave.
#if __has_include("map/trace.h")
#define CORV_HAVE_TRACING 1
#else
#define CORV_HAVE_TRACING 0
#endif

using namespace corv;
using corv::test::control;
using corv::test::textOf;

namespace {

// Mouse events at a position in twips inside w (sub-pixel, so twips are exact).
void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, double x, double y)
{
    const QPointF p(x / twips::perPixelX(), y / twips::perPixelY());
    QMouseEvent e(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void click(QWidget* w, Qt::MouseButton button, double x, double y)
{
    mouse(w, QEvent::MouseButtonPress, button, button, x, y);
    mouse(w, QEvent::MouseButtonRelease, button, Qt::NoButton, x, y);
}
void pick(QWidget* form, const QString& item)
{
    auto* list = control<QListWidget>(form, "lstMenu1");
    const auto found = list->findItems(item, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first());
    emit list->itemClicked(found.first());
}
void type(QWidget* box, const QString& text)
{
    box->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(box)) e->selectAll();
    QTest::keyClicks(box, text);
}
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Window {
    QTemporaryDir dir;
    ScriptedDialogs* dialogs;
    std::unique_ptr<Program> program;
    Form1* form;

    Window()
    {
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs = owned.get();
        program = std::make_unique<Program>(dir.path(), std::move(owned));
        form = program->form1();
        form->show();
        // A viewport 680 pixels high puts the traced square's corners where their single
        // precision y values give an area of at least 1 (at most heights the same square
        // measures 0.9999999 and reads 1.000).
        form->setWindowState(Qt::WindowNoState);
        form->resize(1000, 680);
        QCoreApplication::processEvents();
    }
    MapModel& m() { return form->model(); }
    QWidget* c(const QString& name) { return control(form, name); }

    // "Set Scale" and the two clicks on the map, with the menu popped up at (x, y).
    void takeScalePoints(double menuX, double menuY, double x1, double y1, double x2, double y2)
    {
        QWidget* image = c("Image1");
        click(image, Qt::RightButton, menuX, menuY);
        pick(form, "Set Scale");
#if CORV_HAVE_TRACING
        QCOMPARE(m().s.traceMode, 3);
        QCOMPARE(form->windowTitle(), QString("Left Click 1st Point on Scale"));
        click(image, Qt::LeftButton, x1, y1);
        click(image, Qt::LeftButton, x2, y2);
        QCOMPARE(form->windowTitle(), QString("Left Click 2nd Point on Scale"));
#else
        m().s.traceMode = 3;
        m().s.lastPointX = static_cast<float>(x1);
        m().s.lastPointY = static_cast<float>(y1);
        m().Shape1.Visible = true;
        m().s.scalePoint2X = static_cast<float>(x2);
        m().s.scalePoint2Y = static_cast<float>(y2);
        m().Shape2.Visible = true;
        showScaleFrame(m());
        form->refresh();
#endif
    }
};

}  // namespace

class ScaleWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirNamesAndCaptions()
    {
        Window w;
        QCOMPARE(textOf(w.c("frameScale")), QString("Scale distance and units"));
        const QStringList captions = {"Miles / Sq Miles", "Miles / Acres",     "Feet / Sq Feet", "Feet / Acres",
                                      "Feet / Sq Miles",  "Old Nexrad Pixels", "General Pixels", "Longitude/Latitude"};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(textOf(w.c(QStringLiteral("Option1(%1)").arg(i))), captions[i]);
        QVERIFY(control<QRadioButton>(w.form, "Option1(0)")->isChecked());
        QCOMPARE(textOf(w.c("Label2")), QString("Enter distance:"));
        QCOMPARE(textOf(w.c("Text2")), QString("1"));
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        QCOMPARE(spin->minimum(), 1);
        QCOMPARE(spin->maximum(), 100000);
        QCOMPARE(spin->value(), 1);
        QCOMPARE(spin->singleStep(), 1);
        QCOMPARE(textOf(w.c("Command1")), QString("Ok"));
        QVERIFY(!w.c("frameScale")->isVisible());
    }

    void setScaleTraceASquareAndSaveTheCoordinates()
    {
        Window w;
        w.takeScalePoints(3000, 2400, 1500, 1500, 2500, 1500);  // 1,000 twips apart
        QWidget* frame = w.c("frameScale");
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->pos(), QPoint(twips::toPixelsX(3000), twips::toPixelsY(2400)));

        QTest::mouseClick(w.c("Option1(1)"), Qt::LeftButton);
        QTest::mouseClick(w.c("Option1(0)"), Qt::LeftButton);
        type(w.c("Text2"), "1");
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(w.dialogs->asked().empty());
        QVERIFY(!frame->isVisible());
        QCOMPARE(w.form->windowTitle(), QString("Right Click for menu"));
        QCOMPARE(w.m().s.traceMode, 0);
        QCOMPARE(w.m().s.scaleX, 0.001f);
        QCOMPARE(w.m().s.lengthUnits, QString(" (mi)"));
        QCOMPARE(w.m().s.areaUnits, QString(" (mi^2)"));
        QCOMPARE(w.m().s.areaFactor, 1.0f);

        QWidget* image = w.c("Image1");
#if CORV_HAVE_TRACING
        click(image, Qt::RightButton, 4000, 4000);
        pick(w.form, "Start Area");
        for (auto [x, y] : {std::pair{1500, 1500}, {2500, 1500}, {2500, 2500}, {1500, 2500}})
            click(image, Qt::LeftButton, x, y);
        click(image, Qt::RightButton, 4000, 4000);
        pick(w.form, "End Area/Line");
        QVERIFY2(w.m().Text1.Text.contains("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)"),
                 qPrintable(w.m().Text1.Text));
        const QString proposed = "CorvanData1.txt";
#else
        qInfo("tracing is not in this build: the coordinate box is filled as a square's trace leaves it");
        click(image, Qt::LeftButton, 4000, 4000);
        w.m().Text1.Text = "Area1 X,Y Coordinates   (mi)\r\n1.5, 4.366667\r\n2.5, 4.366667\r\n2.5, 3.366667\r\n"
                           "1.5, 3.366667\r\n1.5, 4.366667\r\nXmin 1.5, Ymin 3.366667, Xmax 2.5, Ymax 4.366667\r\n"
                           "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi), Centroid= 2.00, 3.87\r\n";
        w.m().Text1.Visible = true;
        w.form->refresh();
        const QString proposed = "CorvanData0.txt";
#endif
        auto* text1 = control<QPlainTextEdit>(w.form, "Text1");
        QVERIFY(text1->isVisible());
        const QString path = w.dir.filePath("square.txt");
        w.dialogs->answerFile(path);
        click(text1->viewport(), Qt::RightButton, 300, 300);
        QCOMPARE(w.dialogs->asked().size(), std::size_t(1));
        QCOMPARE(w.dialogs->asked()[0].file.fileName, proposed);
        QCOMPARE(w.dialogs->asked()[0].file.initDir, w.dir.path());
        const QByteArray saved = readAll(path);
        QCOMPARE(saved, w.m().Text1.Text.toLocal8Bit());
        QString shown = text1->toPlainText();
        shown.replace("\r\n", "\n").replace("\n", "\r\n");
        QCOMPARE(saved, shown.toLocal8Bit());
        QVERIFY(w.dialogs->messages().empty());

#if CORV_HAVE_TRACING
        // "Save Area/Line" opens the same save.
        const QString again = w.dir.filePath("again.txt");
        w.dialogs->answerFile(again);
        click(image, Qt::RightButton, 4000, 4000);
        pick(w.form, "Save Area/Line");
        QCOMPARE(readAll(again), saved);
#else
        w.dialogs->answerFile(std::nullopt);
        w.form->Text1_MouseDown(2, 0, 0, 0);  // what "Save Area/Line" calls
        QCOMPARE(w.dialogs->asked().size(), std::size_t(2));
        QVERIFY(w.dialogs->messages().empty());
#endif
    }

    void refusedPixelPairsKeepTheFrameOpen()
    {
        Window w;
        w.takeScalePoints(3000, 2400, 1500, 1500, 2500, 3500);
        QTest::mouseClick(w.c("Option1(6)"), Qt::LeftButton);
        w.dialogs->answerInput(QStringLiteral("100,200,300"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QCOMPARE(w.dialogs->messages().size(), std::size_t(1));
        QVERIFY(w.dialogs->messages()[0].contains("X1,Y1,X2,Y2"));
        QVERIFY(w.c("frameScale")->isVisible());
        QCOMPARE(w.m().s.traceMode, 3);
        QCOMPARE(w.m().s.scaleX, 1.0f);

        w.dialogs->answerInput(QStringLiteral("100,200,300,400"));
        QTest::mouseClick(w.c("Command1"), Qt::LeftButton);
        QVERIFY(!w.c("frameScale")->isVisible());
        QCOMPARE(w.m().s.scaleX, 0.2f);
        QCOMPARE(w.m().s.scaleY, 0.1f);
        QVERIFY(!w.m().s.panZoomAllowed);
        QCOMPARE(w.dialogs->unanswered(), 0);
    }

    void spinnerFollowsTheOptions()
    {
        Window w;
        w.takeScalePoints(3000, 2400, 1500, 1500, 2500, 1500);
        auto* spin = control<QSpinBox>(w.form, "UpDown1");
        type(w.c("Text2"), "10");
        QTest::mouseClick(w.c("Option1(2)"), Qt::LeftButton);
        QCOMPARE(textOf(w.c("Text2")), QString("5280"));
        QCOMPARE(spin->value(), 5280);
        QCOMPARE(spin->singleStep(), 5280);
        spin->stepBy(1);
        QCOMPARE(textOf(w.c("Text2")), QString("10560"));
        spin->stepBy(-1);
        spin->stepBy(-1);  // hits 1: 5000 feet, steps of 1000
        QCOMPARE(spin->value(), 5000);
        QCOMPARE(spin->singleStep(), 1000);
        QCOMPARE(textOf(w.c("Text2")), QString("5000"));
        QTest::mouseClick(w.c("Option1(0)"), Qt::LeftButton);
        QCOMPARE(textOf(w.c("Text2")), QString("1"));
        QCOMPARE(spin->value(), 1);
        QCOMPARE(spin->singleStep(), 1);
        QTest::mouseClick(w.c("Option1(7)"), Qt::LeftButton);
        QCOMPARE(spin->singleStep(), 1);
        QVERIFY(w.dialogs->asked().empty());
    }

    void dragsAndLabelEdit()
    {
        Window w;
        // The frame, grabbed at its corner.
        showScaleFrame(w.m());
        w.form->refresh();
        QWidget* frame = w.c("frameScale");
        const double left = w.m().frameScaleRect.Left, top = w.m().frameScaleRect.Top;
        mouse(frame, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 45, 45);
        mouse(frame, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 1545, 795);
        QCOMPARE(w.m().frameScaleRect.Left, left + 1500);
        QCOMPARE(w.m().frameScaleRect.Top, top + 750);
        QCOMPARE(frame->pos(), QPoint(twips::toPixelsX(left + 1500), twips::toPixelsY(top + 750)));
        mouse(frame, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, 3000, 3000);
        QCOMPARE(w.m().frameScaleRect.Left, left + 1500);

        // A map label: dragged with the left button, edited with the right.
        w.m().Label1[0].Caption = "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)";
        w.m().Label1[0].rect.Left = 1500;
        w.m().Label1[0].rect.Top = 1500;
        w.m().Label1[0].Visible = true;
        w.form->refresh();
        QWidget* label = w.c("Label1(0)");
        mouse(label, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 150, 90);
        mouse(label, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 750, 390);
        mouse(label, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 750, 390);
        QCOMPARE(w.m().Label1[0].rect.Left, 2100.0);
        QCOMPARE(w.m().Label1[0].rect.Top, 1800.0);
        QCOMPARE(label->pos(), QPoint(twips::toPixelsX(2100), twips::toPixelsY(1800)));
        // The same through the window, as the mouse really delivers it (pixels here).
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(10, 4));
        QTest::mouseMove(label, QPoint(50, 24));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(50, 24));
        QCOMPARE(w.m().Label1[0].rect.Left, 2100.0 + twips::fromPixelsX(40));
        QCOMPARE(w.m().Label1[0].rect.Top, 1800.0 + twips::fromPixelsY(20));
        w.m().Label1[0].rect.Left = 2100;
        w.m().Label1[0].rect.Top = 1800;
        w.form->refresh();
        w.dialogs->answerInput(QStringLiteral("Upper basin"));
        click(label, Qt::RightButton, 30, 30);
        QCOMPARE(w.dialogs->asked().back().text, QString("Edit label:"));
        QCOMPARE(w.dialogs->asked().back().title, QString("Edit Label"));
        QCOMPARE(w.dialogs->asked().back().extra, QString("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)"));
        QCOMPARE(textOf(label), QString("Upper basin"));

        // The coordinate box moves with its text; both buttons open the save instead.
        w.m().Text1.Text = "Stream X,Y Coordinates (mi)\r\n1, 1\r\n";
        w.m().Text1.Visible = true;
        w.form->refresh();
        auto* text1 = control<QPlainTextEdit>(w.form, "Text1");
        const double tl = w.m().Text1.rect.Left, tt = w.m().Text1.rect.Top;
        mouse(text1->viewport(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 300, 300);
        mouse(text1->viewport(), QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 1200, 750);
        mouse(text1->viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 1200, 750);
        QCOMPARE(w.m().Text1.rect.Left, tl + 900);
        QCOMPARE(w.m().Text1.rect.Top, tt + 450);
        QCOMPARE(text1->toPlainText(), QString("Stream X,Y Coordinates (mi)\n1, 1\n"));
        const std::size_t asked = w.dialogs->asked().size();
        w.dialogs->answerFile(std::nullopt);
        mouse(text1->viewport(), QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, 300, 300);
        QCOMPARE(w.dialogs->asked().size(), asked + 1);
        QCOMPARE(w.dialogs->asked().back().kind, ScriptedDialogs::Asked::File);
        mouse(text1->viewport(), QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, 3000, 3000);
        QCOMPARE(w.m().Text1.rect.Left, tl + 900);
        QVERIFY(w.dialogs->messages().empty());
    }

    void helpOpensTheProgramsHelpText()
    {
        Window w;
        // A stand-in opener that notes the file it was asked to open.
        const QString opener = w.dir.filePath("opener");
        {
            QFile f(opener);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        setTextEditorOpener(opener);
        w.form->OpenHelp();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(w.dir.filePath("opened.txt")), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(readAll(w.dir.filePath("opened.txt")),
                                  (w.dir.path() + "/CorvantineHelp.txt").toLocal8Bit(), 30000);
        setTextEditorOpener("xdg-open");
        QVERIFY(w.dialogs->asked().empty());
    }
};

QTEST_MAIN(ScaleWindowTest)
#include "scale_window_test.moc"
