// The one save path: what a failed save leaves (the older file, no file beside it, a
// message naming the file and the reason), read-only files, special files, and what
// replacing keeps.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/save_file.h"
#include "support/error_number.h"
#include "support/failing_save.h"
#include "support/file_bytes.h"

using namespace corv;
using namespace corv::test;

namespace {

QByteArray pattern(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>('a' + (i * 7) % 26);
    return b;
}

// An older file, with a time well in the past and nanoseconds, so that keeping it is seen.
void putFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
{
    QFile::remove(path);
    ASSERT_TRUE(writeBytes(path, bytes));
    const QByteArray name = QFile::encodeName(path);
    ::chmod(name.constData(), mode);
    const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
    ::utimensat(AT_FDCWD, name.constData(), times, 0);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

}  // namespace

TEST(SaveFile, EveryFailurePointKeepsTheOlderFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Saved.GRF");
    putFile(path, "older content\r\n", 0640);
    const QByteArray big = pattern(700 * 1024);  // more than the helper's buffer
    expectFailuresKeepOlder(path, durableFailures(300 * 1024),
                            [&] { return saveErrorOf([&] { saveFile(path, big); }); });
    // The same in pieces, failing within the second buffer-full.
    expectFailuresKeepOlder(path, durableFailures(290 * 1024), [&] {
        return saveErrorOf([&] {
            SaveFile file(path);
            for (int i = 0; i < 700; ++i) file.write(big.constData() + i * 1024, 1024);
            file.commit();
        });
    });
    // A scratch file stepped aside fails at either rename and the older file comes back.
    using P = FailingSaveDevice::Point;
    expectFailuresKeepOlder(path, {{P::Byte, 5, "partway"}, {P::Close, 0, "close"}, {P::Rename, 0, "step aside"},
                                   {P::SecondRename, 0, "take the name"}},
                            [&] { return saveErrorOf([&] { saveFile(path, big, {.durable = false}); }); });
    // The message: the error's own text, the file and the reason.
    FailingSaveDevice full(P::Byte, 10);
    const ScopedSaveDevice scoped(full);
    EXPECT_EQ(saveErrorOf([&] { saveFile(path, big); }),
              "Path/File access error: " + path + " could not be saved (No space left on device).");
}

TEST(SaveFile, AnUnfinishedSaveLeavesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("x.txt");
    putFile(path, "kept");
    {
        SaveFile file(path);
        file.write("half", 4);
        EXPECT_EQ(folderEntries(dir.path()).size(), 2);  // the older file and the one beside it
    }
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"x.txt"});
    EXPECT_EQ(snapshot(path).bytes, "kept");
}

TEST(SaveFile, ReplacingKeepsModeOwnerAndTimesNewFilesTakeTheMask)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("map.bmp");
    putFile(path, "old", 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 4322), 0);
    }
    const ino_t before = statOf(path).st_ino;
    saveFile(path, "new content");
    const struct stat after = statOf(path);
    EXPECT_EQ(snapshot(path).bytes, "new content");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(std::make_pair(after.st_mtim.tv_sec, after.st_mtim.tv_nsec), std::make_pair(1100000000L, 987654321L));
    EXPECT_EQ(after.st_atim.tv_sec, 1000000000);
    EXPECT_NE(after.st_ino, before);  // a new file took the name
    if (root) {
        EXPECT_EQ(std::make_pair(after.st_uid, after.st_gid), std::make_pair(4321u, 4322u));
    }

    // A link is replaced through: the file it names gets the content, the link stays.
    const QString link = dir.filePath("link.bmp");
    ASSERT_TRUE(QFile::link(path, link));
    saveFile(link, "through the link");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(snapshot(path).bytes, "through the link");

    // New files: the mask, or the owner alone; a replaced owner-only file keeps its
    // owner's bits and loses the others'.
    const mode_t mask = ::umask(022);
    saveFile(dir.filePath("plain.txt"), "a");
    saveFile(dir.filePath("Corvantine_setup.txt"), "b", {.ownerOnly = true});
    ::umask(mask);
    putFile(dir.filePath("shared.txt"), "old", 0764);
    saveFile(dir.filePath("shared.txt"), "new", {.ownerOnly = true});
    for (const auto& [name, mode] : {std::pair{"plain.txt", 0644u}, {"Corvantine_setup.txt", 0600u}, {"shared.txt", 0700u}})
        EXPECT_EQ(statOf(dir.filePath(name)).st_mode & 0777, mode) << name;
}

