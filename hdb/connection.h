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

// The setup file's first line, trimmed; nothing when no normal file of that name exists.
// An empty file is "Input past end of file"; an unreadable one a run-time error.
std::optional<QString> readSetupFile(const QString& path);

// Replaces the setup file with one line: myDB and CR LF. It may hold a password, so
// only its owner may read it.
void writeSetupFile(const QString& path, const QString& myDB);

// An open ODBC connection made from a connection string, closed and removed when it
// goes. Failures to open or to query are run-time errors with the driver's words.
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
    QSqlDatabase db_;
};

// The error number of database failures.
inline constexpr int kDatabaseError = 3146;

}  // namespace corv
