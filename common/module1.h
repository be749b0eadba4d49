// Module1: flags shared between the windows, and the number-format chooser.
#pragma once

#include <string>

namespace corv {

struct Module1 {
    // Which map page the browser window opens.
    static inline bool bigMapPage = false;
    static inline bool usgsViewerPage = false;
    // Period window: how often the connection string was edited, and whether it was cancelled.
    static inline int connectionEdits = 0;
    static inline bool dateFormCancelled = false;

    static void reset()
    {
        bigMapPage = usgsViewerPage = false;
        connectionEdits = 0;
        dateFormCancelled = false;
    }
};

// Format text for a measurement by its power of ten: "0.00" (plus a zero for each
// negative power), "#0.0", "#0" or "#00". value is left unchanged.
std::string PickNumberFormat(const float& value);

// value formatted with PickNumberFormat(value).
std::string formatMeasurement(float value);

}  // namespace corv
