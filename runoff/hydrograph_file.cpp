// The hydrograph file reader (see hydrograph_file.h).
#include "runoff/hydrograph_file.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dates.h"
#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "runoff/hydrograph_report.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"
#include "runoff/text_fields.h"
#include "runoff/window/form3_state.h"

namespace corv {

namespace {

constexpr double kAcreFtPerCfsDay = 1.9835;
// A fresh load starts with room for this many ordinates; longer files grow it.
constexpr long kFreshRoom = 9000;
// The most ordinates a hydrograph holds (counts are 16-bit, routings stop at 32000).
constexpr long kMaxOrdinate = 32000;
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
constexpr long kGrowth = 100;
// Hours within which two time steps are the same.
constexpr float kStepTolerance = 0.001f;
// Steps far beyond any hydrograph's are compared within the precision they are held in.
constexpr double kStepPrecision = 1e-6;
// A report needs ordinates past 2.
constexpr std::size_t kFewestRows = 4;

std::string hydrographFile(const QString& path) { return "The hydrograph file " + path.toStdString(); }

[[noreturn]] void fileError(int number, const QString& path, const std::string& what)
{
    throw RuntimeError(number, hydrographFile(path) + " " + what);
}

std::string lineNo(long number) { return "line " + std::to_string(number); }

std::string quoted(std::string_view line) { return "\"" + shownLine(line) + "\""; }

std::string hoursText(double hours) { return shortestText(static_cast<float>(hours)); }

// How far a time written as `text`, `hours` from the first, may lie off a whole number
// of steps: the tolerance, and half its last digit (a report in hours writes 1.3 for 1.25).
double timeSlack(double hours, std::string_view text)
{
    return std::max<double>(kStepTolerance, std::fabs(hours) * kStepPrecision) + halfLastDigit(text);
}

// A "dd hh:mm" time: day of the month, hour and minute, all whole.
struct DayTime {
    int day = 0, hour = 0, minute = 0;
    int minuteOfDay() const { return hour * 60 + minute; }
};

// One or two digits between lo and hi.
bool smallWhole(std::string_view t, int lo, int hi, int& out)
{
    if (t.empty() || t.size() > 2) return false;
    out = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return out >= lo && out <= hi;
}

std::optional<DayTime> readDayTime(std::string_view t)
{
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    std::size_t gap = 0;
    while (gap < t.size() && !isBlank(t[gap])) ++gap;
    std::size_t clock = gap;
    while (clock < t.size() && isBlank(t[clock])) ++clock;
    const std::string_view rest = t.substr(clock);
    const std::size_t colon = rest.find(':');
    DayTime d;
    if (colon == std::string_view::npos || !smallWhole(t.substr(0, gap), 1, 31, d.day) ||
        !smallWhole(rest.substr(0, colon), 0, 23, d.hour) || !smallWhole(rest.substr(colon + 1), 0, 59, d.minute))
        return std::nullopt;
    return d;
}

// Minutes from a to b. The day number falls only where a month ends: by 27 days or
// more (the 28th to the 1st at least); then b lies b.day days after a's day. A smaller
// fall, or none with an earlier clock, gives a negative count: times that go back.
long minutesBetween(const DayTime& a, const DayTime& b)
{
    const int bDay = b.day < a.day && a.day - b.day >= 27 ? a.day + b.day : b.day;
    return static_cast<long>(bDay - a.day) * 1440 + b.minuteOfDay() - a.minuteOfDay();
}

// What the file holds, read whole before anything changes.
struct FileRows {
    bool outflowColumn = false;
    bool dated = false;          // "dd hh:mm" times
    std::vector<float> values;
    std::vector<long> lines;     // the file line of each value
    std::vector<DayTime> times;  // dated files: the time of each value
    float step = 0;              // the file's time step in hours
    long stepLine = 0;           // the line that taught it
    long offset = 0;             // times in hours: the ordinate of the first row
};

// A file's number as a single: within single range inline, otherwise by the checked
// rule that names the file and line.
float singleOf(double v, std::string_view field, const std::string& file, long line)
{
    return std::fabs(v) <= static_cast<double>(FLT_MAX) ? static_cast<float>(v) : fileSingle(v, field, file, line);
}

bool isHeader(std::string_view line)
{
    return line.find("     Time") != std::string_view::npos || line.find("Time\t") != std::string_view::npos ||
           line.find("Time,") != std::string_view::npos;
}

// The length of a line without the blanks that end it.
std::size_t usedLength(std::string_view line)
{
    while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
    return line.size();
}

FileRows readRows(const QString& path, float udur)
{
    const QByteArray bytes = readDataFile(path, kMaxFileBytes, hydrographFile(path), "a hydrograph file");
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::string file = hydrographFile(path);
    Lines lines(all);

    std::string_view header;
    bool found = false;
    while (!found && lines.next(header)) found = isHeader(header);
    if (!found)
        fileError(err::kInputPastEnd, path,
                  "has no header line naming its columns (\"     Time\" in nine-character cells, or \"Time\" "
                  "followed by a comma or a TAB).");
    const long headerLine = lines.number();
    // Lines split at bare carriage returns would run together into one.
    refuseBareReturn(header, file, headerLine);

    FileRows rows;
    const std::size_t most = static_cast<std::size_t>(std::min<long>(countLines(all) - headerLine, kMaxOrdinate + 2));
    rows.values.reserve(most);
    rows.lines.reserve(most);
    const bool fixed = header.find("     Time") != std::string_view::npos;
    const char sep = header.find("Time,") != std::string_view::npos ? ',' : '\t';
    std::size_t column = std::string_view::npos;
    if (fixed) {
        column = header.find("  Outflow");
        rows.outflowColumn = column != std::string_view::npos;
        if (!rows.outflowColumn) column = header.find("   Runoff");
    } else {
        // Walked field by field: a header of millions of separators is never held split.
        Fields names(header, sep);
        std::string_view name;
        names.next(name);
        for (std::size_t k = 1; column == std::string_view::npos && names.next(name); ++k) {
            if (name.find("Outflow") != std::string_view::npos) column = k, rows.outflowColumn = true;
            else if (name.find("Runoff") != std::string_view::npos) column = k;
        }
    }
    if (column == std::string_view::npos)
        fileError(err::kInvalidProcedureCall, path,
                  "has no \"Outflow\" or \"Runoff\" column in its header (" + lineNo(headerLine) + ": " +
                      quoted(header) + ").");
    // Nine-character cells end where the header's titles end: more is a cell run over.
    const std::size_t width = usedLength(header);

    // Numeric times: the row before's as a single (for the order) and as written (for
    // its step), the first row's, and the steps every row so far agrees with.
    double lastTime = 0, lastWritten = 0, firstTime = 0;
    std::string_view firstText, firstLine;
    double stepLow = 0, stepHigh = HUGE_VAL;
    for (std::string_view line; lines.next(line);) {
        const long number = lines.number();
        refuseBareReturn(line, file, number);
        // A blank or nearly blank line ends the data.
        if (line.size() < 3) break;
        std::string_view timeText, valueText;
        if (fixed) {
            if (usedLength(line) > width)
                fileError(err::kTypeMismatch, path,
                          "has a row of " + std::to_string(usedLength(line)) + " characters on " + lineNo(number) +
                              " (" + quoted(line) + "), longer than the " + std::to_string(width) +
                              " of the columns its header names (" + lineNo(headerLine) + ").");
            timeText = line.substr(0, kCellWidth);
            if (column < line.size()) valueText = line.substr(column, kCellWidth);
        } else {
            fieldAt(line, sep, 0, timeText);
            fieldAt(line, sep, column, valueText);
        }
        const auto bad = [&](const std::string& what) {
            fileError(err::kTypeMismatch, path, "has no " + what + " on " + lineNo(number) + " (" + quoted(line) + ").");
        };
        const auto outOfOrder = [&](long minutes) {
            fileError(err::kInvalidProcedureCall, path,
                      std::string(minutes == 0 ? "repeats the time of the row before" : "goes back in time") +
                          " on " + lineNo(number) + " (" + quoted(line) + ").");
        };

        checkNumberField(valueText, file, number);
        checkNumberField(timeText, file, number);
        // Every time is read and must come after the one before: the step comes from the
        // first two, and a combined flow goes by its date.
        const bool first = rows.values.empty();
        if (first) rows.dated = timeText.find(':') != std::string_view::npos;
        float step = 0;      // the step this row teaches
        double between = 0;  // hours since the row before
        if (rows.dated) {
            const std::optional<DayTime> t = readDayTime(timeText);
            if (!t) bad("\"dd hh:mm\" time");
            if (!first) {
                const long minutes = minutesBetween(rows.times.back(), *t);
                if (minutes <= 0) outOfOrder(minutes);
                between = minutes / 60.0;
                if (rows.step == 0) step = static_cast<float>(between);
            }
            rows.times.push_back(*t);
        } else {
            double t = 0;
            if (!strictNumber(timeText, t)) bad("number for the time");
            const float single = singleOf(t, timeText, file, number);
            if (!first && !(single > lastTime)) outOfOrder(single == lastTime ? 0 : -1);
            lastTime = single;
            between = t - lastWritten;
            lastWritten = t;
            if (first) firstTime = t, firstText = timeText, firstLine = line;
        }
        // Row k lies k steps after the first. A time is as exact as its digits: a report
        // in hours writes 1.3 for 1.25, so row k narrows the step to within half its
        // last digit, and half the first row's unless it starts at 0 (0.0 is 0), over k.
        bool agrees = true;
        if (!rows.dated && !first) {
            const double k = static_cast<double>(rows.values.size()), since = lastWritten - firstTime;
            const double slack = timeSlack(since, timeText) + (firstTime != 0 ? halfLastDigit(firstText) : 0);
            stepLow = std::max(stepLow, (since - slack) / k);
            stepHigh = std::min(stepHigh, (since + slack) / k);
            agrees = stepLow <= stepHigh;
            // The first step, snapped to whole minutes below an hour.
            if (rows.step == 0) {
                const float single = static_cast<float>(since);
                step = single < 1 ? static_cast<float>(intFloor(single * 60.0f + 0.1f)) / 60.0f : single;
                if (!(step > 0))
                    fileError(err::kInvalidProcedureCall, path,
                              "gives no time step of a minute or more with its times up to " + lineNo(number) +
                                  " (" + quoted(line) + ").");
            }
        }
        if (step > 0) {
            rows.step = step;
            rows.stepLine = number;
        }
        // Minutes of "dd hh:mm" times are exact; times in hours agree while some step
        // fits every row.
        const bool uneven = rows.dated ? step == 0 && rows.step > 0 &&
                                             std::fabs(between - rows.step) >
                                                 std::max<double>(kStepTolerance, rows.step * kStepPrecision)
                                       : !agrees;
        const bool otherStep = udur > 0 && rows.step > 0 &&
                               (rows.dated ? step > 0 && std::fabs(udur - step) > kStepTolerance
                                           : udur < stepLow || udur > stepHigh);
        if (uneven) {
            // Row k is ordinate k: a gap or a longer step would put every later flow early.
            fileError(err::kInvalidFileFormat, path,
                      "steps " + hoursText(between) + " hours at " + lineNo(number) + " (" + quoted(line) +
                          "), its first step " + hoursText(rows.step) + " hours at " + lineNo(rows.stepLine) +
                          ": a hydrograph has one time step.");
        }
        if (otherStep)
            fileError(err::kInvalidProcedureCall, path,
                      "steps " + hoursText(between) + " hours at " + lineNo(number) + " (" + quoted(line) +
                          "), the current hydrograph " + hoursText(udur) +
                          " hours: Unit durations must match current hydrograph");

        double v = 0;
        if (!strictNumber(valueText, v)) bad("number in the flow column");
        if (static_cast<long>(rows.values.size()) > kMaxOrdinate)
            fileError(err::kSubscript, path,
                      "has more than " + std::to_string(kMaxOrdinate + 1) +
                          " rows of flows; a hydrograph holds at most that many ordinates.");
        rows.values.push_back(singleOf(v, valueText, file, number));
        rows.lines.push_back(number);
    }
    // The step is the first one when it fits every row; otherwise the roundest whole
    // minutes that do (a report at 75 minutes prints 1.3, 2.5, 3.8, which 76 minutes
    // fit too), the middle when none does.
    if (!rows.dated && rows.step > 0 && (rows.step < stepLow || rows.step > stepHigh)) {
        rows.step = static_cast<float>((stepLow + stepHigh) / 2);
        for (const double unit : {60.0, 30.0, 15.0, 10.0, 5.0, 1.0}) {
            const double minutes = std::ceil(stepLow * 60 / unit) * unit;
            if (minutes / 60 <= stepHigh) {
                rows.step = static_cast<float>(minutes / 60);
                break;
            }
        }
    }
    const std::size_t count = rows.values.size();
    if (count < kFewestRows)
        fileError(err::kInvalidProcedureCall, path,
                  "holds " + std::to_string(count) + (count == 1 ? " row" : " rows") +
                      " of flows after its header; a hydrograph needs at least " + std::to_string(kFewestRows) +
                      ".");
    // Times in hours place the rows: the first lies a whole number of steps (those of
    // the current hydrograph on a combine) after time 0, within its digits like every row.
    if (!rows.dated) {
        const double step = udur > 0 ? udur : rows.step;
        const double steps = std::round(firstTime / step);
        const double slack = timeSlack(firstTime, firstText);
        if (!(steps >= 0) || !(std::fabs(firstTime - steps * step) <= slack))
            fileError(err::kInvalidFileFormat, path,
                      "starts at " + hoursText(firstTime) + " hours on " + lineNo(rows.lines.front()) + " (" +
                          quoted(firstLine) + "): its rows must start at time 0 or a whole number of its " +
                          hoursText(step) + "-hour steps after it.");
        if (!(steps + static_cast<double>(count) - 1 <= kMaxOrdinate))
            fileError(err::kSubscript, path,
                      "starts at " + hoursText(firstTime) + " hours on " + lineNo(rows.lines.front()) + ": its " +
                          std::to_string(count) + " rows would run past the " + std::to_string(kMaxOrdinate + 1) +
                          " ordinates a hydrograph holds.");
        rows.offset = static_cast<long>(steps);
    }
    return rows;
}

// The first highest ordinate of q(from..last).
void peakOf(const VArray<float>& q, long from, long last, float& peak, float& at)
{
    peak = 0;
    at = 0;
    for (long j = from; j <= last; ++j)
        if (q(j) > peak) peak = q(j), at = static_cast<float>(j);
}

// A hydrograph computed from database rain carries dates on its ordinates 1..it.
bool carriesDates(const ComputeState& s) { return s.rainMode == 3 && s.rrtime.ubound() >= 1 && s.rrtime(1) > 1; }

bool realDay(int year, int month, int day)
{
    return splitDate(makeDate(year, month, day)).month == (month - 1) % 12 + 1;
}

// The date of t in the month of `near` shifted by `months` (0 when that month has no such day).
double dateIn(double near, int months, const DayTime& t)
{
    const DateParts p = splitDate(near);
    const int m = p.month - 1 + months;
    const int year = p.year + (m >= 0 ? m / 12 : (m - 11) / 12);
    const int month = (m % 12 + 12) % 12 + 1;
    if (!realDay(year, month, t.day)) return 0;
    return makeDate(year, month, t.day, t.hour, t.minute);
}

constexpr double kHalfMinute = 0.5 / 1440.0;

// The ordinate of each row of a dated file on a dated hydrograph: the one of its own
// date, ordinate 0 a step before ordinate 1 (where the first rain step began); -1 for a
// row dated before that. Rows past the end extend the hydrograph at its step, and
// rrtime with them.
std::vector<long> ordinatesByDate(const FileRows& rows, ComputeState& n, const QString& path)
{
    continueStepDates(n);
    const long it = n.it;
    const double first = n.rrtime(1), end = n.rrtime(it), step = stepDays(n.udur);
    std::vector<long> at(rows.values.size(), -1);
    const auto between = [&](std::size_t k, double date) {
        fileError(err::kInvalidProcedureCall, path,
                  "has a flow on " + lineNo(rows.lines[k]) + " dated" + formatDate(date, " dd hh:mm") +
                      ", between the current hydrograph's ordinates: its times must fall on theirs.");
    };
    double date = 0;
    for (std::size_t k = 0; k < rows.values.size(); ++k) {
        const DayTime& t = rows.times[k];
        if (k == 0) {
            // The first row in the month of the hydrograph's first date or next to it,
            // whichever is nearest.
            double best = 0;
            for (int months = -1; months <= 1; ++months) {
                const double d = dateIn(first, months, t);
                if (d != 0 && (best == 0 || std::fabs(d - first) < std::fabs(best - first))) best = d;
            }
            date = best;
        } else {
            // The first such day and time after the row before.
            double next = 0;
            for (int months = 0; months <= 2 && !(next > date); ++months) next = dateIn(date, months, t);
            date = next;
        }
        if (date < first - step - kHalfMinute) continue;
        if (date < first - kHalfMinute) {
            if (std::fabs(date - (first - step)) > kHalfMinute) between(k, date);
            at[k] = 0;
            continue;
        }
        long j = 0;
        double on = 0;
        if (date <= end + kHalfMinute) {
            const double* d = &n.rrtime(1);
            j = static_cast<long>(std::lower_bound(d, d + it, date - kHalfMinute) - d) + 1;
            on = n.rrtime(std::min(j, it));
        } else {
            const double steps = std::round((date - end) / step);
            if (steps > kMaxOrdinate) j = kMaxOrdinate + 1;
            else j = it + static_cast<long>(steps), on = end + steps * step;
        }
        if (j > kMaxOrdinate)
            fileError(err::kSubscript, path,
                      "has a flow on " + lineNo(rows.lines[k]) + " dated beyond the " +
                          std::to_string(kMaxOrdinate + 1) + " ordinates a hydrograph holds.");
        if (std::fabs(date - on) > kHalfMinute) between(k, date);
        at[k] = j;
    }
    const long last = std::max(it, *std::max_element(at.begin(), at.end()));
    n.rrtime.redimPreserve(std::max(n.rrtime.ubound(), last));
    for (long j = it + 1; j <= last; ++j) n.rrtime(j) = end + static_cast<double>(j - it) * step;
    return at;
}

}  // namespace

std::int16_t LoadHydrographFile(const QString& path, ComputeState& s, HydrographLoad mode, bool& routeAgain,
                                Dialogs& dialogs)
{
    const bool fresh = mode == HydrographLoad::Fresh;
    const FileRows rows = readRows(path, fresh ? 0.0f : s.udur);

    // The new state is built aside and taken only when all of it is sound: a refused
    // file leaves the hydrograph, its peaks and its step as they were.
    ComputeState n = s;
    bool again = routeAgain;
    if (fresh) {
        n.udur = 0;
        n.maxq = 0;
        again = false;
        n.it = 0;
        n.qi.redim(kFreshRoom);
        n.qout.redim(kFreshRoom);
        // The file's rows carry no dates of the last database compute.
        if (n.rainMode == 3) n.rainMode = 1;
    }
    if (rows.outflowColumn) again = true;
    if (n.qout.ubound() < 2) {
        // After a compute: the file is added to the computed runoff, and the combined
        // peak is found afresh.
        n.qout.redim(kFreshRoom);
        again = false;
        n.maxout = 0;
        n.tmaxout = 0;
    }
    if (again) {
        n.maxq = n.maxout;
        n.tmax = toInt16(n.tmaxout);
    }

    const long itIn = n.it;
    const bool current = itIn != 0;
    const long count = static_cast<long>(rows.values.size());
    // Where each row goes: its own date on a dated hydrograph, else row k at ordinate k
    // after the first row's (that of its time in hours; 0 for "dd hh:mm").
    const bool byDate = current && rows.dated && carriesDates(n);
    std::vector<long> at(static_cast<std::size_t>(count));
    if (byDate) at = ordinatesByDate(rows, n, path);
    else
        for (long k = 0; k < count; ++k) at[static_cast<std::size_t>(k)] = k + rows.offset;
    const long last = *std::max_element(at.begin(), at.end());
    const long left = static_cast<long>(std::count(at.begin(), at.end(), -1L));
    if (last < 0)
        fileError(err::kInvalidProcedureCall, path,
                  "has no flow dated at or after the current hydrograph's first time (" +
                      formatDate(n.rrtime(1) - stepDays(n.udur), "dd hh:mm") + ").");
    // The file line that last added to each ordinate, for the messages below.
    std::vector<long> lineAt(static_cast<std::size_t>(std::max(itIn, last) + 1), 0);
    for (long k = 0; k < count; ++k)
        if (at[static_cast<std::size_t>(k)] >= 0)
            lineAt[static_cast<std::size_t>(at[static_cast<std::size_t>(k)])] = rows.lines[static_cast<std::size_t>(k)];

    if (current) {
        const long end = std::max(itIn, last);
        if (n.qi.ubound() < end) n.qi.redimPreserve(end + kGrowth);
        if (n.qout.ubound() < end + 1) n.qout.redimPreserve(end + kGrowth);
        // With again, the current outflow becomes the inflow and the file adds to it;
        // else the file adds to the computed runoff.
        for (long j = 0; j <= end; ++j) {
            if (again && j <= itIn) n.qi(j) = n.qout(j);
            if (!again) n.qout(j) = n.qi(j);
        }
        for (long k = 0; k < count; ++k) {
            const long j = at[static_cast<std::size_t>(k)];
            if (j < 0) continue;
            n.qout(j) += rows.values[static_cast<std::size_t>(k)];
            if (!std::isfinite(n.qout(j)))
                fileError(err::kOverflow, path,
                          "has a flow on " + lineNo(rows.lines[static_cast<std::size_t>(k)]) +
                              " that, added to the current hydrograph, is beyond the range of numbers the program "
                              "computes with.");
        }
        n.it = static_cast<std::int16_t>(end);
        n.qout.redimPreserve(n.it + 1);
    } else {
        if (n.qi.ubound() < last) n.qi.redimPreserve(last + kGrowth);
        if (fresh && n.qout.ubound() < last) n.qout.redimPreserve(last + kGrowth);
        // Ordinates before the first row's keep what they had (zero on a fresh load).
        for (long k = 0; k < count; ++k) {
            const long j = at[static_cast<std::size_t>(k)];
            n.qi(j) = rows.values[static_cast<std::size_t>(k)];
            if (fresh) n.qout(j) = n.qi(j);
        }
        n.it = static_cast<std::int16_t>(std::max(itIn, last));
    }
    if (n.udur == 0) n.udur = rows.step;
    // The time cells of the report and the box in minutes must stay numbers.
    if (!std::isfinite(static_cast<float>(n.it) * n.udur * 60.0f))
        fileError(err::kOverflow, path,
                  "has a time step of " + hoursText(rows.step) + " hours (" + lineNo(rows.stepLine) +
                      "), beyond the range of times the program computes with.");

    // The peaks and the volume count every ordinate from 0: a file in hours puts its
    // first flow there, also on a dated hydrograph (the step before its first date),
    // whose report then shows that ordinate.
    if (fresh) {
        float tmax = 0;
        peakOf(n.qi, 0, last, n.maxq, tmax);
        n.tmax = toInt16(tmax);
        n.maxout = n.maxq;
        n.tmaxout = n.tmax;
        n.rrtime.redim(last);
    } else if (current) {
        peakOf(n.qout, 0, n.it, n.maxout, n.tmaxout);
    }
    // The volume of the whole hydrograph now current.
    const VArray<float>& series = current ? n.qout : n.qi;
    float volume = 0;
    for (long j = 0; j <= n.it; ++j) {
        volume += series(j);
        if (!std::isfinite(volume)) {
            long line = 0;
            for (long i = j; i >= 0 && line == 0; --i) line = lineAt[static_cast<std::size_t>(i)];
            fileError(err::kOverflow, path,
                      "adds up to a volume beyond the range of numbers the program computes with by " +
                          lineNo(line) + ".");
        }
    }
    const float acreFt = static_cast<float>(volume * kAcreFtPerCfsDay / (24.0f / n.udur));
    if (!std::isfinite(acreFt))
        fileError(err::kOverflow, path,
                  "gives a volume beyond the range of numbers the program computes with (time step " +
                      hoursText(n.udur) + " hours from " + lineNo(rows.stepLine) + ").");
    n.volume = acreFt;
    usgsround(n.volume);

    s = std::move(n);
    routeAgain = true;
    // Dated flows before the hydrograph's first date were not added: said, not lost silently.
    if (left > 0)
        dialogs.msgBox(QString::number(left) + (left == 1 ? QStringLiteral(" flow of ") : QStringLiteral(" flows of ")) +
                       path + QStringLiteral(" dated before the hydrograph's first time (") +
                       QString::fromStdString(formatDate(s.rrtime(1) - stepDays(s.udur), "dd hh:mm")) +
                       (left == 1 ? QStringLiteral(") was") : QStringLiteral(") were")) + QStringLiteral(" left out."));
    return route::kCombined;
}

QString timeStepBoxText(float udur, const QString& Label14)
{
    const float shown = Label14.contains(QLatin1String("minutes")) ? udur * 60.0f : udur;
    return QString::fromStdString(shortestText(shown));
}

}  // namespace corv
