// SPDX-License-Identifier: MIT
#include "search/FindOptions.h"

#include <gtest/gtest.h>

#include "platform/DateTime.h"
#include "search/ListSort.h"

namespace {

TEST(FindOptions, Dates) {
  double d = 0;
  ASSERT_TRUE(ParseDayDate("05.03.2004", d));
  EXPECT_EQ(d, EncodeDateTime({2004, 3, 5, 0, 0, 0, 0}));
  EXPECT_TRUE(ParseDayDate("5.3.2004", d));
  EXPECT_TRUE(ParseDayDate("29.02.2000", d));
  EXPECT_FALSE(ParseDayDate("29.02.1900", d));
  EXPECT_FALSE(ParseDayDate("31.04.2004", d));
  EXPECT_FALSE(ParseDayDate("2004-03-05", d));
  EXPECT_FALSE(ParseDayDate("05.03.04", d));
  EXPECT_FALSE(ParseDayDate("05.03.2004x", d));
}

TEST(FindOptions, SizesIn64Bits) {
  int32_t op = -1;
  int64_t v = 0;
  ASSERT_TRUE(ParseSizeCriterion(">3000MB", op, v));
  EXPECT_EQ(op, soGreater);
  EXPECT_EQ(v, int64_t(3000) * 1048576);
  ASSERT_TRUE(ParseSizeCriterion("=1kb", op, v));
  EXPECT_EQ(op, soEqual);
  EXPECT_EQ(v, 1024);
  ASSERT_TRUE(ParseSizeCriterion("<0", op, v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(ParseSizeCriterion("3MB", op, v));
  EXPECT_FALSE(ParseSizeCriterion(">3GB", op, v));
  EXPECT_FALSE(ParseSizeCriterion(">", op, v));
  EXPECT_FALSE(ParseSizeCriterion(">-1", op, v));
  EXPECT_FALSE(ParseSizeCriterion(">9223372036854775807KB", op, v));
}

TEST(FindOptions, AttributesAndColumns) {
  TFindParams p;
  ASSERT_TRUE(ParseAttrCriterion("r+h-", p));
  EXPECT_TRUE(p.AttrOn);
  EXPECT_EQ(p.AttrReadOnly, 0x01);
  EXPECT_EQ(p.AttrHidden, 0);
  EXPECT_EQ(p.AttrSystem, -1);
  EXPECT_EQ(p.AttrDirectory, -1);
  EXPECT_EQ(p.AttrArchive, -1);
  ASSERT_TRUE(ParseAttrCriterion("D+A+", p));
  EXPECT_EQ(p.AttrDirectory, 0x10);
  EXPECT_EQ(p.AttrArchive, 0x20);
  EXPECT_EQ(p.AttrReadOnly, -1);
  TFindParams q;
  EXPECT_FALSE(ParseAttrCriterion("r+r-", q));
  EXPECT_FALSE(ParseAttrCriterion("x+", q));
  EXPECT_FALSE(ParseAttrCriterion("r", q));
  EXPECT_FALSE(q.AttrOn);
  EXPECT_EQ(ResultColumnByName("path"), rcPath);
  EXPECT_EQ(ResultColumnByName("category"), rcCategory);
  EXPECT_EQ(ResultColumnByName("Name"), -1);
}

}  // namespace
