// The database paths through the real windows: the period window's presets, counter and
// close box; the first use with no setup file; a compute from recorded rainfall; a
// typed connection string; the period window closed on the rainfall path; database flow
// on the combine option.
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
#include "hdb/date_form.h"
#include "hdb_database.h"
#include "map/form1.h"
#include "runoff/form3.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

}  // namespace

class DatabaseWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<Program> program_;
    std::deque<std::function<void(DateForm&)>> onShow_;
    int shown_ = 0;

    Form3* form3() { return static_cast<Form3*>(program_->window("Form3")); }
    DateForm* dates() { return program_->dateForm(); }
    QString database() const { return dir_.filePath("Corvantine.db"); }
    QString connection() const { return defaultConnection(dir_.path()); }
    QString setupPath() const { return dir_.filePath(setupFileName()); }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void choose(QComboBox* c, const QString& item)
    {
        QVERIFY2(c->findText(item) >= 0, qPrintable(item));
        c->setCurrentIndex(c->findText(item));
    }
    // What the user does the next time the period window shows.
    void whenShown(std::function<void(DateForm&)> act) { onShow_.push_back(std::move(act)); }
    // The period 05-Dec-2026 00 to 24, a station and a value table, then "Retrieve Data".
    std::function<void(DateForm&)> retrieve(const QString& station, const QString& units)
    {
        return [this, station, units](DateForm& d) {
            for (QComboBox* c : {d.Combo1, d.Combo4}) DateForm::setListText(c, "05");
            for (QComboBox* c : {d.Combo2, d.Combo5}) DateForm::setListText(c, "Dec");
            for (QComboBox* c : {d.Combo3, d.Combo6}) DateForm::setListText(c, "2026");
            DateForm::setListText(d.Combo7, "00");
            DateForm::setListText(d.Combo8, "24");
            choose(d.ComboDSID, station);
            DateForm::setListText(d.ComboUnits, units);
            press(d.Command1);
        };
    }
    void openForm3()
    {
        program_->handOffToRunoff({1, QString("1"), QString("1"), QString("0.5"), " (mi^2)", " (mi)"});
        choose(form3()->ComboDimgraph, "SCS.DGF");
        choose(form3()->ComboRain, "HDB Database");
        form3()->txtCNloss->setText("98");
    }