TEST(SaveFile, ReadOnlyByTheWriteBitOfTheClassThatApplies)
{
    // The rule for an ordinary user (groups 100 and 27): the write bit of the class
    // that applies; the superuser (uid 0) counts as the owner.
    const gid_t groups[] = {100, 27};
    const struct {
        uid_t uid, owner;
        gid_t group;
        mode_t mode;
        bool readOnly;
    } cases[] = {{1000, 1000, 5, 0644, false}, {1000, 1000, 100, 0464, true} /* the owner's bit for the owner */,
                 {1000, 2000, 27, 0464, false} /* a supplementary group */, {1000, 2000, 27, 0646, true},
                 {1000, 2000, 5, 0442, false} /* others */, {1000, 2000, 5, 0664, true},
                 {0, 2000, 5, 0466, true},       {0, 2000, 5, 0600, false}};
    for (const auto& c : cases) {
        struct stat st {};
        st.st_uid = c.owner;
        st.st_gid = c.group;
        st.st_mode = S_IFREG | c.mode;
        EXPECT_EQ(readOnlyByMode(st, c.uid, 100, groups, 2), c.readOnly) << c.uid << " " << std::oct << c.mode;
    }
}

TEST(SaveFile, FoldersSpecialFilesAndMissingFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    EXPECT_EQ(saveErrorOf([&] { saveFile(dir.filePath("sub"), "x"); }),
              "Path/File access error: " + dir.filePath("sub") + " could not be saved (it is not a regular file).");
    for (const QString& special : {fifo, QStringLiteral("/dev/null")})
        EXPECT_EQ(errorNumber([&] { saveFile(special, "x"); }), err::kPathFileAccess) << special.toStdString();
    const QString lost = dir.filePath("no such folder/x.txt");
    EXPECT_EQ(saveErrorOf([&] { saveFile(lost, "x"); }), "Path not found: " + lost + " could not be saved (the folder " +
                                                               dir.filePath("no such folder") + " does not exist).");
    EXPECT_EQ(errorNumber([&] { saveFile(QString(), "x"); }), err::kBadFileName);
    EXPECT_EQ(folderEntries(dir.path()), (QStringList{"pipe", "sub"}));
}

TEST(SaveFile, FileSizeLimitIsAFailureNotASignal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.GRF");
    putFile(path, "older");
    const FileSnapshot before = snapshot(path);
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    // Without SIGXFSZ ignored this would end the test program.
    const QString shown = saveErrorOf([&] { saveFile(path, pattern(1024 * 1024)); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(shown, "Path/File access error: " + path + " could not be saved (File too large).");
    expectSame(before, snapshot(path), "size limit");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"big.GRF"});
}

// A real full disk: a 64 KB tmpfs. Mounting needs root with the right to mount.
TEST(SaveFile, RealFullDiskKeepsTheOlderFile)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                     << "; needs root with mount rights): the real full-disk test is skipped";
    struct Unmount {
        QByteArray point;
        ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
    } unmount{mountPoint};
    const QString path = dir.filePath("Saved.GRF");
    putFile(path, pattern(20 * 1024), 0640);
    const FileSnapshot before = snapshot(path);
    EXPECT_EQ(saveErrorOf([&] { saveFile(path, pattern(200 * 1024)); }),
              "Path/File access error: " + path + " could not be saved (No space left on device).");
    expectSame(before, snapshot(path), "full disk");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"Saved.GRF"});
    // The disk still takes a save that fits.
    saveFile(path, "small");
    EXPECT_EQ(snapshot(path).bytes, "small");
}

// A read-only file is refused to whoever runs the test, root too, who could write it;
// then the rule as an ordinary user sees it, in a folder the user may write (as root, in
// a child that has become "nobody", with a root-owned file that the folder would let the
// user rename over): the mask of the checks that went wrong.
TEST(SaveFile, ReadOnlyFilesAreRefusedAsRootAndAsAnOrdinaryUser)
{
    QTemporaryDir dir;
    const QString locked = dir.filePath("locked.txt"), open = dir.filePath("open.txt"), theirs = dir.filePath("theirs.txt");
    putFile(locked, "mine, read-only", 0444);
    putFile(open, "mine", 0644);
    const FileSnapshot before = snapshot(locked);
    EXPECT_EQ(saveErrorOf([&] { saveFile(locked, "new"); }),
              "Permission denied: " + locked + " could not be saved (the file is read-only).");
    expectSame(before, snapshot(locked), "read-only");
    EXPECT_EQ(folderEntries(dir.path()), (QStringList{"locked.txt", "open.txt"}));
    const bool root = geteuid() == 0;
    const auto checks = [&] {
        int wrong = 0;
        if (errorNumber([&] { saveFile(locked, "new"); }) != err::kPermissionDenied) wrong |= 1;
        if (snapshot(locked).bytes != "mine, read-only") wrong |= 2;
        saveFile(open, "new");
        if (snapshot(open).bytes != "new") wrong |= 4;
        if (root && errorNumber([&] { saveFile(theirs, "new"); }) != err::kPermissionDenied) wrong |= 8;
        if (root && snapshot(theirs).bytes != "root's") wrong |= 16;
        return wrong;
    };
    if (!root) {
        EXPECT_EQ(checks(), 0);
        return;
    }
    const uid_t nobody = 65534;
    putFile(theirs, "root's", 0664);
    for (const QString& p : {dir.path(), locked, open}) ASSERT_EQ(::chown(QFile::encodeName(p).constData(), nobody, nobody), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(100);
        ::_exit(checks());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "mask of failed checks (100: could not become nobody)";
}
