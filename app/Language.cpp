// SPDX-License-Identifier: MIT
#include "app/Language.h"

#include <algorithm>
#include <charconv>

#include "platform/FileIO.h"

namespace {

// The number before the first "=": a decimal integer (optional sign), else 0.
int ParseNumber(std::string_view s) {
  int value = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last || first == last) return 0;
  return value;
}

}  // namespace

void TLangTable::Clear() {
  firstLine_.clear();
  lines_.clear();
  index_.clear();
}

bool TLangTable::LoadFromFile(const std::string& path) {
  Clear();
  std::string data;
  if (ReadWholeFile(path, data).Failed()) return false;
  LoadFromText(data);
  return true;
}

void TLangTable::LoadFromText(std::string_view text) {
  Clear();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lines_.empty()) firstLine_ = std::string(line);
    Line l{0, std::string(line)};
    if (!line.empty() && line != ";") {
      size_t eq = line.find('=');
      if (eq != std::string_view::npos) {
        l.number = ParseNumber(line.substr(0, eq));
        l.text = std::string(line.substr(eq + 1));
      }
    }
    lines_.push_back(std::move(l));
    pos = next;
  }
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].number != 0) index_.emplace_back(lines_[i].number, i);
  // Stable: among equal numbers the first line stays first.
  std::stable_sort(index_.begin(), index_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::string TLangTable::FirstLine() const { return firstLine_; }

const std::string* TLangTable::Find(int number) const {
  if (number == 0) return nullptr;
  auto it = std::lower_bound(index_.begin(), index_.end(), number,
                             [](const auto& e, int n) { return e.first < n; });
  if (it == index_.end() || it->first != number) return nullptr;
  return &lines_[it->second].text;
}

TLangTable& LangTable(TLangKind which) {
  static TLangTable english, selected;
  return which == TLangKind::English ? english : selected;
}

std::string LangText(int number) {
  if (const std::string* t = LangTable(TLangKind::Selected).Find(number)) return *t;
  if (const std::string* t = LangTable(TLangKind::English).Find(number)) return *t;
  return "-----";
}

std::string LangFormat(int number, std::string_view arg) {
  std::string fmt = LangText(number);
  std::string out;
  out.reserve(fmt.size() + arg.size());
  bool used = false;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size()) {
      char c = fmt[i + 1];
      if (c == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (c == 's' && !used) {
        out += arg;
        used = true;
        ++i;
        continue;
      }
    }
    out += fmt[i];
  }
  return out;
}
