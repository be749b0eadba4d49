// Hydrologic database access (see connection.h).
#include "hdb/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
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
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) err::raise(err::kPathFileAccess);
    if (bytes.isEmpty()) err::raise(err::kInputPastEnd);
    // One line: up to CR LF (a lone CR or LF ends it too).
    qsizetype end = bytes.indexOf('\n');
    if (end < 0) end = bytes.size();
    QByteArray line = bytes.left(end);
    const qsizetype cr = line.indexOf('\r');
    if (cr >= 0) line.truncate(cr);
    return QString::fromUtf8(line).trimmed();
}

void writeSetupFile(const QString& path, const QString& myDB)
{
    saveFile(path, myDB.toUtf8() + "\r\n", {.ownerOnly = true, .replaceLink = true});
}

HdbConnection::HdbConnection(const QString& myDB)
{
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
    if (!q.exec(sql)) databaseError(q.lastError());
    return q;
}

}  // namespace corv
