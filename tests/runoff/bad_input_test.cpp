// The readers of storm, graph, storage-routing and hydrograph files given malformed
// text, numbers beyond singles, over-long fields, odd time steps, stray carriage
// returns, and names that are no regular file (a FIFO, a device, a folder).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/read_file.h"
#include "runoff/file_copy.h"
#include "runoff/hydrograph_file.h"
#include "runoff/routing.h"
#include "runoff/stage_support.h"
#include "runoff/text_fields.h"

using namespace corv;
using namespace stagetest;

namespace {

// Reads `path` with the reader its extension names (GRF: a fresh hydrograph load).
void readAs(const QString& type, const QString& path, ComputeState& s, const QString& copyTo = {})
{
    ScriptedDialogs d;
    bool routeAgain = false;
    s.tp = 1, s.qpFactor = 1;
    if (type == "STM") readStormFile(s, path);
    if (type == "DGF") readGraphFile(s, path);
    if (type == "RAT") readRatingTable(path, 0.25f);
    if (type == "GRF") LoadHydrographFile(path, s, HydrographLoad::Fresh, routeAgain, d);
    if (type == "copy") FileCopy(path, copyTo);
}

}  // namespace

TEST(FileReaders, BadFilesAreRefusedByNameWithTheReason)
{
    QTemporaryDir dir;
    const QByteArray x(257, '1');  // one character past the longest field read
    const struct {
        const char* name;
        QByteArray text;
        int number;
        const char* says;
    } cases[] = {
        {"a.STM", "t\r\n3\t0.5\r\n0.5,0.1\r\n1.0,0.3\r\n1.5,0.2\r\n", err::kSubscript, "no second value on line 3"},
        {"b.STM", "t\r\n3,0.5\r\n0.5,0.1\r\n1.0\r\n1.5,0.2\r\n", err::kSubscript, "no second value on line 4"},
        {"c.STM", "t\r\n3,0.5\r\n0.5,0.1\r\n1.0,heavy\r\n1.5,0.2\r\n", err::kTypeMismatch, "no number on line 4"},
        {"d.STM", "t\r\n5,0.5\r\n0.5,0.1\r\n1.0,0.3\r\n", err::kInputPastEnd, "announces 5 steps but has only 2 data lines"},
        {"e.STM", "t\r\n2000000000,0.25\r\n0.25,0.1\r\n", err::kOverflow, "at most 32757 steps"},
        {"f.STM", "t\r\n3,0\r\n0.5,0.1\r\n", err::kTypeMismatch, "no time step above 0 hours on line 2"},
        {"g.STM", "t\r\nmany,0.5\r\n0.5,0.1\r\n", err::kTypeMismatch, "no step count of 1 or more on line 2"},
        {"h.STM", "t\r\n3\r\n0.5,0.1\r\n", err::kSubscript, "needs the step count and the time step on line 2"},
        {"i.STM", "", err::kInputPastEnd, "has no second line"},
        // Numbers beyond singles, and steps outside 0.001 to 24 hours.
        {"j.STM", "t\r\n2,0.1\r\n0.1,1e39\r\n0.2,1\r\n", err::kOverflow, "has the number \"1e39\" on line 3, beyond the range"},
        {"k.STM", "t\r\n2,0.1\r\n0.1,0.5\r\n1e400,1\r\n", err::kOverflow, "has the number \"1e400\" on line 4"},
        {"l.STM", "t\r\n2,0.1\r\n0.1,3e38\r\n0.2,3e38\r\n", err::kOverflow, "rainfall depths whose total is beyond the range"},
        {"m.STM", "t\r\n2,1e20\r\n0.1,0.5\r\n0.2,1\r\n", err::kOverflow, "gives a time step of 1e20 hours on line 2"},
        {"n.STM", "t\r\n2,0.0001\r\n0.1,0.5\r\n0.2,1\r\n", err::kOverflow, "between 0.001 hours (3.6 seconds) and 24 hours"},
        {"o.DGF", "g\r\nsource\r\n4,1e39\r\n0,1,0.5,0\r\n", err::kOverflow, "has \"1e39\" as the time step"},
        {"p.DGF", "g\r\nsource\r\n4,10\r\n0,1e39,0.5,0\r\n", err::kOverflow, "has \"1e39\" as an ordinate, beyond the range"},
        {"q.DGF", "g\r\nsource\r\n4,10\r\n0,1,-1e400,0\r\n", err::kOverflow, "has \"-1e400\" as an ordinate"},
        {"r.DGF", "g\r\ns\r\n3\r\n50\r\n0\r\n1\r\n0\r\n", err::kInvalidProcedureCall, "at least 4 are needed"},
        {"s.DGF", "g\r\ns\r\n5\r\n0\r\n0, 1, 0.5, 0.2, 0\r\n", err::kInvalidProcedureCall, "must be above 0"},
        {"t.DGF", "g\r\ns\r\n5, 50\r\n0, 1, peak, 0.2, 0\r\n", err::kTypeMismatch, "\"peak\""},
        {"u.DGF", "g\r\ns\r\n20, 50\r\n0, 1, 0.5, 0.2, 0\r\n", err::kInputPastEnd, "announces 20 ordinates but holds only 5"},
        {"v.DGF", "g\r\ns\r\n1000000000, 10\r\n0, 1, 0\r\n", err::kOverflow, "at most 32767"},
        {"w.DGF", "Only a title line", err::kInputPastEnd, "title lines"},
        // A field far longer than any number, refused before it is read.
        {"count.STM", "t\r\n" + x + ",0.5\r\n", err::kTypeMismatch, "a field of 257 characters on line 2"},
        {"depth.STM", "t\r\n1,0.5\r\n0.5," + x + "\r\n", err::kTypeMismatch, "a field of 257 characters on line 3"},
        {"rows.RAT", "t\r\n" + x + "\r\n", err::kTypeMismatch, "a field of 257 characters on line 2"},
        {"row.RAT", "t\r\n1\r\n100,5," + x + "\r\n", err::kTypeMismatch, "a field of 257 characters on line 3"},
        // Two rows joined by a bare CR would read as one of storage 3103.
        {"joined.RAT", "t\r\n3\r\n100,0,0\r\n101,10,1\r\n102,20,3\r103,50,6\r\n", err::kInvalidFileFormat,
         "has a bare carriage return inside line 5"},
        {"points.DGF", "t\r\ns\r\n4,10\r\n0\r\n" + x + "\r\n0.5\r\n0\r\n", err::kTypeMismatch, "a field of 257 characters on line 5"},
        {"flow.GRF", "Time,Runoff\r\n0," + x + "\r\n", err::kTypeMismatch, "a field of 257 characters on line 2"},
        {"time.GRF", "Time\tRunoff\r\n0\t1\r\n" + x + "\t2\r\n", err::kTypeMismatch, "a field of 257 characters on line 3"},
    };
    for (const auto& c : cases) {
        const QString path = writeFile(dir.filePath(c.name), c.text);
        ComputeState s;
        const Caught e = caught([&] { readAs(path.right(3), path, s); });
        EXPECT_EQ(e.number, c.number) << c.name;
        EXPECT_TRUE(e.says(c.says) && e.says(c.name)) << e.text;
    }
    ComputeState s;
    EXPECT_EQ(caught([&] { readStormFile(s, dir.filePath("gone.STM")); }).number, err::kFileNotFound);
}

