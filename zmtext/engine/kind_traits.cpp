// The traits of the six field kinds.
#include "zmtext/engine/kind_traits.h"

#include <array>

namespace zmtext {
namespace {

// The date and time patterns keep their separators within the first ten positions.
constexpr int kDateTimeSeparatorEnd = 10;

constexpr std::array<ZMKindTraits, 6> kTraits{{
    {kFieldText, 0, ZMFreedPlace::kMaskDisplay, false, 0, ""},
    {kFieldDate, kDateTimeSeparatorEnd, ZMFreedPlace::kFillChar, false, 1, ""},
    {kFieldTime, kDateTimeSeparatorEnd, ZMFreedPlace::kFillChar, false, 1, ""},
    {kFieldLong, 0, ZMFreedPlace::kClosed, false, 2, "iDigits"},
    {kFieldDouble, 0, ZMFreedPlace::kClosed, true, 2, "iDigits"},
    {kFieldCurrency, 0, ZMFreedPlace::kClosed, true, 2, "iCurrDigits"},
}};

}  // namespace

const ZMKindTraits& ZMKindTraitsOf(int kind) {
    return kind >= 0 && kind < static_cast<int>(kTraits.size()) ? kTraits[static_cast<std::size_t>(kind)] : kTraits[0];
}

}  // namespace zmtext
