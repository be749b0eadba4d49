// MSChart1: the hydrograph window's chart, a grid of rows and columns with row
// labels (ChartGrid, no widgets) drawn by a widget over Qt Charts.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "runoff/compute_state.h"

class QAreaSeries;
class QChart;
class QLineSeries;
class QChartView;
class QValueAxis;

namespace corv {

// The chart's data grid: rows and columns numbered from 1, one value per cell, a label
// per row, and the axis and series settings the hydrograph window makes.
class ChartGrid {
public:
    int RowCount() const { return rows_; }
    int ColumnCount() const { return columns_; }
    // Changing a count keeps the cells that remain; new cells are 0, new labels empty.
    void setRowCount(int rows);
    void setColumnCount(int columns);

    float data(int row, int column) const;  // run-time error outside the grid
    void setData(int row, int column, float value);
    // The values of a column, rows 1.. at indexes 0..
    const std::vector<float>& column(int column) const;
    QString rowLabel(int row) const;
    void setRowLabel(int row, const QString& label);
    // Labels every row by its time, (row - 1) * hours written with at most decimals
    // places in its shortest text. Rows already labelled so by the last call keep their
    // labels: a run as long as the last one writes none.
    void labelRowsByTime(float hours, int decimals);
    // What the legend calls a column ("2: SCS, Peak at 2/3"); empty: not named.
    QString columnLabel(int column) const;
    void setColumnLabel(int column, const QString& label);
    // Hours from one row to the next once hydrographs are plotted (0 in the table view).
    float hoursPerRow = 0;

    // Category (X) axis: divisions per label and per tick (0: chosen by the chart).
    int divisionsPerLabel = 0;
    int divisionsPerTick = 0;
    bool labelTicks = true;
    // Automatic scaling of the category axis, its value scale and its first label.
    bool categoryScaleAuto = true;
    bool valueScaleAuto = true;
    bool labelAuto = true;
    // Series (column) 1 drawn against the secondary value axis.
    bool series1Secondary = false;
    // A per-column display setting (1 and 6 mark the excess and the newest series).
    int columnStyle(int column) const;
    void setColumnStyle(int column, int style);

private:
    void checkRow(int row) const;
    void checkColumn(int column) const;
    void checkCell(int row, int column) const;
    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::vector<float>> cells_;  // [column - 1][row - 1]: a series is one block
    std::vector<QString> labels_;
    // The first timeLabelled_ rows hold the times of labelRowsByTime(timeStep_, timeDecimals_).
    int timeLabelled_ = 0;
    float timeStep_ = 0;
    int timeDecimals_ = 0;
    std::vector<int> styles_;
    std::vector<QString> columnLabels_;
};

// The table view of the depth-duration boxes (rows 0..7 of txtDuration, txtRain,
// txtArealAdj): two columns, one row per depth up to the first depth of exactly 0.
void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors);

// Adds the hydrograph of a run as the newest column: the runoff qi of a compute
// (routeType 0) or the outflow qout of a routing run, with the rainfall excess in
// column 1 and the rows labelled by their time. Leaves an empty column for the next
// run; sets s.labelStep and s.labelFormat. The legend names the run by its number
// since the table view and runName ("SCS, Peak at 2/3"); without a name, by the
// routing of routeType ("Muskingum routing").
void plotHydrograph(ChartGrid& grid, ComputeState& s, std::int16_t routeType, const QString& runName = {});

// The name of a run of routeType when its caller gives none.
QString routingRunName(std::int16_t routeType);

// A value axis cut at round numbers: from min to max in intervals of step, labels
// with the given decimals.
struct AxisScale {
    double min = 0;
    double max = 1;
    double step = 1;
    int decimals = 0;
    int intervals() const;
};

// The round scale that holds low..high in at most maxIntervals intervals (at least one).
// Flows and depths step by 1, 2 or 5 times a power of ten; time in hours by 0.1, 0.2,
// 0.25, 0.5, 1, 2, 3, 4, 6, 12 or 24 hours, and whole days of 1, 2 or 5 times a power of ten.
AxisScale roundScale(double low, double high, int maxIntervals, bool hours = false);

// Position and size of a control in twips, as the window moves the chart.
struct TwipGeometry {
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TwipGeometry&) const = default;
};

// The chart control: draws its grid and reports a double-click (the user event that
// enlarges or restores it). Before a run it shows the depth-duration table as bars of
// storm depth by duration; once hydrographs are plotted (the last column is the
// empty one left for the next run) it draws flow against time in hours, each run in
// its own colour and the newest boldest, the rainfall excess of column 1 as steps
// hanging from the top on its own axis in inches, and a small legend naming the runs.
// A click takes the focus, as on any other control.
class HydrographChart : public QWidget {
    Q_OBJECT
    // What the grid holds, as "3 columns, 97 rows" (read by tests and scenarios).
    Q_PROPERTY(QString text READ gridSummary)
public:
    explicit HydrographChart(QWidget* parent = nullptr);

    ChartGrid& grid() { return grid_; }
    const ChartGrid& grid() const { return grid_; }
    // Redraws the series from the grid.
    void refresh();

    TwipGeometry geometryTwips() const { return place_; }
    void setGeometryTwips(const TwipGeometry& g);

    QChartView* view() const { return view_; }
    QChart* chart() const;
    QString gridSummary() const;

    // What a reader sees of an axis: its title and its tick labels from the lowest up
    // (bottom, left or right axis; empty when the side has none).
    struct AxisLook {
        QString title;
        QStringList labels;
    };
    AxisLook axisLook(Qt::Alignment side) const;
    // The legend's entries, top to bottom.
    QStringList legendEntries() const;

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A chart with the look every view shares and nothing drawn yet.
    QChart* newChart();
    // Sets the scales, puts the chart in view and places the legend.
    void showChart(QChart* chart);
    void drawTable();
    void drawHydrographs();
    // Sets the axes at round numbers for the current size (and places the legend).
    void fitScales(bool legendToo = true);
    void placeLegend();

    ChartGrid grid_;
    TwipGeometry place_;
    QChartView* view_ = nullptr;
    // The value axes of the chart drawn (null when not drawn) and the extents of
    // what they hold.
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* flowAxis_ = nullptr;
    QValueAxis* excessAxis_ = nullptr;
    double timeEnd_ = 0;
    double flowLow_ = 0, flowHigh_ = 0;
    double excessHigh_ = 0;
    // The series of the hydrographs drawn: the excess (null when not drawn) and the
    // runs in column order.
    QAreaSeries* excess_ = nullptr;
    std::vector<QLineSeries*> runs_;
};

}  // namespace corv
