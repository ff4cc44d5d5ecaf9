// The library's control kinds: its one numbering of them. A kind's index is its row in the
// identity table (classes.h) and its section of the defaults file (defaults_store.h); for the six
// edit fields it is also its row of the engine's kind traits (zmtext/engine/kind_traits.h).
#pragma once

#include <cstddef>

namespace zmtext {

// The control kinds in the order of the identity table (and of the defaults file's sections).
enum class ZMControlKind { Text, Date, Time, Long, Double, Currency, Label };
inline constexpr std::size_t kControlKindCount = 7;

// The kind's index in those tables.
constexpr int ZMKindIndex(ZMControlKind kind) { return static_cast<int>(kind); }

}  // namespace zmtext
