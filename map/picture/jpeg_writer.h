// mIntelJPEGLibrary: writes a DIB section to a JPEG file (libjpeg-turbo underneath).
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace corv {

class cDIBSection;

namespace mIntelJPEGLibrary {

inline constexpr int kJpegError = 26001;
inline constexpr const char* kErrorSource = "Corvantine.mIntelJPEGLibrary";

// What the encoder is told about the pixels and the file, field for field.
struct JpegCoreProperties {
    std::int32_t DIBWidth = 0;
    std::int32_t DIBHeight = 0;  // negative: rows stored bottom-up
    const std::uint8_t* DIBBytes = nullptr;
    std::int32_t DIBPadBytes = 0;  // filler bytes at the end of each row
    std::string JPGFile;           // the file name as the system spells it
    std::int32_t JPGWidth = 0;
    std::int32_t JPGHeight = 0;
    std::int32_t jquality = 75;
};

// The record SaveDibToJpegFile fills for dib.
JpegCoreProperties propertiesFor(const cDIBSection& dib, const QString& fileName, std::int32_t quality);

// Writes dib to fileName at quality (libjpeg's 1..100 scale) through the program's one
// save path (common/save_file.h): an existing file is replaced only when the new one
// is complete and keeps its times, mode and owner; a read-only file, a missing folder
// and a failed write or flush raise a SaveError naming the file and the reason, and
// leave any earlier file as it was. Encoder failures raise error 26001 ("Failed to
// initialise the IJL library: r" / "Failed to save to JPG r", r being libjpeg's
// message code). Returns true.
bool SaveDibToJpegFile(cDIBSection& dib, const QString& fileName, std::int32_t quality);

}  // namespace mIntelJPEGLibrary
}  // namespace corv
