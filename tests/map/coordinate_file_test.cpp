// Saving the coordinate box: the dialog's set-up, the file's bytes, and what Cancel
// and failures leave behind. The save through the window: form1_window_test.cpp.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "map/coordinate_file.h"
#include "map/map_fixture.h"
#include "support/failing_save.h"

using namespace corv;
using corv::test::readAll;

TEST(CoordinateFile, DialogSetUpBytesAndFailures)
{
    QTemporaryDir dir;
    test::MapFixture f;
    CommonDialog cd{f.ops.dlg};
    auto save = [&](std::optional<QString> answer) {
        f.ops.dlg.answerFile(answer);
        return saveCoordinateFile(f.m, cd, f.ops.dlg, dir.path());
    };
    cd.DialogTitle = "left over";
    f.m.s.areaCount = 3;
    f.m.Text1.Text = "new text\r\n";
    EXPECT_FALSE(save(std::nullopt));  // Cancel writes nothing and shows no message
    ASSERT_EQ(f.ops.dlg.asked().size(), 1u);  // the dialog only
    const FileRequest& asked = f.ops.dlg.asked()[0].file;
    EXPECT_TRUE(asked.save && !cd.CancelError);  // CancelError held for that one use only
    EXPECT_EQ(QStringList({asked.fileName, asked.filter, asked.initDir, asked.title}),
              QStringList({"CorvanData3.txt", "Text file (*.txt)|*.txt|All files (*.*)|*.*|", dir.path(),
                           "left over"}));  // this use sets no title of its own
    EXPECT_EQ(coordinateFileName(32767), "CorvanData32767.txt");
    // Line ends are always carriage return and line feed.
    EXPECT_EQ(coordinateFileBytes("a\r\nb\nc\n") + coordinateFileBytes("no end"), "a\r\nb\r\nc\r\nno end");

    // A failure says why (the file and the reason) and leaves the earlier, longer file:
    // a full disk or a failed flush or rename. Read-only files and special files:
    // tests/common/save_file_test.cpp; missing folders: form1_window_test.cpp.
    const QString path = test::writeFile(dir.filePath("basin one.txt"), QByteArray(5000, 'x'));
    test::expectFailuresKeepOlder(path, test::durableFailures(4), [&] {
        const std::size_t shown = f.messages().size();
        EXPECT_FALSE(save(path));
        return f.messages().size() == shown + 1 ? f.messages().back() : QString();
    });
    f.m.Text1.Text.clear();  // an empty box gives an empty file
    EXPECT_TRUE(save(path));
    EXPECT_EQ(readAll(path), QByteArray());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"basin one.txt"});
}
