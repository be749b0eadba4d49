// Saving files without ever losing the older one (see save_file.h).
#include "common/save_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <climits>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace corv {

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

SaveDevice& systemDevice()
{
    static SaveDevice device;
    return device;
}

std::atomic<SaveDevice*> gDevice{nullptr};

SaveDevice& device()
{
    SaveDevice* d = gDevice.load();
    return d ? *d : systemDevice();
}

// A file grown past the size limit (ulimit -f) is a failed write like a full disk,
// not a signal that ends the program.
void ignoreFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

QString reasonOf(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

int numberFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return err::kPermissionDenied;
    case ENOENT:
    case ENOTDIR: return err::kPathNotFound;
    default: return err::kPathFileAccess;
    }
}

// The file a link names, also when it does not exist (a link left by a deleted file
// brings it back). A loop of links names nothing.
QString linkedFile(const QString& link)
{
    QString path = link;
    for (int hop = 0; hop < 40; ++hop) {
        char to[PATH_MAX];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), to, sizeof to);
        if (n < 0 || n == sizeof to) return path;  // no link: the file named
        // A relative link is read from the link's own folder.
        path = QDir(QFileInfo(path).absolutePath()).filePath(QFile::decodeName(QByteArray(to, n)));
    }
    throw SaveError(err::kPathFileAccess, link, reasonOf(ELOOP));
}

bool readOnlyForMe(const struct stat& st)
{
    gid_t groups[256];
    const int n = getgroups(256, groups);
    return readOnlyByMode(st, geteuid(), getegid(), groups, n < 0 ? 0 : n);
}

}  // namespace

SaveError::SaveError(int number, const QString& path, const QString& reason)
    : RuntimeError(number,
                   err::text(number) + ": " + path.toStdString() + " could not be saved (" + reason.toStdString() +
                       ")."),
      path_(path), reason_(reason)
{
}

bool readOnlyByMode(const struct stat& st, uid_t uid, gid_t gid, const gid_t* groups, int groupCount)
{
    if (uid == 0 || st.st_uid == uid) return (st.st_mode & S_IWUSR) == 0;
    bool inGroup = st.st_gid == gid;
    for (int i = 0; i < groupCount && !inGroup; ++i) inGroup = groups[i] == st.st_gid;
    if (inGroup) return (st.st_mode & S_IWGRP) == 0;
    return (st.st_mode & S_IWOTH) == 0;
}

ssize_t SaveDevice::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
ssize_t SaveDevice::pwrite(int fd, const void* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}
int SaveDevice::sync(int fd) { return ::fdatasync(fd); }
int SaveDevice::close(int fd) { return ::close(fd); }
int SaveDevice::rename(const char* from, const char* to) { return ::rename(from, to); }

ScopedSaveDevice::ScopedSaveDevice(SaveDevice& d) : previous_(gDevice.exchange(&d)) {}
ScopedSaveDevice::~ScopedSaveDevice() { gDevice.store(previous_); }

SaveFile::SaveFile(const QString& target, SaveOptions options) : shownName_(target), options_(options)
{
    ignoreFileSizeSignal();
    if (target.isEmpty()) throw SaveError(err::kBadFileName, target, QStringLiteral("no file name was given"));
    target_ = QFile::encodeName(target);

    // A link is replaced through it: the file it names gets the new content.
    struct stat link {};
    const bool isLink = ::lstat(target_.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    if (isLink && !options_.replaceLink) target_ = QFile::encodeName(linkedFile(target));
    const QFileInfo info(QFile::decodeName(target_));
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat dir {};
    if (::stat(folder.constData(), &dir) != 0 || !S_ISDIR(dir.st_mode))
        throw SaveError(err::kPathNotFound, target,
                        QStringLiteral("the folder %1 does not exist").arg(info.absolutePath()));

    if (!(isLink && options_.replaceLink) && ::stat(target_.constData(), &old_) == 0) {
        if (!S_ISREG(old_.st_mode))
            throw SaveError(err::kPathFileAccess, target, QStringLiteral("it is not a regular file"));
        if (readOnlyForMe(old_)) throw SaveError(err::kPermissionDenied, target, QStringLiteral("the file is read-only"));
        existed_ = true;
    }

    static std::atomic<unsigned> counter{0};
    const QByteArray base = QFile::encodeName(info.fileName());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName_ = folder + "/." + base + "." + QByteArray::number(getpid()) + "." +
                    QByteArray::number(++counter) + ".tmp";
        fd_ = ::open(tempName_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, options_.ownerOnly ? 0600 : 0666);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const int e = errno;
        tempName_.clear();
        fail(e);
    }
    buffer_.reserve(static_cast<qsizetype>(kBufferBytes));
}

