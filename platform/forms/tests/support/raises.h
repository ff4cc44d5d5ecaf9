// The runtime error number a call raises (0 when it raises none).
#pragma once

#include "platform/win/error.h"

namespace forms::testing {

template <typename F>
long ErrorNumberOf(F&& call) {
    try {
        call();
    } catch (const win::RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace forms::testing
