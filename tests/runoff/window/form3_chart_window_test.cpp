// The hydrograph window's chart and the two boxes that depend on what happens around
// them: areal-reduction factors that follow the basin area, a click on the chart that
// ends typing in the lag box, and what the chart shows a reader (axis titles, round
// ticks, the legend, the table view, the enlarge tool tip).
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

#include "app/program.h"
#include "map/window/form1.h"
#include "runoff/window/form3.h"
#include "support/program_window.h"
#include "support/widget_lookup.h"

using namespace corv;
using corv::test::control;

namespace {

BasinMeasurements basinOf(const char* area, const char* units = " (mi^2)")
{
    return {3, QString(area), QString("1.00"), QString("0.500"), units, " (mi)"};
}

QStringList list(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* i : items) out << QString::fromUtf8(i);
    return out;
}

}  // namespace

class Form3ChartWindowTest : public QObject, corv::test::ProgramWindow<> {
    Q_OBJECT

private:
    QLineEdit* edit(const QString& name) { return control<QLineEdit>(form3(), name); }
    // Clicks into the box, selects what it holds and types over it, as a user does.
    void typeInto(const QString& name, const QString& text)
    {
        QLineEdit* e = edit(name);
        QTest::mouseClick(e, Qt::LeftButton);
        e->selectAll();
        if (text.isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
        else QTest::keyClicks(e, text);
    }
    QStringList factors()
    {
        return {edit("txtArealAdj(0)")->text(), edit("txtArealAdj(1)")->text()};
    }
    // An SCS compute with curve number 75, whose caption ends with the storm's depth.
    void computeStorm(const char* inches)
    {
        Form3* f = form3();
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, "Peak at 2/3");
        typeInto("txtCNloss", "75");
        press(f->Command1);
        QVERIFY(dialogs_->messages().empty());
        QVERIFY2(f->windowTitle().endsWith(QString("from %1 total").arg(inches)), qPrintable(f->windowTitle()));
    }
    // The hand-off of Area3: a mile of stream, half a mile below the centroid.
    void showWindow(const char* area)
    {
        program_->handOffToRunoff(basinOf(area));
        form3()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form3()));
    }

