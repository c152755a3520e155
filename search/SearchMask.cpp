// SPDX-License-Identifier: MIT
#include "search/SearchMask.h"

#include <cstring>

#include "platform/TextCase.h"

namespace {

// `mask` with runs of "*" collapsed.
std::string Collapse(std::string_view mask) {
  std::string out;
  for (char c : mask)
    if (!(c == '*' && !out.empty() && out.back() == '*')) out += c;
  return out;
}

bool PlainAscii(std::string_view s) {
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0x80) || c == '*' || c == '?') return false;
  return true;
}

// Upper-cases an ASCII text without "*" into `out`; false when the text has another byte.
bool UpperPlain(std::string_view text, std::string& out) {
  out.resize(text.size());
  char* o = out.data();
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0x80) || c == '*') return false;
    o[i] = static_cast<char>(AsciiUpper(c));
  }
  return true;
}

}  // namespace

TSearchMask::TSearchMask(std::string_view mask) : wild_(mask) {
  std::string m = Collapse(mask);
  if (m == "*") {
    form_ = TForm::All;
    return;
  }
  if (m.size() < 2) return;
  bool lead = m.front() == '*', trail = m.back() == '*';
  std::string_view inner(m);
  if (lead) inner.remove_prefix(1);
  if (trail) inner.remove_suffix(1);
  if (inner.empty() || !PlainAscii(inner)) return;
  literal_ = Utf8Upper(inner);
  if (lead && trail)
    form_ = TForm::Contains;
  else if (lead)
    form_ = TForm::Suffix;
  else if (trail)
    form_ = TForm::Prefix;
}

bool TSearchMask::Match(std::string_view text) const {
  switch (form_) {
    case TForm::General: return wild_.Match(text);
    case TForm::All: return true;
    default: break;
  }
  if (text.empty()) return wild_.Match(text);
  thread_local std::string up;
  if (!UpperPlain(text, up)) return wild_.Match(text);
  std::string_view s(up), g(literal_);
  switch (form_) {
    case TForm::Contains: return s.find(g) != std::string_view::npos;
    case TForm::Suffix: return s.size() >= g.size() && s.substr(s.size() - g.size()) == g;
    case TForm::Prefix: {
      // The matcher stops at the end of the text and then accepts because the mask ends in "*":
      // a text that is a prefix of the literal matches too ('read*' matches 'rea').
      size_t n = std::min(s.size(), g.size());
      return std::memcmp(s.data(), g.data(), n) == 0;
    }
    default: return wild_.Match(text);
  }
}

TMaskSet::TMaskSet(const std::vector<std::string>& masks) {
  masks_.reserve(masks.size());
  for (const auto& m : masks) masks_.emplace_back(m);
}

bool TMaskSet::MatchesAnyMask(std::string_view text) const {
  for (const auto& m : masks_)
    if (m.Match(text)) return true;
  return false;
}
