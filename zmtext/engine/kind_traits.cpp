// The traits of the six field kinds.
#include "zmtext/engine/kind_traits.h"

#include <array>

namespace zmtext {
namespace {

// The date and time patterns keep their separators within the first ten positions.
constexpr int kDateTimeSeparatorEnd = 10;

constexpr std::array<ZMKindTraits, 6> kTraits{{
    {.kind = kFieldText},
    {.kind = kFieldDate, .separatorJumpEnd = kDateTimeSeparatorEnd, .freedPlace = ZMFreedPlace::kFillChar,
     .justification = 1, .takesUnchangedText = true},
    {.kind = kFieldTime, .separatorJumpEnd = kDateTimeSeparatorEnd, .freedPlace = ZMFreedPlace::kFillChar,
     .justification = 1, .undoAnnouncesValue = true},
    {.kind = kFieldLong, .freedPlace = ZMFreedPlace::kClosed, .justification = 2, .digitsKey = "iDigits",
     .undoAnnouncesValue = true},
    {.kind = kFieldDouble, .freedPlace = ZMFreedPlace::kClosed, .deletionKeepsValue = true, .justification = 2,
     .digitsKey = "iDigits", .hasDecimals = true, .undoAnnouncesValue = true},
    {.kind = kFieldCurrency, .freedPlace = ZMFreedPlace::kClosed, .deletionKeepsValue = true, .justification = 2,
     .digitsKey = "iCurrDigits", .hasDecimals = true, .undoAnnouncesValue = true, .undoLeavesModified = true},
}};

}  // namespace

const ZMKindTraits& ZMKindTraitsOf(int kind) {
    return kind >= 0 && kind < static_cast<int>(kTraits.size()) ? kTraits[static_cast<std::size_t>(kind)] : kTraits[0];
}

}  // namespace zmtext
