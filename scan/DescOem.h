// SPDX-License-Identifier: MIT
// Conversion of DOS (OEM code page) text to UTF-8 for description files and text heads.
//
// A table of the 256 byte values is built once per scan through iconv, so converting a file is
// a table lookup per byte and never calls iconv again. Bytes 0x00-0x7F of the usual OEM pages
// (CP437, CP850, CP866) are ASCII; carriage returns and line feeds survive the conversion, so
// text may be converted before or after it is split into lines with the same result.
//
// Threads: building writes the table; a built table is only read, by any number of threads.
#pragma once

#include <array>
#include <string>
#include <string_view>

class TOemTable {
 public:
  // An unusable table: Convert returns its input.
  TOemTable() = default;
  // Builds the table of `codePage` (an iconv name such as "CP437"). An unknown code page gives an
  // unusable table. A byte the code page does not define becomes U+FFFD.
  explicit TOemTable(std::string_view codePage);

  // True iff the table was built.
  bool Valid() const { return valid_; }
  // `bytes` converted to UTF-8; `bytes` itself when the table is unusable.
  std::string Convert(std::string_view bytes) const;

 private:
  std::array<std::string, 256> utf8_;
  bool valid_ = false;
  bool asciiSame_ = false;  // bytes 0x00-0x7F map to themselves
};
