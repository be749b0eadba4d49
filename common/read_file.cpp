// Reading user files (see read_file.h).
#include "common/read_file.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/runtime_error.h"

namespace corv {

FileRead readRegularFile(const QString& path, qint64 maxBytes)
{
    FileRead out;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Looked at before opening: opening some devices already acts on them.
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
        out.status = FileRead::Status::Missing;
        out.error = name.isEmpty() ? ENOENT : errno;
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.status = FileRead::Status::NotRegular;
        return out;
    }
    // Without blocking, in case the name now means a FIFO.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Unreadable;
        out.error = errno;
        return out;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        out.status = FileRead::Status::NotRegular;
        return out;
    }
    if (st.st_size > maxBytes) {
        out.status = FileRead::Status::TooLarge;
        return out;
    }
    // Read to the end, which may differ from the size seen if the file is being written.
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(st.st_size) + 1);
    qint64 got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes) {
                out.status = FileRead::Status::TooLarge;
                return out;
            }
            bytes.resize(static_cast<qsizetype>(std::min<qint64>(got * 2 + 4096, maxBytes + 1)));
        }
        const ssize_t r = ::read(fd, bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            out.status = FileRead::Status::Unreadable;
            out.error = errno;
            return out;
        }
        if (r == 0) break;
        got += r;
    }
    if (got > maxBytes) {
        out.status = FileRead::Status::TooLarge;
        return out;
    }
    bytes.resize(static_cast<qsizetype>(got));
    out.bytes = std::move(bytes);
    return out;
}

QByteArray readUserFile(const QString& path, qint64 maxBytes)
{
    FileRead r = readRegularFile(path, maxBytes);
    const std::string name = path.toStdString();
    switch (r.status) {
    case FileRead::Status::Ok: break;
    case FileRead::Status::Missing: throw RuntimeError(err::kFileNotFound, "File not found: " + name);
    case FileRead::Status::NotRegular:
        throw RuntimeError(err::kPathFileAccess, "Path/File access error: " + name + " is not a regular file");
    case FileRead::Status::Unreadable:
        throw RuntimeError(err::kPermissionDenied,
                           "Permission denied: " + name + " cannot be read (" + std::strerror(r.error) + ")");
    case FileRead::Status::TooLarge:
        throw RuntimeError(err::kOutOfMemory, "Out of memory: " + name + " is too large to read");
    }
    return std::move(r.bytes);
}

}  // namespace corv
