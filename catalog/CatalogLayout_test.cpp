// SPDX-License-Identifier: MIT
#include "catalog/CatalogLayout.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/Language.h"
#include "catalog/CatalogImage.h"
#include "catalog/CatalogTestUtil.h"

namespace {

// A catalog with a group holding two disks, and a third disk at the top:
//   Cat
//     Group G           (group)
//       Disk A  cap 100 free 10
//         Folder F
//           Archive Z.zip (own size 50, entries 1000 + folder inside)
//             In (folder in archive)
//               x.txt 1000
//           f1 10
//         a1 1
//       Disk B  cap 200 free 20
//         b1 5
//     Disk C  cap 7 free 3
struct Sample {
  TQDBase bd;
  TNodeRec *cat, *group, *diskA, *folder, *archive, *inArc, *x, *f1, *diskB, *diskC;
  Sample() {
    InitCatalogStore(bd);
    CreateCatalogNode(bd, "Cat", 1.0);
    cat = bd.CurrentNode();
    group = AddContainer(bd, "G", ikGroup);
    diskC = AddContainer(bd, "C", ikDisk);
    bd.GoToNode(diskC);
    bd.EnterChild(0);
    bd.SetInt64(kHdrCapacity, 7);
    bd.SetInt64(kHdrFree, 3);
    bd.GoToNode(group);
    diskA = AddContainer(bd, "A", ikDisk, 999);
    diskB = AddContainer(bd, "B", ikDisk);
    bd.GoToNode(diskA);
    bd.EnterChild(0);
    bd.SetInt64(kHdrCapacity, 100);
    bd.SetInt64(kHdrFree, 10);
    bd.Up();
    folder = AddContainer(bd, "F", MakeItemFlags(0x10, ikFolder));
    AddFile(bd, "a1", 1);
    bd.GoToNode(folder);
    archive = AddContainer(bd, "Z.zip", MakeItemFlags(0x20, ikFolder, ifArchive), 50);
    f1 = AddFile(bd, "f1", 10);
    bd.GoToNode(archive);
    inArc = AddContainer(bd, "In", MakeItemFlags(0x10, ikFolder, ifInArchive));
    bd.GoToNode(inArc);
    x = AddFile(bd, "x.txt", 1000, MakeItemFlags(0, ikFile, ifInArchive));
    bd.GoToNode(diskB);
    bd.EnterChild(0);
    bd.SetInt64(kHdrCapacity, 200);
    bd.SetInt64(kHdrFree, 20);
    bd.Up();
    AddFile(bd, "b1", 5);
    bd.GoToDepth(0);
  }
};

int64_t HeaderInt64(const TNodeRec* container, int slot) {
  return FieldInt64(NodeChild(container, 0), slot);
}

}  // namespace

TEST(CatalogLayout, InitCreatesHeaderAndSixMarkLists) {
  TQDBase bd;
  InitCatalogStore(bd);
  InitCatalogStore(bd);  // idempotent
  EXPECT_EQ(bd.MarkListCount(), 6);
  EXPECT_EQ(bd.SlotType(0), stNode);
  EXPECT_EQ(bd.SlotCount(), 1);
  int slot = CreateCatalogNode(bd, "First", 2.5);
  EXPECT_EQ(slot, 1);
  EXPECT_EQ(CreateCatalogNode(bd, "Second", 2.5), 2);
  TItemFields f = ReadItemFields(bd.CurrentNode());
  EXPECT_EQ(f.Name, "Second");
  EXPECT_EQ(f.Flags, ikCatalog);
  EXPECT_TRUE(f.IsContainer);
  EXPECT_DOUBLE_EQ(f.Created, 2.5);
  EXPECT_EQ(FieldInt(NodeChild(bd.CurrentNode(), 0), kCatModified), 0);
}

