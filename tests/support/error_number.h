// The number of the run-time error a call raises (0 when it raises none).
#pragma once

#include "common/runtime_error.h"

namespace corv::test {

inline int errorNumber(auto&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace corv::test
