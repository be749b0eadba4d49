// The hydrograph window's chart: its data grid and its drawing over Qt Charts.
#include "runoff/window/hydrograph_chart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsItemGroup>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLocale>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPolygonF>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <set>

#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/twips.h"
#include "runoff/report_cells.h"

namespace corv {

void ChartGrid::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    for (auto& column : cells_) column.resize(static_cast<std::size_t>(rows), 0.0f);
    labels_.resize(static_cast<std::size_t>(rows));
    rows_ = rows;
    timeLabelled_ = std::min(timeLabelled_, rows);
}

void ChartGrid::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    cells_.resize(static_cast<std::size_t>(columns), std::vector<float>(static_cast<std::size_t>(rows_), 0.0f));
    styles_.resize(static_cast<std::size_t>(columns), 0);
    columnLabels_.resize(static_cast<std::size_t>(columns));
    columns_ = columns;
}

void ChartGrid::checkRow(int row) const
{
    if (row < 1 || row > rows_) err::raise(err::kSubscript);
}

void ChartGrid::checkColumn(int column) const
{
    if (column < 1 || column > columns_) err::raise(err::kSubscript);
}

void ChartGrid::checkCell(int row, int column) const
{
    checkRow(row);
    checkColumn(column);
}

float ChartGrid::data(int row, int column) const
{
    checkCell(row, column);
    return cells_[static_cast<std::size_t>(column - 1)][static_cast<std::size_t>(row - 1)];
}

void ChartGrid::setData(int row, int column, float value)
{
    checkCell(row, column);
    cells_[static_cast<std::size_t>(column - 1)][static_cast<std::size_t>(row - 1)] = value;
}

const std::vector<float>& ChartGrid::column(int column) const
{
    checkColumn(column);
    return cells_[static_cast<std::size_t>(column - 1)];
}

QString ChartGrid::rowLabel(int row) const
{
    checkRow(row);
    return labels_[static_cast<std::size_t>(row - 1)];
}

void ChartGrid::setRowLabel(int row, const QString& label)
{
    checkRow(row);
    labels_[static_cast<std::size_t>(row - 1)] = label;
    timeLabelled_ = std::min(timeLabelled_, row - 1);
}

QString ChartGrid::columnLabel(int column) const
{
    checkColumn(column);
    return columnLabels_[static_cast<std::size_t>(column - 1)];
}

void ChartGrid::setColumnLabel(int column, const QString& label)
{
    checkColumn(column);
    columnLabels_[static_cast<std::size_t>(column - 1)] = label;
}

int ChartGrid::columnStyle(int column) const
{
    checkColumn(column);
    return styles_[static_cast<std::size_t>(column - 1)];
}

void ChartGrid::setColumnStyle(int column, int style)
{
    checkColumn(column);
    styles_[static_cast<std::size_t>(column - 1)] = style;
}

void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors)
{
    grid.setColumnCount(0);  // no run keeps its name
    grid.setColumnCount(2);
    grid.setRowCount(0);
    grid.hoursPerRow = 0;
    grid.setColumnLabel(1, QStringLiteral("Storm depth"));
    grid.divisionsPerLabel = 0;
    grid.divisionsPerTick = 0;
    grid.labelTicks = true;
    for (int r = 1; r <= 8; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        float f = toSingle(Val(factors[i].toStdString()));
        if (f == 0.0f) f = 1.0f;
        const float depth = toSingle(static_cast<double>(toSingle(Val(rains[i].toStdString()))) * f);
        if (depth == 0.0f) break;
        grid.setRowCount(r);
        grid.setRowLabel(r, durations[i]);
        grid.setData(r, 1, depth);
        grid.setData(r, 2, 0.0f);
    }
}

