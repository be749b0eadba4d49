// Picture checks before decoding: whole data and a decoded size that fits.
#include "map/picture/picture_check.h"

#include <unistd.h>

#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/runtime_error.h"

namespace corv {

namespace {

constexpr qint64 kMb = 1024 * 1024;
constexpr qint64 kPictureCap = 2048 * kMb;

using Bytes = const unsigned char*;

std::uint16_t be16(Bytes p) { return qFromBigEndian<quint16>(p); }
std::uint16_t le16(Bytes p) { return qFromLittleEndian<quint16>(p); }
std::uint32_t le32(Bytes p) { return qFromLittleEndian<quint32>(p); }

bool jpegEndsEarly(Bytes d, qsizetype n)
{
    qsizetype i = 2;  // after the start marker
    bool huffman = false, scanned = false;
    qint64 blocks = 0;      // 8 x 8 blocks of the largest component
    qint64 codedBytes = 0;  // entropy-coded bytes of every scan
    for (;;) {
        if (i >= n) return true;
        if (d[i] != 0xFF) return false;  // not a marker: the reader judges the file
        while (i < n && d[i] == 0xFF) ++i;
        if (i >= n) return true;
        const unsigned marker = d[i++];
        if (marker == 0xD9)  // end of image: the scans must hold at least one bit per block
            return !scanned || (huffman && codedBytes * 8 < blocks);
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 || marker == 0x00) continue;
        if (i + 2 > n) return true;
        const qsizetype length = be16(d + i);
        if (length < 2) return false;
        if (i + length > n) return true;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8) {
            const qint64 height = be16(d + i + 3), width = be16(d + i + 5);
            const int components = d[i + 7];
            // Huffman-coded DCT frames code each block's DC difference in a code of 1 bit or more.
            huffman = marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
            int hMax = 1, vMax = 1;
            for (int c = 0; c < components && i + 8 + 3 * c + 2 < i + length; ++c) {
                const unsigned sampling = d[i + 9 + 3 * c];
                hMax = std::max<int>(hMax, sampling >> 4);
                vMax = std::max<int>(vMax, sampling & 15);
            }
            blocks = 0;
            for (int c = 0; c < components && i + 8 + 3 * c + 2 < i + length; ++c) {
                const unsigned sampling = d[i + 9 + 3 * c];
                const qint64 w = (width * std::max(1u, sampling >> 4) + hMax - 1) / hMax;
                const qint64 h = (height * std::max(1u, sampling & 15) + vMax - 1) / vMax;
                blocks = std::max(blocks, ((w + 7) / 8) * ((h + 7) / 8));
            }
        }
        i += length;
        if (marker == 0xDA) {
            // Coded data runs to the next marker other than a stuffed zero or a restart.
            scanned = true;
            const qsizetype start = i;
            for (;;) {
                const auto* ff = static_cast<Bytes>(std::memchr(d + i, 0xFF, std::size_t(n - i)));
                if (!ff) return true;
                i = ff - d;
                if (i + 1 >= n) return true;
                const unsigned next = d[i + 1];
                if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                    i += next == 0xFF ? 1 : 2;
                    continue;
                }
                break;
            }
            codedBytes += i - start;
        }
    }
}

bool bitmapEndsEarly(Bytes d, qsizetype n)
{
    if (n < 26) return true;
    const qint64 offset = le32(d + 10), header = le32(d + 14);
    qint64 width = 0, height = 0, bits = 0, compression = 0;
    if (header == 12) {
        width = le16(d + 18);
        height = le16(d + 20);
        bits = le16(d + 24);
    } else if (header >= 40 && n >= 34) {
        width = std::abs(qint64(qint32(le32(d + 18))));
        height = std::abs(qint64(qint32(le32(d + 22))));
        bits = le16(d + 28);
        compression = le32(d + 30);
    } else {
        return header >= 40;  // a full header is cut short
    }
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 stride = (width * bits + 31) / 32 * 4;
        // Compared by division: a claimed size's row bytes times its rows can pass 64 bits.
        if (qint64(n) < offset) return true;
        return height > 0 && (qint64(n) - offset) / height < stride;
    }
    if (compression == 1 || compression == 2) {
        // Run-length rows: they end with the end-of-bitmap code.
        qint64 i = offset;
        while (i + 2 <= n) {
            const unsigned count = d[i], code = d[i + 1];
            i += 2;
            if (count > 0 || code == 0) continue;
            if (code == 1) return false;
            if (code == 2) {
                i += 2;
                continue;
            }
            const qint64 bytes = compression == 1 ? code : (code + 1) / 2;
            i += (bytes + 1) / 2 * 2;
        }
        return true;
    }
    return false;
}

bool gifEndsEarly(Bytes d, qsizetype n)
{
    if (n < 13) return true;
    qsizetype i = 13;
    if (d[10] & 0x80) i += 3 * (qsizetype(1) << ((d[10] & 7) + 1));
    bool haveImage = false;
    auto skipBlocks = [&]() {
        for (;;) {
            if (i >= n) return false;
            const unsigned length = d[i++];
            if (length == 0) return true;
            i += length;
        }
    };
    for (;;) {
        // A file that stops between blocks after a whole picture only lacks its trailer.
        if (i >= n) return !haveImage;
        const unsigned kind = d[i++];
        if (kind == 0x3B) return false;
        if (kind == 0x21) {
            ++i;  // the extension's label
            if (!skipBlocks()) return true;
        } else if (kind == 0x2C) {
            if (i + 9 > n) return true;
            const unsigned flags = d[i + 8];
            i += 9;
            if (flags & 0x80) i += 3 * (qsizetype(1) << ((flags & 7) + 1));
            ++i;  // the LZW code size
            if (!skipBlocks()) return true;
            haveImage = true;
        } else {
            return false;  // not a block: the reader judges the file
        }
    }
}

}  // namespace

qint64 pictureMemoryLimit(qint64 physicalBytes)
{
    if (physicalBytes <= 0) {
        const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
        physicalBytes = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 2 * kPictureCap;
    }
    return std::min(kPictureCap, physicalBytes / 2);
}

void setPictureAllocationLimit() { QImageReader::setAllocationLimit(int(pictureMemoryLimit() / kMb)); }

void checkDecodedSize(QSize size, const QString& fileName, qint64 limit)
{
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (!size.isValid() || bytes <= limit) return;
    std::string text = "Out of memory: ";
    text += fileName.isEmpty() ? std::string("the picture") : "the picture " + fileName.toStdString();
    text += " is " + std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels, " +
            std::to_string(bytes / kMb) + " MB when decoded; this computer has room for " + std::to_string(limit / kMb) +
            " MB.";
    throw RuntimeError(err::kOutOfMemory, text);
}

bool pictureDataEndsEarly(const QByteArray& data)
{
    const auto* d = reinterpret_cast<Bytes>(data.constData());
    const qsizetype n = data.size();
    if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return jpegEndsEarly(d, n);
    if (n >= 2 && d[0] == 'B' && d[1] == 'M') return bitmapEndsEarly(d, n);
    if (n >= 6 && data.startsWith("GIF8")) return gifEndsEarly(d, n);
    return false;
}

}  // namespace corv
