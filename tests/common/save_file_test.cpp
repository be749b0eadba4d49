// The one save path: what a failed save leaves (the older file, no file beside it, a
// message naming the file and the reason), read-only files, special files, and what
// replacing keeps.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/mount.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/save_file.h"
#include "support/failing_save.h"

using namespace corv;
using namespace corv::test;

namespace {

QByteArray pattern(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>('a' + (i * 7) % 26);
    return b;
}

void putFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
    // A time well in the past, with nanoseconds, so that keeping it is seen.
    const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

int numberOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const SaveError& e) {
        return e.number();
    }
    return 0;
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

TEST(SaveFile, ReplacingKeepsModeOwnerAndTimes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("map.bmp");
    putFile(path, "old", 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4321, 4322), 0);
    }
    const struct stat before = statOf(path);
    saveFile(path, "new content");
    const struct stat after = statOf(path);
    EXPECT_EQ(snapshot(path).bytes, "new content");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(after.st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(after.st_atim.tv_sec, 1000000000);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file took the name
    if (root) {
        EXPECT_EQ(std::make_pair(after.st_uid, after.st_gid), std::make_pair(4321u, 4322u));
    }

    // A link is replaced through: the file it names gets the content, the link stays.
    const QString link = dir.filePath("link.bmp");
    ASSERT_TRUE(QFile::link(path, link));
    saveFile(link, "through the link");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(snapshot(path).bytes, "through the link");
}

TEST(SaveFile, NewFilesAndOwnerOnly)
{
    QTemporaryDir dir;
    const mode_t mask = ::umask(022);
    saveFile(dir.filePath("plain.txt"), "a");
    saveFile(dir.filePath("Corvantine_setup.txt"), "b", {.ownerOnly = true});
    ::umask(mask);
    EXPECT_EQ(statOf(dir.filePath("plain.txt")).st_mode & 0777, 0644u);
    EXPECT_EQ(statOf(dir.filePath("Corvantine_setup.txt")).st_mode & 0777, 0600u);
    // A replaced owner-only file keeps its owner's bits and loses the others'.
    putFile(dir.filePath("shared.txt"), "old", 0764);
    saveFile(dir.filePath("shared.txt"), "new", {.ownerOnly = true});
    EXPECT_EQ(statOf(dir.filePath("shared.txt")).st_mode & 0777, 0700u);
}

TEST(SaveFile, ReadOnlyByModeBitsIsRefusedForEveryone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.txt");
    for (mode_t mode : {0444, 0464, 0466, 0400}) {
        putFile(path, "locked", mode);
        const FileSnapshot before = snapshot(path);
        // Refused also when running as root, who could write it.
        EXPECT_EQ(saveErrorOf([&] { saveFile(path, "new"); }),
                  "Permission denied: " + path + " could not be saved (the file is read-only).")
            << std::oct << mode;
        expectSame(before, snapshot(path), "read-only");
        EXPECT_EQ(folderEntries(dir.path()), QStringList{"locked.txt"});
    }

    // The rule for an ordinary user (uid 1000, groups 100 and 27): the write bit of
    // the class that applies; the superuser counts as the owner.
    struct stat st {};
    const gid_t groups[] = {100, 27};
    const auto readOnly = [&](uid_t owner, gid_t group, mode_t mode, uid_t uid = 1000) {
        st.st_uid = owner;
        st.st_gid = group;
        st.st_mode = S_IFREG | mode;
        return readOnlyByMode(st, uid, 100, groups, 2);
    };
    EXPECT_FALSE(readOnly(1000, 5, 0644));
    EXPECT_TRUE(readOnly(1000, 100, 0464));  // the owner's bit decides for the owner
    EXPECT_FALSE(readOnly(2000, 27, 0464));  // a supplementary group
    EXPECT_TRUE(readOnly(2000, 27, 0646));
    EXPECT_FALSE(readOnly(2000, 5, 0442));   // others
    EXPECT_TRUE(readOnly(2000, 5, 0664));
    EXPECT_TRUE(readOnly(2000, 5, 0466, 0));  // root: the owner's bit
    EXPECT_FALSE(readOnly(2000, 5, 0600, 0));
}

TEST(SaveFile, FoldersSpecialFilesAndMissingFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    EXPECT_EQ(saveErrorOf([&] { saveFile(dir.filePath("sub"), "x"); }),
              "Path/File access error: " + dir.filePath("sub") + " could not be saved (it is not a regular file).");
    EXPECT_EQ(numberOf([&] { saveFile(fifo, "x"); }), err::kPathFileAccess);
    EXPECT_EQ(numberOf([&] { saveFile("/dev/null", "x"); }), err::kPathFileAccess);
    const QString lost = dir.filePath("no such folder/x.txt");
    EXPECT_EQ(saveErrorOf([&] { saveFile(lost, "x"); }),
              "Path not found: " + lost + " could not be saved (the folder " + dir.filePath("no such folder") +
                  " does not exist).");
    EXPECT_EQ(numberOf([&] { saveFile(QString(), "x"); }), err::kBadFileName);
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
    const QString shown = saveErrorOf([&] { saveFile(path, pattern(200 * 1024)); });
    EXPECT_EQ(shown, "Path/File access error: " + path + " could not be saved (No space left on device).");
    expectSame(before, snapshot(path), "full disk");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"Saved.GRF"});
    // The disk still takes a save that fits.
    saveFile(path, "small");
    EXPECT_EQ(snapshot(path).bytes, "small");
}

namespace {

// The read-only rule as an ordinary user sees it, in a folder the user may write:
// returns a mask of the checks that went wrong (0 when all held).
int ordinaryUserChecks(const QString& folder, bool rootOwnedFiles)
{
    int wrong = 0;
    const QString locked = folder + "/locked.txt", open = folder + "/open.txt";
    if (numberOf([&] { saveFile(locked, "new"); }) != err::kPermissionDenied) wrong |= 1;
    if (snapshot(locked).bytes != "mine, read-only") wrong |= 2;
    saveFile(open, "new");
    if (snapshot(open).bytes != "new") wrong |= 4;
    if (rootOwnedFiles) {
        // Another owner's file without the write bit for others is refused, although
        // the folder would let the user rename over it.
        const QString theirs = folder + "/theirs.txt";
        if (numberOf([&] { saveFile(theirs, "new"); }) != err::kPermissionDenied) wrong |= 8;
        if (snapshot(theirs).bytes != "root's") wrong |= 16;
    }
    return wrong;
}

}  // namespace

TEST(SaveFile, ReadOnlyForAnOrdinaryUser)
{
    QTemporaryDir dir;
    putFile(dir.filePath("locked.txt"), "mine, read-only", 0444);
    putFile(dir.filePath("open.txt"), "mine", 0644);
    if (geteuid() != 0) {
        EXPECT_EQ(ordinaryUserChecks(dir.path(), false), 0);
        return;
    }
    // As root: the checks run in a child that has become the user "nobody".
    const uid_t nobody = 65534;
    putFile(dir.filePath("theirs.txt"), "root's", 0664);
    for (const char* name : {"", "/locked.txt", "/open.txt"})
        ASSERT_EQ(::chown(QFile::encodeName(dir.path() + name).constData(), nobody, nobody), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(100);
        ::_exit(ordinaryUserChecks(dir.path(), true));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "mask of failed checks (100: could not become nobody)";
}
