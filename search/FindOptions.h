// SPDX-License-Identifier: MIT
// Search criteria written as text (the command line's find options): dates "DD.MM.YYYY", size
// criteria "=N", ">N", "<N" with an optional unit B, KB or MB, attribute requirements such as
// "r+h-" and the names of the result columns.
//
// Threads: any.
#pragma once

#include <cstdint>
#include <string_view>

#include "search/FindParams.h"

// "DD.MM.YYYY" (one or two digits for day and month) as the date-time value of its midnight;
// false for anything else or a day that does not exist.
bool ParseDayDate(std::string_view text, double& date);

// "=N", ">N" or "<N", N a non-negative whole number optionally followed by "B", "KB" or "MB"
// (letter case ignored; bytes without a unit): the operator and the limit in bytes. False for
// anything else or a limit beyond 64 bits.
bool ParseSizeCriterion(std::string_view text, int32_t& op, int64_t& limit);

// Attribute requirements: each of the letters r (read-only), h (hidden), s (system), d
// (directory), a (archive) followed by "+" (must be set) or "-" (must be clear); letters not
// named are ignored. "r+h-" requires read-only and not hidden. Sets AttrOn and the five
// requirements of `params`; false (params unchanged) on any other text or a repeated letter.
bool ParseAttrCriterion(std::string_view text, TFindParams& params);

// The result column named name, ext, size, date, disk, type, path, desc or category; -1 for any
// other name.
int ResultColumnByName(std::string_view name);
