// The hydrograph file reader (see hydrograph_file.h).
#include "runoff/hydrograph_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialogs.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "runoff/number_format.h"
#include "runoff/report_cells.h"
#include "runoff/text_fields.h"

namespace corv {

namespace {

constexpr double kAcreFtPerCfsDay = 1.9835;
// A fresh load starts with room for this many ordinates; longer files grow it.
constexpr long kFreshRoom = 9000;
// The most ordinates a hydrograph holds (counts are 16-bit, routings stop at 32000).
constexpr long kMaxOrdinate = 32000;
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
constexpr long kGrowth = 100;

std::string hydrographFile(const QString& path) { return "The hydrograph file " + path.toStdString(); }

[[noreturn]] void fileError(int number, const QString& path, const std::string& what)
{
    throw RuntimeError(number, hydrographFile(path) + " " + what);
}

std::string lineNo(std::size_t index) { return "line " + std::to_string(index + 1); }

// A "dd hh:mm" time in minutes (the day of the month counts whole days).
struct DayTime {
    double day = 0, hour = 0, minute = 0;
    double minutes() const { return (day * 24 + hour) * 60 + minute; }
    double minuteOfDay() const { return hour * 60 + minute; }
};

DayTime dayTime(std::string_view t, std::size_t colon)
{
    DayTime d;
    d.minute = Val(t.substr(colon + 1));
    std::size_t h = colon;
    while (h > 0 && t[h - 1] != ' ' && t[h - 1] != '\t') --h;
    d.hour = Val(t.substr(h, colon - h));
    d.day = Val(t.substr(0, h));
    return d;
}

// The step between two "dd hh:mm" times in hours. Across the end of a month the day
// number falls: the later time is then taken as on the next day.
float stepBetween(const DayTime& a, const DayTime& b)
{
    double minutes = b.minutes() - a.minutes();
    if (minutes <= 0) {
        minutes = std::fmod(b.minuteOfDay() - a.minuteOfDay(), 1440.0);
        if (minutes <= 0) minutes += 1440;
    }
    return static_cast<float>(minutes / 60.0);
}

// What the file holds, read whole before anything changes.
struct FileRows {
    bool outflowColumn = false;
    std::vector<float> values;
    float step = 0;         // the file's time step in hours, 0 when none was learned
    long stepRow = -1;      // the row that taught it
    bool mismatch = false;  // the rows end at stepRow: its step differs from udur
};

FileRows readRows(const QString& path, float udur)
{
    const QByteArray bytes = readDataFile(path, kMaxFileBytes, hydrographFile(path), "a hydrograph file");
    const std::vector<std::string_view> lines =
        splitLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));

    std::size_t h = 0;
    while (h < lines.size() && lines[h].find("     Time") == std::string_view::npos &&
           lines[h].find("Time\t") == std::string_view::npos && lines[h].find("Time,") == std::string_view::npos)
        ++h;
    if (h == lines.size())
        fileError(err::kInputPastEnd, path,
                  "has no header line naming its columns (\"     Time\" in nine-character cells, or \"Time\" "
                  "followed by a comma or a TAB).");
    const std::string_view header = lines[h];

    FileRows rows;
    const bool fixed = header.find("     Time") != std::string_view::npos;
    const char sep = header.find("Time,") != std::string_view::npos ? ',' : '\t';
    std::size_t column = std::string_view::npos;
    if (fixed) {
        column = header.find("  Outflow");
        rows.outflowColumn = column != std::string_view::npos;
        if (!rows.outflowColumn) column = header.find("   Runoff");
    } else {
        const std::vector<std::string_view> names = splitFields(header, sep);
        for (std::size_t k = 1; k < names.size() && column == std::string_view::npos; ++k) {
            if (names[k].find("Outflow") != std::string_view::npos) column = k, rows.outflowColumn = true;
            else if (names[k].find("Runoff") != std::string_view::npos) column = k;
        }
    }
    if (column == std::string_view::npos)
        fileError(err::kInvalidProcedureCall, path,
                  "has no \"Outflow\" or \"Runoff\" column in its header (" + lineNo(h) + ": \"" + shownLine(header) +
                      "\").");

    const std::string file = hydrographFile(path);
    std::optional<DayTime> firstDayTime;
    bool learning = true;
    for (std::size_t i = h + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        // A blank or nearly blank line ends the data.
        if (line.size() < 3) break;
        std::string_view timeText, valueText;
        std::vector<std::string_view> fields;
        if (fixed) {
            timeText = line.substr(0, kCellWidth);
            if (column < line.size()) valueText = line.substr(column, kCellWidth);
        } else {
            fields = splitFields(line, sep, column + 1);
            timeText = fields[0];
            if (column < fields.size()) valueText = fields[column];
        }
        const auto bad = [&](const char* what) {
            fileError(err::kTypeMismatch, path,
                      std::string("has no number ") + what + " on " + lineNo(i) + " (\"" + shownLine(line) + "\").");
        };

        checkNumberField(valueText, file, static_cast<long>(i) + 1);
        if (learning) {
            checkNumberField(timeText, file, static_cast<long>(i) + 1);
            float step = 0;
            const std::size_t colon = timeText.find(':');
            if (colon != std::string_view::npos) {
                // Day, hour and minute: the step is the time between the first two rows.
                const DayTime t = dayTime(timeText, colon);
                if (firstDayTime) step = stepBetween(*firstDayTime, t);
                else firstDayTime = t;
            } else {
                double t = 0;
                if (!strictNumber(timeText, t)) bad("for the time");
                step = fileSingle(t, timeText, file, static_cast<long>(i) + 1);
            }
            if (step != 0) {
                learning = false;
                if (step < 1) step = static_cast<float>(intFloor(step * 60.0f + 0.1f)) / 60.0f;
                // Times that go back, stand still to the minute or run beyond all
                // numbers give no step to compute with.
                if (!(step > 0) || !std::isfinite(step))
                    fileError(err::kInvalidProcedureCall, path,
                              "gives no time step of a minute or more with its times up to " + lineNo(i) + " (\"" +
                                  shownLine(line) + "\").");
                rows.step = step;
                rows.stepRow = static_cast<long>(rows.values.size());
                if (udur > 0 && std::fabs(udur - step) > 0.001f) {
                    rows.mismatch = true;
                    break;
                }
            }
        }

        double v = 0;
        if (fixed) {
            if (!strictNumber(valueText, v)) bad("in the flow column");
        } else {
            if (!startsWithNumber(valueText)) bad("in the flow column");
            v = fieldValue(valueText);
        }
        if (static_cast<long>(rows.values.size()) > kMaxOrdinate)
            fileError(err::kSubscript, path,
                      "has more than " + std::to_string(kMaxOrdinate + 1) +
                          " rows of flows; a hydrograph holds at most that many ordinates.");
        rows.values.push_back(fileSingle(v, valueText, file, static_cast<long>(i) + 1));
    }
    return rows;
}

