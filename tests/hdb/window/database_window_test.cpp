// The database paths through the real windows: the period window's controls and
// presets; the first use with no setup file; database flow at another step on the
// combine option. The prompt's Cancel, a typed connection string (the counter), stale
// and typed stations, a station without data, the close box on either path and the
// combined flow's values are the scenario hdb_rainfall's.
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
        QStringList texts;
        for (const char* name : {"Label1", "Combo1", "Combo2", "Combo3", "Label4", "Combo7", "Label2", "Combo4", "Combo5",
                                 "Combo6", "Label5", "Combo8", "ComboDSID", "ComboUnits", "Label6", "txtRainAdjust",
                                 "Label3", "Text1", "Command1", "Option1(0)", "Option1(1)", "Option1(2)", "Option1(3)",
                                 "Option1(4)", "Option1(5)", "Option1(6)"})
            texts << corv::test::textOf(control(d, name));
        QCOMPARE(texts.join('|'), QString("START DATE|01|Jan|2001|HOUR|00|END DATE|01|Dec|2001|HOUR|24|DSID Parameter "
                                          "Units Station Name|Unit Values|Value adjustment|1.0|HDB Connection String:|"
                                          "Text1|Retrieve Data|Current day|Yesterday and today|Last 7 days|Last 30 "
                                          "days|Month to date|Year to date|Previous year"));
        QVERIFY(control(d, "Frame1"));
        QCOMPARE(QStringList({d->ComboDSID->toolTip(), d->ComboUnits->toolTip(), d->txtRainAdjust->toolTip(),
                              d->Text1->toolTip()}),
                 QStringList({"Select rainfall station.", "Select HDB time step.",
                              "Multiply rainfall in HDB by this value.", "Access database connection string."}));
    }

    void presetsFillTheDateListsAndLeaveTheHours()
    {
        DateForm& d = *dates();
        d.today = [] { return QDate(2026, 3, 5); };
        DateForm::setListText(d.Combo7, "06");
        DateForm::setListText(d.Combo8, "18");
        press(d.Option1[6]);
        QStringList t;
        for (QComboBox* c : {d.Combo1, d.Combo2, d.Combo3, d.Combo7, d.Combo4, d.Combo5, d.Combo6, d.Combo8})
            t << c->currentText();
        QCOMPARE(t.join(' '), QString("01 Jan 2025 06 31 Dec 2025 18"));
    }

    // The first database use asks for the connection string, offering the SQLite file
    // in the program's folder, and keeps it owner-only; the rainfall becomes the storm,
    // and the next compute, at the recorded step, reads the file without asking and
    // adds its run to the chart.
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
        QCOMPARE(chartColumns(), 3);

        dialogs_->clear();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(dialogs_->asked().size(), 1u);
        QCOMPARE(shown_, 2);
        QCOMPARE(chartColumns(), 4);
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
        whenShown(retrieve("22 flow cfs Mill Creek", "Unit Values"));
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
