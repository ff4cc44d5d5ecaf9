// Readable dates in test failure messages ("1998-12-25" instead of the triple's bytes).
#pragma once

#include <ostream>

#include "zmtext/values/date_values.h"

namespace zmtext {

inline void PrintTo(const ZMDate& date, std::ostream* os) {
    *os << date.year << '-' << date.month << '-' << date.day;
}

}  // namespace zmtext
