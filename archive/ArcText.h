// SPDX-License-Identifier: MIT
// Conversions shared by the archive readers: DOS and Unix times to the local date-time double
// (days since 30 December 1899, fraction = time of day) and back, and stored entry names to
// UTF-8 with "\" separators. Thread-safe.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/TextCase.h"  // IsValidUtf8

// A DOS date (high 16 bits) and time (low 16 bits), local time, two-second precision, to the
// date-time double; 0.0 for a value that is not a valid date.
double ArcDosTimeToDateTime(uint32_t dos);
// The date-time double to a DOS date and time; 0 for dates outside 1980..2107 or not finite.
uint32_t ArcDateTimeToDosTime(double dt);
// A Unix time (seconds since 1970 UTC) to the local date-time double; 0.0 when it cannot be
// converted.
double ArcUnixTimeToDateTime(int64_t t);
// Local calendar fields to the date-time double.
double ArcFieldsToDateTime(int year, int month, int day, int hour, int minute, int second);

// A stored name as UTF-8: kept when it is valid UTF-8, else decoded as code page 437 (the DOS
// code page the old archivers wrote). NUL bytes are dropped.
std::string ArcNameToUtf8(std::string_view raw);
// "/" (and the HA separator 0xFF) replaced by "\"; the result of ArcNameToUtf8 for the rest.
std::string ArcStoredPath(std::string_view raw);
