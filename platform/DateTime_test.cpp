// SPDX-License-Identifier: MIT
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Runs with TZ set to `tz`, restoring the previous value.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

}  // namespace

TEST(DateTime, DatesFormatAndConvert) {
  EXPECT_EQ(FormatDate(0), "30.12.1899");
  EXPECT_EQ(FormatDate(2), "01.01.1900");
  EXPECT_EQ(FormatDateTime(36526.75), "01.01.2000, 18:00");
  EXPECT_EQ(FormatDateTime(45000.5 + 1.0 / 1440 * 59.99), "15.03.2023, 12:59");
  EXPECT_EQ(FormatDate(std::nan("")), "");
  EXPECT_EQ(FormatDate(1e300), "");
  // Before 1899 the fraction is the time of day whatever the sign.
  EXPECT_EQ(FormatDateTime(-1.25), "29.12.1899, 06:00");
  TDateParts p{2024, 2, 29, 23, 59, 58, 0};
  EXPECT_EQ(FormatDateTime(EncodeDateTime(p)), "29.02.2024, 23:59");
  TDateParts back;
  ASSERT_TRUE(DecodeDateTime(EncodeDateTime(p), back));
  EXPECT_EQ(back.Second, 58);
  EXPECT_EQ(back.Day, 29);
}

TEST(DateTime, PosixTimesBecomeLocalDateTimes) {
  {
    TimeZone utc("UTC0");
    EXPECT_DOUBLE_EQ(TimeToDateTime(0), 25569.0);
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1700000000)), "14.11.2023, 22:13");
    timespec ts{1700000000, 500000000};
    EXPECT_NEAR(TimespecToDateTime(ts) - TimeToDateTime(1700000000), 0.5 / 86400, 1e-9);
  }
  {
    TimeZone cet("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1700000000)), "14.11.2023, 23:13");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1690000000)), "22.07.2023, 06:26");  // summer time
  }
  double now = NowDateTime();
  EXPECT_GT(now, 45000.0);
}
