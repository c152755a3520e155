// SPDX-License-Identifier: MIT
#include "search/DigitEdit.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

int32_t DigitEditValue(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  std::string s(text.substr(b, e - b));
  if (s.empty()) return 0;
  // Plain decimal only: no hexadecimal, infinities or NaN that strtod would also take.
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return 0;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || std::isnan(v)) return 0;
  v = std::nearbyint(v);  // the default rounding mode: halves to even
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

bool DigitEditPasses(char key) { return (key >= '0' && key <= '9') || key == 8 || key == 13; }

void TDigitEdit::SetValue(int32_t value) {
  Text = std::to_string(value);
  SelStart = Text.size();
  SelLength = 0;
}

void TDigitEdit::SetMaxValue(int32_t bound) {
  MaxValue = bound;
  if (Value() > bound) SetValue(bound);
}

bool TDigitEdit::KeyPress(char key) {
  if (!DigitEditPasses(key)) {
    ++InputErrors;
    return false;
  }
  if (key == 13) return false;
  std::string before = Text;
  size_t start = std::min(SelStart, Text.size());
  size_t len = std::min(SelLength, Text.size() - start);
  if (key == 8) {
    if (len > 0) {
      Text.erase(start, len);
    } else if (start > 0) {
      Text.erase(start - 1, 1);
      --start;
    } else {
      return false;
    }
  } else {
    if (MaxLength != 0 && Text.size() - len + 1 > MaxLength) return false;
    Text.replace(start, len, 1, key);
    ++start;
  }
  SelStart = start;
  SelLength = 0;
  if (Value() > MaxValue) {
    Text = before;
    SelStart = 0;
    SelLength = Text.size();
    return false;
  }
  return Text != before;
}
