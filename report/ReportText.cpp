// SPDX-License-Identifier: MIT
// Text pieces of the report writers.
#include "report/ReportText.h"

#include "platform/CodePage.h"
#include "platform/TextCase.h"

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the byte there does not start
// one.
size_t SequenceLength(std::string_view s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  size_t len = c >= 0xC2 && c <= 0xDF   ? 2
               : c >= 0xE0 && c <= 0xEF ? 3
               : c >= 0xF0 && c <= 0xF4 ? 4
                                        : 0;
  if (len == 0 || i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return len;
}

}  // namespace

size_t ReportTextLength(std::string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++n) {
    size_t len = SequenceLength(text, i);
    i += len ? len : 1;
  }
  return n;
}

std::string_view ReportTextPrefix(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t n = 0; n < count && i < text.size(); ++n) {
    size_t len = SequenceLength(text, i);
    i += len ? len : 1;
  }
  return text.substr(0, i);
}

std::vector<std::string> SplitReportLines(std::string_view description) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < description.size(); ++i) {
    char c = description[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(description.substr(start, i - start));
    if (c == '\r' && i + 1 < description.size() && description[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.emplace_back(description.substr(start));
  return lines;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
        break;
    }
  }
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(out, text);
  return out;
}

void CutTrailingBlanks(std::string& line) {
  size_t n = line.size();
  while (n > 0 && static_cast<unsigned char>(line[n - 1]) <= 32) --n;
  line.resize(n);
}

std::string ReplaceSeparator(std::string_view text, char separator, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == separator)
      out += replacement;
    else
      out += c;
  }
  return out;
}

std::string ReportUtf8(std::string_view text, std::string_view legacyCodePage) {
  if (IsValidUtf8(text)) return std::string(text);
  return AnsiToUtf8(text, legacyCodePage);
}
