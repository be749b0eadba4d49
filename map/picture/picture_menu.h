// The map picture menu lstMenu2: load, paste, clear, save, copy and print the map
// picture, the scroll/zoom speed and the map-page choices.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QImage;

namespace corv {

class Form1;
class MapModel;
class MapWindowOps;

// "Corvan" followed by the area count and ".jpg".
QString defaultSaveName(std::int16_t areaCount);
// A name containing ".jpg" anywhere (any case) is written as JPEG, any other as a bitmap file.
bool savesAsJpeg(const QString& fileName);
// The "Scroll/Zoom Speed" reply: the new speed, or nothing when it is to be ignored.
std::optional<float> scrollSpeedFromReply(const QString& reply);
// Map reset steps 1 and 2: the labels beyond element 0 go, element 0 is hidden, and
// clearing the current trace with clearAll set removes every figure and marker.
void clearMapFigures(MapModel& m, MapWindowOps& ops);
// Writes picture as a Windows bitmap file (24-bit) through the one save path
// (common/save_file.h): a failure raises a SaveError and keeps any earlier file.
void saveBitmapFile(const QImage& picture, const QString& fileName);

inline constexpr const char* kLoadFilter =
    "Pic files (*.bmp;*.jpg;*.gif;*.wmf)|*.bmp;*.jpg;*.gif;*.wmf|Bmp (*.bmp)|*.bmp|Jpeg (*.jpg)|*.jpg|Gif "
    "(*.gif)|*.gif|WMF metafile (*.wmf)|*.wmf|All files (*.*)|*.*|";
inline constexpr const char* kSaveFilter =
    "Pic files (*.jpg;*.bmp)|*.jpg;*.bmp|Jpeg (*.jpg)|*.jpg|Bmp (*.bmp)|*.bmp|All files (*.*)|*.*|";
inline constexpr const char* kNoPrinterMessage = "No printer is configured: the map window cannot be printed";

class PictureMenu {
public:
    explicit PictureMenu(Form1& form) : form_(form) {}
    // lstMenu2_Click with the picked item's text.
    void pick(const QString& item);

private:
    void loadMapFile();
    void pasteFromClipboard();
    void clearMapImage();
    void saveMapImage();
    void copyToClipboard();
    void print();
    void scrollZoomSpeed();
    void resetCounters();
    void forgetOldScale();
    Form1& form_;
};

}  // namespace corv
