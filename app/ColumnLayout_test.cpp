// SPDX-License-Identifier: MIT
#include "app/ColumnLayout.h"

#include <gtest/gtest.h>

#include "store/QDBase.h"

TEST(ColumnLayout, ColumnLayoutRoundTripAndDamagedRecords) {
  TQDBase bd;
  bd.NewChild(4);
  bd.EnterChild(4);  // the record node
  TColumnLayout saved;
  saved.Width = {100, 50, 70, 30};
  saved.Position = {2, 0, 3, 1};
  saved.SortColumn = 2;
  saved.SortDirection = 1;
  SaveColumnLayout(bd, saved);
  SaveColumnLayout(bd, saved);  // replacing the table, not appending to it
  EXPECT_EQ(bd.ChildSlotCount(0), 8);
  TColumnLayout loaded;
  loaded.Width = {1, 1, 1, 1};
  ASSERT_TRUE(LoadColumnLayout(bd, loaded));
  EXPECT_EQ(loaded.Width, saved.Width);
  EXPECT_EQ(loaded.Position, saved.Position);
  EXPECT_EQ(loaded.SortColumn, 2);
  EXPECT_EQ(loaded.SortDirection, 1);
  // A list with more columns than the record: the restoring ends at the first missing position,
  // the new column stays at the end with its default width.
  TColumnLayout wider;
  wider.Width = {1, 1, 1, 1, 9};
  ASSERT_TRUE(LoadColumnLayout(bd, wider));
  EXPECT_EQ(wider.Position, (std::vector<int>{2, 0, 3, 1, 4}));
  EXPECT_EQ(wider.Width[4], 9);
  // A damaged entry stops the restoring; a wild sort column is ignored.
  bd.EnterChild(0);
  bd.SetStr(2 * 3 + 1, "x");  // the position of column 3 is no integer
  bd.Up();
  bd.SetInt(1, 77);
  TColumnLayout partial;
  partial.Width = {1, 1, 1, 1};
  ASSERT_TRUE(LoadColumnLayout(bd, partial));
  EXPECT_EQ(partial.Position, (std::vector<int>{1, 0, 2, 3}));  // only p=0 restored
  EXPECT_EQ(partial.Width, (std::vector<int>{1, 50, 1, 1}));
  EXPECT_EQ(partial.SortColumn, 0);
  // No table: the defaults stay.
  bd.SetInt(0, 5);
  TColumnLayout none;
  none.Width = {3, 4};
  none.SortColumn = 1;
  EXPECT_FALSE(LoadColumnLayout(bd, none));
  EXPECT_EQ(none.Position, (std::vector<int>{0, 1}));
  EXPECT_EQ(none.SortColumn, 1);
}
