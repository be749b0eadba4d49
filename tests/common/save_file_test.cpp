// The one save path: what a failed save leaves, refusals, what replacing keeps, links;
// then every save path of the program for times and links.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "common/dates.h"
#include "hdb/connection.h"
#include "hdb/hdb_database.h"
#include "hdb/retrieval.h"
#include "map/coordinate_file.h"
#include "map/map_fixture.h"
#include "map/picture/dib_section.h"
#include "map/picture/jpeg_writer.h"
#include "map/picture/picture_menu.h"
#include "runoff/file_copy.h"
#include "runoff/hydrograph_report.h"
#include "support/failing_save.h"

using namespace corv;
using namespace corv::test;

namespace {

constexpr time_t kOldChange = 1100000000;

// An older file with times well in the past, so that keeping or renewing them shows.
QString putFile(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
{
    QFile::remove(path);
    EXPECT_TRUE(writeBytes(path, bytes));
    const QByteArray name = QFile::encodeName(path);
    ::chmod(name.constData(), mode);
    const struct timespec times[2] = {{1000000000, 0}, {kOldChange, 987654321}};
    ::utimensat(AT_FDCWD, name.constData(), times, 0);
    return path;
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

}  // namespace

TEST(SaveFile, EveryFailurePointAndAFileSizeLimitKeepTheOlderFile)
{
    QTemporaryDir dir;
    const QString path = putFile(dir.filePath("Saved.GRF"), "older content\r\n", 0640);
    const QByteArray big(700 * 1024, 'x');  // more than the save's buffer
    expectFailuresKeepOlder(path, durableFailures(300 * 1024), [&] { return saveErrorOf([&] { saveFile(path, big); }); });
    // Past the file-size limit: a failure, not the SIGXFSZ that would end the program.
    const FileSnapshot before = snapshot(path);
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{64 * 1024, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString shown = saveErrorOf([&] { saveFile(path, big); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(shown, "Path/File access error: " + path + " could not be saved (File too large).");
    EXPECT_TRUE(snapshot(path) == before) << "the older file changed";
    SaveFile{path}.write("half", 4);  // abandoned without commit
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"Saved.GRF"});
}

TEST(SaveFile, ReplacingKeepsModeAndOwnerNewFilesTakeTheMaskLinksAreFollowed)
{
    QTemporaryDir dir;
    const QString path = putFile(dir.filePath("map.bmp"), "old", 0640);
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(QFile::encodeName(path).constData(), 4321, 4322) == 0);
    const ino_t before = statOf(path).st_ino;
    saveFile(path, "new content");
    const struct stat after = statOf(path);
    EXPECT_NE(after.st_ino, before);  // a new file took the name, with the older one's mode and owner
    EXPECT_TRUE(!root || std::make_pair(after.st_uid, after.st_gid) == std::make_pair(4321u, 4322u));

    // New files: the mask, or the owner alone; a replaced owner-only file keeps only its owner's bits.
    const mode_t mask = ::umask(022);
    saveFile(dir.filePath("plain.txt"), "a");
    saveFile(dir.filePath("mine.txt"), "b", {.ownerOnly = true});
    ::umask(mask);
    saveFile(putFile(dir.filePath("shared.txt"), "old", 0764), "new", {.ownerOnly = true});
    for (const auto& [name, mode] : {std::pair{"map.bmp", 0640u}, {"plain.txt", 0644u}, {"mine.txt", 0600u}, {"shared.txt", 0700u}})
        EXPECT_EQ(statOf(dir.filePath(name)).st_mode & 07777, mode) << name;

    // A dangling link reached through a second link by a relative name (links to files
    // are in SavePaths): the file it names is made and both links stay.
    ASSERT_TRUE(QDir(dir.path()).mkdir("maps"));
    ASSERT_EQ(::symlink("maps/gone.bmp", QFile::encodeName(dir.filePath("near.bmp")).constData()), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("near.bmp"), dir.filePath("far.bmp")));
    saveFile(dir.filePath("far.bmp"), "far");
    EXPECT_TRUE(QFileInfo(dir.filePath("far.bmp")).isSymLink() && QFileInfo(dir.filePath("near.bmp")).isSymLink());
    EXPECT_EQ(readBytes(dir.filePath("maps/gone.bmp")), "far");
}

// Refused before anything is written, with the file and the reason. Read-only is the
// write bit of the class that applies; root counts as the owner, so 0444 holds for root.
TEST(SaveFile, RefusesReadOnlyFilesFoldersSpecialFilesAndMissingFolders)
{
    const gid_t groups[] = {100, 27};  // an ordinary user's groups
    // uid, the file's owner and group, its mode, read-only.
    const std::tuple<uid_t, uid_t, gid_t, mode_t, bool> modes[] = {
        {1000, 1000, 5, 0644, false}, {1000, 1000, 100, 0464, true} /* the owner's bit for the owner */,
        {1000, 2000, 27, 0464, false} /* a supplementary group */, {1000, 2000, 27, 0646, true},
        {1000, 2000, 5, 0442, false} /* others */, {1000, 2000, 5, 0664, true}, {0, 2000, 5, 0466, true}, {0, 2000, 5, 0600, false}};
    for (const auto& [uid, owner, group, mode, readOnly] : modes) {
        struct stat st {};
        st.st_uid = owner, st.st_gid = group, st.st_mode = S_IFREG | mode;
        EXPECT_EQ(readOnlyByMode(st, uid, 100, groups, 2), readOnly) << uid << " " << std::oct << mode;
    }

    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0666), 0);
    const QString locked = putFile(dir.filePath("locked.txt"), "read-only", 0444);
    ASSERT_EQ(::symlink("loop", QFile::encodeName(dir.filePath("loop")).constData()), 0);
    const std::pair<QString, const char*> cases[] = {
        {locked, "Permission denied: %1 could not be saved (the file is read-only)."},
        {dir.filePath("sub"), "Path/File access error: %1 could not be saved (it is not a regular file)."},
        {dir.filePath("pipe"), "Path/File access error: %1 could not be saved (it is not a regular file)."},
        {"/dev/null", "Path/File access error: %1 could not be saved (it is not a regular file)."},
        {dir.filePath("loop"), "Path/File access error: %1 could not be saved (Too many levels of symbolic links)."},
        {dir.filePath("gone/x.txt"), "Path not found: %1 could not be saved (the folder %2 does not exist)."},
        {"", "Bad file name or number: %1 could not be saved (no file name was given)."}};
    for (const auto& [target, text] : cases)
        EXPECT_EQ(saveErrorOf([&] { saveFile(target, "x"); }), QString(text).replace("%1", target).replace("%2", dir.filePath("gone")));
    EXPECT_EQ(readBytes(locked), "read-only");
    EXPECT_EQ(folderEntries(dir.path()), (QStringList{"locked.txt", "loop", "pipe", "sub"}));
}