TEST(CatalogLayout, FieldsOfContainersAndFilesAndDamagedSlots) {
  Sample s;
  TItemFields folder = ReadItemFields(s.folder);
  EXPECT_EQ(folder.Name, "F");
  EXPECT_EQ(ItemKind(folder.Flags), ikFolder);
  EXPECT_TRUE(folder.IsContainer);
  TItemFields file = ReadItemFields(s.x);
  EXPECT_EQ(file.Name, "x.txt");
  EXPECT_EQ(file.Size, 1000);
  EXPECT_FALSE(file.IsContainer);
  EXPECT_TRUE(file.Flags & ifInArchive);
  // Through the cursor: item in slot 1 of the disk.
  s.bd.GoToNode(s.diskA);
  EXPECT_EQ(ReadItemFields(s.bd, 1).Name, "F");
  EXPECT_EQ(ReadItemFields(s.bd, 2).Name, "a1");
  EXPECT_EQ(ReadItemFields(s.bd, 9).Name, "");
  // A name slot holding an integer (a damaged file) reads as empty instead of throwing.
  s.bd.GoToNode(s.f1);
  s.bd.SetInt(kFieldName, 7);
  EXPECT_EQ(ReadItemFields(s.f1).Name, "");
}

TEST(CatalogLayout, TotalsSumBottomUpAndArchivesKeepTheirOwnSize) {
  Sample s;
  s.bd.GoToNode(s.x);  // the cursor anywhere inside the catalog
  TNodeRec* before = s.bd.CurrentNode();
  RecomputeTotals(s.bd);
  EXPECT_EQ(s.bd.CurrentNode(), before);
  EXPECT_EQ(HeaderInt64(s.inArc, kFieldSize), 1000);  // folders in archives are recomputed
  EXPECT_EQ(HeaderInt64(s.archive, kFieldSize), 50);  // the archive file's own size
  EXPECT_EQ(HeaderInt64(s.folder, kFieldSize), 60);   // 50 + 10, not 1010
  EXPECT_EQ(HeaderInt64(s.diskA, kFieldSize), 61);    // the stale 999 replaced
  EXPECT_EQ(HeaderInt64(s.diskB, kFieldSize), 5);
  EXPECT_EQ(HeaderInt64(s.group, kFieldSize), 66);
  EXPECT_EQ(HeaderInt64(s.cat, kFieldSize), 66);
  // Group sums of capacity and free space over its disks.
  EXPECT_EQ(HeaderInt64(s.group, kHdrCapacity), 300);
  EXPECT_EQ(HeaderInt64(s.group, kHdrFree), 30);
  // Nested groups sum through.
  s.bd.GoToNode(s.group);
  TNodeRec* inner = AddContainer(s.bd, "Inner", ikGroup);
  s.bd.GoToNode(inner);
  TNodeRec* d = AddContainer(s.bd, "D", ikDisk);
  s.bd.GoToNode(d);
  s.bd.EnterChild(0);
  s.bd.SetInt64(kHdrCapacity, 1000);
  RecomputeTotals(s.bd);
  EXPECT_EQ(HeaderInt64(inner, kHdrCapacity), 1000);
  EXPECT_EQ(HeaderInt64(s.group, kHdrCapacity), 1300);
  // At the root nothing happens.
  s.bd.GoToDepth(0);
  RecomputeTotals(s.bd);
}

TEST(CatalogLayout, TotalsSaturateInsteadOfOverflowing) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Huge", 1);
  TNodeRec* cat = bd.CurrentNode();
  TNodeRec* disk = AddContainer(bd, "D", ikDisk);
  TNodeRec* other = AddContainer(bd, "E", ikDisk);
  bd.GoToNode(disk);
  AddFile(bd, "max", INT64_MAX);
  AddFile(bd, "one", 1);
  bd.EnterChild(0);
  bd.SetInt64(kHdrCapacity, INT64_MAX);
  bd.SetInt64(kHdrFree, INT64_MAX);
  bd.GoToNode(other);
  AddFile(bd, "two", 2);
  bd.EnterChild(0);
  bd.SetInt64(kHdrCapacity, 5);
  bd.SetInt64(kHdrFree, 5);
  bd.GoToNode(cat);
  RecomputeTotals(bd);
  EXPECT_EQ(HeaderInt64(disk, kFieldSize), INT64_MAX);
  EXPECT_EQ(HeaderInt64(cat, kFieldSize), INT64_MAX);
  // The counts of disks sum capacity and free space the same way.
  TItemCounts c = CountItems(cat);
  EXPECT_EQ(c.Capacity, INT64_MAX);
  EXPECT_EQ(c.Free, INT64_MAX);
  // Negative sizes of a damaged file hold at the other end.
  EXPECT_EQ(SaturatingAdd(INT64_MIN, -1), INT64_MIN);
  EXPECT_EQ(SaturatingAdd(INT64_MAX, -1), INT64_MAX - 1);
  // Removing the huge file brings the totals back to the true sum.
  bd.GoToNode(disk);
  bd.DeleteSlot(1);
  RecomputeTotals(bd);
  EXPECT_EQ(HeaderInt64(disk, kFieldSize), 1);
  EXPECT_EQ(HeaderInt64(cat, kFieldSize), 3);
}

