// SPDX-License-Identifier: MIT
// Catalogs made on older systems, their names and descriptions stored in Windows-1251 and
// Windows-1252: every command prints them decoded with the code page of the run (--codepage, else
// the program's setting), finds them by their decoded names and leaves the stored bytes alone.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Options.h"
#include "app/Settings.h"
#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/CliTestUtil.h"
#include "platform/TextCase.h"

namespace fs = std::filesystem;

namespace {

// "Пример", "Отчёт", "Бета", "архив", "Документы", "годовой Отчёт" in Windows-1251.
const std::string kPrimer = "\xCF\xF0\xE8\xEC\xE5\xF0";
const std::string kReport = "\xCE\xF2\xF7\xB8\xF2";
const std::string kBeta = "\xC1\xE5\xF2\xE0";
const std::string kArchive = "\xE0\xF0\xF5\xE8\xE2";
const std::string kDocuments = "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB";
const std::string kAnnual = "\xE3\xEE\xE4\xEE\xE2\xEE\xE9 " + kReport;

TEST(CliCodePageTest, TakesTheOptionFromAnyCommandsArguments) {
  std::vector<std::string> args{"c.ctl", "--codepage", "1251", "-R", "--", "--codepage=x"};
  std::string page, error;
  ASSERT_TRUE(TakeCodePageOption(args, page, error)) << error;
  EXPECT_EQ(page, "WINDOWS-1251");
  EXPECT_EQ(args, (std::vector<std::string>{"c.ctl", "-R", "--", "--codepage=x"}));
  args = {"--codepage=cp1252", "c.ctl", "--codepage=windows-1250"};  // the last one counts
  ASSERT_TRUE(TakeCodePageOption(args, page, error));
  EXPECT_EQ(page, "WINDOWS-1250");
  EXPECT_EQ(args, (std::vector<std::string>{"c.ctl"}));
  args = {"c.ctl"};
  page = "kept";
  ASSERT_TRUE(TakeCodePageOption(args, page, error));
  EXPECT_EQ(page, "kept");
  args = {"c.ctl", "--codepage", "klingon"};
  EXPECT_FALSE(TakeCodePageOption(args, page, error));
  EXPECT_NE(error.find("unknown code page \"klingon\""), std::string::npos) << error;
  args = {"c.ctl", "--codepage"};
  EXPECT_FALSE(TakeCodePageOption(args, page, error));
  EXPECT_EQ(error, "option --codepage needs a value");
}

class CliCodePageRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = CliScratchDir("cli-codepage");
    catalog_ = dir_ + "/old.ctl";
    // The settings of the runs: a folder of this test's own, without a settings file at first.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg) oldXdg_ = xdg;
    hadXdg_ = xdg != nullptr;
    ::setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);

    TQDBase bd;
    InitCatalogStore(bd);
    TNodeRec* catalog = nullptr;
    CreateCatalogNode(bd, "Old " + kPrimer, 1);
    catalog = bd.CurrentNode();
    bd.EnterChild(0);
    bd.EnterChild(kCatCategories);
    bd.ChildSetStr(1, kEntryName, kDocuments);
    bd.GoToNode(catalog);
    TNodeRec* disk = AddContainer(bd, "Disk", ikDisk);
    bd.GoToNode(disk);
    TNodeRec* folder = AddContainer(bd, kPrimer, ikFolder | (kAttrDirectory << 8));
    bd.GoToNode(folder);
    for (const std::string& name : {kReport + ".txt", kBeta + ".doc", kArchive + ".zip",
                                    std::string("Пробный.txt"), std::string("caf\xE9.txt")})
      AddFile(bd, name, 10);
    bd.GoToNode(NodeChild(folder, 1));  // the report
    bd.SetStr(kFieldDescription, kAnnual);
    bd.SetInt(kFieldFlags, ikFile | (1 << 24));
    bd.GoToNode(catalog);  // the image of a catalog file is the catalog node's
    bd.Signature = "Vrt base";
    bd.SaveToString(image_);
    std::ofstream(catalog_, std::ios::binary) << image_;
  }
  void TearDown() override {
    if (hadXdg_)
      ::setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
  }
  // The TSV rows' path column of `ls -R` with `extra` arguments.
  std::vector<std::string> Paths(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"ls", catalog_, "-R", "--tsv"};
    args.insert(args.end(), extra.begin(), extra.end());
    TCliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(IsValidUtf8(r.Out));
    std::vector<std::string> paths;
    for (const std::string& line : Lines(r.Out)) paths.push_back(TsvFields(line)[0]);
    return paths;
  }

  std::string dir_, catalog_, image_, oldXdg_;
  bool hadXdg_ = false;
};

