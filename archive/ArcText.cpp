// SPDX-License-Identifier: MIT
#include "archive/ArcText.h"

#include <cmath>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

constexpr int64_t kDelphiEpochOffset = 25569;  // days from 30.12.1899 to 01.01.1970

// Code page 437, bytes 0x80..0xFF.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

}  // namespace

double ArcFieldsToDateTime(int year, int month, int day, int hour, int minute, int second) {
  int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                 kDelphiEpochOffset;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

double ArcDosTimeToDateTime(uint32_t dos) {
  unsigned date = dos >> 16, time = dos & 0xFFFF;
  int year = 1980 + static_cast<int>(date >> 9);
  int month = (date >> 5) & 15, day = date & 31;
  int hour = time >> 11, minute = (time >> 5) & 63, second = (time & 31) * 2;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0.0;
  static constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kMonthDays[month - 1]) return 0.0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return 0.0;
  return ArcFieldsToDateTime(year, month, day, hour, minute, second);
}

uint32_t ArcDateTimeToDosTime(double dt) {
  if (!std::isfinite(dt) || dt < 29221.0 || dt >= 80000.0) return 0;  // 1980-01-01 .. ~2119
  // Round to the second first so that 23:59:59.9999 does not become 24:00.
  int64_t secs = std::llround(dt * 86400.0);
  int64_t days = secs / 86400 - kDelphiEpochOffset;
  int64_t sod = secs % 86400;
  // Civil date from days since 1970 (inverse of DaysFromCivil).
  int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
  if (y < 1980 || y > 2107) return 0;
  uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (m << 5) | d);
  uint32_t time =
      static_cast<uint32_t>(((sod / 3600) << 11) | (((sod / 60) % 60) << 5) | ((sod % 60) / 2));
  return (date << 16) | time;
}

double ArcUnixTimeToDateTime(int64_t t) {
  time_t tt = static_cast<time_t>(t);
  struct tm tmv;
  if (localtime_r(&tt, &tmv) == nullptr) return 0.0;
  return ArcFieldsToDateTime(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour,
                             tmv.tm_min, tmv.tm_sec);
}

std::string ArcNameToUtf8(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  bool valid = IsValidUtf8(raw);
  for (char ch : raw) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == 0) continue;
    if (c < 0x80 || valid)
      out += ch;
    else
      AppendUtf8(out, static_cast<char32_t>(kCp437High[c - 0x80]));
  }
  return out;
}

std::string ArcStoredPath(std::string_view raw) {
  std::string s(raw);
  for (char& c : s)
    if (c == '/' || static_cast<unsigned char>(c) == 0xFF) c = '\\';
  return ArcNameToUtf8(s);
}
