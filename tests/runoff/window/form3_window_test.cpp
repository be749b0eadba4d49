// The hydrograph window where a scenario cannot see: chart enlargement, closing with No
// and Yes, state kept for the run, the pointer after a compute, save and view, the
// routing frame, clicks during a compute. The traced main road and its numbers are in
// tests/scenarios/compute_e2e.scn, form3_open.scn and form3_methods.scn.
#include <QApplication>
#include <QChartView>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "app/program.h"
#include "hdb/window/date_form.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"
#include "runoff/stage_support.h"
#include "support/failing_save_device.h"
#include "support/program_window.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;
using corv::test::textOf;
using stagetest::readFile;

namespace {

// Dialogs that let the test act while a message box is up, as a user could click
// other controls while a real box lets events through.
struct ActingDialogs : ScriptedDialogs {
    std::function<void(const QString&)> whileShown;
    MsgAnswer msgBox(const QString& text, MsgStyle style = MsgStyle::OkOnly, const QString& title = {}) override
    {
        if (whileShown) whileShown(text);
        return ScriptedDialogs::msgBox(text, style, title);
    }
};

BasinMeasurements basin(const char* length = "10")
{
    return {2, QString("12.3"), QString(length), QString("5"), " (mi^2)", " (mi)"};
}

}  // namespace

