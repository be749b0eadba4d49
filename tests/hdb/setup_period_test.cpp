// The setup file, the period presets and the period read from the window's lists.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "common/dates.h"
#include "hdb/connection.h"
#include "hdb/period.h"
#include "support/error_number.h"
#include "support/file_bytes.h"

using namespace corv;
using test::errorNumber;

namespace {

TEST(SetupFile, FirstLineTrimmedLaterLinesIgnored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(setupFileName());
    EXPECT_EQ(readSetupFile(path), std::nullopt);
    ASSERT_TRUE(test::writeBytes(path, "  Driver=SQLite3;Database=/data/a b.db;  \r\nsecond line\r\n"));
    EXPECT_EQ(readSetupFile(path), QStringLiteral("Driver=SQLite3;Database=/data/a b.db;"));
    // An empty first line is an empty string; an empty file cannot be read.
    test::writeBytes(path, "\r\nDSN=x\r\n");
    EXPECT_EQ(readSetupFile(path), QString());
    test::writeBytes(path, "");
    EXPECT_EQ(errorNumber([&] { readSetupFile(path); }), err::kInputPastEnd);
    // Written as one line (its mode is the window tests' concern).
    writeSetupFile(path, QStringLiteral("Driver={PostgreSQL Unicode};Servername=db;Uid=hy;Pwd=secret;"));
    EXPECT_EQ(test::readBytes(path), QByteArray("Driver={PostgreSQL Unicode};Servername=db;Uid=hy;Pwd=secret;\r\n"));
    // A folder of that name is no setup file; a folder that is gone takes none.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir(setupFileName()));
    EXPECT_EQ(readSetupFile(other.filePath(setupFileName())), std::nullopt);
    EXPECT_EQ(errorNumber([&] { writeSetupFile(dir.filePath("gone/" + setupFileName()), "x"); }), err::kPathNotFound);
}

TEST(Period, PresetsFromToday)
{
    const QDate today(2026, 12, 5);
    const std::pair<QDate, QDate> expected[] = {
        {today, today}, {QDate(2026, 12, 4), today}, {QDate(2026, 11, 29), today}, {QDate(2026, 11, 6), today},
        {QDate(2026, 12, 1), today}, {QDate(2026, 1, 1), today}, {QDate(2025, 1, 1), QDate(2025, 12, 31)}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(presetPeriod(i, today).start, expected[i].first) << i;
        EXPECT_EQ(presetPeriod(i, today).end, expected[i].second) << i;
    }
    // On the first of a month, month to date is that one day; 30 days reach back across a year.
    EXPECT_EQ(presetPeriod(4, QDate(2026, 3, 1)).start, QDate(2026, 3, 1));
    EXPECT_EQ(presetPeriod(3, QDate(2026, 1, 10)).start, QDate(2025, 12, 12));
    const DateTexts t = dateTexts(QDate(2026, 3, 5));
    EXPECT_EQ(QStringList({t.day, t.month, t.year}), QStringList({"05", "Mar", "2026"}));
}

TEST(Period, HourTwentyFourEndsTheDay)
{
    EXPECT_DOUBLE_EQ(periodDate("05-Dec-2026", "24"), makeDate(2026, 12, 6));
    EXPECT_DOUBLE_EQ(periodDate("05-Dec-2026", "07"), makeDate(2026, 12, 5, 7));
    EXPECT_EQ(formatDate(periodDate("31-Dec-2026", "24"), "dd-mmm-yyyy hh:nn"), "01-Jan-2027 00:00");
    EXPECT_EQ(errorNumber([] { periodDate("31-Feb-2026", "00"); }), err::kTypeMismatch);
    EXPECT_EQ(errorNumber([] { periodDate("05-Dez-2026", "00"); }), err::kTypeMismatch);
}

}  // namespace
