// SPDX-License-Identifier: MIT
// The text forms of sizes: grouped digits and the short form with units from the language tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The decimal digits of `size` with a space before every group of three counted from the right:
// 1234567 -> "1 234 567", -1234 -> "-1 234".
std::string FormatSizeBytes(int64_t size);

// Below 1024 the exact value and " " + text 10151; otherwise the value divided by 1024, 1024^2 or
// 1024^3, cut (never rounded) to two decimals below 10, one below 100 and none above, followed by
// " " and text 10152, 10153 or 10154. Negative values take the first form. `decimalSep` is the
// locale's decimal separator; when empty it is taken from the global C++ locale ("." in "C").
std::string FormatSizeUnits(int64_t size, std::string_view decimalSep = {});
