// The traits of the six field kinds.
#include "zmtext/engine/kind_traits.h"

#include <array>

namespace zmtext {
namespace {

// The date and time patterns keep their separators within the first ten positions.
constexpr int kDateTimeSeparatorEnd = 10;

constexpr std::array<ZMKindTraits, 6> kTraits{{
    {.kind = ZMControlKind::Text},
    {.kind = ZMControlKind::Date, .separatorJumpEnd = kDateTimeSeparatorEnd, .freedPlace = ZMFreedPlace::kFillChar,
     .justification = 1, .takesUnchangedText = true},
    {.kind = ZMControlKind::Time, .separatorJumpEnd = kDateTimeSeparatorEnd, .freedPlace = ZMFreedPlace::kFillChar,
     .justification = 1, .undoAnnouncesValue = true},
    {.kind = ZMControlKind::Long, .freedPlace = ZMFreedPlace::kClosed, .justification = 2, .digitsKey = "iDigits",
     .undoAnnouncesValue = true},
    {.kind = ZMControlKind::Double, .freedPlace = ZMFreedPlace::kClosed, .deletionKeepsValue = true, .justification = 2,
     .digitsKey = "iDigits", .hasDecimals = true, .undoAnnouncesValue = true},
    {.kind = ZMControlKind::Currency, .freedPlace = ZMFreedPlace::kClosed, .deletionKeepsValue = true, .justification = 2,
     .digitsKey = "iCurrDigits", .hasDecimals = true, .undoAnnouncesValue = true, .undoLeavesModified = true},
}};

// Each row sits at its kind's index.
static_assert([] {
    for (std::size_t i = 0; i < kTraits.size(); ++i)
        if (ZMKindIndex(kTraits[i].kind) != static_cast<int>(i)) return false;
    return true;
}());

}  // namespace

const ZMKindTraits& ZMKindTraitsOf(ZMControlKind kind) {
    const int i = ZMKindIndex(kind);
    return i >= 0 && i < static_cast<int>(kTraits.size()) ? kTraits[static_cast<std::size_t>(i)] : kTraits[0];
}

}  // namespace zmtext
