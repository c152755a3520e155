// SPDX-License-Identifier: MIT
#include "app/Helpers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <memory>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "store/QDBase.h"

// ---- sizes
// ----------------------------------------------------------------------------------------

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

// ---- dates
// ----------------------------------------------------------------------------------------

namespace {

constexpr int64_t kUnixEpochDay = 25569;  // 1 January 1970 as a date-time day number
constexpr int64_t kMsPerDay = 86400000;

// Days since 1 January 1970 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

double FromLocalTm(const std::tm& tm, double fractionOfSecond) {
  int64_t days = DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + kUnixEpochDay;
  double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + fractionOfSecond;
  return static_cast<double>(days) + secs / 86400.0;
}

}  // namespace

bool DecodeDateTime(double dateTime, TDateParts& p) {
  // Day 1 of year 1 and 31 December 9999, as date-time day numbers.
  if (!std::isfinite(dateTime) || dateTime < -693593.0 || dateTime >= 2958466.0) return false;
  // The whole part is the day and the fraction's magnitude the time, also before 1899.
  double dayPart = std::trunc(dateTime);
  int64_t day = static_cast<int64_t>(dayPart);
  int64_t ms = std::llround(std::fabs(dateTime - dayPart) * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounding reached midnight
    ms -= kMsPerDay;
    day += dateTime < 0 ? -1 : 1;
  }
  int64_t y;
  CivilFromDays(day - kUnixEpochDay, y, p.Month, p.Day);
  if (y < 1 || y > 9999) return false;
  p.Year = static_cast<int>(y);
  p.Hour = static_cast<int>(ms / 3600000);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Millisecond = static_cast<int>(ms % 1000);
  return true;
}

double EncodeDateTime(const TDateParts& p) {
  int64_t day = DaysFromCivil(p.Year, p.Month, p.Day) + kUnixEpochDay;
  double time = (p.Hour * 3600000.0 + p.Minute * 60000.0 + p.Second * 1000.0 + p.Millisecond) /
                static_cast<double>(kMsPerDay);
  return day >= 0 ? day + time : day - time;
}

std::string FormatDate(double dateTime) {
  TDateParts p;
  if (!DecodeDateTime(dateTime, p)) return {};
  std::string year = std::to_string(p.Year);
  year.insert(0, 4 - year.size(), '0');
  return TwoDigits(p.Day) + "." + TwoDigits(p.Month) + "." + year;
}

std::string FormatDateTime(double dateTime) {
  TDateParts p;
  if (!DecodeDateTime(dateTime, p)) return {};
  return FormatDate(dateTime) + ", " + TwoDigits(p.Hour) + ":" + TwoDigits(p.Minute);
}

double TimeToDateTime(time_t t) {
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return 0;
  return FromLocalTm(tm, 0);
}

double TimespecToDateTime(const timespec& ts) {
  std::tm tm{};
  time_t t = ts.tv_sec;
  if (!localtime_r(&t, &tm)) return 0;
  return FromLocalTm(tm, static_cast<double>(ts.tv_nsec) / 1e9);
}

double NowDateTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return TimespecToDateTime(ts);
}

// ---- item texts
// -------------------------------------------------------------------------------------

std::string AttributeLetters(int32_t itemFlags) {
  int a = ItemAttributes(itemFlags);
  std::string s;
  if (a & kAttrDirectory) s += 'd';
  if (a & kAttrReadOnly) s += 'r';
  if (a & kAttrHidden) s += 'h';
  if (a & kAttrSystem) s += 's';
  if (a & kAttrArchive) s += 'a';
  return s;
}

std::string KindText(int32_t itemFlags) {
  int kind = ItemKind(itemFlags);
  if (kind >= 100) return LangText(10131);
  switch (kind) {
    case ikCatalog:
      return LangText(10132);
    case ikGroup:
      return LangText(10133);
    case ikDisk:
      return LangText(10134);
    case ikFolder:
      return LangText(10135);
    default:
      return {};
  }
}

std::string DriveTypeText(int driveType) {
  switch (driveType) {
    case 1:
      return LangText(10181);
    case 2:
      return LangText(10182);
    case 3:
      return LangText(10183);
    case 4:
      return LangText(10184);
    case 5:
      return LangText(10185);
    case 6:
      return LangText(10186);
    default:
      return {};
  }
}

