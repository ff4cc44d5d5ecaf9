// The library's type library ZMTextLib 4.1: the cursor interfaces, the module of constants, every
// enumeration (a hidden type that properties are declared with, and a visible type of constants
// with the same values), and per built control its coclass, dispatch and event interfaces.
//
// Property pages read the enumerations back from the library file to fill their lists, so the
// type and member names below are a contract with saved programs and with the pages.
#pragma once

#include <cstdint>

#include "platform/com/typelib.h"
#include "zmtext/module/classes.h"

namespace zmtext {

inline const com::Guid kZMTextLibId = com::Guid::FromString("{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}");
inline constexpr std::uint16_t kZMTextLibMajor = 4;
inline constexpr std::uint16_t kZMTextLibMinor = 1;
inline constexpr const char* kZMHelpFile = "ZMTEXT.HLP";

// The description for the classes in `factories`.
com::TypeLibraryData BuildZMTextLib(const ZMFactoryList& factories);

// The library's own description (of ZMFactories()), built once.
const com::TypeLibraryData& ZMTextLib();

}  // namespace zmtext
