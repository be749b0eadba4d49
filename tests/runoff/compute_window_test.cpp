// The hydrograph window computing as a user drives it: from a traced map through the
// hand-off to the report file, the caption and the chart; then View and Save on the
// real report, a storm file, the base-flow entry, a zero time step, and the chart
// toggle over plotted hydrographs.
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <functional>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "common/text_editor.h"
#include "common/twips.h"
#include "map/form1.h"
#include "runoff/form3.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;
using corv::test::textOf;

namespace {

// Mouse events at a position in twips inside w.
void click(QWidget* w, Qt::MouseButton button, double x, double y)
{
    const QPointF p(x / twips::perPixelX(), y / twips::perPixelY());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, p, w->mapToGlobal(p), button,
                      type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

void pickFrom(QWidget* form, const char* list, const QString& item)
{
    auto* l = control<QListWidget>(form, list);
    const auto found = l->findItems(item, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(item));
    l->setCurrentItem(found.first());
    emit l->itemClicked(found.first());
}

// Dialogs that let the test act while a message box is up, as a user could click
// other controls while a real box lets events through.
class ActingDialogs : public ScriptedDialogs {
public:
    std::function<void(const QString&)> whileShown;
    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override
    {
        if (whileShown) whileShown(text);
        return ScriptedDialogs::msgBox(text, style, title);
    }
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class ComputeWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    ActingDialogs* dialogs_ = nullptr;
    std::unique_ptr<Program> program_;

    Form1* map() { return program_->form1(); }
    Form3* form3() { return static_cast<Form3*>(program_->window("Form3")); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(form3(), name); }
    void type(const char* name, const QString& t)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, t);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &out);
    }
    void choose(const char* combo, const QString& item)
    {
        auto* c = control<QComboBox>(form3(), combo);
        const int i = c->findText(item);
        QVERIFY(i >= 0);
        c->setCurrentIndex(i);
    }
    void compute() { QTest::mouseClick(form3()->Command1, Qt::LeftButton); }
    QString report() { return QString::fromLatin1(readAll(dir_.filePath("Temp.GRF"))); }

    // A picture, a scale of one mile to 3000 twips, a square mile traced and a stream
    // across it, and the hand-off.
    void traceAndHandOff()
    {
        QWidget* image = control(map(), "Image1");
        dialogs_->answerFile(QStringLiteral(TEST_DATA_DIR "/basin.bmp"));
        click(image, Qt::RightButton, 600, 600);
        pickFrom(map(), "lstMenu1", "Load/Save Map");
        pickFrom(map(), "lstMenu2", "Load Map File");

        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "Set Scale");
        click(image, Qt::LeftButton, 1500, 1500);
        click(image, Qt::LeftButton, 4500, 1500);
        QTest::mouseClick(control<QAbstractButton>(map(), "Command1"), Qt::LeftButton);

        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "Start Area");
        for (auto [x, y] : {std::pair{1500, 1500}, {4500, 1500}, {4500, 4500}, {1500, 4500}})
            click(image, Qt::LeftButton, x, y);
        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "End Area/Line");
        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "Start Stream Line");
        for (auto [x, y] : {std::pair{1500, 3000}, {3000, 3000}, {4500, 3000}}) click(image, Qt::LeftButton, x, y);
        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "End Area/Line");
        const QString text1 = control<QPlainTextEdit>(map(), "Text1")->toPlainText();
        QVERIFY2(text1.contains("Perimeter= 4.00 (mi)"), qPrintable(text1));

        click(image, Qt::RightButton, 6000, 600);
        pickFrom(map(), "lstMenu1", "Runoff Hydrogaph");
        QVERIFY(form3() && form3()->isVisible());
    }

