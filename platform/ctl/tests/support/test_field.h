// Identity of the test field control served by the test library (TESTFLD.OCX).
#pragma once

#include "platform/com/guid.h"

namespace ctl::testlib {

inline const com::Guid kFieldClsid = com::Guid::FromString("{6C7A0002-0000-4000-8000-0000000F1E1D}");
inline constexpr const char* kFieldProgId = "TESTFLD.TestField.1";

// Its own events.
inline constexpr int kEventChange = 1;
inline constexpr int kEventMenuCommand = 2;
inline constexpr int kEventInvalid = 3;
inline constexpr int kEventTimer = 4;

}  // namespace ctl::testlib
