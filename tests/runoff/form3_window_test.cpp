// The hydrograph window driven as a user would: basin hand-off, typed elevations,
// method relabelling, routing frame, areal reduction, save and view, the chart
// toggle, and closing with No and Yes.
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "hdb/date_form.h"
#include "map/form1.h"
#include "runoff/form3.h"
#include "runoff/view_file.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;
using corv::test::textOf;

class Form3WindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<Program> program_;

    QWidget* form3() { return program_->window("Form3"); }
    QString text(const char* name) { return textOf(control(form3(), name)); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(form3(), name); }
    void type(const char* name, const QString& t)
    {
        QLineEdit* e = edit(name);
        e->selectAll();
        if (t.isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
        else QTest::keyClicks(e, t);
    }
    void leave(const char* name)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit(name), &out);
    }
    void pickMethod(const QString& method)
    {
        auto* c = control<QComboBox>(form3(), "ComboDimgraph");
        c->setCurrentIndex(c->findText(method));
    }
    static BasinMeasurements basin()
    {
        BasinMeasurements m;
        m.areaNumber = 2;
        m.basinArea = QStringLiteral("12.3");
        m.streamLength = QStringLiteral("10");
        m.lengthBelowCentroid = QStringLiteral("5");
        m.areaUnits = QStringLiteral(" (mi^2)");
        m.lengthUnits = QStringLiteral(" (mi)");
        return m;
    }
    // Closes the window as the user would and lets its deletion happen.
    void closeAnswering(MsgAnswer a)
    {
        dialogs_->answerMessage(a);
        form3()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void checkDesignValues()
    {
        QCOMPARE(text("txtelv1"), QString());
        QCOMPARE(text("txtElv2"), QString());
        QCOMPARE(text("txtS"), QString("1"));
        QCOMPARE(text("txtC"), QString("1"));
        QCOMPARE(text("txtLag"), QString("1"));
        QCOMPARE(text("Label6"), QString("C estimate"));
        QCOMPARE(text("Label1"), QString("Upper Elev (ft)"));
        QCOMPARE(text("txtGraphtimestep"), QString("15"));
        QCOMPARE(text("Label14"), QString("Hydrograph Time Step (minutes)"));
        QCOMPARE(text("ComboDimgraph"), QString("Select Dimensionless Graph"));
        QCOMPARE(text("ComboRain"), QString("Select Rainfall Arrangement"));
        QCOMPARE(text("txtDuration(0)"), QString("1"));
        QCOMPARE(text("txtRain(0)"), QString("1.00"));
        QCOMPARE(text("txtTitle"), QString("Enter Title 1"));
        QCOMPARE(text("txtTile2"), QString("Enter Title 2"));
        QCOMPARE(text("txtResetLossFactor"), QString("0.2"));
        QCOMPARE(text("GWloss"), QString("0.0"));
        QVERIFY(!control(form3(), "GWloss")->isVisible());
        QVERIFY(!control(form3(), "frameRoute")->isVisible());
        QVERIFY(control<QCheckBox>(form3(), "chkAutoTimeStep")->isChecked());
        QVERIFY(!control<QCheckBox>(form3(), "chkAreaAdj")->isChecked());
        QVERIFY(control<QAbstractButton>(form3(), "optRouteType(3)")->isChecked());
        QCOMPARE(text("capTatum"), QString("Hours"));
        auto* f = static_cast<Form3*>(form3());
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{3600, 2880, 5415, 3405}));
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 2);
        QCOMPARE(f->MSChart1->grid().RowCount(), 1);
        QCOMPARE(f->twipGeometry(f->lblL).Top, 1080);
    }

