// Fields read as numbers: one far longer than any number is refused by every reader with
// its file and line, before it is read.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "runoff/hydrograph_file.h"
#include "runoff/routing.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

TEST(NumberFields, AFieldFarLongerThanANumberIsRefusedWithItsFileAndLine)
{
    QTemporaryDir dir;
    const QByteArray x(257, '1');  // one character past the longest field read
    const struct {
        const char* name;
        QByteArray text;
        const char* says;
    } cases[] = {
        {"count.STM", "t\r\n" + x + ",0.5\r\n", "on line 2"},
        {"depth.STM", "t\r\n1,0.5\r\n0.5," + x + "\r\n", "on line 3"},
        {"rows.RAT", "t\r\n" + x + "\r\n", "on line 2"},
        {"row.RAT", "t\r\n1\r\n100,5," + x + "\r\n", "on line 3"},
        {"points.DGF", "title\r\nsource\r\n4,10\r\n0\r\n" + x + "\r\n0.5\r\n0\r\n", "on line 5"},
        {"flow.GRF", "Time,Runoff\r\n0," + x + "\r\n", "on line 2"},
        {"time.GRF", "Time\tRunoff\r\n0\t1\r\n" + x + "\t2\r\n", "on line 3"},
    };
    for (const auto& c : cases) {
        const QString path = writeFile(dir.filePath(c.name), c.text);
        const QString type = path.right(3);
        ComputeState s;
        ScriptedDialogs d;
        bool routeAgain = false;
        const Caught e = caught([&] {
            if (type == "STM") readStormFile(s, path);
            if (type == "RAT") readRatingTable(path, 0.25f);
            if (type == "DGF") readGraphFile(s, path);
            if (type == "GRF") LoadHydrographFile(path, s, HydrographLoad::Fresh, routeAgain, d);
        });
        EXPECT_EQ(e.number, err::kTypeMismatch) << c.name;
        EXPECT_TRUE(e.says(c.name) && e.says((std::string("a field of 257 characters ") + c.says).c_str())) << e.text;
    }
    // 256 characters still make a number: a depth of 0.25 written out with 252 zeros.
    ComputeState s;
    readStormFile(s, writeFile(dir.filePath("ok.STM"), "t\r\n1,0.5\r\n0.5,0.25" + QByteArray(252, '0') + "\r\n"));
    EXPECT_FLOAT_EQ(s.rdepth(1), 0.25f);
}