TEST(CatalogLayout, EmptyCatalogHasSizeZero) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Empty", 1);
  RecomputeTotals(bd);
  EXPECT_EQ(HeaderInt64(bd.CurrentNode(), kFieldSize), 0);
  EXPECT_EQ(bd.CurrentNode()->SlotCount, 1);
}

TEST(CatalogLayout, CountsAndCounting) {
  Sample s;
  TItemCounts c = CountItems(s.cat);
  EXPECT_EQ(c.Disks, 3);
  EXPECT_EQ(c.Folders, 3);  // F, the archive, the folder inside it
  EXPECT_EQ(c.Files, 4);    // x.txt, f1, a1, b1
  EXPECT_EQ(c.Capacity, 307);
  EXPECT_EQ(c.Free, 33);
  TItemCounts sel = CountItems(std::vector<TNodeRec*>{s.diskA, s.f1});
  EXPECT_EQ(sel.Disks, 1);
  EXPECT_EQ(sel.Folders, 3);
  EXPECT_EQ(sel.Files, 4);  // x.txt, f1 and a1 below A, and f1 selected again
  EXPECT_EQ(sel.Capacity, 100);
}

namespace {
// Items as an image walk meets them: depth, path of names, and counts like CountItems'.
struct TImageItemLog {
  std::vector<std::string> Met;
  TItemCounts Counts;
  std::vector<std::pair<std::string, int64_t>> Disks;  // name, files below it
  std::vector<int64_t> open;                           // per open container: index or -1
  void Item(const TImageItem& item) {
    std::string path;
    for (std::string_view f : *item.Folders) path += std::string(f) + "\\";
    Met.push_back(std::to_string(item.Depth) + " " + path + std::string(item.Name()) +
                  (item.Container ? "/" : ""));
    if (item.Depth == 0) {
      open.push_back(-1);
      return;
    }
    CountImageItem(item, Counts);
    if (!item.Container) return;
    int64_t disk = -1;
    if (ItemKind(item.Flags()) == ikDisk) {
      disk = static_cast<int64_t>(Disks.size());
      Disks.emplace_back(std::string(item.Name()), -Counts.Files);
    }
    open.push_back(disk);
  }
  void Leave() {
    if (open.back() >= 0) Disks[static_cast<size_t>(open.back())].second += Counts.Files;
    open.pop_back();
  }
};
}  // namespace

