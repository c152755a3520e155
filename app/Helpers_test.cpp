// SPDX-License-Identifier: MIT
#include "app/Helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "store/QDBase.h"

namespace {

// A small English table for the unit texts.
class WithTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    LangTable(TLangKind::English)
        .LoadFromText(
            "English\r\n10151=bytes\r\n10152=KB\r\n10153=MB\r\n10154=GB\r\n"
            "10131=File\r\n10132=Catalog\r\n10135=Folder\r\n10183=Fixed\r\n"
            "10161=File not found\r\n10173=Unknown error\r\n");
  }
  void TearDown() override { LangTable(TLangKind::English).Clear(); }
};

// Runs with TZ set to `tz`, restoring the previous value.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

}  // namespace

TEST(Helpers, SizeAsBytesGroupsDigits) {
  EXPECT_EQ(FormatSizeBytes(0), "0");
  EXPECT_EQ(FormatSizeBytes(123), "123");
  EXPECT_EQ(FormatSizeBytes(1000), "1 000");
  EXPECT_EQ(FormatSizeBytes(1234567), "1 234 567");
  EXPECT_EQ(FormatSizeBytes(-1234), "-1 234");
  EXPECT_EQ(FormatSizeBytes(-123), "-123");
  EXPECT_EQ(FormatSizeBytes(std::numeric_limits<int64_t>::min()), "-9 223 372 036 854 775 808");
}

TEST_F(WithTexts, SizeWithUnitsIsCutNotRounded) {
  EXPECT_EQ(FormatSizeUnits(1023), "1023 bytes");
  EXPECT_EQ(FormatSizeUnits(1024), "1.00 KB");
  EXPECT_EQ(FormatSizeUnits(1048575), "1023 KB");
  EXPECT_EQ(FormatSizeUnits(1536), "1.50 KB");
  EXPECT_EQ(FormatSizeUnits(15360), "15.0 KB");
  EXPECT_EQ(FormatSizeUnits(153600), "150 KB");
  EXPECT_EQ(FormatSizeUnits(10239), "9.99 KB");  // 9.999 cut, not 10.0
  EXPECT_EQ(FormatSizeUnits(102399), "99.9 KB");
  EXPECT_EQ(FormatSizeUnits(1048576), "1.00 MB");
  EXPECT_EQ(FormatSizeUnits(int64_t(5) << 30), "5.00 GB");
  EXPECT_EQ(FormatSizeUnits(int64_t(4096) << 30), "4096 GB");
  EXPECT_EQ(FormatSizeUnits(std::numeric_limits<int64_t>::max()), "8589934591 GB");
  EXPECT_EQ(FormatSizeUnits(-5), "-5 bytes");
  EXPECT_EQ(FormatSizeUnits(-5000000), "-5000000 bytes");
  EXPECT_EQ(FormatSizeUnits(1536, ","), "1,50 KB");
}

TEST(Helpers, DatesFormatAndConvert) {
  EXPECT_EQ(FormatDate(0), "30.12.1899");
  EXPECT_EQ(FormatDate(2), "01.01.1900");
  EXPECT_EQ(FormatDateTime(36526.75), "01.01.2000, 18:00");
  EXPECT_EQ(FormatDateTime(45000.5 + 1.0 / 1440 * 59.99), "15.03.2023, 12:59");
  EXPECT_EQ(FormatDate(std::nan("")), "");
  EXPECT_EQ(FormatDate(1e300), "");
  // Before 1899 the fraction is the time of day whatever the sign.
  EXPECT_EQ(FormatDateTime(-1.25), "29.12.1899, 06:00");
  TDateParts p{2024, 2, 29, 23, 59, 58, 0};
  EXPECT_EQ(FormatDateTime(EncodeDateTime(p)), "29.02.2024, 23:59");
  TDateParts back;
  ASSERT_TRUE(DecodeDateTime(EncodeDateTime(p), back));
  EXPECT_EQ(back.Second, 58);
  EXPECT_EQ(back.Day, 29);
}

TEST(Helpers, PosixTimesBecomeLocalDateTimes) {
  {
    TimeZone utc("UTC0");
    EXPECT_DOUBLE_EQ(TimeToDateTime(0), 25569.0);
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1700000000)), "14.11.2023, 22:13");
    timespec ts{1700000000, 500000000};
    EXPECT_NEAR(TimespecToDateTime(ts) - TimeToDateTime(1700000000), 0.5 / 86400, 1e-9);
  }
  {
    TimeZone cet("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1700000000)), "14.11.2023, 23:13");
    EXPECT_EQ(FormatDateTime(TimeToDateTime(1690000000)), "22.07.2023, 06:26");  // summer time
  }
  double now = NowDateTime();
  EXPECT_GT(now, 45000.0);
}

