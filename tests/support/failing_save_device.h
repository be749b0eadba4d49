// A save device failing on purpose: at a chosen byte (a full disk), any write at an offset,
// the flush, the close or a rename.
#pragma once

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/save_file.h"

namespace corv::test {

class FailingSaveDevice : public SaveDevice {
public:
    enum class Point { Byte, At, Sync, Close, Rename, SecondRename };
    FailingSaveDevice(Point point, std::size_t byte = 0) : point_(point), byte_(byte) {}

    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        if (point_ == Point::Byte && written_ >= byte_) return fail();
        if (point_ == Point::Byte) size = std::min(size, byte_ - written_);
        const ssize_t r = SaveDevice::write(fd, data, size);
        written_ += r > 0 ? static_cast<std::size_t>(r) : 0;
        return r;
    }
    ssize_t pwrite(int fd, const void* data, std::size_t n, off_t at) override { return point_ == Point::At ? fail() : SaveDevice::pwrite(fd, data, n, at); }
    int sync(int fd) override { return point_ == Point::Sync ? fail() : SaveDevice::sync(fd); }
    int close(int fd) override
    {
        const int r = SaveDevice::close(fd);
        return point_ == Point::Close ? fail() : r;
    }
    int rename(const char* from, const char* to) override
    {
        ++renames_;
        const bool fails = (point_ == Point::Rename && renames_ == 1) || (point_ == Point::SecondRename && renames_ == 2);
        return fails ? fail() : SaveDevice::rename(from, to);
    }
    std::size_t written() const { return written_; }
    // The reason the user should read.
    QString reason() const { return QString::fromLocal8Bit(std::strerror(errno_)); }

private:
    int fail() const { return errno = errno_, -1; }
    Point point_;
    std::size_t byte_;
    int errno_ = point_ == Point::Byte ? ENOSPC : point_ == Point::Sync || point_ == Point::Close ? EIO : EXDEV;
    std::size_t written_ = 0;
    int renames_ = 0;
};

}  // namespace corv::test
