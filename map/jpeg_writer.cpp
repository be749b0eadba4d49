// mIntelJPEGLibrary: libjpeg-turbo encoding of a DIB, written beside the target and
// renamed over it, so that a failed write never loses the file it replaces.
#include "map/jpeg_writer.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>

#include "common/runtime_error.h"
#include "map/dib_section.h"

namespace corv::mIntelJPEGLibrary {

namespace {

constexpr std::size_t kFileBuffer = 256 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings are not shown: there is no log

// The libjpeg part, kept free of C++ objects because errors leave it by longjmp.
// Returns 0, or libjpeg's message code (or errno of a write) with *stage 1 for a
// failure while setting up and 2 while writing.
int encode(const JpegCoreProperties& p, std::FILE* out, int* stage)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    *stage = 1;
    if (setjmp(err.jump)) {
        const int code = err.pub.msg_code != 0 ? err.pub.msg_code : -1;
        jpeg_destroy_compress(&cinfo);
        return code;
    }
    jpeg_create_compress(&cinfo);
    *stage = 2;

    // The encoder cannot resize: the file has the DIB's size or nothing is written.
    const std::int64_t rows = p.DIBHeight < 0 ? -static_cast<std::int64_t>(p.DIBHeight) : p.DIBHeight;
    if (!p.DIBBytes || p.DIBWidth <= 0 || rows <= 0 || p.JPGWidth != p.DIBWidth || p.JPGHeight != rows ||
        p.DIBPadBytes < 0) {
        jpeg_destroy_compress(&cinfo);
        return JERR_EMPTY_IMAGE;
    }
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(p.JPGWidth);
    cinfo.image_height = static_cast<JDIMENSION>(p.JPGHeight);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, p.jquality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);

    const std::int64_t stride = static_cast<std::int64_t>(p.DIBWidth) * 3 + p.DIBPadBytes;
    const bool bottomUp = p.DIBHeight < 0;
    JSAMPROW batch[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION n = 0;
        while (n < 16 && cinfo.next_scanline + n < cinfo.image_height) {
            const std::int64_t y = cinfo.next_scanline + n;
            // The file starts with the picture's top row, which a bottom-up DIB keeps last.
            const std::int64_t memRow = bottomUp ? rows - 1 - y : y;
            batch[n] = const_cast<JSAMPROW>(p.DIBBytes + memRow * stride);
            ++n;
        }
        jpeg_write_scanlines(&cinfo, batch, n);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (std::fflush(out) != 0 || std::ferror(out)) return errno != 0 ? errno : EIO;
    return 0;
}

// 0 when an encoder can be set up, else libjpeg's message code.
int initialise()
{
    jpeg_compress_struct probe;
    ErrorManager err;
    probe.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&probe);
        return err.pub.msg_code != 0 ? err.pub.msg_code : -1;
    }
    jpeg_create_compress(&probe);
    jpeg_destroy_compress(&probe);
    return 0;
}

[[noreturn]] void raiseJpeg(const std::string& description)
{
    throw RuntimeError(kJpegError, description, kErrorSource);
}

[[noreturn]] void raiseFileAccess() { throw RuntimeError(75, "Path/File access error"); }

// Read-only is decided from the mode bits alone: the superuser may write anything,
// so for it a file counts as read-only when no write bit is set at all.
bool isReadOnly(const struct stat& st)
{
    const uid_t uid = geteuid();
    if (uid == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (st.st_uid == uid) return (st.st_mode & S_IWUSR) == 0;
    if (st.st_gid == getegid()) return (st.st_mode & S_IWGRP) == 0;
    gid_t groups[256];
    const int n = getgroups(256, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] == st.st_gid) return (st.st_mode & S_IWGRP) == 0;
    return (st.st_mode & S_IWOTH) == 0;
}

// A new file beside target, created with the default mode (0666 less the umask).
int openBeside(const QByteArray& target, QByteArray& tempName)
{
    static unsigned counter = 0;
    const QFileInfo info(QFile::decodeName(target));
    const QByteArray dir = QFile::encodeName(info.absolutePath());
    const QByteArray base = QFile::encodeName(info.fileName());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = dir + "/." + base + "." + QByteArray::number(getpid()) + "." + QByteArray::number(++counter) +
                   ".tmp";
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

JpegCoreProperties propertiesFor(const cDIBSection& dib, const QString& fileName, std::int32_t quality)
{
    JpegCoreProperties p;
    p.DIBWidth = dib.Width();
    p.DIBHeight = -dib.Height();
    p.DIBBytes = dib.DIBSectionBitsPtr();
    p.DIBPadBytes = dib.BytesPerScanLine() - dib.Width() * 3;
    p.JPGFile = QFile::encodeName(fileName).toStdString();
    p.JPGWidth = dib.Width();
    p.JPGHeight = dib.Height();
    p.jquality = quality;
    return p;
}

bool SaveDibToJpegFile(cDIBSection& dib, const QString& fileName, std::int32_t quality)
{
    // The encoder is set up before the file is touched.
    if (const int r = initialise(); r != 0) raiseJpeg("Failed to initialise the IJL library: " + std::to_string(r));

    const JpegCoreProperties props = propertiesFor(dib, fileName, quality);
    QByteArray target = QByteArray::fromStdString(props.JPGFile);
    if (target.isEmpty()) raiseJpeg("Failed to save to JPG " + std::to_string(ENOENT));

    // The old file: replaced through its link, if the name is one.
    struct stat old {};
    bool existed = false;
    struct stat link {};
    if (::lstat(target.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const QString real = QFileInfo(fileName).canonicalFilePath();
        if (!real.isEmpty()) target = QFile::encodeName(real);
    }
    if (::stat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode) || isReadOnly(old)) raiseFileAccess();
        existed = true;
    }

    QByteArray tempName;
    const int fd = openBeside(target, tempName);
    if (fd < 0) raiseJpeg("Failed to save to JPG " + std::to_string(errno));
    std::FILE* out = ::fdopen(fd, "wb");
    // libjpeg hands over 4 KB at a time; gathering them saves a system call for each.
    const std::unique_ptr<char[]> buffer(out ? new (std::nothrow) char[kFileBuffer] : nullptr);
    if (buffer) std::setvbuf(out, buffer.get(), _IOFBF, kFileBuffer);
    if (!out) {
        const int e = errno;
        ::close(fd);
        ::unlink(tempName.constData());
        raiseJpeg("Failed to save to JPG " + std::to_string(e));
    }

    int stage = 0;
    int r = encode(props, out, &stage);
    if (r == 0 && existed) {
        // The replaced file's mode, owner and times go to the new one before it takes the name.
        if (::fchmod(fd, old.st_mode & 07777) != 0) r = errno;
        if (r == 0 && geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) r = errno;
        if (r == 0 && ::fsync(fd) != 0) r = errno;
        const struct timespec times[2] = {old.st_atim, old.st_mtim};
        if (r == 0 && ::futimens(fd, times) != 0) r = errno;
    }
    if (std::fclose(out) != 0 && r == 0) r = errno != 0 ? errno : EIO;
    if (r == 0 && ::rename(tempName.constData(), target.constData()) != 0) r = errno;
    if (r != 0) {
        ::unlink(tempName.constData());
        if (stage == 1) raiseJpeg("Failed to initialise the IJL library: " + std::to_string(r));
        raiseJpeg("Failed to save to JPG " + std::to_string(r));
    }
    return true;
}

}  // namespace corv::mIntelJPEGLibrary
