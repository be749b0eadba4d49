// A hydrologic database for the tests: an SQLite file through the SQLite ODBC driver,
// or the server that HDB_TEST_CONNECTION names (the PostgreSQL run), filled with the
// stations and series the tests read.
#pragma once

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <stdexcept>

namespace hdbtest {

// Qt's database drivers are plugins found through the application object.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "hdb_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// The connection string of the database under test.
inline QString testConnection(const QTemporaryDir& dir)
{
    const QByteArray server = qgetenv("HDB_TEST_CONNECTION");
    if (!server.isEmpty()) return QString::fromUtf8(server);
    return QStringLiteral("Driver=SQLite3;Database=") + dir.filePath(QStringLiteral("hdb.db")) + QLatin1Char(';');
}

class Database {
public:
    explicit Database(const QString& connection) : name_(QStringLiteral("test-filler"))
    {
        ensureApplication();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
        db.setDatabaseName(connection);
        if (!db.open()) throw std::runtime_error(db.lastError().text().toStdString());
    }
    ~Database()
    {
        QSqlDatabase::database(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(name_));
        if (!q.exec(sql)) throw std::runtime_error((sql + ": " + q.lastError().text()).toStdString());
    }
    QSqlDatabase db() { return QSqlDatabase::database(name_); }

    // Fresh tables: rsite, rhour, runit.
    void createTables()
    {
        for (const char* t : {"rsite", "rhour", "runit"}) exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
        exec("CREATE TABLE rsite (datatype_site_id integer, datatype_name varchar(40), unit_name varchar(20), "
             "site_name varchar(60), datatype_id integer)");
        for (const char* t : {"rhour", "runit"})
            exec(QStringLiteral("CREATE TABLE ") + t +
                 " (datatype_site_id integer, date_time timestamp, value double precision)");
    }

    // Rows of one station: "yyyy-mm-dd hh:mm:ss" and a value text ("NULL" for none).
    void addRows(const char* table, int id, std::initializer_list<std::pair<const char*, const char*>> rows)
    {
        for (const auto& [when, value] : rows)
            exec(QStringLiteral("INSERT INTO %1 VALUES (%2, '%3', %4)").arg(table).arg(id).arg(when, value));
    }

private:
    QString name_;
};

// The stations and series of the tests.
inline void fillSample(Database& d)
{
    d.createTables();
    d.exec("INSERT INTO rsite VALUES (12, 'precip', 'in', 'Beta', 10)");
    d.exec("INSERT INTO rsite VALUES (11, 'precip', NULL, 'Alpha', 10)");
    d.exec("INSERT INTO rsite VALUES (13, 'precip', 'mm', 'Gamma', 10)");
    d.exec("INSERT INTO rsite VALUES (21, 'flow', 'cfs', 'Zulu Creek', 1)");
    d.exec("INSERT INTO rsite VALUES (22, 'flow', 'cfs', 'Mill Creek', 30)");
    d.exec("INSERT INTO rsite VALUES (23, 'gage height', 'ft', 'Mill Creek', 65)");
    // Hourly rain with the 03:00 hour missing, and a row outside the period.
    d.addRows("rhour", 12, {{"2026-12-05 01:00:00", "0.1"}, {"2026-12-05 02:00:00", "0.2"},
                            {"2026-12-05 04:00:00", "0.3"}, {"2026-12-07 01:00:00", "9"}});
    // A null value among the rows.
    d.addRows("rhour", 13, {{"2026-12-05 01:00:00", "0.1"}, {"2026-12-05 02:00:00", "NULL"}});
    // Unit rain every 15 minutes, then every 5 minutes.
    d.addRows("runit", 12, {{"2026-12-05 00:00:00", "0.01"}, {"2026-12-05 00:15:00", "0.02"},
                            {"2026-12-05 00:30:00", "0.03"}, {"2026-12-05 00:45:00", "0.04"},
                            {"2026-12-05 01:00:00", "0.05"}, {"2026-12-05 01:05:00", "0.06"},
                            {"2026-12-05 01:10:00", "0.07"}, {"2026-12-05 01:15:00", "0.08"},
                            {"2026-12-05 01:20:00", "0.09"}, {"2026-12-05 01:25:00", "0.1"}});
    // Unit rain every half hour, three rows with a gap.
    d.addRows("runit", 11, {{"2026-12-05 00:00:00", "0.5"}, {"2026-12-05 00:30:00", "0.25"},
                            {"2026-12-05 01:30:00", "0.125"}});
    // Flows: a gap after 00:15, and a row 45 seconds late.
    d.addRows("runit", 22, {{"2026-12-05 00:00:00", "10"}, {"2026-12-05 00:15:00", "0.5"},
                            {"2026-12-05 01:00:00", "-2"}});
    d.addRows("runit", 21, {{"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:15:00", "2"},
                            {"2026-12-05 00:30:45", "3"}});
    d.addRows("rhour", 21, {{"2026-12-05 06:00:00", "4"}});
}

}  // namespace hdbtest
