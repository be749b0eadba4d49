// mIntelJPEGLibrary: libjpeg-turbo encoding of a DIB, saved through the program's one
// save path, so that a failed write never loses the file it replaces.
#include "map/picture/jpeg_writer.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "common/runtime_error.h"
#include "common/save_file.h"
#include "map/picture/dib_section.h"

namespace corv::mIntelJPEGLibrary {

namespace {

// As large as the save helper's own buffer, so that each full piece goes to the file
// without being copied again.
constexpr std::size_t kOutputChunk = 256 * 1024;

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
int encode(const JpegCoreProperties& p, jpeg_destination_mgr* dest, void* destData, int* stage)
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
    cinfo.dest = dest;
    cinfo.client_data = destData;
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

// The encoder's output goes to the save helper in pieces. A failed write cannot
// leave through libjpeg as an exception: it is kept here and libjpeg is stopped
// with a write error, after which the kept failure is raised.
struct SaveDestination {
    jpeg_destination_mgr pub{};
    SaveFile* file = nullptr;
    std::exception_ptr failure;
    std::unique_ptr<JOCTET[]> buffer{new JOCTET[kOutputChunk]};
};

SaveDestination* destinationOf(j_compress_ptr cinfo) { return static_cast<SaveDestination*>(cinfo->client_data); }

void startOutput(j_compress_ptr cinfo)
{
    SaveDestination* d = destinationOf(cinfo);
    d->pub.next_output_byte = d->buffer.get();
    d->pub.free_in_buffer = kOutputChunk;
}

bool passOn(SaveDestination* d, std::size_t size)
{
    try {
        d->file->write(reinterpret_cast<const char*>(d->buffer.get()), size);
        return true;
    } catch (...) {
        d->failure = std::current_exception();
        return false;
    }
}

boolean outputFull(j_compress_ptr cinfo)
{
    SaveDestination* d = destinationOf(cinfo);
    if (!passOn(d, kOutputChunk)) ERREXIT(cinfo, JERR_FILE_WRITE);
    startOutput(cinfo);
    return TRUE;
}

void endOutput(j_compress_ptr cinfo)
{
    SaveDestination* d = destinationOf(cinfo);
    if (!passOn(d, kOutputChunk - d->pub.free_in_buffer)) ERREXIT(cinfo, JERR_FILE_WRITE);
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
    if (props.JPGFile.empty()) raiseJpeg("Failed to save to JPG " + std::to_string(ENOENT));

    // The target is checked and the file beside it made before any encoding.
    SaveFile file(fileName, {.keepTimes = true});
    SaveDestination dest;
    dest.file = &file;
    dest.pub.init_destination = startOutput;
    dest.pub.empty_output_buffer = outputFull;
    dest.pub.term_destination = endOutput;

    int stage = 0;
    const int r = encode(props, &dest.pub, &dest, &stage);
    if (dest.failure) std::rethrow_exception(dest.failure);
    if (r != 0) {
        if (stage == 1) raiseJpeg("Failed to initialise the IJL library: " + std::to_string(r));
        raiseJpeg("Failed to save to JPG " + std::to_string(r));
    }
    file.commit();
    return true;
}

}  // namespace corv::mIntelJPEGLibrary
