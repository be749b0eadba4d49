// Rainfall and flow series retrieval (see retrieval.h).
#include "hdb/retrieval.h"

#include <QDateTime>
#include <QDir>
#include <QVariant>
#include <cmath>
#include <vector>

#include "common/dates.h"
#include "common/dialogs.h"
#include "common/guard.h"
#include "common/numbers.h"
#include "common/save_file.h"
#include "hdb/connection.h"

namespace corv {

namespace {

struct Row {
    double date;   // day number
    double value;  // as stored
};

// A retrieval that ended with a message of its own: obs becomes 0, nothing more is said.
struct Ended {};

// The manual step in hours: the time-step box, in minutes when its label says so.
float manualStep(const RetrievalInputs& in)
{
    float udur = toSingle(Val(in.txtGraphtimestep.toStdString()));
    if (in.Label14.contains(QLatin1String("minute"))) udur /= 60.0f;
    return udur;
}

// One step of udur hours in days, divided in double as dates are.
double stepDays(float udur) { return static_cast<double>(udur) / 24.0; }

// The driver hands a timestamp over as a local date-time. Recorded series are kept in
// standard time or UTC, so a row in the hour that a daylight-saving change skips (no
// valid local time) is an ordinary row: its date and clock fields are what count.
double dayNumber(const QVariant& v)
{
    const QDateTime dt = v.toDateTime();
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (!d.isValid() || !t.isValid()) err::raise(err::kTypeMismatch);
    return makeDate(d.year(), d.month(), d.day()) + t.msecsSinceStartOfDay() / 86400000.0;
}

// The start both retrievals share: table and station, the checks made before any
// query, the query, and every row read (counted as read: no driver is trusted to
// count them). Ends with a message when there is nothing to work on.
std::vector<Row> readSeries(double bdate, double edate, const QString& myDB, const RetrievalInputs& in,
                            Dialogs& dialogs, QString& table)
{
    table = valueTable(in.ComboUnits);
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

    HdbConnection connection(myDB);
    QSqlQuery q = connection.select(seriesQuery(table, station, bdate, edate));
    std::vector<Row> rows;
    std::int16_t count = 0;
    while (q.next()) {
        count = add16(count, 1);
        const QVariant date = q.value(0);
        const QVariant value = q.value(1);
        if (date.isNull() || value.isNull()) {
            dialogs.msgBox(QStringLiteral("A row of ") + table + QStringLiteral(" for station ") + id +
                           QStringLiteral(" has no date_time or no value: nothing was retrieved."));
            throw Ended{};
        }
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok) err::raise(err::kTypeMismatch);
        rows.push_back(Row{dayNumber(date), v});
    }
    if (rows.empty()) {
        dialogs.msgBox(QStringLiteral("No data in ") + table + QStringLiteral(" for time period."));
        throw Ended{};
    }
    return rows;
}

// Steps for the period, as a check and as the arrays' first size: a zero step
// divides by zero, more than 32767 steps overflow.
std::int16_t estimatedSteps(double bdate, double edate, float udur)
{
    return toInt16(divide(((edate - bdate) + 1) * 24, udur));
}

// Runs a retrieval's body: a failure is told with its description, and both a
// failure and an ending message give obs = 0. Pending window events run at the end.
template <class F>
void retrieve(std::int16_t& obs, const RetrievalInputs& in, Dialogs& dialogs, F&& body)
{
    bool ended = false;
    const bool ok = guarded(dialogs, [&] {
        try {
            body();
        } catch (const Ended&) {
            ended = true;
        }
    });
    if (!ok || ended) obs = 0;
    if (in.processEvents) in.processEvents();
}

}  // namespace

QString valueTable(const QString& ComboUnits)
{
    return ComboUnits.contains(QLatin1String("Hour")) ? QStringLiteral("rhour") : QStringLiteral("runit");
}

QString seriesQuery(const QString& table, qlonglong id, double bdate, double edate)
{
    auto stamp = [](double date) {
        return QStringLiteral("{ts '") + QString::fromStdString(formatDate(date, "yyyy-mm-dd hh:00:00")) +
               QStringLiteral("'}");
    };
    return QStringLiteral("Select date_time, value from ") + table + QStringLiteral(" where datatype_site_id=") +
           QString::number(id) + QStringLiteral(" and date_time between ") + stamp(bdate) + QStringLiteral(" and ") +
           stamp(edate) + QStringLiteral(" order by date_time;");
}

