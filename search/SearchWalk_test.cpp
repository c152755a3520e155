// SPDX-License-Identifier: MIT
#include "search/SearchWalk.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/DateTime.h"
#include "search/DigitEdit.h"
#include "search/SearchTestUtil.h"

namespace {

bool MaskTextMatches(std::string_view maskText, std::string_view text) {
  return TMaskSet(CompileMasks(maskText)).MatchesAnyMask(text);
}

TEST(MaskCompiling, CutsAtSpacesAndWrapsPlainText) {
  using V = std::vector<std::string>;
  EXPECT_EQ(CompileMasks("*.txt *.doc"), (V{"*.txt", "**.doc*"}));
  EXPECT_EQ(CompileMasks("a  b"), (V{"a", "", "*b*"}));
  EXPECT_EQ(CompileMasks(""), (V{"**"}));
  EXPECT_EQ(CompileMasks("read"), (V{"*read*"}));
  EXPECT_EQ(CompileMasks("re?d"), (V{"re?d"}));
  EXPECT_EQ(CompileMasks("x "), (V{"x"}));  // a trailing space leaves the last word unwrapped
  EXPECT_EQ(CompileMasks(" x"), (V{"", "*x*"}));
  EXPECT_EQ(CompileMasks("a;b,c"), (V{"*a;b,c*"}));  // no other separators
  std::string many;
  for (int i = 0; i < 150; ++i) many += "m" + std::to_string(i) + " ";
  auto masks = CompileMasks(many);
  ASSERT_EQ(masks.size(), 100u);
  EXPECT_EQ(masks.back(), "m99");
}

TEST(MaskCompiling, WildcardExamplesThroughTheMaskText) {
  EXPECT_TRUE(MaskTextMatches("", "anything.bin"));
  EXPECT_TRUE(MaskTextMatches("", ""));
  EXPECT_TRUE(MaskTextMatches("*", ""));
  EXPECT_TRUE(MaskTextMatches("read", "README.TXT"));
  EXPECT_TRUE(MaskTextMatches("read", "thread.c"));
  EXPECT_TRUE(MaskTextMatches("read*", "README.TXT"));
  EXPECT_FALSE(MaskTextMatches("read*", "thread.c"));
  EXPECT_TRUE(MaskTextMatches("read*", "rea"));  // the matcher's end-of-text quirk
  EXPECT_TRUE(MaskTextMatches("*.TXT", "notes.txt"));
  EXPECT_TRUE(MaskTextMatches("?.TXT", "A.TXT"));
  EXPECT_FALSE(MaskTextMatches("?.TXT", "AB.TXT"));
  EXPECT_TRUE(MaskTextMatches("A*B*C", "AXBYC"));
  EXPECT_FALSE(MaskTextMatches("A*B*C", "AXBY"));
  EXPECT_TRUE(MaskTextMatches("ABC*D*", "ABC"));
  EXPECT_FALSE(MaskTextMatches("ABC?", "ABC"));
  EXPECT_FALSE(MaskTextMatches("*ABCDE", "BCDE"));
  EXPECT_TRUE(MaskTextMatches("ABC*BCD", "ABCD"));
  EXPECT_TRUE(MaskTextMatches("*.txt *.doc", "report.DOCX"));  // '**.doc*'
  EXPECT_FALSE(MaskTextMatches("*.txt *.doc ", "report.docx"));
  // 'a  b': the empty mask matches only an empty text.
  EXPECT_TRUE(MaskTextMatches("a  b", ""));
  EXPECT_FALSE(MaskTextMatches("a  b", "c"));
  EXPECT_TRUE(MaskTextMatches("a  b", "xbx"));
  EXPECT_TRUE(MaskTextMatches("über", "Grüße ÜBERALL"));
}

TEST(MaskCompiling, FastFormsAgreeWithWildMatch) {
  // Letters and the characters just outside a-z and A-Z ("@", "[", "`", "{"), non-ASCII letters
  // whose upper case is ASCII ("ı"), and long texts for the eight-byte path.
  const std::vector<std::string> pieces = {"a", "B",  "c", ".", "*", "?", "ä", "Ä", "ı",
                                           "I", "ab", "z", "Z", "@", "[", "`", "{", "~"};
  std::mt19937 rng(7);
  auto random = [&](int maxLen) {
    std::string s;
    int len = static_cast<int>(rng() % static_cast<unsigned>(maxLen + 1));
    for (int i = 0; i < len; ++i) s += pieces[rng() % pieces.size()];
    return s;
  };
  std::vector<std::string> masks;
  for (int i = 0; i < 300; ++i) {
    std::string core = random(3);
    switch (i % 4) {
      case 0:
        masks.push_back("*" + core + "*");
        break;
      case 1:
        masks.push_back("*" + core);
        break;
      case 2:
        masks.push_back(core + "*");
        break;
      default:
        masks.push_back(random(5));
        break;
    }
  }
  for (const auto& m : masks) {
    TSearchMask fast(m);
    for (int k = 0; k < 60; ++k) {
      std::string t = random(k % 2 ? 6 : 20);
      ASSERT_EQ(fast.Match(t), WildMatch(t, m)) << "mask '" << m << "' text '" << t << "'";
    }
  }
}

double Day(int y, int m, int d, int hh = 0, int mm = 0) {
  return EncodeDateTime({y, m, d, hh, mm, 0, 0});
}

struct WalkTest : ::testing::Test {
  TCatalogBuilder b;
  TNodeRec *cat, *cat2, *disk, *music, *zip, *inZip, *song, *notes, *big, *dated;
  void SetUp() override {
    cat = b.Catalog("One");
    b.Categories(cat, {"Audio", "Docs"});
    disk = b.Disk(b.Group(cat, "Shelf"), "CD1", 5);
    music = b.Folder(disk, "Music");
    song = b.File(music, "song.mp3", 1024, WithCategory(MakeItemFlags(kAttrArchive, ikFile), 1), 0,
                  "Best of\r\nsecond line");
    zip = b.Folder(disk, "data.zip", ifArchive);
    inZip = b.File(zip, "data.txt", 5, MakeItemFlags(0, ikFile, ifInArchive));
    notes = b.File(disk, "notes.txt", 1023, MakeItemFlags(kAttrReadOnly | kAttrHidden, ikFile));
    big = b.File(disk, "big.iso", int64_t(3000) * 1048576 + 1);
    dated = b.File(disk, "dated.dat", 0, ikFile, Day(2004, 3, 5), "");
    cat2 = b.Catalog("Two");
    b.Categories(cat2, {"Docs"});
    TNodeRec* d2 = b.Disk(cat2, "HD", 3);
    b.File(d2, "song2.mp3", 1024, WithCategory(ikFile, 1));
  }
  std::vector<std::string> Found() {
    std::vector<std::string> names;
    for (TNodeRec* n : b.bd.MarkList(mlFound)) names.emplace_back(ItemName(n));
    return names;
  }
  std::vector<std::string> Run(TFindControls c, const TNodeRec* scope = nullptr,
                               std::string_view category = {}) {
    TFindParams p = CompileCriteria(c);
    TSearchWalk walk(b.bd, p);
    walk.Run(scope, category);
    return Found();
  }
};

using V = std::vector<std::string>;

TEST_F(WalkTest, NamesDescriptionsAndScope) {
  TFindControls c;
  c.MaskText = "*.mp3";
  EXPECT_EQ(Run(c), (V{"song.mp3", "song2.mp3"}));
  c.InNames = false;
  c.MaskText = "second";  // a later line of a multi-line description
  EXPECT_EQ(Run(c), (V{"song.mp3"}));
  c.InNames = true;
  c.MaskText = "";
  // Everything below the scope node, never the node itself.
  EXPECT_EQ(Run(c, music), (V{"song.mp3"}));
  EXPECT_EQ(Run(c).size(), 11u);  // groups, disks, folders, files of both catalogs
  b.bd.GoToNode(b.bd.RootNode());
  EXPECT_EQ(b.bd.CurrentNode(), b.bd.RootNode());
}

TEST_F(WalkTest, ArchivesOffTestsTheArchiveButNotItsContents) {
  TFindControls c;
  c.MaskText = "data";
  EXPECT_EQ(Run(c), (V{"data.zip", "data.txt"}));
  c.InArchives = false;
  EXPECT_EQ(Run(c), (V{"data.zip"}));
}

TEST_F(WalkTest, DateBoundsAreMidnights) {
  b.File(disk, "late.dat", 0, ikFile, Day(2004, 3, 5, 0, 1));
  b.File(disk, "first.dat", 0, ikFile, Day(2004, 3, 1));
  TFindControls c;
  c.MaskText = "*.dat";
  c.DateOn = true;
  c.DateFrom = Day(2004, 3, 1, 15, 30);  // time of day removed
  c.DateTo = Day(2004, 3, 5, 23, 59);
  EXPECT_EQ(Run(c), (V{"dated.dat", "first.dat"}));
}

TEST_F(WalkTest, SizesIn64Bits) {
  TFindControls c;
  c.SizeOn = true;
  c.SizeOp = soEqual;
  c.SizeValue = 1;
  c.SizeUnit = 1;
  EXPECT_EQ(Run(c), (V{"song.mp3", "song2.mp3"}));
  c.SizeOp = soLess;
  c.SizeValue = 0;
  c.SizeUnit = 0;
  EXPECT_EQ(Run(c), V{});
  c.SizeOp = soGreater;
  c.SizeValue = 3000;
  c.SizeUnit = 2;
  EXPECT_EQ(CompileCriteria(c).SizeLimit, int64_t(3000) * 1048576);
  // Containers compare by their stored total; only the file is above 3000 MB here.
  EXPECT_EQ(Run(c), (V{"big.iso"}));
  EXPECT_EQ(SizeLimitOf(INT64_MAX / 2, 2), INT64_MAX);
}

TEST_F(WalkTest, AttributesWithGreyBoxes) {
  TFindControls c;
  c.AttrOn = true;  // all grey: everything passes
  EXPECT_EQ(Run(c).size(), 11u);
  c.Directory = TCheck::Checked;  // catalogs, groups, disks count as directories; files never
  EXPECT_EQ(Run(c), (V{"Shelf", "CD1", "Music", "data.zip", "HD"}));
  c.Directory = TCheck::Unchecked;
  c.ReadOnly = TCheck::Checked;
  c.Hidden = TCheck::Checked;
  EXPECT_EQ(Run(c), (V{"notes.txt"}));
  c.Hidden = TCheck::Unchecked;
  EXPECT_EQ(Run(c), V{});
  c = {};
  c.AttrOn = true;
  c.Archive = TCheck::Checked;
  EXPECT_EQ(Run(c), (V{"song.mp3"}));
}

TEST_F(WalkTest, CategoriesPerCatalog) {
  TFindControls c;
  c.MaskText = "*.mp3";
  // "Docs" is entry 2 in catalog One and entry 1 in catalog Two.
  EXPECT_EQ(Run(c, nullptr, "Audio"), (V{"song.mp3"}));
  EXPECT_EQ(Run(c, nullptr, "Docs"), (V{"song2.mp3"}));
  EXPECT_EQ(Run(c, nullptr, "docs"), V{});  // letter case counts
  EXPECT_EQ(CategoryFilterFor(cat2, "Audio"), kNoSuchCategory);
  EXPECT_EQ(CategoryFilterFor(cat2, ""), 0);
  // An item carrying category 255 does not pass a filter for a category its catalog lacks.
  b.File(disk, "odd.mp3", 1, WithCategory(ikFile, 255));
  EXPECT_EQ(Run(c, nullptr, "Missing"), V{});
}

TEST_F(WalkTest, ResultLimitAndProgress) {
  TNodeRec* many = b.Folder(disk, "many");
  for (int i = 0; i < 3000; ++i) b.File(many, "f" + std::to_string(i) + ".log");
  TFindControls c;
  c.MaskText = "*.log";
  c.StopOn = true;
  c.StopCount = 1000;
  TFindParams p = CompileCriteria(c);
  TSearchWalk walk(b.bd, p);
  walk.Tick = [&] { return static_cast<uint32_t>(walk.Visited * 5); };  // 5 ms per item
  int calls = 0;
  walk.OnProgress = [&](int64_t visited, int64_t total, int) {
    ++calls;
    EXPECT_LE(visited, total);
  };
  EXPECT_EQ(walk.Run(nullptr, {}), 1000);
  EXPECT_EQ(b.bd.MarkCount(mlFound), 1000);
  EXPECT_EQ(walk.Total, 3014);  // both catalogs, containers counted
  // At most one report per 20 ms of the walk's 5 ms per item, and some reports.
  EXPECT_LE(calls, static_cast<int>(walk.Visited * 5 / 20) + 1);
  EXPECT_GE(calls, 2);
  EXPECT_EQ(CountItems(many, false), 3000);
  EXPECT_EQ(CountItems(cat, true), 3011);
}

TEST(DigitEdit, ValueRulesAndKeystrokes) {
  EXPECT_EQ(DigitEditValue(""), 0);
  EXPECT_EQ(DigitEditValue("abc"), 0);
  EXPECT_EQ(DigitEditValue("0x10"), 0);
  EXPECT_EQ(DigitEditValue(" 42 "), 42);
  EXPECT_EQ(DigitEditValue("2.5"), 2);  // halves to even
  EXPECT_EQ(DigitEditValue("3.5"), 4);
  EXPECT_EQ(DigitEditValue("99999999999"), 2147483647);
  TDigitEdit e;
  for (char k : std::string("12a3")) e.KeyPress(k);
  EXPECT_EQ(e.Text, "123");
  EXPECT_EQ(e.InputErrors, 1);
  e.KeyPress(8);
  EXPECT_EQ(e.Text, "12");

  TDigitEdit size;
  size.MaxValue = 2000000000;
  size.MaxLength = 10;
  for (char k : std::string("2000000001")) size.KeyPress(k);
  EXPECT_EQ(size.Text, "200000000");
  EXPECT_EQ(size.SelStart, 0u);
  EXPECT_EQ(size.SelLength, 9u);  // the refused keystroke selects everything

  TDigitEdit stop;
  stop.MaxValue = 999999;
  stop.MaxLength = 6;
  for (char k : std::string("1234567")) stop.KeyPress(k);
  EXPECT_EQ(stop.Text, "123456");
  stop.SetMaxValue(1000);
  EXPECT_EQ(stop.Value(), 1000);
}

}  // namespace
