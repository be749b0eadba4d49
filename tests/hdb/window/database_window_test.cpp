// The database paths through the real windows: the period window's controls, presets,
// counter and close box; the first use with no setup file; a station without data; the
// close box on the rainfall path; database flow at another step on the combine option.
// The typed connection string and the combined flow's values are the scenario
// hdb_rainfall's.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <functional>
#include <sys/stat.h>

#include "app/program.h"
#include "common/module1.h"
#include "hdb/connection.h"
#include "hdb/window/date_form.h"
#include "hdb/hdb_database.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"
#include "support/file_bytes.h"
#include "support/program_window.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;
using corv::test::readBytes;

class DatabaseWindowTest : public QObject, corv::test::ProgramWindow<> {
    Q_OBJECT

private:
    std::deque<std::function<void(DateForm&)>> onShow_;
    int shown_ = 0;

    DateForm* dates() { return program_->dateForm(); }
    QString connection() const { return defaultConnection(dir_.path()); }
    // What the user does the next time the period window shows.
    void whenShown(std::function<void(DateForm&)> act) { onShow_.push_back(std::move(act)); }
    // The period 05-Dec-2026 00 to 24, a station and a value table, then "Retrieve Data".
    std::function<void(DateForm&)> retrieve(const QString& station, const QString& units)
    {
        return [this, station, units](DateForm& d) {
            const std::pair<QComboBox*, QString> texts[] = {
                {d.Combo1, "05"}, {d.Combo2, "Dec"}, {d.Combo3, "2026"}, {d.Combo7, "00"}, {d.Combo4, "05"},
                {d.Combo5, "Dec"}, {d.Combo6, "2026"}, {d.Combo8, "24"}, {d.ComboUnits, units}};
            for (const auto& [combo, text] : texts) DateForm::setListText(combo, text);
            choose(d.ComboDSID, station);
            press(d.Command1);
        };
    }
    // The hydrograph window on "HDB Database" rainfall, the setup file written when asked.
    void openForm3(bool setupFile = true)
    {
        if (setupFile) QVERIFY(test::writeBytes(path("Corvantine_setup.txt"), connection().toUtf8() + "\r\n"));
        program_->handOffToRunoff({1, QString("1"), QString("1"), QString("0.5"), " (mi^2)", " (mi)"});
        choose(form3()->ComboDimgraph, "SCS.DGF");
        choose(form3()->ComboRain, "HDB Database");
        form3()->txtCNloss->setText("98");
    }
    int chartColumns() { return form3()->MSChart1->grid().ColumnCount(); }

private slots:
    void init()
    {
        {
            hdbtest::Database db(connection());
            hdbtest::fillSample(db);
        }
        startProgram();
        Module1::reset();
        shown_ = 0;
        connect(dates(), &DateForm::shownModal, this, [this] {
            ++shown_;
            if (onShow_.empty()) {
                dates()->hide();  // no test waits for ever on it
                QFAIL("the period window showed with nothing to do");
            }
            auto act = std::move(onShow_.front());
            onShow_.pop_front();
            act(*dates());
        });
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        QCOMPARE(dialogs_->pending(), 0);
        QVERIFY(onShow_.empty());
        stopProgram({"Temp.GRF", "TmpHDB.GRF", "Corvantine_setup.txt", "Corvantine.db"});
    }

    // Every control by its name, with its design text and tip, before the hydrograph
    // window fills the lists.
    void controlsWithTheirDesignTexts()
    {
        DateForm* d = dates();
        QCOMPARE(d->windowTitle(), QString("Start/End Dates"));
        const std::pair<const char*, const char*> texts[] = {
            {"Label1", "START DATE"}, {"Combo1", "01"}, {"Combo2", "Jan"}, {"Combo3", "2001"}, {"Label4", "HOUR"},
            {"Combo7", "00"}, {"Label2", "END DATE"}, {"Combo4", "01"}, {"Combo5", "Dec"}, {"Combo6", "2001"},
            {"Label5", "HOUR"}, {"Combo8", "24"}, {"ComboDSID", "DSID Parameter Units Station Name"},
            {"ComboUnits", "Unit Values"}, {"Label6", "Value adjustment"}, {"txtRainAdjust", "1.0"},
            {"Label3", "HDB Connection String:"}, {"Text1", "Text1"}, {"Command1", "Retrieve Data"},
            {"Option1(0)", "Current day"}, {"Option1(1)", "Yesterday and today"}, {"Option1(2)", "Last 7 days"},
            {"Option1(3)", "Last 30 days"}, {"Option1(4)", "Month to date"}, {"Option1(5)", "Year to date"},
            {"Option1(6)", "Previous year"}};
        for (const auto& [name, text] : texts) QCOMPARE(corv::test::textOf(control(d, name)), QString(text));
        QVERIFY(control(d, "Frame1"));
        const std::pair<QWidget*, const char*> tips[] = {{d->ComboDSID, "Select rainfall station."},
                                                         {d->ComboUnits, "Select HDB time step."},
                                                         {d->txtRainAdjust, "Multiply rainfall in HDB by this value."},
                                                         {d->Text1, "Access database connection string."}};
        for (const auto& [w, tip] : tips) QCOMPARE(w->toolTip(), QString(tip));
    }