class Form3WindowTest : public QObject, corv::test::ProgramWindow<ActingDialogs> {
    Q_OBJECT

private:
    Form1* map() { return program_->form1(); }
    QString text(const char* name) { return textOf(control(form3(), name)); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(form3(), name); }
    void expectTexts(std::initializer_list<std::pair<const char*, const char*>> expected)
    {
        for (auto [name, value] : expected) QVERIFY2(text(name) == value, qPrintable(QString(name) + ": " + text(name)));
    }
    // Select all, type, and leave the box.
    void type(const char* name, const QString& t)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, t);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &out);
    }
    void choose(const char* combo, const QString& item) { ProgramWindow::choose(control<QComboBox>(form3(), combo), item); }
    void closeAnswering(MsgAnswer a)
    {
        dialogs_->answerMessage(a);
        form3()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init()
    {
        startProgram();
        map()->setWindowState(Qt::WindowNoState);
        map()->resize(1000, 680);
        QCoreApplication::processEvents();
    }
    void cleanup() { stopProgram(); }

    // What a scenario cannot see: the chart's enlargement put back by No, the map menu
    // after Yes, and the design values and run-long state at reopening.
    void handOffFromTheMapThenCloseWithNoAndYes()
    {
        program_->handOffToRunoff(basin());
        QVERIFY(map()->isVisible());  // modeless: the map stays

        // No keeps the window and puts the chart enlarged by a double-click back; the map
        // menu stays hidden.
        Form3* f = form3();
        const TwipGeometry home = f->MSChart1->geometryTwips();
        program_->form3State().routeType = 2;
        program_->form3State().ratingFileName = "Pond.RAT";
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{0, 0, f->ScaleWidth(), f->ScaleHeight()}));
        auto* menu = map()->lstMenu1;
        map()->model().lstMenu1.Visible = false;
        map()->refresh();
        closeAnswering(MsgAnswer::No);
        QVERIFY(form3() == f && f->isVisible());
        QCOMPARE(f->MSChart1->geometryTwips(), home);
        QVERIFY(!menu->isVisible());
        QTest::mouseDClick(f->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));  // enlarged and back
        QCOMPARE(f->MSChart1->geometryTwips(), home);
        // Yes: the window goes and the map's menu shows again.
        closeAnswering(MsgAnswer::Yes);
        QVERIFY(!form3());
        QVERIFY(menu->isVisible());

        // Opened again (design values: form3_open.scn): the chart at its design place, the
        // run-long state kept, one copy of each period list.
        program_->handOffToRunoff(basin());
        QCOMPARE(form3()->MSChart1->geometryTwips(), (TwipGeometry{3600, 2880, 5415, 3405}));
        QCOMPARE(program_->form3State().routeType, std::int16_t(2));
        QCOMPARE(program_->form3State().ratingFileName, QString("Pond.RAT"));
        auto* dates = static_cast<DateForm*>(program_->window("DateForm"));
        QVERIFY(dates && dates->Combo7->count() == 25 && dates->Combo3->count() == 31);

        // "Clear Hydrograph Plots" ends a pending route and goes back to the table view.
        form3()->MSChart1->grid().setColumnCount(4);
        press(form3()->Command2);
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 2);
    }

    // The pointer during a compute, the save dialog's request, and View's opener.
    void computeThenSaveAndView()
    {
        program_->handOffToRunoff(basin());
        Form3* f = form3();
        choose("ComboDimgraph", "SCS.DGF");
        choose("ComboRain", "Peak at 2/3");
        press(f->Command1);
        QVERIFY(dialogs_->messages().empty());
        QVERIFY(!QApplication::overrideCursor());  // the hourglass is gone again

        // Save: the save dialog, then a copy of the report; Cancel copies nothing.
        const QByteArray written = readFile(dir_.filePath("Temp.GRF"));
        const QString saved = dir_.filePath("Saved.GRF");
        dialogs_->answerFile(saved);
        press(f->Command3);
        QCOMPARE(readFile(saved), written);
        const FileRequest& r = dialogs_->asked().front().file;
        QVERIFY(r.save && r.fileName.isEmpty() && r.title.isEmpty() && r.initDir == dir_.path());
        dialogs_->answerFile(std::nullopt);
        press(f->Command3);
        QVERIFY(dialogs_->messages().empty());
        // Onto a full disk: the user is told why and the older file stays (the save path's
        // other refusals are save_file_test's).
        stagetest::writeFile(saved, "an older hydrograph");
        {
            test::FailingSaveDevice full(test::FailingSaveDevice::Point::Byte, 100);
            const ScopedSaveDevice scoped(full);
            dialogs_->answerFile(saved);
            press(f->Command3);
        }
        QCOMPARE(dialogs_->messages().back(), "Path/File access error: " + saved + " could not be saved (No space left on device).");
        QCOMPARE(readFile(saved), QByteArray("an older hydrograph"));
        // View: the report in the program's read-only window in a fixed-width font; the
        // next View reads it afresh into the same window.
        press(f->ViewHydroData);
        auto* view = f->findChild<QPlainTextEdit*>("TextViewer");
        QVERIFY(view && view->isVisible() && view->isReadOnly() && QFontInfo(view->font()).fixedPitch());
        QCOMPARE(view->toPlainText(), QString::fromLatin1(written).replace("\r\n", "\n"));
        stagetest::writeFile(dir_.filePath("Temp.GRF"), "rewritten");
        press(f->ViewHydroData);
        QCOMPARE(f->findChildren<QPlainTextEdit*>("TextViewer"), QList<QPlainTextEdit*>{view});
        QCOMPARE(view->toPlainText(), QString("rewritten"));
    }

    // The routing frame: centred, Cancel only hides it, Go refuses routing without a
    // hydrograph and sends combining to the compute.
    void routeFrameCancelAndGo()
    {
        program_->handOffToRunoff(basin());
        Form3* f = form3();
        press(f->butRoute);  // its unit and travel time: form3_open.scn
        QVERIFY(f->frameRoute->isVisible());
        const TwipGeometry g = f->twipGeometry(f->frameRoute);
        QCOMPARE(g.Top, f->ScaleHeight() / 2 - 3735 / 2);
        QCOMPARE(g.Left, f->ScaleWidth() / 2 - 3015 / 2);
        press(f->Command5);
        QVERIFY(!f->frameRoute->isVisible());
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        press(f->butRoute);
        press(f->Command4);
        QVERIFY(!f->frameRoute->isVisible());
        QCOMPARE(dialogs_->messages().back(), QString("Compute hydrograph before routing or combining."));
        dialogs_->clear();
        press(f->butRoute);
        control<QAbstractButton>(f, "optRouteType(2)")->click();
        dialogs_->answerFile(std::nullopt);
        press(f->Command4);  // the file dialog is cancelled: the compute ends quietly
        QVERIFY(!f->frameRoute->isVisible() && dialogs_->messages().empty());
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 2);
    }

    void noSecondComputeAndNoClosingDuringOne()
    {
        program_->handOffToRunoff(basin());
        Form3* f = form3();
        choose("ComboDimgraph", "Rational Method");
        choose("ComboRain", "Average");
        type("txtC", "1.5");
        int tries = 0;
        dialogs_->whileShown = [this, &tries](const QString& text) {
            if (!text.startsWith("Warning, C estimate")) return;
            ++tries;  // the user clicks "Compute Hydrograph" again and closes the window
            press(form3()->Command1);
            form3()->close();
        };
        press(f->Command1);
        dialogs_->whileShown = nullptr;
        QCOMPARE(tries, 1);
        QCOMPARE(dialogs_->messages().size(), std::size_t(1));  // the warning alone: no exit question
        QVERIFY(form3() == f && f->isVisible());
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 3);  // one run, one column
        QVERIFY(f->windowTitle().startsWith("Runoff Qmax="));
    }

    // The triangle's relabelling and the triangle's values typed later never touch the
    // basin's lag and step; a basin handed over meanwhile waits with the basin's values,
    // and another method brings them back with the label's place.
    void triangleLeavesTheLagAndTheBasinAlone()
    {
        program_->handOffToRunoff(basin());
        Form3* f = form3();
        type("txtelv1", "5000");
        type("txtElv2", "4000");  // lag 2.56 h, step 15 minutes (lag_time_step_test)
        choose("ComboDimgraph", "Triangle Unit Graph");
        QCOMPARE(f->twipGeometry(f->lblL).Top, 960);  // the loss box shown and hidden: form3_methods.scn
        for (auto [box, value] : {std::pair{"txtL", "10"}, {"txtelv1", ".5"}, {"txtElv2", "0.3"}, {"txtC", "0.5"}})
            type(box, value);
        program_->handOffToRunoff(basin("7"));
        expectTexts({{"txtLag", "2.56"}, {"txtGraphtimestep", "15"}, {"txtL", "10"}, {"txtC", "0.5"}});
        choose("ComboDimgraph", "SCS.DGF");
        expectTexts({{"txtelv1", "5000"}, {"txtL", "7"}, {"txtC", "1.51"}, {"lblL", "Stream Length (mi)"}, {"txtLag", "2.56"}});
        QCOMPARE(f->twipGeometry(f->lblL).Top, 1080);
    }

    void closingTheMapEndsWithoutAsking()
    {
        program_->handOffToRunoff(basin());
        QWidget* f = form3();
        map()->close();
        QVERIFY(!f->isVisible());
        QVERIFY(dialogs_->asked().empty());
    }
};

QTEST_MAIN(Form3WindowTest)
#include "form3_window_test.moc"
