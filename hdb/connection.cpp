// Hydrologic database access (see connection.h).
#include "hdb/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>

#include "common/runtime_error.h"
#include "common/save_file.h"

namespace corv {

namespace {

[[noreturn]] void databaseError(const QSqlError& e)
{
    QString text = e.text().trimmed();
    if (text.isEmpty()) text = QStringLiteral("ODBC--call failed.");
    throw RuntimeError(kDatabaseError, text.toStdString());
}

}  // namespace

QString defaultConnection(const QString& folder)
{
    return QStringLiteral("Driver=SQLite3;Database=") + QDir(folder).filePath(QStringLiteral("Corvantine.db")) +
           QLatin1Char(';');
}

std::optional<QString> readSetupFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) err::raise(err::kPermissionDenied);
    // One line: up to CR LF (a lone CR or LF ends it too); nothing past it is read.
    QByteArray line = file.readLine(kMaxSetupLine + 2);
    if (file.error() != QFileDevice::NoError) err::raise(err::kPathFileAccess);
    qsizetype end = line.indexOf('\r');
    if (end < 0) end = line.indexOf('\n');
    const bool tooLong = end < 0 ? !file.atEnd() || line.size() > kMaxSetupLine : end > kMaxSetupLine;
    if (tooLong)
        throw RuntimeError(err::kPathFileAccess, "The first line of " + path.toStdString() + " is longer than " +
                                                     std::to_string(kMaxSetupLine) +
                                                     " characters: it holds no connection string. Correct or "
                                                     "delete the file.");
    if (end >= 0) line.truncate(end);
    const QString myDB = QString::fromUtf8(line).trimmed();
    if (myDB.isEmpty()) return std::nullopt;
    return myDB;
}

void writeSetupFile(const QString& path, const QString& myDB)
{
    saveFile(path, myDB.toUtf8() + "\r\n", {.ownerOnly = true, .replaceLink = true});
}

std::optional<QString> sqliteFile(const QString& myDB)
{
    // key=value pairs split by ";", a value in braces may hold ";".
    QString driver, database;
    qsizetype i = 0;
    while (i < myDB.size()) {
        const qsizetype eq = myDB.indexOf(QLatin1Char('='), i);
        if (eq < 0) break;
        const QString key = myDB.mid(i, eq - i).trimmed().toLower();
        qsizetype end = eq + 1;
        while (end < myDB.size() && myDB[end].isSpace()) ++end;
        QString value;
        if (end < myDB.size() && myDB[end] == QLatin1Char('{')) {
            const qsizetype close = myDB.indexOf(QLatin1Char('}'), end);
            value = myDB.mid(end + 1, (close < 0 ? myDB.size() : close) - end - 1);
            end = close < 0 ? myDB.size() : close + 1;
        }
        const qsizetype semi = myDB.indexOf(QLatin1Char(';'), end);
        if (value.isEmpty()) value = myDB.mid(end, (semi < 0 ? myDB.size() : semi) - end).trimmed();
        if (key == QLatin1String("driver")) driver = value;
        if (key == QLatin1String("database")) database = value;
        i = semi < 0 ? myDB.size() : semi + 1;
    }
    if (!driver.contains(QLatin1String("sqlite"), Qt::CaseInsensitive) || database.isEmpty() ||
        database == QLatin1String(":memory:"))
        return std::nullopt;
    return database;
}

QString expectedTables()
{
    return QStringLiteral("rsite (datatype_site_id, datatype_name, unit_name, site_name, datatype_id), rhour and "
                          "runit (each datatype_site_id, date_time, value)");
}

namespace {

// The tables and columns read that the database lacks, as "rsite, rhour.value"; empty
// when all are there (or the driver cannot list them).
QString missingTables(QSqlDatabase& db)
{
    const QStringList tables = db.tables();
    if (tables.isEmpty() && db.lastError().isValid()) return {};
    const QStringList series = {"datatype_site_id", "date_time", "value"};
    const std::pair<const char*, QStringList> wanted[] = {
        {"rsite", {"datatype_site_id", "datatype_name", "unit_name", "site_name", "datatype_id"}},
        {"rhour", series},
        {"runit", series}};
    QStringList missing;
    for (const auto& [table, columns] : wanted) {
        const auto found = std::find_if(tables.begin(), tables.end(), [&](const QString& t) {
            return t.compare(QLatin1String(table), Qt::CaseInsensitive) == 0;
        });
        if (found == tables.end()) {
            missing << QString::fromLatin1(table);
            continue;
        }
        const QSqlRecord record = db.record(*found);
        for (const QString& column : columns) {
            bool has = false;
            for (int k = 0; k < record.count() && !has; ++k)
                has = record.fieldName(k).compare(column, Qt::CaseInsensitive) == 0;
            if (!has) missing << QString::fromLatin1(table) + QLatin1Char('.') + column;
        }
    }
    return missing.join(QStringLiteral(", "));
}

// Whether an SQLite file starts as every SQLite database does; an empty file is an
// empty database.
bool sqliteHeader(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return true;
    const QByteArray head = file.read(16);
    return head.isEmpty() || head == QByteArray("SQLite format 3", 16);
}

}  // namespace

HdbConnection::HdbConnection(const QString& myDB)
{
    // The SQLite driver makes an empty database of a file that is not there.
    if (const auto file = sqliteFile(myDB)) {
        if (!QFileInfo(*file).isFile())
            throw RuntimeError(kDatabaseError, "The SQLite database " + file->toStdString() +
                                                   " does not exist. Check the Database= part of the connection string.");
        sqliteFile_ = *file;
    }

    static std::atomic<int> serial{0};
    name_ = QStringLiteral("corvantine-hdb-%1").arg(++serial);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    db_.setDatabaseName(myDB);
    if (db_.isValid() && db_.open()) return;
    // No destructor runs for a connection that never opened: it goes here.
    const QSqlError error = db_.lastError();
    const bool driver = db_.isValid();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
    if (!driver) throw RuntimeError(kDatabaseError, "The ODBC database driver of Qt is not installed.");
    databaseError(error);
}

HdbConnection::~HdbConnection()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

QSqlQuery HdbConnection::select(const QString& sql)
{
    QSqlQuery q(db_);
    // Read forward only: no driver is asked for a record count or to jump to the end.
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        const QSqlError error = q.lastError();
        // The driver finds no tables in a file that is not a database at all.
        if (!sqliteFile_.isEmpty() && !sqliteHeader(sqliteFile_))
            throw RuntimeError(kDatabaseError, "The file " + sqliteFile_.toStdString() +
                                                   " is not an SQLite database. Check the Database= part of the "
                                                   "connection string.");
        const QString missing = missingTables(db_);
        if (!missing.isEmpty())
            throw RuntimeError(kDatabaseError,
                               ("The database lacks " + missing + ". The program reads the tables " + expectedTables() +
                                "; see \"Hydrologic database\" in the README.")
                                   .toStdString());
        databaseError(error);
    }
    return q;
}

}  // namespace corv
