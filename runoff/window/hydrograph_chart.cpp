// The hydrograph window's chart: its data grid and its drawing over Qt Charts.
#include "runoff/window/hydrograph_chart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsLayout>
#include <QPainter>
#include <QLocale>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPolygonF>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/twips.h"

namespace corv {

void ChartGrid::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    for (int c = 1; c <= columns_; ++c) {
        // A column whose drawn length changes is new to its drawing.
        const int length = lengths_[static_cast<std::size_t>(c - 1)];
        if ((length < 0 ? rows : std::min(length, rows)) != columnRows(c)) touch(c);
        cells_[static_cast<std::size_t>(c - 1)].resize(static_cast<std::size_t>(rows), 0.0f);
    }
    labels_.resize(static_cast<std::size_t>(rows));
    rows_ = rows;
}

void ChartGrid::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    cells_.resize(static_cast<std::size_t>(columns), std::vector<float>(static_cast<std::size_t>(rows_), 0.0f));
    columnLabels_.resize(static_cast<std::size_t>(columns));
    runTexts_.resize(static_cast<std::size_t>(columns));
    lengths_.resize(static_cast<std::size_t>(columns), -1);
    stamps_.resize(static_cast<std::size_t>(columns));
    for (int c = columns_ + 1; c <= columns; ++c) touch(c);
    columns_ = columns;
}

int ChartGrid::columnRows(int column) const
{
    checkColumn(column);
    const int length = lengths_[static_cast<std::size_t>(column - 1)];
    return length < 0 ? rows_ : std::min(length, rows_);
}

void ChartGrid::setColumnRows(int column, int rows)
{
    checkColumn(column);
    lengths_[static_cast<std::size_t>(column - 1)] = std::max(rows, 0);
    touch(column);
}

