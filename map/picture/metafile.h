// Windows metafiles: recognising them, giving a plain one the placeable header its
// rendering needs, and the reply of the helper process that draws them (libwmf is not
// safe against damaged files, so it never runs inside the program).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corv {

// True when data is a Windows metafile (placeable or plain header).
bool isMetafile(const QByteArray& data);

// A metafile is drawn at most this large; beyond it the resolution is lowered.
inline constexpr double kMaxMetafilePixels = 64.0 * 1024 * 1024;
inline constexpr unsigned kMaxMetafileSide = 16384;
// Larger metafiles are not read.
inline constexpr qint64 kMaxMetafileBytes = 512LL * 1024 * 1024;

// The metafile made placeable: a plain one carries no physical size, so its longer
// window side becomes one inch and dpi (in and out) the number of pixels for that side,
// between 64 and 4096 (1024 when its extent falls outside that range). A placeable one
// is returned as it is with dpi unchanged.
QByteArray placeableMetafile(const QByteArray& data, double& dpi);

// The helper's reply on its standard output: the magic, width and height (32-bit
// little-endian), then width x height RGB32 pixels, row after row, top row first.
inline constexpr char kMetafileReplyMagic[4] = {'C', 'V', 'M', 'F'};
inline constexpr int kMetafileReplyHeader = 12;
// The helper's exit codes besides 0 (pixels written).
inline constexpr int kMetafileUnreadable = 2;
inline constexpr int kMetafileNoMemory = 3;
// Width and height from a reply header, false when the header is not one or the size
// is outside what the helper ever draws.
bool metafileReplySize(const char* header, std::uint32_t& width, std::uint32_t& height);

}  // namespace corv