TEST_F(WithTexts, ItemTexts) {
  EXPECT_EQ(AttributeLetters((0x31 << 8) | ikFolder), "dra");
  EXPECT_EQ(AttributeLetters((0x3F << 8) | ikFile | WithCategory(0, 255)), "drhsa");
  // Flag bits beside the kind (archive, category) must not change the kind text.
  EXPECT_EQ(KindText(ikFile | ifInArchive | WithCategory(0, 9)), "File");
  EXPECT_EQ(KindText(150), "File");
  EXPECT_EQ(KindText(ikFolder | ifArchive), "Folder");
  EXPECT_EQ(KindText(5), "");
  EXPECT_EQ(DriveTypeText(3), "Fixed");
  EXPECT_EQ(DriveTypeText(0), "");
  EXPECT_EQ(ShellErrorText(2), "File not found");
  EXPECT_EQ(ShellErrorText(99), "Unknown error");
}

TEST(Helpers, FirstLineOfADescription) {
  EXPECT_EQ(FirstLine("  abc\r\ndef"), "abc [...]");
  EXPECT_EQ(FirstLine("\r\n\tabc"), "abc");
  EXPECT_EQ(FirstLine("one line"), "one line");
  EXPECT_EQ(FirstLine(""), "");
  EXPECT_EQ(FirstLine("a\rb"), "a [...]");
}

TEST(Helpers, FileNamePieces) {
  EXPECT_EQ(SafeFileName("a:b*c"), "a_b_c");
  EXPECT_EQ(SafeFileName("\"*/:<>?\\|"), "_________");
  EXPECT_EQ(SafeFileName(std::string("x\ty\x01", 4)), "x_y_");
  EXPECT_EQ(SafeFileName("Bücher é"), "Bücher é");
  EXPECT_EQ(NameWithoutExt("report.final.htm"), "report.final");
  EXPECT_EQ(NameExt("report.final.htm"), "htm");
  EXPECT_EQ(NameWithoutExt("README"), "README");
  EXPECT_EQ(NameExt("README"), "");
  EXPECT_EQ(NameWithoutExt("/my.dir/file"), "/my.dir/file");
  EXPECT_EQ(NameExt("C:\\my.dir\\file"), "");
  EXPECT_EQ(NameExt("/x/file."), "");
  // A leading dot of the final component does not start an extension.
  EXPECT_EQ(NameWithoutExt("/home/me/.hidden-file"), "/home/me/.hidden-file");
  EXPECT_EQ(NameExt("/home/me/.hidden-file"), "");
  EXPECT_EQ(NameExt("C:\\x\\.config.bak"), "bak");
  EXPECT_EQ(NameWithoutExt(".tar.gz"), ".tar");
  EXPECT_EQ(NameExt("."), "");
  EXPECT_EQ(NameWithoutExt(".."), "..");
  EXPECT_EQ(NameExt("..."), "");
}

TEST(Helpers, CaseInsensitiveComparison) {
  EXPECT_TRUE(AnsiSameText("Disk", "dISK"));
  EXPECT_FALSE(AnsiSameText("Disk", "Disks"));
  EXPECT_TRUE(AnsiSameText("ÄRGER", "ärger"));
  EXPECT_FALSE(AnsiSameText("arger", "ärger"));  // accents count
  EXPECT_FALSE(AnsiSameText("ß", "ss"));
  // Legacy single-byte names compare as bytes: two different bytes stay different.
  EXPECT_FALSE(AnsiSameText("caf\xe9", "caf\xe8"));
  EXPECT_TRUE(AnsiSameText("CAF\xe9", "caf\xe9"));
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(AnsiCompareText("banana", "Apple"), 0);
  EXPECT_LT(AnsiCompareText("ärger", "zebra"), 0);  // collation, not byte order
  EXPECT_EQ(AnsiCompareText("Same", "sAME"), 0);
}

TEST(Helpers, ShellTemplateSplit) {
  // A program path alone: the item is still passed.
  TShellCommand c = SplitShellTemplate("  /usr/bin/viewer  ", "/m/a b.txt", "/m");
  EXPECT_EQ(c.Program, "/usr/bin/viewer");
  EXPECT_EQ(c.Parameters, "\"/m/a b.txt\"");
  EXPECT_EQ(c.Arguments, std::vector<std::string>{"/m/a b.txt"});
  // A quoted program with a space and /open.
  c = SplitShellTemplate("\"/opt/My Viewer/run\" /open", "/m/x", "/m");
  EXPECT_EQ(c.Program, "/opt/My Viewer/run");
  EXPECT_EQ(c.Parameters, "/open \"/m/x\"");
  EXPECT_EQ(c.Arguments, (std::vector<std::string>{"/open", "/m/x"}));
  // %2 twice, and values that hold %1 are not searched again.
  c = SplitShellTemplate("tool --dir=%2 --again=%2 %1", "/m/%2file", "/m dir");
  EXPECT_EQ(c.Program, "tool");
  EXPECT_EQ(c.Parameters, "--dir=/m dir --again=/m dir /m/%2file");
  EXPECT_EQ(c.Arguments, (std::vector<std::string>{"--dir=/m dir", "--again=/m dir", "/m/%2file"}));
  // A quoted program without a closing quote is all program.
  c = SplitShellTemplate("\"/opt/x y", "/f", "/");
  EXPECT_EQ(c.Program, "/opt/x y");
  // A name holding quotes cannot add arguments.
  c = SplitShellTemplate("tool \"%1\"", "/m/a\" --evil \"b", "/m");
  EXPECT_EQ(c.Arguments, std::vector<std::string>{"/m/a\" --evil \"b"});
}