private slots:
    void init()
    {
        startProgram();
        QCoreApplication::processEvents();
    }
    void cleanup() { stopProgram(); }

    // Ticked at 400 mi^2, the factors are the table's 400 mi^2 column. Every later
    // area, handed from the map or typed, brings its own factors, interpolated in the
    // logarithms of area and factor between the 1 and 10 mi^2 columns for 5 mi^2:
    // u = ln 5 / ln 10 = 0.69897; 1 h: exp(u ln 0.945) = 0.9612; 6 h: exp(u ln 0.980) = 0.9860.
    void arealFactorsFollowTheBasinArea()
    {
        showWindow("400");
        Form3* f = form3();
        typeInto("txtDuration(1)", "6");
        typeInto("txtRain(1)", "2.00");
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);
        QVERIFY(f->chkAreaAdj->isChecked());
        QCOMPARE(factors(), list({"0.655", "0.835"}));

        program_->handOffToRunoff(basinOf("5"));
        QCOMPARE(factors(), list({"0.961", "0.986"}));
        // Typed: 25 mi^2 is a column of the table (0.880 and 0.957).
        typeInto("txtBasinArea", "25");
        QCOMPARE(factors(), list({"0.880", "0.957"}));
        // An emptied box is no area yet: the factors wait for one.
        typeInto("txtBasinArea", "");
        QCOMPARE(factors(), list({"0.880", "0.957"}));
        // The same number in acres: 400 acres = 0.625 mi^2, below a square mile.
        program_->handOffToRunoff(basinOf("400"));
        QCOMPARE(factors(), list({"0.655", "0.835"}));
        program_->handOffToRunoff(basinOf("400", " (acres)"));
        QCOMPARE(factors(), list({"1.000", "1.000"}));
        // 3200 acres = 5 mi^2 (read with the caption handed with it, not 3200 mi^2).
        program_->handOffToRunoff(basinOf("3200", " (acres)"));
        QCOMPARE(factors(), list({"0.961", "0.986"}));

        // The compute reduces the storm of the basin handed: 2.00 in * 0.986 = 1.97 in
        // (the 400 mi^2 factor would have left 1.67).
        computeStorm("1.97");

        // Unticked, the factors are 1 and stay so whatever the area.
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);
        QCOMPARE(factors(), list({"1.000", "1.000"}));
        program_->handOffToRunoff(basinOf("400"));
        typeInto("txtBasinArea", "250");
        QCOMPARE(factors(), list({"1.000", "1.000"}));
    }

    // Durations typed or changed while ticked get their own factor at once: before,
    // a new row had none (its rain taken whole) and a changed one kept the old one's.
    // 400 mi^2, 2 h, between the 3 h and 1 h rows of the 400 mi^2 column:
    // t = ln(2/3) / ln(1/3) = 0.36907; exp(ln 0.788 + t (ln 0.655 - ln 0.788)) = 0.736,
    // so a 2.00 in storm of 2 h is 1.47 in (2.00 unreduced). At 6 h the table's 0.835
    // gives 1.67 in.
    void arealFactorsFollowTheDurations()
    {
        showWindow("400");
        Form3* f = form3();
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);
        QCOMPARE(factors(), list({"0.655", ""}));
        typeInto("txtDuration(1)", "2");
        typeInto("txtRain(1)", "2.00");
        QCOMPARE(factors(), list({"0.655", "0.736"}));

        computeStorm("1.47");
        typeInto("txtDuration(1)", "6");
        QCOMPARE(factors(), list({"0.655", "0.835"}));
        computeStorm("1.67");

        // An emptied duration keeps its factor text; unticked, the factors are 1 again
        // and typing no longer changes them.
        typeInto("txtDuration(0)", "");
        QCOMPARE(factors(), list({"0.655", "0.835"}));
        typeInto("txtDuration(0)", "1");
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);
        QCOMPARE(factors(), list({"1.000", "1.000"}));
        typeInto("txtDuration(1)", "3");
        QCOMPARE(factors(), list({"1.000", "1.000"}));
    }

    // A lag typed and the drawing inside the chart clicked (a click on the control's
    // edge is chart_three_runs.scn's): the lag box loses the focus and its rule snaps
    // the step, 6 h / 5.5 = 1.09 h: Int(1.09 - 0.1) + 1 = 1 hour.
    void clickOnTheChartEndsTheLag()
    {
        showWindow("12.3");
        Form3* f = form3();
        typeInto("txtLag", "6");
        QTest::mouseClick(f->MSChart1->view()->viewport(), Qt::LeftButton, {}, QPoint(120, 40));
        QVERIFY(f->MSChart1->view()->hasFocus());
        QCOMPARE(f->txtGraphtimestep->text(), QString("1"));
        QCOMPARE(f->Label14->text(), QString("Hydrograph Time Step (hours)"));
        // The click that took the focus enlarges nothing; a double-click does.
        QCOMPARE(f->MSChart1->geometryTwips(), program_->form3State().chartHome);
    }

    // Before a compute the chart shows the depth-duration table as bars; after runs,
    // flow against time at round ticks, the excess on its own reversed axis, and a
    // legend naming each run by number and method/arrangement. The basin of
    // compute_e2e.scn (1 mi^2, lag 0.54 h, 5-minute step, CN 75) peaks at 24 cfs and
    // its 47 rows end at 46 * 5 min = 3.83 h.
    void chartReadsAsAHydrograph()
    {
        showWindow("1.000");
        Form3* f = form3();
        HydrographChart* chart = f->MSChart1;
        // The design size: 5415 x 3405 twips at 15 twips a pixel; the ticks below are
        // worked for it (about 44 pixels a time label, 28 a flow label).
        QCOMPARE(chart->size(), QSize(361, 227));
        QVERIFY(chart->toolTip().contains("Double-click to enlarge"));
        QCOMPARE(chart->chart()->toolTip(), chart->toolTip());

        typeInto("txtDuration(1)", "6");
        typeInto("txtRain(1)", "2.4");
        QTest::mouseClick(f->Command2, Qt::LeftButton);
        HydrographChart::AxisLook x = chart->axisLook(Qt::AlignBottom);
        HydrographChart::AxisLook y = chart->axisLook(Qt::AlignLeft);
        QCOMPARE(x.title, QString("Storm duration (hours)"));
        QCOMPARE(x.labels, list({"1", "6"}));
        QCOMPARE(y.title, QString("Storm depth (inches)"));
        // 2.4 in and room for its label: 0 to 3 by 1 (0.5 would need six intervals).
        QCOMPARE(y.labels, list({"0", "1", "2", "3"}));
        QVERIFY(chart->legendEntries().isEmpty());
        typeInto("txtDuration(1)", "");
        typeInto("txtRain(1)", "");

        typeInto("txtelv1", "5000");
        typeInto("txtElv2", "4000");
        QTest::mouseClick(f->txtCNloss, Qt::LeftButton);  // leaves the elevation box
        QCOMPARE(f->txtLag->text(), QString("0.54"));
        QCOMPARE(f->txtGraphtimestep->text(), QString("5"));
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, "Peak at 2/3");
        typeInto("txtCNloss", "75");
        QTest::mouseClick(f->Command1, Qt::LeftButton);
        QVERIFY(f->windowTitle().startsWith("Runoff Qmax=24 cfs"));

        x = chart->axisLook(Qt::AlignBottom);
        y = chart->axisLook(Qt::AlignLeft);
        const HydrographChart::AxisLook excess = chart->axisLook(Qt::AlignRight);
        QCOMPARE(x.title, QString("Time (hours)"));
        QCOMPARE(y.title, QString("Flow (cfs)"));
        QCOMPARE(excess.title, QString("Excess (inches)"));
        // 3.83 h in at most six intervals: whole hours. 24 cfs in at most five: by 5.
        QCOMPARE(x.labels, list({"0", "1", "2", "3", "4"}));
        QCOMPARE(y.labels, list({"0", "5", "10", "15", "20", "25"}));
        auto* excessAxis = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).last());
        QVERIFY(excessAxis && excessAxis->isReverse() && excessAxis->min() == 0);
        QCOMPARE(chart->legendEntries(), list({"Excess of run 1", "1: SCS, Peak at 2/3"}));

        choose(f->ComboRain, "Peak Centered");
        QTest::mouseClick(f->Command1, Qt::LeftButton);
        choose(f->ComboRain, "Peak at 1/3");
        QTest::mouseClick(f->Command1, Qt::LeftButton);
        QCOMPARE(chart->legendEntries(), list({"Excess of run 3", "1: SCS, Peak at 2/3", "2: SCS, Peak Centered",
                                               "3: SCS, Peak at 1/3"}));
        // The newest is drawn boldest, each run in a colour of its own.
        const auto series = chart->chart()->series();
        QCOMPARE(series.size(), 4);  // the excess and three runs
        QPen pens[3];
        for (int i = 0; i < 3; ++i) pens[i] = qobject_cast<QLineSeries*>(series[i + 1])->pen();
        QVERIFY(pens[2].widthF() > pens[1].widthF() && pens[1].widthF() == pens[0].widthF());
        QVERIFY(pens[0].color().rgb() != pens[1].color().rgb() && pens[1].color().rgb() != pens[2].color().rgb() &&
                pens[0].color().rgb() != pens[2].color().rgb());

        // Enlarged to the 776 x 476 pixel window, the chart has room for twelve time
        // intervals: half hours. Flows by 2 would need twelve intervals where ten fit.
        QTest::mouseDClick(chart->view()->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(chart->size(), QSize(776, 476));
        QCOMPARE(chart->axisLook(Qt::AlignBottom).labels,
                 list({"0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5", "4.0"}));
        QCOMPARE(chart->axisLook(Qt::AlignLeft).labels, list({"0", "5", "10", "15", "20", "25"}));

        // Clearing the plots forgets the runs and their names.
        QTest::mouseClick(f->Command2, Qt::LeftButton);
        QVERIFY(chart->legendEntries().isEmpty());
        QCOMPARE(chart->axisLook(Qt::AlignBottom).title, QString("Storm duration (hours)"));
    }

    // Eight runs of 47 ten-minute ordinates peaking at 2194.2 cfs, the excess at most
    // 0.37 in, on a chart of the design size: time to 46 / 6 = 7.67 h by 2 h (six
    // intervals fit), flows by 500 cfs to 2,500, the excess (tripled, 1.11 in) by 0.5 in
    // to 1.5, drawn downwards. The legend names the six newest runs.
    void manyRunsAtTheDesignSize()
    {
        HydrographChart chart;
        chart.resize(361, 227);
        chart.grid().series1Secondary = true;
        resetChartGrid(chart.grid(), {"1"}, {"1"}, {});
        for (int run = 1; run <= 8; ++run) {
            ComputeState s;
            s.it = 46, s.obs = 3, s.udur = 1.0f / 6;
            s.qi.redim(46);
            s.excess.redim(46);
            for (long i = 0; i <= 46; ++i) s.qi(i) = i == 12 ? 2194.2f : 100.0f * static_cast<float>(i % 12);
            s.excess(2) = 0.37f;
            s.excess(3) = 0.2f;
            plotHydrograph(chart.grid(), s, 0, QStringLiteral("Run %1").arg(run));
        }
        chart.refresh();
        QCOMPARE(chart.axisLook(Qt::AlignBottom).labels, list({"0", "2", "4", "6", "8"}));
        QCOMPARE(chart.axisLook(Qt::AlignLeft).labels, list({"0", "500", "1,000", "1,500", "2,000", "2,500"}));
        QCOMPARE(chart.axisLook(Qt::AlignRight).labels, list({"0.0", "0.5", "1.0", "1.5"}));
        QCOMPARE(chart.legendEntries(), list({"Excess of run 8", "3: Run 3", "4: Run 4", "5: Run 5", "6: Run 6",
                                              "7: Run 7", "8: Run 8"}));
        // The excess of the step ending at 20 minutes covers 10 to 20 minutes.
        auto* excess = qobject_cast<QAreaSeries*>(chart.chart()->series().first());
        QVERIFY(excess);
        const QList<QPointF> steps = excess->upperSeries()->points();
        auto has = [&steps](double x, double y) {
            return std::any_of(steps.begin(), steps.end(), [x, y](const QPointF& p) {
                return std::fabs(p.x() - x) < 1e-6 && std::fabs(p.y() - y) < 1e-6;
            });
        };
        QVERIFY(has(1.0 / 6, 0.37) && has(2.0 / 6, 0.37) && has(2.0 / 6, 0.2) && has(3.0 / 6, 0.2));
        QVERIFY(!has(0, 0.37));
    }

    // The window redraws the chart after every run and keeps the curves already drawn;
    // whatever came between, it must end as a chart drawn once from the same grid:
    // the same curves, pens, legend, scales and pixels. The runs grow (the flow scale
    // changes), the fourth is longer (every curve moves), the fifth a routing without
    // excess (the excess axis goes), and the plots are cleared and drawn again.
    void chartRedrawnAfterEachRunMatchesOneDrawnOnce()
    {
        const auto plot = [](ChartGrid& g, int run) {
            ComputeState s;
            const int it = run >= 4 ? 70 : 46;
            s.it = static_cast<std::int16_t>(it), s.obs = 3, s.udur = 1.0f / 6;
            s.qi.redim(it);
            s.qout.redim(it);
            s.excess.redim(it);
            for (long i = 0; i <= it; ++i) {
                s.qi(i) = 300.0f * static_cast<float>(run) * std::exp(-std::fabs(static_cast<float>(i) - 12.0f) / 6);
                s.qout(i) = 0.8f * s.qi(i);
            }
            if (run != 5) s.excess(2) = 0.37f;
            plotHydrograph(g, s, run == 5 ? 2 : 0, run == 5 ? QString() : QStringLiteral("Run %1").arg(run));
        };
        const auto look = [](HydrographChart& c) {
            QStringList out;
            for (QAbstractSeries* series : c.chart()->series()) {
                auto* line = qobject_cast<QLineSeries*>(series);
                if (!line) continue;
                out << QStringLiteral("%1 %2 %3 %4 %5").arg(line->name()).arg(line->pen().widthF())
                                                     .arg(line->pen().color().name(QColor::HexArgb))
                                                     .arg(line->count()).arg(line->at(line->count() - 1).x());
            }
            out << c.legendEntries() << c.axisLook(Qt::AlignBottom).labels << c.axisLook(Qt::AlignLeft).labels
                << c.axisLook(Qt::AlignRight).labels;
            return out;
        };
        for (int runs : {3, 4, 5}) {
            HydrographChart stepwise, once;
            for (HydrographChart* c : {&stepwise, &once}) {
                c->resize(361, 227);
                c->grid().series1Secondary = true;
                resetChartGrid(c->grid(), {"1"}, {"1"}, {});
                c->refresh();
                c->show();
            }
            for (int run = 1; run <= runs; ++run) {
                plot(stepwise.grid(), run);
                // From the event loop, as after a click on "Compute Hydrograph".
                QTimer::singleShot(0, &stepwise, [&stepwise] { stepwise.refresh(); });
                QCoreApplication::processEvents();
                plot(once.grid(), run);
            }
            once.refresh();
            // Drawings the chart has dropped but not yet deleted must not show.
            QCoreApplication::processEvents();
            QCOMPARE(look(stepwise), look(once));
            QCOMPARE(stepwise.chart()->series().size(), runs + (runs == 5 ? 0 : 1));
            QCOMPARE(stepwise.view()->grab().toImage(), once.view()->grab().toImage());

            // Cleared and plotted again: only the new run is drawn.
            resetChartGrid(stepwise.grid(), {"1"}, {"1"}, {});
            stepwise.refresh();
            plot(stepwise.grid(), 1);
            stepwise.refresh();
            QCOMPARE(stepwise.chart()->series().size(), 2);
            QCOMPARE(stepwise.legendEntries(), list({"Excess of run 1", "1: Run 1"}));
        }
    }
};

QTEST_MAIN(Form3ChartWindowTest)
#include "form3_chart_window_test.moc"
