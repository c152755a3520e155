// SPDX-License-Identifier: MIT
#include "catman/CatMan.h"

#include <gtest/gtest.h>

#include "catalog/Categories.h"
#include "catman/Destinations.h"
#include "mainwin/EditTestUtil.h"

namespace {

class CatManTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEditTexts();
    InitCatalogStore(bd);
    src = AddCatalog(bd, "Src");
    dst = AddCatalog(bd, "Dst");
  }
  void TearDown() override { LangTable(TLangKind::English).Clear(); }

  int AddName(TNodeRec* catalog, TListKind kind, const std::string& name) {
    bd.GoToNode(catalog);
    int index = ListIndexOrAppend(bd, kind, name);
    bd.GoToDepth(0);
    return index;
  }
  void SetCategory(TNodeRec* item, int category) {
    TNodeRec* field = MutableFieldNode(item);
    bd.GoToNode(field);
    bd.SetInt(kFieldFlags, WithCategory(FieldInt(field, kFieldFlags), category));
    bd.GoToDepth(0);
  }

  TQDBase bd;
  TRecordingHost host;
  TCatalogEditor ed{bd, host};
  TCatMan cm{ed};
  TNodeRec *src, *dst;
};

TEST_F(CatManTest, AcrossCatalogsCategoriesAndLocationsAreRenumberedByName) {
  AddName(src, TListKind::Categories, "Audio");
  AddName(src, TListKind::Categories, "Video");
  AddName(src, TListKind::Locations, "Box");
  AddName(dst, TListKind::Categories, "Video");
  TNodeRec* disk = AddItem(bd, src, "D", ikDisk);
  SetCategory(disk, 1);  // Audio: missing in Dst
  SetHeaderInt(bd, disk, kHdrLocation, 1);
  TNodeRec* f = AddLeaf(bd, disk, "f", 1);
  SetCategory(f, 2);  // Video: index 1 in Dst

  // No: the lists stay, the missing names are dropped from the copy.
  host.Answers = {false};
  auto r = cm.CopyItems({disk}, src, dst, false);
  ASSERT_EQ(r.Copied, 1);
  EXPECT_EQ(host.Asked.back(), 12703);
  TNodeRec* copy = r.Copies[0];
  EXPECT_EQ(ItemCategory(ItemFlagsOf(copy)), 0);
  EXPECT_EQ(FieldInt(NodeChild(copy, 0), kHdrLocation), 0);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(NodeChild(copy, 1))), 1);
  bd.GoToNode(dst);
  EXPECT_EQ(CategoryNames(bd), (std::vector<std::string>{"Video"}));

  // Yes: appended at the end, the copy refers to the new entries; the location list was empty
  // and gets its unused slot 0 first.
  host.Answers = {true};
  r = cm.CopyItems({disk}, src, dst, false);
  copy = r.Copies[0];
  EXPECT_EQ(ItemName(copy), "D (2)");
  bd.GoToNode(dst);
  EXPECT_EQ(CategoryNames(bd), (std::vector<std::string>{"Video", "Audio"}));
  EXPECT_EQ(LocationNames(bd), (std::vector<std::string>{"Box"}));
  EXPECT_EQ(ItemCategory(ItemFlagsOf(copy)), 2);
  EXPECT_EQ(FieldInt(NodeChild(copy, 0), kHdrLocation), 1);
  // The source is untouched; within one catalog nothing is renumbered or asked.
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk)), 1);
  TNodeRec* g = AddItem(bd, src, "G", ikGroup);
  size_t asked = host.Asked.size();
  r = cm.CopyItems({disk}, src, g, false);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(r.Copies[0])), 1);
  EXPECT_EQ(host.Asked.size(), asked);
}

TEST_F(CatManTest, MoveSkipsContainersOfTheTargetAndDeletesInReverse) {
  TNodeRec* g = AddItem(bd, src, "G", ikGroup);
  TNodeRec* sub = AddItem(bd, g, "Sub", ikGroup);
  TNodeRec* a = AddItem(bd, src, "A", ikDisk);
  TNodeRec* b = AddItem(bd, src, "B", ikDisk);
  AddItem(bd, sub, "A", ikDisk);
  auto r = cm.CopyItems({g, a, b}, src, sub, true);
  EXPECT_EQ(r.Skipped, 1);
  EXPECT_EQ(r.Copied, 2);
  EXPECT_EQ(RowNames(src), "G");
  EXPECT_EQ(RowNames(sub), "A,A (2),B");
  // The copies exist before the sources go, which go last to first.
  EXPECT_EQ(host.Log, (std::vector<std::string>{"insert Sub 1", "insert Sub 2", "remove Src 2",
                                                "remove Src 1"}));
  EXPECT_TRUE(CatalogModified(src));
  // Same destination on both sides, or nothing selected: nothing happens.
  EXPECT_EQ(cm.CopyItems({g}, src, src, true).Copied, 0);
  EXPECT_EQ(cm.CopyItems({}, src, dst, true).Copied, 0);
}

