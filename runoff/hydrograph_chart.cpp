// The hydrograph window's chart: its data grid and its drawing over Qt Charts.
#include "runoff/hydrograph_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
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
}

void ChartGrid::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    cells_.resize(static_cast<std::size_t>(columns), std::vector<float>(static_cast<std::size_t>(rows_), 0.0f));
    styles_.resize(static_cast<std::size_t>(columns), 0);
    columns_ = columns;
}

void ChartGrid::checkCell(int row, int column) const
{
    if (row < 1 || row > rows_ || column < 1 || column > columns_) err::raise(err::kSubscript);
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
    if (column < 1 || column > columns_) err::raise(err::kSubscript);
    return cells_[static_cast<std::size_t>(column - 1)];
}

QString ChartGrid::rowLabel(int row) const
{
    if (row < 1 || row > rows_) err::raise(err::kSubscript);
    return labels_[static_cast<std::size_t>(row - 1)];
}

void ChartGrid::setRowLabel(int row, const QString& label)
{
    if (row < 1 || row > rows_) err::raise(err::kSubscript);
    labels_[static_cast<std::size_t>(row - 1)] = label;
}

int ChartGrid::columnStyle(int column) const
{
    if (column < 1 || column > columns_) err::raise(err::kSubscript);
    return styles_[static_cast<std::size_t>(column - 1)];
}

void ChartGrid::setColumnStyle(int column, int style)
{
    if (column < 1 || column > columns_) err::raise(err::kSubscript);
    styles_[static_cast<std::size_t>(column - 1)] = style;
}

void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors)
{
    grid.setColumnCount(2);
    grid.setRowCount(0);
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

void plotHydrograph(ChartGrid& grid, ComputeState& s, std::int16_t routeType)
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
        grid.setRowLabel(row, rowLabelText(static_cast<float>(i) * s.udur, decimals));
        grid.setData(row, newest, flow(i));
    }
    grid.setColumnCount(newest + 1);
    grid.setColumnStyle(1, 1);
    grid.setColumnStyle(grid.ColumnCount(), 6);
}

HydrographChart::HydrographChart(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QChartView(this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->viewport()->installEventFilter(this);
    layout->addWidget(view_);
    refresh();
}

void HydrographChart::setGeometryTwips(const TwipGeometry& g)
{
    place_ = g;
    setGeometry(twips::toPixelsX(g.Left), twips::toPixelsY(g.Top), twips::toPixelsX(g.Width),
                twips::toPixelsY(g.Height));
}

void HydrographChart::refresh()
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    const int rows = grid_.RowCount();
    const int columns = grid_.ColumnCount();

    // Row labels on the category axis, every label step-th row (all rows while the
    // chart chooses and the rows are few). Equal labels are told apart invisibly,
    // since the axis needs distinct ones.
    auto* xAxis = new QCategoryAxis;
    xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    int step = grid_.divisionsPerLabel;
    if (step <= 0) step = std::max(1, (rows + 11) / 12);
    std::set<QString> used;
    for (int r = 1; r <= rows; r += step) {
        QString label = grid_.rowLabel(r);
        while (used.count(label)) label += QChar(0x200B);
        used.insert(label);
        xAxis->append(label, r - 1);
    }
    xAxis->setRange(0, std::max(rows - 1, 1));
    xAxis->setGridLineVisible(grid_.labelTicks);
    chart->addAxis(xAxis, Qt::AlignBottom);

    auto* flowAxis = new QValueAxis;
    chart->addAxis(flowAxis, Qt::AlignLeft);
    QValueAxis* rainAxis = nullptr;
    if (grid_.series1Secondary) {
        rainAxis = new QValueAxis;
        chart->addAxis(rainAxis, Qt::AlignRight);
    }

    // Once hydrographs are plotted the last column waits empty for the next run.
    const bool hydrographs = columns >= 3;
    const int drawn = hydrographs ? columns - 1 : columns;
    const int newest = hydrographs ? columns - 1 : 0;
    float flowMax = 0, rainMax = 0, flowMin = 0, rainMin = 0;
    QList<QPointF> points;
    points.reserve(std::min(rows, 2 * kRuns + 2));
    for (int c = 1; c <= drawn; ++c) {
        float top = 0, bottom = 0;
        seriesPoints(grid_.column(c), rows, points, top, bottom);
        auto* series = new QLineSeries;
        series->replace(points);
        QPen pen = series->pen();
        if (c == 1) {
            pen.setStyle(Qt::DashLine);
            pen.setWidthF(1.5);
            pen.setColor(QColor(0x1f, 0x5f, 0xbf));
        } else if (c == newest) {
            pen.setWidthF(2.5);
            pen.setColor(QColor(0xc0, 0x20, 0x20));
        } else {
            pen.setWidthF(1.0);
            pen.setColor(QColor(0x80, 0x80, 0x80));
        }
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        if (c == 1 && rainAxis) {
            series->attachAxis(rainAxis);
            rainMax = std::max(rainMax, top);
            rainMin = std::min(rainMin, bottom);
        } else {
            series->attachAxis(flowAxis);
            flowMax = std::max(flowMax, top);
            flowMin = std::min(flowMin, bottom);
        }
    }
    // Zero always shows; a negative value widens the axis downwards.
    flowAxis->setRange(flowMin * 1.05, flowMax > 0 ? flowMax * 1.05 : 1.0);
    if (rainAxis) rainAxis->setRange(rainMin * 1.05, rainMax > 0 ? rainMax * 1.05 : 1.0);

    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
}

QString HydrographChart::gridSummary() const
{
    return QStringLiteral("%1 columns, %2 rows").arg(grid_.ColumnCount()).arg(grid_.RowCount());
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
