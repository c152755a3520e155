// SPDX-License-Identifier: MIT
#include "app/SizeTexts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "app/LanguageTestUtil.h"

namespace {

// A small English table for the unit texts.
class WithTexts : public ::testing::Test {
  TEnglishTexts texts_{"10151=bytes\r\n10152=KB\r\n10153=MB\r\n10154=GB\r\n"};
};

}  // namespace

TEST(SizeTexts, SizeAsBytesGroupsDigits) {
  EXPECT_EQ(FormatSizeBytes(0), "0");
  EXPECT_EQ(FormatSizeBytes(123), "123");
  EXPECT_EQ(FormatSizeBytes(1000), "1 000");
  EXPECT_EQ(FormatSizeBytes(1234567), "1 234 567");
  EXPECT_EQ(FormatSizeBytes(-1234), "-1 234");
  EXPECT_EQ(FormatSizeBytes(-123), "-123");
  EXPECT_EQ(FormatSizeBytes(std::numeric_limits<int64_t>::min()), "-9 223 372 036 854 775 808");
}

TEST_F(WithTexts, SizeWithUnitsIsCutNotRounded) {
  EXPECT_EQ(FormatSizeUnits(1023), "1023 bytes");
  EXPECT_EQ(FormatSizeUnits(1024), "1.00 KB");
  EXPECT_EQ(FormatSizeUnits(1048575), "1023 KB");
  EXPECT_EQ(FormatSizeUnits(1536), "1.50 KB");
  EXPECT_EQ(FormatSizeUnits(15360), "15.0 KB");
  EXPECT_EQ(FormatSizeUnits(153600), "150 KB");
  EXPECT_EQ(FormatSizeUnits(10239), "9.99 KB");  // 9.999 cut, not 10.0
  EXPECT_EQ(FormatSizeUnits(102399), "99.9 KB");
  EXPECT_EQ(FormatSizeUnits(1048576), "1.00 MB");
  EXPECT_EQ(FormatSizeUnits(int64_t(5) << 30), "5.00 GB");
  EXPECT_EQ(FormatSizeUnits(int64_t(4096) << 30), "4096 GB");
  EXPECT_EQ(FormatSizeUnits(std::numeric_limits<int64_t>::max()), "8589934591 GB");
  EXPECT_EQ(FormatSizeUnits(-5), "-5 bytes");
  EXPECT_EQ(FormatSizeUnits(-5000000), "-5000000 bytes");
  EXPECT_EQ(FormatSizeUnits(1536, ","), "1,50 KB");
}