std::uint64_t ChartGrid::columnStamp(int column) const
{
    checkColumn(column);
    return stamps_[static_cast<std::size_t>(column - 1)];
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
    touch(column);
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

const ChartGrid::RunText& ChartGrid::columnRun(int column) const
{
    checkColumn(column);
    return runTexts_[static_cast<std::size_t>(column - 1)];
}

void ChartGrid::setColumnRun(int column, RunText run)
{
    checkColumn(column);
    runTexts_[static_cast<std::size_t>(column - 1)] = std::move(run);
}

void resetChartGrid(ChartGrid& grid, const std::array<QString, 8>& durations, const std::array<QString, 8>& rains,
                    const std::array<QString, 8>& factors)
{
    grid.setColumnCount(0);  // no run keeps its name
    grid.setColumnCount(2);
    grid.setRowCount(0);
    grid.hoursPerRow = 0;
    grid.setColumnLabel(1, QStringLiteral("Storm depth"));
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

QString number(float value) { return QString::fromStdString(strSingle(value)); }

// The losses a compute ran with, as entered: a curve number or an initial loss (with the
// wet and dry limits when typed), and any constant loss, impervious share and recovery
// of the loss store.
QString lossName(const ComputeState& s)
{
    QStringList parts;
    const bool limits = s.lossParts.size() >= 3;
    if (s.scsMode) {
        QString cn = QStringLiteral("CN ") + number(s.lossValueEntered);
        if (limits && s.CNdry != s.CNwet)
            cn += QStringLiteral(" (dry %1, wet %2)").arg(number(s.CNdry), number(s.CNwet));
        parts << cn;
    } else if (s.lossValueEntered != 0 || limits) {
        QString il = QStringLiteral("IL ") + number(s.lossValueEntered) + QStringLiteral(" in");
        if (limits) il += QStringLiteral(" (dry %1, wet %2)").arg(number(s.dryLimit), number(s.wetLimit));
        parts << il;
    }
    if (s.constLoss != 0) parts << QStringLiteral("CL %1 in/hr").arg(number(s.constLoss));
    if (s.imperviousFraction != 0) parts << QStringLiteral("%1% impervious").arg(number(s.imperviousFraction * 100));
    // The store recovers at the constant loss times this factor: without one, no matter.
    if (s.constLoss != 0 && s.recoveryFactor != 0) parts << QStringLiteral("recovery %1").arg(number(s.recoveryFactor));
    return parts.join(QStringLiteral(", "));
}

}  // namespace

QString runName(std::int16_t routeType, const ComputeState& s, const RunInputs& in)
{
    const auto file = [](const QString& path) { return QFileInfo(path).fileName(); };
    // The route type codes of the hydrograph window's state.
    switch (routeType) {
    case 0: {
        // The graph file's extension says nothing here.
        QString method = in.ComboDimgraph;
        if (method.endsWith(QLatin1String(".DGF"), Qt::CaseInsensitive)) method.chop(4);
        QString storm = in.ComboRain;
        if (storm.contains(QLatin1String("Storm File")) && !s.stormFile.isEmpty())
            storm = QStringLiteral("storm file ") + file(s.stormFile);
        const QString losses = lossName(s);
        return method + QStringLiteral(", ") + storm + (losses.isEmpty() ? QString() : QStringLiteral(", ") + losses);
    }
    case 1: return QStringLiteral("Modified Puls routing, ") + file(in.ratingFileName);
    case 2: return QStringLiteral("Muskingum routing, K %1 h, X %2").arg(in.txtMuskK.trimmed(), in.txtMuskX.trimmed());
    case 3:
        return QStringLiteral("Combined with ") +
               (file(s.combineFileName) == QLatin1String("TmpHDB.GRF") ? QStringLiteral("HDB flow")
                                                                        : file(s.combineFileName));
    case 4: return QStringLiteral("Travel time routing, %1 %2").arg(in.txtTatum.trimmed(), in.capTatum.toLower());
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

void plotHydrograph(ChartGrid& grid, const ComputeState& s, std::int16_t routeType, const QString& name)
{
    const int rows = s.it + 1;
    if (grid.ColumnCount() < 2) grid.setColumnCount(2);  // the excess column and the first hydrograph's
    // The grid holds the longest run: a shorter run cuts no earlier one short.
    grid.setRowCount(grid.ColumnCount() == 2 ? rows : std::max(rows, grid.RowCount()));

    const int newest = grid.ColumnCount();
    const VArray<float>& flow = routeType != 0 ? s.qout : s.qi;
    const long excessTo = static_cast<long>(s.obs) + 1;
    for (long i = 0; i <= s.it; ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.setData(row, 1, i <= excessTo ? s.excess(i) : 0.0f);
        grid.setData(row, newest, flow(i));
    }
    for (int row = rows + 1; row <= grid.RowCount(); ++row) grid.setData(row, 1, 0.0f);
    grid.setColumnRows(1, rows);
    grid.setColumnRows(newest, rows);
    grid.setColumnCount(newest + 1);
    grid.hoursPerRow = s.udur;
    grid.setColumnLabel(1, QStringLiteral("Excess of run %1").arg(newest - 1));
    QStringList details;
    if (routeType == 0)
        details << QStringLiteral("area %1 mi²").arg(number(s.area)) << QStringLiteral("lag %1 h").arg(number(s.lag))
                << (s.udur < 1 ? QStringLiteral("step %1 min").arg(number(s.udur * 60))
                               : QStringLiteral("step %1 h").arg(number(s.udur)))
                << QStringLiteral("rain %1 in").arg(number(s.tdepth))
                << QStringLiteral("over %1 h").arg(number(s.stormDuration))
                // The box's one number: a linear reservoir's shape, the triangles' recession
                // ratio, else a C.
                << (name.startsWith(QLatin1String("Linear Reservoir")) ? QStringLiteral("shape %1")
                    : name.startsWith(QLatin1String("Triangle"))       ? QStringLiteral("ratio %1")
                                                                       : QStringLiteral("C %1"))
                       .arg(number(s.C));
    grid.setColumnRun(newest, {name, details});
    // Runs of one name (computes that differ only in their basin or storm) are told apart
    // by the details in which they differ; the others keep their name alone.
    for (int c = 2; c <= newest; ++c) {
        const ChartGrid::RunText& mine = grid.columnRun(c);
        std::vector<bool> differs(static_cast<std::size_t>(mine.details.size()), false);
        for (int other = 2; other <= newest; ++other) {
            const ChartGrid::RunText& theirs = grid.columnRun(other);
            if (other == c || theirs.name != mine.name) continue;
            for (qsizetype k = 0; k < std::min(mine.details.size(), theirs.details.size()); ++k)
                if (theirs.details[k] != mine.details[k]) differs[static_cast<std::size_t>(k)] = true;
        }
        QString label = mine.name;
        for (qsizetype k = 0; k < mine.details.size(); ++k)
            if (differs[static_cast<std::size_t>(k)]) label += QStringLiteral(", ") + mine.details[k];
        grid.setColumnLabel(c, QStringLiteral("%1: %2").arg(c - 1).arg(label));
    }
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
const QColor kGroupColour(0x99, 0x99, 0x99);
// Pixels a tick label needs across (time) and up (flow, depth, excess).
constexpr int kTickWidth = 44;
constexpr int kTickHeight = 28;
// Above the excess area, below the legend.
constexpr qreal kRunsZ = 20, kLegendZ = 30;

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
    if (axis->min() != a.min || axis->max() != a.max) axis->setRange(a.min, a.max);
    if (axis->tickCount() != a.intervals() + 1) axis->setTickCount(a.intervals() + 1);
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

QPen runPen(const QColor& colour, bool newest)
{
    QColor c = colour;
    if (!newest) c.setAlpha(190);
    // Earlier runs a pixel wide, which Qt draws without building an outline.
    QPen pen(c, newest ? 2.8 : 1.0);
    pen.setCosmetic(!newest);
    return pen;
}

}  // namespace

// The runs, drawn over the plot above the excess: the earlier ones from one image, the
// newest from its curve.
class RunLayer : public QGraphicsItem {
public:
    RunLayer(HydrographChart& chart, QGraphicsItem* parent) : QGraphicsItem(parent), chart_(chart)
    {
        setZValue(kRunsZ);
        setAcceptedMouseButtons(Qt::NoButton);
    }
    void setPlot(const QRectF& plot)
    {
        if (plot == plot_) return;
        prepareGeometryChange();
        plot_ = plot;
    }
    QRectF boundingRect() const override { return plot_; }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override { chart_.paintRuns(*p); }

private:
    HydrographChart& chart_;
    QRectF plot_;
};

// The legend: per entry a line or box in the entry's colours and its name, whole,
// wrapped onto further lines where it is wider than the legend may be.
class RunLegend : public QGraphicsItem {
public:
    struct Entry {
        QString text;
        QPen pen;
        QBrush box;  // the excess: a box instead of a line
        QStringList lines = {};  // the text as drawn
    };
    explicit RunLegend(QGraphicsItem* parent) : QGraphicsItem(parent), font_(chartFont(6.5))
    {
        setZValue(kLegendZ);
        setAcceptedMouseButtons(Qt::NoButton);
    }
    void setEntries(std::vector<Entry> entries, double maxWidth)
    {
        prepareGeometryChange();
        entries_ = std::move(entries);
        const QFontMetricsF fm(font_);
        double widest = 0;
        for (const Entry& e : entries_) widest = std::max(widest, fm.horizontalAdvance(e.text));
        textWidth_ = std::max(1.0, std::min(widest, maxWidth - kSample - 3 * kPad));
        std::size_t lines = 0;
        for (Entry& e : entries_) {
            e.lines = wrapped(e.text);
            lines += static_cast<std::size_t>(e.lines.size());
        }
        double drawn = 0;  // a word wider than the room is broken, so only a glyph can be wider
        for (const Entry& e : entries_)
            for (const QString& l : e.lines) drawn = std::max(drawn, fm.horizontalAdvance(l));
        textWidth_ = std::max(textWidth_, drawn);
        size_ = QSizeF(kSample + 3 * kPad + textWidth_, static_cast<double>(lines) * line() + 2 * kPad);
        update();
    }
    const std::vector<Entry>& entries() const { return entries_; }
    double line() const { return QFontMetricsF(font_).height(); }
    QSizeF size() const { return size_; }
    QRectF boundingRect() const override { return QRectF(QPointF(), size_); }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(QPen(QColor(0xbb, 0xbb, 0xbb)));
        p->setBrush(QColor(255, 255, 255, 215));
        p->drawRect(boundingRect().adjusted(0.5, 0.5, -0.5, -0.5));
        p->setFont(font_);
        double top = kPad;
        for (const Entry& e : entries_) {
            const double mid = top + line() / 2;
            p->setPen(e.pen);
            if (e.box.style() != Qt::NoBrush) {
                p->setBrush(e.box);
                p->drawRect(QRectF(kPad, mid - 3, kSample, 6));
            } else {
                p->drawLine(QPointF(kPad, mid), QPointF(kPad + kSample, mid));
            }
            p->setPen(Qt::black);
            for (const QString& l : e.lines) {
                const QRectF at(2 * kPad + kSample, top, textWidth_, line());
                p->drawText(at, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, l);
                top += line();
            }
        }
    }

private:
    // The text in lines of at most textWidth_, broken between words where it can be.
    QStringList wrapped(const QString& text) const
    {
        QTextLayout layout(text, font_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList lines;
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(textWidth_ + 0.5);  // the widest entry on one line, whatever the rounding
            lines << text.mid(l.textStart(), l.textLength()).trimmed();
        }
        layout.endLayout();
        if (lines.isEmpty()) lines << QString();
        return lines;
    }
    static constexpr double kPad = 3, kSample = 14;
    QFont font_;
    std::vector<Entry> entries_;
    double textWidth_ = 0;
    QSizeF size_;
};

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

HydrographChart::~HydrographChart() = default;

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
    chart->legend()->hide();
    timeAxis_ = flowAxis_ = excessAxis_ = nullptr;
    excess_ = nullptr;
    layer_ = nullptr;
    legend_ = nullptr;
    legendBeside_ = false;
    runs_.clear();
    earlier_ = QImage();
    earlierRuns_ = 0;
    earlierDrawn_ = 0;
    return chart;
}

void HydrographChart::showChart(QChart* chart)
{
    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
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
    fitScales();
    showChart(chart);
}

void HydrographChart::drawHydrographs()
{
    const int rows = grid_.RowCount();
    const int newest = grid_.ColumnCount() - 1;
    const double hours = grid_.hoursPerRow > 0 ? grid_.hoursPerRow : 1.0;
    const QString timeTitle = grid_.hoursPerRow > 0 ? QStringLiteral("Time (hours)") : QStringLiteral("Time step");

    // The runs drawn before stay as drawn while their columns are unchanged; anything
    // else (a cleared chart, another time step) draws a new chart.
    std::size_t same = 0;
    while (same < runs_.size() && static_cast<int>(same) + 2 <= newest &&
           runs_[same].stamp == grid_.columnStamp(static_cast<int>(same) + 2))
        ++same;
    const bool keep = layer_ && hours == runHours_ && same == runs_.size() &&
                      (excessAxis_ != nullptr) == grid_.series1Secondary;
    QChart* chart = keep ? view_->chart() : newChart();
    if (!keep) {
        runHours_ = hours;
        timeAxis_ = new QValueAxis;
        styleAxis(timeAxis_, timeTitle);
        chart->addAxis(timeAxis_, Qt::AlignBottom);
        flowAxis_ = new QValueAxis;
        styleAxis(flowAxis_, QStringLiteral("Flow (cfs)"));
        chart->addAxis(flowAxis_, Qt::AlignLeft);
        if (grid_.series1Secondary) {
            // The excess hangs from the top on its own axis, as hyetographs are drawn.
            excessAxis_ = new QValueAxis;
            styleAxis(excessAxis_, QStringLiteral("Excess (inches)"));
            excessAxis_->setReverse(true);
            excessAxis_->setGridLineVisible(false);
            chart->addAxis(excessAxis_, Qt::AlignRight);
            excess_ = new QAreaSeries(new QLineSeries(chart), new QLineSeries(chart));
            excess_->setPen(QPen(kExcessLine, 1.0));
            excess_->setBrush(kExcessFill);
            chart->addSeries(excess_);
            excess_->attachAxis(timeAxis_);
            excess_->attachAxis(excessAxis_);
        }
        layer_ = new RunLayer(*this, chart);
        legend_ = new RunLegend(chart);
        connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF& plot) {
            if (layer_) layer_->setPlot(plot);
            placeLegend();
        });
    }

    // Each new run: its curve reduced once from its own rows, its peak and extent.
    for (int c = static_cast<int>(runs_.size()) + 2; c <= newest; ++c) {
        Run run;
        const int length = grid_.columnRows(c);
        float high = 0, low = 0;
        seriesPoints(grid_.column(c), length, run.curve, high, low);
        for (QPointF& p : run.curve) p.setX(p.x() * hours);
        const std::vector<float>& values = grid_.column(c);
        const auto top = std::max_element(values.begin(), values.begin() + length);
        run.peak = top == values.begin() + length ? QPointF() : QPointF((top - values.begin()) * hours, *top);
        run.end = std::max(length - 1, 0) * hours;
        run.low = low;
        run.high = high;
        run.colour = kRunColours[static_cast<std::size_t>(c - 2) % std::size(kRunColours)];
        run.stamp = grid_.columnStamp(c);
        runs_.push_back(std::move(run));
    }
    // Names are given again each time: a new run of an earlier one's name adds to both
    // what tells them apart.
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        const int c = static_cast<int>(i) + 2;
        runs_[i].name = grid_.columnLabel(c).isEmpty() ? QString::number(c - 1) : grid_.columnLabel(c);
    }
    timeEnd_ = flowLow_ = flowHigh_ = 0;
    for (const Run& r : runs_) {
        timeEnd_ = std::max(timeEnd_, r.end);
        flowLow_ = std::min(flowLow_, r.low);
        flowHigh_ = std::max(flowHigh_, r.high);
    }

    if (excess_) {
        float top = 0;
        const QList<QPointF> steps = excessSteps(grid_.column(1), std::min(rows, grid_.columnRows(1)), hours, top);
        excessHigh_ = top;
        const QList<QPointF> base = steps.isEmpty() ? QList<QPointF>() : QList<QPointF>{steps.front(), steps.back()};
        if (excess_->upperSeries()->points() != steps) excess_->upperSeries()->replace(steps);
        if (excess_->lowerSeries()->points() != base) excess_->lowerSeries()->replace(base);
        excess_->setVisible(!steps.isEmpty());  // a routing run has no excess
        excess_->setName(grid_.columnLabel(1));
    }
    fitScales(keep);
    if (!keep) showChart(chart);
    placeLegend();
    layer_->update();
}