void appendFlowLine(QByteArray& out, double date, float value)
{
    out += formatDate(date, "dd hh:mm");
    out += '\t';
    out += printSingle(value);
    out += "\r\n";
}

void GetHDB(double bdate, double edate, std::int16_t& obs, std::int16_t& missing, float& udur, VArray<double>& rrtime,
            VArray<float>& rdepth, float& tdepth, const QString& myDB, const RetrievalInputs& in, Dialogs& dialogs)
{
    retrieve(obs, in, dialogs, [&] {
        QString table;
        const std::vector<Row> rows = readSeries(bdate, edate, myDB, in, dialogs, table);
        const double t1 = rows.front().date;
        double step = 0;
        if (in.chkAutoTimeStep) {
            // The smallest distance from the first row to the next nine.
            double smallest = 99;
            for (std::size_t k = 1; k < rows.size() && k < 10; ++k) {
                const double d = rows[k].date - t1;
                if (d < smallest && d > 1E-07) smallest = d;
            }
            step = smallest;
            udur = toSingle(smallest * 24);
        } else {
            udur = manualStep(in);
            step = stepDays(udur);
        }
        // A row a hair late is no gap.
        step += 1E-07;

        obs = estimatedSteps(bdate, edate, udur);
        missing = 0;
        tdepth = 0;
        const float factor = toSingle(Val(in.txtRainAdjust.toStdString()));
        rrtime.redim(obs);
        rdepth.redim(obs);

        std::int16_t i = 0;
        double tNext = t1;
        float prev = 0;
        auto store = [&](double t, float v) {
            if (i > rrtime.ubound()) {
                rrtime.redimPreserve(i);
                rdepth.redimPreserve(i);
            }
            rrtime(i) = t;
            rdepth(i) = v;
            tdepth += v;
        };
        for (const Row& row : rows) {
            i = add16(i, 1);
            const float v = toSingle(row.value * factor);
            // A gap repeats the last value at steps up to the one before the row.
            while (tNext < row.date) {
                store(tNext, prev);
                missing = add16(missing, 1);
                tNext += step;
                i = add16(i, 1);
            }
            store(row.date, v);
            prev = v;
            tNext = row.date + step;
        }
        obs = i;
    });
}

void GetHDBQ(double bdate, double edate, std::int16_t& obs, float& udur, const QString& myDB,
             const RetrievalInputs& in, Dialogs& dialogs)
{
    retrieve(obs, in, dialogs, [&] {
        QString table;
        const std::vector<Row> rows = readSeries(bdate, edate, myDB, in, dialogs, table);
        if (rows.size() < 2) {
            dialogs.msgBox(QStringLiteral("Only one flow value in ") + table +
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
        estimatedSteps(bdate, edate, udur);
        const float factor = toSingle(Val(in.txtRainAdjust.toStdString()));

        QByteArray out;
        out.reserve(static_cast<qsizetype>(rows.size()) * 20 + 16);
        out += "Time\tRunoff\r\n";
        if (in.processEvents) in.processEvents();
        double tPrev = t1;
        std::int16_t missing = 0;
        std::int16_t lines = 0;
        float prev = 0;
        for (const Row& row : rows) {
            const float v = toSingle(row.value * factor);
            while (row.date - tPrev > step) {
                missing = add16(missing, 1);
                tPrev = tPrev + stepDays(udur);
                appendFlowLine(out, tPrev, prev);
                lines = add16(lines, 1);
            }
            appendFlowLine(out, row.date, v);
            lines = add16(lines, 1);
            prev = v;
            tPrev = row.date;
        }
        // A scratch file rewritten on every retrieval: not forced to disk.
        saveFile(QDir(in.folder).filePath(QStringLiteral("TmpHDB.GRF")), out, {.durable = false, .replaceLink = true});
        obs = lines;
        if (missing != 0)
            dialogs.msgBox(QString::number(missing) + QStringLiteral(" missing flows added to match time-step"));
    });
}

}  // namespace corv