// Every save path under its file name: only the JPEG keeps the replaced file's times
// (others show backup and build tools the save's time); a link under one of the
// program's own names is replaced, never written through; one the user chose is followed.
TEST(SavePaths, OnlyTheJpegKeepsTimesAndTheProgramsOwnNamesReplaceALink)
{
    QTemporaryDir dir;
    MapFixture map;
    CommonDialog dialog{map.ops.dlg};
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    cDIBSection dib;
    dib.CreateFromPicture(picture);
    const QString report = putFile(dir.filePath("report.GRF"), "report");
    const QString connection = hdbtest::testConnection(dir);
    hdbtest::Database database(connection);
    hdbtest::fillSample(database);
    RetrievalInputs flows;
    flows.ComboDSID = "21 flow cfs Zulu Creek", flows.ComboUnits = "Unit Values", flows.txtRainAdjust = "1";
    flows.folder = dir.path();
    const std::tuple<const char*, bool, bool, std::function<void(const QString&)>> paths[] = {
        {"map.jpg", true, false, [&](const QString& p) { mIntelJPEGLibrary::SaveDibToJpegFile(dib, p, 90); }},
        {"map.bmp", false, false, [&](const QString& p) { saveBitmapFile(picture, p); }},
        {"area.txt", false, false,
         [&](const QString& p) { map.ops.dlg.answerFile(p), saveCoordinateFile(map.m, dialog, map.ops.dlg, dir.path()); }},
        {"saved.GRF", false, false, [&](const QString& p) { FileCopy(report, p); }},
        {"Temp.GRF", false, true, [&](const QString&) {
             ComputeState s;  // one step of rain, no runoff
             for (VArray<float>* a : {&s.qi, &s.rdepth, &s.excess, &s.gwFlow, &s.pCumStep}) a->redim(1);
             s.udur = 1, s.obs = 1;
             writeHydrographReport(s, 0, {}, {}, dir.path());
         }},
        {"Corvantine_setup.txt", false, true, [&](const QString& p) { writeSetupFile(p, "DSN=basin"); }},
        {"TmpHDB.GRF", false, true, [&](const QString&) {
             std::int16_t obs = 0;
             float udur = 0;
             const double day = makeDate(2026, 12, 5);
             GetHDBQ(day, day + 1, obs, udur, connection, flows, map.ops.dlg);
         }},
    };
    for (const auto& [name, keepsTimes, ownName, save] : paths) {
        const QString path = putFile(dir.filePath(name), "older"), victim = putFile(dir.filePath("victim"), "victim");
        save(path);
        EXPECT_EQ(statOf(path).st_mtim.tv_sec == kOldChange, keepsTimes) << name;
        EXPECT_NE(readBytes(path), "older") << name;
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(victim, path));
        save(path);
        EXPECT_EQ(QFileInfo(path).isSymLink(), !ownName) << name;
        EXPECT_EQ(readBytes(victim) == "victim", ownName) << name;
    }
    EXPECT_TRUE(map.messages().empty()) << map.messages().front().toStdString();
}