TEST(CatalogLayout, AnImageWalkMeetsTheItemsOfTheLoadedCatalogInItsOrder) {
  Sample s;
  // Nodes that are no items: a list in a header (with names of its own) and a node in a file.
  s.bd.GoToNode(s.cat);
  s.bd.EnterChild(0);
  s.bd.ChildSetStr(kCatCategories, 1, "not an item");
  s.bd.GoToNode(s.f1);
  s.bd.ChildSetStr(9, 0, "neither");
  // A disk inside a folder, and an item whose name slot holds a number.
  s.bd.GoToNode(s.folder);
  TNodeRec* inner = AddContainer(s.bd, "Inner", ikDisk);
  s.bd.GoToNode(inner);
  AddFile(s.bd, "i1", 1);
  TNodeRec* odd = AddFile(s.bd, "odd", 2);
  s.bd.GoToNode(odd);
  s.bd.SetInt(kFieldName, 5);

  std::vector<std::string> expected{"0 Cat/"};
  std::vector<TDiskCounts> disks;
  const TItemCounts all = CountItems(s.cat, disks, [&](const TNodeRec* item) {
    std::string path;
    std::vector<std::string_view> names;
    for (const TNodeRec* n = item->Parent; n && n->Parent && n->Parent->Parent; n = n->Parent)
      names.insert(names.begin(), ItemName(n));
    for (std::string_view n : names) path += std::string(n) + "\\";
    int depth = static_cast<int>(names.size()) + 1;
    expected.push_back(std::to_string(depth) + " " + path + std::string(ItemName(item)) +
                       (IsContainer(item) ? "/" : ""));
  });

  s.bd.GoToNode(s.cat);
  std::string image;
  s.bd.SaveToString(image);
  TImageItemLog log;
  TCatalogImageItems<TImageItemLog> items(log);
  std::string error;
  ASSERT_TRUE(WalkImage(image, items, false, error)) << error;
  EXPECT_TRUE(items.TopIsContainer());
  EXPECT_EQ(log.Met, expected);
  EXPECT_TRUE(log.open.empty());  // every container left, the catalog too
  EXPECT_EQ(log.Counts.Disks, all.Disks);
  EXPECT_EQ(log.Counts.Folders, all.Folders);
  EXPECT_EQ(log.Counts.Files, all.Files);
  EXPECT_EQ(log.Counts.Capacity, all.Capacity);
  EXPECT_EQ(log.Counts.Free, all.Free);
  ASSERT_EQ(log.Disks.size(), disks.size());
  for (size_t i = 0; i < disks.size(); ++i) {
    EXPECT_EQ(log.Disks[i].first, ItemName(disks[i].Disk));
    EXPECT_EQ(log.Disks[i].second, disks[i].Files) << log.Disks[i].first;
  }

  // A file at the top is no catalog.
  TQDBase flat;
  flat.SetStr(kFieldName, "file");
  flat.SaveToString(image);
  TImageItemLog none;
  TCatalogImageItems<TImageItemLog> top(none);
  ASSERT_TRUE(WalkImage(image, top, false, error));
  EXPECT_FALSE(top.TopIsContainer());
  EXPECT_TRUE(none.Met.empty());
}

TEST(CatalogLayout, OneWalkCountsTheCatalogAndEachDisk) {
  Sample s;
  // A disk inside a disk's folder (a damaged or hand-made file) counts towards both.
  s.bd.GoToNode(s.folder);
  TNodeRec* inner = AddContainer(s.bd, "Inner", ikDisk);
  s.bd.GoToNode(inner);
  AddFile(s.bd, "i1", 1);
  AddContainer(s.bd, "IF", ikFolder);
  std::vector<TDiskCounts> disks;
  TItemCounts all = CountItems(s.cat, disks);
  TItemCounts alone = CountItems(s.cat);
  EXPECT_EQ(all.Disks, alone.Disks);
  EXPECT_EQ(all.Folders, alone.Folders);
  EXPECT_EQ(all.Files, alone.Files);
  EXPECT_EQ(all.Capacity, alone.Capacity);
  EXPECT_EQ(all.Free, alone.Free);
  ASSERT_EQ(disks.size(), 4u);
  for (const TDiskCounts& d : disks) {
    TItemCounts below = CountItems(d.Disk);
    EXPECT_EQ(d.Folders, below.Folders) << ItemName(d.Disk);
    EXPECT_EQ(d.Files, below.Files) << ItemName(d.Disk);
  }
  EXPECT_EQ(disks[0].Disk, s.diskA);  // walk order: the group's disks first, C last
  EXPECT_EQ(disks[0].Folders, 4);
  EXPECT_EQ(disks[0].Files, 4);  // x.txt, f1, a1 and i1
  EXPECT_EQ(disks[1].Disk, inner);
  EXPECT_EQ(disks[1].Folders, 1);
  EXPECT_EQ(disks[1].Files, 1);
  EXPECT_EQ(disks[3].Disk, s.diskC);
}

