// fm and usgsround on the program's mask rules (see number_format.h).
#include "runoff/number_format.h"

#include <cmath>

#include "common/numbers.h"

namespace corv {

std::string fm(double x, std::string_view formatp)
{
    const std::size_t width = formatp.size();
    std::string text = formatMask(x, formatp);
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

float usgsround(float& V)
{
    // The thresholds are single-precision constants, so 9.95f itself goes to 10.
    const float a = std::fabs(V);
    if (a >= 999.5f) {
        V = static_cast<float>(intFloor(static_cast<double>(V) / 10.0 + 0.5) * 10.0);
        return V;
    }
    std::string_view mask;
    if (a >= 9.95f)
        mask = "########0";
    else if (a >= 0.995f)
        mask = "#######0.0";
    else if (a >= 0.0995f)
        mask = "########0.00";
    else
        mask = "########0.000";
    V = static_cast<float>(Val(formatMask(V, mask)));
    return V;
}

}  // namespace corv
