// SPDX-License-Identifier: MIT
#include "mainwin/CatalogEdit.h"

#include <gtest/gtest.h>

#include "mainwin/EditTestUtil.h"

namespace {

class CatalogEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEditTexts();
    InitCatalogStore(bd);
    cat = AddCatalog(bd, "Cat");
  }
  void TearDown() override { LangTable(TLangKind::English).Clear(); }

  TQDBase bd;
  TRecordingHost host;
  TCatalogEditor ed{bd, host};
  TNodeRec* cat = nullptr;
};

TEST_F(CatalogEditTest, RenameNumbersClashesKeepsCaseOnlyAndEmpty) {
  TNodeRec* a = AddItem(bd, cat, "Disk", ikDisk);
  TNodeRec* b = AddItem(bd, cat, "Other", ikDisk);
  AddItem(bd, cat, "Disk (2)", ikDisk);
  EXPECT_EQ(ed.RenameItem(b, "disk"), "disk (3)");
  EXPECT_EQ(host.Log.back(), "update Cat 1");
  EXPECT_TRUE(CatalogModified(cat));
  // A change of letter case alone is stored as typed, even though "disk (3)" is not free.
  EXPECT_EQ(ed.RenameItem(b, "DISK (3)"), "DISK (3)");
  // Empty keeps the old name and changes nothing.
  host.Log.clear();
  EXPECT_EQ(ed.RenameItem(a, ""), "Disk");
  EXPECT_TRUE(host.Log.empty());
  // The catalog manager's rule numbers even a case-only change (the item itself counts).
  EXPECT_EQ(ed.RenameItem(a, "DISK", TRenameRule::CatalogManager), "DISK (4)");
}

TEST_F(CatalogEditTest, CatalogRenameAllowsRepeatsAndFoldersKeepNames) {
  TNodeRec* other = AddCatalog(bd, "Other");
  EXPECT_EQ(ed.RenameItem(other, "Cat"), "Cat");
  EXPECT_EQ(host.Log.back(), "update root 1");
  TNodeRec* disk = AddItem(bd, cat, "D", ikDisk);
  TNodeRec* folder = AddItem(bd, disk, "F", ikFolder);
  EXPECT_EQ(ed.RenameItem(folder, "G"), "F");
  EXPECT_EQ(ItemName(folder), "F");
}

TEST_F(CatalogEditTest, NewGroupsAppendNumberedOrAboveADisk) {
  TNodeRec* d1 = AddItem(bd, cat, "D1", ikDisk);
  AddItem(bd, cat, "D2", ikDisk);
  ed.AddGroup(cat);
  TNodeRec* g2 = ed.AddGroup(cat);
  EXPECT_EQ(RowNames(cat), "D1,D2,New group,New group (2)");
  EXPECT_EQ(ItemKind(ItemFlagsOf(g2)), ikGroup);
  TNodeRec* g3 = ed.AddGroup(d1);
  EXPECT_EQ(RowNames(cat), "New group (3),D1,D2,New group,New group (2)");
  EXPECT_EQ(g3->Parent, cat);
  EXPECT_EQ((std::vector<std::string>{"insert Cat 2", "insert Cat 3", "insert Cat 0"}), host.Log);
  EXPECT_EQ(host.Pending, 0);
  TNodeRec* folder = AddItem(bd, d1, "F", ikFolder);
  EXPECT_EQ(ed.AddGroup(folder), nullptr);
}