TEST(FileReaders, StormFilesReadAsWritten)
{
    QTemporaryDir dir;
    const struct {
        QByteArray text;
        std::int16_t obs;
        float udur, tdepth;
    } cases[] = {
        {"t\r\n1,0.001\r\n1,0.5\r\n", 1, 0.001f, 0.5f},  // the step's limits are allowed
        {"t\r\n1,24\r1e39\r\n1,0.5\r\n", 1, 24, 0.5f},   // a CR ends a field: 24, not 241e39
        {"t\r\n2\r9,0.1\r\n0.1,0.5\r7\r\n0.2\r3,0.25\r\n", 2, 0.1f, 0.75f},  // 2 steps, not 29; 0.5 in, not 0.57
        // LF line ends, extra fields, an empty rain cell (no rain).
        {"t\n3,1,extra\n1,0.5,x\n2,\n3, 0.25 \n", 3, 1, 0.75f},
        // 256 characters still make a number: 0.25 written out with 252 zeros.
        {"t\r\n1,0.5\r\n0.5,0.25" + QByteArray(252, '0') + "\r\n", 1, 0.5f, 0.25f},
    };
    for (const auto& c : cases) {
        ComputeState s;
        readStormFile(s, writeFile(dir.filePath("ok.STM"), c.text));
        EXPECT_EQ(s.obs, c.obs) << c.text.constData();
        EXPECT_FLOAT_EQ(s.udur, c.udur) << c.text.constData();
        EXPECT_FLOAT_EQ(s.tdepth, c.tdepth) << c.text.constData();
    }
}

