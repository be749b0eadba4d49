// GetHDB reading 30,000 hourly rainfall rows from an SQLite database (and from the
// PostgreSQL server that HDB_BENCH_POSTGRESQL names, when one is given), against a bare
// QSqlQuery loop reading the same rows over an open connection to the same database;
// the run ends with their ratios (target: at most 2).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <cstdio>
#include <stdexcept>

#include "common/dates.h"
#include "common/dialogs.h"
#include "hdb/retrieval.h"
#include "ratio_reporter.h"

using namespace corv;

namespace {

constexpr int kRows = 30000;
const double kStart = makeDate(2023, 1, 1);
const double kEnd = kStart + kRows / 24.0;

QString g_sqlite;
QString g_postgresql;

void exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) throw std::runtime_error(q.lastError().text().toStdString());
}

// rhour with kRows hours of rain for station 12, in inserts of 500 rows.
void fill(const QString& connection)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "bench-fill");
        db.setDatabaseName(connection);
        if (!db.open()) throw std::runtime_error(db.lastError().text().toStdString());
        exec(db, "DROP TABLE IF EXISTS rhour");
        exec(db, "CREATE TABLE rhour (datatype_site_id integer, date_time timestamp, value double precision)");
        db.transaction();
        for (int first = 0; first < kRows; first += 500) {
            QString sql = "INSERT INTO rhour VALUES ";
            for (int i = first; i < first + 500 && i < kRows; ++i) {
                const double when = kStart + i / 24.0;
                sql += QString("%1(12, '%2', %3)")
                           .arg(i == first ? "" : ",")
                           .arg(QString::fromStdString(formatDate(when, "yyyy-mm-dd hh:nn:ss")))
                           .arg((i * 37 % 100) / 1000.0);
            }
            exec(db, sql);
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-fill");
}

RetrievalInputs inputs()
{
    RetrievalInputs in;
    in.ComboDSID = "12 precip in Gauge";
    in.ComboUnits = "Hourly Values";
    in.txtRainAdjust = "1.0";
    return in;
}

void getHDB(benchmark::State& state, const QString& connection)
{
    ScriptedDialogs dialogs;
    const RetrievalInputs in = inputs();
    std::int16_t obs = 0, missing = 0;
    float udur = 0, tdepth = 0;
    VArray<double> rrtime;
    VArray<float> rdepth;
    for (auto _ : state) {
        GetHDB(kStart, kEnd, obs, missing, udur, rrtime, rdepth, tdepth, connection, in, dialogs);
        if (obs != kRows || !dialogs.messages().empty()) state.SkipWithError("GetHDB did not read every row");
    }
}

void bareQuery(benchmark::State& state, const QString& connection)
{
    const QString name = "bench-bare-" + QString::number(qHash(connection));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", name);
        db.setDatabaseName(connection);
        if (!db.open()) state.SkipWithError("no connection");
        const QString sql = seriesQuery("rhour", 12, kStart, kEnd);
        for (auto _ : state) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(sql);
            double sum = 0;
            int rows = 0;
            while (q.next()) {
                // The dates and values come as text; reading them is the bare minimum.
                sum += static_cast<double>(q.value(0).toString().size()) + q.value(1).toDouble();
                ++rows;
            }
            benchmark::DoNotOptimize(sum);
            if (rows != kRows) state.SkipWithError("the query did not read every row");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void sqliteGetHDB(benchmark::State& state) { getHDB(state, g_sqlite); }
void sqliteBareQuery(benchmark::State& state) { bareQuery(state, g_sqlite); }
void postgresqlGetHDB(benchmark::State& state) { getHDB(state, g_postgresql); }
void postgresqlBareQuery(benchmark::State& state) { bareQuery(state, g_postgresql); }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_sqlite = "Driver=SQLite3;Database=" + dir.filePath("bench.db") + ";";
    g_postgresql = qEnvironmentVariable("HDB_BENCH_POSTGRESQL");
    fill(g_sqlite);
    BENCHMARK(sqliteGetHDB)->Apply(corv::bench::medianOfSeven);
    BENCHMARK(sqliteBareQuery)->Apply(corv::bench::medianOfSeven);
    if (!g_postgresql.isEmpty()) {
        fill(g_postgresql);
        BENCHMARK(postgresqlGetHDB)->Apply(corv::bench::medianOfSeven);
        BENCHMARK(postgresqlBareQuery)->Apply(corv::bench::medianOfSeven);
    }
    corv::bench::initialize(argc, argv);
    corv::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("sqliteGetHDB", "sqliteBareQuery", 2.0);
    if (!g_postgresql.isEmpty()) reporter.ratio("postgresqlGetHDB", "postgresqlBareQuery", 2.0);
    benchmark::Shutdown();
    return 0;
}
