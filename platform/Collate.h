// SPDX-License-Identifier: MIT
// Locale-aware, case-insensitive comparison of names: the order of every sorted list (scanned
// folders, disks, search results, reports). Accents count, letter case does not ("ä" sorts after
// "a", "File" equals "file").
//
// Comparison is ICU collation at secondary strength for the locale of LC_COLLATE (root when none
// is set). Pure-ASCII pairs, by far the most common, take a fast path through a table of the
// collator's own primary weights, so millions of comparisons stay cheap; the result is the same as
// the collator's. Thread-safe after the first call.
#pragma once

#include <string>
#include <string_view>

// Negative, zero or positive as a sorts before, equal to, or after b. Texts that are not valid
// UTF-8 (names from legacy catalogs) compare byte by byte with ASCII letters folded, so distinct
// legacy names never compare equal.
int AnsiCompareText(std::string_view a, std::string_view b);
// True iff AnsiCompareText(a, b) == 0.
bool AnsiSameText(std::string_view a, std::string_view b);

// For sorting many names: the key of an ASCII name such that comparing two keys byte by byte,
// a key that is a prefix of the other first, gives AnsiCompareText's answer for the two names.
// False (and `key` undefined) for a name beyond ASCII, or when the locale's collation has no fast
// path for ASCII; such names are compared with AnsiCompareText.
bool AsciiCollationKey(std::string_view name, std::string& key);

// The same through the collator only (no fast path): for tests and rare callers.
int CollatorCompare(std::string_view a, std::string_view b);
