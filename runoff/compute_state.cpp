// The hydrograph window's compute state (a plain record; see compute_state.h).
#include "runoff/compute_state.h"

#include "common/runtime_error.h"

namespace corv {

double boxValue(const QString& text)
{
    const double v = Val(text.toStdString());
    // Every box value ends up in singles; one beyond them names itself here.
    try {
        toSingle(v);
    } catch (const RuntimeError&) {
        throw RuntimeError(err::kOverflow, "Overflow: the number \"" + text.trimmed().left(40).toStdString() +
                                               "\" is beyond the range of numbers the program computes with.");
    }
    return v;
}

float boxSingle(const QString& text) { return toSingle(boxValue(text)); }

}  // namespace corv
