// Positions are kept in twips (1440 per inch); this converts at the widget edge.
#pragma once

#include <cmath>

namespace corv::twips {

// Set once from the screen's logical DPI at start-up.
void setDpi(double dpiX, double dpiY);
double perPixelX();
double perPixelY();

inline int toPixelsX(double tw) { return static_cast<int>(std::lround(tw / perPixelX())); }
inline int toPixelsY(double tw) { return static_cast<int>(std::lround(tw / perPixelY())); }
inline double fromPixelsX(double px) { return px * perPixelX(); }
inline double fromPixelsY(double px) { return px * perPixelY(); }

}  // namespace corv::twips
