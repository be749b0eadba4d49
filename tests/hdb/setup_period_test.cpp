// The setup file, the period presets and the period read from the window's lists.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "common/dates.h"
#include "hdb/connection.h"
#include "hdb/period.h"
#include "hdb/timestamp.h"
#include "support/error_number.h"
#include "support/failing_save.h"

using namespace corv;
using test::errorNumber;

namespace {

TEST(SetupFile, OneLineOwnerOnlyReadTrimmedLaterLinesIgnored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(setupFileName());
    EXPECT_EQ(readSetupFile(path), std::nullopt);
    // Written as one line ending CR LF, owner-only (it may hold a password); read back trimmed.
    writeSetupFile(path, "  Driver=SQLite3;Database=/data/a b.db;  ");
    const test::FileSnapshot written = test::snapshot(path);
    EXPECT_EQ(written.mode & 0777, 0600u);
    EXPECT_EQ(written.bytes, "  Driver=SQLite3;Database=/data/a b.db;  \r\n");
    EXPECT_EQ(readSetupFile(path), QStringLiteral("Driver=SQLite3;Database=/data/a b.db;"));
    // An empty file, or an empty or blank first line, is no setup file: the string is asked for.
    for (const char* bytes : {"", "\r\nDSN=x\r\n", "  \t\n"}) {
        test::writeBytes(path, bytes);
        EXPECT_EQ(readSetupFile(path), std::nullopt) << bytes;
    }
    // Only the first line is read, and none longer than a connection string can be.
    test::writeBytes(path, QByteArray(kMaxSetupLine, 'x') + "\r\n" + QByteArray(1 << 20, 'y'));
    EXPECT_EQ(readSetupFile(path)->size(), kMaxSetupLine);
    test::writeBytes(path, QByteArray(kMaxSetupLine + 1, 'x'));
    EXPECT_EQ(errorNumber([&] { readSetupFile(path); }), err::kPathFileAccess);
    // A folder of that name is no setup file.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir(setupFileName()));
    EXPECT_EQ(readSetupFile(other.filePath(setupFileName())), std::nullopt);
}

TEST(Timestamp, TextFormsReadAndTimesThatDoNotExistRefused)
{
    const std::pair<const char*, double> read[] = {
        {"2026-12-05 03:00:00", makeDate(2026, 12, 5, 3)},      {" 2026-12-05 3:00 ", makeDate(2026, 12, 5, 3)},
        {"2026-12-05T23:59:59", makeDate(2026, 12, 5, 23, 59, 59)}, {"2026-2-5", makeDate(2026, 2, 5)},
        {"2026-12-05 00:00:30.5", makeDate(2026, 12, 5, 0, 0, 30) + 0.5 / 86400}};
    for (const auto& [text, date] : read) EXPECT_DOUBLE_EQ(parseTimestamp(text).value_or(-1), date) << text;
    for (const char* text : {"2026-02-29", "2026-12-05 24:00", "2026-12-05 3:60", "2026-12-05 3", "05/12/2026",
                             "2026-12-05 03:00:00+01", "2026-12-05 3:00:00.", "46361.125", ""})
        EXPECT_EQ(parseTimestamp(text), std::nullopt) << text;
}

TEST(Period, PresetsFromToday)
{
    const QDate today(2026, 12, 5);
    const std::pair<QDate, QDate> expected[] = {
        {today, today}, {QDate(2026, 12, 4), today}, {QDate(2026, 11, 29), today}, {QDate(2026, 11, 6), today},
        {QDate(2026, 12, 1), today}, {QDate(2026, 1, 1), today}, {QDate(2025, 1, 1), QDate(2025, 12, 31)}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(std::pair(presetPeriod(i, today).start, presetPeriod(i, today).end), expected[i]) << i;
    // On the first of a month, month to date is that one day; 30 days reach back across a year.
    EXPECT_EQ(presetPeriod(4, QDate(2026, 3, 1)).start, QDate(2026, 3, 1));
    EXPECT_EQ(presetPeriod(3, QDate(2026, 1, 10)).start, QDate(2025, 12, 12));
}

TEST(Period, HourTwentyFourEndsTheDay)
{
    EXPECT_DOUBLE_EQ(periodDate("05-Dec-2026", "07"), makeDate(2026, 12, 5, 7));
    EXPECT_EQ(formatDate(periodDate("31-Dec-2026", "24"), "dd-mmm-yyyy hh:nn"), "01-Jan-2027 00:00");
    EXPECT_EQ(errorNumber([] { periodDate("31-Feb-2026", "00"); }), err::kTypeMismatch);
    EXPECT_EQ(errorNumber([] { periodDate("05-Dez-2026", "00"); }), err::kTypeMismatch);
}

}  // namespace
