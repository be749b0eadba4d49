// The map picture: decoded once from a file or the clipboard and kept in a format
// the painter can draw from directly.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "map/picture/metafile.h"
#include "map/picture/metafile_process.h"

namespace corv {

class MapPicture {
public:
    MapPicture() = default;
    // Takes image as the picture (converted in place to a format drawn without conversion).
    explicit MapPicture(QImage image);

    // LoadPicture: bitmap, JPEG, GIF (and what else Qt's readers know) through Qt,
    // Windows metafiles through libwmf in the helper process. An empty name gives an
    // empty picture. "File not found" (53), "Invalid picture" (481, with the file's name
    // when its data ends early), "Out of memory" (7, before decoding).
    static MapPicture load(const QString& fileName);

    bool isNull() const { return image_.isNull(); }
    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // Reduced copies for drawing far zoomed out: level k is 1/4^k of the picture's
    // width and height, each pixel the average of the block it covers (together
    // under 7% of the picture's memory). Only large pictures have them.
    int levelCount() const { return int(levels_.size()); }
    const QImage& level(int k) const { return levels_[std::size_t(k)]; }

private:
    void buildLevels();
    QImage image_;
    std::vector<QImage> levels_;
};

// The picture reduced to a quarter of its width and height by averaging 4 x 4 blocks
// (32-bit formats; the blocks at the right and bottom edges may be smaller).
QImage reduceByFour(const QImage& image);

}  // namespace corv
