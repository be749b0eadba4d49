// The setup file, the period presets and the period read from the window's lists.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "common/dates.h"
#include "hdb/connection.h"
#include "hdb/period.h"
#include "support/error_number.h"

using namespace corv;

namespace {

QString writeBytes(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(setupFileName());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

TEST(SetupFile, FirstLineTrimmedLaterLinesIgnored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(setupFileName());
    EXPECT_EQ(readSetupFile(path), std::nullopt);
    writeBytes(dir, "  Driver=SQLite3;Database=/data/a b.db;  \r\nsecond line\r\n");
    EXPECT_EQ(readSetupFile(path), QStringLiteral("Driver=SQLite3;Database=/data/a b.db;"));
    // An empty first line is an empty string; an empty file cannot be read.
    writeBytes(dir, "\r\nDSN=x\r\n");
    EXPECT_EQ(readSetupFile(path), QString());
    writeBytes(dir, "");
    EXPECT_EQ(test::errorNumber([&] { readSetupFile(path); }), err::kInputPastEnd);
    // A folder of that name is no setup file.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir(setupFileName()));
    EXPECT_EQ(readSetupFile(other.filePath(setupFileName())), std::nullopt);
}

TEST(SetupFile, WrittenAsOneLineReadableByItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = writeBytes(dir, "old string\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    writeSetupFile(path, QStringLiteral("Driver={PostgreSQL Unicode};Servername=db;Uid=hy;Pwd=secret;"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Driver={PostgreSQL Unicode};Servername=db;Uid=hy;Pwd=secret;\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(QFile::exists(path + ".part"));
    // A folder that is gone: the error, and nothing is left behind.
    EXPECT_EQ(test::errorNumber([&] { writeSetupFile(dir.filePath("gone/" + setupFileName()), "x"); }),
              err::kPathNotFound);
}

TEST(Period, PresetsFromToday)
{
    const QDate today(2026, 12, 5);
    const std::pair<QDate, QDate> expected[] = {
        {today, today},
        {QDate(2026, 12, 4), today},
        {QDate(2026, 11, 29), today},
        {QDate(2026, 11, 6), today},
        {QDate(2026, 12, 1), today},
        {QDate(2026, 1, 1), today},
        {QDate(2025, 1, 1), QDate(2025, 12, 31)},
    };
    for (int i = 0; i < 7; ++i) {
        const PresetPeriod p = presetPeriod(i, today);
        EXPECT_EQ(p.start, expected[i].first) << i;
        EXPECT_EQ(p.end, expected[i].second) << i;
    }
    // On the first of a month, month to date is that one day; 30 days reach back across a year.
    EXPECT_EQ(presetPeriod(4, QDate(2026, 3, 1)).start, QDate(2026, 3, 1));
    EXPECT_EQ(presetPeriod(3, QDate(2026, 1, 10)).start, QDate(2025, 12, 12));
    const DateTexts t = dateTexts(QDate(2026, 3, 5));
    EXPECT_EQ(t.day, "05");
    EXPECT_EQ(t.month, "Mar");
    EXPECT_EQ(t.year, "2026");
}

TEST(Period, HourTwentyFourEndsTheDay)
{
    EXPECT_DOUBLE_EQ(periodDate("05-Dec-2026", "24"), makeDate(2026, 12, 6));
    EXPECT_DOUBLE_EQ(periodDate("05-Dec-2026", "07"), makeDate(2026, 12, 5, 7));
    EXPECT_EQ(formatDate(periodDate("31-Dec-2026", "24"), "dd-mmm-yyyy hh:nn"), "01-Jan-2027 00:00");
    EXPECT_EQ(test::errorNumber([] { periodDate("31-Feb-2026", "00"); }), err::kTypeMismatch);
    EXPECT_EQ(test::errorNumber([] { periodDate("05-Dez-2026", "00"); }), err::kTypeMismatch);
}

}  // namespace