namespace {

// Rows are drawn through at most this many runs: more than a chart has pixels across.
constexpr int kRuns = 1024;

// The points of one series: every row while they are few; otherwise the lowest and
// the highest row of each run (in row order), with the first and last rows, which a
// line looks the same through at screen resolution. The extremes come back too.
void seriesPoints(const std::vector<float>& values, int rows, QList<QPointF>& points, float& top, float& bottom)
{
    points.clear();
    top = 0;
    bottom = 0;
    const auto at = [&values](int r) { return values[static_cast<std::size_t>(r)]; };
    if (rows <= 2 * kRuns) {
        for (int r = 0; r < rows; ++r) {
            const float v = at(r);
            points.append(QPointF(r, v));
            top = std::max(top, v);
            bottom = std::min(bottom, v);
        }
        return;
    }
    points.append(QPointF(0, at(0)));
    for (int b = 0; b < kRuns; ++b) {
        const int from = static_cast<int>(static_cast<long long>(rows) * b / kRuns);
        const int to = static_cast<int>(static_cast<long long>(rows) * (b + 1) / kRuns);
        int low = from, high = from;
        for (int r = from + 1; r < to; ++r) {
            if (at(r) < at(low)) low = r;
            if (at(r) > at(high)) high = r;
        }
        top = std::max(top, at(high));
        bottom = std::min(bottom, at(low));
        const int first = std::min(low, high), second = std::max(low, high);
        points.append(QPointF(first, at(first)));
        if (second != first) points.append(QPointF(second, at(second)));
    }
    points.append(QPointF(rows - 1, at(rows - 1)));
}

// Format(t, labelFormat) read back as a number and written in its shortest text.
QString rowLabelText(float t, int decimals)
{
    std::string text = maskText(t, decimals);
    if (text.size() > 15) return QString::fromStdString(strDouble(Val(text)));
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return QString::fromStdString(text);
}

}  // namespace

void ChartGrid::labelRowsByTime(float hours, int decimals)
{
    if (hours != timeStep_ || decimals != timeDecimals_) timeLabelled_ = 0;
    for (int r = timeLabelled_; r < rows_; ++r)
        labels_[static_cast<std::size_t>(r)] = rowLabelText(static_cast<float>(r) * hours, decimals);
    timeLabelled_ = rows_;
    timeStep_ = hours;
    timeDecimals_ = decimals;
}

QString routingRunName(std::int16_t routeType)
{
    // The route type codes of the hydrograph window's state.
    switch (routeType) {
    case 1: return QStringLiteral("Modified Puls routing");
    case 2: return QStringLiteral("Muskingum routing");
    case 3: return QStringLiteral("Combined hydrograph");
    case 4: return QStringLiteral("Travel time routing");
    default: return QStringLiteral("Hydrograph");
    }
}

int AxisScale::intervals() const { return static_cast<int>(std::lround((max - min) / step)); }

AxisScale roundScale(double low, double high, int maxIntervals, bool hours)
{
    maxIntervals = std::max(maxIntervals, 1);
    if (high < low) std::swap(low, high);
    if (high - low <= 0) high = low + (std::fabs(low) > 0 ? std::fabs(low) : 1.0);
    // Steps in increasing order, from well below the span's share of an interval.
    std::vector<double> steps;
    const double first = std::pow(10.0, std::floor(std::log10((high - low) / maxIntervals)) - 1);
    const auto decades = [&steps](double from, double below, double unit) {
        for (double p = from; steps.size() < 200; p *= 10)
            for (double m : {1.0, 2.0, 5.0}) {
                if (m * p * unit >= below) return;
                steps.push_back(m * p * unit);
            }
    };
    if (!hours) {
        decades(first, HUGE_VAL, 1);
    } else {
        decades(std::min(first, 0.01), 0.1, 1);
        for (double h : {0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 3.0, 4.0, 6.0, 12.0}) steps.push_back(h);
        decades(1, HUGE_VAL, 24);  // whole days
    }
    AxisScale a;
    for (double step : steps) {
        const double from = std::floor(low / step + 1e-9) * step;
        const double to = std::ceil(high / step - 1e-9) * step;
        if (std::lround((to - from) / step) <= maxIntervals) {
            a.min = from == 0 ? 0 : from;
            a.max = to;
            a.step = step;
            break;
        }
    }
    a.decimals = 0;
    while (a.decimals < 6) {
        const double scaled = a.step * std::pow(10.0, a.decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * scaled) break;
        ++a.decimals;
    }
    return a;
}

