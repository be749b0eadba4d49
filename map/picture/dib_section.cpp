// cDIBSection: pixel memory, header and the copy from a picture.
#include "map/picture/dib_section.h"

#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace corv {

namespace {
// Handles are only names here: the pixel memory and the context are this object's.
std::atomic<std::int32_t> gNextHandle{1};
std::atomic<long> gLiveSections{0};

std::int32_t newHandle()
{
    std::int32_t h = gNextHandle.fetch_add(1);
    if (h <= 0) {  // wrapped after two billion DIBs: start again, never handing out 0
        gNextHandle = 2;
        h = 1;
    }
    return h;
}

// One source row of 32-bit pixels (0xffRRGGBB) into bytes B, G, R. Four pixels at a
// time become one 64-bit and one 32-bit store, several times quicker than byte stores.
void copyRow32(const std::uint8_t* src, std::uint8_t* dst, int count)
{
    int i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= count; i += 4, src += 16, dst += 12) {
            std::uint32_t p[4];
            std::memcpy(p, src, sizeof p);
            const std::uint64_t low = (p[0] & 0xFFFFFFu) | std::uint64_t(p[1] & 0xFFFFFFu) << 24 |
                                      std::uint64_t(p[2] & 0xFFFFu) << 48;
            const std::uint32_t high = ((p[2] >> 16) & 0xFFu) | (p[3] << 8);
            std::memcpy(dst, &low, sizeof low);
            std::memcpy(dst + 8, &high, sizeof high);
        }
    }
    for (; i < count; ++i, src += 4, dst += 3) {
        std::uint32_t v;
        std::memcpy(&v, src, sizeof v);
        dst[0] = std::uint8_t(v);
        dst[1] = std::uint8_t(v >> 8);
        dst[2] = std::uint8_t(v >> 16);
    }
}
// Runs work(first, last) over rows [0, rows) in bands of rows. A large job is shared with
// the pool's threads, but this thread takes bands too and never waits for a thread that
// has not started: on a busy machine a woken thread may wait milliseconds for a processor,
// and the bands it has not taken yet are done here meanwhile. Only bands already under
// way are waited for.
template <class Work>
void shareRows(std::int64_t rows, bool large, const Work& work)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    const int helpers = large ? std::clamp(pool->maxThreadCount(), 1, 8) - 1 : 0;
    if (helpers <= 0 || rows < 128) {
        work(std::int64_t{0}, rows);
        return;
    }
    constexpr std::int64_t kBandRows = 32;
    const std::int64_t bands = (rows + kBandRows - 1) / kBandRows;
    // Shared with the helpers, which may start only after this call has returned.
    struct Shared {
        std::atomic<std::int64_t> next{0};
        QSemaphore done;
    };
    auto shared = std::make_shared<Shared>();
    auto takeBands = [shared, bands, rows, &work] {
        for (std::int64_t b; (b = shared->next.fetch_add(1)) < bands;) {
            work(b * kBandRows, std::min(rows, (b + 1) * kBandRows));
            shared->done.release();
        }
    };
    for (int i = 0; i < helpers; ++i) pool->start(takeBands);
    takeBands();
    shared->done.acquire(static_cast<int>(bands));
}

}  // namespace

void cDIBSection::FreeMemory::operator()(std::uint8_t* p) const { std::free(p); }

cDIBSection::~cDIBSection() { ClearUp(); }

long cDIBSection::liveSections() { return gLiveSections.load(); }

bool cDIBSection::CreateDIB(std::int32_t lhDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib)
{
    return CreateDIB(lhDC, lWidth, lHeight, hDib, true);
}

