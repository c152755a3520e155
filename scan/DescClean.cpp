// SPDX-License-Identifier: MIT
#include "scan/DescClean.h"

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence a lead byte announces; 0 for a byte that cannot lead one.
size_t SequenceLength(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

size_t Utf8CutPoint(std::string_view text, size_t limit) {
  if (limit >= text.size()) return text.size();
  if (!IsContinuation(static_cast<unsigned char>(text[limit]))) return limit;
  // The byte at the limit continues a sequence: find its lead byte, at most three bytes back.
  for (size_t back = 1; back <= 3 && back <= limit; ++back) {
    unsigned char c = static_cast<unsigned char>(text[limit - back]);
    if (IsContinuation(c)) continue;
    size_t len = SequenceLength(c);
    size_t start = limit - back;
    if (len <= back || start + len > text.size()) return limit;  // a stray continuation byte
    for (size_t k = 1; k < len; ++k)
      if (!IsContinuation(static_cast<unsigned char>(text[start + k]))) return limit;
    return start;
  }
  return limit;
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

void CleanDescription(std::string& text, const TDescOptions& options) {
  size_t limit = options.MaxDescBytes();
  if (limit > 0 && text.size() > limit) text.resize(Utf8CutPoint(text, limit));

  std::string out;
  out.reserve(text.size());
  bool first = true;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      size_t skip = (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
      rest.remove_prefix(end + skip);
    }
    if (options.DropEmptyLines && line.empty()) continue;
    if (options.TrimLeading)
      while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (options.TrimTrailing)
      while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (!first) out += "\r\n";
    first = false;
    if (options.CollapseSpaces) {
      for (char c : line)
        if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
    } else {
      out.append(line);
    }
  }
  text = std::move(out);
}
