// corvantine-metafile: draws one Windows metafile for the program, in a process of its
// own. libwmf is not hardened against damaged files (a zero-width pattern brush
// divides by zero, a bitmap header of size 0 loops for ever), so a damaged file may
// crash or stall this process but never the program or the user's work.
//
// Usage: corvantine-metafile [dpi] < file.wmf > reply
// The reply is "CVMF", the width and height (32-bit little-endian), then the RGB32
// pixels row after row; exit code 2: not drawable, 3: out of memory.
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include "map/picture/metafile.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORV_HELPER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CORV_HELPER_ASAN 1
#endif

namespace {

// What the helper may use: room for the largest drawing (64 megapixels of 4 bytes, with
// libwmf's own copy) but never more than half of this machine's memory.
constexpr long long kMemoryCap = 2560LL * 1024 * 1024;
// CPU seconds: a stall is stopped by the program after 10 s; this stops one even when
// the program is gone.
constexpr rlim_t kCpuSeconds = 12;

#ifdef CORV_HELPER_ASAN
// Under AddressSanitizer the address space is mostly shadow memory, so the memory limit
// is the sanitizer's own.
extern "C" const char* __asan_default_options()
{
    return "hard_rss_limit_mb=2560:max_allocation_size_mb=2560:allocator_may_return_null=1:detect_leaks=0";
}
#endif

void limitResources()
{
    rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
#ifndef CORV_HELPER_ASAN
    long long cap = kMemoryCap;
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) cap = std::min(cap, static_cast<long long>(pages) * pageSize / 2);
    rlimit as{static_cast<rlim_t>(cap), static_cast<rlim_t>(cap)};
    setrlimit(RLIMIT_AS, &as);
#endif
}

bool readInput(QByteArray& data)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (data.size() + n > corv::kMaxMetafileBytes) return false;
        data.append(buffer, n);
    }
}

bool writeAll(const char* p, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = write(1, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// gd's true-colour pixel (alpha 0 opaque .. 127 transparent) on white paper, as RGB32.
quint32 onWhite(int p)
{
    const unsigned a = (static_cast<unsigned>(p) >> 24) & 0x7F;
    auto channel = [a](unsigned c) { return (c * (127 - a) + 255 * a + 63) / 127; };
    return 0xFF000000u | (channel((p >> 16) & 0xFF) << 16) | (channel((p >> 8) & 0xFF) << 8) | channel(p & 0xFF);
}

// Draws the metafile and writes the reply; the exit code.
int render(QByteArray data, double dpi)
{
    if (!corv::isMetafile(data)) return corv::kMetafileUnreadable;
    data = corv::placeableMetafile(data, dpi);

    static char urw[] = "/usr/share/fonts/type1/urw-base35";
    static char gs[] = "/usr/share/fonts/type1/gsfonts";
    static char* fontDirs[] = {urw, gs, nullptr};
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    options.fontdirs = fontDirs;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_FONTDIRS | WMF_OPT_NO_ERROR |
                                WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) return corv::kMetafileUnreadable;
    auto* gd = WMF_GD_GetData(api);
    // Drawn into gd's own picture, whose pixels are read straight out of it.
    gd->type = wmf_gd_image;
    gd->flags &= ~(WMF_GD_OUTPUT_FILE | WMF_GD_OUTPUT_MEMORY);

    wmfD_Rect bbox;
    unsigned int w = 0, h = 0;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), static_cast<long>(data.size())) != wmf_E_None)
        return corv::kMetafileUnreadable;
    bool ok = wmf_scan(api, 0, &bbox) == wmf_E_None && wmf_display_size(api, &w, &h, dpi, dpi) == wmf_E_None &&
              w > 0 && h > 0;
    using corv::kMaxMetafilePixels, corv::kMaxMetafileSide;
    if (ok && (double(w) * h > kMaxMetafilePixels || w > kMaxMetafileSide || h > kMaxMetafileSide)) {
        const double f = std::min({std::sqrt(kMaxMetafilePixels / (double(w) * h)), double(kMaxMetafileSide) / w,
                                   double(kMaxMetafileSide) / h});
        ok = wmf_display_size(api, &w, &h, dpi * f, dpi * f) == wmf_E_None && w > 0 && h > 0;
    }
    // Rounding may leave the lowered size a pixel over the caps.
    ok = ok && w <= kMaxMetafileSide && h <= kMaxMetafileSide && double(w) * h <= kMaxMetafilePixels;
    if (!ok) return corv::kMetafileUnreadable;
    gd->bbox = bbox;
    gd->width = w;
    gd->height = h;
    if (wmf_play(api, 0, &bbox) != wmf_E_None || !gd->gd_image) return corv::kMetafileUnreadable;
    const int* pixels = wmf_gd_image_pixels(gd->gd_image);
    if (!pixels) return corv::kMetafileUnreadable;

    char header[corv::kMetafileReplyHeader];
    std::memcpy(header, corv::kMetafileReplyMagic, 4);
    qToLittleEndian<quint32>(w, header + 4);
    qToLittleEndian<quint32>(h, header + 8);
    if (!writeAll(header, sizeof header)) return corv::kMetafileUnreadable;
    std::vector<quint32> row(w);
    for (unsigned y = 0; y < h; ++y) {
        const int* line = pixels + std::size_t(y) * w;
        std::transform(line, line + w, row.begin(), onWhite);
        if (!writeAll(reinterpret_cast<const char*>(row.data()), row.size() * 4)) return corv::kMetafileUnreadable;
    }
    // The process ends here; libwmf's picture goes with it.
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    limitResources();
    double dpi = argc > 1 ? std::atof(argv[1]) : 96.0;
    if (!(dpi >= 1 && dpi <= 100000)) dpi = 96.0;
    try {
        QByteArray data;
        if (!readInput(data)) return corv::kMetafileUnreadable;
        return render(std::move(data), dpi);
    } catch (const std::bad_alloc&) {
        return corv::kMetafileNoMemory;
    }
}
