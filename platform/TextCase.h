// SPDX-License-Identifier: MIT
// Case handling of catalog texts. Names are UTF-8 as Tolvane writes them; bytes that are not
// valid UTF-8 (names from legacy catalogs) are kept as one unit each, so nothing is ever lost or
// merged. Upper-casing is the simple (one-to-one) Unicode mapping, with a fast path for ASCII.
// Thread-safe.
#pragma once

#include <string>
#include <string_view>

// True iff every byte is below 0x80.
bool IsAsciiText(std::string_view s);

// True iff `s` is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view s);

// Decodes `s` into code points, upper-cased. An invalid byte b becomes the code point 0xDC00 + b.
void DecodeUpper(std::string_view s, std::u32string& out);

// Appends code point `c` as UTF-8; a surrogate or a value past U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// `s` upper-cased, as UTF-8 (invalid bytes kept as they are).
std::string Utf8Upper(std::string_view s);

inline unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}