void plotHydrograph(ChartGrid& grid, ComputeState& s, std::int16_t routeType, const QString& runName)
{
    const int rows = s.it + 1;
    if (grid.ColumnCount() < 2) grid.setColumnCount(2);  // the excess column and the first hydrograph's
    if (grid.ColumnCount() == 2) grid.setRowCount(rows);
    s.labelStep = static_cast<std::int16_t>(s.it / 6);
    int decimals = s.udur < 1 ? 2 : 0;
    if (s.udur == 0.5f) decimals = 1;
    s.labelFormat = QString::fromLatin1(decimals == 2 ? "0.00" : decimals == 1 ? "0.0" : "0");
    grid.divisionsPerLabel = s.labelStep;
    grid.divisionsPerTick = s.labelStep;
    grid.labelTicks = true;
    grid.setRowCount(rows);

    const int newest = grid.ColumnCount();
    const VArray<float>& flow = routeType != 0 ? s.qout : s.qi;
    const long excessTo = static_cast<long>(s.obs) + 1;
    for (long i = 0; i <= s.it; ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.setData(row, 1, i <= excessTo ? s.excess(i) : 0.0f);
        grid.setData(row, newest, flow(i));
    }
    grid.labelRowsByTime(s.udur, decimals);
    grid.setColumnCount(newest + 1);
    grid.hoursPerRow = s.udur;
    grid.setColumnLabel(1, QStringLiteral("Excess of run %1").arg(newest - 1));
    grid.setColumnLabel(newest, QStringLiteral("%1: %2").arg(newest - 1).arg(runName.isEmpty() ? routingRunName(routeType)
                                                                                             : runName));
    grid.setColumnStyle(1, 1);
    grid.setColumnStyle(grid.ColumnCount(), 6);
}