bool cDIBSection::CreateDIB(std::int32_t lhDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib,
                            bool zeroed)
{
    header_ = BitmapInfoHeader{};
    header_.biWidth = lWidth;
    header_.biHeight = lHeight;
    hDib = 0;
    if (lhDC == 0 || lWidth <= 0 || lHeight <= 0) return false;
    const std::int64_t stride = (static_cast<std::int64_t>(lWidth) * 3 + 3) & ~std::int64_t{3};
    const std::int64_t bytes = stride * lHeight;
    if (bytes > std::numeric_limits<std::int32_t>::max()) return false;
    header_.biSizeImage = static_cast<std::uint32_t>(bytes);
    // Zeroed, so the filler bytes at the end of each row are 0 (calloc takes fresh
    // pages that are zero already instead of clearing them); memory that a copy is
    // about to fill whole is not cleared first.
    const auto size = static_cast<std::size_t>(bytes);
    std::unique_ptr<std::uint8_t, FreeMemory> mem(
        static_cast<std::uint8_t*>(zeroed ? std::calloc(size, 1) : std::malloc(size)));
    if (!mem) return false;
    if (memory_) --gLiveSections;  // called again on the same context: the old pixels go
    memory_ = std::move(mem);
    bits_ = memory_.get();
    hDib = newHandle();
    ++gLiveSections;
    return true;
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) { return Create(lWidth, lHeight, true); }

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight, bool zeroed)
{
    ClearUp();
    hdc_ = newHandle();
    std::int32_t h = 0;
    if (CreateDIB(hdc_, lWidth, lHeight, h, zeroed)) {
        hDib_ = h;
        previousBitmap_ = newHandle();  // the context's own 1x1 bitmap, put back by ClearUp
        return true;
    }
    hdc_ = 0;
    return false;
}

std::int32_t cDIBSection::BytesPerScanLine() const
{
    return static_cast<std::int32_t>((static_cast<std::int64_t>(header_.biWidth) * 3 + 3) & ~std::int64_t{3});
}

void cDIBSection::CreateFromPicture(const QPixmap& picThis) { CreateFromPicture(picThis.toImage()); }

void cDIBSection::CreateFromPicture(const QImage& picThis)
{
    // The copy writes every byte, filler included.
    if (!Create(picThis.width(), picThis.height(), false)) return;
    LoadPictureBlt(picThis, 0, 0, -1, -1, SRCCOPY);
}

void cDIBSection::LoadPictureBlt(const QImage& lhDC, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                                 std::int32_t lSrcWidth, std::int32_t lSrcHeight, std::int32_t eRop)
{
    if (!bits_ || eRop != SRCCOPY || lhDC.isNull()) return;
    std::int64_t w = lSrcWidth < 0 ? Width() : lSrcWidth;
    std::int64_t h = lSrcHeight < 0 ? Height() : lSrcHeight;
    // Like a bit-block transfer, copy only what lies inside both bitmaps.
    std::int64_t sx = lSrcLeft, sy = lSrcTop, dx = 0, dy = 0;
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    w = std::min({w, static_cast<std::int64_t>(lhDC.width()) - sx, static_cast<std::int64_t>(Width()) - dx});
    h = std::min({h, static_cast<std::int64_t>(lhDC.height()) - sy, static_cast<std::int64_t>(Height()) - dy});
    if (w <= 0 || h <= 0) return;

    const QImage::Format f = lhDC.format();
    const bool direct32 = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                          f == QImage::Format_ARGB32_Premultiplied;
    QImage converted;
    const QImage* src = &lhDC;
    if (!direct32) {
        converted = lhDC.copy(static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(w), static_cast<int>(h))
                        .convertToFormat(QImage::Format_RGB32);
        src = &converted;
        sx = sy = 0;
    }
    const std::int64_t stride = BytesPerScanLine();
    const std::int64_t height = Height();
    const std::int64_t used = std::int64_t{Width()} * 3;
    auto copyRows = [&](std::int64_t first, std::int64_t last) {
        for (std::int64_t y = first; y < last; ++y) {
            // Picture row dy + y is stored counted from the bottom.
            std::uint8_t* row = bits_ + (height - 1 - (dy + y)) * stride;
            const std::uint8_t* s = src->constScanLine(static_cast<int>(sy + y)) + sx * 4;
            copyRow32(s, row + dx * 3, static_cast<int>(w));
            std::memset(row + used, 0, static_cast<std::size_t>(stride - used));
        }
    };
    shareRows(h, w * h >= 256 * 1024, copyRows);
}

void cDIBSection::ClearUp()
{
    // The DIB's memory goes with it; the context's own bitmap was put back first.
    if (memory_) {
        memory_.reset();
        --gLiveSections;
    }
    hdc_ = 0;
    hDib_ = 0;
    previousBitmap_ = 0;
    bits_ = nullptr;
}

}  // namespace corv
