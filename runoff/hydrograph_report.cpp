// The hydrograph report file and the caption summary (see hydrograph_report.h).
#include "runoff/hydrograph_report.h"

#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "common/dates.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/save_file.h"
#include "runoff/window/form3_state.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"

namespace corv {

namespace {

constexpr char kEol[] = "\r\n";
constexpr int kTimeMinutesDecimals = 5;  // "##0.00000"
constexpr int kTimeHoursDecimals = 1;    // "######0.0"
constexpr int kFlowLargeDecimals = 0;    // "########0"
constexpr int kFlowSmallDecimals = 1;    // "######0.0"

std::string text(const QString& s) { return s.toStdString(); }

void line(QByteArray& out, const std::string& s)
{
    out.append(s.data(), static_cast<qsizetype>(s.size()));
    out.append(kEol);
}

std::string printed(float v) { return printSingle(v); }

// The date cell " dd hh:mm" of database series.
char* putDateCell(char* cell, double date)
{
    const std::string text = formatDate(date, " dd hh:mm");
    for (std::size_t k = 0; k < kCellWidth; ++k) cell[k] = k < text.size() ? text[k] : ' ';
    return cell + kCellWidth;
}

// The length of every row, known before any is written: nine characters a cell and the
// line end, with the rain columns only up to the row after the last rain.
struct RowLayout {
    RowLayout(const ComputeState& s, std::int16_t routeType, long firstRow) : first(firstRow), scs(s.scsMode)
    {
        const bool routing = routeType != route::kNone;
        shortRow = (routing ? (routeType == route::kModifiedPuls ? 4 : 2) : 1) + 1;
        longRow = routing ? shortRow : shortRow + (s.scsMode ? 6 : 4);
        extrasTo = routing ? first - 1 : std::max(first - 1, std::min<long>(static_cast<long>(s.obs) + 1, s.it));
    }
    // Characters before row i (first <= i <= it + 1).
    std::size_t offset(long i) const
    {
        const long longRows = std::clamp(extrasTo - first + 1, 0L, i - first);
        const long shortRows = i - first - longRows;
        return static_cast<std::size_t>(longRows * (longRow * static_cast<long>(kCellWidth) + 2) +
                                        shortRows * (shortRow * static_cast<long>(kCellWidth) + 2));
    }
    // Whether every array a row reads reaches its last row: rows can then be written in
    // any order. (Otherwise they go in order, so that a short array fails at the same
    // row and leaves the same rows written as ever.)
    bool arraysReach(const ComputeState& s) const
    {
        const long last = s.it;
        if (longRow == shortRow) {
            if (shortRow == 5) return s.qi.ubound() >= last && s.qout.ubound() >= last && s.elvout.ubound() >= last &&
                                      s.storout.ubound() >= last;
            if (shortRow == 3) return s.qi.ubound() >= last && s.qout.ubound() >= last;
            return s.qi.ubound() >= last;
        }
        const long rain = extrasTo;
        return s.qi.ubound() >= last && s.rdepth.ubound() >= rain && s.excess.ubound() >= rain &&
               s.pCumStep.ubound() >= rain && s.gwFlow.ubound() >= rain && (!scs || s.S1Step.ubound() >= rain);
    }
    long first;
    bool scs;
    long shortRow = 0, longRow = 0;  // cells in a row without and with the rain columns
    long extrasTo = 0;               // the last row with the rain columns
};

// Writes rows; each row touches only its own characters and its own ground-water flow.
struct RowWriter {
    ComputeState& s;
    std::int16_t routeType;
    int timeDecimals;
    bool dated;  // database series: each row shows its ordinate's date

