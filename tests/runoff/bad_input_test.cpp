// Storm and graph files with numbers beyond singles, stray carriage returns, odd time
// steps, and names that are no regular file (a FIFO, a device, a folder) given to the
// readers of storm, graph, storage-routing and hydrograph files.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sys/stat.h>

#include "common/read_file.h"
#include "runoff/file_copy.h"
#include "runoff/hydrograph_file.h"
#include "runoff/rainfall.h"
#include "runoff/routing.h"
#include "runoff/transforms.h"
#include "runoff/stage_support.h"

using namespace corv;
using namespace stagetest;

TEST(StormFileNumbers, BeyondSinglesAndOddStepsAreRefusedByName)
{
    QTemporaryDir dir;
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"t\r\n2,0.1\r\n0.1,1e39\r\n0.2,1\r\n", "has the number \"1e39\" on line 3, beyond the range"},
        {"t\r\n2,0.1\r\n0.1,0.5\r\n1e400,1\r\n", "has the number \"1e400\" on line 4"},
        {"t\r\n2,0.1\r\n0.1,3e38\r\n0.2,3e38\r\n", "has rainfall depths whose total is beyond the range"},
        {"t\r\n2,1e20\r\n0.1,0.5\r\n0.2,1\r\n", "gives a time step of 1e20 hours on line 2"},
        {"t\r\n2,0.0001\r\n0.1,0.5\r\n0.2,1\r\n", "gives a time step of 0.0001 hours"},
        {"t\r\n2,25\r\n0.1,0.5\r\n0.2,1\r\n", "between 0.001 hours (3.6 seconds) and 24 hours"},
    };
    for (const auto& c : cases) {
        ComputeState s;
        const Caught e = caught([&] { readStormFile(s, writeFile(dir.filePath("bad.STM"), c.text)); });
        EXPECT_EQ(e.number, err::kOverflow) << c.text;
        EXPECT_TRUE(e.says(c.says) && e.says("bad.STM")) << e.text;
    }
    // The limits themselves are steps a storm file may have.
    for (const char* step : {"0.001", "24"}) {
        ComputeState s;
        readStormFile(s, writeFile(dir.filePath("ok.STM"), QByteArray("t\r\n1,") + step + "\r\n1,0.5\r\n"));
        EXPECT_FLOAT_EQ(s.udur, QByteArray(step).toFloat());
    }
}

TEST(StormFileNumbers, ACarriageReturnEndsAField)
{
    QTemporaryDir dir;
    ComputeState s;
    // "2" CR "9" is a count of 2, not 29; "0.5" CR "7" is half an inch.
    readStormFile(s, writeFile(dir.filePath("cr.STM"), "t\r\n2\r9,0.1\r\n0.1,0.5\r7\r\n0.2\r3,0.25\r\n"));
    EXPECT_EQ(s.obs, 2);
    EXPECT_FLOAT_EQ(s.udur, 0.1f);
    EXPECT_FLOAT_EQ(s.rdepth(1), 0.5f);
    EXPECT_FLOAT_EQ(s.stepTimes(2), 0.2f);
    EXPECT_FLOAT_EQ(s.tdepth, 0.75f);
    // With a step of "24" CR "1e39", the number read is 24, not 241e39.
    readStormFile(s, writeFile(dir.filePath("cr2.STM"), "t\r\n1,24\r1e39\r\n1,0.5\r\n"));
    EXPECT_FLOAT_EQ(s.udur, 24.0f);
}

TEST(GraphFileNumbers, BeyondSinglesAreRefusedByName)
{
    QTemporaryDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"g\r\nsource\r\n4,1e39\r\n0,1,0.5,0\r\n", "has \"1e39\" as the time step"},
        {"g\r\nsource\r\n4,10\r\n0,1e39,0.5,0\r\n", "has \"1e39\" as an ordinate, beyond the range"},
        {"g\r\nsource\r\n4,10\r\n0,1,-1e400,0\r\n", "has \"-1e400\" as an ordinate"},
    };
    for (const auto& [text, says] : cases) {
        ComputeState s;
        s.tp = 1, s.qpFactor = 1;
        const Caught e = caught([&] { readGraphFile(s, writeFile(dir.filePath("bad.DGF"), text)); });
        EXPECT_EQ(e.number, err::kOverflow) << text;
        EXPECT_TRUE(e.says(says) && e.says("bad.DGF")) << e.text;
    }
}

// A FIFO (which would block the reader for ever), /dev/zero (which never ends) and a
// folder are refused at once; a regular file past the reader's limit is not read.
TEST(UserFileReaders, OnlyRegularFilesAreOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("storm.STM");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    for (const QString& name : {fifo, QString("/dev/zero"), dir.path()}) {
        ComputeState s;
        ScriptedDialogs d;
        bool again = false;
        const std::string n = name.toStdString();
        const std::pair<std::function<void()>, std::string> readers[] = {
            {[&] { readStormFile(s, name); }, n + " is not a regular file."},
            {[&] { readGraphFile(s, name); }, " is not a regular file."},
            {[&] { readRatingTable(name, 0.25f); }, "The storage routing file " + n + " is not a regular file."},
            {[&] { LoadHydrographFile(name, s, HydrographLoad::Fresh, again, d); }, "The hydrograph file " + n + " is not a regular file."},
            {[&] { FileCopy(name, dir.filePath("copy.GRF")); }, "Path/File access error: " + n + " is not a regular file"}};
        for (const auto& [read, says] : readers) {
            const Caught e = caught(read);
            EXPECT_TRUE(e.number == err::kPathFileAccess && e.says(says.c_str())) << e.text;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy.GRF")));

    const QString file = writeFile(dir.filePath("ten.txt"), "0123456789");
    EXPECT_EQ(readRegularFile(file, 10).bytes, "0123456789");
    EXPECT_EQ(readRegularFile(file, 9).status, FileRead::Status::TooLarge);
    EXPECT_EQ(readRegularFile(dir.filePath("gone.txt"), 10).status, FileRead::Status::Missing);
    // Through a link to the regular file.
    ASSERT_TRUE(QFile::link(file, dir.filePath("link.txt")));
    EXPECT_EQ(readRegularFile(dir.filePath("link.txt"), 10).bytes, "0123456789");
}
