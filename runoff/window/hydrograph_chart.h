// MSChart1: the hydrograph window's chart, a grid of rows and columns with row
// labels (ChartGrid, no widgets) drawn by a widget over Qt Charts.
#pragma once

#include <QString>
#include <QStringList>
#include <QImage>
#include <QPolygonF>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "runoff/compute_state.h"

class QAreaSeries;
class QChart;
class QChartView;
class QPainter;
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
    // What the legend calls a column ("2: SCS, Peak at 2/3"); empty: not named.
    QString columnLabel(int column) const;
    void setColumnLabel(int column, const QString& label);
    // The rows a column's run holds (all the grid's rows unless set): a run keeps its own
    // length when a later one is longer or shorter, and the grid holds the longest.
    int columnRows(int column) const;
    // A run's name and what else set it apart (a compute's area, lag, step, rain depth and
    // duration, and C or shape, in that order): the legend names a detail only where runs
    // of the same name differ in it.
    struct RunText {
        QString name;
        QStringList details;
    };
    const RunText& columnRun(int column) const;
    void setColumnRun(int column, RunText run);
    void setColumnRows(int column, int rows);
    // Changes whenever a column's cells or length change, so a drawing knows what is new.
    std::uint64_t columnStamp(int column) const;
    // Hours from one row to the next once hydrographs are plotted (0 in the table view).
    float hoursPerRow = 0;

    // Series (column) 1 drawn against the secondary value axis.
    bool series1Secondary = false;

private:
    void checkRow(int row) const;
    void checkColumn(int column) const;
    void checkCell(int row, int column) const;
    void touch(int column) { stamps_[static_cast<std::size_t>(column - 1)] = ++changes_; }
    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::vector<float>> cells_;  // [column - 1][row - 1]: a series is one block
    std::vector<QString> labels_;
    std::vector<QString> columnLabels_;
    std::vector<RunText> runTexts_;
    std::vector<int> lengths_;  // -1: every row of the grid
    std::vector<std::uint64_t> stamps_;
    std::uint64_t changes_ = 0;
};

// The table view of the depth-duration boxes (rows 0..7 of txtDuration, txtRain,
// txtArealAdj): two columns, one row per depth up to the first depth of exactly 0.
void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors);

// What tells one run from another in the legend.
struct RunInputs {
    QString ComboDimgraph, ComboRain;                // a compute's method and storm
    QString txtMuskK, txtMuskX, txtTatum, capTatum;  // the routing's own values
    QString ratingFileName;                          // a Modified Puls run's table
};
// The legend's name of a run of routeType: a compute by its method, storm and losses
// ("SCS, Peak at 2/3, CN 75", "SCS, storm file STORM1.TXT, IL 0.5 in, CL 0.1 in/hr"), a
// routing by its kind and values ("Muskingum routing, K 1 h, X 0.25"), a combined run
// by its file.
QString runName(std::int16_t routeType, const ComputeState& s, const RunInputs& in);

// Adds the hydrograph of a run as the newest column, over its own it + 1 rows: the
// runoff qi of a compute (routeType 0) or the outflow qout of a routing run, with the
// rainfall excess in column 1 and the rows udur hours apart. Earlier runs keep their
// lengths; the grid holds the longest. Leaves an empty column for the next run.
// The legend names the run by its number since the table view and name ("2: SCS, Peak
// at 2/3").
void plotHydrograph(ChartGrid& grid, const ComputeState& s, std::int16_t routeType, const QString& name);

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

class RunLayer;
class RunLegend;

// The chart control: draws its grid and reports a double-click (the user event that
// enlarges or restores it). Before a run it shows the depth-duration table as bars of
// storm depth by duration; once hydrographs are plotted (the last column is the
// empty one left for the next run) it draws flow against time in hours, each run over
// its own length in its own colour and the newest boldest, the rainfall excess of
// column 1 as steps hanging from the top on its own axis in inches, and a small legend
// naming the runs where it hides no peak. A click takes the focus, as on any other
// control.
class HydrographChart : public QWidget {
    Q_OBJECT
    // What the grid holds, as "3 columns, 97 rows" (read by tests and scenarios).
    Q_PROPERTY(QString text READ gridSummary)
public:
    explicit HydrographChart(QWidget* parent = nullptr);
    ~HydrographChart() override;

    ChartGrid& grid() { return grid_; }
    const ChartGrid& grid() const { return grid_; }
    // Draws what the grid holds: a new run is drawn alone, earlier ones stay as drawn.
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
    // The legend's entries, top to bottom, each as drawn on one line or more, and where
    // it stands in the view.
    QStringList legendEntries() const;
    std::vector<QStringList> legendLines() const;
    QRectF legendRect() const;
    // Where each run's peak is drawn in the view, oldest first, and how many times the
    // earlier runs were drawn from their curves since the chart was made.
    std::vector<QPointF> peaksInView() const;
    int earlierRunsDrawn() const { return earlierDrawn_; }

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class RunLayer;
    // One run as drawn: its curve in hours and cfs (reduced to what a screen shows),
    // its highest point and extent, its name and pen.
    struct Run {
        QPolygonF curve;
        QPointF peak;
        double end = 0, low = 0, high = 0;
        QString name;
        QColor colour;
        std::uint64_t stamp = 0;
    };
    // A chart with the look every view shares and nothing drawn yet.
    QChart* newChart();
    void showChart(QChart* chart);
    void drawTable();
    void drawHydrographs();
    // The axes at round numbers: fitted to what is drawn, or (grow) kept while what is
    // drawn fits and widened by half at least when it does not, so that a new run
    // seldom makes the earlier ones be drawn again.
    void fitScales(bool grow = false);
    void placeLegend();
    // The chart's plot area and the mapping of hours and cfs into it.
    QPointF toView(const QPointF& value) const;
    // The runs before the newest, drawn once into an image the size of the plot.
    void updateEarlier(double pixelRatio);
    void paintRuns(QPainter& p);

    ChartGrid grid_;
    TwipGeometry place_;
    QChartView* view_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* flowAxis_ = nullptr;
    QValueAxis* excessAxis_ = nullptr;
    QAreaSeries* excess_ = nullptr;
    RunLayer* layer_ = nullptr;
    RunLegend* legend_ = nullptr;
    bool legendBeside_ = false;
    double timeEnd_ = 0;
    double flowLow_ = 0, flowHigh_ = 0;
    double excessHigh_ = 0;
    double runHours_ = 0;
    std::vector<Run> runs_;
    // The image of the earlier runs and what it was drawn for.
    QImage earlier_;
    QRectF earlierPlot_;
    double earlierScale_[4] = {0, 0, 0, 0};
    std::size_t earlierRuns_ = 0;
    int earlierDrawn_ = 0;
};

}  // namespace corv
