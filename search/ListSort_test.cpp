// SPDX-License-Identifier: MIT
#include "search/ListSort.h"

#include <gtest/gtest.h>

#include <random>

#include "app/Language.h"
#include "search/SearchTestUtil.h"
#include "search/SortKeys.h"

namespace {

std::vector<std::string> Names(const TQDBase& bd, int list) {
  std::vector<std::string> out;
  for (TNodeRec* n : bd.MarkList(list)) out.emplace_back(ItemName(n));
  return out;
}
using V = std::vector<std::string>;

struct SortTest : ::testing::Test {
  TCatalogBuilder b;
  TNodeRec *cat, *disk;
  void SetUp() override {
    LangTable(TLangKind::English)
        .LoadFromText("English\r\n10182=Removable\r\n10183=Fixed\r\n10185=CD-ROM\r\n");
    cat = b.Catalog("C");
    disk = b.Disk(cat, "D", 3);
  }
  void MarkAll(TNodeRec* container, int list) {
    for (int k = 1; k < container->SlotCount; ++k) b.Mark(list, NodeChild(container, k));
  }
};

TEST_F(SortTest, ResultsRankFoldersFirstAndTieByName) {
  b.File(disk, "b.txt", 10);
  b.File(disk, "A.txt", 10);
  b.File(disk, "c.txt", 5);
  TNodeRec* arc = b.Folder(disk, "z.zip", ifArchive);
  b.Folder(disk, "Folder");
  TNodeRec* inner = b.Folder(arc, "inner", ifInArchive);
  MarkAll(disk, mlFound);
  b.Mark(mlFound, inner);
  b.bd.GoToNode(FieldNode(arc) == arc ? arc : NodeChild(arc, 0));
  b.bd.SetInt64(kFieldSize, 7);
  SortResults(b.bd, mlFound, rcSize, false);
  EXPECT_EQ(Names(b.bd, mlFound), (V{"Folder", "inner", "c.txt", "z.zip", "A.txt", "b.txt"}));
  SortResults(b.bd, mlFound, rcSize, true);
  EXPECT_EQ(Names(b.bd, mlFound), (V{"b.txt", "A.txt", "z.zip", "c.txt", "inner", "Folder"}));
  SortResults(b.bd, mlFound, rcName, false);
  EXPECT_EQ(Names(b.bd, mlFound), (V{"Folder", "inner", "A.txt", "b.txt", "c.txt", "z.zip"}));
  SortResults(b.bd, mlFound, 42, false);  // an unknown column: only the ranks order
  EXPECT_EQ(ResultRank(arc), 0);
  EXPECT_EQ(ResultRank(inner), 1);
}

TEST_F(SortTest, ResultsByPathCountBackslashesFirst) {
  TNodeRec* deep = b.Folder(b.Folder(disk, "a"), "b");
  TNodeRec* zz = b.Folder(disk, "zz");
  b.File(deep, "x1");
  b.File(zz, "x2");
  b.File(disk, "x3");
  b.File(zz, "x0");
  b.Mark(mlFound, NodeChild(deep, 1));
  MarkAll(zz, mlFound);
  b.Mark(mlFound, NodeChild(disk, 3));
  SortResults(b.bd, mlFound, rcPath, false);
  EXPECT_EQ(Names(b.bd, mlFound), (V{"x3", "x0", "x2", "x1"}));
}

TEST_F(SortTest, DiskLayoutContainersFirstGroupsAndDisksTogether) {
  TNodeRec* g = b.Group(cat, "G");
  b.bd.GoToNode(NodeChild(g, 0));
  b.bd.SetInt64(kFieldSize, 50);
  b.bd.GoToNode(NodeChild(disk, 0));
  b.bd.SetInt64(kFieldSize, 20);
  TNodeRec* d2 = b.Disk(cat, "E", 5);
  b.bd.GoToNode(NodeChild(d2, 0));
  b.bd.SetInt64(kFieldSize, 90);
  MarkAll(cat, mlView);
  SortMarkListBy(b.bd, mlView, TListLayout::Disk, dcSize, false);
  EXPECT_EQ(Names(b.bd, mlView), (V{"D", "G", "E"}));
  SortMarkListBy(b.bd, mlView, TListLayout::Disk, dcDriveType, false);
  EXPECT_EQ(Names(b.bd, mlView), (V{"G", "E", "D"}));  // "", "CD-ROM", "Fixed"
  SortMarkListBy(b.bd, mlView, TListLayout::Disk, dcDriveType, true);
  EXPECT_EQ(Names(b.bd, mlView), (V{"D", "E", "G"}));
}

TEST_F(SortTest, FileLayoutPlainFoldersFirstArchivesMixWithFiles) {
  b.File(disk, "b.txt", 1, MakeItemFlags(kAttrReadOnly, ikFile));
  b.File(disk, "a.txt", 1, MakeItemFlags(kAttrArchive, ikFile));
  b.File(disk, "c.txt", 1, MakeItemFlags(kAttrReadOnly | kAttrArchive, ikFile));
  b.File(disk, "d.txt", 1, MakeItemFlags(kAttrArchive, ikFile));
  b.Folder(disk, "m.zip", ifArchive);
  b.Folder(disk, "Sub");
  MarkAll(disk, mlView);
  SortMarkListBy(b.bd, mlView, TListLayout::File, fcName, false);
  EXPECT_EQ(Names(b.bd, mlView), (V{"Sub", "a.txt", "b.txt", "c.txt", "d.txt", "m.zip"}));
  SortMarkListBy(b.bd, mlView, TListLayout::File, fcName, true);
  EXPECT_EQ(Names(b.bd, mlView), (V{"m.zip", "d.txt", "c.txt", "b.txt", "a.txt", "Sub"}));
  // Attribute letters as shown: "a" < "d" (the archive's) < "r" < "ra"; equal letters by name.
  SortMarkListBy(b.bd, mlView, TListLayout::File, fcAttributes, false);
  EXPECT_EQ(Names(b.bd, mlView), (V{"Sub", "a.txt", "d.txt", "m.zip", "b.txt", "c.txt"}));
  // Extension: "txt" < "zip".
  SortMarkListBy(b.bd, mlView, TListLayout::File, fcExtension, true);
  EXPECT_EQ(Names(b.bd, mlView), (V{"m.zip", "d.txt", "c.txt", "b.txt", "a.txt", "Sub"}));
}

TEST_F(SortTest, DotFilesHaveNoExtension) {
  b.File(disk, "b.txt");
  b.File(disk, ".zshrc");
  b.File(disk, "a.aaa");
  b.File(disk, ".cfg.zzz");
  MarkAll(disk, mlView);
  // ".zshrc" has no extension and sorts first; ".cfg.zzz" sorts by "zzz".
  SortMarkListBy(b.bd, mlView, TListLayout::File, fcExtension, false);
  EXPECT_EQ(Names(b.bd, mlView), (V{".zshrc", "a.aaa", "b.txt", ".cfg.zzz"}));
  MarkAll(disk, mlFound);
  SortMarkListBy(b.bd, mlFound, TListLayout::Results, rcExtension, false);
  EXPECT_EQ(Names(b.bd, mlFound), (V{".zshrc", "a.aaa", "b.txt", ".cfg.zzz"}));
}

TEST_F(SortTest, SelectionFollowsTheItems) {
  b.File(disk, "c");
  b.File(disk, "a");
  b.File(disk, "b");
  MarkAll(disk, mlFound);
  TSetRows view;
  view.Count = 3;
  view.Selected = {0, 2};  // c and b
  view.Focused = 2;        // b
  SortResults(b.bd, mlFound, rcName, false, &view);
  EXPECT_EQ(Names(b.bd, mlFound), (V{"a", "b", "c"}));
  EXPECT_EQ(view.Selected, (std::set<int>{1, 2}));
  EXPECT_EQ(view.Focused, 1);
}

// Sorts 400 random items by every column both ways and checks each neighbour pair with the
// reference comparators. ASCII-only names take the prefix path of the fast sort (long shared
// prefixes force the fallback to whole keys); mixed names the collation path.
void CheckFastSort(TCatalogBuilder& b, TNodeRec* disk, const std::vector<std::string>& parts,
                   const std::string& lead) {
  std::mt19937 rng(3);
  auto name = [&] {
    std::string s = rng() % 2 ? lead : "";
    int n = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) s += parts[rng() % parts.size()];
    return s;
  };
  TNodeRec* f = b.Folder(disk, "F");
  b.bd.ClearMarkList(mlFound);
  b.bd.ClearMarkList(mlView);
  for (int i = 0; i < 400; ++i) {
    TNodeRec* n;
    if (rng() % 6 == 0)
      n = b.Folder(f, name(), rng() % 2 ? ifArchive : 0);
    else
      n = b.File(f, name(), rng() % 4, MakeItemFlags(static_cast<int>(rng() % 64), ikFile),
                 rng() % 3, name());
    b.Mark(mlFound, n);
    b.Mark(mlView, n);
  }
  for (int col = 0; col <= 9; ++col)
    for (bool desc : {false, true}) {
      SortResults(b.bd, mlFound, col, desc);
      const auto& l = b.bd.MarkList(mlFound);
      for (size_t i = 1; i < l.size(); ++i)
        ASSERT_LE(CompareResultRows(l[i - 1], l[i], col, desc), 0) << col << " at " << i;
      SortMarkListBy(b.bd, mlView, TListLayout::File, col, desc);
      const auto& v = b.bd.MarkList(mlView);
      for (size_t i = 1; i < v.size(); ++i)
        ASSERT_LE(CompareFileLayout(v[i - 1], v[i], col, desc), 0) << col << " at " << i;
    }
}

TEST_F(SortTest, FastSortAgreesWithTheReferenceComparator) {
  CheckFastSort(b, disk, {"a", "B", "b", "-", " ", "1", "10", "Z", "_", "."},
                "a_rather_long_shared_prefix_");
  CheckFastSort(b, disk, {"a", "B", "b", "é", "E", "-", " ", "1", "10", "Z", "ß", "\xff"}, "");
  EXPECT_TRUE(AsciiRankKeysUsable());
}

}  // namespace
