// SPDX-License-Identifier: MIT
#include "scan/OptionsDraft.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Language.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogTestUtil.h"
#include "scan/DescRules.h"

namespace {

class OptionsDraftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LangTable(TLangKind::English)
        .LoadFromFile(std::string(TOLVANE_SOURCE_DIR) + "/Language/English.lng");
    dir_ = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    place_.SettingsFile = dir_ + "/bdOpt.dat";
    place_.ProgramFolder = dir_;
    place_.LanguageFolder = std::string(TOLVANE_SOURCE_DIR) + "/Language";
    Load(settings_);
  }
  void TearDown() override { LangTable(TLangKind::Selected).Clear(); }
  void Load(TSettings& settings) {
    TSettingsHooks hooks;
    hooks.InitDescriptionRules = [](TQDBase& bd) { InitDescriptionRules(bd); };
    hooks.InitArchiveTypes = [](TQDBase& bd) { InitArchiveTypes(bd); };
    settings.Load(place_, hooks);
  }
  int StoredReader(TSettings& settings, int slot) {
    return RuleSlotInt(NodeChild(OptNode(settings.bdOpt, kOptDescRules), slot), rsReader);
  }

  std::string dir_;
  TSettingsPlace place_;
  TSettings settings_;
};

TEST_F(OptionsDraftTest, StartupListRefusesMissingAndDuplicateFilesAndKeepsTheSelection) {
  const std::string a = dir_ + "/A.ctl", b = dir_ + "/b.ctl";
  std::ofstream(a) << "x";
  std::ofstream(b) << "x";
  std::vector<std::string> list;
  EXPECT_EQ(AddStartupCatalog(list, dir_ + "/missing.ctl"), TStartupAdd::Missing);
  EXPECT_EQ(AddStartupCatalog(list, dir_), TStartupAdd::Missing);  // a folder is no catalog
  EXPECT_EQ(AddStartupCatalog(list, a), TStartupAdd::Added);
  EXPECT_EQ(AddStartupCatalog(list, b), TStartupAdd::Added);
  // The same file in other letter case counts as listed.
  std::string upper = dir_ + "/B.CTL";
  std::ofstream(upper) << "x";
  EXPECT_EQ(AddStartupCatalog(list, upper), TStartupAdd::Duplicate);
  EXPECT_EQ(list, (std::vector<std::string>{a, b}));

  EXPECT_EQ(MoveStartupCatalog(list, 0, -1), 0);  // nothing above the first
  EXPECT_EQ(MoveStartupCatalog(list, 1, 1), 1);   // nothing below the last
  EXPECT_EQ(list, (std::vector<std::string>{a, b}));
  EXPECT_EQ(MoveStartupCatalog(list, 1, -1), 0);
  EXPECT_EQ(list, (std::vector<std::string>{b, a}));

  // Delete selects the entry that took the place, else the new last one, else none.
  list.push_back(upper);
  EXPECT_EQ(DeleteStartupCatalog(list, 1), 1);
  EXPECT_EQ(list, (std::vector<std::string>{b, upper}));
  EXPECT_EQ(DeleteStartupCatalog(list, 1), 0);
  EXPECT_EQ(DeleteStartupCatalog(list, 0), -1);
  EXPECT_TRUE(list.empty());
}