TEST_F(CatalogEditTest, DeleteAsksRecomputesTotalsAndKeepsCursorValid) {
  TNodeRec* g = AddItem(bd, cat, "G", ikGroup);
  TNodeRec* d1 = AddItem(bd, g, "D1", ikDisk);
  TNodeRec* d2 = AddItem(bd, g, "D2", ikDisk);
  AddLeaf(bd, d1, "a", 100);
  AddLeaf(bd, d2, "b", 30);
  SetHeaderInt64(bd, d1, kHdrCapacity, 1000);
  SetHeaderInt64(bd, d2, kHdrCapacity, 500);
  bd.GoToNode(cat);
  RecomputeTotals(bd);
  EXPECT_EQ(ItemSizeOf(cat), 130);

  host.Answers = {false};
  EXPECT_FALSE(ed.DeleteDisk(d1));
  EXPECT_EQ(host.Asked.back(), 10128);
  EXPECT_EQ(host.AskedArgs.back(), "D1");
  EXPECT_EQ(RowNames(g), "D1,D2");

  bd.GoToNode(NodeChild(d1, 1));  // the cursor stands inside what goes
  host.Answers = {true};
  EXPECT_TRUE(ed.DeleteDisk(d1));
  EXPECT_EQ(bd.CurrentNode(), g);
  EXPECT_EQ(RowNames(g), "D2");
  EXPECT_EQ(ItemSizeOf(cat), 30);
  EXPECT_EQ(FieldInt64(NodeChild(g, 0), kHdrCapacity), 500);
  EXPECT_EQ(host.Removing.size(), 1u);
  EXPECT_EQ(host.Log.back(), "remove G 0");
  EXPECT_TRUE(CatalogModified(cat));

  // A folder goes through remove-from-catalog (text 10130); a catalog is never deleted here.
  TNodeRec* f = AddItem(bd, d2, "F", ikFolder);
  host.Answers = {true};
  EXPECT_TRUE(ed.DeleteDisk(f));
  EXPECT_EQ(host.Asked.back(), 10130);
  EXPECT_FALSE(ed.DeleteDisk(cat));
  EXPECT_EQ(TreeRowCount(bd.RootNode()), 1);
}

TEST_F(CatalogEditTest, RemoveItemsSkipsWhatLiesInsideAnEarlierOne) {
  TNodeRec* d = AddItem(bd, cat, "D", ikDisk);
  TNodeRec* f = AddItem(bd, d, "F", ikFolder, 10);
  TNodeRec* inner = AddLeaf(bd, f, "inner", 10);
  TNodeRec* other = AddLeaf(bd, d, "other", 5);
  host.Answers = {true};
  EXPECT_EQ(ed.RemoveItems({inner, f, other, f, cat}), 2);
  EXPECT_EQ(d->SlotCount, 1);
  EXPECT_EQ(host.Removing.size(), 2u);
  // Only the folder was a tree row.
  EXPECT_EQ(host.Log, (std::vector<std::string>{"remove D 0"}));
  EXPECT_TRUE(CatalogModified(cat));
}

TEST_F(CatalogEditTest, SortIsRecursiveThroughGroupsButNotIntoDisks) {
  TNodeRec* g = AddItem(bd, cat, "b group", ikGroup);
  AddItem(bd, cat, "A disk", ikDisk);
  AddItem(bd, g, "z", ikDisk);
  AddItem(bd, g, "Y", ikDisk);
  TNodeRec* d = AddItem(bd, g, "x", ikDisk);
  AddItem(bd, d, "b", ikFolder);
  AddItem(bd, d, "a", ikFolder);
  EXPECT_TRUE(ed.SortDisks(cat));
  EXPECT_EQ(RowNames(cat), "A disk,b group");
  EXPECT_EQ(RowNames(g), "x,Y,z");
  EXPECT_EQ(RowNames(d), "b,a");
  EXPECT_EQ(host.Log.back(), "rebuild Cat");
  EXPECT_FALSE(ed.SortDisks(d));
}

class CatalogDropTest : public CatalogEditTest {};

TEST_F(CatalogDropTest, CatalogsReorderFromAboveAndBelow) {
  AddCatalog(bd, "2");
  TNodeRec* c3 = AddCatalog(bd, "3");
  AddCatalog(bd, "4");
  ed.RenameItem(cat, "1");
  TNodeRec* root = bd.RootNode();
  ed.Drop(cat, c3);
  EXPECT_EQ(RowNames(root), "2,3,1,4");
  EXPECT_EQ(host.Log.back(), "move root 0->2");
  EXPECT_EQ(TTreeChange({TTreeChange::TKind::Move, root, 0, 1, 2}).QtDestChild(), 3);
  ed.Drop(TreeRowNode(root, 3), TreeRowNode(root, 0));
  EXPECT_EQ(RowNames(root), "4,2,3,1");
}

