// SPDX-License-Identifier: MIT
// Conversions of legacy text to UTF-8: the OEM (DOS) code page of description files and text
// heads, the ANSI (Windows) code page of old tags and catalogs, and UTF-16 from version
// resources and tags. Every function is safe to call from any thread and never throws; bytes
// that have no character in the source page become U+FFFD.
#pragma once

#include "platform/TextCase.h"  // IsValidUtf8

#include <string>
#include <string_view>

// Converts `bytes` from the OEM code page `codepage` to UTF-8. The page is an iconv name
// ("CP437", "CP850", "CP866") or a bare number ("850" means "CP850"); an unknown page is
// replaced by CP437.
std::string OemToUtf8(std::string_view bytes, std::string_view codepage = "CP437");

// Converts `bytes` from the ANSI code page `codepage` to UTF-8, as OemToUtf8; an unknown page is
// replaced by WINDOWS-1252.
std::string AnsiToUtf8(std::string_view bytes, std::string_view codepage = "WINDOWS-1252");


// Decodes UTF-16 code units (little- or big-endian) to UTF-8, up to the first zero unit; an odd
// last byte is ignored and an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);


// The length of `text` without a trailing incomplete UTF-8 sequence (the lead byte and fewer
// continuation bytes than it announces), as left when well-formed text is cut at a byte limit.
size_t Utf8CompletePrefix(std::string_view text);