// A host whose tree model fails on the n-th row insertion.
class TFailingHost : public TRecordingHost {
 public:
  int FailAt = 0;
  void TreeChanging(const TTreeChange& c) override {
    if (c.Kind == TTreeChange::TKind::Insert && --FailAt == 0) throw std::runtime_error("no room");
    TRecordingHost::TreeChanging(c);
  }
};

TEST_F(CatManTest, AMoveWhoseCopyFailsLeavesTheSourceInPlace) {
  TFailingHost failing;
  failing.FailAt = 2;
  TCatalogEditor editor(bd, failing);
  TCatMan manager(editor);
  TNodeRec* a = AddItem(bd, src, "A", ikDisk);
  TNodeRec* b = AddItem(bd, src, "B", ikDisk);
  TNodeRec* c = AddItem(bd, src, "C", ikDisk);
  auto r = manager.CopyItems({a, b, c}, src, dst, true);
  EXPECT_EQ(r.Error, "no room");
  EXPECT_EQ(r.Copied, 1);
  EXPECT_EQ(RowNames(dst), "A");
  EXPECT_EQ(RowNames(src), "B,C");
}

TEST_F(CatManTest, UpDownDeleteNewGroupRenameAndStatus) {
  TNodeRec* a = AddItem(bd, src, "A", ikDisk, 10);
  TNodeRec* b = AddItem(bd, src, "B", ikDisk, 20);
  TNodeRec* c = AddItem(bd, src, "C", ikDisk, 30);
  for (TNodeRec* d : {a, b, c}) AddLeaf(bd, d, "f", ItemSizeOf(d));
  bd.GoToNode(src);
  RecomputeTotals(bd);
  EXPECT_FALSE(cm.MoveUp(a));
  EXPECT_TRUE(cm.MoveDown(a));
  EXPECT_TRUE(cm.MoveDown(a));
  EXPECT_FALSE(cm.MoveDown(a));
  EXPECT_EQ(RowNames(src), "B,C,A");
  EXPECT_EQ(host.Log.back(), "move Src 1->2");

  host.Answers = {true};
  EXPECT_EQ(cm.DeleteItems({b, a}), 2);
  EXPECT_EQ(RowNames(src), "C");
  EXPECT_EQ(ItemSizeOf(src), 30);

  TNodeRec* g = cm.NewGroup(src);
  EXPECT_EQ(RowNames(src), "C,New group");
  EXPECT_EQ(cm.NewGroup(c), nullptr);
  EXPECT_EQ(cm.Rename(g, "NEW GROUP"), "NEW GROUP (2)");
  EXPECT_EQ(cm.Rename(g, ""), "NEW GROUP (2)");

  EXPECT_EQ(TCatMan::StatusText(true, TCatMan::PanelItems(src), {c}),
            "Left: Total / selected: 2 (30 B) / 1 (30 B)");
  EXPECT_EQ(TCatMan::CopyCaption(true), "Copy >>");
  EXPECT_EQ(TCatMan::MoveCaption(false), "<< Move");
}

TEST_F(CatManTest, DestinationsAreCatalogsAndGroupsDepthFirst) {
  TNodeRec* g = AddItem(bd, src, "G", ikGroup);
  AddItem(bd, g, "D", ikDisk);
  TNodeRec* sub = AddItem(bd, g, "Sub", ikGroup);
  AddItem(bd, src, "G2", ikGroup);
  auto entries = ListDestinations(bd);
  std::string names;
  for (auto& e : entries) names += e.Name + ":" + std::to_string(e.Level) + " ";
  EXPECT_EQ(names, "Src:0 G:1 Sub:2 G2:1 Dst:0 ");
  EXPECT_EQ(FindDestination(entries, sub), 2);
  EXPECT_EQ(entries[0].Image, 1);
  EXPECT_EQ(ListDestinations(bd, ikDisk).size(), 6u);
}

}  // namespace