void HydrographChart::fitScales(bool grow)
{
    // As many ticks as their labels have room for (room for three intervals at least).
    const int across = std::clamp((width() - 90) / kTickWidth, 3, 10);
    const int up = std::clamp((height() - 60) / kTickHeight, 3, 8);
    const auto fit = [grow](QValueAxis* axis, double low, double high, int intervals, bool hours) {
        if (!axis) return;
        if (grow && axis->min() <= low && high <= axis->max()) return;
        if (grow) {
            const double span = axis->max() - axis->min();
            high = std::max(high, high > axis->max() ? axis->max() + span / 2 : axis->max());
            low = std::min(low, low < axis->min() ? axis->min() - span / 2 : axis->min());
        }
        applyScale(axis, roundScale(low, high, intervals, hours));
    };
    if (layer_) fit(timeAxis_, 0, timeEnd_, across, true);
    fit(flowAxis_, flowLow_, flowHigh_ > 0 ? flowHigh_ : 1.0, up, false);
    // The excess takes about the top third of the plot; a few labels say its depths.
    if (excessAxis_) applyScale(excessAxis_, roundScale(0, excessHigh_ * 3, std::max(3, up / 2)));
}

QPointF HydrographChart::toView(const QPointF& v) const
{
    const QRectF plot = view_->chart()->plotArea();
    const double t0 = timeAxis_->min(), t1 = timeAxis_->max(), q0 = flowAxis_->min(), q1 = flowAxis_->max();
    return {plot.left() + (v.x() - t0) / (t1 - t0) * plot.width(), plot.bottom() - (v.y() - q0) / (q1 - q0) * plot.height()};
}

