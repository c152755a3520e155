// SPDX-License-Identifier: MIT
#include "catalog/Categories.h"

#include <gtest/gtest.h>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"

namespace {

// A catalog with categories A, B, C and locations Shelf, Box; a group (category 1, location 2)
// holding a disk (category 2, location 1) with a folder (category 3) and a file (category 2), and
// an uncategorised file.
struct Sample {
  TQDBase bd;
  TNodeRec *cat, *group, *disk, *folder, *file, *plain;
  Sample() {
    InitCatalogStore(bd);
    CreateCatalogNode(bd, "Cat", 1);
    cat = bd.CurrentNode();
    for (const char* name : {"A", "B", "C"}) ListIndexOrAppend(bd, TListKind::Categories, name);
    for (const char* name : {"Shelf", "Box"}) ListIndexOrAppend(bd, TListKind::Locations, name);
    group = AddContainer(bd, "G", WithCategory(ikGroup, 1));
    bd.GoToNode(group);
    bd.ChildSetInt(0, kHdrLocation, 2);
    disk = AddContainer(bd, "D", WithCategory(ikDisk, 2));
    bd.GoToNode(disk);
    bd.ChildSetInt(0, kHdrLocation, 1);
    folder = AddContainer(bd, "F", WithCategory(ikFolder, 3));
    file = AddFile(bd, "f", 1, WithCategory(ikFile, 2));
    plain = AddFile(bd, "p", 1, ikFile);
    bd.GoToNode(folder);
  }
  int Category(const TNodeRec* item) { return ItemCategory(ItemFlagsOf(item)); }
  int Location(const TNodeRec* item) { return FieldInt(NodeChild(item, 0), kHdrLocation); }
  std::string CategoryName(const TNodeRec* item) {
    return std::string(CategoryNameOf(cat, Category(item)));
  }
};

}  // namespace

