// The hydrograph window where a scenario cannot see: the chart's enlargement and
// place, state kept for the run, the pointer after a compute, save and view, clicks
// during a compute. The rest is in tests/scenarios/compute_e2e.scn and form3_*.scn.
#include <QApplication>
#include <QChartView>
#include <QPlainTextEdit>
#include <QtTest>
#include <functional>

#include "app/program.h"
#include "hdb/window/date_form.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"
#include "runoff/stage_support.h"
#include "support/failing_save_device.h"
#include "support/program_window.h"

using namespace corv;
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

const BasinMeasurements basin{2, QString("12.3"), QString("10"), QString("5"), " (mi^2)", " (mi)"};

}  // namespace

class Form3WindowTest : public QObject, corv::test::ProgramWindow<ActingDialogs> {
    Q_OBJECT

private:
    Form1* map() { return program_->form1(); }
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
        program_->handOffToRunoff(basin);
    }
    void cleanup() { stopProgram(); }

    // The chart's enlargement put back by No with the map menu still hidden; the
    // routing frame centred; the loss box moving the length caption; the design place
    // and the run-long state at reopening; "Clear Hydrograph Plots" ending a pending
    // route.
    void placesAndRunLongStateAcrossClosing()
    {
        Form3* f = form3();
        const TwipGeometry home = f->MSChart1->geometryTwips();
        program_->form3State().routeType = 2;
        program_->form3State().ratingFileName = "Pond.RAT";
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{0, 0, f->ScaleWidth(), f->ScaleHeight()}));
        map()->model().lstMenu1.Visible = false;
        map()->refresh();
        closeAnswering(MsgAnswer::No);
        QCOMPARE(f->MSChart1->geometryTwips(), home);
        QVERIFY(!map()->lstMenu1->isVisible());
        QTest::mouseDClick(f->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));  // enlarged and back
        QCOMPARE(f->MSChart1->geometryTwips(), home);

        press(f->butRoute);
        const TwipGeometry frame = f->twipGeometry(f->frameRoute);
        QCOMPARE(std::make_pair(frame.Top, frame.Left), std::make_pair(f->ScaleHeight() / 2 - 3735 / 2, f->ScaleWidth() / 2 - 3015 / 2));
        choose(f->ComboDimgraph, "Triangle Unit Graph");  // the loss box shows: form3_methods.scn
        QCOMPARE(f->twipGeometry(f->lblL).Top, 960);
        choose(f->ComboDimgraph, "SCS.DGF");
        QCOMPARE(f->twipGeometry(f->lblL).Top, 1080);

        closeAnswering(MsgAnswer::Yes);
        program_->handOffToRunoff(basin);
        QCOMPARE(form3()->MSChart1->geometryTwips(), (TwipGeometry{3600, 2880, 5415, 3405}));
        QCOMPARE(program_->form3State().routeType, std::int16_t(2));
        QCOMPARE(program_->form3State().ratingFileName, QString("Pond.RAT"));
        auto* dates = static_cast<DateForm*>(program_->window("DateForm"));
        QVERIFY(dates && dates->Combo7->count() == 25 && dates->Combo3->count() == 31);  // one copy of each list
        form3()->MSChart1->grid().setColumnCount(4);
        press(form3()->Command2);
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 2);
    }

    // The pointer after a compute, the save dialog's request, Cancel, a full disk, and
    // View's read-only window read afresh each time.
    void computeThenSaveAndView()
    {
        Form3* f = form3();
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, "Peak at 2/3");
        press(f->Command1);
        QVERIFY(dialogs_->messages().empty());
        QVERIFY(!QApplication::overrideCursor());

        const QByteArray written = readFile(path("Temp.GRF"));
        const QString saved = path("Saved.GRF");
        dialogs_->answerFile(saved);
        press(f->Command3);
        QCOMPARE(readFile(saved), written);
        const FileRequest& r = dialogs_->asked().front().file;
        QVERIFY(r.save && r.fileName.isEmpty() && r.title.isEmpty() && r.initDir == dir_.path());
        dialogs_->answerFile(std::nullopt);
        press(f->Command3);
        stagetest::writeFile(saved, "an older hydrograph");
        {
            test::FailingSaveDevice full(test::FailingSaveDevice::Point::Byte, 100);
            const ScopedSaveDevice scoped(full);
            dialogs_->answerFile(saved);
            press(f->Command3);
        }
        QCOMPARE(dialogs_->messages(), std::vector<QString>{"Path/File access error: " + saved + " could not be saved (No space left on device)."});
        QCOMPARE(readFile(saved), QByteArray("an older hydrograph"));

        press(f->ViewHydroData);
        auto* view = f->findChild<QPlainTextEdit*>("TextViewer");
        QVERIFY(view && view->isVisible() && view->isReadOnly() && QFontInfo(view->font()).fixedPitch());
        QCOMPARE(view->toPlainText(), QString::fromLatin1(written).replace("\r\n", "\n"));
        stagetest::writeFile(path("Temp.GRF"), "rewritten");
        press(f->ViewHydroData);
        QCOMPARE(f->findChildren<QPlainTextEdit*>("TextViewer"), QList<QPlainTextEdit*>{view});
        QCOMPARE(view->toPlainText(), QString("rewritten"));
    }

    void noSecondComputeAndNoClosingDuringOne()
    {
        Form3* f = form3();
        choose(f->ComboDimgraph, "Rational Method");
        choose(f->ComboRain, "Average");
        f->txtC->setText("1.5");
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
};

QTEST_MAIN(Form3WindowTest)
#include "form3_window_test.moc"
