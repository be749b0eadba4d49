// MSChart1: the hydrograph window's chart, a grid of rows and columns with row
// labels (ChartGrid, no widgets) drawn by a widget over Qt Charts.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "runoff/compute_state.h"

class QChartView;

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
    void checkCell(int row, int column) const;
    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::vector<float>> cells_;  // [column - 1][row - 1]: a series is one block
    std::vector<QString> labels_;
    std::vector<int> styles_;
};

// The table view of the depth-duration boxes (rows 0..7 of txtDuration, txtRain,
// txtArealAdj): two columns, one row per depth up to the first depth of exactly 0.
void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors);

// Adds the hydrograph of a run as the newest column: the runoff qi of a compute
// (routeType 0) or the outflow qout of a routing run, with the rainfall excess in
// column 1 and the rows labelled by their time. Leaves an empty column for the next
// run; sets s.labelStep and s.labelFormat.
void plotHydrograph(ChartGrid& grid, ComputeState& s, std::int16_t routeType);

// Position and size of a control in twips, as the window moves the chart.
struct TwipGeometry {
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TwipGeometry&) const = default;
};

// The chart control: draws its grid (column 1 against the secondary axis when asked;
// once hydrographs are plotted, the last column is the empty one left for the next
// run and the one before it the newest hydrograph, drawn apart), and reports a double-click (the user event that
// enlarges or restores it).
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
    QString gridSummary() const;

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChartGrid grid_;
    TwipGeometry place_;
    QChartView* view_ = nullptr;
};

}  // namespace corv
