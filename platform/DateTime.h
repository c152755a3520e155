// SPDX-License-Identifier: MIT
// Date-time doubles: the calendar of the catalog and settings images, with their text forms.
// Every function may be called from any thread.
#pragma once

#include <ctime>
#include <string>

// Date-time doubles count days since 30 December 1899; the fraction is the time of day. Local time.

// "dd.mm.yyyy"; empty for a value that is not a date of the years 1 to 9999 (NaN, infinite).
std::string FormatDate(double dateTime);
// "dd.mm.yyyy, hh:mm" (24-hour clock); empty like FormatDate.
std::string FormatDateTime(double dateTime);
// The local time of a POSIX time as a date-time double (whole seconds).
double TimeToDateTime(time_t t);
// The same with the nanoseconds kept as a fraction of a second.
double TimespecToDateTime(const timespec& ts);
// The current local date and time.
double NowDateTime();
// Civil date and time of a date-time double, local; false when out of range.
struct TDateParts {
  int Year, Month, Day, Hour, Minute, Second, Millisecond;
};
bool DecodeDateTime(double dateTime, TDateParts& parts);
// The date-time double of a civil date and time.
double EncodeDateTime(const TDateParts& parts);