private slots:
    void initTestCase() { hdbtest::ensureApplication(); }
    void init()
    {
        QFile::copy(QStringLiteral(PROGRAM_DATA_DIR "/SCS.DGF"), dir_.filePath("SCS.DGF"));
        {
            hdbtest::Database db(connection());
            hdbtest::fillSample(db);
        }
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs_ = d.get();
        program_ = std::make_unique<Program>(dir_.path(), std::move(d));
        program_->form1()->show();
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
        QCOMPARE(dialogs_->unanswered(), 0);
        QCOMPARE(dialogs_->pending(), 0);
        QVERIFY(onShow_.empty());
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const char* f : {"Temp.GRF", "TmpHDB.GRF", "Corvantine_setup.txt", "Corvantine.db"})
            QFile::remove(dir_.filePath(f));
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
        QCOMPARE(d->ComboDSID->toolTip(), QString("Select rainfall station."));
        QCOMPARE(d->ComboUnits->toolTip(), QString("Select HDB time step."));
        QCOMPARE(d->txtRainAdjust->toolTip(), QString("Multiply rainfall in HDB by this value."));
        QCOMPARE(d->Text1->toolTip(), QString("Access database connection string."));
    }

    void presetsCounterAndCloseBox()
    {
        DateForm& d = *dates();
        d.today = [] { return QDate(2026, 3, 5); };
        DateForm::setListText(d.Combo7, "06");
        DateForm::setListText(d.Combo8, "18");
        press(d.Option1[6]);
        const auto texts = [&] {
            QStringList t;
            for (QComboBox* c : {d.Combo1, d.Combo2, d.Combo3, d.Combo7, d.Combo4, d.Combo5, d.Combo6, d.Combo8})
                t << c->currentText();
            return t.join(' ');
        };
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
        QVERIFY(!d.isVisible());
        QVERIFY(Module1::dateFormCancelled);
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
        openForm3();
        dialogs_->answerInput(connection());
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);

        const auto& asked = dialogs_->asked();
        QVERIFY(!asked.empty());
        QCOMPARE(asked[0].kind, ScriptedDialogs::Asked::Input);
        QCOMPARE(asked[0].text, QString("Enter connection string:"));
        QCOMPARE(asked[0].title, QString("My Access DB"));
        QCOMPARE(asked[0].extra, connection());
        QCOMPARE(readFile(setupPath()), connection().toUtf8() + "\r\n");
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(setupPath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        QCOMPARE(dialogs_->messages(), std::vector<QString>{"4 values for period, missing 1 filled as last value."});
        QCOMPARE(dates()->ComboDSID->count(), 4);
        QCOMPARE(form3()->txtGraphtimestep->text(), QString("1"));
        QCOMPARE(form3()->Label14->text(), QString("Hydrograph Time Step (hours)"));
        QCOMPARE(form3()->txtTile2->text(), QString("12 precip in Beta"));
        QCOMPARE(form3()->txtRain[0]->text(), QString());
        QCOMPARE(form3()->txtDuration[0]->text(), QString());
        QVERIFY(form3()->windowTitle().startsWith("Runoff Qmax="));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 3);
        const QByteArray report = readFile(dir_.filePath("Temp.GRF"));
        QVERIFY(report.contains("12 precip in Beta"));
        QVERIFY2(report.contains(" 05 01:00"), report.constData());

        // The next compute reads the setup file without asking.
        dialogs_->clear();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(dialogs_->asked().size(), 1u);
        QCOMPARE(dialogs_->messages(), std::vector<QString>{"4 values for period, missing 1 filled as last value."});
        QCOMPARE(shown_, 2);
    }

    // A station that has nothing for the period: the retrieval's message, then the compute's.
    void noDataEndsTheCompute()
    {
        writeFile(setupPath(), connection().toUtf8() + "\r\n");
        openForm3();
        whenShown(retrieve("11 precip  Alpha", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(dialogs_->messages(),
                 (std::vector<QString>{"No data in rhour for time period.", "No data in HDB for time period."}));
        QVERIFY(!QFile::exists(dir_.filePath("Temp.GRF")));
    }

    void closeBoxEndsTheRainfallPathSilently()
    {
        writeFile(setupPath(), "  " + connection().toUtf8() + "  \r\nignored\r\n");
        openForm3();
        whenShown([](DateForm& w) {
            QTest::keyClicks(w.Text1, "typed, then cancelled");
            w.close();
        });
        press(form3()->Command1);
        QVERIFY(dialogs_->asked().empty());
        QVERIFY(!QFile::exists(dir_.filePath("Temp.GRF")));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 2);
        // The next compute starts with the flag cleared and the edit forgotten.
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 3);
        QCOMPARE(dialogs_->messages().size(), 1u);
        QCOMPARE(dates()->Text1->text(), connection());
        QCOMPARE(shown_, 2);
    }

    // A setup file naming no usable database: the list reports it; the string typed in
    // the period window is saved, the list refilled, and the window shown again.
    void typedConnectionStringRefillsTheList()
    {
        writeFile(setupPath(), "Driver=NoSuchDriver;\r\n");
        openForm3();
        whenShown([this](DateForm& d) {
            QCOMPARE(d.ComboDSID->count(), 0);
            d.Text1->setFocus();
            d.Text1->selectAll();
            QTest::keyClicks(d.Text1, " " + connection() + " ");
            press(d.Command1);
        });
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        const std::vector<QString> m = dialogs_->messages();
        QCOMPARE(m.size(), 3u);
        QVERIFY2(m[0].contains("NoSuchDriver"), qPrintable(m[0]));
        QCOMPARE(m[1], QString("Select station"));
        QCOMPARE(m[2], QString("4 values for period, missing 1 filled as last value."));
        QCOMPARE(readFile(setupPath()), connection().toUtf8() + "\r\n");
        QCOMPARE(Module1::connectionEdits, 0);
        QCOMPARE(shown_, 2);
    }

    // The combine option with "hydrograph from HDB": the flow goes to TmpHDB.GRF, its step
    // and station to the window; a flow at another step than the current hydrograph's is
    // refused before anything is added.
    void databaseFlowOnTheCombineOption()
    {
        writeFile(setupPath(), connection().toUtf8() + "\r\n");
        openForm3();
        whenShown(retrieve("12 precip in Beta", "Hourly Values"));
        press(form3()->Command1);
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 3);
        dialogs_->clear();
        const QByteArray report = readFile(dir_.filePath("Temp.GRF"));

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
        QVERIFY(readFile(dir_.filePath("TmpHDB.GRF")).startsWith("Time\tRunoff\r\n05 00:00\t 10 \r\n"));
        QCOMPARE(readFile(dir_.filePath("Temp.GRF")), report);
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 3);

        // Hourly flows at the hydrograph's step are added to it, ordinate by ordinate.
        {
            hdbtest::Database db(connection());
            db.addRows("rhour", 22, {{"2026-12-05 00:00:00", "10"}, {"2026-12-05 01:00:00", "20"},
                                     {"2026-12-05 03:00:00", "30"}});
        }
        dialogs_->clear();
        const float q1 = program_->form3State().computeState.qi(1);
        press(form3()->butRoute);
        whenShown(retrieve("22 flow cfs Mill Creek", "Hourly Values"));
        press(form3()->Command4);
        QCOMPARE(dialogs_->messages(), std::vector<QString>{"1 missing flows added to match time-step"});
        QCOMPARE(readFile(dir_.filePath("TmpHDB.GRF")),
                 QByteArray("Time\tRunoff\r\n05 00:00\t 10 \r\n05 01:00\t 20 \r\n05 02:00\t 20 \r\n"
                            "05 03:00\t 30 \r\n"));
        const ComputeState& s = program_->form3State().computeState;
        QCOMPARE(s.qout(1), q1 + 20.0f);
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 4);
        QVERIFY(readFile(dir_.filePath("Temp.GRF")) != report);
        QCOMPARE(form3()->txtGraphtimestep->text(), QString("1"));
        QCOMPARE(form3()->txtTile2->text(), QString("22 flow cfs Mill Creek"));
    }
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_test.moc"
