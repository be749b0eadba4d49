// The map picture: reading files (Qt's readers, libwmf for metafiles) and keeping the
// decoded pixels once.
#include "map/picture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include "common/runtime_error.h"

namespace corv {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
// Largest picture read: a 100-megapixel scan takes 400 MB, and this leaves room above it.
constexpr int kAllocationLimitMb = 2048;
// A metafile is rendered at most this large; beyond it the resolution is lowered.
constexpr double kMaxMetafilePixels = 64.0 * 1024 * 1024;
constexpr unsigned kMaxMetafileSide = 16384;

[[noreturn]] void invalidPicture() { throw RuntimeError(481, "Invalid picture"); }

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

// A placeable header for a plain metafile: its longer side becomes one inch, and dpi
// the number of pixels chosen for that side.
QByteArray withPlaceableHeader(const QByteArray& data, double& dpi)
{
    qint16 orgX = 0, orgY = 0, extX = 0, extY = 0;
    if (!windowOf(data, orgX, orgY, extX, extY)) {
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

// Directories holding the URW base-35 Type 1 fonts that stand in for the metafile's fonts.
char** fontDirs()
{
    static char urw[] = "/usr/share/fonts/type1/urw-base35";
    static char gs[] = "/usr/share/fonts/type1/gsfonts";
    static char* dirs[] = {urw, gs, nullptr};
    return dirs;
}

}  // namespace

QImage reduceByFour(const QImage& image)
{
    const int w = image.width(), h = image.height();
    const int lw = (w + 3) / 4, lh = (h + 3) / 4;
    QImage out(lw, lh, image.format());
    if (out.isNull()) return out;
    std::vector<quint32> sums(static_cast<std::size_t>(lw) * 4);
    std::vector<quint32> counts(static_cast<std::size_t>(lw));
    for (int ly = 0; ly < lh; ++ly) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        for (int y = ly * 4; y < std::min(h, ly * 4 + 4); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const quint32 p = line[x];
                quint32* s = &sums[std::size_t(x / 4) * 4];
                s[0] += p & 0xFF;
                s[1] += (p >> 8) & 0xFF;
                s[2] += (p >> 16) & 0xFF;
                s[3] += p >> 24;
                ++counts[std::size_t(x / 4)];
            }
        }
        auto* outLine = reinterpret_cast<quint32*>(out.scanLine(ly));
        for (int lx = 0; lx < lw; ++lx) {
            const quint32 n = counts[std::size_t(lx)];
            const quint32* s = &sums[std::size_t(lx) * 4];
            auto avg = [n](quint32 v) { return (v + n / 2) / n; };
            outLine[lx] = avg(s[0]) | (avg(s[1]) << 8) | (avg(s[2]) << 16) | (avg(s[3]) << 24);
        }
    }
    return out;
}

void MapPicture::buildLevels()
{
    // Below four megapixels a picture is drawn quickly enough from its own pixels.
    constexpr qint64 kLevelsFrom = 4LL * 1024 * 1024;
    if (qint64(image_.width()) * image_.height() < kLevelsFrom) return;
    const QImage* from = &image_;
    while (std::max(from->width(), from->height()) >= 2048) {
        QImage reduced = reduceByFour(*from);
        if (reduced.isNull()) break;  // no memory for it: drawing goes on from the picture
        levels_.push_back(std::move(reduced));
        from = &levels_.back();
    }
}

MapPicture::MapPicture(QImage image) : image_(std::move(image))
{
    // Drawn straight from these formats; anything else is converted once here.
    switch (image_.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    case QImage::Format_ARGB32:
        image_.convertTo(QImage::Format_ARGB32_Premultiplied);
        break;
    default:
        image_.convertTo(image_.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        break;
    }
    buildLevels();
}

bool isMetafile(const QByteArray& data)
{
    if (data.size() < 18) return false;
    if (qFromLittleEndian<quint32>(data.constData()) == kPlaceableKey) return true;
    const quint16 type = word(data, 0), headerWords = word(data, 2), version = word(data, 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

QImage renderMetafile(const QByteArray& source, double dpi)
{
    QByteArray data = source;
    if (qFromLittleEndian<quint32>(data.constData()) != kPlaceableKey) data = withPlaceableHeader(data, dpi);

    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    options.fontdirs = fontDirs();
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_FONTDIRS | WMF_OPT_NO_ERROR |
                                WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api) wmf_api_destroy(api);
        return {};
    }
    // libwmf hands its drawing over as PNG through a sink (its own image type cannot be
    // released by the caller), and Qt's reader turns it into pixels.
    QByteArray png;
    auto* gd = WMF_GD_GetData(api);
    gd->type = wmf_gd_png;
    gd->flags = (gd->flags & ~WMF_GD_OUTPUT_FILE) | WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    gd->sink.context = &png;
    gd->sink.function = [](void* context, char* buffer, int length) {
        static_cast<QByteArray*>(context)->append(buffer, length);
        return length;
    };
    wmfD_Rect bbox;
    unsigned int w = 0, h = 0;
    bool ok = (gd->flags & WMF_GD_SUPPORTS_PNG) &&
              wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), data.size()) == wmf_E_None;
    if (ok) {
        ok = wmf_scan(api, 0, &bbox) == wmf_E_None && wmf_display_size(api, &w, &h, dpi, dpi) == wmf_E_None &&
             w > 0 && h > 0;
        if (ok && (double(w) * h > kMaxMetafilePixels || w > kMaxMetafileSide || h > kMaxMetafileSide)) {
            const double f = std::min({std::sqrt(kMaxMetafilePixels / (double(w) * h)), double(kMaxMetafileSide) / w,
                                       double(kMaxMetafileSide) / h});
            ok = wmf_display_size(api, &w, &h, dpi * f, dpi * f) == wmf_E_None && w > 0 && h > 0;
        }
        if (ok) {
            gd->bbox = bbox;
            gd->width = w;
            gd->height = h;
            ok = wmf_play(api, 0, &bbox) == wmf_E_None;
        }
        wmf_mem_close(api);
    }
    wmf_api_destroy(api);  // the PNG is written when the device closes
    if (!ok || png.isEmpty()) return {};
    QImage drawn = QImage::fromData(png, "png");
    if (drawn.isNull()) return {};
    // Transparent parts of the drawing show the white paper underneath.
    QImage result(drawn.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter(&result).drawImage(0, 0, drawn);
    return result;
}

MapPicture MapPicture::load(const QString& fileName)
{
    if (fileName.isEmpty()) return {};
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile()) err::raise(err::kFileNotFound);
    if (!file.open(QIODevice::ReadOnly)) err::raise(err::kPermissionDenied);

    const QByteArray head = file.peek(18);
    if (isMetafile(head)) {
        QImage image = renderMetafile(file.readAll());
        if (image.isNull()) invalidPicture();
        return MapPicture(std::move(image));
    }

    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && double(size.width()) * size.height() * 4 > double(kAllocationLimitMb) * 1024 * 1024)
        err::raise(err::kOutOfMemory);
    QImage image;
    if (!reader.read(&image) || image.isNull()) invalidPicture();
    return MapPicture(std::move(image));
}

}  // namespace corv