    char* put(char* p, long i, long extrasTo) const
    {
        if (dated) p = putDateCell(p, ordinateDate(s, i));
        else p = putMaskCell(p, static_cast<float>(i) * s.udur, timeDecimals);
        if (routeType != route::kNone) {
            if (routeType == route::kModifiedPuls) {
                p = putMaskCell(p, s.elvout(i), 2);
                p = putFlowCell(p, s.storout(i));
            }
            p = putFlowCell(p, s.qout(i));
            p = putFlowCell(p, s.qi(i));
        } else {
            p = putFlowCell(p, s.qi(i));
            if (i <= extrasTo) {
                p = putMaskCell(p, s.rdepth(i), 5);
                p = putMaskCell(p, s.excess(i), 5);
                if (s.scsMode) {
                    p = putMaskCell(p, 1000.0f / (s.S1Step(i) + 10.0f), 5);
                    p = putMaskCell(p, s.S1Step(i), 5);
                }
                p = putMaskCell(p, s.pCumStep(i), 5);
                p = putRoundedCell(p, s.gwFlow(i));
            }
        }
        *p++ = '\r';
        *p++ = '\n';
        return p;
    }
};

// Rows from to last at out (row first's place). A long report whose arrays reach its end
// is written in bands of rows on the thread pool the map view draws with; a band the
// pool has no free thread for is written here, so a busy pool never stalls the report.
// Given a file (row first's place there at fileAt), each band also goes into it at once,
// straight from the cache of the core that wrote it: the system copies rows just written
// by other cores far more slowly. Returns whether the rows went into the file (a report
// written in one run does not).
bool putRows(const RowWriter& writer, const RowLayout& layout, char* out, const SaveFile* file, std::size_t fileAt,
             long from, long last, bool anyOrder)
{
    const auto band = [&](long a, long b) {
        char* const start = out + layout.offset(a) - layout.offset(from);
        char* p = start;
        for (long i = a; i <= b; ++i) p = writer.put(p, i, layout.extrasTo);
        if (file) file->writeAt(fileAt + layout.offset(a) - layout.offset(from), start, static_cast<std::size_t>(p - start));
    };
    constexpr long kRowsPerBand = 4096;
    QThreadPool* pool = QThreadPool::globalInstance();
    const long rows = last - from + 1;
    const long bands = anyOrder ? std::clamp<long>(rows / kRowsPerBand, 1, std::clamp(pool->maxThreadCount(), 1, 8)) : 1;
    if (bands == 1) {
        file = nullptr;
        band(from, last);
        return false;
    }
    QSemaphore done;
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
    long others = 0;
    for (long b = 1; b < bands; ++b) {
        const long a = from + rows * b / bands, z = from + rows * (b + 1) / bands - 1;
        auto work = [&, a, z, b] {
            try {
                band(a, z);
            } catch (...) {
                failures[static_cast<std::size_t>(b)] = std::current_exception();
            }
        };
        if (pool->tryStart([&, work] {
                work();
                done.release();
            }))
            ++others;
        else
            work();
    }
    try {
        band(from, from + rows / bands - 1);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    done.acquire(static_cast<int>(others));
    for (const std::exception_ptr& f : failures)
        if (f) std::rethrow_exception(f);
    return file != nullptr;
}

// Whether ordinate 0 holds flow in a column the report prints.
bool flowAtZero(const ComputeState& s, bool routing)
{
    const auto holds = [](const VArray<float>& q) { return q.ubound() >= 0 && q(0) != 0; };
    return holds(s.qi) || (routing && holds(s.qout));
}

void parameterLines(QByteArray& out, const ComputeState& s, const ReportBoxes& b)
{
    line(out, "Basin Area (mi^2): " + printed(s.area));
    if (b.ComboDimgraph.contains(QLatin1String("Triangle")))
        line(out, "Triangular factors: " + text(b.txtC) + ", " + text(b.txtLca) + ", " + text(b.txtS) + ", " +
                      text(b.txtelv1) + ", " + text(b.txtElv2));
    else
        line(out, "C value: " + printed(s.C));
    line(out, "Lag Time: " + printed(s.lag));
    if (s.scsMode)
        line(out, "SCS Curve Number CN: " + printed(s.lossValueEntered) + ", S1: " + printed(s.S1start) +
                      ", CNwet: " + printed(s.CNwet) + ", CNdry: " + printed(s.CNdry) + ", S1wet: " +
                      printed(s.S1wet) + ", S1dry: " + printed(s.S1dry));
    else
        line(out, "Intitial Loss (in):  " + formatMask(s.lossValueEntered, "0.00") +
                      ", ILossWet (in):  " + formatMask(s.wetLimit, "0.00") +
                      ", ILossDry (in):  " + formatMask(s.dryLimit, "0.00"));
    line(out, "Constant Loss (in/hr):  " + formatMask(s.constLoss, "0.00"));
    line(out, "Percent Impervious area:  " + formatMask(s.imperviousFraction * 100.0f, "##0.0"));
    line(out, "Loss Recovery Factor:  " + printed(s.recoveryFactor));
    line(out, "Dimensionless Graph:  " + text(b.ComboDimgraph));
}

void routingLine(QByteArray& out, std::int16_t routeType, const QString& ratingFileName, const ComputeState& s,
                 const ReportBoxes& b)
{
    switch (routeType) {
    case route::kModifiedPuls: line(out, "Storage routing file: " + text(ratingFileName)); break;
    case route::kMuskingum:
        line(out, "Muskingum K lag: " + text(b.txtMuskK) + "  Muskingum X storage: " + text(b.txtMuskX));
        break;
    case route::kCombined: line(out, "Combined hydrograph filename: " + text(s.combineFileName)); break;
    case route::kTravelTime: line(out, "Tatum time of travel: " + text(b.txtTatum) + " " + text(b.capTatum)); break;
    default: line(out, ""); break;
    }
    line(out, "");
}

// Builds the report into out (emptied first, its room kept) and returns the caption.
// Given a file, rows written in bands go into it after the lines above them, which
// alone then stay in out.
QString buildReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName, const ReportBoxes& boxes,
                    QByteArray& out, const SaveFile* file = nullptr)
{
    const bool routing = routeType != route::kNone;
    const bool database = s.rainMode == 3;

    s.rainLoss = 0;
    for (long i = 1; i <= s.obs; ++i) {
        if (s.rationalMethod) s.excess(i) *= s.C;
        s.rainLoss += s.rdepth(i) - s.excess(i);
    }

    const int timeDecimals = s.udur < 1 ? kTimeMinutesDecimals : kTimeHoursDecimals;
    const int flowDecimals = s.maxq >= 100 ? kFlowLargeDecimals : kFlowSmallDecimals;
    s.timeFormat = QString::fromLatin1(s.udur < 1 ? "##0.00000" : "######0.0");
    s.flowFormat = QString::fromLatin1(s.maxq >= 100 ? "########0" : "######0.0");
    s.blank9 = QString(static_cast<int>(kCellWidth), QLatin1Char(' '));

    // Dates for every row of a database series, the peaks' among them.
    if (database) continueStepDates(s);

    out.resize(0);
    // Nine characters a cell and up to eight cells a row.
    out.reserve(static_cast<qsizetype>(std::max<long>(s.it, 0) + 2) * 80 + 2048);
    line(out, text(boxes.txtTitle));
    line(out, text(boxes.txtTile2));
    if (!routing) parameterLines(out, s, boxes);
    routingLine(out, routeType, ratingFileName, s, boxes);

    QString caption;
    if (routing) {
        line(out, "  PEAK-IN     TIME  ACRE-FT PEAK-OUT     TIME   MAXELV");
        usgsround(s.maxq);
        usgsround(s.maxout);
        caption = QStringLiteral("QmaxIn=%1 cfs, Vol=%2 acft, QmaxOut=%3 cfs")
                             .arg(QString::fromStdString(shortestText(s.maxq)),
                                  QString::fromStdString(shortestText(s.volume)),
                                  QString::fromStdString(shortestText(s.maxout)));
    } else {
        line(out, " DURATION     RAIN    PEAKQ     TIME  ACRE-FT");
        usgsround(s.maxq);
        caption = QStringLiteral("Runoff Qmax=%1 cfs, Vol=%2 acft, RainLoss=%3 in from %4 total")
                             .arg(QString::fromStdString(shortestText(s.maxq)),
                                  QString::fromStdString(shortestText(s.volume)),
                                  QString::fromStdString(formatMask(s.rainLoss, "0.00")),
                                  QString::fromStdString(formatMask(s.tdepth, "0.00")));
    }

    std::string summary;
    if (!routing) {
        appendMaskCell(summary, s.stormDuration, 3);
        appendMaskCell(summary, s.tdepth, 2);
    }
    appendMaskCell(summary, s.maxq, flowDecimals);
    if (database) summary += formatDate(ordinateDate(s, s.tmax), " dd hh:mm");
    else appendMaskCell(summary, static_cast<float>(s.tmax) * s.udur, timeDecimals);
    appendFlowCell(summary, s.volume);
    if (routing) {
        appendFlowCell(summary, s.maxout);
        if (database) summary += formatDate(ordinateDate(s, toInt16(s.tmaxout)), " dd hh:mm");
        else appendMaskCell(summary, s.tmaxout * s.udur, kTimeMinutesDecimals);
        appendMaskCell(summary, s.maxelv, 2);
    }
    line(out, summary);
    line(out, "");

    std::string header = "     Time";
    if (routing) {
        if (routeType == route::kModifiedPuls) header += "     Elev  Storage";
        header += "  Outflow   Inflow";
    } else {
        header += "   Runoff Rainfall   Excess";
        header += s.scsMode ? "       CN       S1   CNpsum" : "   ILpsum";
        header += "   GW_cfs";
    }
    line(out, header);

    // A database series starts at its first recorded date, ordinate 1, unless a file
    // combined onto it (or a pond's begin elevation) put flow on ordinate 0, the step
    // before: every flow the series holds is in a row.
    const long first = database && !flowAtZero(s, routing) ? 1 : 0;
    const RowLayout layout(s, routeType, first);
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(layout.offset(s.it + 1)));
    // Database rows carry the dates continueStepDates filled in above.
    const RowWriter writer{s, routeType, timeDecimals, database};
    if (putRows(writer, layout, out.data() + at, file, static_cast<std::size_t>(at), first, s.it, layout.arraysReach(s)))
        out.resize(at);