SaveFile::~SaveFile()
{
    if (!committed_) discard();
}

void SaveFile::discard()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.isEmpty()) ::unlink(tempName_.constData());
    tempName_.clear();
}

void SaveFile::fail(int error)
{
    discard();
    throw SaveError(numberFor(error), shownName_, reasonOf(error));
}

void SaveFile::write(const char* data, std::size_t size)
{
    if (fd_ < 0) throw SaveError(err::kPathFileAccess, shownName_, QStringLiteral("the save has already ended"));
    if (static_cast<std::size_t>(buffer_.size()) + size > kBufferBytes) flushBuffer();
    // Large pieces go straight to the file rather than through the buffer.
    if (size >= kBufferBytes) writeAll(data, size);
    else buffer_.append(data, static_cast<qsizetype>(size));
}

void SaveFile::flushBuffer()
{
    writeAll(buffer_.constData(), static_cast<std::size_t>(buffer_.size()));
    buffer_.resize(0);
}

void SaveFile::writeAll(const char* p, std::size_t left)
{
    while (left > 0) {
        const ssize_t r = device().write(fd_, p, left);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) fail(errno);
        if (r == 0) fail(ENOSPC);  // no progress: the disk takes no more
        p += r;
        left -= static_cast<std::size_t>(r);
    }
}

void SaveFile::writeAt(std::size_t offset, const char* p, std::size_t left) const
{
    if (fd_ < 0) throw SaveError(err::kPathFileAccess, shownName_, QStringLiteral("the save has already ended"));
    while (left > 0) {
        const ssize_t r = device().pwrite(fd_, p, left, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        // Not fail(): other threads may still be writing to the file.
        if (r <= 0) {
            const int e = r < 0 ? errno : ENOSPC;  // no progress: the disk takes no more
            throw SaveError(numberFor(e), shownName_, reasonOf(e));
        }
        p += r;
        offset += static_cast<std::size_t>(r);
        left -= static_cast<std::size_t>(r);
    }
}

void SaveFile::commit()
{
    if (fd_ < 0) throw SaveError(err::kPathFileAccess, shownName_, QStringLiteral("the save has already ended"));
    flushBuffer();
    if (existed_) {
        // The owner first: changing it clears set-user bits that the mode then restores.
        if (geteuid() == 0 && ::fchown(fd_, old_.st_uid, old_.st_gid) != 0) fail(errno);
        // A file of the owner alone (it may hold a password) never stays readable by others.
        const mode_t keep = options_.ownerOnly ? 0700 : 07777;
        if (::fchmod(fd_, old_.st_mode & keep) != 0) fail(errno);
    }
    if (options_.durable && device().sync(fd_) != 0) fail(errno);
    if (existed_ && options_.keepTimes) {
        // After the last write, which would set the modification time again.
        const struct timespec times[2] = {old_.st_atim, old_.st_mtim};
        if (::futimens(fd_, times) != 0) fail(errno);
    }
    const int fd = std::exchange(fd_, -1);
    if (device().close(fd) != 0) fail(errno);

    if (options_.durable || !existed_) {
        if (device().rename(tempName_.constData(), target_.constData()) != 0) fail(errno);
    } else {
        // Renaming over an existing file makes some file systems write the new one out
        // at once; stepping the old one aside first avoids that, and it comes back if
        // the new one cannot take its name.
        const QByteArray aside = tempName_ + ".old";
        if (device().rename(target_.constData(), aside.constData()) != 0) fail(errno);
        if (device().rename(tempName_.constData(), target_.constData()) != 0) {
            const int e = errno;
            ::rename(aside.constData(), target_.constData());
            fail(e);
        }
        ::unlink(aside.constData());
    }
    tempName_.clear();
    committed_ = true;
}

void saveFile(const QString& target, const QByteArray& bytes, SaveOptions options)
{
    SaveFile file(target, options);
    file.write(bytes);
    file.commit();
}

}  // namespace corv
