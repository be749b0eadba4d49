// Twips per pixel of the screen in use.
#include "common/twips.h"

namespace corv::twips {

namespace {
double gPerPixelX = 15.0;  // 96 DPI until the screen says otherwise
double gPerPixelY = 15.0;
}  // namespace

void setDpi(double dpiX, double dpiY)
{
    if (dpiX > 0) gPerPixelX = 1440.0 / dpiX;
    if (dpiY > 0) gPerPixelY = 1440.0 / dpiY;
}
double perPixelX() { return gPerPixelX; }
double perPixelY() { return gPerPixelY; }

}  // namespace corv::twips