    return caption;
}

}  // namespace

void continueStepDates(ComputeState& s)
{
    const long known = s.rrtime.ubound();
    if (known < s.it) s.rrtime.redimPreserve(s.it);
    for (long i = 1; i <= s.it; ++i) {
        if (i <= known && s.rrtime(i) > 1) s.stepDate = s.rrtime(i);
        else s.stepDate += stepDays(s.udur);
        s.rrtime(i) = s.stepDate;
    }
}

double ordinateDate(const ComputeState& s, long i)
{
    // Ordinate 0 stands a step before the first recorded date.
    return i >= 1 ? s.rrtime(i) : s.rrtime(1) - stepDays(s.udur);
}

HydrographReport buildHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                                       const ReportBoxes& boxes)
{
    HydrographReport report;
    report.caption = buildReport(s, routeType, ratingFileName, boxes, report.text);
    return report;
}

QString writeHydrographReport(ComputeState& s, std::int16_t routeType, const QString& ratingFileName,
                              const ReportBoxes& boxes, const QString& folder)
{
    s.reportPath = folder + QStringLiteral("/Temp.GRF");
    // Rewritten on every run: not forced to the disk each time (a failure still keeps
    // the earlier report).
    // The file is opened first, so that long rows can go into it as they are made; a
    // refusal is raised once the report has left its marks in s, as it always has.
    std::optional<SaveFile> file;
    std::exception_ptr refused;
    try {
        file.emplace(s.reportPath, SaveOptions{.ownerOnly = false, .durable = false, .replaceLink = true});
    } catch (const SaveError&) {
        refused = std::current_exception();
    }
    // One buffer for the run: a long report is not laid out in fresh memory each time.
    static QByteArray text;
    const QString caption = buildReport(s, routeType, ratingFileName, boxes, text, file ? &*file : nullptr);
    if (refused) std::rethrow_exception(refused);
    file->write(text);
    file->commit();
    return caption;
}

}  // namespace corv
