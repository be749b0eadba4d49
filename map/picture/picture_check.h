// Checks made on a picture file before it is decoded: that its data is whole and that
// its decoded pixels fit in this machine.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace corv {

// The most memory one decoded picture may take: 2 GB, or half of this machine's
// physical memory when that is less (physicalBytes 0: this machine's).
qint64 pictureMemoryLimit(qint64 physicalBytes = 0);

// Qt's readers (files, the clipboard) get the same limit; set once at start-up.
void setPictureAllocationLimit();

// "Out of memory" (7), naming the file and the sizes, when a picture of size pixels
// (4 bytes each) would take more than limit bytes.
void checkDecodedSize(QSize size, const QString& fileName, qint64 limit = pictureMemoryLimit());

// True when a JPEG, bitmap or GIF file's data ends before its pictures do: a JPEG
// without its end marker, or whose coded data cannot hold one bit per 8 x 8 block of
// the size its header claims; a bitmap shorter than its rows (or whose compressed
// rows stop before their end code); a GIF that stops inside a block. Other data: false.
bool pictureDataEndsEarly(const QByteArray& data);

}  // namespace corv