private slots:
    void init()
    {
        QFile::copy(QStringLiteral(PROGRAM_DATA_DIR "/SCS.DGF"), dir_.filePath("SCS.DGF"));
        auto d = std::make_unique<ActingDialogs>();
        dialogs_ = d.get();
        program_ = std::make_unique<Program>(dir_.path(), std::move(d));
        map()->show();
        map()->setWindowState(Qt::WindowNoState);
        map()->resize(1000, 680);
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        QCOMPARE(dialogs_->unanswered(), 0);
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(dir_.filePath("Temp.GRF"));
    }

    void fromTheMapToTheChart()
    {
        traceAndHandOff();
        QCOMPARE(edit("txtBasinArea")->text(), QString("1.000"));
        QCOMPARE(edit("txtL")->text(), QString("1.00"));
        QCOMPARE(edit("txtLca")->text(), QString("0.500"));
        type("txtelv1", "5000");
        type("txtElv2", "4000");
        QCOMPARE(edit("txtLag")->text(), QString("0.54"));
        QCOMPARE(edit("txtGraphtimestep")->text(), QString("5"));
        choose("ComboDimgraph", "SCS.DGF");
        choose("ComboRain", "Peak at 2/3");
        type("txtCNloss", "75");
        compute();

        QVERIFY(dialogs_->messages().empty());
        QCOMPARE(form3()->windowTitle(), QString("Runoff Qmax=24 cfs, Vol=1.6 acft, RainLoss=0.97 in from 1.00 total"));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 3);
        QCOMPARE(textOf(form3()->MSChart1), QString("3 columns, 47 rows"));
        QVERIFY(!QApplication::overrideCursor());  // the hourglass is gone again
        const QStringList lines = report().split("\r\n");
        QCOMPARE(lines.at(0), QString("Enter Title 1"));
        QCOMPARE(lines.at(2), QString("Basin Area (mi^2):  1 "));
        QCOMPARE(lines.at(4), QString("Lag Time:  .54 "));
        QCOMPARE(lines.at(9), QString("Dimensionless Graph:  SCS.DGF"));
        QCOMPARE(lines.at(13), QString("    1.000     1.00     24.0  1.33333      1.6"));
        QCOMPARE(lines.at(15), QString("     Time   Runoff Rainfall   Excess       CN       S1   CNpsum   GW_cfs"));
        QCOMPARE(lines.at(16 + 16), QString("  1.33333       24"));
        QCOMPARE(lines.size(), 16 + 47 + 1);  // 47 rows, and the last line's end

        // The chart still enlarges and comes back with hydrographs on it.
        const TwipGeometry home = form3()->MSChart1->geometryTwips();
        QTest::mouseDClick(form3()->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(form3()->MSChart1->geometryTwips().Top, 0);
        QTest::mouseDClick(form3()->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(form3()->MSChart1->geometryTwips(), home);

        // A second compute adds a column.
        type("txtCNloss", "85");
        compute();
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 4);
        QVERIFY(report().contains("SCS Curve Number CN:  85 ,"));
    }

    void viewAndSaveTheRealReport()
    {
        traceAndHandOff();
        auto* f = form3();
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(dialogs_->messages().back(), QString("Compute hydrograph before saving."));
        choose("ComboDimgraph", "SCS.DGF");
        choose("ComboRain", "Average");
        compute();
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 3);
        const QByteArray written = readAll(dir_.filePath("Temp.GRF"));
        QVERIFY(written.startsWith("Enter Title 1\r\n"));

        const QString saved = dir_.filePath("Saved.GRF");
        dialogs_->answerFile(saved);
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(readAll(saved), written);

        // View: the opener gets the program folder's Temp.GRF as its one argument.
        const QString opener = dir_.filePath("opener.sh");
        QFile script(opener);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/viewed.txt\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString before = textEditorOpener();
        setTextEditorOpener(opener);
        QTest::mouseClick(f->ViewHydroData, Qt::LeftButton);
        QTRY_COMPARE(readAll(dir_.filePath("viewed.txt")), dir_.filePath("Temp.GRF").toLocal8Bit());
        setTextEditorOpener(before);
    }

    void noSecondComputeAndNoClosingDuringOne()
    {
        traceAndHandOff();
        auto* f = form3();
        choose("ComboDimgraph", "Rational Method");
        choose("ComboRain", "Average");
        type("txtC", "1.5");
        int tries = 0;
        dialogs_->whileShown = [this, &tries](const QString& text) {
            if (!text.startsWith("Warning, C estimate")) return;
            ++tries;
            // The user clicks "Compute Hydrograph" again and closes the window.
            QTest::mouseClick(form3()->Command1, Qt::LeftButton);
            form3()->close();
        };
        compute();
        dialogs_->whileShown = nullptr;
        QCOMPARE(tries, 1);
        QCOMPARE(dialogs_->messages().size(), std::size_t(1));  // the warning alone: no exit question
        QVERIFY(form3() == f && f->isVisible());
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 3);  // one run, one column
        QVERIFY(f->windowTitle().startsWith("Runoff Qmax="));
        QVERIFY(!QApplication::overrideCursor());
    }

    void stormFileBaseFlowAndErrors()
    {
        traceAndHandOff();
        auto* f = form3();
        // A zero time step ends in the error handler with the hint; nothing is written.
        choose("ComboDimgraph", "Triangle Unit Graph");
        choose("ComboRain", "Peak Centered");
        QVERIFY(f->GWloss->isVisible());
        type("txtGraphtimestep", "0");
        compute();
        QCOMPARE(dialogs_->messages().back(), QString("Division by zero\nCheck your time step for hours or minutes!"));
        QVERIFY(!QFile::exists(dir_.filePath("Temp.GRF")));
        QCOMPARE(f->windowTitle(), QString("Runoff Hydrograph"));
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 2);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));

        // A storm file rewrites the table, the time step and the second title; the
        // triangle's relabelled length box carries the base flow.
        type("txtL", "10");
        type("txtCNloss", "0.1");
        const QString storm = QStringLiteral(TEST_DATA_DIR "/storm_comma.STM");
        choose("ComboRain", "Storm File");
        dialogs_->answerFile(storm);
        compute();
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 3);
        QCOMPARE(edit("txtDuration(0)")->text(), QString());
        QCOMPARE(edit("txtRain(0)")->text(), QString());
        QCOMPARE(edit("txtGraphtimestep")->text(), QString("0.5"));
        QCOMPARE(f->Label14->text(), QString("Hydrograph Time Step (hours)"));
        QCOMPARE(edit("txtTile2")->text(), "Storm file " + storm);
        QVERIFY(report().startsWith("Enter Title 1\r\nStorm file " + storm + "\r\n"));
        QVERIFY(report().contains("\r\nTriangular factors: 0.4, 0.5, 1.5, .2, 3\r\n"));
        // 0.1 in of initial loss takes the first step's rain; 10 cfs of base flow.
        QVERIFY(report().contains("\r\n  0.50000       10  0.10000  0.00000  0.10000       10\r\n"));
        QCOMPARE(f->twipGeometry(f->lblL).Top, 960);

        // Handed a stream length again, the box is a length: label down, loss box hidden.
        BasinMeasurements m;
        m.streamLength = QStringLiteral("1.00");
        m.lengthUnits = QStringLiteral(" (mi)");
        program_->handOffToRunoff(m);
        choose("ComboRain", "Average");
        type("txtDuration(0)", "1");
        type("txtRain(0)", "2");
        compute();
        QCOMPARE(f->twipGeometry(f->lblL).Top, 1080);
        QVERIFY(!f->GWloss->isVisible());
        QCOMPARE(program_->form3State().computeState.baseFlow, 0.0f);
    }
};

QTEST_MAIN(ComputeWindowTest)
#include "compute_window_test.moc"
