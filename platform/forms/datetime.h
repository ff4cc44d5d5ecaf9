// The runtime's clock functions over platform/win's clock interface (clock.h), so that tests can
// freeze or move time, and its date arithmetic on OLE dates.
#pragma once

#include <string_view>

namespace forms {

double Now();            // date and time, to the second
double Today();          // the Date function: today at midnight
double TimeOfDay();      // the Time function: the time fraction of now
double Timer();          // seconds since midnight
int CurrentYear();

// The Date and Time statements: set the system date (keeping the time of day) or the time
// (keeping the date). The clock's refusal raises 70 "Permission denied".
void SetDate(double date);
void SetTime(double time);

// DateAdd and DateDiff for the intervals "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s"
// (5 for another interval). DateDiff counts crossed boundaries, as the runtime does.
double DateAdd(std::string_view interval, double number, double date);
long DateDiff(std::string_view interval, double date1, double date2);

}  // namespace forms
