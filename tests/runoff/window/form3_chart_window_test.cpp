// The hydrograph window's chart and the areal-reduction factors that follow the basin
// area and durations: the table view, the legend naming the runs, axis titles and round
// ticks, every run drawn whole and named, and what a new run redraws.
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QtTest>

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
    void computeStorm(const char* inches, const char* arrangement = "Peak at 2/3")
    {
        Form3* f = form3();
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, arrangement);
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

    // Ticked, the factors follow every duration and area at once. 400 mi^2, 2 h, between
    // the 3 h and 1 h rows of the 400 mi^2 column: t = ln(2/3) / ln(1/3) = 0.36907;
    // exp(ln 0.788 + t (ln 0.655 - ln 0.788)) = 0.736, so a 2.00 in storm of 2 h is
    // 1.47 in; at 6 h the table's 0.835. 5 mi^2, between the 1 and 10 mi^2 columns:
    // u = ln 5 / ln 10 = 0.69897; 1 h: exp(u ln 0.945) = 0.9612; 6 h: exp(u ln 0.980) =
    // 0.9860. 25 mi^2 is a column (0.880, 0.957); 400 acres = 0.625 mi^2, below a square
    // mile; 3200 acres = 5 mi^2. An emptied box is no area yet: the factors wait for one.
    // The chart shows the reduced depths as bars before a compute and a legend naming
    // each run after.
    void arealFactorsAndTheChartOfTheRuns()
    {
        showWindow("400");
        Form3* f = form3();
        HydrographChart* chart = f->MSChart1;
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);
        QCOMPARE(factors(), (QStringList{"0.655", ""}));
        typeInto("txtDuration(1)", "2");
        typeInto("txtRain(1)", "2.00");
        QCOMPARE(factors(), (QStringList{"0.655", "0.736"}));
        // Bars of 0.655 and 1.472 in with room for their labels, 1.12 times: 1.649 in, in
        // at most five intervals, is 0 to 2 by 0.5 (unreduced 2.24 would reach 2.5).
        press(f->Command2);
        QCOMPARE(chart->axisLook(Qt::AlignBottom).labels, (QStringList{"1", "2"}));
        QCOMPARE(chart->axisLook(Qt::AlignLeft).labels, (QStringList{"0.0", "0.5", "1.0", "1.5", "2.0"}));
        QCOMPARE(chart->grid().columnLabel(1), QString("Storm depth"));
        computeStorm("1.47");
        typeInto("txtDuration(1)", "6");
        QCOMPARE(factors(), (QStringList{"0.655", "0.835"}));
        const std::tuple<const char*, const char*, const char*, const char*> steps[] = {
            {"25", nullptr, "0.880", "0.957"}, {"", nullptr, "0.880", "0.957"},
            {"400", " (acres)", "1.000", "1.000"}, {"3200", " (acres)", "0.961", "0.986"}};
        for (auto [area, units, one, six] : steps) {
            if (units) program_->handOffToRunoff(basinOf(area, units));
            else typeInto("txtBasinArea", area);
            QCOMPARE(factors(), (QStringList{one, six}));
        }
        computeStorm("1.97", "Peak Centered");  // 2.00 in * 0.986 for the basin handed last
        QCOMPARE(chart->legendEntries(), (QStringList{"Excess of run 2", "1: SCS, Peak at 2/3, CN 75", "2: SCS, Peak Centered, CN 75"}));
        press(f->Command2);  // clearing the plots forgets the runs and their names
        QVERIFY(chart->legendEntries().isEmpty());
        QTest::mouseClick(f->chkAreaAdj, Qt::LeftButton);  // unticked: 1 whatever the area
        QCOMPARE(factors(), (QStringList{"1.000", "1.000"}));
    }

    // Three computes that differ only in their losses, each named whole by them in the
    // legend (wrapped where a name is wider than the legend may be), over no peak.
    void runsNamedWholeByTheirLosses()
    {
        showWindow("1");
        Form3* f = form3();
        choose(f->ComboDimgraph, "SCS.DGF");
        choose(f->ComboRain, "Peak at 2/3");
        const std::tuple<const char*, const char*, const char*> losses[] = {
            {"75", "", ""}, {"0.5", "0.1", ""}, {"75", "", "20"}};
        for (auto [loss, constant, impervious] : losses) {
            typeInto("txtCNloss", loss);
            typeInto("txtConstLoss", constant);
            typeInto("txtPercentImp", impervious);
            press(f->Command1);
            QVERIFY(dialogs_->messages().empty());
        }
        HydrographChart* chart = f->MSChart1;
        const QStringList entries = chart->legendEntries();
        QCOMPARE(entries, (QStringList{"Excess of run 3", "1: SCS, Peak at 2/3, CN 75",
                                       "2: SCS, Peak at 2/3, IL 0.5 in, CL 0.1 in/hr, recovery 0.2",
                                       "3: SCS, Peak at 2/3, CN 75, 20% impervious"}));
        const std::vector<QStringList> lines = chart->legendLines();
        const QRectF plot = chart->chart()->plotArea();
        const QRectF legend = chart->legendRect();
        QVERIFY2(lines[2].size() > 1 && legend.width() <= plot.width() * 0.6, qPrintable(lines[2].join('|')));
        for (int i = 0; i < entries.size(); ++i) QCOMPARE(lines[static_cast<std::size_t>(i)].join(' '), entries[i]);
        QVERIFY(plot.contains(legend));
        for (const QPointF& p : chart->peaksInView()) QVERIFY(!legend.adjusted(-2, -2, 2, 2).contains(p));
    }

    // Eight runs on the window's chart, the first 70 ten-minute rows long and the others 40,
    // peaking at 2,000 cfs (the first at 1,000 at row 50, past every later run's end) and
    // then at rows spread so that a peak stands near every corner of the plot.
    void everyRunDrawnWholeAndNamed()
    {
        showWindow("1");
        HydrographChart& chart = *form3()->MSChart1;
        const std::pair<int, float> peaks[] = {{50, 1000}, {2, 1900}, {38, 1950}, {20, 300},
                                               {3, 250},   {37, 200}, {12, 2000}, {30, 1000}};
        const auto plot = [&chart](int run, int rows, int top, float high) {
            ComputeState s;
            s.it = static_cast<std::int16_t>(rows - 1), s.obs = 3, s.udur = 1.0f / 6;
            s.qi.redim(s.it), s.excess.redim(s.it);
            for (long i = 0; i < rows; ++i) s.qi(i) = high * std::exp(-std::fabs(static_cast<float>(i - top)) / 4);
            s.excess(2) = 0.2f;
            plotHydrograph(chart.grid(), s, 0, QStringLiteral("Muskingum routing, K 1.2%1 h, X 0.25").arg(run));
            chart.refresh(), QCoreApplication::processEvents();  // as after a compute
        };
        for (int run = 1; run <= 8; ++run) plot(run, run == 1 ? 70 : 40, peaks[run - 1].first, peaks[run - 1].second);
        // The time axis holds the first run: 69 / 6 = 11.5 h in at most six intervals, by
        // 2 h to 12; 2,000 cfs in at most five, by 500.
        const auto x = chart.axisLook(Qt::AlignBottom), y = chart.axisLook(Qt::AlignLeft);
        QCOMPARE(x.labels, (QStringList{"0", "2", "4", "6", "8", "10", "12"}));
        QCOMPARE(y.labels, (QStringList{"0", "500", "1,000", "1,500", "2,000"}));
        QCOMPARE((QStringList{x.title, y.title, chart.axisLook(Qt::AlignRight).title}),
                 (QStringList{"Time (hours)", "Flow (cfs)", "Excess (inches)"}));
        // Every run named whole, the earliest together on one line; no peak under the legend.
        const QStringList entries = chart.legendEntries();
        QVERIFY2(entries.size() >= 3 && entries[1].startsWith("1-") &&
                     entries.last() == "8: Muskingum routing, K 1.28 h, X 0.25",
                 qPrintable(entries.join('|')));
        const int grouped = entries[1].section('-', 1).section(':', 0, 0).toInt();
        QCOMPARE(entries.size() - 2, 8 - grouped);
        const std::vector<QStringList> lines = chart.legendLines();
        for (int i = 0; i < entries.size(); ++i) QCOMPARE(lines[static_cast<std::size_t>(i)].join(' '), entries[i]);
        for (const QPointF& p : chart.peaksInView()) QVERIFY(!chart.legendRect().adjusted(-2, -2, 2, 2).contains(p));

        // The first run goes on past the others' end, where it is 1,000 exp(-(50 - 45) / 4)
        // = 287 cfs at row 45 (7.5 h), and it never falls to 0 at their end (row 39).
        const QImage shot = chart.view()->grab().toImage();
        const auto at = [&chart](double hours, double cfs) {
            const QRectF area = chart.chart()->plotArea();
            return QPointF(area.left() + hours / 12 * area.width(), area.bottom() - cfs / 2000 * area.height()).toPoint();
        };
        const auto coloured = [&shot](QPoint from, QPoint to) {  // any curve in the box between
            for (int px = std::min(from.x(), to.x()); px <= std::max(from.x(), to.x()); ++px)
                for (int py = std::min(from.y(), to.y()); py <= std::max(from.y(), to.y()); ++py)
                    if (QColor(shot.pixel(px, py)).saturation() > 60) return true;
            return false;
        };
        const QPoint first = at(7.5, 1000 * std::exp(-5.0 / 4));
        QVERIFY(coloured(first - QPoint(0, 2), first + QPoint(0, 2)));
        // The third run ends at 1,518 cfs at 6.5 h: nothing below it to the next step.
        QVERIFY(!coloured(at(6.5, 900), at(6.5 + 1 / 6.0, 500)));

        // A ninth run within the scales draws one earlier run (the eighth, now thin).
        const int drawn = chart.earlierRunsDrawn();
        plot(9, 40, 20, 500);
        chart.view()->grab();
        QCOMPARE(chart.earlierRunsDrawn(), drawn + 1);
    }
};

QTEST_MAIN(Form3ChartWindowTest)
#include "form3_chart_window_test.moc"