    void presetsCounterAndCloseBox()
    {
        DateForm& d = *dates();
        d.today = [] { return QDate(2026, 3, 5); };
        DateForm::setListText(d.Combo7, "06");
        DateForm::setListText(d.Combo8, "18");
        const auto texts = [&] {
            QStringList t;
            for (QComboBox* c : {d.Combo1, d.Combo2, d.Combo3, d.Combo7, d.Combo4, d.Combo5, d.Combo6, d.Combo8})
                t << c->currentText();
            return t.join(' ');
        };
        press(d.Option1[6]);
        QCOMPARE(texts(), QString("01 Jan 2025 06 31 Dec 2025 18"));
        press(d.Option1[2]);
        QCOMPARE(texts(), QString("27 Feb 2026 06 05 Mar 2026 18"));

        // Every change of the connection string counts; the program's own setting once.
        d.setConnectionText("DSN=x");
        d.setConnectionText("DSN=x");
        QCOMPARE(Module1::connectionEdits, 2);
        d.Text1->setFocus();
        QTest::keyClicks(d.Text1, "yz");
        QCOMPARE(Module1::connectionEdits, 4);

        // The close box hides the window and marks the cancel; the window stays.
        whenShown([](DateForm& w) { w.close(); });
        d.showModal();
        QVERIFY(!d.isVisible() && Module1::dateFormCancelled);
        QCOMPARE(program_->window("DateForm"), static_cast<QWidget*>(&d));
        whenShown([this](DateForm& w) { press(w.Command1); });
        Module1::dateFormCancelled = false;
        d.showModal();
        QVERIFY(!d.isVisible() && !Module1::dateFormCancelled);
    }

    // The first database use asks for the connection string, offering the SQLite file
    // in the program's folder, and keeps it owner-only; the rainfall becomes the storm.
    void firstUseComputesFromRecordedRainfall()
    {
        openForm3(false);
        dialogs_->answerInput(connection());
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);

        const auto& asked = dialogs_->asked();
        QVERIFY(!asked.empty());
        QCOMPARE(asked[0].kind, ScriptedDialogs::Asked::Input);
        QCOMPARE(QStringList({asked[0].text, asked[0].title, asked[0].extra}),
                 QStringList({"Enter connection string:", "My Access DB", connection()}));
        QCOMPARE(readBytes(path("Corvantine_setup.txt")), connection().toUtf8() + "\r\n");
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path("Corvantine_setup.txt")).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        // The storm of the boxes is cleared; the compute's message, report and chart are the scenario's.
        QCOMPARE(form3()->txtRain[0]->text(), QString());
        QCOMPARE(form3()->txtDuration[0]->text(), QString());

        // The next compute reads the setup file without asking.
        dialogs_->clear();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(dialogs_->asked().size(), 1u);
        QCOMPARE(shown_, 2);
    }

    // Recorded rainfall brings its own step (hourly here, where the box held the lag's
    // automatic step): the next compute at that step adds its run to the chart.
    void recordedRunsShareTheChart()
    {
        openForm3();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(chartColumns(), 3);
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(chartColumns(), 4);
        QCOMPARE(dialogs_->messages().size(), 2u);
    }

    // A station that has nothing for the period: the retrieval's message, then the compute's.
    void noDataEndsTheCompute()
    {
        openForm3();
        whenShown(retrieve("11 precip  Alpha", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(dialogs_->messages(),
                 (std::vector<QString>{"No data in rhour for time period.", "No data in HDB for time period."}));
        QVERIFY(!QFile::exists(path("Temp.GRF")));
    }

    // Closed on the rainfall path the compute ends without a word; the next one starts
    // with the cancel cleared and the edit of the string forgotten.
    void closeBoxEndsTheRainfallPathSilently()
    {
        openForm3();
        whenShown([](DateForm& w) {
            QTest::keyClicks(w.Text1, "typed, then cancelled");
            w.close();
        });
        press(form3()->Command1);
        QVERIFY(dialogs_->asked().empty());
        QVERIFY(!QFile::exists(path("Temp.GRF")));
        QCOMPARE(chartColumns(), 2);
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(chartColumns(), 3);
        QCOMPARE(dialogs_->messages().size(), 1u);
        QCOMPARE(dates()->Text1->text(), connection());
        QCOMPARE(shown_, 2);
    }

    // The combine option with "hydrograph from HDB": a flow at another step than the
    // current hydrograph's goes to TmpHDB.GRF and is refused before anything is added.
    void databaseFlowAtAnotherStepIsNotCombined()
    {
        openForm3();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        dialogs_->clear();
        const QByteArray report = readBytes(path("Temp.GRF"));

        press(form3()->butRoute);
        press(form3()->optRouteType[2]);
        form3()->chkCombineHDB->setChecked(true);
        whenShown([this](DateForm& d) {
            // The flow list replaced the rainfall list.
            QCOMPARE(d.ComboDSID->itemText(0), QString("22 flow cfs Mill Creek"));
            retrieve("22 flow cfs Mill Creek", "Unit Values")(d);
        });
        press(form3()->Command4);
        QCOMPARE(dialogs_->messages(), (std::vector<QString>{"2 missing flows added to match time-step",
                                                             "Unit durations must match current hydrograph"}));
        QVERIFY(readBytes(path("TmpHDB.GRF")).startsWith("Time\tRunoff\r\n05 00:00\t 10 \r\n"));
        QCOMPARE(readBytes(path("Temp.GRF")), report);
        QCOMPARE(chartColumns(), 3);
    }
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_test.moc"
