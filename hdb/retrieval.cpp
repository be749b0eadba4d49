// Rainfall and flow series retrieval (see retrieval.h).
#include "hdb/retrieval.h"

#include <QDir>
#include <QLocale>
#include <QVariant>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "common/dates.h"
#include "common/dialogs.h"
#include "common/guard.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/save_file.h"
#include "hdb/connection.h"
#include "hdb/timestamp.h"

namespace corv {

namespace {

// The most steps (and flow lines) a series holds: its counts are 16-bit.
constexpr double kMaxSteps = 32767;
// Rows read at most: far more than any series the counts can hold.
constexpr std::size_t kMaxRows = std::size_t{1} << 22;
// Dates closer than half a millisecond are one time.
constexpr double kSameTime = 0.5 / 86400000.0;

struct Row {
    double date;  // day number
    float value;  // value x factor
};

// A station's rows for the period: in time order, each time once.
struct Series {
    std::vector<Row> rows;
    QString table;
    QString where;  // "station 12 in rhour, 05-Dec-2026 00:00 to 06-Dec-2026 00:00"
    int duplicates = 0;
    double firstDuplicate = 0;
};

// A retrieval that ended with a message of its own: obs becomes 0, nothing more is said.
struct Ended {
    RetrievalEnd end = RetrievalEnd::Told;
};

// The manual step in hours: the time-step box, in minutes when its label says so.
float manualStep(const RetrievalInputs& in)
{
    float udur = toSingle(Val(in.txtGraphtimestep.toStdString()));
    if (in.Label14.contains(QLatin1String("minute"))) udur /= 60.0f;
    return udur;
}

// One step of udur hours in days, divided in double as dates are.
double stepDays(float udur) { return static_cast<double>(udur) / 24.0; }

// A row's date as the messages name it, seconds only when it has some.
QString dateText(double date)
{
    const bool seconds = splitDate(date).second != 0;
    return QString::fromStdString(formatDate(date, seconds ? "dd-mmm-yyyy hh:nn:ss" : "dd-mmm-yyyy hh:nn"));
}

// Tells what is wrong with the series and ends the retrieval.
[[noreturn]] void refuse(Dialogs& dialogs, const QString& where, const QString& what)
{
    dialogs.msgBox(QStringLiteral("The ") + where + QStringLiteral(": ") + what);
    throw Ended{};
}

[[noreturn]] void tooManySteps(Dialogs& dialogs, const QString& where, double steps)
{
    refuse(dialogs, where,
           QStringLiteral("the period holds ") + QLocale(QLocale::English).toString(steps, 'f', 0) +
               QStringLiteral(" values, more than 32,767: choose a shorter period or a longer time step."));
}

// The period's bounds at whole hours, as the query writes them.
double wholeHour(double date) { return *parseTimestamp(formatDate(date, "yyyy-mm-dd hh:00:00")); }

[[noreturn]] void unreadableStamp(Dialogs& dialogs, const QString& where, const QString& stamp)
{
    refuse(dialogs, where,
           QStringLiteral("the date_time \"") + stamp.left(40) +
               QStringLiteral("\" cannot be read as a date and time; write it as yyyy-mm-dd hh:mm:ss."));
}

// A row's value, read as text and converted by the program (a driver would read '5,5'
// as 5 and '12 cfs' as 12), times the factor.
float rowValue(Dialogs& dialogs, const QString& where, double date, const QVariant& value, float factor)
{
    const QString text = value.toString();
    if (value.isNull() || text.trimmed().isEmpty())
        refuse(dialogs, where, QStringLiteral("the row of ") + dateText(date) + QStringLiteral(" has no value."));
    double v = 0;
    try {
        v = toOneNumber(text.toStdString()) * factor;
    } catch (const RuntimeError&) {
        refuse(dialogs, where,
               QStringLiteral("the value \"") + text.left(40) + QStringLiteral("\" of ") + dateText(date) +
                   QStringLiteral(" is not one number; write it with a point for decimals and without units."));
    }
    if (!(std::fabs(v) <= FLT_MAX))
        refuse(dialogs, where,
               QStringLiteral("the value ") + QString::number(v) + QStringLiteral(" of ") + dateText(date) +
                   QStringLiteral(" is beyond the range of numbers the program computes with."));
    return static_cast<float>(v);
}

// The start both retrievals share: table and station, the checks made before any
// query, the query, and every row of the period read, factored, put in time order and
// checked. Ends with a message when there is nothing to work on.
Series readSeries(double bdate, double edate, const QString& myDB, const RetrievalInputs& in, Dialogs& dialogs)
{
    Series series;
    series.table = valueTable(in.ComboUnits);
    const QString id = in.ComboDSID.section(QLatin1Char(' '), 0, 0);
    if (id == QLatin1String("DSID")) {
        dialogs.msgBox(QStringLiteral("Select station to retrieve"));
        throw Ended{};
    }
    bool isNumber = false;
    const qlonglong station = id.trimmed().toLongLong(&isNumber);
    if (!isNumber || id.trimmed() != id) {
        dialogs.msgBox(QStringLiteral("The station entry \"") + in.ComboDSID +
                       QStringLiteral("\" does not start with a station number: select a station from the list."));
        throw Ended{};
    }
    if (!in.chkAutoTimeStep && !(manualStep(in) > 0)) {
        dialogs.msgBox(QStringLiteral("The hydrograph time step must be greater than zero."));
        throw Ended{};
    }
    const double first = wholeHour(bdate), last = wholeHour(edate);
    const QString& where = series.where = QStringLiteral("series of station ") + id + QStringLiteral(" in ") +
                                          series.table + QStringLiteral(", ") + dateText(first) +
                                          QStringLiteral(" to ") + dateText(last);
    const float factor = toSingle(Val(in.txtRainAdjust.toStdString()));

    HdbConnection connection(myDB);
    QSqlQuery q = connection.select(seriesQuery(series.table, station, first, last));
    std::vector<Row>& rows = series.rows;
    while (q.next()) {
        if (rows.size() >= kMaxRows)
            tooManySteps(dialogs, where, static_cast<double>(kMaxRows));
        const QVariant date = q.value(0);
        if (date.isNull()) refuse(dialogs, where, QStringLiteral("a row has no date_time: nothing was retrieved."));
        const QString stamp = date.toString();
        const auto t = parseTimestamp(stamp.toStdString());
        if (!t) unreadableStamp(dialogs, where, stamp);
        // The query takes whole years: the program keeps the period.
        if (*t < first - kSameTime || *t > last + kSameTime) continue;
        rows.push_back(Row{*t, rowValue(dialogs, where, *t, q.value(1), factor)});
    }
    if (rows.empty()) {
        // Stamps the program cannot read sort outside any year as text (12/05/2026,
        // 1796432400): a station written so is named, not taken for one without data.
        QSqlQuery all = connection.select(stampsQuery(series.table, station));
        while (all.next()) {
            const QString stamp = all.value(0).toString();
            if (!all.value(0).isNull() && !parseTimestamp(stamp.toStdString())) unreadableStamp(dialogs, where, stamp);
        }
        dialogs.msgBox(QStringLiteral("No data in ") + series.table + QStringLiteral(" for time period."));
        throw Ended{RetrievalEnd::NoRows};
    }
    // Stamps stored as text need not sort as times.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.date < b.date; });
    std::size_t kept = 0;
    for (std::size_t k = 1; k < rows.size(); ++k) {
        if (rows[k].date - rows[kept].date < kSameTime) {
            if (rows[k].value != rows[kept].value)
                refuse(dialogs, where,
                       QStringLiteral("it holds two values, ") + QString::fromStdString(strSingle(rows[kept].value)) +
                           QStringLiteral(" and ") + QString::fromStdString(strSingle(rows[k].value)) +
                           QStringLiteral(", at ") + dateText(rows[k].date) +
                           QStringLiteral(". Keep one of them in the database."));
            if (series.duplicates++ == 0) series.firstDuplicate = rows[k].date;
            continue;
        }
        rows[++kept] = rows[k];
    }
    rows.resize(kept + 1);
    return series;
}

// A row repeated exactly counts once: said after a retrieval that went through.
void tellDuplicates(const Series& series, Dialogs& dialogs)
{
    if (series.duplicates == 0) return;
    dialogs.msgBox(QStringLiteral("The ") + series.where + QStringLiteral(": ") + QString::number(series.duplicates) +
                   QStringLiteral(" row(s) repeat the row before them exactly, the first at ") +
                   dateText(series.firstDuplicate) + QStringLiteral("; each is used once."));
}

// Runs a retrieval's body: a failure is told with its description, and both a
// failure and an ending message give obs = 0. Pending window events run at the end.
template <class F>
RetrievalEnd retrieve(std::int16_t& obs, const RetrievalInputs& in, Dialogs& dialogs, F&& body)
{
    RetrievalEnd end = RetrievalEnd::Told;
    const bool ok = guarded(dialogs, [&] {
        try {
            body();
            end = RetrievalEnd::Series;
        } catch (const Ended& e) {
            end = e.end;
        }
    });
    if (!ok || end != RetrievalEnd::Series) obs = 0;
    if (in.processEvents) in.processEvents();
    return ok ? end : RetrievalEnd::Told;
}

// Where a date lies on the grid of steps from t1, in steps. Within a thousandth of a
// step of a boundary it is on it: day numbers near 45,000 hold a step only to about
// 1E-10 of itself, and a single-precision step to 1E-07, which over 32,767 steps
// would open a sliver of a step at the end.
double gridPosition(double date, double t1, double step)
{
    const double p = (date - t1) / step;
    return std::fabs(p - std::round(p)) < 1E-03 ? std::round(p) : p;
}

}  // namespace

QString valueTable(const QString& ComboUnits)
{
    return ComboUnits.contains(QLatin1String("Hour")) ? QStringLiteral("rhour") : QStringLiteral("runit");
}

QString seriesQuery(const QString& table, qlonglong id, double first, double last)
{
    // Every stamp of a year starts with that year as text, and a stamp as text may lack
    // the leading zeros that would make months and days compare: the bounds are the last
    // day of the year before and the new year after, which a timestamp column compares
    // alike. Text that starts below any digit (a stamp with a leading blank) sorts before
    // 1900, the earliest date every common date type holds: it is read too, for the
    // program to place or refuse (and a timestamp column's rows before 1900, if any, are
    // read and dropped).
    auto stamp = [](int year, const char* rest) {
        return QStringLiteral("{ts '") + QString::number(year).rightJustified(4, QLatin1Char('0')) +
               QLatin1String(rest) + QStringLiteral("'}");
    };
    return QStringLiteral("Select CAST(date_time AS VARCHAR(40)), CAST(value AS VARCHAR(40)) from ") + table +
           QStringLiteral(" where datatype_site_id=") + QString::number(id) + QStringLiteral(" and (date_time between ") +
           stamp(splitDate(first).year - 1, "-12-31 00:00:00") + QStringLiteral(" and ") +
           stamp(splitDate(last).year + 1, "-01-01 00:00:00") + QStringLiteral(" or date_time < ") +
           stamp(1900, "-01-01 00:00:00") + QStringLiteral(") order by date_time;");
}

QString stampsQuery(const QString& table, qlonglong id)
{
    return QStringLiteral("Select CAST(date_time AS VARCHAR(40)) from ") + table +
           QStringLiteral(" where datatype_site_id=") + QString::number(id) + QLatin1Char(';');
}

void appendFlowLine(QByteArray& out, double date, float value)
{
    out += formatDate(date, "dd hh:mm");
    out += '\t';
    out += printSingle(value);
    out += "\r\n";
}

RainfallRetrieval GetHDB(double bdate, double edate, std::int16_t& obs, std::int16_t& missing, float& udur,
                         VArray<double>& rrtime, VArray<float>& rdepth, float& tdepth, const QString& myDB,
                         const RetrievalInputs& in, Dialogs& dialogs)
{
    RainfallRetrieval result;
    result.end = retrieve(obs, in, dialogs, [&] {
        const Series series = readSeries(bdate, edate, myDB, in, dialogs);
        const std::vector<Row>& rows = series.rows;
        for (const Row& row : rows)
            if (row.value < 0)
                refuse(dialogs, series.where,
                       QStringLiteral("the rainfall ") + QString::fromStdString(strSingle(row.value)) +
                           QStringLiteral(" of ") + dateText(row.date) + QStringLiteral(" is negative."));
        const double t1 = rows.front().date;
        // The records' own step: from the first row to the next (the rows are in time
        // order, each time once), in whole milliseconds; a single row has 99 days.
        double record = rows.size() > 1 ? std::round((rows[1].date - t1) * 86400000.0) / 86400000.0 : 99;
        double step = record;
        if (in.chkAutoTimeStep) {
            udur = toSingle(record * 24);
        } else {
            udur = manualStep(in);
            step = stepDays(udur);
            // A single row has no step of its own: it fills one step.
            if (rows.size() == 1) record = step;
        }

        // Each record's depth spread evenly over the interval that ends at its stamp,
        // from one record step before it or the record before, whichever is later; an
        // absent record (a gap of at least half a record step) repeats the depth
        // before it.
        struct Piece {
            double start, end;
            float depth;      // of the whole piece
            bool filled;
            double records;   // records in it: absent ones filled together, or 1
        };
        std::vector<Piece> pieces;
        pieces.reserve(rows.size());
        result.recordedDepth = 0;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const double t = rows[k].date;
            const double before = k > 0 ? rows[k - 1].date : t - record;
            const double start = std::max(t - record, before);
            const double absent = std::round((start - before) / record);
            if (absent >= 1) pieces.push_back(Piece{before, start, toSingle(rows[k - 1].value * absent), true, absent});
            pieces.push_back(Piece{start, t, rows[k].value, false, 1});
            result.recordedDepth += rows[k].value;
        }
        // The steps start with the first record's interval; coarser steps end at whole
        // multiples of the step from midnight, as hourly sums end on the hour, and start
        // with the step in which the first record's interval ends.
        const bool coarser = step > record;
        // Whole records only where a step holds a whole number of them: 10-minute records
        // taken whole into 15-minute steps would give steady rain as x, 2x, x, 2x.
        const double perStep = step / record;
        const bool wholeRecords = coarser && std::fabs(perStep - std::round(perStep)) < 1e-6;
        double t0 = t1 - record;
        if (coarser) {
            const double midnight = std::floor(t0);
            t0 = midnight + (std::ceil(gridPosition(t1, midnight, step)) - 1) * step;
        }
        const double steps = std::ceil(gridPosition(rows.back().date, t0, step));
        if (steps > kMaxSteps) tooManySteps(dialogs, series.where, steps);
        const auto n = static_cast<std::int16_t>(std::max(steps, 1.0));

        std::vector<double> depth(static_cast<std::size_t>(n) + 1, 0.0);
        std::vector<bool> filled(depth.size(), false);
        auto add = [&](const Piece& p, long c, double share) {
            depth[static_cast<std::size_t>(c) + 1] += p.depth * share;
            if (p.filled) filled[static_cast<std::size_t>(c) + 1] = true;
        };
        for (const Piece& p : pieces) {
            const double a = gridPosition(p.start, t0, step), b = gridPosition(p.end, t0, step);
            if (wholeRecords) {
                // Each record whole, in the step its interval ends in (a stamp on a step's
                // end in that step): split, a record off the grid would lend depth to the
                // step before.
                for (double j = 1; j <= p.records; ++j) {
                    const double end = gridPosition(p.start + (p.end - p.start) * j / p.records, t0, step);
                    add(p, std::clamp<long>(static_cast<long>(std::ceil(end)) - 1, 0, n - 1), 1 / p.records);
                }
                continue;
            }
            const long firstStep = std::min<long>(static_cast<long>(std::floor(a)), n - 1);
            const long lastStep = std::max(firstStep, std::min<long>(static_cast<long>(std::ceil(b)) - 1, n - 1));
            for (long c = firstStep; c <= lastStep; ++c) {
                const double share = b - a > 1E-09 ? (std::min(b, c + 1.0) - std::max(a, double(c))) / (b - a) : 1;
                if (share > 0) add(p, c, share);
            }
        }
        // One entry more: the step after the rain, dry, which the report's rows show.
        rrtime.redim(n + 1L);
        rdepth.redim(n + 1L);
        missing = 0;
        tdepth = 0;
        for (long i = 1; i <= n + 1L; ++i) {
            rrtime(i) = t0 + static_cast<double>(i) * step;
            if (i > n) break;
            rdepth(i) = static_cast<float>(depth[static_cast<std::size_t>(i)]);
            tdepth += rdepth(i);
            if (filled[static_cast<std::size_t>(i)]) ++missing;
        }
        obs = n;
        tellDuplicates(series, dialogs);
    });
    return result;
}

