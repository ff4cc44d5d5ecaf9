// The runtime error number a call raises (0 when it raises none).
#pragma once

#include "platform/win/testing/raises.h"

namespace forms::testing {

using win::testing::ErrorNumberOf;

}  // namespace forms::testing
