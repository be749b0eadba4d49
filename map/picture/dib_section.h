// cDIBSection: a 24-bit device-independent bitmap held in its own memory context.
#pragma once

#include <QImage>
#include <QPixmap>
#include <cstdint>
#include <memory>

namespace corv {

// The bitmap information header of a DIB (header only, no colour table).
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows stored bottom-up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;  // BI_RGB
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// Raster operation of a plain copy (the only one the program uses).
inline constexpr std::int32_t SRCCOPY = 0xCC0020;

// A 24-bit DIB section: pixels in blue, green, red order, rows bottom-up, each row
// padded with zero bytes to a multiple of four. The handles are small non-zero
// numbers while the object holds a DIB, and 0 when it does not.
class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Fills the header for lWidth x lHeight and makes the pixel memory for the memory
    // context lhDC; hDib receives the handle. False when no memory could be had.
    bool CreateDIB(std::int32_t lhDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib);
    // Makes a DIB of the picture's size and copies the picture into it; leaves the
    // object empty when that fails.
    void CreateFromPicture(const QImage& picThis);
    void CreateFromPicture(const QPixmap& picThis);
    // Releases any DIB held, then makes a new one. False when it could not.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    std::int32_t BytesPerScanLine() const;
    std::int32_t Width() const { return header_.biWidth; }
    std::int32_t Height() const { return header_.biHeight; }
    // Copies from the picture lhDC at (lSrcLeft, lSrcTop) to the DIB's (0, 0); a
    // negative width or height means the DIB's own. Only SRCCOPY is known.
    void LoadPictureBlt(const QImage& lhDC, std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                        std::int32_t lSrcWidth = -1, std::int32_t lSrcHeight = -1, std::int32_t eRop = SRCCOPY);
    std::int32_t hdc() const { return hdc_; }
    std::int32_t hDib() const { return hDib_; }
    std::uint8_t* DIBSectionBitsPtr() const { return bits_; }
    void ClearUp();

    const BitmapInfoHeader& header() const { return header_; }
    // DIB sections alive in the process (each Create releases the one it replaces).
    static long liveSections();

private:
    // As the public ones; zeroed false leaves the new pixel memory as it comes.
    bool CreateDIB(std::int32_t lhDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib, bool zeroed);
    bool Create(std::int32_t lWidth, std::int32_t lHeight, bool zeroed);

    std::int32_t hDib_ = 0;
    std::int32_t previousBitmap_ = 0;
    std::int32_t hdc_ = 0;
    std::uint8_t* bits_ = nullptr;
    BitmapInfoHeader header_;
    struct FreeMemory {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t, FreeMemory> memory_;
};

}  // namespace corv
