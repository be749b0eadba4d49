// Saving the coordinate box: the dialog's set-up, the file's bytes, and what Cancel
// and failures leave behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/dialogs.h"
#include "map/coordinate_file.h"
#include "map/map_model.h"

using namespace corv;

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}  // namespace

TEST(CoordinateFile, DialogSetUpAndProposedName)
{
    QTemporaryDir dir;
    MapModel m;
    m.formLoad();
    ScriptedDialogs dialogs;
    CommonDialog cd(dialogs);
    cd.DialogTitle = "left over";
    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(saveCoordinateFile(m, cd, dir.path()));
    m.s.areaCount = 3;
    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(saveCoordinateFile(m, cd, dir.path()));

    ASSERT_EQ(dialogs.asked().size(), 2u);  // Cancel shows no message
    const FileRequest& first = dialogs.asked()[0].file;
    EXPECT_TRUE(first.save);
    EXPECT_EQ(first.fileName, "CorvanData0.txt");
    EXPECT_EQ(first.filter, "Text file (*.txt)|*.txt|All files (*.*)|*.*|");
    EXPECT_EQ(first.initDir, dir.path());
    EXPECT_EQ(first.title, "left over");  // this use sets no title of its own
    EXPECT_EQ(dialogs.asked()[1].file.fileName, "CorvanData3.txt");
    EXPECT_EQ(dialogs.asked()[1].file.title, "");
    EXPECT_FALSE(cd.CancelError);  // held for that one use only
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(CoordinateFile, SavingOverALongerFileLeavesExactlyTheBoxText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("basin one.txt");
    writeAll(path, QByteArray(5000, 'x'));

    MapModel m;
    m.formLoad();
    m.s.areaCount = 2;
    // Two areas and a stream line, in the order they were appended.
    m.Text1.Text =
        "Area1 X,Y Coordinates   (mi)\r\n0, 1\r\n1, 1\r\n1, 0\r\n0, 1\r\nXmin 0, Ymin 0, Xmax 1, Ymax 1\r\n"
        "Area1= 0.50 (mi^2), Perimeter= 3.41 (mi), Centroid= 0.67, 0.67\r\n"
        "Area2 X,Y Coordinates   (mi)\r\n2, 2\r\n3, 3\r\n2, 2\r\nXmin 2, Ymin 2, Xmax 3, Ymax 3\r\n"
        "Area2= 0.00 (mi^2), Perimeter= 2.83 (mi), Centroid= 0.67, 0.67\r\n"
        "Stream X,Y Coordinates (mi)\r\n0, 0\r\n1, 1\r\nXmin 0, Ymin 0, Xmax 1, Ymax 1\r\n"
        "Longest Stream Lenth= 1.41 (mi), Length Below Centroid= 0.47 (mi)\r\n";
    ScriptedDialogs dialogs;
    CommonDialog cd(dialogs);
    dialogs.answerFile(path);
    EXPECT_TRUE(saveCoordinateFile(m, cd, dir.path()));
    EXPECT_EQ(readAll(path), m.Text1.Text.toLatin1());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"basin one.txt"});  // nothing left beside it
    EXPECT_EQ(m.Text1.Text.left(5), "Area1");  // the box keeps its text
    EXPECT_TRUE(dialogs.messages().empty());

    // An empty box gives an empty file.
    m.Text1.Text.clear();
    dialogs.answerFile(path);
    EXPECT_TRUE(saveCoordinateFile(m, cd, dir.path()));
    EXPECT_EQ(readAll(path), QByteArray());
}

TEST(CoordinateFile, CancelAndFailuresAreSilentAndLeaveTheEarlierFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("CorvanData1.txt");
    writeAll(path, "earlier\r\n");
    MapModel m;
    m.formLoad();
    m.Text1.Text = "new text\r\n";
    ScriptedDialogs dialogs;
    CommonDialog cd(dialogs);

    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(saveCoordinateFile(m, cd, dir.path()));
    dialogs.answerFile(dir.filePath("no such folder/CorvanData1.txt"));
    EXPECT_FALSE(saveCoordinateFile(m, cd, dir.path()));
    dialogs.answerFile(dir.path());  // a folder, not a file
    EXPECT_FALSE(saveCoordinateFile(m, cd, dir.path()));
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(readAll(path), "earlier\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"CorvanData1.txt"});
}

TEST(CoordinateFile, LineEndsAreCarriageReturnLineFeed)
{
    EXPECT_EQ(coordinateFileBytes("a\r\nb\nc\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(coordinateFileBytes("\n"), "\r\n");
    EXPECT_EQ(coordinateFileBytes("no end"), "no end");
    EXPECT_EQ(coordinateFileName(32767), "CorvanData32767.txt");
}