TEST_F(CatalogDropTest, RefusedDrops) {
  TNodeRec* other = AddCatalog(bd, "Other");
  TNodeRec* g = AddItem(bd, cat, "G", ikGroup);
  TNodeRec* sub = AddItem(bd, g, "Sub", ikGroup);
  TNodeRec* d = AddItem(bd, g, "D", ikDisk);
  TNodeRec* f = AddItem(bd, d, "F", ikFolder);
  TNodeRec* foreign = AddItem(bd, other, "X", ikDisk);
  EXPECT_FALSE(ed.CanDrop(d, d));
  EXPECT_FALSE(ed.CanDrop(g, sub));      // into itself
  EXPECT_FALSE(ed.CanDrop(d, foreign));  // across catalogs
  EXPECT_FALSE(ed.CanDrop(d, other));
  EXPECT_FALSE(ed.CanDrop(f, g));  // folders are not dragged
  EXPECT_FALSE(ed.CanDrop(d, f));  // nor targets
  EXPECT_FALSE(ed.CanDrop(cat, sub));
  EXPECT_EQ(ed.Drop(g, sub), nullptr);
  EXPECT_TRUE(ed.CanDrop(d, g));  // onto its own group: moves to its end
  EXPECT_TRUE(ed.CanDrop(sub, cat));
}

TEST_F(CatalogDropTest, DiskMovesNextToADiskAndTotalsFollow) {
  TNodeRec* g = AddItem(bd, cat, "G", ikGroup);
  TNodeRec* a = AddItem(bd, g, "A", ikDisk);
  AddItem(bd, g, "B", ikDisk);
  TNodeRec* c = AddItem(bd, g, "C", ikDisk);
  TNodeRec* e = AddItem(bd, cat, "E", ikDisk);
  AddLeaf(bd, a, "file", 70);
  SetHeaderInt64(bd, a, kHdrCapacity, 700);
  bd.GoToNode(cat);
  RecomputeTotals(bd);
  EXPECT_EQ(ItemSizeOf(g), 70);

  // Same parent, from above: lands after the target.
  TNodeRec* moved = ed.Drop(a, c);
  EXPECT_EQ(RowNames(g), "B,C,A");
  EXPECT_EQ(ItemSizeOf(moved), 70);
  EXPECT_EQ(host.Log, (std::vector<std::string>{"insert G 3", "remove G 0"}));
  EXPECT_EQ(host.Pending, 0);
  // From below: lands before the target.
  moved = ed.Drop(moved, TreeRowNode(g, 0));
  EXPECT_EQ(RowNames(g), "A,B,C");
  // Into another parent, next to a disk there: before it; the group's totals drop.
  moved = ed.Drop(moved, e);
  EXPECT_EQ(RowNames(cat), "G,A,E");
  EXPECT_EQ(ItemSizeOf(g), 0);
  EXPECT_EQ(FieldInt64(NodeChild(g, 0), kHdrCapacity), 0);
  EXPECT_EQ(ItemSizeOf(cat), 70);
  EXPECT_EQ(moved->SlotCount, 2);
  // Onto a group: appended as its last item.
  ed.Drop(moved, g);
  EXPECT_EQ(RowNames(g), "B,C,A");
  EXPECT_EQ(ItemSizeOf(g), 70);
  EXPECT_TRUE(CatalogModified(cat));
}