TEST(Categories, NamesOfTheCursorsCatalogAndWorkingCopies) {
  Sample s;
  EXPECT_EQ(CategoryNames(s.bd), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(LocationNames(s.bd), (std::vector<std::string>{"Shelf", "Box"}));
  EXPECT_EQ(s.bd.CurrentNode(), s.folder);
  EXPECT_EQ(ListIndexOrAppend(s.bd, TListKind::Categories, "B"), 2);
  EXPECT_EQ(ListIndexOrAppend(s.bd, TListKind::Categories, "b"), 4);  // exact comparison
  EXPECT_EQ(ListIndexOrAppend(s.bd, TListKind::Categories, ""), 0);
  // A catalog without lists gets an empty one.
  CreateCatalogNode(s.bd, "Bare", 1);
  EXPECT_TRUE(CategoryNames(s.bd).empty());
  EXPECT_EQ(NodeSlotType(NodeChild(s.bd.CurrentNode(), 0), kCatCategories), stNode);
  s.bd.GoToDepth(0);
  EXPECT_TRUE(CategoryNames(s.bd).empty());
}

TEST(Categories, DeletingAnEntryRenumbersEveryReference) {
  Sample s;
  TCatSetup setup;
  ASSERT_TRUE(setup.Open(s.bd));
  EXPECT_FALSE(setup.Changed());
  EXPECT_EQ(setup.Delete(TListKind::Categories, 1), 1);  // B; the last entry is selected
  EXPECT_EQ(setup.Names(TListKind::Categories), (std::vector<std::string>{"A", "C"}));
  // Nothing reaches the catalog before Apply.
  EXPECT_EQ(s.Category(s.disk), 2);
  TNodeRec* before = s.bd.CurrentNode();
  ASSERT_TRUE(setup.Apply(s.bd));
  EXPECT_EQ(s.bd.CurrentNode(), before);
  EXPECT_EQ(CategoryNames(s.bd), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(s.Category(s.group), 1);  // A unchanged
  EXPECT_EQ(s.Category(s.disk), 0);   // B deleted: none
  EXPECT_EQ(s.Category(s.file), 0);
  EXPECT_EQ(s.Category(s.folder), 2);  // C moved up
  EXPECT_EQ(s.CategoryName(s.folder), "C");
  EXPECT_EQ(s.Category(s.plain), 0);
  // The other flag bits are untouched, and the catalog is marked changed.
  EXPECT_EQ(ItemKind(ItemFlagsOf(s.disk)), ikDisk);
  EXPECT_EQ(FieldInt(NodeChild(s.cat, 0), kCatModified), 1);
}

TEST(Categories, MovingEntriesKeepsTheNamesTheItemsShow) {
  Sample s;
  TCatSetup setup;
  setup.Open(s.bd);
  EXPECT_EQ(setup.MoveUp(TListKind::Categories, 2), 1);  // C above B
  EXPECT_EQ(setup.MoveUp(TListKind::Categories, 0), 0);  // nothing above the first
  EXPECT_EQ(setup.MoveDown(TListKind::Categories, 2), 2);
  EXPECT_EQ(setup.MoveDown(TListKind::Locations, 0), 1);  // Box, Shelf
  setup.Apply(s.bd);
  EXPECT_EQ(s.Category(s.folder), 2);
  EXPECT_EQ(s.Category(s.disk), 3);
  EXPECT_EQ(s.CategoryName(s.folder), "C");
  EXPECT_EQ(s.CategoryName(s.disk), "B");
  EXPECT_EQ(s.CategoryName(s.group), "A");
  EXPECT_EQ(LocationNameOf(s.cat, s.Location(s.group)), "Box");
  EXPECT_EQ(LocationNameOf(s.cat, s.Location(s.disk)), "Shelf");
}

TEST(Categories, AddedAndCopiedEntriesNeverInheritItems) {
  Sample s;
  // Another catalog with categories C, X, A, Y.
  CreateCatalogNode(s.bd, "Other", 1);
  TNodeRec* other = s.bd.CurrentNode();
  for (const char* name : {"C", "X", "A", "Y"})
    ListIndexOrAppend(s.bd, TListKind::Categories, name);
  s.bd.GoToNode(s.folder);
  TCatSetup setup;
  setup.Open(s.bd);
  setup.Delete(TListKind::Categories, 2);  // C: its folder must end without a category
  setup.Delete(TListKind::Categories, 1);  // B
  EXPECT_EQ(setup.Add(TListKind::Categories, "New"), 1);
  EXPECT_TRUE(setup.CopyFrom(TListKind::Categories, other));
  EXPECT_EQ(setup.Names(TListKind::Categories),
            (std::vector<std::string>{"A", "New", "C", "X", "Y"}));
  EXPECT_FALSE(setup.CopyFrom(TListKind::Categories, other));  // nothing new any more
  setup.Apply(s.bd);
  EXPECT_EQ(s.Category(s.group), 1);
  EXPECT_EQ(s.Category(s.disk), 0);
  EXPECT_EQ(s.Category(s.folder), 0);  // the copied "C" is a new entry, not the deleted one
  EXPECT_EQ(s.Category(s.plain), 0);   // an added entry does not take the uncategorised items
  // Reopening keys the entries again: moving the copied C still works.
  TCatSetup again;
  again.Open(s.bd);
  again.MoveUp(TListKind::Categories, 2);
  again.Apply(s.bd);
  EXPECT_EQ(CategoryNames(s.bd), (std::vector<std::string>{"A", "C", "New", "X", "Y"}));
  EXPECT_EQ(s.Category(s.group), 1);
}

TEST(Categories, DeletedLocationLeavesTheDiskWithout) {
  Sample s;
  TCatSetup setup;
  setup.Open(s.bd);
  setup.Delete(TListKind::Locations, 0);  // Shelf
  setup.Apply(s.bd);
  EXPECT_EQ(s.Location(s.disk), 0);
  EXPECT_EQ(s.Location(s.group), 1);
  EXPECT_EQ(LocationNameOf(s.cat, 1), "Box");
}

TEST(Categories, EditAddLimitAndDefaultName) {
  LangTable(TLangKind::English)
      .LoadFromText("English\r\n12504=New category\r\n12508=New location\r\n");
  Sample s;
  TCatSetup setup;
  setup.Open(s.bd);
  EXPECT_FALSE(setup.Edit(TListKind::Categories, 0, "A"));  // same text: no change
  EXPECT_FALSE(setup.Changed());
  EXPECT_TRUE(setup.Edit(TListKind::Categories, 0, "a"));
  EXPECT_TRUE(setup.Edit(TListKind::Categories, 0, ""));  // an empty name is accepted when editing
  EXPECT_EQ(setup.Add(TListKind::Categories, ""), 3);
  EXPECT_EQ(setup.Add(TListKind::Locations, ""), 2);
  EXPECT_EQ(setup.Names(TListKind::Categories)[3], "New category");
  EXPECT_EQ(setup.Names(TListKind::Locations)[2], "New location");
  while (setup.Count(TListKind::Categories) < 251)
    ASSERT_GE(setup.Add(TListKind::Categories, "n"), 0);
  EXPECT_FALSE(setup.CanAdd(TListKind::Categories));  // the 252nd entry is refused
  EXPECT_EQ(setup.Add(TListKind::Categories, "n"), -1);
  EXPECT_EQ(setup.Count(TListKind::Categories), 251);
  setup.Apply(s.bd);
  EXPECT_EQ(s.Category(s.folder), 3);
  LangTable(TLangKind::English).Clear();
}

TEST(Categories, ListsExtendedByLookupsAndClosedCatalogs) {
  Sample s;
  s.bd.GoToNode(s.file);
  CategoryNameAt(s.bd, 6);  // extends the list with empty slots 4, 5 and an entry 6
  TCatSetup setup;
  setup.Open(s.bd);
  EXPECT_EQ(setup.Count(TListKind::Categories), 6);
  setup.Delete(TListKind::Categories, 3);
  setup.Apply(s.bd);
  EXPECT_EQ(s.Category(s.folder), 3);
  // A catalog closed while the dialog is open is not written to.
  TCatSetup stale;
  stale.Open(s.bd);
  stale.Delete(TListKind::Categories, 0);
  s.bd.GoToDepth(0);
  s.bd.DeleteSlot(1);
  EXPECT_FALSE(stale.Apply(s.bd));
}
