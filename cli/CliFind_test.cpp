// SPDX-License-Identifier: MIT
// tolvane-cli find: the rows found by masks and criteria, their order, the catalog column, the
// report form, and the refusal of option values it cannot use.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

const char* kDisk = "Disk1\tDisk\t15\t\t<now>\t\t";
const char* kSub = "Disk1\\sub\tFolder\t8\td\t04.03.2020, 05:06\t\t";
const char* kWeird = "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\t\t";
const char* kA = "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello";
const char* kB = "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t";
const char* kTab = "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\t";
const char* kNl = "Disk1\\nl%0Aname\tFile\t1\ta\t04.03.2020, 05:06\t\t";

class CliFindTest : public ::testing::Test {
 protected:
  void SetUp() override { c_ = MakeSmallCatalog("cli-find"); }
  // The rows `find CATALOG args...` prints, dates masked; checks that it succeeds silently.
  std::vector<std::string> Find(std::vector<std::string> args) {
    args.insert(args.begin(), {"find", c_.Catalog});
    TCliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    return Lines(MaskNow(r.Out));
  }
  using TRows = std::vector<std::string>;
  TSmallCatalog c_;
};

TEST_F(CliFindTest, MasksAndCriteriaSelectTheRows) {
  // Every item; containers before files, each by name.
  EXPECT_EQ(Find({""}), (TRows{kDisk, kSub, kWeird, kA, kB, kNl, kTab}));
  // Masks cut at spaces; a text without wildcards is searched inside names.
  EXPECT_EQ(Find({"*.dat a.*"}), (TRows{kA, kB}));
  EXPECT_EQ(Find({"ird"}), (TRows{kWeird}));
  EXPECT_EQ(Find({"nomatch"}), TRows{});
  // Descriptions.
  EXPECT_EQ(Find({"hello", "--in", "desc"}), (TRows{kA}));
  EXPECT_EQ(Find({"hello"}), TRows{});
  EXPECT_EQ(Find({"hello a.txt", "--in", "both"}), (TRows{kA}));
  // Size, attributes, dates (the end day is excluded), category.
  EXPECT_EQ(Find({"", "--size", ">5"}), (TRows{kDisk, kSub, kB}));
  EXPECT_EQ(Find({"", "--size", "=5B"}), (TRows{kA}));
  EXPECT_EQ(Find({"", "--size", "<1KB", "--attr", "d-"}), (TRows{kA, kB, kNl, kTab}));
  // A disk counts as a folder for the attribute d.
  EXPECT_EQ(Find({"", "--attr", "d+"}), (TRows{kDisk, kSub, kWeird}));
  EXPECT_EQ(Find({"", "--date-to", "04.03.2020"}), TRows{});
  EXPECT_EQ(Find({"", "--date-from", "04.03.2020", "--date-to", "05.03.2020"}),
            (TRows{kSub, kWeird, kA, kB, kNl, kTab}));
  ASSERT_EQ(RunCli({"set-category", c_.Catalog, "Disk1\\sub", "Data", "-R"}).Status, 0);
  EXPECT_EQ(Find({"", "--category", "Data"}),
            (TRows{"Disk1\\sub\tFolder\t8\td\t04.03.2020, 05:06\tData\t",
                   "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\tData\t"}));
  // Scope, limit.
  EXPECT_EQ(Find({"", "--scope", "DISK1\\we%5cird"}), (TRows{kTab}));
  EXPECT_EQ(Find({"", "--limit", "0"}), TRows{});
  EXPECT_EQ(Find({"*.*", "--limit", "1"}).size(), 1u);
}