void HydrographChart::updateEarlier(double pixelRatio)
{
    const QRectF plot = view_->chart()->plotArea();
    const double scale[4] = {timeAxis_->min(), timeAxis_->max(), flowAxis_->min(), flowAxis_->max()};
    const std::size_t wanted = runs_.empty() ? 0 : runs_.size() - 1;
    // Another plot or scale: the image starts again; otherwise it takes only the runs
    // it lacks (the one that was the newest, now drawn thinner).
    if (plot != earlierPlot_ || !std::equal(scale, scale + 4, earlierScale_) || earlier_.isNull() ||
        earlier_.devicePixelRatio() != pixelRatio || wanted < earlierRuns_) {
        const QSize size = (plot.size() * pixelRatio).toSize().expandedTo(QSize(1, 1));
        earlier_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        earlier_.setDevicePixelRatio(pixelRatio);
        earlier_.fill(Qt::transparent);
        earlierPlot_ = plot;
        std::copy(scale, scale + 4, earlierScale_);
        earlierRuns_ = 0;
    }
    if (earlierRuns_ == wanted) return;
    QPainter p(&earlier_);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-plot.topLeft());
    for (; earlierRuns_ < wanted; ++earlierRuns_) {
        const Run& run = runs_[earlierRuns_];
        QPolygonF line(run.curve.size());
        for (qsizetype i = 0; i < run.curve.size(); ++i) line[i] = toView(run.curve[i]);
        p.setPen(runPen(run.colour, false));
        p.drawPolyline(line);
        ++earlierDrawn_;
    }
}

