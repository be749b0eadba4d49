// Reading a user's file whole: only a regular file is opened, and never past a size
// limit, so that a FIFO, a device such as /dev/zero or a folder picked in a file
// dialog can neither hold the program nor fill its memory.
#pragma once

#include <QByteArray>
#include <QString>

namespace corv {

struct FileRead {
    enum class Status { Ok, Missing, NotRegular, Unreadable, TooLarge };
    Status status = Status::Ok;
    QByteArray bytes;  // the whole file when Ok
    int error = 0;     // the system's error number for Missing and Unreadable
};

// Reads path when it is a regular file (a link is followed) of at most maxBytes.
FileRead readRegularFile(const QString& path, qint64 maxBytes);

// The same, raising "File not found: <path>" (53), "Path/File access error: <path> is
// not a regular file" (75), "Permission denied: <path> cannot be read (<reason>)" (70)
// or "Out of memory: <path> is too large to read" (7).
QByteArray readUserFile(const QString& path, qint64 maxBytes);

}  // namespace corv
