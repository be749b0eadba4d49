// Metafiles: the program's header work, and the helper process drawing them. Whatever
// the helper does (crash, stall, any reply), the program gets a picture within the
// limits or "Invalid picture" / "Out of memory"; a 2 s limit keeps stalls cheap. The
// checks made before decoding other pictures run on the same bytes.
#include <cstdlib>

#include "common/runtime_error.h"
#include "map/picture/metafile.h"
#include "map/picture/metafile_process.h"
#include "map/picture/picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    corv::pictureDataEndsEarly(bytes);
    std::uint32_t w = 0, h = 0;
    if (size >= std::size_t(corv::kMetafileReplyHeader)) corv::metafileReplySize(bytes.constData(), w, h);
    if (!corv::isMetafile(bytes)) return 0;  // the program sends only metafiles to the helper
    double dpi = 96;
    const QByteArray placeable = corv::placeableMetafile(bytes, dpi);
    if (!corv::isMetafile(placeable) || !(dpi > 0)) std::abort();
    try {
        const QImage image = corv::renderMetafile(bytes, 96, {QString(), 2000});
        if (image.isNull() || image.width() > int(corv::kMaxMetafileSide) || image.height() > int(corv::kMaxMetafileSide))
            std::abort();
    } catch (const corv::RuntimeError& e) {
        if (e.number() != 481 && e.number() != 7) std::abort();
    }
    return 0;
}
