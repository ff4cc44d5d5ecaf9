// The runtime error number a call raises, for tests that pin error numbers as tables.
#pragma once

#include "platform/win/error.h"

namespace win::testing {

// The number of the win::RuntimeError that `call` raised; 0 when it raised none.
template <typename F>
long ErrorNumberOf(F&& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace win::testing