private slots:
    void init()
    {
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs_ = d.get();
        program_ = std::make_unique<Program>(dir_.path(), std::move(d));
        program_->form1()->show();
    }
    void cleanup()
    {
        QCOMPARE(dialogs_->unanswered(), 0);
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void everyControlHasItsName()
    {
        program_->handOffToRunoff(basin());
        const char* names[] = {
            "Frame1", "txtelv1", "Label1", "txtElv2", "Label2", "txtL", "lblL", "txtLca", "lblLca", "txtS", "Label5",
            "txtC", "Label6", "txtLag", "Label7", "txtBasinArea", "Label10", "GWloss", "Frame2", "ComboDimgraph",
            "ComboRain", "txtCNloss", "Label11", "txtConstLoss", "Label12", "txtPercentImp", "Label13",
            "txtResetLossFactor", "Label17", "txtGraphtimestep", "Label14", "chkAutoTimeStep", "txtTitle", "txtTile2",
            "Frame3", "Label9", "Label8", "chkAreaAdj", "Command1", "butRoute", "ViewHydroData", "Command3",
            "Command2", "MSChart1", "frameRoute", "chkCombineHDB", "txtMuskK", "Label3", "txtMuskX", "Label4",
            "Label15", "txtModbelv", "Label16", "txtTatum", "capTatum", "Command4", "Command5"};
        for (const char* n : names) QVERIFY2(form3()->findChild<QWidget*>(n), n);
        for (int i = 0; i < 8; ++i)
            for (const char* set : {"txtDuration", "txtRain", "txtArealAdj"})
                QVERIFY(form3()->findChild<QWidget*>(QStringLiteral("%1(%2)").arg(set).arg(i)));
        for (int i = 0; i < 4; ++i) QVERIFY(form3()->findChild<QWidget*>(QStringLiteral("optRouteType(%1)").arg(i)));
        QCOMPARE(form3()->windowTitle(), QString("Runoff Hydrograph"));
        QCOMPARE(text("Frame1"), QString("Lag Time = C* (L*Lca/S^.5)^.33"));
        QCOMPARE(text("Command1"), QString("Compute Hydrograph"));
        QCOMPARE(text("Command2"), QString("Clear Hydrograph Plots"));
        QCOMPARE(text("optRouteType(2)"), QString("Combine with hyrdograph from file"));
        QCOMPARE(textOf(control(form3(), "ComboDimgraph")).isEmpty(), false);
        auto* methods = control<QComboBox>(form3(), "ComboDimgraph");
        QCOMPARE(methods->count(), 11);
        QCOMPARE(control<QComboBox>(form3(), "ComboRain")->count(), 7);
    }

    void handOffWritesTheMeasurements()
    {
        QVERIFY(!form3());
        program_->handOffToRunoff(basin());
        QVERIFY(form3() && form3()->isVisible());
        QCOMPARE(text("Frame2"), QString("HydrographArea2"));
        QCOMPARE(text("txtL"), QString("10"));
        QCOMPARE(text("txtLca"), QString("5"));
        QCOMPARE(text("txtBasinArea"), QString("12.3"));
        QCOMPARE(text("lblL"), QString("Stream Length (mi)"));
        QCOMPARE(text("lblLca"), QString("Below Centroid (mi)"));
        QCOMPARE(text("Label10"), QString("Basin Area (mi^2)"));
        QVERIFY(program_->form1()->isVisible());  // modeless: the map stays

        // No stream and no area yet: the boxes keep their text, the captions change.
        edit("txtL")->setText("7");
        edit("txtBasinArea")->setText("3");
        BasinMeasurements none;
        none.lengthUnits = " (ft)";
        none.areaUnits = " (acres)";
        program_->handOffToRunoff(none);
        QCOMPARE(text("Frame2"), QString("HydrographArea0"));
        QCOMPARE(text("txtL"), QString("7"));
        QCOMPARE(text("lblL"), QString("Stream Length (ft)"));
        QCOMPARE(text("lblLca"), QString("Below Centroid (ft)"));
        QCOMPARE(text("txtBasinArea"), QString("3"));
        QCOMPARE(text("Label10"), QString("Basin Area (mi^2)"));
    }

    void typedElevationsGiveLagAndTimeStep()
    {
        program_->handOffToRunoff(basin());
        type("txtelv1", "5000");
        leave("txtelv1");
        QCOMPARE(text("txtC"), QString("1"));  // one elevation only: nothing yet
        type("txtElv2", "4000");
        leave("txtElv2");
        QCOMPARE(text("txtC"), QString("1.51"));
        QCOMPARE(text("txtS"), QString("100"));
        QCOMPARE(text("txtLag"), QString("2.56"));
        QCOMPARE(text("Label14"), QString("Hydrograph Time Step (minutes)"));
        QCOMPARE(text("txtGraphtimestep"), QString("15"));

        // A typed C recomputes with the shorter step; a typed lag snaps when left.
        type("txtC", "1.51");
        QCOMPARE(text("txtLag"), QString("2.57"));
        QCOMPARE(text("txtGraphtimestep"), QString("10"));
        type("txtLag", "6.1");
        leave("txtLag");
        QCOMPARE(text("Label14"), QString("Hydrograph Time Step (hours)"));
        QCOMPARE(text("txtGraphtimestep"), QString("2"));

        // The same basin in feet, left through a length box.
        BasinMeasurements ft = basin();
        ft.streamLength = "52800";
        ft.lengthBelowCentroid = "26400";
        ft.lengthUnits = " (ft)";
        program_->handOffToRunoff(ft);
        leave("txtLca");
        QCOMPARE(text("txtC"), QString("1.51"));
        QCOMPARE(text("txtLag"), QString("2.56"));
        QCOMPARE(text("txtGraphtimestep"), QString("15"));

        // A lower elevation above the upper one: nothing changes, nothing is said.
        type("txtElv2", "6000");
        type("txtLag", "9");
        leave("txtElv2");
        QCOMPARE(text("txtLag"), QString("9"));
        QVERIFY(dialogs_->asked().empty());
    }

    void triangleRelabelsOnlyTheFirstTime()
    {
        program_->handOffToRunoff(basin());
        auto* f = static_cast<Form3*>(form3());
        pickMethod("Triangle Unit Graph");
        QCOMPARE(text("Label6"), QString("SCS Recession Ratio"));
        QCOMPARE(text("txtC"), QString("0.4"));
        QCOMPARE(text("Label5"), QString("Recession Ratio 2"));
        QCOMPARE(text("txtS"), QString("1.5"));
        QCOMPARE(text("lblLca"), QString("Recession Factor2"));
        QCOMPARE(text("txtLca"), QString("0.5"));
        QCOMPARE(text("lblL"), QString("<<Base Flow\r\n       GW Loss>>"));
        QCOMPARE(f->twipGeometry(f->lblL).Top, 960);
        QCOMPARE(text("txtL"), QString("0"));
        QVERIFY(control(form3(), "GWloss")->isVisible());
        QCOMPARE(text("Label2"), QString("Recession Ratio 3"));
        QCOMPARE(text("txtElv2"), QString("3"));
        QCOMPARE(text("Label1"), QString("Recession Factor3"));
        QCOMPARE(text("txtelv1"), QString(".2"));

        pickMethod("Rational Method");
        QCOMPARE(text("Label6"), QString("C estimate"));
        QCOMPARE(text("Label1"), QString("Recession Factor3"));
        QCOMPARE(text("lblL"), QString("<<Base Flow\r\n       GW Loss>>"));

        for (const char* box : {"txtC", "txtS", "txtLca", "txtL", "txtElv2", "txtelv1"}) edit(box)->setText("7");
        pickMethod("Triangle Unit Graph");
        QCOMPARE(text("Label6"), QString("SCS Recession Ratio"));
        for (const char* box : {"txtC", "txtS", "txtLca", "txtL", "txtElv2", "txtelv1"}) QCOMPARE(text(box), QString("7"));
    }

    void linearReservoirShapeFromTheLag()
    {
        program_->handOffToRunoff(basin());
        control<QCheckBox>(form3(), "chkAutoTimeStep")->setChecked(false);
        const std::pair<const char*, const char*> cases[] = {{"1", "1.129"}, {"2", "0.525"}, {"0", "9"}, {"", "9"}, {"-1", "9"}};
        for (const auto& [lag, shape] : cases) {
            pickMethod("Rational Method");
            edit("txtC")->setText("9");
            edit("txtLag")->setText(lag);
            edit("txtC")->setText("9");
            pickMethod("Linear Reservoir");
            QCOMPARE(text("Label6"), QString("LinRes-Shape"));
            QCOMPARE(text("txtC"), QString(shape));
        }
        // In this method a typed lag rewrites the shape even with the box unticked.
        type("txtLag", "2");
        QCOMPARE(text("txtC"), QString("0.525"));
    }

    void routeFrameTakesTheTimeStep()
    {
        program_->handOffToRunoff(basin());
        auto* f = static_cast<Form3*>(form3());
        f->Label14->setText("Hydrograph Time Step (hours)");
        edit("txtGraphtimestep")->setText("2");
        QTest::mouseClick(control<QAbstractButton>(form3(), "butRoute"), Qt::LeftButton);
        QCOMPARE(text("capTatum"), QString("hours"));
        QCOMPARE(text("txtTatum"), QString("2"));
        QVERIFY(control(form3(), "frameRoute")->isVisible());
        const TwipGeometry g = f->twipGeometry(f->frameRoute);
        QCOMPARE(g.Width, 3015);
        QCOMPARE(g.Top, f->ScaleHeight() / 2 - 3735 / 2);
        QCOMPARE(g.Left, f->ScaleWidth() / 2 - 3015 / 2);

        f->Label14->setText("Hydrograph Time Step (minutes)");
        edit("txtGraphtimestep")->setText("15");
        QTest::mouseClick(control<QAbstractButton>(form3(), "butRoute"), Qt::LeftButton);
        QCOMPARE(text("capTatum"), QString("minutes"));
        QCOMPARE(text("txtTatum"), QString("2"));  // a filled box is kept
    }

    void arealReductionColumn()
    {
        program_->handOffToRunoff(basin());
        edit("txtBasinArea")->setText("20");
        edit("txtDuration(0)")->setText("2");
        edit("txtDuration(1)")->setText("6");
        edit("txtArealAdj(2)")->setText("old");
        auto* box = control<QCheckBox>(form3(), "chkAreaAdj");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->isChecked());
        QCOMPARE(text("txtArealAdj(0)"), QString("0.928"));
        QCOMPARE(text("txtArealAdj(1)"), QString("0.963"));
        QCOMPARE(text("txtArealAdj(2)"), QString("old"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QCOMPARE(text("txtArealAdj(0)"), QString("1.000"));
        QCOMPARE(text("txtArealAdj(1)"), QString("1.000"));

        // The chart's table takes the factors on the next reset.
        QTest::mouseClick(control<QAbstractButton>(form3(), "Command2"), Qt::LeftButton);
        auto* f = static_cast<Form3*>(form3());
        QCOMPARE(f->MSChart1->grid().RowCount(), 1);
    }

    void saveAndView()
    {
        program_->handOffToRunoff(basin());
        auto* f = static_cast<Form3*>(form3());
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(dialogs_->messages().back(), QString("Compute hydrograph before saving."));
        QCOMPARE(dialogs_->asked().size(), std::size_t(1));

        // A hydrograph on the chart and its report file in the program's folder.
        f->MSChart1->grid().setColumnCount(3);
        const QString source = dir_.filePath("Temp.GRF");
        {
            QFile t(source);
            QVERIFY(t.open(QIODevice::WriteOnly));
            t.write("Time\tRunoff\r\n");
        }
        const QString target = dir_.filePath("Mine.GRF");
        dialogs_->clear();
        dialogs_->answerFile(target);
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QVERIFY(QFile::exists(target));
        QCOMPARE(dialogs_->asked().size(), std::size_t(1));
        const FileRequest& r = dialogs_->asked().front().file;
        QVERIFY(r.save);
        QCOMPARE(r.filter, QString("Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|"));
        QCOMPARE(r.initDir, dir_.path());
        QCOMPARE(r.fileName, QString());
        QVERIFY(r.title.isEmpty());

        // Cancel, or the source itself: nothing is copied, nothing is said.
        dialogs_->clear();
        dialogs_->answerFile(std::nullopt);
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        dialogs_->answerFile(source);
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(dialogs_->messages().size(), std::size_t(0));

        // A bad target folder: the failure text, and nothing copied.
        dialogs_->answerFile(dir_.filePath("missing/x.GRF"));
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(dialogs_->messages().back(), QString("Path not found"));

        // View: an editor that cannot start gets the input box with the command line.
        dialogs_->clear();
        const QString editor = textEditorProgram();
        setTextEditorProgram(dir_.filePath("no-such-editor"));
        dialogs_->answerInput(std::nullopt);
        QTest::mouseClick(f->ViewHydroData, Qt::LeftButton);
        setTextEditorProgram(editor);
        QCOMPARE(dialogs_->asked().size(), std::size_t(1));
        QCOMPARE(dialogs_->asked().front().text, QString("Cant find Notepad.exe"));
        QVERIFY(dialogs_->asked().front().title.endsWith("/Temp.GRF"));
    }

    void chartToggleAndClosing()
    {
        program_->handOffToRunoff(basin());
        auto* f = static_cast<Form3*>(form3());
        const TwipGeometry home = f->MSChart1->geometryTwips();
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{0, 0, f->ScaleWidth(), f->ScaleHeight()}));
        QTest::mouseDClick(f->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), home);

        // No keeps the window and puts an enlarged chart back.
        type("txtelv1", "5000");
        program_->form3State().routeType = 2;
        program_->form3State().ratingFileName = "Pond.RAT";
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        auto* menu = program_->form1()->lstMenu1;
        program_->form1()->model().lstMenu1.Visible = false;
        program_->form1()->refresh();
        closeAnswering(MsgAnswer::No);
        QVERIFY(form3() && form3()->isVisible());
        QCOMPARE(dialogs_->asked().back().text, QString("Do you want to exit your hydrograph?"));
        QCOMPARE(dialogs_->asked().back().extra, QString("YesNo"));
        QCOMPARE(f->MSChart1->geometryTwips(), home);
        QVERIFY(!menu->isVisible());

        // Yes: the window goes and the map's menu shows again.
        closeAnswering(MsgAnswer::Yes);
        QVERIFY(!form3());
        QVERIFY(menu->isVisible());

        // Opened again: design values, the run-long state kept, one copy of each period list.
        program_->handOffToRunoff(basin());
        checkDesignValues();
        QCOMPARE(text("txtL"), QString("10"));
        QCOMPARE(program_->form3State().routeType, std::int16_t(2));
        QCOMPARE(program_->form3State().ratingFileName, QString("Pond.RAT"));
        QCOMPARE(program_->form3State().hourlyRecovery.ubound(), 24L);
        auto* dates = static_cast<DateForm*>(program_->window("DateForm"));
        QVERIFY(dates && !dates->isVisible());
        QCOMPARE(dates->Combo7->count(), 25);
        QCOMPARE(dates->Combo1->count(), 31);
        QCOMPARE(dates->Combo2->count(), 12);
        QCOMPARE(dates->Combo3->count(), 31);
        QCOMPARE(dates->ComboUnits->count(), 2);
        const QDate today = QDate::currentDate();
        QCOMPARE(dates->Combo1->currentText(), today.toString("dd"));
        QCOMPARE(dates->Combo6->currentText(), QString::number(today.year()));
        QCOMPARE(dates->Combo7->currentText(), QString("00"));
        QCOMPARE(dates->Combo8->currentText(), QString("24"));
        QCOMPARE(dates->ComboUnits->currentText(), QString("Unit Values"));

        // "Clear Hydrograph Plots" ends a pending route and goes back to the table view.
        auto* f2 = static_cast<Form3*>(form3());
        f2->MSChart1->grid().setColumnCount(4);
        QTest::mouseClick(f2->Command2, Qt::LeftButton);
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(f2->MSChart1->grid().ColumnCount(), 2);
        QVERIFY(!program_->form3State().hydrographPlotted);

        // A close the user did not start goes ahead whatever the answer.
        dialogs_->answerMessage(MsgAnswer::No);
        QVERIFY(f2->Unload(1));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form3());
    }

    void closingTheMapEndsWithoutAsking()
    {
        program_->handOffToRunoff(basin());
        QWidget* f = form3();
        program_->form1()->close();
        QVERIFY(!f->isVisible());
        QVERIFY(dialogs_->asked().empty());
    }
};

QTEST_MAIN(Form3WindowTest)
#include "form3_window_test.moc"
