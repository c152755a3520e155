// SPDX-License-Identifier: MIT
#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdint>

namespace {

std::string TwoDigits(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

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