TEST(CatalogLayout, LocatingAndTreePosition) {
  Sample s;
  EXPECT_EQ(CatalogNodeOf(s.x), s.cat);
  EXPECT_EQ(CatalogNodeOf(s.cat), s.cat);
  EXPECT_EQ(CatalogNodeOf(s.bd.RootNode()), nullptr);
  EXPECT_EQ(DiskNodeOf(s.x), s.diskA);
  EXPECT_EQ(DiskNodeOf(s.diskB), s.diskB);
  EXPECT_EQ(DiskNodeOf(s.group), nullptr);
  EXPECT_EQ(TreePosition(s.cat), (std::vector<int>{0}));
  EXPECT_EQ(TreePosition(s.diskC), (std::vector<int>{0, 1}));
  EXPECT_EQ(TreePosition(s.archive), (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(TreePosition(s.f1), (std::vector<int>{0, 0, 0, 0, 1}));
  s.bd.GoToNode(s.x);
  ASSERT_TRUE(GoToCatalog(s.bd));
  EXPECT_EQ(s.bd.CurrentNode(), s.cat);
}

TEST(CatalogLayout, MediumPathStartsBelowTheDisk) {
  Sample s;
  EXPECT_EQ(MediumPath(s.x), "F\\Z.zip\\In\\x.txt");
  EXPECT_EQ(MediumPath(s.folder), "F");
  EXPECT_EQ(MediumPath(s.f1), "F\\f1");
  EXPECT_EQ(MediumPath(s.diskA), "");
  EXPECT_EQ(MediumPath(s.group), "");
}

TEST(CatalogLayout, CategoryLookupExtendsTheListLikeEnterChild) {
  Sample s;
  s.bd.GoToNode(s.f1);
  EXPECT_EQ(CategoryNameAt(s.bd, 0), "");
  EXPECT_EQ(NodeSlotType(NodeChild(s.cat, 0), kCatCategories), stEmpty);  // 0: no lookup, no list
  EXPECT_EQ(CategoryNameAt(s.bd, 3), "");
  EXPECT_EQ(s.bd.CurrentNode(), s.f1);
  const TNodeRec* list = NodeChild(NodeChild(s.cat, 0), kCatCategories);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->SlotCount, 4);
  EXPECT_EQ(NodeSlotType(list, 2), stEmpty);
  EXPECT_EQ(NodeSlotType(list, 3), stNode);
  // A named entry; the cursor-free lookup neither extends nor throws.
  s.bd.GoToNode(const_cast<TNodeRec*>(list));
  s.bd.ChildSetStr(1, kEntryName, "Music");
  s.bd.GoToNode(s.x);
  EXPECT_EQ(CategoryNameAt(s.bd, 1), "Music");
  EXPECT_EQ(CategoryNameOf(s.cat, 1), "Music");
  EXPECT_EQ(CategoryNameOf(s.cat, 40), "");
  EXPECT_EQ(list->SlotCount, 4);
  EXPECT_EQ(LocationNameAt(s.bd, 2), "");
  EXPECT_EQ(NodeChild(NodeChild(s.cat, 0), kCatLocations)->SlotCount, 3);
}

TEST(CatalogLayout, CategoryBitsAndMarkModified) {
  int32_t flags = MakeItemFlags(0x21, ikFile, ifInArchive);
  int32_t withCat = WithCategory(flags, 200);
  EXPECT_EQ(ItemCategory(withCat), 200);
  EXPECT_EQ(withCat & 0xFFFFFF, flags);
  EXPECT_EQ(ItemCategory(WithCategory(withCat, 0)), 0);
  EXPECT_EQ(ItemAttributes(withCat), 0x21);

  Sample s;
  s.bd.GoToNode(s.x);
  MarkCatalogModified(s.bd, 12345.5);
  EXPECT_EQ(s.bd.CurrentNode(), s.x);
  EXPECT_EQ(FieldInt(NodeChild(s.cat, 0), kCatModified), 1);
  EXPECT_DOUBLE_EQ(FieldFloat(NodeChild(s.cat, 0), kFieldChanged), 12345.5);
}

// ItemFlags as the image holds them: the kind in bits 0-7, the attribute byte in 8-15, ifArchive
// and ifInArchive in 16 and 17; MakeItemFlags builds what the decoders take apart.
TEST(CatalogLayout, MakeItemFlagsMatchesTheDecoders) {
  EXPECT_EQ(MakeItemFlags(kAttrDirectory, ikFolder), 0x1004);  // an implied folder in a listing
  EXPECT_EQ(MakeItemFlags(kAttrArchive, ikFolder, ifArchive), 0x12004);
  EXPECT_EQ(MakeItemFlags(kAttrArchive | kAttrReadOnly, ikFile, ifInArchive), 0x22164);
  EXPECT_EQ(MakeItemFlags(0, ikDisk), ikDisk);
  for (int attr : {0x00, 0x01, 0x10, 0x21, 0x37, 0xFF})
    for (int kind : {ikCatalog, ikGroup, ikDisk, ikFolder, ikFile}) {
      int32_t flags = MakeItemFlags(attr, kind, ifInArchive);
      EXPECT_EQ(ItemKind(flags), kind);
      EXPECT_EQ(ItemAttributes(flags), attr);
      EXPECT_EQ(ItemCategory(flags), 0);
      EXPECT_EQ(flags & (ifArchive | ifInArchive), ifInArchive);
    }
}

// The one reader of item fields never throws where the store's reads do: a missing, negative or
// wrongly typed slot, or a 64-bit pair read from its high half or cut off by the end, reads as
// zero.
TEST(CatalogLayout, FieldReadsOfDamagedSlotsAreZero) {
  TQDBase bd;
  bd.SetStr(0, "name");
  bd.SetInt(1, 7);
  bd.SetInt64(2, int64_t(1) << 40);
  bd.SetFloat(4, 1.5);
  bd.SetInt(8, 3);
  const TNodeRec* n = bd.RootNode();
  EXPECT_EQ(FieldStr(n, 0), "name");
  EXPECT_EQ(FieldInt(n, 1), 7);
  EXPECT_EQ(FieldInt64(n, 2), int64_t(1) << 40);
  EXPECT_EQ(FieldFloat(n, 4), 1.5);
  EXPECT_EQ(FieldInt(n, 0), 0);
  EXPECT_EQ(FieldStr(n, 1), "");
  EXPECT_EQ(FieldInt64(n, 4), 0);
  EXPECT_EQ(FieldFloat(n, 2), 0.0);
  EXPECT_EQ(FieldInt64(n, 3), 0);
  EXPECT_EQ(FieldFloat(n, 5), 0.0);
  EXPECT_EQ(FieldInt64(n, 8), 0);  // the last slot: no high half
  EXPECT_EQ(FieldInt(n, 6), 0);    // empty
  EXPECT_EQ(FieldInt(n, 9), 0);
  EXPECT_EQ(FieldInt(n, -1), 0);
  EXPECT_EQ(FieldStr(n, 100), "");
  EXPECT_THROW(NodeGetInt(n, 0), std::runtime_error);  // the store's read refuses instead
  EXPECT_EQ(NodeChild(n, 0), nullptr);
  EXPECT_EQ(NodeSlotType(n, -1), stEmpty);
}

TEST(CatalogLayout, UniqueSiblingNameNumbersClashes) {
  LangTable(TLangKind::English).LoadFromText("English\r\n10001=Catalog\r\n");
  Sample s;
  EXPECT_EQ(UniqueSiblingName("Z", s.group), "Z");
  EXPECT_EQ(UniqueSiblingName("a", s.group), "a (2)");  // case-insensitive
  s.bd.GoToNode(s.group);
  AddContainer(s.bd, "A (2)", ikDisk);
  EXPECT_EQ(UniqueSiblingName("A", s.group), "A (3)");
  // Files do not count: only container items are tree children.
  EXPECT_EQ(UniqueSiblingName("a1", s.diskA), "a1");
  // Renaming an item to its own name leaves it unnumbered when it is excepted.
  EXPECT_EQ(UniqueSiblingName("B", s.group, s.diskB), "B");
  // Top level: names may repeat; an empty name is numbered from 1.
  EXPECT_EQ(UniqueSiblingName("Cat", s.bd.RootNode()), "Cat");
  EXPECT_EQ(UniqueSiblingName("", s.bd.RootNode()), "Catalog1");
  CreateCatalogNode(s.bd, "Catalog1", 1);
  EXPECT_EQ(UniqueSiblingName("", s.bd.RootNode()), "Catalog2");
  LangTable(TLangKind::English).Clear();
}

TEST(CatalogLayout, DeepCatalogsAreWalkedWithoutRecursion) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Deep", 1);
  TNodeRec* disk = AddContainer(bd, "D", ikDisk);
  bd.GoToNode(disk);
  TNodeRec* last = disk;
  for (int i = 0; i < 100000; ++i) {
    last = AddContainer(bd, "f", ikFolder);
    bd.GoToNode(last);
  }
  AddFile(bd, "leaf", 7);
  RecomputeTotals(bd);
  EXPECT_EQ(HeaderInt64(disk, kFieldSize), 7);
  EXPECT_EQ(CountItems(disk).Folders, 100000);
  EXPECT_EQ(TreePosition(last).size(), 100002u);
}

