// The hydrograph window driven as a user would: from a traced map through the hand-off
// to the boxes and captions, a compute with its report, caption and chart, the method
// relabelling, the routing frame, areal factors, save and view, errors during a
// compute, and closing with No and Yes.
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "app/program.h"
#include "common/text_editor.h"
#include "common/twips.h"
#include "hdb/date_form.h"
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

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

BasinMeasurements basin(const char* length = "10", const char* belowCentroid = "5", const char* units = " (mi)")
{
    BasinMeasurements m;
    m.areaNumber = 2;
    m.basinArea = "12.3";
    m.streamLength = length;
    m.lengthBelowCentroid = belowCentroid;
    m.areaUnits = " (mi^2)";
    m.lengthUnits = units;
    return m;
}

}  // namespace

class Form3WindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    ActingDialogs* dialogs_ = nullptr;
    std::unique_ptr<Program> program_;

    Form1* map() { return program_->form1(); }
    Form3* form3() { return static_cast<Form3*>(program_->window("Form3")); }
    QString text(const char* name) { return textOf(control(form3(), name)); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(form3(), name); }
    void expectTexts(std::initializer_list<std::pair<const char*, const char*>> expected)
    {
        for (auto [name, value] : expected) QVERIFY2(text(name) == value, qPrintable(QString(name) + ": " + text(name)));
    }
    void leave(const char* name)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit(name), &out);
    }
    // Select all, type, and leave the box.
    void type(const char* name, const QString& t)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        if (t.isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
        else QTest::keyClicks(e, t);
        leave(name);
    }
    void choose(const char* combo, const QString& item)
    {
        auto* c = control<QComboBox>(form3(), combo);
        QVERIFY(c->findText(item) >= 0);
        c->setCurrentIndex(c->findText(item));
    }
    // An item of the map's menu, opened by a right click, or of the picture menu it opened.
    void pick(const QString& item, const char* list = "lstMenu1")
    {
        if (list == QString("lstMenu1")) click(control(map(), "Image1"), Qt::RightButton, 6000, 600);
        auto* l = control<QListWidget>(map(), list);
        const auto found = l->findItems(item, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(item));
        l->setCurrentItem(found.first());
        emit l->itemClicked(found.first());
    }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString report() { return QString::fromLatin1(readAll(dir_.filePath("Temp.GRF"))); }
    void closeAnswering(MsgAnswer a)
    {
        dialogs_->answerMessage(a);
        form3()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A picture, a scale of one mile to 3000 twips, a square mile traced and a stream
    // across it, and the hand-off.
    void traceAndHandOff()
    {
        QWidget* image = control(map(), "Image1");
        dialogs_->answerFile(QStringLiteral(TEST_DATA_DIR "/basin.bmp"));
        pick("Load/Save Map");
        pick("Load Map File", "lstMenu2");
        pick("Set Scale");
        click(image, Qt::LeftButton, 1500, 1500);
        click(image, Qt::LeftButton, 4500, 1500);
        press(control(map(), "Command1"));
        pick("Start Area");
        for (auto [x, y] : {std::pair{1500, 1500}, {4500, 1500}, {4500, 4500}, {1500, 4500}})
            click(image, Qt::LeftButton, x, y);
        pick("End Area/Line");
        pick("Start Stream Line");
        for (int x : {1500, 3000, 4500}) click(image, Qt::LeftButton, x, 3000);
        pick("End Area/Line");
        QVERIFY(textOf(control(map(), "Text1")).contains("Perimeter= 4.00 (mi)"));
        pick("Runoff Hydrogaph");
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

    void handOffFromTheMapThenCloseWithNoAndYes()
    {
        QVERIFY(!form3());
        traceAndHandOff();
        QVERIFY(map()->isVisible());  // modeless: the map stays
        expectTexts({{"Frame2", "HydrographArea1"}, {"txtBasinArea", "1.000"}, {"txtL", "1.00"}, {"txtLca", "0.500"},
                     {"lblL", "Stream Length (mi)"}, {"lblLca", "Below Centroid (mi)"}, {"Label10", "Basin Area (mi^2)"},
                     {"Frame1", "Lag Time = C* (L*Lca/S^.5)^.33"}, {"Command1", "Compute Hydrograph"},
                     {"Command2", "Clear Hydrograph Plots"}, {"optRouteType(2)", "Combine with hyrdograph from file"}});
        QCOMPARE(form3()->windowTitle(), QString("Runoff Hydrograph"));
        QCOMPARE(control<QComboBox>(form3(), "ComboDimgraph")->count(), 11);
        QCOMPARE(control<QComboBox>(form3(), "ComboRain")->count(), 7);
        for (const char* n : {"Label3", "Label4", "Label7", "Label8", "Label9", "Label11", "Label12", "Label13", "Label15",
                              "Label16", "Label17", "Frame3", "txtConstLoss", "txtPercentImp", "txtMuskK", "txtMuskX",
                              "txtModbelv", "chkCombineHDB", "Command4", "Command5", "txtDuration(7)", "txtRain(7)",
                              "txtArealAdj(7)", "optRouteType(0)"})
            QVERIFY2(form3()->findChild<QWidget*>(n), n);

        // Elevations typed: the lag and time step; one elevation alone changes nothing.
        type("txtelv1", "5000");
        QCOMPARE(text("txtC"), QString("1"));
        type("txtElv2", "4000");
        expectTexts({{"txtLag", "0.54"}, {"txtGraphtimestep", "5"}, {"Label14", "Hydrograph Time Step (minutes)"}});

        // The chart enlarges on a double-click and comes back on the next.
        Form3* f = form3();
        const TwipGeometry home = f->MSChart1->geometryTwips();
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), (TwipGeometry{0, 0, f->ScaleWidth(), f->ScaleHeight()}));
        QTest::mouseDClick(f->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->MSChart1->geometryTwips(), home);

        // No keeps the window and puts an enlarged chart back; the map menu stays hidden.
        program_->form3State().routeType = 2;
        program_->form3State().ratingFileName = "Pond.RAT";
        QTest::mouseDClick(f->MSChart1, Qt::LeftButton, {}, QPoint(20, 20));
        auto* menu = map()->lstMenu1;
        map()->model().lstMenu1.Visible = false;
        map()->refresh();
        closeAnswering(MsgAnswer::No);
        QVERIFY(form3() == f && f->isVisible());
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
        expectTexts({{"txtelv1", ""}, {"txtElv2", ""}, {"txtS", "1"}, {"txtC", "1"}, {"txtLag", "1"},
                     {"Label6", "C estimate"}, {"Label1", "Upper Elev (ft)"}, {"txtGraphtimestep", "15"},
                     {"ComboDimgraph", "Select Dimensionless Graph"}, {"ComboRain", "Select Rainfall Arrangement"},
                     {"txtDuration(0)", "1"}, {"txtRain(0)", "1.00"}, {"txtTitle", "Enter Title 1"},
                     {"txtTile2", "Enter Title 2"}, {"txtResetLossFactor", "0.2"}, {"GWloss", "0.0"},
                     {"capTatum", "Hours"}, {"txtL", "10"}});
        QVERIFY(!control(form3(), "GWloss")->isVisible() && !control(form3(), "frameRoute")->isVisible());
        QVERIFY(control<QCheckBox>(form3(), "chkAutoTimeStep")->isChecked());
        QVERIFY(!control<QCheckBox>(form3(), "chkAreaAdj")->isChecked());
        QVERIFY(control<QAbstractButton>(form3(), "optRouteType(3)")->isChecked());
        QCOMPARE(form3()->MSChart1->geometryTwips(), (TwipGeometry{3600, 2880, 5415, 3405}));
        QCOMPARE(form3()->MSChart1->grid().RowCount(), 1);
        QCOMPARE(form3()->twipGeometry(form3()->lblL).Top, 1080);
        QCOMPARE(program_->form3State().routeType, std::int16_t(2));
        QCOMPARE(program_->form3State().ratingFileName, QString("Pond.RAT"));
        auto* dates = static_cast<DateForm*>(program_->window("DateForm"));
        QVERIFY(dates && !dates->isVisible());
        QCOMPARE(dates->Combo7->count(), 25);
        QCOMPARE(dates->Combo3->count(), 31);
        QCOMPARE(dates->Combo1->currentText(), QDate::currentDate().toString("dd"));

        // "Clear Hydrograph Plots" ends a pending route and goes back to the table view.
        form3()->MSChart1->grid().setColumnCount(4);
        press(form3()->Command2);
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(form3()->MSChart1->grid().ColumnCount(), 2);
    }

    void computeFromTheMapToReportChartSaveAndView()
    {
        traceAndHandOff();
        Form3* f = form3();
        press(f->Command3);
        QCOMPARE(dialogs_->messages().back(), QString("Compute hydrograph before saving."));
        type("txtelv1", "5000");
        type("txtElv2", "4000");
        choose("ComboDimgraph", "SCS.DGF");
        choose("ComboRain", "Peak at 2/3");
        type("txtCNloss", "75");
        press(f->Command1);

        QCOMPARE(dialogs_->messages().size(), std::size_t(1));
        QCOMPARE(f->windowTitle(), QString("Runoff Qmax=24 cfs, Vol=1.6 acft, RainLoss=0.97 in from 1.00 total"));
        QCOMPARE(textOf(f->MSChart1), QString("3 columns, 47 rows"));
        QVERIFY(!QApplication::overrideCursor());  // the hourglass is gone again
        const QStringList lines = report().split("\r\n");
        QCOMPARE(lines.size(), 16 + 47 + 1);  // 47 rows, and the last line's end
        QCOMPARE(lines.at(2), QString("Basin Area (mi^2):  1 "));
        QCOMPARE(lines.at(4), QString("Lag Time:  .54 "));
        QCOMPARE(lines.at(9), QString("Dimensionless Graph:  SCS.DGF"));
        QCOMPARE(lines.at(13), QString("    1.000     1.00     24.0  1.33333      1.6"));
        QCOMPARE(lines.at(15), QString("     Time   Runoff Rainfall   Excess       CN       S1   CNpsum   GW_cfs"));
        QCOMPARE(lines.at(16 + 16), QString("  1.33333       24"));

        // Save: the save dialog, then a copy of the report; Cancel, or the report itself, copies nothing.
        const QByteArray written = readAll(dir_.filePath("Temp.GRF"));
        const QString saved = dir_.filePath("Saved.GRF");
        dialogs_->clear();
        dialogs_->answerFile(saved);
        press(f->Command3);
        QCOMPARE(readAll(saved), written);
        const FileRequest& r = dialogs_->asked().front().file;
        QVERIFY(r.save && r.fileName.isEmpty() && r.title.isEmpty());
        QCOMPARE(r.filter, QString("Hydrograph files (*.GRF)|*.GRF|All files (*.*)|*.*|"));
        QCOMPARE(r.initDir, dir_.path());
        dialogs_->answerFile(std::nullopt);
        press(f->Command3);
        dialogs_->answerFile(dir_.filePath("Temp.GRF"));
        press(f->Command3);
        QVERIFY(dialogs_->messages().empty());
        // View: the opener gets the program folder's Temp.GRF as its one argument.
        const QString opener = dir_.filePath("opener.sh");
        QFile script(opener);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/viewed.txt\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString before = textEditorOpener();
        setTextEditorOpener(opener);
        press(f->ViewHydroData);
        QTRY_COMPARE(readAll(dir_.filePath("viewed.txt")), dir_.filePath("Temp.GRF").toLocal8Bit());
        setTextEditorOpener(before);

        // A second compute adds a column.
        type("txtCNloss", "85");
        press(f->Command1);
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 4);
        QVERIFY(report().contains("SCS Curve Number CN:  85 ,"));
    }

    void methodsRelabelTheBoxes()
    {
        program_->handOffToRunoff(basin());
        type("txtelv1", "5000");
        type("txtElv2", "4000");
        expectTexts({{"txtC", "1.51"}, {"txtS", "100"}, {"txtLag", "2.56"}, {"txtGraphtimestep", "15"}});
        choose("ComboDimgraph", "Triangle Unit Graph");
        expectTexts({{"Label6", "SCS Recession Ratio"}, {"txtC", "0.4"}, {"Label5", "Recession Ratio 2"}, {"txtS", "1.5"},
                     {"lblLca", "Recession Factor2"}, {"txtLca", "0.5"}, {"lblL", "<<Base Flow\r\n       GW Loss>>"},
                     {"txtL", "0"}, {"Label2", "Recession Ratio 3"}, {"txtElv2", "3"}, {"Label1", "Recession Factor3"},
                     {"txtelv1", ".2"}});
        QCOMPARE(form3()->twipGeometry(form3()->lblL).Top, 960);
        QVERIFY(control(form3(), "GWloss")->isVisible());
        choose("ComboDimgraph", "Rational Method");
        expectTexts({{"Label6", "C estimate"}, {"Label1", "Recession Factor3"}});
        for (const char* box : {"txtC", "txtS", "txtLca", "txtL", "txtElv2", "txtelv1"}) edit(box)->setText("7");
        choose("ComboDimgraph", "Triangle Unit Graph");  // relabelled, the values stay: only the first time
        expectTexts({{"Label6", "SCS Recession Ratio"}, {"txtC", "7"}, {"txtS", "7"}, {"txtLca", "7"}, {"txtL", "7"},
                     {"txtElv2", "7"}, {"txtelv1", "7"}});

        // Linear Reservoir: C from the lag, kept when there is no lag.
        control<QCheckBox>(form3(), "chkAutoTimeStep")->setChecked(false);
        for (auto [lag, shape] : {std::pair{"1", "1.129"}, {"0", "9"}}) {
            choose("ComboDimgraph", "Rational Method");
            edit("txtLag")->setText(lag);
            edit("txtC")->setText("9");
            choose("ComboDimgraph", "Linear Reservoir");
            expectTexts({{"Label6", "LinRes-Shape"}, {"txtC", shape}});
        }
        type("txtLag", "2");  // a typed lag rewrites the shape even with the box unticked
        QCOMPARE(text("txtC"), QString("0.525"));

        // Handed no stream and no area: the boxes keep their text, the captions change.
        BasinMeasurements none;
        none.lengthUnits = " (ft)";
        none.areaUnits = " (acres)";
        program_->handOffToRunoff(none);
        expectTexts({{"Frame2", "HydrographArea0"}, {"txtL", "7"}, {"lblL", "Stream Length (ft)"},
                     {"lblLca", "Below Centroid (ft)"}, {"txtBasinArea", "12.3"}, {"Label10", "Basin Area (mi^2)"}});
    }

    void routeFrameAndArealFactors()
    {
        program_->handOffToRunoff(basin());
        Form3* f = form3();
        f->Label14->setText("Hydrograph Time Step (hours)");
        edit("txtGraphtimestep")->setText("2");
        press(f->butRoute);
        expectTexts({{"capTatum", "hours"}, {"txtTatum", "2"}});
        QVERIFY(f->frameRoute->isVisible());
        const TwipGeometry g = f->twipGeometry(f->frameRoute);
        QCOMPARE(g.Top, f->ScaleHeight() / 2 - 3735 / 2);
        QCOMPARE(g.Left, f->ScaleWidth() / 2 - 3015 / 2);
        press(f->Command5);  // Cancel only hides the frame
        QVERIFY(!f->frameRoute->isVisible());
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        // Go with no hydrograph: routing is refused; combining goes to the compute,
        // which ends quietly while no routine answers.
        press(f->butRoute);
        press(f->Command4);
        QVERIFY(!f->frameRoute->isVisible());
        QCOMPARE(dialogs_->messages().back(), QString("Compute hydrograph before routing or combining."));
        dialogs_->clear();
        press(f->butRoute);
        control<QAbstractButton>(f, "optRouteType(2)")->click();
        press(f->Command4);
        QVERIFY(!f->frameRoute->isVisible() && dialogs_->messages().empty());
        QCOMPARE(program_->form3State().routeType, std::int16_t(0));
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 2);
        edit("txtBasinArea")->setText("20");
        edit("txtDuration(0)")->setText("2");
        edit("txtDuration(1)")->setText("6");
        auto* box = control<QCheckBox>(form3(), "chkAreaAdj");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QVERIFY(box->isChecked());
        expectTexts({{"txtArealAdj(0)", "0.928"}, {"txtArealAdj(1)", "0.963"}});
    }

    void noSecondComputeAndNoClosingDuringOne()
    {
        traceAndHandOff();
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
        QVERIFY(!QApplication::overrideCursor());
    }

    void stormFileBaseFlowAndErrors()
    {
        traceAndHandOff();
        Form3* f = form3();
        choose("ComboDimgraph", "Triangle Unit Graph");
        choose("ComboRain", "Peak Centered");
        // A storm file rewrites the table, the time step and the second title; the
        // triangle's relabelled length box carries the base flow.
        type("txtL", "10");
        type("txtCNloss", "0.1");
        const QString storm = QStringLiteral(TEST_DATA_DIR "/storm_comma.STM");
        choose("ComboRain", "Storm File");
        dialogs_->answerFile(storm);
        press(f->Command1);
        QCOMPARE(f->MSChart1->grid().ColumnCount(), 3);
        expectTexts({{"txtDuration(0)", ""}, {"txtRain(0)", ""}, {"txtGraphtimestep", "0.5"},
                     {"Label14", "Hydrograph Time Step (hours)"}});
        QCOMPARE(text("txtTile2"), "Storm file " + storm);
        QVERIFY(report().startsWith("Enter Title 1\r\nStorm file " + storm + "\r\n"));
        QVERIFY(report().contains("\r\nTriangular factors: 0.4, 0.5, 1.5, .2, 3\r\n"));
        // 0.1 in of initial loss takes the first step's rain; 10 cfs of base flow.
        QVERIFY(report().contains("\r\n  0.50000       10  0.10000  0.00000  0.10000       10\r\n"));

        // Handed a stream length again, the box is a length: label down, loss box hidden.
        BasinMeasurements m;
        m.streamLength = "1.00";
        m.lengthUnits = " (mi)";
        program_->handOffToRunoff(m);
        choose("ComboRain", "Average");
        type("txtDuration(0)", "1");
        type("txtRain(0)", "2");
        press(f->Command1);
        QCOMPARE(f->twipGeometry(f->lblL).Top, 1080);
        QVERIFY(!f->GWloss->isVisible());
        QCOMPARE(program_->form3State().computeState.baseFlow, 0.0f);
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
