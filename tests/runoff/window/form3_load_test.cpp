// The hydrograph window's start-up lists and tables, the chart's table view, the file copy.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <numeric>

#include "runoff/file_copy.h"
#include "runoff/window/hydrograph_chart.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

TEST(Form3Load, RecoveryTablesAndPeriodLists)
{
    const Tables t;  // hours 0..23 and months 1..12, with nothing in the slots around them
    ASSERT_EQ(std::make_pair(t.hourly.ubound(), t.monthly.ubound()), std::make_pair(24L, 13L));
    EXPECT_NEAR(std::accumulate(t.hourly.vec().begin(), t.hourly.vec().end(), 0.0), 0.999257327, 1e-6);
    EXPECT_FLOAT_EQ(t.monthly(6), 0.29f);
    EXPECT_FLOAT_EQ(t.monthly(0) + t.monthly(13), 0);
    EXPECT_NEAR(std::accumulate(t.monthly.vec().begin(), t.monthly.vec().end(), 0.0), 2.0, 1e-6);

    const PeriodLists p = periodLists(2026, 12, 5);
    EXPECT_EQ(QStringList({p.hours.first(), p.hours.last(), p.days.first(), p.days.last(), p.years.first(), p.years.last(),
                           p.dayText + p.monthText + p.yearText}),
              QStringList({"00", "24", "01", "31", "2026", "1996", "05Dec2026"}));  // the lengths: form3_window_test
}

TEST(HydrographChartGrid, TableViewStopsAtTheFirstEmptyDepth)
{
    ChartGrid g;
    g.setColumnCount(5);
    g.setRowCount(40);
    resetChartGrid(g, {"1", "2", "6"}, {"1.00", "1.5", "", "3"}, {"", "0.900"});
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.rowLabel(2), "2");
    EXPECT_EQ(g.column(1), (std::vector<float>{1.0f, 1.5f * 0.9f}));  // an empty factor counts as 1
    EXPECT_EQ(g.column(2), (std::vector<float>{0, 0}));
    EXPECT_THROW(g.data(3, 1), RuntimeError);
    EXPECT_THROW(g.setData(1, 3, 0), RuntimeError);
}

// The copy and its refusals are the save path's (save_file_test, form3_window_test).
TEST(FileCopy, SourceMustExistAndTheSourceItselfIsKnownByAnyPath)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("Temp.GRF");
    EXPECT_EQ(caught([&] { FileCopy(src, dir.filePath("Saved.GRF")); }).text, "File not found: " + src.toStdString());
    writeFile(src, "x");
    EXPECT_TRUE(sameFile(src, dir.filePath("./Temp.GRF")));
    EXPECT_FALSE(sameFile(src, dir.filePath("Saved.GRF")));
}
