// The period window's controls and presets, and the prompt for the connection string
// on the first database use. The database paths themselves (the prompt's answers, the
// retrieval, stale and typed stations, the close box, combined flow) are the scenario
// hdb_rainfall's.
#include <QApplication>
#include <QtTest>

#include "app/program.h"
#include "common/module1.h"
#include "hdb/window/date_form.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"
#include "support/program_window.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;

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
