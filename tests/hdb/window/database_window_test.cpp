// The period window's tips and presets, and the prompt for the connection string
// on the first database use. The database paths themselves (the prompt's answers, the
// retrieval, stale and typed stations, the close box, combined flow) are the scenario
// hdb_rainfall's.
#include <QApplication>
#include <QtTest>

#include "common/module1.h"
#include "hdb/window/date_form.h"
#include "support/program_window.h"

using namespace corv;

class DatabaseWindowTest : public QObject, corv::test::ProgramWindow<> {
    Q_OBJECT

private:
    DateForm* dates() { return program_->dateForm(); }

private slots:
    void init()
    {
        startProgram();
        Module1::reset();
        // No test waits for ever on the period window.
        connect(dates(), &DateForm::shownModal, dates(), &QWidget::hide);
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        QCOMPARE(dialogs_->pending(), 0);
        stopProgram();
    }

    // The tips; the captions are the scenario hdb_rainfall's.
    void tipsOfTheControls()
    {
        DateForm* d = dates();
        QCOMPARE(QStringList({d->ComboDSID->toolTip(), d->ComboUnits->toolTip(), d->txtRainAdjust->toolTip(),
                              d->Text1->toolTip()}),
                 QStringList({"Select rainfall station.", "Select HDB time step.",
                              "Multiply rainfall in HDB by this value.", "Access database connection string."}));
    }

    void presetsFillTheDateListsAndLeaveTheHours()
    {
        DateForm& d = *dates();
        auto lists = [&d] {
            QStringList t;
            for (QComboBox* c : {d.Combo1, d.Combo2, d.Combo3, d.Combo7, d.Combo4, d.Combo5, d.Combo6, d.Combo8})
                t << c->currentText();
            return t.join(' ');
        };
        // The design texts, before the hydrograph window fills the lists with today.
        QCOMPARE(lists(), QString("01 Jan 2001 00 01 Dec 2001 24"));
        d.today = [] { return QDate(2026, 3, 5); };
        DateForm::setListText(d.Combo7, "06");
        DateForm::setListText(d.Combo8, "18");
        press(d.Option1[6]);
        QCOMPARE(lists(), QString("01 Jan 2025 06 31 Dec 2025 18"));
    }

    // With no setup file the connection string is asked for, offering the SQLite file in
    // the program's folder.
    void firstUseAsksForTheConnectionString()
    {
        program_->handOffToRunoff({1, QString("1"), QString("1"), QString("0.5"), " (mi^2)", " (mi)"});
        choose(form3()->ComboDimgraph, "SCS.DGF");
        choose(form3()->ComboRain, "HDB Database");
        dialogs_->answerInput(std::nullopt);
        press(form3()->Command1);
        const auto& asked = dialogs_->asked();
        QCOMPARE(asked.size(), 1u);
        QCOMPARE(asked[0].kind, ScriptedDialogs::Asked::Input);
        QCOMPARE(QStringList({asked[0].text, asked[0].title, asked[0].extra}),
                 QStringList({"Enter connection string:", "My Access DB",
                              "Driver=SQLite3;Database=" + path("Corvantine.db") + ";"}));
    }
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_test.moc"
