// The hydrograph window's start-up lists and tables, the chart's table view and the
// hydrograph file copy.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <numeric>

#include "common/runtime_error.h"
#include "runoff/file_copy.h"
#include "runoff/form3_load.h"
#include "runoff/hydrograph_chart.h"

using namespace corv;

TEST(Form3Load, MethodArrangementAndRecoveryTables)
{
    const QStringList methods = unitGraphMethods();
    ASSERT_EQ(methods.size(), 11);
    EXPECT_EQ(methods[1], "Triangle Unit Graph");
    EXPECT_EQ(methods[10], "RockyMtGenStorm.DGF");
    EXPECT_EQ(rainfallArrangements().join('|'), "Average|None|Peak at 2/3|Peak at 1/3|Peak Centered|Storm File|HDB Database");

    VArray<float> hourly, monthly;
    fillRecoveryTables(hourly, monthly);
    ASSERT_EQ(hourly.ubound(), 24);
    ASSERT_EQ(monthly.ubound(), 13);
    EXPECT_FLOAT_EQ(hourly(0), 0.010397326f);
    EXPECT_FLOAT_EQ(hourly(15), 0.122539918f);
    EXPECT_FLOAT_EQ(hourly(24), 0);
    EXPECT_NEAR(std::accumulate(hourly.vec().begin(), hourly.vec().end(), 0.0), 0.999257327, 1e-6);
    EXPECT_FLOAT_EQ(monthly(0), 0);
    EXPECT_FLOAT_EQ(monthly(1), 0.09f);
    EXPECT_FLOAT_EQ(monthly(6), 0.29f);
    EXPECT_FLOAT_EQ(monthly(12), 0.05f);
    EXPECT_FLOAT_EQ(monthly(13), 0);
    EXPECT_NEAR(std::accumulate(monthly.vec().begin(), monthly.vec().end(), 0.0), 2.0, 1e-6);
}

TEST(Form3Load, PeriodWindowLists)
{
    const PeriodLists p = periodLists(2026, 12, 5);
    ASSERT_EQ(p.hours.size(), 25);
    EXPECT_EQ(p.hours.first(), "00");
    EXPECT_EQ(p.hours.last(), "24");
    ASSERT_EQ(p.days.size(), 31);
    EXPECT_EQ(p.days.first(), "01");
    EXPECT_EQ(p.days.last(), "31");
    EXPECT_EQ(p.months.join(' '), "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec");
    ASSERT_EQ(p.years.size(), 31);
    EXPECT_EQ(p.years.first(), "2026");
    EXPECT_EQ(p.years.last(), "1996");
    EXPECT_EQ(p.units.join('|'), "Unit Values|Hourly Values");
    EXPECT_EQ(p.dayText, "05");
    EXPECT_EQ(p.monthText, "Dec");
    EXPECT_EQ(p.yearText, "2026");
}

TEST(HydrographChartGrid, TableViewStopsAtTheFirstZeroDepth)
{
    ChartGrid g;
    g.setColumnCount(5);
    g.setRowCount(40);
    resetChartGrid(g, {"1", "2", "6", "", "", "", "", ""}, {"1.00", "1.5", "", "3", "", "", "", ""},
                   {"", "0.900", "", "", "", "", "", ""});
    EXPECT_EQ(g.ColumnCount(), 2);
    ASSERT_EQ(g.RowCount(), 2);  // the third rain box is empty
    EXPECT_EQ(g.rowLabel(1), "1");
    EXPECT_FLOAT_EQ(g.data(1, 1), 1.0f);
    EXPECT_FLOAT_EQ(g.data(2, 1), 1.5f * 0.9f);
    EXPECT_FLOAT_EQ(g.data(2, 2), 0);

    // A negative depth is plotted; the duration label is the text as typed.
    resetChartGrid(g, {" 0.5", "x", "", "", "", "", "", ""}, {"-1", "2", "", "", "", "", "", ""}, {});
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.rowLabel(1), " 0.5");
    EXPECT_FLOAT_EQ(g.data(1, 1), -1.0f);

    EXPECT_THROW(g.data(3, 1), RuntimeError);
    EXPECT_THROW(g.setData(1, 3, 0), RuntimeError);
    EXPECT_THROW(g.rowLabel(0), RuntimeError);
}

TEST(FileCopy, ReplacesOnlyWhenTheWholeCopySucceeds)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("Temp.GRF");
    const QString dst = dir.filePath("Saved.GRF");
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };

    try {
        FileCopy(src, dst);
        FAIL() << "copied a missing file";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    write(src, "new hydrograph\r\n");
    write(dst, "old");
    FileCopy(src, dst);
    EXPECT_EQ(read(dst), "new hydrograph\r\n");

    try {
        FileCopy(src, dir.filePath("no/such/folder/x.GRF"));
        FAIL() << "copied into a missing folder";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "Path not found");
    }

    write(dst, "kept");
    QFile::setPermissions(dst, QFile::ReadOwner);
    try {
        FileCopy(src, dst);
        FAIL() << "replaced a read-only file";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "Permission denied");
    }
    QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(read(dst), "kept");

    EXPECT_TRUE(sameFile(src, dir.filePath("./Temp.GRF")));
    EXPECT_FALSE(sameFile(src, dst));
}