TEST_F(CatalogDropTest, AMoveKeepsTheListsThatNameTheItemAndACopyJoinsNone) {
  TNodeRec* g = AddItem(bd, cat, "G", ikGroup);
  TNodeRec* a = AddItem(bd, cat, "A", ikDisk);
  TNodeRec* folder = AddItem(bd, a, "F", ikFolder);
  TNodeRec* file = AddLeaf(bd, folder, "f.txt", 5);
  TNodeRec* other = AddLeaf(bd, folder, "g.txt", 5);
  // The user list holds the disk and a file inside it, around an item elsewhere.
  auto mark = [this](int list, TNodeRec* n, bool member) {
    bd.GoToNode(n);
    bd.AddMark(list);
    if (member) n->NodeFlags |= 1;
  };
  mark(mlUserList, file, true);
  mark(mlUserList, g, true);
  mark(mlUserList, a, true);
  mark(mlFound, other, false);

  TNodeRec* moved = ed.Drop(a, g);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(RowNames(g), "A");
  TNodeRec* movedFile = NodeChild(NodeChild(moved, 1), 1);
  TNodeRec* movedOther = NodeChild(NodeChild(moved, 1), 2);
  EXPECT_EQ(ItemName(movedFile), "f.txt");
  EXPECT_EQ(bd.MarkList(mlUserList), (std::vector<TNodeRec*>{movedFile, g, moved}));
  EXPECT_EQ(bd.MarkList(mlFound), (std::vector<TNodeRec*>{movedOther}));
  EXPECT_EQ(moved->NodeFlags & 1, 1);
  EXPECT_EQ(movedFile->NodeFlags & 1, 1);
  EXPECT_EQ(movedOther->NodeFlags & 1, 0);
  EXPECT_EQ(moved->MarkRefs, 1u);

  // A copy next to its original is numbered, and neither it nor anything inside joins a list.
  TNodeRec* copy = ed.Drop(moved, cat, true);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(RowNames(cat), "G,A");
  EXPECT_EQ(RowNames(g), "A");
  TNodeRec* second = ed.Drop(moved, g, true);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(RowNames(g), "A,A (2)");
  EXPECT_EQ(second->NodeFlags, 0);
  EXPECT_EQ(NodeChild(NodeChild(second, 1), 1)->NodeFlags, 0);
  EXPECT_EQ(bd.MarkList(mlUserList), (std::vector<TNodeRec*>{movedFile, g, moved}));
  EXPECT_EQ(ItemSizeOf(g), 20);
  // Catalogs reorder but are never copied.
  TNodeRec* c2 = AddCatalog(bd, "C2");
  EXPECT_EQ(ed.Drop(c2, cat, true), nullptr);
}

TEST(TreeRows, MappingImagesAndLookup) {
  LoadEditTexts();
  TQDBase bd;
  InitCatalogStore(bd);
  TNodeRec* cat = AddCatalog(bd, "Cat");
  TNodeRec* d = AddItem(bd, cat, "Disk", ikDisk);
  SetHeaderInt(bd, d, kDiskDriveType, 5);
  TNodeRec* arc = AddItem(bd, d, "a.zip", MakeItemFlags(0, ikFolder, ifArchive));
  AddItem(bd, arc, "in", MakeItemFlags(0, ikFolder, ifInArchive));
  AddLeaf(bd, d, "file", 1);
  EXPECT_EQ(TreeRowCount(d), 1);  // the file is no row
  EXPECT_EQ(TreeRowNode(d, 1), nullptr);
  EXPECT_EQ(TreeRowOf(arc), 0);
  EXPECT_EQ(TreeImageIndex(d), 25);
  EXPECT_EQ(TreeImageIndex(arc), 8);
  EXPECT_EQ(TreeImageIndex(arc, true), 9);
  EXPECT_EQ(TreeImageIndex(TreeRowNode(arc, 0), true), 11);
  EXPECT_EQ(FindSiblingByText("DISK", cat), 0);
  EXPECT_EQ(FindSiblingByText("cat", bd.RootNode()), 0);
  EXPECT_EQ(FindSiblingByText("none", cat), -1);
  LangTable(TLangKind::English).Clear();
}

}  // namespace