// A FIFO (which would block the reader for ever), /dev/zero (which never ends) and a
// folder are refused at once, the FIFO and the folder without being opened (the kernel
// tells every open of them); a regular file past the reader's limit is not read.
TEST(FileReaders, OnlyRegularFilesAreOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("storm.STM");
    const QByteArray fifoName = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(fifoName.constData(), 0666), 0);
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(opens, 0);
    for (const QString& watched : {fifo, dir.path()})
        ASSERT_GE(::inotify_add_watch(opens, QFile::encodeName(watched).constData(), IN_OPEN), 0);
    auto reads = std::async(std::launch::async, [&] {
        for (const QString& name : {fifo, QString("/dev/zero"), dir.path()}) {
            for (const char* type : {"STM", "DGF", "RAT", "GRF", "copy"}) {
                ComputeState s;
                const Caught e = caught([&] { readAs(type, name, s, dir.filePath("copy.GRF")); });
                EXPECT_EQ(e.number, err::kPathFileAccess) << type;
                EXPECT_TRUE(e.says("is not a regular file") && e.says(QFileInfo(name).fileName().toLatin1().constData()))
                    << e.text;
            }
        }
    });
    // Readers blocked in opening the FIFO are let go by a writer, and fail the test.
    if (reads.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        ADD_FAILURE() << "a reader is blocked opening the FIFO";
        while (reads.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout)
            ::close(::open(fifoName.constData(), O_WRONLY | O_NONBLOCK));
    }
    reads.get();
    char events[4096];
    EXPECT_LE(::read(opens, events, sizeof events), 0) << "a reader opened the FIFO or the folder";
    ::close(opens);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("copy.GRF")));
    const QString file = writeFile(dir.filePath("ten.txt"), "0123456789");
    EXPECT_EQ(readRegularFile(file, 10).bytes, "0123456789");
    EXPECT_EQ(readRegularFile(file, 9).status, FileRead::Status::TooLarge);
    EXPECT_EQ(readRegularFile(dir.filePath("gone.txt"), 10).status, FileRead::Status::Missing);
    ASSERT_TRUE(QFile::link(file, dir.filePath("link.txt")));  // through a link to the regular file
    EXPECT_EQ(readRegularFile(dir.filePath("link.txt"), 10).bytes, "0123456789");
}

// Fields read as the C library reads them, the short plain decimals of report cells
// included: halfway cases, a sign on zero, 15 digits and more.
TEST(FileReaders, NumbersReadAsTheLibraryReadsThem)
{
    for (const char* text : {"0.1", "  0.30000 ", "-0.00000", "9007199254740.993", "123456789012345", "1234567890123456",
                             "0.000000000000001", ".5", "5.", "-12.75e2", "2.675"}) {
        double got = 0;
        ASSERT_TRUE(strictNumber(text, got)) << text;
        const double want = std::strtod(text, nullptr);
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << text;
    }
}