RetrievalEnd GetHDBQ(double bdate, double edate, std::int16_t& obs, float& udur, const QString& myDB,
                     const RetrievalInputs& in, Dialogs& dialogs)
{
    return retrieve(obs, in, dialogs, [&] {
        const Series series = readSeries(bdate, edate, myDB, in, dialogs);
        const std::vector<Row>& rows = series.rows;
        if (rows.size() < 2) {
            dialogs.msgBox(QStringLiteral("Only one flow value in ") + series.table +
                           QStringLiteral(" for time period: a flow series needs at least two."));
            throw Ended{};
        }
        const double t1 = rows[0].date;
        const double t2 = rows[1].date;
        double step = 0;
        if (in.chkAutoTimeStep) {
            udur = toSingle(std::nearbyint((t2 - t1) * 24 * 1E7) / 1E7);
            step = t2 - t1;
        } else {
            udur = manualStep(in);
            step = stepDays(udur);
        }
        // About a minute: a row that comes a little late opens no gap.
        step += 0.0007;
        // Lines written: the rows, and in each gap one filled line a step until less
        // than a step and the tolerance remain.
        double lines = static_cast<double>(rows.size());
        for (std::size_t k = 1; k < rows.size(); ++k) {
            const double gap = rows[k].date - rows[k - 1].date;
            if (gap > step) lines += std::ceil((gap - step) / stepDays(udur));
        }
        if (lines > kMaxSteps) tooManySteps(dialogs, series.where, lines);

        QByteArray out;
        out.reserve(static_cast<qsizetype>(lines) * 20 + 16);
        out += "Time\tRunoff\r\n";
        if (in.processEvents) in.processEvents();
        double tPrev = t1;
        std::int16_t missing = 0;
        std::int16_t written = 0;
        float prev = 0;
        for (const Row& row : rows) {
            while (row.date - tPrev > step) {
                missing = add16(missing, 1);
                tPrev = tPrev + stepDays(udur);
                appendFlowLine(out, tPrev, prev);
                written = add16(written, 1);
            }
            appendFlowLine(out, row.date, row.value);
            written = add16(written, 1);
            prev = row.value;
            tPrev = row.date;
        }
        // A scratch file rewritten on every retrieval: not forced to disk.
        saveFile(QDir(in.folder).filePath(QStringLiteral("TmpHDB.GRF")), out, {.durable = false, .replaceLink = true});
        obs = written;
        tellDuplicates(series, dialogs);
        if (missing != 0)
            dialogs.msgBox(QString::number(missing) + QStringLiteral(" missing flows added to match time-step"));
    });
}

}  // namespace corv
