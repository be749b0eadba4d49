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

namespace corv {

void ChartGrid::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    cells_.resize(static_cast<std::size_t>(rows), std::vector<float>(static_cast<std::size_t>(columns_), 0.0f));
    labels_.resize(static_cast<std::size_t>(rows));
    rows_ = rows;
}

void ChartGrid::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(columns), 0.0f);
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
    return cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

void ChartGrid::setData(int row, int column, float value)
{
    checkCell(row, column);
    cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] = value;
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
        float f = static_cast<float>(Val(factors[i].toStdString()));
        if (f == 0.0f) f = 1.0f;
        const float depth = static_cast<float>(Val(rains[i].toStdString())) * f;
        if (depth == 0.0f) break;
        grid.setRowCount(r);
        grid.setRowLabel(r, durations[i]);
        grid.setData(r, 1, depth);
        grid.setData(r, 2, 0.0f);
    }
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

    float flowMax = 0, rainMax = 0;
    for (int c = 1; c <= grid_.ColumnCount(); ++c) {
        auto* series = new QLineSeries;
        float top = 0;
        for (int r = 1; r <= rows; ++r) {
            const float v = grid_.data(r, c);
            series->append(r - 1, v);
            top = std::max(top, v);
        }
        QPen pen = series->pen();
        pen.setWidthF(1.5);
        if (grid_.columnStyle(c) == 1) {
            pen.setStyle(Qt::DashLine);
            pen.setColor(QColor(0x1f, 0x5f, 0xbf));
        } else if (grid_.columnStyle(c) == 6) {
            pen.setWidthF(2.5);
        }
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        if (c == 1 && rainAxis) {
            series->attachAxis(rainAxis);
            rainMax = std::max(rainMax, top);
        } else {
            series->attachAxis(flowAxis);
            flowMax = std::max(flowMax, top);
        }
    }
    flowAxis->setRange(0, flowMax > 0 ? flowMax * 1.05 : 1.0);
    if (rainAxis) rainAxis->setRange(0, rainMax > 0 ? rainMax * 1.05 : 1.0);

    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
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