std::string FirstLine(std::string_view description) {
  size_t start = 0;
  while (start < description.size() && static_cast<unsigned char>(description[start]) <= 32)
    ++start;
  std::string_view rest = description.substr(start);
  size_t cr = rest.find('\r');
  if (cr == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, cr)) + " [...]";
}

// ---- file names
// ---------------------------------------------------------------------------------------

std::string SafeFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) {
      c = '_';
      continue;
    }
    switch (c) {
      case '"':
      case '*':
      case '/':
      case ':':
      case '<':
      case '>':
      case '?':
      case '\\':
      case '|':
        c = '_';
        break;
      default:
        break;
    }
  }
  return out;
}

size_t ExtensionDot(std::string_view name) {
  size_t sep = name.find_last_of("/\\");
  size_t start = sep == std::string_view::npos ? 0 : sep + 1;
  size_t first = name.find_first_not_of('.', start);  // past the leading dots
  if (first == std::string_view::npos) return std::string_view::npos;
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot < first ? std::string_view::npos : dot;
}

std::string NameWithoutExt(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string NameExt(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

// ---- case-insensitive comparison
// ---------------------------------------------------------------------

namespace {




}  // namespace



// ---- shell
// ------------------------------------------------------------------------------------------

int ShellErrorNumber(int code) {
  switch (code) {
    case 2:
      return 10161;
    case 3:
      return 10162;
    case 5:
      return 10163;
    case 8:
      return 10164;
    case 32:
      return 10165;
    case 26:
      return 10166;
    case 27:
      return 10167;
    case 28:
      return 10168;
    case 29:
      return 10169;
    case 30:
      return 10170;
    case 31:
      return 10171;
    case 11:
      return 10172;
    default:
      return 10173;
  }
}

std::string ShellErrorText(int code) {
  switch (ShellErrorNumber(code)) {
    case 10161:
      return LangText(10161);
    case 10162:
      return LangText(10162);
    case 10163:
      return LangText(10163);
    case 10164:
      return LangText(10164);
    case 10165:
      return LangText(10165);
    case 10166:
      return LangText(10166);
    case 10167:
      return LangText(10167);
    case 10168:
      return LangText(10168);
    case 10169:
      return LangText(10169);
    case 10170:
      return LangText(10170);
    case 10171:
      return LangText(10171);
    case 10172:
      return LangText(10172);
    default:
      return LangText(10173);
  }
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

// Every "%1" replaced by `first` and every "%2" by `second`, left to right, not rescanned.
std::string Substitute(std::string_view text, std::string_view first, std::string_view second) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      out += text[i + 1] == '1' ? first : second;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Splits at blanks outside double quotes; the quotes are removed.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::string cur;
  bool inQuote = false, have = false;
  for (char c : text) {
    if (c == '"') {
      inQuote = !inQuote;
      have = true;
    } else if (!inQuote && static_cast<unsigned char>(c) <= 32) {
      if (have) args.push_back(std::move(cur));
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) args.push_back(std::move(cur));
  return args;
}

}  // namespace

TShellCommand SplitShellTemplate(std::string_view templ, std::string_view first,
                                 std::string_view second) {
  TShellCommand cmd;
  std::string_view t = Trim(templ);
  std::string_view params;
  if (!t.empty() && t.front() == '"') {
    size_t close = t.find('"', 1);
    if (close == std::string_view::npos) {
      cmd.Program = std::string(t.substr(1));
    } else {
      cmd.Program = std::string(t.substr(1, close - 1));
      params = Trim(t.substr(close + 1));
    }
  } else {
    size_t space = t.find(' ');
    if (space == std::string_view::npos) {
      cmd.Program = std::string(t);
    } else {
      cmd.Program = std::string(t.substr(0, space));
      params = Trim(t.substr(space + 1));
    }
  }
  std::string p(params);
  if (p.find("%1") == std::string::npos && p.find("%2") == std::string::npos)
    p += p.empty() ? "\"%1\"" : " \"%1\"";
  cmd.Parameters = Substitute(p, first, second);
  for (const std::string& arg : SplitArguments(p))
    cmd.Arguments.push_back(Substitute(arg, first, second));
  return cmd;
}

std::string FindOnSearchPath(const std::string& program,
                             const std::function<bool(const std::string&)>& isExecutable,
                             const char* searchPath) {
  auto runnable = [&](const std::string& path) {
    if (isExecutable) return isExecutable(path);
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return runnable(program) ? program : std::string();
  const char* pathVar = searchPath ? searchPath : std::getenv("PATH");
  std::string_view dirs = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    std::string candidate = dir.empty() ? "./" + program : std::string(dir) + "/" + program;
    if (runnable(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return {};
}

bool PrepareAlternativeShell(std::string_view templ, std::string_view first,
                             std::string_view second, TShellCommand& cmd, std::string& error,
                             const std::function<bool(const std::string&)>& isExecutable,
                             const char* searchPath) {
  cmd = SplitShellTemplate(templ, first, second);
  std::string found = FindOnSearchPath(cmd.Program, isExecutable, searchPath);
  if (found.empty()) {
    error = LangFormat(10174, cmd.Program);
    return false;
  }
  cmd.Program = found;
  error.clear();
  return true;
}

// ---- counting
// --------------------------------------------------------------------------------------

int64_t Counting(const TNodeRec* container, int64_t start) {
  // Counting(c, a) = a * (containers in c's subtree, c included) + files in it.
  if (!container) return 0;
  int64_t containers = 1, files = 0;
  std::vector<std::pair<const TNodeRec*, int>> stack{{container, 1}};
  while (!stack.empty()) {
    auto& top = stack.back();
    if (top.second >= top.first->SlotCount) {
      stack.pop_back();
      continue;
    }
    const TNodeRec* item = NodeChild(top.first, top.second++);
    if (!item) continue;
    if (IsContainer(item)) {
      ++containers;
      stack.push_back({item, 1});
    } else {
      ++files;
    }
  }
  return start * containers + files;
}

// ---- column layouts
// ----------------------------------------------------------------------------------

void SaveColumnLayout(TQDBase& bd, const TColumnLayout& layout) {
  bd.PushPos();
  try {
    bd.NewChild(0);
    bd.EnterChild(0);
    for (size_t c = 0; c < layout.Width.size(); ++c) {
      int slot = static_cast<int>(2 * c);
      bd.SetInt(slot, layout.Width[c]);
      bd.SetInt(slot + 1, c < layout.Position.size() ? layout.Position[c] : static_cast<int>(c));
    }
    bd.Up();
    bd.SetInt(1, layout.SortColumn);
    bd.SetInt(2, layout.SortDirection);
  } catch (...) {
    bd.PopPos();
    throw;
  }
  bd.PopPos();
}

bool LoadColumnLayout(TQDBase& bd, TColumnLayout& layout) {
  const int n = static_cast<int>(layout.Width.size());
  // The display order, by build index: each column starts at its build index.
  std::vector<int> order(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) order[static_cast<size_t>(c)] = c;
  layout.Position = order;
  const TNodeRec* record = bd.CurrentNode();
  const TNodeRec* table = NodeChild(record, 0);
  if (!table) return false;
  for (int p = 0; p < n; ++p) {
    int found = -1;
    for (int c = 0; c < n && found < 0; ++c) {
      if (NodeSlotType(table, 2 * c + 1) == stInteger && NodeGetInt(table, 2 * c + 1) == p)
        found = c;
    }
    if (found < 0 || NodeSlotType(table, 2 * found) != stInteger) break;
    int width = NodeGetInt(table, 2 * found);
    if (width < 0) break;
    // Move column `found` to display position p; the columns between shift by one.
    auto it = std::find(order.begin(), order.end(), found);
    order.erase(it);
    order.insert(order.begin() + p, found);
    layout.Width[static_cast<size_t>(found)] = width;
  }
  for (int p = 0; p < n; ++p)
    layout.Position[static_cast<size_t>(order[static_cast<size_t>(p)])] = p;
  int sort = FieldInt(record, 1);
  if (sort >= 0 && sort < n) layout.SortColumn = sort;
  layout.SortDirection = FieldInt(record, 2) != 0 ? 1 : 0;
  return true;
}

// ---- item path
// ------------------------------------------------------------------------------------

std::string ItemMediumPath(TQDBase& bd, int slot) {
  return MediumPath(NodeChild(bd.CurrentNode(), slot));
}
