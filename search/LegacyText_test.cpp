// SPDX-License-Identifier: MIT
// Catalogs whose names and descriptions are stored in a legacy code page: the list texts, the
// search and the sort see the decoded text, with each catalog's own page.
#include <gtest/gtest.h>

#include "catalog/CatalogText.h"
#include "platform/TextCase.h"
#include "search/FindParams.h"
#include "search/ItemTexts.h"
#include "search/ListSort.h"
#include "search/SearchTestUtil.h"
#include "search/SearchWalk.h"

namespace {

// "Пример", "Отчёт", "архив", "Бета" in Windows-1251; "café", "Ærø" in Windows-1252.
const std::string kPrimer = "\xCF\xF0\xE8\xEC\xE5\xF0";
const std::string kReport = "\xCE\xF2\xF7\xB8\xF2";
const std::string kArchive = "\xE0\xF0\xF5\xE8\xE2";
const std::string kBeta = "\xC1\xE5\xF2\xE0";
const std::string kCafe = "caf\xE9";
const std::string kAero = "\xC6r\xF8";

class LegacyTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ru = b.Catalog("Russian");
    SetFileName(ru, "/cat/ru.ctl");
    TNodeRec* disk = b.Disk(ru, "Disk " + kPrimer);
    folder = b.Folder(disk, kPrimer);
    report =
        b.File(folder, kReport + ".txt", 10, ikFile, 0, "\xE3\xEE\xE4\xEE\xE2\xEE\xE9 " + kReport);
    archive = b.File(folder, kArchive + ".zip", 20);
    beta = b.File(folder, kBeta + ".doc", 30);
    utf8 = b.File(folder, "Пробный.txt", 40);  // a UTF-8 name beside legacy siblings
    b.Categories(ru, {"\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB"});  // "Документы"
    b.SetFlags(report, ikFile | (1 << 24));

    west = b.Catalog("Western");
    SetFileName(west, "/cat/west.ctl");
    TNodeRec* wdisk = b.Disk(west, "CD");
    cafe = b.File(wdisk, kCafe + ".txt", 1, ikFile, 0, kAero);

    decoders.SetAll(TTextDecoder("1252"));
    decoders.SetForFile("/cat/ru.ctl", TTextDecoder("windows-1251"));
  }
  void SetFileName(TNodeRec* catalog, const std::string& file) {
    b.bd.GoToNode(catalog);
    b.bd.ChildSetStr(0, kCatFileName, file);
  }
  std::vector<std::string> Found(std::string_view maskText, bool inDesc = false,
                                 std::string_view category = {}) {
    TFindControls c;
    c.MaskText = maskText;
    c.InNames = !inDesc;
    c.InDescriptions = inDesc;
    TFindParams p = CompileCriteria(c);
    TSearchWalk walk(b.bd, p);
    walk.Decoders = &decoders;
    walk.Run(nullptr, category);
    std::vector<std::string> names;
    for (const TNodeRec* n : b.bd.MarkList(mlFound)) names.push_back(decoders.Text(n, ItemName(n)));
    return names;
  }

  TCatalogBuilder b;
  TCatalogDecoders decoders;
  TNodeRec *ru, *west, *folder, *report, *archive, *beta, *utf8, *cafe;
};

TEST_F(LegacyTextTest, RowTextsAreDecodedWithTheirCatalogsPage) {
  TRowTextOptions o;
  o.Decoders = &decoders;
  TItemRowTexts r = ItemRowTexts(report, o);
  EXPECT_EQ(r.Name, "Отчёт");
  EXPECT_EQ(r.Extension, "txt");
  EXPECT_EQ(r.Description, "годовой Отчёт");
  EXPECT_EQ(r.DiskName, "Disk Пример");
  EXPECT_EQ(r.Path, "\\Пример\\");
  EXPECT_EQ(r.Category, "Документы");
  EXPECT_EQ(ItemRowTexts(utf8, o).Name, "Пробный");  // UTF-8 stays as it is
  TItemRowTexts w = ItemRowTexts(cafe, o);
  EXPECT_EQ(w.Name, "café");
  EXPECT_EQ(w.Description, "Ærø");
  // Without a choice every catalog reads as Windows-1252; the stored bytes never change.
  EXPECT_EQ(ItemRowTexts(report, {}).Name, "Îò÷¸ò");
  EXPECT_EQ(ItemName(report), kReport + ".txt");
}

