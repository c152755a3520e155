// SPDX-License-Identifier: MIT
#include "search/ItemTexts.h"

#include <gtest/gtest.h>

#include "app/Language.h"
#include "search/RowCache.h"
#include "search/SearchTestUtil.h"

namespace {

struct ItemTextsTest : ::testing::Test {
  TCatalogBuilder b;
  TNodeRec *cat, *group, *disk, *docs, *a, *zip, *inZip, *rootFile, *docFile;
  void SetUp() override {
    LangTable(TLangKind::English)
        .LoadFromText("English\r\n10181=No root\r\n10183=Fixed\r\n10185=CD-ROM\r\n");
    cat = b.Catalog("Cat");
    group = b.Group(cat, "Shelf");
    disk = b.Disk(group, "CD1", 5);
    docs = b.Folder(disk, "Docs");
    a = b.Folder(disk, "A");
    zip = b.Folder(a, "pics.zip", ifArchive);
    inZip = b.File(zip, "x.jpg", 10, MakeItemFlags(0, ikFile, ifInArchive));
    rootFile = b.File(disk, "boot.ini", 5);
    docFile = b.File(docs, "readme.txt", 7);
  }
};

TEST_F(ItemTextsTest, PathsSkipCatalogsGroupsAndDisks) {
  EXPECT_EQ(ItemPath(rootFile), "\\");
  EXPECT_EQ(ItemPath(docFile), "\\Docs\\");
  EXPECT_EQ(ItemPath(inZip), "\\A\\pics.zip\\");
  EXPECT_EQ(ItemPath(docs), "\\");
  EXPECT_EQ(ItemPath(disk), "");
  EXPECT_EQ(ItemPath(group), "");
  EXPECT_EQ(ItemPath(cat), "");
  EXPECT_EQ(ItemPathDepth(inZip), 3);
  EXPECT_EQ(ItemPathDepth(rootFile), 1);
  EXPECT_EQ(ItemPathDepth(disk), 0);
  b.bd.GoToNode(inZip);
  EXPECT_EQ(ItemPath(b.bd), "\\A\\pics.zip\\");
}

TEST_F(ItemTextsTest, PathDropsOuterNamesBeyondTheBound) {
  // Three nested folders of 4000 characters: the innermost two fit (8003 with separators and
  // the leading backslash), the outermost does not.
  TNodeRec* f1 = b.Folder(disk, std::string(4000, 'a'));
  TNodeRec* f2 = b.Folder(f1, std::string(4000, 'b'));
  TNodeRec* f3 = b.Folder(f2, std::string(1995, 'c'));
  TNodeRec* file = b.File(f3, "x");
  std::string p = ItemPath(file);
  EXPECT_EQ(p, "\\" + std::string(4000, 'b') + "\\" + std::string(1995, 'c') + "\\");
  EXPECT_LE(p.size(), kItemPathMax);
  EXPECT_EQ(ItemPathDepth(file), 3);
  // Exactly at the bound: 1 + (4000+1) + (3995+1) = 7998 ... one more folder of 1998 fills 9998.
  TNodeRec* g1 = b.Folder(disk, std::string(1998, 'd'));
  TNodeRec* g2 = b.Folder(g1, std::string(7997, 'e'));
  TNodeRec* file2 = b.File(g2, "y");
  EXPECT_EQ(ItemPath(file2).size(), kItemPathMax);
  EXPECT_EQ(ItemPathDepth(file2), 3);
}

TEST_F(ItemTextsTest, DiskNameTypeCategoryAndLocation) {
  EXPECT_EQ(ItemDiskName(disk), "CD1");
  EXPECT_EQ(ItemDiskName(inZip), "CD1");
  EXPECT_EQ(ItemDiskName(group), "");
  EXPECT_EQ(ItemDiskName(cat), "");
  EXPECT_EQ(ItemDiskType(inZip), 5);
  EXPECT_EQ(ItemDiskType(group), 0);
  EXPECT_EQ(DiskTypeText(5), "CD-ROM");
  EXPECT_EQ(DiskTypeText(0), "");
  EXPECT_EQ(DiskTypeText(7), "");

  b.Categories(cat, {"Music", "Work"});
  b.SetFlags(docFile, WithCategory(ikFile, 2));
  b.SetFlags(rootFile, WithCategory(ikFile, 9));
  EXPECT_EQ(ItemCategoryName(docFile), "Work");
  EXPECT_EQ(ItemCategoryName(inZip), "");
  // Beyond the list: empty, and the cursor-free form leaves the list alone.
  EXPECT_EQ(ItemCategoryName(rootFile), "");
  b.bd.GoToNode(cat);
  b.bd.EnterChild(0);
  EXPECT_EQ(b.bd.ChildSlotCount(kCatCategories), 3);
  // The cursor form extends the list as the catalog layout defines.
  b.bd.GoToNode(rootFile);
  EXPECT_EQ(ItemCategoryName(b.bd), "");
  EXPECT_EQ(b.bd.CurrentNode(), rootFile);
  b.bd.GoToNode(cat);
  b.bd.EnterChild(0);
  EXPECT_EQ(b.bd.ChildSlotCount(kCatCategories), 10);

  b.Locations(cat, {"Attic"});
  b.SetHeaderInt(disk, kHdrLocation, 1);
  b.SetHeaderInt(docs, kHdrLocation, 1);  // folders have no location
  EXPECT_EQ(ItemLocationName(disk), "Attic");
  EXPECT_EQ(ItemLocationName(docs), "");
  EXPECT_EQ(ItemLocationName(group), "");
}

TEST_F(ItemTextsTest, DisplayNamesAndExtensions) {
  TNodeRec* tgz = b.File(docs, "archive.tar.gz");
  TNodeRec* dot = b.File(docs, ".profile");
  TNodeRec* dir = b.Folder(docs, "my.dir");
  EXPECT_EQ(ItemDisplayName(tgz), "archive.tar");
  EXPECT_EQ(ItemExtension(tgz), "gz");
  // A leading dot does not start an extension.
  EXPECT_EQ(ItemDisplayName(dot), ".profile");
  EXPECT_EQ(ItemExtension(dot), "");
  TNodeRec* dotTgz = b.File(docs, ".backup.tar.gz");
  EXPECT_EQ(ItemDisplayName(dotTgz), ".backup.tar");
  EXPECT_EQ(ItemExtension(dotTgz), "gz");
  TNodeRec* dots = b.File(docs, "..");
  EXPECT_EQ(ItemDisplayName(dots), "..");
  EXPECT_EQ(ItemExtension(dots), "");
  TNodeRec* trailing = b.File(docs, "a.");
  EXPECT_EQ(ItemDisplayName(trailing), "a");
  EXPECT_EQ(ItemExtension(trailing), "");
  EXPECT_EQ(NameExtension("..hidden"), "");
  EXPECT_EQ(NameExtension("..hidden.txt"), "txt");
  EXPECT_EQ(ItemDisplayName(dir), "my.dir");
  EXPECT_EQ(ItemExtension(dir), "");
  EXPECT_EQ(ItemDisplayName(zip), "pics");
  EXPECT_EQ(ItemExtension(zip), "zip");
  EXPECT_EQ(FirstLineText("\r\n  first\r\nsecond"), "first [...]");
  EXPECT_EQ(FirstLineText("only"), "only");
}

TEST_F(ItemTextsTest, RowTexts) {
  TRowTextOptions opt;
  opt.FileIcon = [](const TNodeRec*) { return 42; };
  b.SetFlags(docFile, MakeItemFlags(kAttrArchive | kAttrReadOnly, ikFile));
  TItemRowTexts r = ItemRowTexts(docFile, opt);
  EXPECT_EQ(r.Name, "readme");
  EXPECT_EQ(r.Attributes, "ra");
  EXPECT_EQ(r.Icon, 42);
  EXPECT_EQ(r.DiskType, "CD-ROM");
  EXPECT_EQ(r.Path, "\\Docs\\");
  EXPECT_EQ(r.Capacity, "");
  EXPECT_EQ(ItemRowTexts(zip, opt).Icon, 1000008);
  EXPECT_EQ(ItemRowTexts(disk, opt).Icon, 1000025);
  EXPECT_EQ(ItemRowTexts(inZip->Parent, opt).Icon, 1000008);
}

TEST(RowCacheTest, KeepsAtMost351RowsAndMovesOnlyDeepHits) {
  TCatalogBuilder b;
  TNodeRec* disk = b.Disk(b.Catalog("C"), "D");
  for (int i = 0; i < 400; ++i) b.Mark(mlFound, b.File(disk, "f" + std::to_string(i) + ".txt"));
  TQDBase cache;
  TRowCacheMemo memo;
  for (int i = 0; i < 400; ++i) {
    CacheRow(cache, b.bd, mlFound, i, memo);
    EXPECT_EQ(cache.GetStr(kRowName), "f" + std::to_string(i));
  }
  cache.GoToNode(cache.RootNode());
  EXPECT_EQ(cache.SlotCount(), kRowCacheRows);
  EXPECT_EQ(cache.ChildGetInt(0, kRowKey), 399);
  EXPECT_EQ(cache.FindChildInt(48, kRowKey, 0), -1);  // the oldest rows were dropped
  // Row 396 sits at position 3: found without moving.
  CacheRow(cache, b.bd, mlFound, 396, memo);
  EXPECT_EQ(memo.Position, 3);
  cache.GoToNode(cache.RootNode());
  EXPECT_EQ(cache.ChildGetInt(3, kRowKey), 396);
  // Row 100 sits deep: moved to position 0, and the memo hits it next time.
  CacheRow(cache, b.bd, mlFound, 100, memo);
  EXPECT_EQ(memo.Position, 0);
  cache.GoToNode(cache.RootNode());
  EXPECT_EQ(cache.ChildGetInt(0, kRowKey), 100);
  EXPECT_EQ(cache.SlotCount(), kRowCacheRows);
  // bdMain's cursor moves only when a row is built.
  b.bd.GoToNode(b.bd.RootNode());
  CacheRow(cache, b.bd, mlFound, 100, memo);
  EXPECT_EQ(b.bd.CurrentNode(), b.bd.RootNode());
  EXPECT_EQ(cache.GetStr(kRowName), "f100");
}

TEST(RowCacheTest, PlaceholdersAndStaleMemoGiveEmptyOrFreshRows) {
  TCatalogBuilder b;
  TNodeRec* disk = b.Disk(b.Catalog("C"), "D");
  TNodeRec* f = b.File(disk, "gone.txt");
  b.Mark(mlFound, f);
  b.Mark(mlFound, b.File(disk, "kept.txt"));
  b.bd.DeferMarkPack = true;
  b.bd.GoToNode(disk);
  b.bd.DeleteSlot(1);  // releases gone.txt: entry 0 becomes a placeholder
  TQDBase cache;
  TRowCacheMemo memo;
  TNodeRec* before = b.bd.CurrentNode();
  CacheRow(cache, b.bd, mlFound, 0, memo);
  EXPECT_EQ(cache.GetStr(kRowName), "");
  EXPECT_EQ(cache.GetInt(kRowKey), 0);
  EXPECT_EQ(b.bd.CurrentNode(), before);
  CacheRow(cache, b.bd, mlFound, 5, memo);  // beyond the list
  EXPECT_EQ(cache.GetStr(kRowName), "");
  cache.Clear();
  CacheRow(cache, b.bd, mlFound, 1, memo);  // memo names a cleared row
  EXPECT_EQ(cache.GetStr(kRowName), "kept");
  b.bd.DeferMarkPack = false;
}

}  // namespace
