// SPDX-License-Identifier: MIT
#include "search/ListCommands.h"

#include <gtest/gtest.h>

#include "search/SearchTestUtil.h"

namespace {

struct ListCommandsTest : ::testing::Test {
  TCatalogBuilder b;
  TNodeRec *cat, *disk, *folder, *inFolder, *zip, *inZip, *plain;
  TSetRows view;
  void SetUp() override {
    cat = b.Catalog("C");
    disk = b.Disk(cat, "D");
    folder = b.Folder(disk, "Docs");
    zip = b.Folder(disk, "a.zip", ifArchive);
    inFolder = b.File(folder, "in.txt");
    inZip = b.File(zip, "z.txt", 0, MakeItemFlags(0, ikFile, ifInArchive));
    plain = b.File(disk, "plain.txt");
    for (TNodeRec* n : {disk, folder, inFolder, zip, inZip, plain}) b.Mark(mlFound, n);
    view.Count = 6;
  }
};

TEST_F(ListCommandsTest, CollectSelectedHonoursOffsetAndMinimumKind) {
  view.Selected = {0, 1, 5};
  EXPECT_EQ(CollectSelected(b.bd, view, mlFound, 0, 0), (std::vector<int>{0, 1, 5}));
  EXPECT_EQ(CollectSelected(b.bd, view, mlFound, 0, ikFolder), (std::vector<int>{1, 5}));
  // With an up row at row 0, row r shows entry r - 1; row 0 itself is never collected.
  view.Count = 7;
  view.Selected = {0, 1, 6, 9};
  EXPECT_EQ(CollectSelected(b.bd, view, mlFound, 1, 0), (std::vector<int>{0, 5}));
}

TEST_F(ListCommandsTest, FileOpsState) {
  view.Selected = {0};  // a disk: below the minimum kind
  TFileOpsState st = FileOpsState(b.bd, view, mlFound, 0);
  EXPECT_FALSE(st.Extract);
  EXPECT_FALSE(st.CopyMoveDelete);
  view.Selected = {4};
  st = FileOpsState(b.bd, view, mlFound, 0);
  EXPECT_TRUE(st.Extract);
  EXPECT_FALSE(st.CopyMoveDelete);
  view.Selected = {3};  // the archive itself: both
  st = FileOpsState(b.bd, view, mlFound, 0);
  EXPECT_TRUE(st.Extract);
  EXPECT_TRUE(st.CopyMoveDelete);
}

TEST_F(ListCommandsTest, RemovingAFolderAndAFileInsideIt) {
  b.Mark(mlUserList, inFolder);
  view.Selected = {2, 1};  // the file is collected first, the folder is shallower
  std::vector<TNodeRec*> deleted;
  TRemoveHooks hooks;
  hooks.BeforeDelete = [&](TNodeRec* n) { deleted.push_back(n); };
  int after = 0;
  hooks.AfterRemove = [&] { ++after; };
  b.bd.GoToNode(inFolder);  // the cursor lies inside what goes
  EXPECT_EQ(RemoveFromCatalog(b.bd, view, mlFound, 0, hooks, 123.0), 1);
  EXPECT_EQ(deleted, (std::vector<TNodeRec*>{folder}));
  EXPECT_EQ(after, 1);
  EXPECT_EQ(b.bd.CurrentNode(), disk);
  EXPECT_EQ(b.bd.MarkCount(mlFound), 4);
  EXPECT_EQ(b.bd.MarkCount(mlUserList), 0);
  EXPECT_FALSE(b.bd.DeferMarkPack);
  EXPECT_EQ(NodeGetInt(NodeChild(cat, 0), kCatModified), 1);
  EXPECT_EQ(NodeGetFloat(NodeChild(cat, 0), kFieldChanged), 123.0);
  EXPECT_EQ(ItemName(NodeChild(disk, 1)), "a.zip");
}

TEST_F(ListCommandsTest, RemoveNeedsYesAndNeverRemovesCatalogs) {
  view.Selected = {5};
  TRemoveHooks no;
  no.Confirm = [] { return false; };
  EXPECT_EQ(RemoveFromCatalog(b.bd, view, mlFound, 0, no, 1.0), 0);
  EXPECT_EQ(b.bd.MarkCount(mlFound), 6);
  b.Mark(mlSelection, cat);
  TSetRows one;
  one.Count = 1;
  one.Selected = {0};
  EXPECT_EQ(RemoveFromCatalog(b.bd, one, mlSelection, 0, {}, 1.0), 0);
  EXPECT_EQ(b.bd.RootNode()->SlotCount, 2);
}

}  // namespace