TEST_F(CliCodePageRunTest, ListsFindsSortsAndReportsTheDecodedText) {
  using V = std::vector<std::string>;
  // A legacy Windows-1252 name beside them reads wrong in Windows-1251 and right in 1252: each
  // run has one page; UTF-8 names read right in both.
  EXPECT_EQ(Paths({"--codepage", "1251"}),
            (V{"Disk", "Disk\\Пример", "Disk\\Пример\\Отчёт.txt", "Disk\\Пример\\Бета.doc",
               "Disk\\Пример\\архив.zip", "Disk\\Пример\\Пробный.txt", "Disk\\Пример\\cafй.txt"}));
  EXPECT_EQ(Paths({"--codepage=cp1252"})[6], "Disk\\Ïðèìåð\\café.txt");

  TCliResult row =
      RunCli({"ls", catalog_, "Disk\\пример\\отчёт.txt", "--tsv", "--codepage", "1251"});
  ASSERT_EQ(row.Status, 0) << row.Err;
  V f = TsvFields(Lines(row.Out).at(0));
  EXPECT_EQ(f[5], "Документы");
  EXPECT_EQ(f[6], "годовой Отчёт");
  TCliResult plain = RunCli({"ls", catalog_, "Disk", "--codepage", "1251"});
  EXPECT_NE(plain.Out.find("Пример "), std::string::npos) << plain.Out;

  // A case-insensitive Cyrillic mask finds the decoded names, sorted as decoded text.
  TCliResult find = RunCli({"find", catalog_, "*", "--codepage", "1251", "--catalog-column"});
  ASSERT_EQ(find.Status, 0) << find.Err;
  V names;
  for (const std::string& line : Lines(find.Out)) names.push_back(TsvFields(line)[1]);
  EXPECT_EQ(names,
            (V{"Disk", "Disk\\Пример", "Disk\\Пример\\cafй.txt", "Disk\\Пример\\архив.zip",
               "Disk\\Пример\\Бета.doc", "Disk\\Пример\\Отчёт.txt", "Disk\\Пример\\Пробный.txt"}));
  EXPECT_EQ(TsvFields(Lines(find.Out).at(0))[0], "Old Пример");
  TCliResult mask = RunCli({"find", catalog_, "ПРИМЕР", "--codepage", "1251"});
  EXPECT_EQ(Lines(mask.Out).size(), 1u);
  EXPECT_EQ(TsvFields(Lines(mask.Out).at(0))[0], "Disk\\Пример");
  TCliResult desc = RunCli({"find", catalog_, "ГОДОВОЙ", "--in", "desc", "--codepage", "1251",
                            "--category", "Документы"});
  EXPECT_EQ(Lines(desc.Out).size(), 1u) << desc.Out << desc.Err;
  EXPECT_EQ(RunCli({"find", catalog_, "пример", "--codepage", "1252"}).Out, "");

  std::string out = dir_ + "/report.txt";
  TCliResult report = RunCli({"report", catalog_, "Disk\\Пример", "--format", "txt-tab", "-o", out,
                              "--codepage", "windows-1251"});
  ASSERT_EQ(report.Status, 0) << report.Err;
  std::string text = ReadWhole(out);
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_NE(text.find("Folder \"Пример\""), std::string::npos) << text;
  EXPECT_NE(text.find("Отчёт\ttxt"), std::string::npos) << text;
  EXPECT_NE(text.find("годовой Отчёт"), std::string::npos) << text;

  // info counts the names that are not UTF-8 and shows some decoded.
  TCliResult info = RunCli({"info", catalog_, "--codepage", "1251"});
  ASSERT_EQ(info.Status, 0) << info.Err;
  EXPECT_NE(info.Out.find("Catalog: Old Пример\n"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("Names not in UTF-8: 5 of 7 (descriptions: 1), read as WINDOWS-1251:\n"
                          "  Disk\\Пример\n  Disk\\Пример\\Отчёт.txt\n"),
            std::string::npos)
      << info.Out;

  // Reading never rewrote the file.
  EXPECT_EQ(ReadWhole(catalog_), image_);
}

TEST_F(CliCodePageRunTest, AnUnknownCodePageIsRefused) {
  for (const char* command : {"ls", "info", "find"}) {
    std::vector<std::string> args{command, catalog_};
    if (std::string(command) == "find") args.push_back("x");
    args.insert(args.end(), {"--codepage", "no-such-page"});
    TCliResult r = RunCli(args);
    EXPECT_EQ(r.Status, 2) << command;
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find("unknown code page \"no-such-page\""), std::string::npos) << r.Err;
  }
}