TEST_F(LegacyTextTest, SearchMatchesDecodedTextIgnoringCase) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Found("пример"), (V{"Disk Пример", "Пример"}));
  EXPECT_EQ(Found("ОТЧЁТ*"), (V{"Отчёт.txt"}));
  EXPECT_EQ(Found("*.zip"), (V{"архив.zip"}));
  EXPECT_EQ(Found("АРХИВ"), (V{"архив.zip"}));
  EXPECT_EQ(Found("пр?бный*"), (V{"Пробный.txt"}));
  EXPECT_EQ(Found("CAFÉ"), (V{"café.txt"}));
  EXPECT_EQ(Found("годовой", true), (V{"Отчёт.txt"}));
  EXPECT_EQ(Found("ærø", true), (V{"café.txt"}));
  // The category filter takes the name as shown.
  EXPECT_EQ(Found("", false, "Документы"), (V{"Отчёт.txt"}));
}

TEST_F(LegacyTextTest, SortOrdersDecodedText) {
  b.bd.ClearMarkList(mlFound);
  for (TNodeRec* n : {beta, utf8, report, archive}) b.Mark(mlFound, n);
  SortResults(b.bd, mlFound, rcName, false, nullptr, &decoders);
  std::vector<std::string> names;
  for (const TNodeRec* n : b.bd.MarkList(mlFound)) names.push_back(decoders.Text(n, ItemName(n)));
  // Raw bytes would put "Б" (0xC1) before "а" (0xE0) and the UTF-8 name last.
  EXPECT_EQ(names, (std::vector<std::string>{"архив.zip", "Бета.doc", "Отчёт.txt", "Пробный.txt"}));
  EXPECT_LT(CompareListRows(TListLayout::Results, archive, beta, rcName, false, &decoders), 0);
  EXPECT_LT(CompareListRows(TListLayout::Results, report, utf8, rcName, false, &decoders), 0);
}

// Reading, searching and sorting decode only what they show: the image saved again is the image
// loaded, byte for byte.
TEST_F(LegacyTextTest, TheImageSavedAgainIsByteIdentical) {
  b.bd.GoToNode(ru);
  std::string image;
  b.bd.SaveToString(image);
  TQDBase loaded;
  InitCatalogStore(loaded);
  std::string copy = image;
  ASSERT_TRUE(loaded.LoadFromString(copy));
  // Loaded on its own, the catalog is the root of the store: one page for everything.
  TCatalogDecoders russian{TTextDecoder("1251")};
  TNodeRec* catalog = loaded.CurrentNode();
  TRowTextOptions o;
  o.Decoders = &russian;
  std::vector<TNodeRec*> items;
  std::vector<TNodeRec*> stack{catalog};
  while (!stack.empty()) {
    TNodeRec* n = stack.back();
    stack.pop_back();
    for (int i = 1; i < n->SlotCount; ++i)
      if (TNodeRec* item = NodeChild(n, i)) {
        items.push_back(item);
        if (IsContainer(item)) stack.push_back(item);
        EXPECT_TRUE(IsValidUtf8(ItemRowTexts(item, o).Name));
      }
  }
  for (TNodeRec* item : items) {
    loaded.GoToNode(item);
    loaded.AddMark(mlFound);
  }
  SortResults(loaded, mlFound, rcPath, true, nullptr, &russian);
  TFindControls c;
  c.MaskText = "пример";
  TFindParams p = CompileCriteria(c);
  TSearchWalk walk(loaded, p);
  walk.Decoders = &russian;
  EXPECT_EQ(walk.Run(catalog, {}), 2);  // "Disk Пример" and "Пример"
  loaded.GoToNode(catalog);
  std::string again;
  loaded.SaveToString(again);
  EXPECT_EQ(again, image);
}

}  // namespace