namespace {

// Run colours (the first seven those of Okabe and Ito), told apart also by readers with
// the commoner colour-vision deficiencies; a run keeps its colour as later runs come.
const QColor kRunColours[] = {QColor(0xd5, 0x5e, 0x00), QColor(0x00, 0x72, 0xb2), QColor(0x00, 0x9e, 0x73),
                              QColor(0xe6, 0x9f, 0x00), QColor(0xcc, 0x79, 0xa7), QColor(0x56, 0xb4, 0xe9),
                              QColor(0x00, 0x00, 0x00), QColor(0x8c, 0x56, 0x4b), QColor(0x7f, 0x7f, 0x7f),
                              QColor(0xa0, 0x8c, 0x00)};
const QColor kExcessLine(0x3a, 0x6e, 0x9e);
const QColor kExcessFill(0x9e, 0xc5, 0xe6, 170);
// The legend names the newest runs only: more would cover the curves.
constexpr int kLegendRuns = 6;
// Pixels a tick label needs across (time) and up (flow, depth, excess).
constexpr int kTickWidth = 44;
constexpr int kTickHeight = 28;

QFont chartFont(double points, bool bold = false)
{
    QFont f;
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void styleAxis(QAbstractAxis* axis, const QString& title)
{
    axis->setTitleText(title);
    axis->setTitleFont(chartFont(7.5, true));
    axis->setLabelsFont(chartFont(7));
    axis->setGridLineColor(QColor(0xdd, 0xdd, 0xdd));
}

void applyScale(QValueAxis* axis, const AxisScale& a)
{
    // Only what changes: every change lays the axis out again.
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(a.min, a.max);
    axis->setTickCount(a.intervals() + 1);
    axis->setMinorTickCount(0);
    const QString format = QStringLiteral("%.%1f").arg(a.decimals);
    if (axis->labelFormat() != format) axis->setLabelFormat(format);
}

// The excess as steps: the excess of row r (the step ending at time r) covers the
// time from row r - 1 to row r. Long series keep the largest step of each run of rows.
QList<QPointF> excessSteps(const std::vector<float>& values, int rows, double hours, float& top)
{
    top = 0;
    int last = 0;
    for (int r = 0; r < rows; ++r)
        if (values[static_cast<std::size_t>(r)] != 0) last = r;
    QList<QPointF> points;
    if (last == 0) return points;
    const int runs = std::min(last, kRuns);
    points.reserve(2 * runs + 2);
    points.append(QPointF(0, 0));
    for (int b = 0; b < runs; ++b) {
        const int from = static_cast<int>(static_cast<long long>(last) * b / runs) + 1;
        const int to = static_cast<int>(static_cast<long long>(last) * (b + 1) / runs);
        float v = 0;
        for (int r = from; r <= to; ++r) v = std::max(v, values[static_cast<std::size_t>(r)]);
        top = std::max(top, v);
        points.append(QPointF((from - 1) * hours, v));
        points.append(QPointF(to * hours, v));
    }
    points.append(QPointF(last * hours, 0));
    return points;
}

}  // namespace

HydrographChart::HydrographChart(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QChartView(this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->viewport()->installEventFilter(this);
    // A click anywhere on the control takes the focus, as on any other control, so a
    // box left for the chart runs its lost-focus rule.
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(view_);
    setToolTip(QStringLiteral("Double-click to enlarge the chart; double-click again to restore it"));
    layout->addWidget(view_);
    refresh();
}

void HydrographChart::setGeometryTwips(const TwipGeometry& g)
{
    place_ = g;
    setGeometry(twips::toPixelsX(g.Left), twips::toPixelsY(g.Top), twips::toPixelsX(g.Width),
                twips::toPixelsY(g.Height));
}

QChart* HydrographChart::chart() const { return view_->chart(); }

QChart* HydrographChart::newChart()
{
    auto* chart = new QChart;
    chart->setMargins(QMargins(2, 2, 4, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));  // 1,200 cfs
    chart->setToolTip(toolTip());
    QLegend* legend = chart->legend();
    legend->setFont(chartFont(6.5));
    legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
    timeAxis_ = flowAxis_ = excessAxis_ = nullptr;
    excess_ = nullptr;
    runs_.clear();
    return chart;
}

void HydrographChart::showChart(QChart* chart)
{
    // The scales first: a scale changed on a chart in view recomputes every curve.
    fitScales(false);
    if (chart != view_->chart()) {
        QChart* old = view_->chart();
        view_->setChart(chart);
        delete old;
    }
    placeLegend();
}

void HydrographChart::refresh()
{
    // Once hydrographs are plotted the last column waits empty for the next run.
    if (grid_.ColumnCount() >= 3) drawHydrographs();
    else drawTable();
}

void HydrographChart::drawTable()
{
    QChart* chart = newChart();
    timeEnd_ = flowLow_ = flowHigh_ = excessHigh_ = 0;
    const int rows = grid_.RowCount();
    const int columns = grid_.ColumnCount();

    // The depth-duration table: one bar of storm depth per duration as typed.
    // Equal labels are told apart invisibly, since the axis needs distinct ones.
    auto* depths = new QBarSet(columns >= 1 ? grid_.columnLabel(1) : QString());
    depths->setColor(kExcessFill);
    depths->setBorderColor(kExcessLine);
    depths->setLabelColor(Qt::black);
    depths->setLabelFont(chartFont(7));
    auto* bars = new QBarSeries;
    bars->append(depths);
    bars->setLabelsVisible(true);
    bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    bars->setLabelsPrecision(4);
    auto* durations = new QBarCategoryAxis;
    std::set<QString> used;
    for (int r = 1; r <= rows; ++r) {
        const float v = grid_.data(r, 1);
        depths->append(v);
        flowLow_ = std::min(flowLow_, static_cast<double>(v));
        flowHigh_ = std::max(flowHigh_, static_cast<double>(v));
        QString label = grid_.rowLabel(r);
        while (used.count(label)) label += QChar(0x200B);
        used.insert(label);
        durations->append(label);
    }
    chart->addSeries(bars);
    styleAxis(durations, QStringLiteral("Storm duration (hours)"));
    durations->setGridLineVisible(false);
    chart->addAxis(durations, Qt::AlignBottom);
    flowAxis_ = new QValueAxis;
    styleAxis(flowAxis_, QStringLiteral("Storm depth (inches)"));
    chart->addAxis(flowAxis_, Qt::AlignLeft);
    bars->attachAxis(durations);
    bars->attachAxis(flowAxis_);
    flowHigh_ *= 1.12;  // room for the labels above the bars
    chart->legend()->hide();
    showChart(chart);
}

void HydrographChart::drawHydrographs()
{
    const int rows = grid_.RowCount();
    const int newest = grid_.ColumnCount() - 1;
    const double hours = grid_.hoursPerRow > 0 ? grid_.hoursPerRow : 1.0;
    const QString timeTitle = grid_.hoursPerRow > 0 ? QStringLiteral("Time (hours)") : QStringLiteral("Time step");
    float top = 0;
    const QList<QPointF> steps = excessSteps(grid_.column(1), rows, hours, top);
    const bool withExcess = grid_.series1Secondary && !steps.isEmpty();

    // What each run draws, and the extents the scales must hold.
    std::vector<QList<QPointF>> curves(static_cast<std::size_t>(newest - 1));
    double low = 0, high = 0;
    for (int c = 2; c <= newest; ++c) {
        QList<QPointF>& points = curves[static_cast<std::size_t>(c - 2)];
        float runHigh = 0, runLow = 0;
        seriesPoints(grid_.column(c), rows, points, runHigh, runLow);
        for (QPointF& p : points) p.setX(p.x() * hours);
        high = std::max(high, static_cast<double>(runHigh));
        low = std::min(low, static_cast<double>(runLow));
    }

    // A chart that draws the earlier runs already keeps them and takes the new run's
    // curve: laying every curve out again after each compute is most of a chart's cost.
    const bool keep = timeAxis_ && timeAxis_->titleText() == timeTitle && (excessAxis_ != nullptr) == withExcess &&
                      runs_.size() <= curves.size();
    QChart* chart = keep ? view_->chart() : newChart();
    QLegend* legend = chart->legend();
    if (!keep) {
        timeAxis_ = new QValueAxis;
        styleAxis(timeAxis_, timeTitle);
        chart->addAxis(timeAxis_, Qt::AlignBottom);
        flowAxis_ = new QValueAxis;
        styleAxis(flowAxis_, QStringLiteral("Flow (cfs)"));
        chart->addAxis(flowAxis_, Qt::AlignLeft);
        if (withExcess) {
            excessAxis_ = new QValueAxis;
            styleAxis(excessAxis_, QStringLiteral("Excess (inches)"));
            excessAxis_->setReverse(true);
            excessAxis_->setGridLineVisible(false);
            chart->addAxis(excessAxis_, Qt::AlignRight);
        }
    }
    timeEnd_ = std::max(rows - 1, 0) * hours;
    flowLow_ = low;
    flowHigh_ = high;
    excessHigh_ = withExcess ? top : 0;
    // On a chart in view the curves kept follow a changed scale once, before the new
    // curve comes; a new chart is laid out once it is shown.
    if (keep) fitScales(false);

    const auto newMarker = [legend](QAbstractSeries* series) {
        for (QLegendMarker* m : legend->markers(series)) {
            m->setFont(legend->font());
            if (m->type() == QLegendMarker::LegendMarkerTypeArea) {
                m->setShape(QLegend::MarkerShapeRectangle);
                m->setBrush(kExcessFill);
            }
        }
    };

    // The excess hangs from the top on its own axis, as hyetographs are drawn.
    if (withExcess) {
        const QList<QPointF> base{steps.front(), steps.back()};
        if (!excess_) {
            auto* upper = new QLineSeries(chart);
            upper->replace(steps);
            auto* lower = new QLineSeries(chart);
            lower->replace(base);
            excess_ = new QAreaSeries(upper, lower);
            excess_->setPen(QPen(kExcessLine, 1.0));
            excess_->setBrush(kExcessFill);
            excess_->setName(grid_.columnLabel(1));
            chart->addSeries(excess_);
            excess_->attachAxis(timeAxis_);
            excess_->attachAxis(excessAxis_);
            newMarker(excess_);
        } else {
            if (excess_->upperSeries()->points() != steps) excess_->upperSeries()->replace(steps);
            if (excess_->lowerSeries()->points() != base) excess_->lowerSeries()->replace(base);
            if (excess_->name() != grid_.columnLabel(1)) excess_->setName(grid_.columnLabel(1));
        }
    }

    bool added = false;
    for (int c = 2; c <= newest; ++c) {
        const auto i = static_cast<std::size_t>(c - 2);
        QColor colour = kRunColours[i % std::size(kRunColours)];
        if (c != newest) colour.setAlpha(190);
        const QPen pen(colour, c == newest ? 2.8 : 1.3);
        QLineSeries* series = i < runs_.size() ? runs_[i] : nullptr;
        // A run that is no longer the newest is drawn thinner by a series of its own (the
        // last one so far, so the legend keeps its order): a legend entry whose pen
        // changes in place draws a shorter mark than the others.
        if (series && series->pen() != pen && i + 1 == runs_.size()) {
            series->setVisible(false);  // the chart deletes its drawing only later
            chart->removeSeries(series);
            series->deleteLater();
            runs_.pop_back();
            series = nullptr;
        }
        if (!series) series = new QLineSeries;
        const QString name = grid_.columnLabel(c).isEmpty() ? QString::number(c - 1) : grid_.columnLabel(c);
        if (series->name() != name) series->setName(name);
        if (series->pen() != pen) series->setPen(pen);
        if (i >= runs_.size()) {
            // Added and given its axes while empty: on a chart in view each of these
            // steps lays the curve out again.
            added = true;
            chart->addSeries(series);
            series->attachAxis(timeAxis_);
            series->attachAxis(flowAxis_);
            newMarker(series);
            runs_.push_back(series);
        }
        if (series->points() != curves[i]) series->replace(curves[i]);
        // The legend names the newest runs only.
        const bool named = c > newest - kLegendRuns;
        for (QLegendMarker* m : legend->markers(series))
            m->setVisible(named);
    }
    if (keep && added) {
        // Qt Charts hides a legend's entries whenever a series comes and shows them again
        // only in a legend attached to the chart: this one stands loose in the plot.
        for (QGraphicsItem* item : legend->childItems())
            if (item->type() == QGraphicsItemGroup::Type) item->setVisible(true);
    }
    if (!keep) {
        // A small legend inside the plot, where it hides least (see placeLegend).
        legend->setAlignment(Qt::AlignRight);  // entries one under another
        legend->detachFromChart();
        legend->setBackgroundVisible(true);
        legend->setBrush(QColor(255, 255, 255, 200));
        legend->setPen(QPen(QColor(0xbb, 0xbb, 0xbb)));
        legend->setShowToolTips(true);
        legend->layout()->setContentsMargins(3, 2, 3, 2);
        connect(chart, &QChart::plotAreaChanged, this, [this] { placeLegend(); });
    }
    showChart(chart);
}

void HydrographChart::fitScales(bool legendToo)
{
    // As many ticks as their labels have room for (room for three intervals at least).
    const int across = std::clamp((width() - 90) / kTickWidth, 3, 10);
    const int up = std::clamp((height() - 60) / kTickHeight, 3, 8);
    if (timeAxis_) applyScale(timeAxis_, roundScale(0, timeEnd_, across, true));
    if (flowAxis_) applyScale(flowAxis_, roundScale(flowLow_, flowHigh_ > 0 ? flowHigh_ : 1.0, up));
    // The excess takes about the top third of the plot; a few labels say its depths.
    if (excessAxis_) applyScale(excessAxis_, roundScale(0, excessHigh_ * 3, std::max(3, up / 2)));
    if (legendToo) placeLegend();
}

namespace {

// The drawing in the chart's own coordinates: the curves as polylines and the excess
// as the boxes of its bars.
struct Drawn {
    std::vector<QPolygonF> curves;
    std::vector<QRectF> bars;
};

Drawn drawnShapes(QChart* chart)
{
    Drawn d;
    for (QAbstractSeries* series : chart->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series)) {
            const QList<QPointF> steps = area->upperSeries()->points();
            for (qsizetype i = 1; i + 1 < steps.size(); i += 2)
                d.bars.push_back(QRectF(chart->mapToPosition(QPointF(steps[i].x(), 0), area),
                                        chart->mapToPosition(steps[i + 1], area))
                                     .normalized());
        } else if (auto* line = qobject_cast<QLineSeries*>(series)) {
            QPolygonF curve;
            curve.reserve(line->count());
            for (const QPointF& p : line->points()) curve.append(chart->mapToPosition(p, line));
            d.curves.push_back(std::move(curve));
        }
    }
    return d;
}

// How much of the drawing a legend at rect would hide: the length of the curves
// inside it and a quarter of the excess bars' area under it, in pixels.
double hidden(const Drawn& d, const QRectF& rect)
{
    double cover = 0;
    for (const QRectF& bar : d.bars) {
        const QRectF under = bar.intersected(rect);
        if (!under.isEmpty()) cover += under.width() * under.height() / 4;
    }
    const double left = rect.left(), right = rect.right(), top = rect.top(), bottom = rect.bottom();
    for (const QPolygonF& curve : d.curves)
        for (qsizetype i = 1; i < curve.size(); ++i) {
            const QPointF& a = curve[i - 1];
            const QPointF& b = curve[i];
            if (std::max(a.x(), b.x()) < left || std::min(a.x(), b.x()) > right || std::max(a.y(), b.y()) < top ||
                std::min(a.y(), b.y()) > bottom)
                continue;
            // Samples every two pixels along a segment that comes near.
            const QLineF segment(a, b);
            const int pieces = std::max(1, static_cast<int>(segment.length() / 2));
            for (int k = 0; k < pieces; ++k)
                if (rect.contains(segment.pointAt((k + 0.5) / pieces))) cover += segment.length() / pieces;
        }
    return cover;
}

}  // namespace