TEST_F(CliFindTest, OrderCatalogColumnAndSeveralCatalogs) {
  EXPECT_EQ(Find({"", "--attr", "d-", "--sort", "size"}), (TRows{kNl, kTab, kA, kB}));
  EXPECT_EQ(Find({"", "--attr", "d-", "--sort", "size", "--desc"}), (TRows{kB, kA, kTab, kNl}));
  EXPECT_EQ(Find({"", "--attr", "d-", "--sort", "path"}), (TRows{kA, kNl, kB, kTab}));

  // A second catalog, named with a TAB: its rows follow, the catalog column escaped.
  std::string other = c_.Dir + "/other.ctl";
  ASSERT_EQ(RunCli({"new", other, "--name", "Other\tone"}).Status, 0);
  ASSERT_EQ(RunCli({"add", other, c_.Medium + "/sub", "--name", "Disk2", "--quiet"}).Status, 0);
  TCliResult both = RunCli({"find", c_.Catalog, other, "*.dat", "--catalog-column"});
  EXPECT_EQ(both.Status, 0) << both.Err;
  EXPECT_EQ(MaskNow(both.Out),
            "c\tDisk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n"
            "Other\\tone\tDisk2\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n");
}

TEST_F(CliFindTest, ReportFileInsteadOfRows) {
  std::string out = c_.Dir + "/found.txt";
  TCliResult r =
      RunCli({"find", c_.Catalog, "*.dat", "--report", "txt-tab", "-o", out, "--title", "Data"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "");
  std::string text = ReadWhole(out);
  EXPECT_NE(text.find("b\tdat\t8\t04.03.2020, 05:06\tDisk1\t"), std::string::npos) << text;
  EXPECT_NE(text.find("Data"), std::string::npos);
  EXPECT_EQ(text.find("a.txt"), std::string::npos);
  // An output folder that does not exist.
  TCliResult nowhere = RunCli({"find", c_.Catalog, "", "--report", "html", "-o", c_.Dir + "/no/r"});
  EXPECT_EQ(nowhere.Status, 1);
  EXPECT_EQ(nowhere.Err.rfind("tolvane-cli find: " + c_.Dir + "/no/r: ", 0), 0u) << nowhere.Err;
}

TEST_F(CliFindTest, UnusableOptionValuesAreRefused) {
  const std::string other = c_.Dir + "/other.ctl";
  ASSERT_EQ(RunCli({"new", other}).Status, 0);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--in", "titles"}, "--in takes names, desc or both"},
      {{"--date-from", "2020-03-04"}, "--date-from takes a date DD.MM.YYYY"},
      {{"--date-to", "32.01.2020"}, "--date-to takes a date DD.MM.YYYY"},
      {{"--size", "5"}, "--size takes =N, >N or <N with an optional unit B, KB or MB"},
      {{"--attr", "x+"}, "--attr takes letters of r h s d a each followed by + or -, such as r+h-"},
      {{"--limit", "-1"}, "--limit takes a whole number from 0 to 2147483647"},
      {{"--limit", "2147483648"}, "--limit takes a whole number from 0 to 2147483647"},
      {{"--sort", "colour"},
       "--sort takes name, ext, size, date, disk, type, path, desc or category"},
      {{"--report", "pdf", "-o", "x"}, "--report takes html, txt, txt-tab or txt-comma"},
      {{"--report", "txt"}, "--report needs an output file (-o FILE)"},
      {{"-o", "x"}, "-o and --title belong to --report"},
      {{"--title", "T"}, "-o and --title belong to --report"},
  };
  for (const auto& [options, message] : cases) {
    std::vector<std::string> args{"find", c_.Catalog, ""};
    args.insert(args.end(), options.begin(), options.end());
    TCliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 2) << options[0];
    EXPECT_EQ(r.Out, "") << options[0];
    EXPECT_EQ(r.Err, "tolvane-cli find: " + message + "\n");
  }
  TCliResult scope2 = RunCli({"find", c_.Catalog, other, "", "--scope", "Disk1"});
  EXPECT_EQ(scope2.Status, 2);
  EXPECT_EQ(scope2.Err, "tolvane-cli find: --scope needs exactly one catalog\n");
  // A scope that is missing or no container.
  for (const char* scope : {"Disk9", "Disk1\\a.txt"}) {
    TCliResult r = RunCli({"find", c_.Catalog, "", "--scope", scope});
    EXPECT_EQ(r.Status, 2) << scope;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "tolvane-cli find: no container \"" + std::string(scope) + "\" in " +
                         c_.Catalog + "\n");
  }
  EXPECT_FALSE(fs::exists("x"));
}

}  // namespace
