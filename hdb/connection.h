// Hydrologic database access: the setup file's connection string and one ODBC
// connection per database call.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>

namespace corv {

// Name of the setup file in the program's folder; its first line is the ODBC connection string.
inline QString setupFileName() { return QStringLiteral("Corvantine_setup.txt"); }

// The connection string offered when no setup file exists: an SQLite database file
// in the program's folder, through the SQLite 3 ODBC driver.
QString defaultConnection(const QString& folder);

// The longest first line read from the setup file: far more than any connection string.
inline constexpr qint64 kMaxSetupLine = 4096;

// The setup file's first line, trimmed; nothing when no normal file of that name exists
// or its first line is empty or blank (the string is then asked for again). Only that
// line is read; one longer than kMaxSetupLine, or an unreadable file, is a run-time
// error naming the file.
std::optional<QString> readSetupFile(const QString& path);

// Replaces the setup file with one line: myDB and CR LF. It may hold a password, so
// only its owner may read it.
void writeSetupFile(const QString& path, const QString& myDB);

// The database file that an SQLite driver's connection string names (its Database=
// value), or nothing for other drivers.
std::optional<QString> sqliteFile(const QString& myDB);

// The tables and columns read, as the message about a database without them says.
QString expectedTables();

// An open ODBC connection made from a connection string, closed and removed when it
// goes. Failures to open or to query are run-time errors with the driver's words, but
// for two that the words would not explain: an SQLite file that does not exist (the
// driver would create an empty one) is refused naming it, a query that fails on a file
// that is no SQLite database says so, and one that fails on a database without the
// tables and columns read says what is expected.
class HdbConnection {
public:
    explicit HdbConnection(const QString& myDB);
    ~HdbConnection();
    HdbConnection(const HdbConnection&) = delete;
    HdbConnection& operator=(const HdbConnection&) = delete;

    // Runs sql and returns its rows for reading forward.
    QSqlQuery select(const QString& sql);
    QSqlDatabase& database() { return db_; }

private:
    QString name_;
    QString sqliteFile_;  // the SQLite file the connection string names, if any
    QSqlDatabase db_;
};

// The error number of database failures.
inline constexpr int kDatabaseError = 3146;

}  // namespace corv
