// SPDX-License-Identifier: MIT
// Conversions of legacy text to UTF-8: the OEM (DOS) code page of description files and text
// heads, the ANSI (Windows) code page of old tags and catalogs, and UTF-16 from version
// resources and tags. Every function is safe to call from any thread and never throws; bytes
// that have no character in the source page become U+FFFD.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/TextCase.h"  // IsValidUtf8

// Converts `bytes` from the OEM code page `codepage` to UTF-8. The page is an iconv name
// ("CP437", "CP850", "CP866") or a bare number ("850" means "CP850"); an unknown page is
// replaced by CP437.
std::string OemToUtf8(std::string_view bytes, std::string_view codepage = "CP437");

// Converts `bytes` from the ANSI code page `codepage` to UTF-8, as OemToUtf8; an unknown page is
// replaced by WINDOWS-1252.
std::string AnsiToUtf8(std::string_view bytes, std::string_view codepage = "WINDOWS-1252");

// The iconv name of a legacy code page as a user writes it: "1251", "cp1251", "CP-1251",
// "windows-1251" and "WINDOWS-1251" all give "WINDOWS-1251" (the numbers 874 and 1250 to 1258 are
// Windows pages, other numbers "CPnnn": "866" gives "CP866"); any other name is upper-cased
// ("koi8-r" gives "KOI8-R"). Empty when iconv knows no such page.
std::string CodePageName(std::string_view name);

struct TCodePageTable;

// How the texts of one catalog leave the store: a text that is valid UTF-8 is UTF-8, any other
// text is in the catalog's legacy (ANSI) code page and is decoded from it. The stored bytes are
// never changed; only what is shown, matched, sorted and written out is the decoded text. A
// decoder is a small value (the page name and a shared read-only table); copies are cheap and any
// thread may use one.
class TTextDecoder {
 public:
  // Windows-1252.
  TTextDecoder();
  // `codepage` as CodePageName takes it; an unknown page gives Windows-1252.
  explicit TTextDecoder(std::string_view codepage);

  // The iconv name of the page ("WINDOWS-1251").
  const std::string& CodePage() const { return page_; }

  // True iff `bytes` is not valid UTF-8, so that it is shown decoded. ASCII texts are checked
  // without a call.
  static bool NeedsDecoding(std::string_view bytes) {
    const char* p = bytes.data();
    size_t n = bytes.size(), i = 0;
    uint64_t high = 0;
    for (; i + 8 <= n; i += 8) {
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      high |= w;
    }
    if (n >= 8) {
      if (i < n) {  // the last 8 bytes, overlapping those looked at
        uint64_t w;
        std::memcpy(&w, p + n - 8, 8);
        high |= w;
      }
    } else if (n >= 4) {  // 4 to 7 bytes: the first and the last 4
      uint32_t u, v;
      std::memcpy(&u, p, 4);
      std::memcpy(&v, p + n - 4, 4);
      high |= u | v;
    } else {
      for (; i < n; ++i) high |= static_cast<unsigned char>(p[i]);
    }
    return (high & 0x8080808080808080ull) != 0 && !IsValidUtf8(bytes);
  }
  // The text of `bytes` as UTF-8.
  std::string Text(std::string_view bytes) const;
  // `bytes` itself when it is valid UTF-8; otherwise its decoded text, kept in `scratch`.
  std::string_view View(std::string_view bytes, std::string& scratch) const {
    if (!NeedsDecoding(bytes)) return bytes;
    DecodeInto(bytes, scratch);
    return scratch;
  }
  // `bytes` decoded from the page into `out` (replaced), whether or not it is valid UTF-8.
  void DecodeInto(std::string_view bytes, std::string& out) const;

 private:
  std::string page_;
  std::shared_ptr<const TCodePageTable> table_;
};

// Decodes UTF-16 code units (little- or big-endian) to UTF-8, up to the first zero unit; an odd
// last byte is ignored and an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// The length of `text` without a trailing incomplete UTF-8 sequence (the lead byte and fewer
// continuation bytes than it announces), as left when well-formed text is cut at a byte limit.
size_t Utf8CompletePrefix(std::string_view text);