TEST(CatalogLayout, CountingDefinition) {
  TQDBase bd;
  bd.NewChild(0);  // the container's header
  // root: file, folder{file, file, folder{file}}, folder{}
  auto addFile = [&] {
    int s = bd.SlotCount();
    bd.NewChild(s);
    bd.ChildSetStr(s, 0, "f");
  };
  auto addFolder = [&] {
    int s = bd.SlotCount();
    bd.NewChild(s);
    bd.EnterChild(s);
    bd.NewChild(0);
  };
  addFile();
  addFolder();
  addFile();
  addFile();
  addFolder();
  addFile();
  bd.GoToDepth(0);
  addFolder();
  bd.GoToDepth(0);
  EXPECT_EQ(Counting(bd.RootNode(), 0), 4);  // files below
  EXPECT_EQ(Counting(bd.RootNode(), 1), 8);  // one more than the 7 nodes below
  EXPECT_EQ(Counting(bd.RootNode(), 2), 12);
}

TEST(CatalogLayout, ItemPathThroughTheCursor) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "C", 1);
  auto addContainer = [&](const char* name, int kind) {
    int s = std::max(bd.SlotCount(), 1);
    bd.NewChild(s);
    bd.EnterChild(s);
    bd.NewChild(0);
    bd.ChildSetStr(0, kFieldName, name);
    bd.ChildSetInt(0, kFieldFlags, kind);
  };
  addContainer("Disk", ikDisk);
  addContainer("Docs", ikFolder);
  int s = bd.SlotCount();
  bd.NewChild(s);
  bd.ChildSetStr(s, kFieldName, "a.txt");
  bd.ChildSetInt(s, kFieldFlags, ikFile);
  EXPECT_EQ(ItemMediumPath(bd, s), "Docs\\a.txt");
  EXPECT_EQ(ItemMediumPath(bd, 99), "");
  bd.Up();
  EXPECT_EQ(ItemMediumPath(bd, 1), "Docs");
}

