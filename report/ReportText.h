// SPDX-License-Identifier: MIT
// Small text pieces of the report writers: character counting of UTF-8 cells, description lines,
// HTML escaping, trailing-blank cutting, separator replacement.
//
// Threads: every function may be called from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The number of characters of `text` as the report aligns columns: one per UTF-8 sequence (its
// lead byte), and one per byte that is not part of a well-formed sequence.
size_t ReportTextLength(std::string_view text);

// The first `count` characters of `text` (counted as ReportTextLength does).
std::string_view ReportTextPrefix(std::string_view text, size_t count);

// The lines of a description, split at CR, LF or CR LF. An empty description is one empty line;
// a text ending in a line break ends with an empty line.
std::vector<std::string> SplitReportLines(std::string_view description);

// `text` with "&", "<", ">" and "\"" written as the HTML entities "&amp;", "&lt;", "&gt;" and
// "&quot;", so that no text from a catalog or the user can open markup in a report.
std::string HtmlEscape(std::string_view text);
// Appends HtmlEscape(text) to `out`.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// Removes the trailing characters whose code is 32 or below (spaces, TABs, control characters).
void CutTrailingBlanks(std::string& line);

// `text` with every `separator` character replaced by `replacement` (which may be empty).
std::string ReplaceSeparator(std::string_view text, char separator, std::string_view replacement);

// `text` as UTF-8: unchanged when it is valid UTF-8, else decoded from the legacy single-byte
// code page `legacyCodePage` (catalogs written on older systems hold such bytes).
std::string ReportUtf8(std::string_view text, std::string_view legacyCodePage);
