// The hydrograph window where a scenario cannot see (the rest: tests/scenarios/
// compute_e2e.scn, form3_*.scn): places, run-long state, save and view, busy clicks.
#include <QApplication>
#include <QChartView>
#include <QPlainTextEdit>
#include <QtTest>
#include <functional>

#include "hdb/window/date_form.h"
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

private slots:
    void init()
    {
        startProgram();
        program_->handOffToRunoff(basin);
    }
    void cleanup() { stopProgram(); }

    // The enlarged chart put back by No, the map menu still hidden; the routing frame
    // centred; the length caption moved by the loss box; at reopening the design place
    // and the run-long state; "Clear Hydrograph Plots" ending a pending route.
    void placesAndRunLongStateAcrossClosing()
    {
        Form3* f = form3();
        const TwipGeometry home = f->MSChart1->geometryTwips();
        program_->form3State().routeType = 2;
        program_->form3State().ratingFileName = "Pond.RAT";
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{0, 0, f->ScaleWidth(), f->ScaleHeight()}));
        program_->form1()->model().lstMenu1.Visible = false;
        program_->form1()->refresh();
        dialogs_->answerMessage(MsgAnswer::No);
        f->close();
        QCOMPARE(f->MSChart1->geometryTwips(), home);
        QVERIFY(!program_->form1()->lstMenu1->isVisible());
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

        dialogs_->answerMessage(MsgAnswer::Yes);
        f->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

    // The pointer after a compute; View's read-only window read afresh each time and
    // following the report while open; the save dialog's request, Cancel, and a full disk.
    void computeThenSaveAndView()
    {
        Form3* f = form3();
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, "Peak at 2/3");
        press(f->Command1);
        QVERIFY(dialogs_->messages().empty());
        QVERIFY(!QApplication::overrideCursor());

        const QByteArray written = readFile(path("Temp.GRF"));
        press(f->ViewHydroData);
        auto* view = f->findChild<QPlainTextEdit*>("TextViewer");
        QVERIFY(view && view->isVisible() && view->isReadOnly() && QFontInfo(view->font()).fixedPitch());
        QCOMPARE(view->toPlainText(), QString::fromLatin1(written).replace("\r\n", "\n"));
        // Left open, it follows the report of the next run; a report gone leaves the
        // text as it was and says so.
        choose(f->ComboRain, "Peak Centered");
        press(f->Command1);
        const QByteArray next = readFile(path("Temp.GRF"));
        QVERIFY(next != written);
        QTRY_COMPARE(view->toPlainText(), QString::fromLatin1(next).replace("\r\n", "\n"));
        QVERIFY(QFile::remove(path("Temp.GRF")));
        QTRY_VERIFY(view->windowTitle().contains("(out of date: File not found: "));
        QCOMPARE(view->toPlainText(), QString::fromLatin1(next).replace("\r\n", "\n"));
        stagetest::writeFile(path("Temp.GRF"), "rewritten");
        press(f->ViewHydroData);
        QCOMPARE(f->findChildren<QPlainTextEdit*>("TextViewer"), QList<QPlainTextEdit*>{view});
        QCOMPARE(std::pair(view->toPlainText(), view->windowTitle()), std::pair(QString("rewritten"), path("Temp.GRF")));

        const QString saved = path("Saved.GRF");
        dialogs_->answerFile(saved);
        press(f->Command3);
        QCOMPARE(readFile(saved), QByteArray("rewritten"));
        const FileRequest& r = dialogs_->asked().front().file;
        QVERIFY(r.save && r.fileName.isEmpty() && r.title.isEmpty() && r.initDir == dir_.path());
        dialogs_->answerFile(std::nullopt);
        press(f->Command3);
        stagetest::writeFile(saved, "an older hydrograph");
        test::FailingSaveDevice full(test::FailingSaveDevice::Point::Byte);
        const ScopedSaveDevice scoped(full);
        dialogs_->answerFile(saved);
        press(f->Command3);
        QCOMPARE(dialogs_->messages(),
                 std::vector<QString>{"Path/File access error: " + saved + " could not be saved (No space left on device)."});
        QCOMPARE(readFile(saved), QByteArray("an older hydrograph"));

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
