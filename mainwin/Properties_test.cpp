// SPDX-License-Identifier: MIT
#include "mainwin/Properties.h"

#include <gtest/gtest.h>

#include "catalog/Categories.h"
#include "mainwin/EditTestUtil.h"
#include "platform/FileIO.h"

namespace {

class PropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEditTexts();
    InitCatalogStore(bd);
    cat = AddCatalog(bd, "Cat");
    group = AddItem(bd, cat, "G", ikGroup);
    disk = AddItem(bd, group, "D", ikDisk, 120);
    folder = AddItem(bd, disk, "F", ikFolder, 100);
    arc = AddItem(bd, folder, "a.zip", MakeItemFlags(0, ikFolder, ifArchive), 20);
    inner = AddItem(bd, arc, "in", MakeItemFlags(0, ikFolder, ifInArchive));
    entry = AddLeaf(bd, inner, "e.txt", 5, MakeItemFlags(0, ikFile, ifInArchive));
    file = AddLeaf(bd, folder, "f.txt", 80);
    AddLeaf(bd, disk, "top.txt", 20);
    SetHeaderInt64(bd, disk, kHdrCapacity, 1000);
    bd.GoToNode(cat);
    ListIndexOrAppend(bd, TListKind::Categories, "Music");
    ListIndexOrAppend(bd, TListKind::Locations, "Shelf");
    bd.GoToDepth(0);
  }
  void TearDown() override { LangTable(TLangKind::English).Clear(); }

  TPropItems Single(TNodeRec* item) {
    bd.ClearMarkList(mlSelection);
    bd.GoToNode(item);
    bd.AddMark(mlSelection);
    bd.GoToDepth(0);
    return PrepareItems(bd, mlSelection, nullptr, 0);
  }

  TQDBase bd;
  TRecordingHost host;
  TCatalogEditor ed{bd, host};
  TNodeRec *cat, *group, *disk, *folder, *arc, *inner, *entry, *file;
};

TEST_F(PropertiesTest, PagesPerKindAndRowSelection) {
  using P = TPropPage;
  EXPECT_EQ(PropPages(Single(file)), (std::vector<P>{P::Cat, P::Disk, P::File}));
  EXPECT_EQ(PropPages(Single(group)), (std::vector<P>{P::Cat, P::Group}));
  EXPECT_EQ(PropPages(Single(cat)), (std::vector<P>{P::Cat}));
  EXPECT_EQ(PropPages(Single(folder)), (std::vector<P>{P::Cat, P::Disk, P::Folder}));
  EXPECT_EQ(PropPages(Single(arc)), (std::vector<P>{P::Cat, P::Disk, P::File}));
  EXPECT_EQ(ActivePropPage(Single(folder)), P::Folder);

  // From a list with a parent row: row 0 is no entry; catalogs are never taken.
  bd.ClearMarkList(mlView);
  for (TNodeRec* n : {cat, file, folder}) {
    bd.GoToNode(n);
    bd.AddMark(mlView);
  }
  std::vector<int> rows{0, 1, 2, 3, 9};
  TPropItems items = PrepareItems(bd, mlView, &rows, 1);
  EXPECT_EQ(items.Items, (std::vector<TNodeRec*>{file, folder}));
  EXPECT_EQ(items.Catalogs, (std::vector<TNodeRec*>{cat}));
  EXPECT_EQ(PropPages(items), (std::vector<P>{P::Sel}));
}

TEST_F(PropertiesTest, StatisticsCountArchivesAsFoldersAndEntriesAsFiles) {
  TDiskPageData d = FillDiskPage(file);
  EXPECT_EQ(d.Name, "D");
  EXPECT_EQ(d.Capacity, 1000);
  EXPECT_EQ(d.Counts.Folders, 3);  // F, a.zip, in
  EXPECT_EQ(d.Counts.Files, 3);    // e.txt, f.txt, top.txt
  TCatPageData c = FillCatPage(file);
  EXPECT_EQ(c.Counts.Disks, 1);
  EXPECT_EQ(c.Counts.Capacity, 1000);
  EXPECT_EQ(c.FileSize, 0);  // never saved

  std::string dir = ScratchDir("props-catsize");
  std::string path = dir + "/c.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, std::string(1234, 'x')).Message(), "");
  bd.GoToNode(NodeChild(cat, 0));
  bd.SetStr(kCatFileName, path);
  EXPECT_EQ(FillCatPage(file).FileSize, 1234);

  // Category indices beyond the list show as item 0.
  bd.GoToNode(NodeChild(disk, 0));
  bd.SetInt(kFieldFlags, WithCategory(ikDisk, 7));
  bd.SetInt(kHdrLocation, 1);
  d = FillDiskPage(disk);
  EXPECT_EQ(d.Category, 0);
  EXPECT_EQ(d.Location, 1);
  EXPECT_EQ(LocationChoices(cat), (std::vector<std::string>{"(none)", "Shelf"}));
}

TEST_F(PropertiesTest, SingleItemWritesBackOnlyWhatChanged) {
  TPropEdits e;
  e.File = {true, "", "", 0, 0, false};
  e.Cat = {true, "Cat", "", 0, 0, false};
  e.Disk = {true, "D", "", 0, 0, false};
  EXPECT_FALSE(ApplySingleItem(ed, file, e));
  EXPECT_FALSE(CatalogModified(cat));

  e.File.Description = "new text";
  EXPECT_TRUE(ApplySingleItem(ed, file, e));
  EXPECT_EQ(FieldStr(file, kFieldDescription), "new text");
  EXPECT_TRUE(CatalogModified(cat));
  EXPECT_EQ(host.Refreshes, 1);

  // The disk's name clashes with a sibling: numbered; an empty catalog name keeps the old one.
  AddItem(bd, group, "Other", ikDisk);
  e.Disk.Name = "other";
  e.Cat.Name = "";
  ApplySingleItem(ed, file, e);
  EXPECT_EQ(ItemName(disk), "other (2)");
  EXPECT_EQ(ItemName(cat), "Cat");
  EXPECT_EQ(host.Log.back(), "update G 0");
}

