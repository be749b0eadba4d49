// Saving the coordinate box: the dialog's set-up, the file's bytes, and what Cancel
// and failures leave behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "map/coordinate_file.h"
#include "map/map_fixture.h"
#include "support/failing_save.h"

using namespace corv;
using corv::test::readAll;

struct CoordinateFile : ::testing::Test {
    QTemporaryDir dir;
    test::MapFixture f;
    CommonDialog cd{f.ops.dlg};
    bool save(std::optional<QString> answer)
    {
        f.ops.dlg.answerFile(answer);
        return saveCoordinateFile(f.m, cd, f.ops.dlg, dir.path());
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(CoordinateFile, DialogSetUpAndProposedName)
{
    cd.DialogTitle = "left over";
    EXPECT_FALSE(save(std::nullopt));
    f.m.s.areaCount = 3;
    EXPECT_FALSE(save(std::nullopt));
    ASSERT_EQ(f.ops.dlg.asked().size(), 2u);  // Cancel shows no message
    const FileRequest& first = f.ops.dlg.asked()[0].file;
    EXPECT_TRUE(first.save && !cd.CancelError);  // CancelError held for that one use only
    EXPECT_EQ(QStringList({first.fileName, first.filter, first.initDir, first.title}),
              QStringList({"CorvanData0.txt", "Text file (*.txt)|*.txt|All files (*.*)|*.*|", dir.path(),
                           "left over"}));  // this use sets no title of its own
    EXPECT_EQ(f.ops.dlg.asked()[1].file.fileName + "|" + f.ops.dlg.asked()[1].file.title, "CorvanData3.txt|");
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(coordinateFileName(32767), "CorvanData32767.txt");
}

TEST_F(CoordinateFile, SavingOverALongerFileAndFailures)
{
    const QString path = test::writeFile(dir.filePath("basin one.txt"), QByteArray(5000, 'x'));
    f.m.Text1.Text = "Area1 X,Y Coordinates   (mi)\r\n0, 1\r\n1, 1\r\n1, 0\r\n0, 1\r\nXmin 0, Ymin 0, Xmax 1, Ymax 1\r\n"
                     "Area1= 0.50 (mi^2), Perimeter= 3.41 (mi), Centroid= 0.67, 0.67\r\n";
    EXPECT_TRUE(save(path));
    EXPECT_EQ(readAll(path), f.m.Text1.Text.toLatin1());
    EXPECT_EQ(files(), QStringList{"basin one.txt"});  // nothing left beside it
    // Line ends are always carriage return and line feed.
    EXPECT_EQ(coordinateFileBytes("a\r\nb\nc\n") + coordinateFileBytes("no end"), "a\r\nb\r\nc\r\nno end");

    // Cancel is silent; a failure says why (the file and the reason) and leaves the
    // earlier file: a read-only file (also for root), a full disk or a failed flush or
    // rename. Missing folders: form1_window_test.cpp; folders and special files:
    // tests/common/save_file_test.cpp.
    f.m.Text1.Text = "new text\r\n";
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_TRUE(f.messages().empty());
    test::expectFailuresKeepOlder(path, test::durableFailures(4), [&] {
        const std::size_t shown = f.messages().size();
        EXPECT_FALSE(save(path));
        return f.messages().size() == shown + 1 ? f.messages().back() : QString();
    });
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_FALSE(save(path));
    EXPECT_EQ(f.messages().back(), "Permission denied: " + path + " could not be saved (the file is read-only).");
    EXPECT_EQ(readAll(path).left(30), "Area1 X,Y Coordinates   (mi)\r\n");
    EXPECT_EQ(files(), QStringList{"basin one.txt"});
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    f.m.Text1.Text.clear();  // an empty box gives an empty file
    EXPECT_TRUE(save(path));
    EXPECT_EQ(readAll(path), QByteArray());
}