void HydrographChart::placeLegend()
{
    QChart* chart = view_->chart();
    // A chart out of sight has no place to find yet: showing it places the legend.
    if (!chart || !timeAxis_ || chart->legend()->isAttachedToChart() || !isVisible()) return;
    QLegend* legend = chart->legend();
    const QRectF plot = chart->plotArea();
    // A loose legend's size hint is that of its largest entry with the legend's
    // margins; the entries stand one under another.
    int lines = 0;
    for (QLegendMarker* m : legend->markers())
        if (m->isVisible()) ++lines;
    qreal left = 0, top = 0, right = 0, bottom = 0;
    legend->layout()->getContentsMargins(&left, &top, &right, &bottom);
    const QSizeF hint = legend->effectiveSizeHint(Qt::PreferredSize);
    const double line = hint.height() - top - bottom;
    const QSizeF size(std::min(hint.width(), plot.width() * 0.75),
                      std::min(lines * line + top + bottom + 2, plot.height() - 8));
    // The corner or side where it hides least of the curves and the excess; the top
    // right, where a hydrograph has receded, when several hide equally little.
    const double x[] = {plot.right() - size.width() - 4, plot.left() + 4};
    const double y[] = {plot.top() + 4, plot.center().y() - size.height() / 2, plot.bottom() - size.height() - 4};
    const Drawn drawn = drawnShapes(chart);
    QRectF best;
    double least = 0;
    for (double atX : x)
        for (double atY : y) {
            const QRectF rect(QPointF(atX, atY), size);
            const double cover = hidden(drawn, rect);
            if (best.isNull() || cover < least - 0.5) {
                best = rect;
                least = cover;
            }
        }
    legend->setGeometry(best);
    legend->update();
}