// The keyed sort must give exactly the permutation of the comparison sort, names beyond ASCII,
// names equal but for case and ignorable characters included.
TEST(CatalogLayout, KeyedSortOfScannedItemsMatchesTheComparisonSort) {
  const char* names[] = {"b.txt", "B.TXT",    "a-b",  "ab",   "a_b",
                         "Äpfel", "apfel",    "zeta", "Zeta", "10",
                         "9",     "",         "~x",   "x~",   "\xC3\xA9t\xC3\xA9",
                         "ete",   "\xFF\xFE", "dir"};
  TQDBase one, two;
  for (TQDBase* bd : {&one, &two}) {
    int slot = 1;
    for (const char* n : names)
      for (int kind = 0; kind < 3; ++kind) {
        bd->GoToDepth(0);
        bd->EnterChild(slot++);
        if (kind == 0) {
          bd->SetStr(kFieldName, n);
          bd->SetInt(kFieldFlags, ikFile);
        } else {
          bd->ChildSetStr(0, kFieldName, n);
          bd->ChildSetInt(
              0, kFieldFlags,
              kind == 1 ? MakeItemFlags(0, ikFolder, ifArchive) : MakeItemFlags(0, ikFolder));
        }
      }
    bd->GoToDepth(0);
  }
  one.SortSlots([&one](int i, int j) { return CompareScannedItems(one, i, j); }, 1);
  SortScannedItems(two);
  ASSERT_EQ(one.RootNode()->SlotCount, two.RootNode()->SlotCount);
  for (int i = 1; i < one.RootNode()->SlotCount; ++i) {
    const TNodeRec* a = NodeChild(one.RootNode(), i);
    const TNodeRec* b = NodeChild(two.RootNode(), i);
    EXPECT_EQ(ItemName(a), ItemName(b)) << i;
    EXPECT_EQ(ItemFlagsOf(a), ItemFlagsOf(b)) << i;
    EXPECT_EQ(b->NodeTag, 0);
  }
}
