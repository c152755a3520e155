// SPDX-License-Identifier: MIT
#include "search/FindOptions.h"

#include <cctype>
#include <limits>
#include <string>

#include "platform/DateTime.h"
#include "search/ListSort.h"

namespace {

bool ParseUint(std::string_view s, int64_t& v) {
  if (s.empty()) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    if (v > (std::numeric_limits<int64_t>::max() - (c - '0')) / 10) return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

}  // namespace

bool ParseDayDate(std::string_view text, double& date) {
  size_t d1 = text.find('.');
  size_t d2 = d1 == std::string_view::npos ? d1 : text.find('.', d1 + 1);
  if (d2 == std::string_view::npos) return false;
  int64_t day, month, year;
  std::string_view ds = text.substr(0, d1), ms = text.substr(d1 + 1, d2 - d1 - 1),
                   ys = text.substr(d2 + 1);
  if (ds.size() > 2 || ms.size() > 2 || ys.size() != 4) return false;
  if (!ParseUint(ds, day) || !ParseUint(ms, month) || !ParseUint(ys, year)) return false;
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > last) return false;
  date = EncodeDateTime({int(year), int(month), int(day), 0, 0, 0, 0});
  return true;
}

bool ParseSizeCriterion(std::string_view text, int32_t& op, int64_t& limit) {
  if (text.empty()) return false;
  switch (text[0]) {
    case '=':
      op = soEqual;
      break;
    case '>':
      op = soGreater;
      break;
    case '<':
      op = soLess;
      break;
    default:
      return false;
  }
  text.remove_prefix(1);
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  std::string unit;
  for (char c : text.substr(digits))
    unit += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  int64_t n;
  if (!ParseUint(text.substr(0, digits), n)) return false;
  int64_t factor;
  if (unit.empty() || unit == "B")
    factor = 1;
  else if (unit == "KB")
    factor = 1024;
  else if (unit == "MB")
    factor = 1048576;
  else
    return false;
  if (n > std::numeric_limits<int64_t>::max() / factor) return false;
  limit = n * factor;
  return true;
}

bool ParseAttrCriterion(std::string_view text, TFindParams& params) {
  if (text.empty() || text.size() % 2 != 0) return false;
  int32_t req[5] = {-1, -1, -1, -1, -1};
  static constexpr std::string_view kLetters = "rhsda";
  static constexpr int32_t kBits[5] = {0x01, 0x02, 0x04, 0x10, 0x20};
  for (size_t i = 0; i < text.size(); i += 2) {
    size_t k = kLetters.find(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
    char sign = text[i + 1];
    if (k == std::string_view::npos || (sign != '+' && sign != '-') || req[k] != -1) return false;
    req[k] = sign == '+' ? kBits[k] : 0;
  }
  params.AttrOn = true;
  params.AttrReadOnly = req[0];
  params.AttrHidden = req[1];
  params.AttrSystem = req[2];
  params.AttrDirectory = req[3];
  params.AttrArchive = req[4];
  return true;
}

int ResultColumnByName(std::string_view name) {
  static constexpr std::pair<std::string_view, int> kNames[] = {
      {"name", rcName}, {"ext", rcExtension},    {"size", rcSize},
      {"date", rcDate}, {"disk", rcDiskName},    {"type", rcDiskType},
      {"path", rcPath}, {"desc", rcDescription}, {"category", rcCategory}};
  for (const auto& [n, c] : kNames)
    if (n == name) return c;
  return -1;
}
