// The map window's state record, field for field, with its start-up values.
#pragma once

#include <QString>
#include <cstdint>

#include "common/varray.h"

namespace corv {

struct MapState {
    std::int16_t traceMode = 0;  // 0 idle, 1 area, 2 stream line, 3 scale points
    float lastPointX = 0, lastPointY = 0;
    VArray<std::int16_t> traceStart;  // 0..20 after Form_Load
    std::int16_t segmentIndex = 0;
    std::int16_t traceCount = 0;
    float scaleDistance = 0;
    float scaleX = 1.0f, scaleY = 1.0f;
    bool clearAll = false;
    double dragStartX = 0, dragStartY = 0;
    std::int16_t areaCount = 0;
    QString areaCentroidReport;
    QString streamLengthReport;
    QString belowCentroidReport;
    QString areaReport;
    std::int16_t lastTraceType = 0;
    bool pixelScale = false;
    bool longLatScale = false;
    float spinnerUnit = 0;
    float scrollSpeed = 0.05f;
    bool feetUnits = false;
    bool pixelPairScale = false;
    float refPointX = 0, refPointY = 0;
    float refMapX = 0, refMapY = 0;
    bool panZoomAllowed = true;
    float centroidX = 0, centroidY = 0;
    float areaCentroidX = 0, areaCentroidY = 0;
    float scalePoint2X = 0, scalePoint2Y = 0;
    float areaFactor = 0;
    QString lengthUnits = QStringLiteral(" (mi)");
    QString areaUnits;

    // Kept between measurements: origin of the longitude/latitude scale, set by the
    // first figure measured under that scale and by every area; a new scale or picture
    // forgets it.
    double originLat = 0, originLon = 0;
    bool originSet = false;

    // The unit labels the area and stream reports were written in: the hand-off passes
    // a report's number with its own units, whatever scale came after it.
    QString areaReportUnits, streamReportUnits;

    // Where the figure being traced began writing into Text1 (-1: no line written yet),
    // so that clearing it takes its lines out again.
    int figureTextStart = -1;
};

}  // namespace corv