TEST_F(PropertiesTest, FolderCategoryAppliesToEverythingInsideArchivesIncluded) {
  TPropEdits e;
  e.Folder = {true, "", "", 1, 0, true};
  EXPECT_TRUE(ApplySingleItem(ed, folder, e));
  for (TNodeRec* n : {folder, arc, inner, entry, file}) EXPECT_EQ(ItemCategory(ItemFlagsOf(n)), 1);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk)), 0);
}

TEST_F(PropertiesTest, SelectionAddsMissingNamesPerCatalogIgnoringCase) {
  TNodeRec* cat2 = AddCatalog(bd, "Cat2");
  TNodeRec* disk2 = AddItem(bd, cat2, "D2", ikDisk);
  bd.GoToNode(cat2);
  ListIndexOrAppend(bd, TListKind::Categories, "Video");
  bd.GoToDepth(0);
  std::vector<TNodeRec*> picked{file, disk, disk2};
  TPropItems items{picked, {cat, cat2}};
  TSelPageData page = FillSelPage(items);
  EXPECT_EQ(page.CategoryChoices,
            (std::vector<std::string>{"(none)", "(leave)", "Music", "Video"}));
  EXPECT_TRUE(page.ShowLocation);
  EXPECT_EQ(page.Disks, 2);
  EXPECT_EQ(page.FilesAndArchives, 1);

  TSelEdit e;
  e.CatChoice = 2;
  e.CatName = "MUSIC";
  e.LocChoice = 1;  // leave unchanged
  EXPECT_TRUE(ApplySelection(ed, items, e));
  // Cat already has "Music" (found ignoring case); Cat2 gets "MUSIC" appended after "Video".
  EXPECT_EQ(CategoryChoices(cat), (std::vector<std::string>{"(none)", "Music"}));
  EXPECT_EQ(CategoryChoices(cat2), (std::vector<std::string>{"(none)", "Video", "MUSIC"}));
  EXPECT_EQ(ItemCategory(ItemFlagsOf(file)), 1);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk2)), 2);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(folder)), 0);  // nothing below the selected items
  EXPECT_TRUE(CatalogModified(cat2));

  // Removing the location touches groups and disks only; the description goes to all.
  SetHeaderInt(bd, disk, kHdrLocation, 1);
  TSelEdit r;
  r.LocChoice = 0;
  r.DescAll = true;
  r.Description = "same";
  ApplySelection(ed, items, r);
  EXPECT_EQ(FieldInt(NodeChild(disk, 0), kHdrLocation), 0);
  EXPECT_EQ(FieldStr(file, kFieldDescription), "same");
  EXPECT_EQ(FieldStr(NodeChild(disk2, 0), kFieldDescription), "same");
}

TEST_F(PropertiesTest, SelectionCategoryReachesTheItemsInsideOnlyWhenAsked) {
  std::vector<TNodeRec*> picked{folder, file};
  TPropItems items{picked, {cat}};
  TSelEdit e;
  e.CatChoice = 2;
  e.CatName = "Music";
  e.CatAll = true;
  EXPECT_TRUE(ApplySelection(ed, items, e));
  for (TNodeRec* n : {folder, arc, inner, entry, file}) EXPECT_EQ(ItemCategory(ItemFlagsOf(n)), 1);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk)), 0);
}

TEST_F(PropertiesTest, BoxIndicesFollowTheEntriesAfterTheCatalogSetup) {
  bd.GoToNode(cat);
  ListIndexOrAppend(bd, TListKind::Categories, "Video");
  ListIndexOrAppend(bd, TListKind::Categories, "Books");
  bd.GoToNode(cat);
  TCatSetup setup;
  ASSERT_TRUE(setup.Open(bd));
  setup.Delete(TListKind::Categories, 0);  // Music (1) goes
  setup.MoveUp(TListKind::Categories, 1);  // Books (3) before Video (2)
  setup.Add(TListKind::Categories, "New");
  ASSERT_TRUE(setup.Apply(bd));
  EXPECT_EQ(CategoryChoices(cat), (std::vector<std::string>{"(none)", "Books", "Video", "New"}));
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatCategories, 0), 0);
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatCategories, 1), 0);
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatCategories, 2), 2);
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatCategories, 3), 1);
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatCategories, 4), 0);
  EXPECT_EQ(ListIndexAfterSetup(cat, kCatLocations, 1), 1);
}

TEST(OemToAnsiText, RawBytesAndTextShownThroughTheAnsiPage) {
  EXPECT_EQ(OemToAnsiText(""), "");
  // CP437 0x84 is "ä", 0x94 "ö"; bytes that are not UTF-8 are the OEM bytes themselves.
  EXPECT_EQ(OemToAnsiText("K\x84se\r\n\x94l"), "Käse\r\nöl");
  // The same bytes shown through Windows-1252 read as "„" and "”": mapped back and converted.
  EXPECT_EQ(OemToAnsiText("K\xE2\x80\x9Ese"), "Käse");
  // "€" is byte 0x80 of Windows-1252, which is "Ç" in CP437; "中" has no ANSI byte and stays.
  EXPECT_EQ(OemToAnsiText("\xE2\x82\xAC \xE4\xB8\xAD"), "\xC3\x87 \xE4\xB8\xAD");
}

}  // namespace