// The first highest ordinate of q(0..last).
void peakOf(const VArray<float>& q, long last, float& peak, float& at)
{
    peak = 0;
    at = 0;
    for (long j = 0; j <= last; ++j)
        if (q(j) > peak) peak = q(j), at = static_cast<float>(j);
}

}  // namespace

std::int16_t LoadHydrographFile(const QString& path, ComputeState& s, HydrographLoad mode, bool& routeAgain,
                                Dialogs& dialogs)
{
    const bool fresh = mode == HydrographLoad::Fresh;
    const FileRows rows = readRows(path, fresh ? 0.0f : s.udur);

    if (fresh) {
        s.udur = 0;
        s.maxq = 0;
        routeAgain = false;
        s.it = 0;
        s.qi.redim(kFreshRoom);
        s.qout.redim(kFreshRoom);
    }
    s.volume = 0;
    if (rows.outflowColumn) routeAgain = true;
    if (s.qout.ubound() < 2) {
        // After a compute: the file is added to the computed runoff, and the combined
        // peak is found afresh.
        s.qout.redim(kFreshRoom);
        routeAgain = false;
        s.maxout = 0;
        s.tmaxout = 0;
    }
    if (routeAgain) {
        s.maxq = s.maxout;
        s.tmax = toInt16(s.tmaxout);
    }

    const long itIn = s.it;
    const bool current = itIn != 0;
    const long count = static_cast<long>(rows.values.size());
    const long last = count - 1;
    if (current) {
        const long end = std::max(itIn, last);
        if (s.qi.ubound() < end) s.qi.redimPreserve(end + kGrowth);
        if (s.qout.ubound() < end + 1) s.qout.redimPreserve(end + kGrowth);
        float* qi = s.qi.data();
        float* qo = s.qout.data();
        if (routeAgain) {
            for (long j = 0; j <= last; ++j) {
                if (j <= itIn) qi[j] = qo[j];
                qo[j] += rows.values[static_cast<std::size_t>(j)];
            }
        } else {
            // The computed runoff, with the file's flows added where it has them.
            for (long j = 0; j <= end; ++j) qo[j] = qi[j] + (j <= last ? rows.values[static_cast<std::size_t>(j)] : 0.0f);
        }
    } else {
        if (s.qi.ubound() < last) s.qi.redimPreserve(last + kGrowth);
        if (fresh && s.qout.ubound() < last) s.qout.redimPreserve(last + kGrowth);
        for (long j = 0; j <= last; ++j) {
            const float v = rows.values[static_cast<std::size_t>(j)];
            s.qi(j) = v;
            if (fresh) s.qout(j) = v;
        }
    }
    if (rows.mismatch) dialogs.msgBox(QStringLiteral("Unit durations must match current hydrograph"));
    else if (rows.step != 0 && s.udur == 0) s.udur = rows.step;

    if (fresh) {
        float at = 0;
        peakOf(s.qi, last, s.maxq, at);
        s.tmax = toInt16(at);
        s.maxout = s.maxq;
        s.tmaxout = s.tmax;
        s.rrtime.redim(last);
    }
    if (current) {
        s.it = static_cast<std::int16_t>(std::max(itIn, last));
        s.qout.redimPreserve(s.it + 1);
        peakOf(s.qout, s.it, s.maxout, s.tmaxout);
    }
    // The volume of the whole hydrograph now current.
    const VArray<float>& series = current ? s.qout : s.qi;
    const long to = current ? static_cast<long>(s.it) : last;
    float sum = 0;
    for (long j = 0; j <= to; ++j) sum += series(j);
    s.volume = sum;
    if (s.udur != 0) {
        float v = static_cast<float>(s.volume * kAcreFtPerCfsDay / (24.0f / s.udur));
        s.volume = usgsround(v);
    }
    if (last > s.it) s.it = static_cast<std::int16_t>(last);
    routeAgain = true;
    return last > 2 ? std::int16_t{3} : std::int16_t{0};
}

QString timeStepBoxText(float udur, const QString& Label14)
{
    const float shown = Label14.contains(QLatin1String("minutes")) ? udur * 60.0f : udur;
    return QString::fromStdString(shortestText(shown));
}

}  // namespace corv
