// Windows metafiles: the header checks and the placeable header shared by the program
// and its metafile helper.
#include "map/picture/metafile.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace corv {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

quint16 word(const QByteArray& d, qsizetype at) { return qFromLittleEndian<quint16>(d.constData() + at); }

// Window origin and extent from the first SetWindowOrg / SetWindowExt records, read
// from a metafile without a placeable header.
bool windowOf(const QByteArray& d, qint16& orgX, qint16& orgY, qint16& extX, qint16& extY)
{
    bool haveExt = false;
    orgX = orgY = 0;
    qsizetype at = qsizetype(word(d, 2)) * 2;  // header size in words
    while (at + 6 <= d.size()) {
        const quint32 size = qFromLittleEndian<quint32>(d.constData() + at);
        const quint16 function = word(d, at + 4);
        if (size < 3 || function == 0) break;
        if (function == 0x020B && at + 10 <= d.size()) {
            orgY = static_cast<qint16>(word(d, at + 6));
            orgX = static_cast<qint16>(word(d, at + 8));
        } else if (function == 0x020C && at + 10 <= d.size() && !haveExt) {
            extY = static_cast<qint16>(word(d, at + 6));
            extX = static_cast<qint16>(word(d, at + 8));
            haveExt = extX != 0 && extY != 0;
        }
        if (size > quint32(d.size())) break;
        at += qsizetype(size) * 2;
    }
    return haveExt;
}

}  // namespace

bool isMetafile(const QByteArray& data)
{
    if (data.size() < 18) return false;
    if (qFromLittleEndian<quint32>(data.constData()) == kPlaceableKey) return true;
    const quint16 type = word(data, 0), headerWords = word(data, 2), version = word(data, 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

QByteArray placeableMetafile(const QByteArray& data, double& dpi)
{
    if (data.size() >= 4 && qFromLittleEndian<quint32>(data.constData()) == kPlaceableKey) return data;
    qint16 orgX = 0, orgY = 0, extX = 0, extY = 0;
    if (data.size() < 18 || !windowOf(data, orgX, orgY, extX, extY)) {
        // No window extent: the coordinates are taken as screen pixels.
        orgX = orgY = 0;
        extX = 1024;
        extY = 768;
    }
    const int left = std::min<int>(orgX, orgX + extX), right = std::max<int>(orgX, orgX + extX);
    const int top = std::min<int>(orgY, orgY + extY), bottom = std::max<int>(orgY, orgY + extY);
    const double longer = std::max(right - left, bottom - top);
    dpi = (longer >= 64 && longer <= 4096) ? longer : 1024.0;
    const auto inch = static_cast<quint16>(std::clamp(std::lround(longer), 1L, 65535L));

    QByteArray h(22, '\0');
    char* p = h.data();
    qToLittleEndian<quint32>(kPlaceableKey, p);
    qToLittleEndian<qint16>(static_cast<qint16>(std::clamp(left, -32768, 32767)), p + 6);
    qToLittleEndian<qint16>(static_cast<qint16>(std::clamp(top, -32768, 32767)), p + 8);
    qToLittleEndian<qint16>(static_cast<qint16>(std::clamp(right, -32768, 32767)), p + 10);
    qToLittleEndian<qint16>(static_cast<qint16>(std::clamp(bottom, -32768, 32767)), p + 12);
    qToLittleEndian<quint16>(inch, p + 14);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= word(h, i * 2);
    qToLittleEndian<quint16>(sum, p + 20);
    return h + data;
}

bool metafileReplySize(const char* header, std::uint32_t& width, std::uint32_t& height)
{
    if (std::memcmp(header, kMetafileReplyMagic, 4) != 0) return false;
    width = qFromLittleEndian<quint32>(header + 4);
    height = qFromLittleEndian<quint32>(header + 8);
    return width > 0 && height > 0 && width <= kMaxMetafileSide && height <= kMaxMetafileSide &&
           double(width) * height <= kMaxMetafilePixels;
}

}  // namespace corv