HydrographChart::AxisLook HydrographChart::axisLook(Qt::Alignment side) const
{
    AxisLook look;
    QChart* chart = view_->chart();
    if (!chart) return look;
    for (QAbstractAxis* axis : chart->axes()) {
        if (axis->alignment() != side) continue;
        look.title = axis->titleText();
        if (auto* values = qobject_cast<QValueAxis*>(axis)) {
            const int n = values->tickCount();
            const QString format = values->labelFormat();
            const int decimals = format.mid(2, format.size() - 3).toInt();
            for (int i = 0; i < n; ++i) {
                const double v = values->min() + (values->max() - values->min()) * i / (n - 1);
                look.labels << chart->locale().toString(v, 'f', decimals);
            }
        } else if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis)) {
            for (const QString& c : categories->categories()) look.labels << QString(c).remove(QChar(0x200B));
        }
    }
    return look;
}

QStringList HydrographChart::legendEntries() const
{
    QStringList entries;
    QChart* chart = view_->chart();
    if (!chart || !chart->legend()->isVisible()) return entries;
    for (QLegendMarker* m : chart->legend()->markers())
        if (m->isVisible()) entries << m->label();
    return entries;
}

QString HydrographChart::gridSummary() const
{
    return QStringLiteral("%1 columns, %2 rows").arg(grid_.ColumnCount()).arg(grid_.RowCount());
}

void HydrographChart::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeLegend();
}

void HydrographChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitScales();
}

void HydrographChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit DblClick();
}

bool HydrographChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        emit DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corv
