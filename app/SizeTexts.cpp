// SPDX-License-Identifier: MIT
#include "app/SizeTexts.h"

#include <locale>

#include "app/Language.h"

namespace {

uint64_t Magnitude(int64_t v) {
  return v < 0 ? ~static_cast<uint64_t>(v) + 1 : static_cast<uint64_t>(v);
}

std::string TwoDigits(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::string FormatSizeBytes(int64_t size) {
  std::string digits = std::to_string(Magnitude(size));
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 1);
  if (size < 0) out += '-';
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

std::string FormatSizeUnits(int64_t size, std::string_view decimalSep) {
  if (size < 1024) return std::to_string(size) + " " + LangText(10151);
  std::string sep(decimalSep);
  if (sep.empty()) sep = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  uint64_t v = static_cast<uint64_t>(size);
  uint64_t div;
  std::string unit;
  if (v < (uint64_t(1) << 20)) {
    div = uint64_t(1) << 10;
    unit = LangText(10152);
  } else if (v < (uint64_t(1) << 30)) {
    div = uint64_t(1) << 20;
    unit = LangText(10153);
  } else {
    div = uint64_t(1) << 30;
    unit = LangText(10154);
  }
  // Integer arithmetic, so the cut is exact: whole part and the first two decimals, truncated.
  uint64_t whole = v / div;
  uint64_t hundredths = (v % div) * 100 / div;
  std::string text = std::to_string(whole);
  if (whole < 10) {
    text += sep + TwoDigits(static_cast<int>(hundredths));
  } else if (whole < 100) {
    text += sep + std::to_string(hundredths / 10);
  }
  return text + " " + unit;
}
