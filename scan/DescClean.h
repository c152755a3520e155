// SPDX-License-Identifier: MIT
// The clean-up every imported description passes before it is stored: a length limit and four
// line filters, with the options of the scan's rule table. Thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scan/DescRuleSet.h"

// Cleans `text` in place:
// 1. With a limit (MaxDescKB > 0), a longer text is cut to at most MaxDescKB * 1024 bytes, at the
//    last character boundary at or before the limit, so no UTF-8 character is split.
// 2. The text is split into lines at CR LF, LF or CR (a final line end adds no empty line); with
//    DropEmptyLines an empty line is removed (a line of blanks is not empty here, even if trimming
//    empties it); TrimLeading and TrimTrailing remove bytes up to 32 at either end of each line;
//    CollapseSpaces reduces every run of spaces to one.
// 3. The lines are joined with CR LF, with no line end after the last.
void CleanDescription(std::string& text, const TDescOptions& options);

// The largest cut point <= `limit` that does not fall inside a valid UTF-8 sequence of `text`
// (bytes that are not valid UTF-8 count as one character each). `limit` >= size gives size.
size_t Utf8CutPoint(std::string_view text, size_t limit);

// `s` without leading and trailing bytes up to 32 (blanks and control characters).
std::string_view TrimBlanks(std::string_view s);
