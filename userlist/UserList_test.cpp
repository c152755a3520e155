// SPDX-License-Identifier: MIT
#include "userlist/UserList.h"

#include <gtest/gtest.h>

#include "search/SearchTestUtil.h"

namespace {

struct UserListTest : ::testing::Test {
  TCatalogBuilder b;
  TNodeRec *cat, *disk, *file, *file2;
  TSetRows view;
  void SetUp() override {
    cat = b.Catalog("C");
    disk = b.Disk(cat, "D");
    file = b.File(disk, "a.txt");
    file2 = b.File(disk, "b.txt");
    for (TNodeRec* n : {cat, disk, file, file2}) b.Mark(mlFound, n);
    view.Count = 4;
  }
  // Flag and list in step: every entry flagged, every flagged node listed once.
  void ExpectInStep(std::vector<TNodeRec*> members) {
    EXPECT_EQ(b.bd.MarkList(mlUserList), members);
    for (TNodeRec* n : {cat, disk, file, file2}) {
      bool listed = std::find(members.begin(), members.end(), n) != members.end();
      EXPECT_EQ(IsUserListMember(n), listed) << ItemName(n);
    }
  }
};

TEST_F(UserListTest, AddingTwiceKeepsOneAndCatalogsNeverJoin) {
  view.Selected = {0, 2};
  int reloads = 0;
  EXPECT_EQ(AddToUserList(b.bd, &view, mlFound, 0, [&] { ++reloads; }), 1);
  EXPECT_EQ(AddToUserList(b.bd, &view, mlFound, 0, [&] { ++reloads; }), 0);
  EXPECT_EQ(reloads, 2);
  ExpectInStep({file});
  // Without a view every entry of the list is offered.
  EXPECT_EQ(AddToUserList(b.bd, nullptr, mlFound, 0), 2);
  ExpectInStep({file, disk, file2});
}

TEST_F(UserListTest, StateRemoveAndReAdd) {
  view.Selected = {2, 3};
  AddToUserList(b.bd, nullptr, mlFound, 0);
  TUserListState st = UserListState(b.bd, view, mlFound, 0);
  EXPECT_FALSE(st.CanAdd);
  EXPECT_TRUE(st.CanRemove);
  TSetRows one;
  one.Count = 4;
  one.Selected = {2};
  EXPECT_EQ(RemoveFromUserList(b.bd, &one, mlFound, 0), 1);
  ExpectInStep({disk, file2});
  st = UserListState(b.bd, view, mlFound, 0);
  EXPECT_TRUE(st.CanAdd);
  EXPECT_TRUE(st.CanRemove);
  EXPECT_EQ(AddToUserList(b.bd, &one, mlFound, 0), 1);
  ExpectInStep({disk, file2, file});
}

TEST_F(UserListTest, RemoveSelectedClearAndRelease) {
  AddToUserList(b.bd, nullptr, mlFound, 0);  // disk, a.txt, b.txt
  TSetRows rows;
  rows.Count = 3;
  rows.Selected = {0, 2};
  EXPECT_EQ(RemoveSelectedFromUserList(b.bd, rows), 0);
  ExpectInStep({file});
  rows.Selected = {};
  EXPECT_EQ(RemoveSelectedFromUserList(b.bd, rows), -1);
  AddToUserList(b.bd, nullptr, mlFound, 0);
  ClearUserList(b.bd);
  ExpectInStep({});
  // Releasing a member's node removes its entry; the flag goes with the node.
  AddToUserList(b.bd, nullptr, mlFound, 0);
  b.bd.GoToNode(b.bd.RootNode());
  b.bd.DeleteSlot(1);  // the catalog closes
  EXPECT_EQ(b.bd.MarkCount(mlUserList), 0);
}

}  // namespace