TEST(Helpers, SearchPathLookup) {
  std::set<std::string> present{"/opt/bin/tool", "/usr/bin/other"};
  auto exists = [&](const std::string& p) { return present.count(p) > 0; };
  EXPECT_EQ(FindOnSearchPath("tool", exists, "/usr/bin:/opt/bin"), "/opt/bin/tool");
  EXPECT_EQ(FindOnSearchPath("other", exists, "/usr/bin:/opt/bin"), "/usr/bin/other");
  EXPECT_EQ(FindOnSearchPath("missing", exists, "/usr/bin:/opt/bin"), "");
  EXPECT_EQ(FindOnSearchPath("/opt/bin/tool", exists, ""), "/opt/bin/tool");
  EXPECT_EQ(FindOnSearchPath("", exists, "/usr/bin"), "");
  EXPECT_NE(FindOnSearchPath("sh"), "");  // the real lookup finds the shell

  LangTable(TLangKind::English).LoadFromText("English\r\n10174=Cannot find %s\r\n");
  TShellCommand cmd;
  std::string error;
  EXPECT_TRUE(PrepareAlternativeShell("tool -v", "/m/f", "/m", cmd, error, exists, "/opt/bin"));
  EXPECT_EQ(cmd.Program, "/opt/bin/tool");
  EXPECT_EQ(cmd.Arguments, (std::vector<std::string>{"-v", "/m/f"}));
  EXPECT_FALSE(PrepareAlternativeShell("nothere %1", "/m/f", "/m", cmd, error, exists, "/opt/bin"));
  EXPECT_EQ(error, "Cannot find nothere");
  LangTable(TLangKind::English).Clear();
}

TEST(Helpers, CountingDefinition) {
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

TEST(Helpers, ColumnLayoutRoundTripAndDamagedRecords) {
  TQDBase bd;
  bd.NewChild(4);
  bd.EnterChild(4);  // the record node
  TColumnLayout saved;
  saved.Width = {100, 50, 70, 30};
  saved.Position = {2, 0, 3, 1};
  saved.SortColumn = 2;
  saved.SortDirection = 1;
  SaveColumnLayout(bd, saved);
  SaveColumnLayout(bd, saved);  // replacing the table, not appending to it
  EXPECT_EQ(bd.ChildSlotCount(0), 8);
  TColumnLayout loaded;
  loaded.Width = {1, 1, 1, 1};
  ASSERT_TRUE(LoadColumnLayout(bd, loaded));
  EXPECT_EQ(loaded.Width, saved.Width);
  EXPECT_EQ(loaded.Position, saved.Position);
  EXPECT_EQ(loaded.SortColumn, 2);
  EXPECT_EQ(loaded.SortDirection, 1);
  // A list with more columns than the record: the restoring ends at the first missing position,
  // the new column stays at the end with its default width.
  TColumnLayout wider;
  wider.Width = {1, 1, 1, 1, 9};
  ASSERT_TRUE(LoadColumnLayout(bd, wider));
  EXPECT_EQ(wider.Position, (std::vector<int>{2, 0, 3, 1, 4}));
  EXPECT_EQ(wider.Width[4], 9);
  // A damaged entry stops the restoring; a wild sort column is ignored.
  bd.EnterChild(0);
  bd.SetStr(2 * 3 + 1, "x");  // the position of column 3 is no integer
  bd.Up();
  bd.SetInt(1, 77);
  TColumnLayout partial;
  partial.Width = {1, 1, 1, 1};
  ASSERT_TRUE(LoadColumnLayout(bd, partial));
  EXPECT_EQ(partial.Position, (std::vector<int>{1, 0, 2, 3}));  // only p=0 restored
  EXPECT_EQ(partial.Width, (std::vector<int>{1, 50, 1, 1}));
  EXPECT_EQ(partial.SortColumn, 0);
  // No table: the defaults stay.
  bd.SetInt(0, 5);
  TColumnLayout none;
  none.Width = {3, 4};
  none.SortColumn = 1;
  EXPECT_FALSE(LoadColumnLayout(bd, none));
  EXPECT_EQ(none.Position, (std::vector<int>{0, 1}));
  EXPECT_EQ(none.SortColumn, 1);
}

TEST(Helpers, ItemPathThroughTheCursor) {
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