TEST_F(OptionsDraftTest, RuleOrderAndFlagsReachTheSettingsOnlyOnApply) {
  TOptionsDraft draft;
  LoadOptionsDraft(settings_, draft);
  const int first = StoredReader(settings_, 1), second = StoredReader(settings_, 2);
  ASSERT_NE(first, second);

  EXPECT_EQ(MoveDescRule(draft.DescRules, 0, -1), 0);  // the first rule cannot go up
  EXPECT_EQ(MoveDescRule(draft.DescRules, 1, -1), 0);  // rule 2 becomes rule 1
  const int rules = draft.DescRules.RootNode()->SlotCount - 1;
  EXPECT_EQ(MoveDescRule(draft.DescRules, rules - 1, 1), rules - 1);  // the last cannot go down
  std::vector<bool> enabled(rules, true);
  enabled[0] = false;
  SetDescRulesEnabled(draft.DescRules, enabled);
  draft.ArchiveEnabled.assign(draft.ArchiveEnabled.size(), false);
  draft.ArchiveEnabled[0] = true;
  // The settings still hold the old order.
  EXPECT_EQ(StoredReader(settings_, 1), first);

  TOptionsApplied applied = ApplyOptionsDraft(draft, settings_);
  EXPECT_FALSE(applied.SaveError.Failed());
  EXPECT_EQ(StoredReader(settings_, 1), second);
  EXPECT_EQ(StoredReader(settings_, 2), first);

  // And the file holds them: a fresh load sees the new order and flags.
  TSettings reloaded;
  Load(reloaded);
  EXPECT_EQ(StoredReader(reloaded, 1), second);
  EXPECT_EQ(RuleSlotInt(NodeChild(OptNode(reloaded.bdOpt, kOptDescRules), 1), rsEnabled), 0);
  std::vector<TArchiveTypeRow> rows = ReadArchiveTypes(reloaded.bdOpt);
  ASSERT_FALSE(rows.empty());
  EXPECT_TRUE(rows[0].Enabled);
  EXPECT_FALSE(rows[1].Enabled);
}

TEST_F(OptionsDraftTest, ApplyWritesTheEditedOptionsAndKeepsWhatTheDialogDoesNotShow) {
  settings_.Options.RecentCatalogs = {"/x/recent.ctl"};
  settings_.Options.SaveAfterScan = true;
  settings_.Options.Report.Replacement = "#";
  TOptionsDraft draft;
  LoadOptionsDraft(settings_, draft);
  // Another window changes what the dialog does not show while it is open.
  settings_.Options.LastCopyFolder = "/copies";

  draft.Options.BackupCopies = true;
  draft.Options.FormatSizes = true;
  draft.Options.StartupMode = 2;
  draft.Options.DblClickAction = 3;
  draft.Options.CatalogFolder = dir_ + "/no such folder/";
  draft.Options.LanguageFile = "Russian.lng";
  draft.Ui.MenuStyle = 3;
  draft.Ui.ListFont = TFontOption{"Serif", 11, 2, 255};
  TOptionsApplied applied = ApplyOptionsDraft(draft, settings_);

  // A catalog folder that does not exist is replaced by the default one.
  EXPECT_TRUE(applied.CatalogFolderReplaced);
  EXPECT_EQ(settings_.Options.CatalogFolder, dir_ + "/Catalogs/");
  EXPECT_EQ(draft.Options.CatalogFolder, dir_ + "/Catalogs/");
  EXPECT_TRUE(applied.LanguageChanged);

  TSettings reloaded;
  Load(reloaded);
  const TOptions& o = reloaded.Options;
  EXPECT_TRUE(o.BackupCopies);
  EXPECT_TRUE(o.FormatSizes);
  EXPECT_EQ(o.StartupMode, 2);
  EXPECT_EQ(o.DblClickAction, 3);
  EXPECT_EQ(o.LanguageFile, "Russian.lng");
  EXPECT_EQ(o.RecentCatalogs, std::vector<std::string>{"/x/recent.ctl"});
  EXPECT_TRUE(o.SaveAfterScan);
  EXPECT_EQ(o.LastCopyFolder, "/copies");
  EXPECT_EQ(o.Report.Replacement, "#");
  TInterfaceOptions ui = ReadInterfaceOptions(reloaded.bdOpt);
  EXPECT_EQ(ui.MenuStyle, 3);
  EXPECT_EQ(ui.ListFont, (TFontOption{"Serif", 11, 2, 255}));
  EXPECT_EQ(ui.TreeFont, TFontOption{});

  // An existing folder is kept as typed; applying twice changes no byte.
  LoadOptionsDraft(settings_, draft);
  draft.Options.CatalogFolder = dir_ + "/";
  EXPECT_FALSE(ApplyOptionsDraft(draft, settings_).CatalogFolderReplaced);
  EXPECT_EQ(settings_.Options.CatalogFolder, dir_ + "/");
  std::ifstream in(place_.SettingsFile, std::ios::binary);
  std::string before((std::istreambuf_iterator<char>(in)), {});
  LoadOptionsDraft(settings_, draft);
  EXPECT_FALSE(ApplyOptionsDraft(draft, settings_).LanguageChanged);
  std::ifstream again(place_.SettingsFile, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), before);
}

}  // namespace
