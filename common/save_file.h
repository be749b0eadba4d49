// The one way the program writes a file: the new content goes to a file beside the
// target, every write and the flush are checked, and only a complete file takes the
// target's name. Any failure leaves the older file exactly as it was, removes the file
// beside it, and raises a run-time error that names the file and the system's reason.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

#include "common/runtime_error.h"

namespace corv {

struct SaveOptions {
    // A new file is created readable and writable by its owner alone (0600) instead of
    // 0666 less the umask; a replaced file keeps its owner's bits and loses the group's
    // and others'. Otherwise a replaced file keeps its own mode.
    bool ownerOnly = false;
    // The new content is forced to the disk before it takes the name, so that a crash
    // or power cut leaves the old file or the new one, never an empty one. Off for
    // scratch files rewritten on every run: the old file then steps aside (renamed next
    // to it) while the new one takes its name, and comes back if that fails.
    bool durable = true;
    // The replaced file's access and modification times stay: a JPEG picture takes the
    // place of the one it replaces, times and all. Otherwise the new content has the
    // time of the save, so that backup and build tools see that it changed.
    bool keepTimes = false;
    // A symbolic link under the name is itself replaced by the new file, never written
    // through. For the program's own fixed names (Temp.GRF, TmpHDB.GRF, the setup file),
    // which nobody chooses: a link planted there must not carry the write elsewhere.
    bool replaceLink = false;
};

// A failed save: number 70 "Permission denied" (a read-only file), 76 "Path not found"
// (no such folder) or 75 "Path/File access error" (anything else). The text reads
// "<error text>: <file> could not be saved (<reason>)."
class SaveError : public RuntimeError {
public:
    SaveError(int number, const QString& path, const QString& reason);
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }

private:
    QString path_;
    QString reason_;
};

// Writes a new content for target, in pieces, and puts it in place with commit().
// The target is checked and the file beside it created by the constructor: an existing
// target must be a regular file that is writable by its mode bits for the user running
// the program, counting the superuser as the file's owner. A link is followed to the
// file it names, which is created when it is missing (unless replaceLink). Replacing
// keeps the old file's mode and owner (where the program may set it). A SaveFile
// destroyed without commit() removes the file beside the target and leaves the target
// untouched.
class SaveFile {
public:
    explicit SaveFile(const QString& target, SaveOptions options = {});
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    void write(const char* data, std::size_t size);
    void write(const QByteArray& bytes) { write(bytes.constData(), static_cast<std::size_t>(bytes.size())); }
    // Puts size bytes at offset of the new content, beside what write() adds from the
    // start (which it does not move). Several threads may write apart at once; a
    // failure raises the error in the thread that met it and leaves the save to be
    // ended there, so the file beside the target goes when this SaveFile does.
    void writeAt(std::size_t offset, const char* data, std::size_t size) const;
    // Flushes, forces to disk (when durable), copies mode, owner (and times), closes and renames.
    void commit();

private:
    [[noreturn]] void fail(int error);
    void flushBuffer();
    void writeAll(const char* data, std::size_t size);
    void discard();

    QString shownName_;   // as the user chose it
    QByteArray target_;   // the file actually replaced (a link's target)
    QByteArray tempName_;
    SaveOptions options_;
    struct stat old_ {};
    bool existed_ = false;
    int fd_ = -1;
    QByteArray buffer_;
    bool committed_ = false;
};

// The whole content in one call.
void saveFile(const QString& target, const QByteArray& bytes, SaveOptions options = {});

// Whether a file of this mode and owner counts as read-only for user uid in groups
// (gid first): the write bit of the class that applies to the user, the superuser
// counting as the owner, so that a 0444 file is read-only for everyone.
bool readOnlyByMode(const struct stat& st, uid_t uid, gid_t gid, const gid_t* groups, int groupCount);

// The system calls a save makes on its file, replaceable so that tests can fail a
// save at a chosen point (a full disk at byte N, a failing flush, a failing rename).
// Each returns as the system call does and sets errno on failure.
class SaveDevice {
public:
    virtual ~SaveDevice() = default;
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int sync(int fd);   // forcing the written data to the disk
    virtual int close(int fd);  // the last flush: a network file system reports here
    virtual int rename(const char* from, const char* to);
};

// Puts device in place of the system for every save until it is destroyed.
class ScopedSaveDevice {
public:
    explicit ScopedSaveDevice(SaveDevice& device);
    ~ScopedSaveDevice();
    ScopedSaveDevice(const ScopedSaveDevice&) = delete;
    ScopedSaveDevice& operator=(const ScopedSaveDevice&) = delete;

private:
    SaveDevice* previous_;
};

}  // namespace corv
