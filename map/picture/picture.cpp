// The map picture: reading files (Qt's readers, the metafile helper) and keeping the
// decoded pixels once.
#include "map/picture/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

#include "common/runtime_error.h"
#include "map/picture/metafile.h"
#include "map/picture/picture_check.h"

namespace corv {

namespace {

[[noreturn]] void invalidPicture() { throw RuntimeError(481, "Invalid picture"); }

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

MapPicture MapPicture::load(const QString& fileName)
{
    if (fileName.isEmpty()) return {};
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile()) err::raise(err::kFileNotFound);
    if (!file.open(QIODevice::ReadOnly)) err::raise(err::kPermissionDenied);

    const QByteArray head = file.peek(18);
    if (isMetafile(head)) {
        // Drawn by the helper process, which a damaged metafile may crash or stall.
        if (file.size() > kMaxMetafileBytes) err::raise(err::kOutOfMemory);
        return MapPicture(renderMetafile(file.readAll()));
    }

    // Checked before decoding: a damaged file would decode to a part picture (a JPEG
    // whose header claims a huge size to a huge grey one), a huge one would take the memory.
    const qint64 size = file.size();
    if (uchar* mapped = size > 0 ? file.map(0, size) : nullptr) {
        const bool cut = pictureDataEndsEarly(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size));
        file.unmap(mapped);
        if (cut)
            throw RuntimeError(481, "Invalid picture: the file " + QDir::toNativeSeparators(fileName).toStdString() +
                                        " is damaged (its data ends early).");
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    checkDecodedSize(reader.size(), fileName);
    QImage image;
    if (!reader.read(&image) || image.isNull()) invalidPicture();
    return MapPicture(std::move(image));
}

}  // namespace corv
