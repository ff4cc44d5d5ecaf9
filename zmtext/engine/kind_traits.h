// ZMKindTraits: what a field kind decides inside the engine's own editing rules. The engine
// holds the traits of its kind and asks them, never the kind itself, so a kind's rules are read
// in one table rather than scattered through the key, delete and defaults code.
#pragma once

#include <cstdint>

namespace zmtext {

// Field kinds: they pick the defaults section and the kind's traits.
enum ZMFieldKind : int { kFieldText = 0, kFieldDate = 1, kFieldTime = 2, kFieldLong = 3,
                         kFieldDouble = 4, kFieldCurrency = 5 };

// What fills the place a deleted data character frees at the end of its mask group.
enum class ZMFreedPlace : std::uint8_t {
    kClosed,        // nothing: the following data moves up
    kFillChar,      // the field's FillChar, so the following parts stay where they are
    kMaskDisplay,   // with a mask and data after the group: the display fill character
};

struct ZMKindTraits {
    ZMFieldKind kind = kFieldText;
    // A typed literal of the pattern among the display positions before this one jumps the
    // caret to the part after it (a date's or time's separator); 0 for none.
    int separatorJumpEnd = 0;
    ZMFreedPlace freedPlace = ZMFreedPlace::kMaskDisplay;
    // A deletion that leaves no valid value is refused (a number must stay a number).
    bool deletionKeepsValue = false;
    // The Justification a field takes without a stored default.
    std::int16_t justification = 0;
    // The WIN.INI key of the kind's digit count; empty for the kinds without decimals.
    const char* digitsKey = "";
};

// The traits of `kind` (a kind outside the enumeration reads as text).
const ZMKindTraits& ZMKindTraitsOf(int kind);

}  // namespace zmtext
