// SPDX-License-Identifier: MIT
#include "platform/TimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// An unset TZ is pinned to the zone file; a TZ the user chose stays.
TEST(TimeZone, PinsAnUnsetZoneAndKeepsAChosenOne) {
  const char* before = std::getenv("TZ");
  const std::string saved = before ? before : "";
  ::unsetenv("TZ");
  PinLocalTimeZone();
  ASSERT_NE(std::getenv("TZ"), nullptr);
  EXPECT_EQ(std::string(std::getenv("TZ")), ":/etc/localtime");
  ::setenv("TZ", "UTC0", 1);
  PinLocalTimeZone();
  EXPECT_EQ(std::string(std::getenv("TZ")), "UTC0");
  if (before)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}
