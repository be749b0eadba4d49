// A hydrologic database for the tests: an SQLite file through the SQLite ODBC driver,
// or the server that HDB_TEST_CONNECTION names (the PostgreSQL run), filled with the
// stations and series the tests read.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <stdexcept>

#include "support/core_application.h"

namespace hdbtest {

// The connection string of the database under test.
inline QString testConnection(const QTemporaryDir& dir)
{
    const QByteArray server = qgetenv("HDB_TEST_CONNECTION");
    if (!server.isEmpty()) return QString::fromUtf8(server);
    return QStringLiteral("Driver=SQLite3;Database=") + dir.filePath(QStringLiteral("hdb.db")) + QLatin1Char(';');
}

class Database {
public:
    explicit Database(const QString& connection)
    {
        corv::test::ensureCoreApplication();
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
    // Rows of a station: "hh:mm" or "hh:mm:ss" on 05-Dec-2026, or a whole
    // "yyyy-mm-dd hh:mm:ss"; the value as SQL text ("NULL" for none).
    void addRows(const char* table, int id, std::initializer_list<std::pair<QString, const char*>> rows)
    {
        for (const auto& [when, value] : rows) {
            const QString at = when.size() > 8 ? when : "2026-12-05 " + when + (when.size() == 5 ? ":00" : "");
            exec(QStringLiteral("INSERT INTO %1 VALUES (%2, '%3', %4)").arg(table).arg(id).arg(at, value));
        }
    }

private:
    QString name_ = QStringLiteral("test-filler");
};

// The stations and series of the tests, in fresh tables rsite, rhour and runit.
inline void fillSample(Database& d)
{
    for (const char* t : {"rsite", "rhour", "runit"}) d.exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
    d.exec("CREATE TABLE rsite (datatype_site_id integer, datatype_name varchar(40), unit_name varchar(20), "
           "site_name varchar(60), datatype_id integer)");
    for (const char* t : {"rhour", "runit"})
        d.exec(QStringLiteral("CREATE TABLE ") + t + " (datatype_site_id integer, date_time timestamp, value double precision)");
    d.exec("INSERT INTO rsite VALUES (12, 'precip', 'in', 'Beta', 10), (11, 'precip', NULL, 'Alpha', 10), "
           "(13, 'precip', 'mm', 'Gamma', 10), (21, 'flow', 'cfs', 'Zulu Creek', 1), "
           "(22, 'flow', 'cfs', 'Mill Creek', 30), (23, 'gage height', 'ft', 'Mill Creek', 65)");
    // Hourly rain with the 03:00 hour missing, and a row outside the period.
    d.addRows("rhour", 12, {{"01:00", "0.1"}, {"02:00", "0.2"}, {"04:00", "0.3"}, {"2026-12-07 01:00:00", "9"}});
    // A null value among the rows.
    d.addRows("rhour", 13, {{"01:00", "0.1"}, {"02:00", "NULL"}});
    // Unit rain every 15 minutes, then every 5 minutes: 0.01 at 00:00 rising by 0.01 to 0.1 at 01:25.
    d.addRows("runit", 12, {{"00:00", "0.01"}, {"00:15", "0.02"}, {"00:30", "0.03"}, {"00:45", "0.04"}, {"01:00", "0.05"},
                            {"01:05", "0.06"}, {"01:10", "0.07"}, {"01:15", "0.08"}, {"01:20", "0.09"}, {"01:25", "0.1"}});
    // Unit rain every half hour, three rows with a gap.
    d.addRows("runit", 11, {{"00:00", "0.5"}, {"00:30", "0.25"}, {"01:30", "0.125"}});
    // Three equal rows at 00:00, then one at 01:00; the same (once) and a row a year later.
    d.addRows("runit", 14, {{"00:00", "1"}, {"00:00", "1"}, {"00:00", "1"}, {"01:00", "2"}});
    d.addRows("runit", 36, {{"00:00", "1"}, {"01:00", "2"}, {"2027-12-05 00:00:00", "1"}});
    // Stamps as text without seconds or a leading zero, which sort before 10:00 as text.
    d.addRows("runit", 35, {{"2026-12-05 10:00:00", "0.3"}, {"2026-12-05 9:00", "0.1"}, {"2026-12-05 9:30", "0.2"}});
    // Bad records: two values at one time, negative rain, a value beyond single range,
    // and (where the database keeps text as it is given) a stamp that names no time.
    d.addRows("rhour", 31, {{"01:00", "0.1"}, {"01:00", "0.2"}});
    d.addRows("rhour", 32, {{"01:00", "0.1"}, {"02:00", "-0.1"}});
    d.addRows("rhour", 33, {{"01:00", "1e39"}, {"02:00", "1"}});
    if (qgetenv("HDB_TEST_CONNECTION").isEmpty()) d.addRows("rhour", 34, {{"2026-12-05 25:00", "1"}});
    // Stamps as text with a one-digit day or month, which sort after '2026-12-10' and
    // '2026-01-31' as text: 0.1 in every hour of the 9th and the 10th, and two rows in
    // January, one of them without a time.
    QStringList days;
    for (int day : {9, 10})
        for (int hour = 0; hour < 24; ++hour)
            days << QStringLiteral("(41, '2026-12-%1 %2:00', 0.1)").arg(day).arg(hour, 2, 10, QLatin1Char('0'));
    d.exec("INSERT INTO rhour VALUES " + days.join(", "));
    d.addRows("runit", 42, {{"2026-1-05", "0.2"}, {"2026-1-5 0:30", "0.3"}});
    // 15-minute rain from 00:15 to 02:00: 0.1 rising by 0.1 to 0.8.
    d.addRows("runit", 43, {{"00:15", "0.1"}, {"00:30", "0.2"}, {"00:45", "0.3"}, {"01:00", "0.4"},
                            {"01:15", "0.5"}, {"01:30", "0.6"}, {"01:45", "0.7"}, {"02:00", "0.8"}});
    // Where the database keeps text as it is given: a value with a decimal comma, and a
    // stamp with slashes.
    if (qgetenv("HDB_TEST_CONNECTION").isEmpty()) {
        d.addRows("rhour", 44, {{"01:00", "'5,5'"}, {"02:00", "'2,5'"}});
        d.addRows("rhour", 45, {{"12/05/2026 01:00", "1"}});
        // Values with a blank inside, and a stamp with a leading blank among hourly rain.
        d.addRows("rhour", 46, {{"01:00", "'0.5 2'"}});
        d.addRows("rhour", 47, {{"01:00", "'12 5'"}});
        d.addRows("rhour", 48, {{" 2026-12-05 01:00", "0.1"}, {"02:00", "0.2"}, {"03:00", "0.3"}});
    }
    // Hourly rain off the grid of 2 h steps: 1 at 00:30, 2 at 01:30, 4 at 02:30.
    d.addRows("rhour", 49, {{"00:30", "1"}, {"01:30", "2"}, {"02:30", "4"}});
    // The same with 02:30 and 03:30 absent, then 4 at 04:30.
    d.addRows("rhour", 50, {{"00:30", "1"}, {"01:30", "2"}, {"04:30", "4"}});
    // Flows: a gap after 00:15, and a row 45 seconds late.
    d.addRows("runit", 22, {{"00:00", "10"}, {"00:15", "0.5"}, {"01:00", "-2"}});
    d.addRows("runit", 21, {{"00:00", "1"}, {"00:15", "2"}, {"00:30:45", "3"}});
    d.addRows("rhour", 21, {{"06:00", "4"}});
}

}  // namespace hdbtest