void HydrographChart::paintRuns(QPainter& p)
{
    if (runs_.empty() || !timeAxis_) return;
    const QRectF plot = view_->chart()->plotArea();
    if (plot.isEmpty()) return;
    updateEarlier(p.device() ? p.device()->devicePixelRatio() : 1.0);
    p.save();
    p.setClipRect(plot);
    p.drawImage(plot.topLeft(), earlier_);
    const Run& run = runs_.back();
    QPolygonF line(run.curve.size());
    for (qsizetype i = 0; i < run.curve.size(); ++i) line[i] = toView(run.curve[i]);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(runPen(run.colour, true));
    p.drawPolyline(line);
    p.restore();
}

void HydrographChart::placeLegend()
{
    QChart* chart = view_->chart();
    if (!legend_ || runs_.empty()) return;
    const QRectF plot = chart->plotArea();
    if (plot.width() < 8 || plot.height() < 8) return;
    updateEarlier(view_->devicePixelRatioF());
    const double line = legend_->line();

    // Every run is named: the newest each on a line of their own, the earlier ones
    // together on one when there are more than half the plot's height holds.
    const auto entries = [this](std::size_t lines) {
        std::vector<RunLegend::Entry> out;
        if (excess_ && excess_->isVisible())
            out.push_back({excess_->name(), QPen(kExcessLine, 1.0), QBrush(kExcessFill)});
        const std::size_t room = lines > out.size() ? lines - out.size() : 1;
        const std::size_t single = runs_.size() <= room ? runs_.size() : std::max<std::size_t>(room, 2) - 1;
        const std::size_t grouped = runs_.size() - single;
        if (grouped > 0) {
            const QString name = grouped == 1 ? runs_[0].name : QStringLiteral("1-%1: earlier runs").arg(grouped);
            out.push_back({name, runPen(grouped == 1 ? runs_[0].colour : kGroupColour, false), QBrush()});
        }
        for (std::size_t i = grouped; i < runs_.size(); ++i)
            out.push_back({runs_[i].name, runPen(runs_[i].colour, i + 1 == runs_.size()), QBrush()});
        return out;
    };

    // What a legend at rect would hide: no peak ever; of the curves and the excess as
    // little as may be (pixels of the earlier runs' image, the newest curve's length,
    // a quarter of the excess boxes' area).
    const std::vector<QPointF> peaks = peaksInView();
    QPolygonF newest(runs_.back().curve.size());
    for (qsizetype i = 0; i < newest.size(); ++i) newest[i] = toView(runs_.back().curve[i]);
    const QList<QPointF> steps = excess_ && excess_->isVisible() ? excess_->upperSeries()->points() : QList<QPointF>();
    const auto hidden = [&](const QRectF& rect) {
        for (const QPointF& peak : peaks)
            if (rect.adjusted(-4, -4, 4, 4).contains(peak)) return -1.0;
        double cover = 0;
        const double ratio = earlier_.devicePixelRatio();
        const QRectF inPlot = rect.translated(-plot.topLeft());
        const QRect inImage = QRectF(inPlot.topLeft() * ratio, inPlot.size() * ratio).toAlignedRect() & earlier_.rect();
        for (int y = inImage.top(); y <= inImage.bottom(); y += 2)
            for (int x = inImage.left(); x <= inImage.right(); x += 2)
                if (qAlpha(earlier_.pixel(x, y)) > 0) cover += 2 / ratio;
        for (qsizetype i = 1; i < newest.size(); ++i) {
            const QLineF segment(newest[i - 1], newest[i]);
            if (!rect.intersects(QRectF(segment.p1(), segment.p2()).normalized().adjusted(-1, -1, 1, 1))) continue;
            const int pieces = std::max(1, static_cast<int>(segment.length() / 2));
            for (int k = 0; k < pieces; ++k)
                if (rect.contains(segment.pointAt((k + 0.5) / pieces))) cover += segment.length() / pieces;
        }
        for (qsizetype i = 1; i + 1 < steps.size(); i += 2) {
            const QRectF bar(toView(QPointF(steps[i].x(), 0)), toView(steps[i + 1]));
            const QRectF under = bar.normalized().intersected(rect);
            if (!under.isEmpty()) cover += under.width() * under.height() / 4;
        }
        return cover;
    };

    // Entries wrapped onto more lines count as more: the legend keeps to half the plot.
    const auto lines = static_cast<std::size_t>(std::max(2.0, plot.height() * 0.5 / line));
    for (std::size_t room = lines; room >= 2 && !legendBeside_; --room) {
        legend_->setEntries(entries(room), plot.width() * 0.6);
        const QSizeF size = legend_->size();
        if (room > 2 && size.height() > static_cast<double>(lines) * line + 6) continue;
        // The top right first, where a hydrograph has receded.
        const double x[] = {plot.right() - size.width() - 4, plot.left() + 4};
        const double y[] = {plot.top() + 4, plot.center().y() - size.height() / 2, plot.bottom() - size.height() - 4};
        QRectF best;
        double least = -1;
        for (double atX : x)
            for (double atY : y) {
                const QRectF rect(QPointF(atX, atY), size);
                const double cover = hidden(rect);
                if (cover >= 0 && (least < 0 || cover < least - 0.5)) {
                    best = rect;
                    least = cover;
                }
            }
        if (least >= 0) {
            legend_->setPos(best.topLeft());
            return;
        }
        if (room == 2) break;
    }
    // No place in the plot leaves every peak in sight: the legend stands beside it.
    const double tall = chart->size().height() - 8;
    for (std::size_t room = lines; room >= 2; --room) {
        legend_->setEntries(entries(room), std::max(60.0, view_->width() * 0.3));
        if (legend_->size().height() <= tall) break;
    }
    const double wide = legend_->size().width();
    legendBeside_ = true;
    const QMargins margins(2, 2, static_cast<int>(std::ceil(wide)) + 8, 2);
    if (chart->margins() != margins) chart->setMargins(margins);
    legend_->setPos(chart->size().width() - wide - 4, 4);
}

std::vector<QPointF> HydrographChart::peaksInView() const
{
    std::vector<QPointF> peaks;
    if (!timeAxis_ || !flowAxis_) return peaks;
    for (const Run& run : runs_) peaks.push_back(toView(run.peak));
    return peaks;
}

QRectF HydrographChart::legendRect() const
{
    return legend_ ? QRectF(legend_->pos(), legend_->size()) : QRectF();
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
    if (legend_)
        for (const RunLegend::Entry& e : legend_->entries()) entries << e.text;
    return entries;
}

std::vector<QStringList> HydrographChart::legendLines() const
{
    std::vector<QStringList> lines;
    if (legend_)
        for (const RunLegend::Entry& e : legend_->entries()) lines.push_back(e.lines);
    return lines;
}

QString HydrographChart::gridSummary() const
{
    return QStringLiteral("%1 columns, %2 rows").arg(grid_.ColumnCount()).arg(grid_.RowCount());
}

void HydrographChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Another size lays the chart out anew: scales fitted to it, the legend placed again.
    if (legendBeside_ && view_->chart()) {
        legendBeside_ = false;
        view_->chart()->setMargins(QMargins(2, 2, 4, 2));
    }
    fitScales();
    placeLegend();
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