TEST_F(CliCodePageRunTest, TheProgramsSettingIsTheDefault) {
  // Without settings: Windows-1252.
  EXPECT_EQ(Paths({})[1], "Disk\\Ïðèìåð");
  // The program's page, then a page of this catalog file's own.
  TSettings settings;
  TSettingsPlace place;
  place.SettingsFile = dir_ + "/config/tolvane/" + kSettingsFileName;
  place.ProgramFolder = dir_ + "/config/tolvane/";
  place.LanguageFolder = dir_ + "/config/tolvane/Language/";
  fs::create_directories(place.LanguageFolder);
  settings.Load(place);
  settings.Options.CodePages.Program = "WINDOWS-1251";
  ASSERT_EQ(settings.Save().Message(), "");
  EXPECT_EQ(Paths({})[1], "Disk\\Пример");
  SetCatalogCodePage(settings.Options.CodePages, fs::absolute(catalog_).lexically_normal().string(),
                     "WINDOWS-1252");
  ASSERT_EQ(settings.Save().Message(), "");
  EXPECT_EQ(Paths({})[1], "Disk\\Ïðèìåð");
  // --codepage wins over both.
  EXPECT_EQ(Paths({"--codepage", "1251"})[1], "Disk\\Пример");
}

TEST_F(CliCodePageRunTest, TypedTextIsStoredAsUtf8BesideLegacyText) {
  TCliResult r = RunCli({"rename", catalog_, "Disk", "Диск", "--codepage", "1251"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Диск\n");
  r = RunCli({"set-desc", catalog_, "Диск\\Пример\\Бета.doc", "новое", "--codepage", "1251"});
  ASSERT_EQ(r.Status, 0) << r.Err;

  TQDBase bd;
  std::string image = ReadWhole(catalog_);
  ASSERT_TRUE(bd.LoadFromString(image));
  const TNodeRec* disk = NodeChild(bd.RootNode(), 1);
  ASSERT_NE(disk, nullptr);
  const TNodeRec* folder = NodeChild(disk, 1);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(ItemName(disk), "Диск");
  EXPECT_EQ(ItemName(folder), kPrimer);  // the legacy names below keep their bytes
  std::vector<std::string> stored;
  for (int i = 1; i < folder->SlotCount; ++i) stored.emplace_back(ItemName(NodeChild(folder, i)));
  EXPECT_EQ(stored, (std::vector<std::string>{kReport + ".txt", kBeta + ".doc", kArchive + ".zip",
                                              "Пробный.txt", "caf\xE9.txt"}));
  EXPECT_EQ(FieldStr(NodeChild(folder, 2), kFieldDescription), "новое");
  EXPECT_EQ(FieldStr(NodeChild(folder, 1), kFieldDescription), kAnnual);
  EXPECT_EQ(Paths({"--codepage", "1251"})[2], "Диск\\Пример\\Отчёт.txt");
}

}  // namespace
