// SPDX-License-Identifier: MIT
#include "app/Settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/Language.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test holding the program folder, its "Language" folder and bdOpt.dat.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TOLVANE_TEST_TMP");
    fs::path root = base ? fs::path(base) : fs::temp_directory_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = root /
           (std::string("settings_") + info->name() + "_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Language");
    place_.SettingsFile = (dir_ / kSettingsFileName).string();
    place_.ProgramFolder = dir_.string();
    place_.LanguageFolder = (dir_ / "Language").string();
  }
  void TearDown() override {
    LangTable(TLangKind::Selected).Clear();
    fs::remove_all(dir_);
  }

  std::string Prog() const { return dir_.string() + "/"; }

  // A language file of `lines` lines whose entry 10005 is `text`.
  void WriteLanguage(const std::string& name, int lines, const std::string& text) {
    std::string body = "Deutsch\r\n10005=" + text + "\r\n";
    for (int i = 2; i < lines; ++i) body += "; filler\r\n";
    ASSERT_EQ(WriteWholeFileAtomic((dir_ / "Language" / name).string(), body).Message(), "");
  }

  // Writes the image of `store` as the settings file.
  void WriteImage(TQDBase& store) {
    store.GoToDepth(0);
    store.Signature = kSettingsSignature;
    std::string image;
    store.SaveToString(image);
    ASSERT_EQ(WriteWholeFileAtomic(place_.SettingsFile, image).Message(), "");
  }

  std::string ReadFile(const std::string& path) {
    std::string data;
    EXPECT_EQ(ReadWholeFile(path, data).Message(), "");
    return data;
  }

  fs::path dir_;
  TSettingsPlace place_;
};

// The record a first start gives in program folder `prog`.
TOptions FreshOptions(const std::string& prog) {
  TOptions o;
  o.CatalogFolder = prog + "Catalogs/";
  o.ReportFolder = o.CatalogFolder;
  return o;
}

// Every field away from its default.
TOptions EveryOptionChanged() {
  TOptions o;
  o.MaskHistory = {"*.mp3", "*.txt"};
  o.RecentCatalogs = {"/data/Fotos.ctl", "/data/Ärger ünd Öl.ctl", "/x/y.ctl"};
  o.OpenAtExit = {"/data/a.ctl"};
  o.StartupCatalogs = {"/data/b.ctl", "/data/c.ctl"};
  o.MinToTray = o.GridLines = o.UseAltShell = o.FormatSizes = o.AutoExpand = true;
  o.WrapDescriptions = o.SaveAllAtExit = o.DblClickGoTo = o.SaveAfterScan = true;
  o.EjectAfterScan = o.RedisplayAfterScan = o.BackupCopies = o.ExpandOnOpen = true;
  o.AskDiskDescription = true;
  o.UpLine = o.ImportDescriptions = o.ScanArchives = o.AdjustColumns = false;
  o.StartupMode = 2;
  o.DblClickAction = 3;
  o.AltDblClickAction = 0;
  o.UpdateDescMode = 3;
  o.CatalogFolder = "/srv/catalogs/";
  o.AltShell = "\"/usr/bin/my shell\" %2";
  o.LastCopyFolder = "/tmp/out/";
  o.LanguageFile = "Deutsch.lng";
  o.ReportFolder = "/srv/reports/";
  o.Report = {{"Fotos 2003", "Musik"}, 2, false, false, false, 1, false, ""};
  o.CodePages.Program = "WINDOWS-1250";
  o.CodePages.Catalogs = {{"/data/Fotos.ctl", "WINDOWS-1251"}, {"/x/y.ctl", "CP866"}};
  return o;
}

}  // namespace

// ---- first start and defaults ------------------------------------------------------------------

TEST_F(SettingsTest, FirstStartGivesTheDefaults) {
  TSettings s;
  TSettingsLoadResult r = s.Load(place_);
  EXPECT_EQ(r.Source, TSettingsSource::NoFile);
  EXPECT_EQ(s.Options, FreshOptions(Prog()));
  EXPECT_TRUE(fs::is_directory(dir_ / "Catalogs"));

  // The listed defaults stand in node 7; the others stay empty.
  const TNodeRec* gen = OptNode(s.bdOpt, kOptGeneral);
  ASSERT_NE(gen, nullptr);
  EXPECT_EQ(NodeGetInt(gen, kGenStartupMode), 1);
  EXPECT_EQ(NodeGetInt(gen, kGenUpLine), 1);
  EXPECT_EQ(NodeGetInt(gen, kGenDblClick), 1);
  EXPECT_EQ(NodeGetInt(gen, kGenAltDblClick), 2);
  EXPECT_EQ(NodeGetInt(gen, kGenImportDescriptions), 1);
  EXPECT_EQ(NodeGetInt(gen, kGenScanArchives), 1);
  EXPECT_EQ(NodeGetInt(gen, kGenAdjustColumns), 1);
  EXPECT_EQ(NodeSlotType(gen, kGenMinToTray), stEmpty);
  EXPECT_EQ(NodeSlotType(gen, kGenSaveAllAtExit), stEmpty);
  EXPECT_EQ(NodeGetStr(gen, kGenLanguageFile), "English.lng");

  TInterfaceOptions ui = ReadInterfaceOptions(s.bdOpt);
  EXPECT_EQ(ui, TInterfaceOptions{});
  EXPECT_EQ(ui.ListColor, 231 | 238 << 8 | 248 << 16);
  EXPECT_EQ(ui.TreeColor, 214 | 225 << 8 | 243 << 16);

  const TNodeRec* rep = OptNode(s.bdOpt, kOptReport);
  EXPECT_EQ(NodeSlotType(rep, kRepType), stEmpty);
  EXPECT_EQ(NodeGetInt(rep, kRepOpenAfterExport), 1);
  EXPECT_EQ(NodeGetInt(rep, kRepHideBorder), 1);
  EXPECT_EQ(NodeGetInt(rep, kRepShading), 1);
  EXPECT_EQ(NodeSlotType(rep, kRepSeparator), stEmpty);
  EXPECT_EQ(NodeGetInt(rep, kRepReplaceSeparator), 1);
  EXPECT_EQ(NodeGetStr(rep, kRepReplacement), "_");
  EXPECT_EQ(s.bdOpt.Depth(), 0);
}

TEST_F(SettingsTest, DefaultsGoOnlyIntoEmptyNodes) {
  TQDBase store;
  store.EnterChild(kOptGeneral);
  store.SetInt(kGenMinToTray, 1);  // node 7 has a slot, so none of its defaults are written
  store.SetStr(kGenCatalogFolder, "/cat/");
  store.GoToDepth(0);
  store.EnterChild(kOptInterface);
  store.EnterChild(kUiMenu);
  store.SetInt(kUiMenuStyle, 3);
  store.GoToDepth(0);
  store.EnterChild(kOptReport);
  store.SetInt(kRepSeparator, 2);
  WriteImage(store);

  TSettings s;
  EXPECT_EQ(s.Load(place_).Source, TSettingsSource::File);
  EXPECT_TRUE(s.Options.MinToTray);
  EXPECT_EQ(s.Options.StartupMode, 0);
  EXPECT_FALSE(s.Options.AdjustColumns);
  EXPECT_FALSE(s.Options.UpLine);
  EXPECT_EQ(s.Options.DblClickAction, 0);
  EXPECT_EQ(s.Options.CatalogFolder, "/cat/");
  EXPECT_EQ(s.Options.ReportFolder, "/cat/");  // an empty report folder follows the catalogs
  EXPECT_FALSE(fs::exists(dir_ / "Catalogs"));

  TInterfaceOptions ui = ReadInterfaceOptions(s.bdOpt);
  EXPECT_EQ(ui.MenuStyle, 3);
  EXPECT_EQ(ui.ListColor, 0);
  EXPECT_EQ(ui.ListFont.Name, "");

  EXPECT_EQ(s.Options.Report.Separator, 2);
  EXPECT_FALSE(s.Options.Report.HideBorder);
  EXPECT_EQ(s.Options.Report.Replacement, "");
}

// ---- string lists ------------------------------------------------------------------------------

TEST(SettingsStringList, ReadSkipsOtherSlotsAndWriteReplacesTheNode) {
  TQDBase store;
  store.EnterChild(kOptRecentCatalogs);
  store.SetStr(0, "/a.ctl");
  store.SetStr(1, "/b.ctl");
  store.SetInt(2, 7);
  store.SetStr(3, "/c.ctl");
  store.NewChild(4);
  store.SetInt64(5, 1);
  store.SetStr(7, "/d.ctl");
  EXPECT_EQ(ReadRootStringList(store, kOptRecentCatalogs),
            (std::vector<std::string>{"/a.ctl", "/b.ctl", "/c.ctl", "/d.ctl"}));

  WriteRootStringList(store, kOptRecentCatalogs, {"/z.ctl"});
  const TNodeRec* node = OptNode(store, kOptRecentCatalogs);
  EXPECT_EQ(node->SlotCount, 1);
  EXPECT_EQ(NodeGetStr(node, 0), "/z.ctl");
  WriteRootStringList(store, kOptRecentCatalogs, {});
  EXPECT_EQ(node->SlotCount, 0);
  EXPECT_EQ(store.Depth(), 0);
}

// ---- round trips -------------------------------------------------------------------------------

TEST_F(SettingsTest, SaveAndLoadKeepEveryOption) {
  WriteLanguage("Deutsch.lng", 101, "Dateien löschen?");
  TSettings a;
  a.Load(place_);
  a.Options = EveryOptionChanged();
  TInterfaceOptions ui;
  ui.MenuStyle = 3;
  ui.ListColor = 0x123456;
  ui.ListFont = {"DejaVu Sans", 11, 1 | 4, 0xFF};
  ui.TreeColor = 0x654321;
  ui.TreeFont = {"Noto Serif", 9, 2 | 8, 0xFF00};
  WriteInterfaceOptions(a.bdOpt, ui);
  // Nodes of other owners reach the file as they are.
  a.bdOpt.EnterChild(kOptFindColumns);
  a.bdOpt.ChildSetInt(kColTable, 0, 120);
  a.bdOpt.SetInt(kColSortColumn, 4);
  a.bdOpt.GoToDepth(0);
  ASSERT_EQ(a.Save().Message(), "");

  std::string image = ReadFile(place_.SettingsFile);
  ASSERT_GT(image.size(), 17u);
  EXPECT_EQ(image[9], 7);
  EXPECT_EQ(image.substr(10, 7), "Vrt opt");

  TSettings b;
  EXPECT_EQ(b.Load(place_).Source, TSettingsSource::File);
  EXPECT_EQ(b.Options, EveryOptionChanged());
  EXPECT_EQ(ReadInterfaceOptions(b.bdOpt), ui);
  b.bdOpt.EnterChild(kOptFindColumns);
  EXPECT_EQ(b.bdOpt.ChildGetInt(kColTable, 0), 120);
  EXPECT_EQ(b.bdOpt.GetInt(kColSortColumn), 4);
  EXPECT_EQ(LangText(10005), "Dateien löschen?");

  // A second save of what was loaded gives the same bytes.
  ASSERT_EQ(b.Save().Message(), "");
  EXPECT_EQ(ReadFile(place_.SettingsFile), image);
}

// The code pages of legacy catalog texts: the program's page follows the language unless chosen,
// a catalog file may have its own, and a settings file without a choice keeps its bytes.
TEST_F(SettingsTest, CodePagesFollowTheLanguageAndAreKeptOnlyWhenChosen) {
  TSettings a;
  a.Load(place_);
  ASSERT_EQ(a.Save().Message(), "");
  const std::string fresh = ReadFile(place_.SettingsFile);
  EXPECT_LE(a.bdOpt.RootNode()->SlotCount, kOptCodePages);  // no node 16 without a choice

  TCodePageOptions& pages = a.Options.CodePages;
  EXPECT_EQ(CatalogCodePage(pages, "English.lng", "/c/a.ctl"), "WINDOWS-1252");
  EXPECT_EQ(CatalogCodePage(pages, "Russian.lng", "/c/a.ctl"), "WINDOWS-1251");
  SetCatalogCodePage(pages, "/c/a.ctl", "WINDOWS-1251");
  SetCatalogCodePage(pages, "/c/b.ctl", "WINDOWS-1250");
  EXPECT_EQ(CatalogCodePage(pages, "English.lng", "/c/a.ctl"), "WINDOWS-1251");
  EXPECT_EQ(CatalogCodePage(pages, "English.lng", "/c/other.ctl"), "WINDOWS-1252");
  pages.Program = "CP1257";
  EXPECT_EQ(CatalogCodePage(pages, "Russian.lng", "/c/other.ctl"), "CP1257");
  SetCatalogCodePage(pages, "/c/b.ctl", "");  // removed
  ASSERT_EQ(a.Save().Message(), "");

  TSettings b;
  b.Load(place_);
  EXPECT_EQ(b.Options.CodePages.Program, "CP1257");
  EXPECT_EQ(b.Options.CodePages.Catalogs,
            (std::vector<std::pair<std::string, std::string>>{{"/c/a.ctl", "WINDOWS-1251"}}));
  // Choices taken back leave an empty node 16, which reads as no choice.
  b.Options.CodePages = {};
  ASSERT_EQ(b.Save().Message(), "");
  TSettings c;
  c.Load(place_);
  EXPECT_EQ(c.Options.CodePages, TCodePageOptions{});
  EXPECT_NE(ReadFile(place_.SettingsFile), fresh);
}

TEST(SettingsReportOptions, RoundTripAndDefaults) {
  TQDBase store;
  WriteReportDefaults(store);
  TReportOptions fresh;
  fresh.Replacement = "x";  // overwritten by the read
  ReadReportOptions(store, fresh);
  EXPECT_EQ(fresh, TReportOptions{});

  TReportOptions r;
  r.TitleHistory = {"Neu", "Alt", ""};
  r.ReportType = 1;
  r.OpenAfterExport = false;
  r.HideBorder = false;
  r.Shading = true;
  r.Separator = 2;
  r.ReplaceSeparator = true;
  r.Replacement = ";;";
  WriteReportOptions(store, r);
  WriteReportDefaults(store);  // the node is no longer empty: nothing changes
  TReportOptions back;
  ReadReportOptions(store, back);
  EXPECT_EQ(back, r);

  // A shorter history replaces the longer one entirely.
  r.TitleHistory = {"Nur"};
  WriteReportOptions(store, r);
  ReadReportOptions(store, back);
  EXPECT_EQ(back.TitleHistory, std::vector<std::string>{"Nur"});
  EXPECT_EQ(store.Depth(), 0);
}

// ---- damaged files -----------------------------------------------------------------------------

TEST_F(SettingsTest, CorruptFileIsKeptAsideAndGivesDefaults) {
  const std::string garbage = std::string(200, 'x');
  ASSERT_EQ(WriteWholeFileAtomic(place_.SettingsFile, garbage).Message(), "");

  TSettings s;
  TSettingsLoadResult r = s.Load(place_);
  EXPECT_EQ(r.Source, TSettingsSource::Corrupt);
  EXPECT_FALSE(r.Reason.empty());
  EXPECT_EQ(r.SetAside, place_.SettingsFile + ".bad");
  EXPECT_EQ(s.Options, FreshOptions(Prog()));
  EXPECT_FALSE(fs::exists(place_.SettingsFile));
  EXPECT_EQ(ReadFile(place_.SettingsFile + ".bad"), garbage);

  // Saving at exit writes fresh settings and leaves the damaged file alone.
  ASSERT_EQ(s.Save().Message(), "");
  EXPECT_EQ(ReadFile(place_.SettingsFile + ".bad"), garbage);
  TSettings again;
  EXPECT_EQ(again.Load(place_).Source, TSettingsSource::File);
  EXPECT_EQ(again.Options, FreshOptions(Prog()));
}

TEST_F(SettingsTest, TruncatedOrAlteredImagesAreRejected) {
  TSettings good;
  good.Load(place_);
  good.Options = EveryOptionChanged();
  ASSERT_EQ(good.Save().Message(), "");
  const std::string image = ReadFile(place_.SettingsFile);

  std::vector<std::string> damaged;
  for (size_t len :
       {size_t(0), size_t(10), size_t(48), size_t(49), image.size() / 2, image.size() - 1})
    damaged.push_back(image.substr(0, len));
  std::string flipped = image;
  size_t inText = flipped.find("/srv/catalogs/");
  ASSERT_NE(inText, std::string::npos);
  flipped[inText + 1] ^= 0x20;  // inside a string: only the checksum notices
  damaged.push_back(flipped);

  for (const std::string& bytes : damaged) {
    SCOPED_TRACE(bytes.size());
    ASSERT_EQ(WriteWholeFileAtomic(place_.SettingsFile, bytes).Message(), "");
    TSettings s;
    EXPECT_EQ(s.Load(place_).Source, TSettingsSource::Corrupt);
    EXPECT_EQ(s.Options, FreshOptions(Prog()));
    EXPECT_EQ(ReadFile(place_.SettingsFile + ".bad"), bytes);
  }
}

TEST_F(SettingsTest, AFileLargerThanAnyImageIsNotReadAndIsLeftAlone) {
  { std::ofstream(place_.SettingsFile) << "x"; }
  fs::resize_file(place_.SettingsFile, 3'000'000'000ull);  // sparse: nothing is written
  TSettings s;
  auto start = std::chrono::steady_clock::now();
  TSettingsLoadResult r = s.Load(place_);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(r.Source, TSettingsSource::Unreadable);
  EXPECT_NE(r.Reason.find("too large"), std::string::npos) << r.Reason;
  EXPECT_EQ(s.Options, FreshOptions(Prog()));
  EXPECT_EQ(fs::file_size(place_.SettingsFile), 3'000'000'000ull);
}

TEST_F(SettingsTest, WrongTypedSlotsReadAsEmptyInsteadOfThrowing) {
  TQDBase store;
  store.SetStr(kOptGeneral, "not a node");
  store.SetInt(kOptDescRules, 5);
  store.SetFloat(kOptArchiveTypes, 1.5);  // also occupies slot 12
  store.EnterChild(kOptInterface);
  store.SetStr(kUiList, "not a node");
  store.GoToDepth(0);
  store.EnterChild(kOptReport);
  store.SetInt(kRepTitleHistory, 3);
  store.SetStr(kRepType, "two");
  store.GoToDepth(0);
  store.SetStr(kOptUnused, "kept");
  WriteImage(store);

  TSettings s;
  bool hookRan = false;
  TSettingsHooks hooks;
  hooks.InitDescriptionRules = [&](TQDBase& st) {
    st.EnterChild(kOptDescRules);  // must not throw
    st.Up();
    st.EnterChild(kOptArchiveTypes);
    hookRan = true;
  };
  ASSERT_NO_THROW(s.Load(place_, hooks));
  EXPECT_TRUE(hookRan);
  EXPECT_EQ(s.Options.StartupMode, 1);  // node 7 was dropped, so it got its defaults
  EXPECT_EQ(ReadInterfaceOptions(s.bdOpt).ListColor, 0);
  EXPECT_EQ(s.Options.Report.ReportType, 0);
  EXPECT_TRUE(s.Options.Report.TitleHistory.empty());
  EXPECT_EQ(NodeGetStr(s.bdOpt.RootNode(), kOptUnused), "kept");

  s.Options.Report.TitleHistory = {"T"};
  WriteInterfaceOptions(s.bdOpt, TInterfaceOptions{});
  ASSERT_EQ(s.Save().Message(), "");
  TSettings b;
  b.Load(place_);
  EXPECT_EQ(b.Options.Report.TitleHistory, std::vector<std::string>{"T"});
  EXPECT_EQ(ReadInterfaceOptions(b.bdOpt), TInterfaceOptions{});
}

// ---- saving ------------------------------------------------------------------------------------

TEST_F(SettingsTest, FailedSaveLeavesThePreviousFile) {
  TSettings s;
  s.Load(place_);
  ASSERT_EQ(s.Save().Message(), "");
  const std::string before = ReadFile(place_.SettingsFile);

  // A file-size limit below the new image's size makes the write fail half-way.
  s.Options.RecentCatalogs.assign(50, std::string(100, 'r'));
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = before.size() + 100;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  TError err = s.Save();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_NE(err.Message(), "");
  EXPECT_EQ(ReadFile(place_.SettingsFile), before);
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_TRUE(e.path().filename() == kSettingsFileName || e.is_directory()) << e.path();

  TSettings nowhere;
  nowhere.Load({(dir_ / "missing" / kSettingsFileName).string(), Prog(), Prog()});
  EXPECT_NE(nowhere.Save().Message(), "");
}

// ---- language ----------------------------------------------------------------------------------

TEST_F(SettingsTest, SelectedLanguageIsLoadedOrResetToEnglish) {
  WriteLanguage("Deutsch.lng", 101, "Ja");
  WriteLanguage("Kurz.lng", 100, "Nein");  // 100 lines do not count as loaded
  struct Case {
    std::string stored;
    std::string after;
  } cases[] = {
      {"Deutsch.lng", "Deutsch.lng"},
      {"Kurz.lng", "English.lng"},
      {"Fehlt.lng", "English.lng"},
      {"", "English.lng"},
      {"../Language/Deutsch.lng", "English.lng"},
      {"..", "English.lng"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TQDBase store;
    store.EnterChild(kOptGeneral);
    store.SetStr(kGenLanguageFile, c.stored);
    WriteImage(store);
    TSettings s;
    s.Load(place_);
    EXPECT_EQ(s.Options.LanguageFile, c.after);
    EXPECT_EQ(NodeGetStr(OptNode(s.bdOpt, kOptGeneral), kGenLanguageFile), c.after);
    EXPECT_EQ(LangTable(TLangKind::Selected).Loaded(), c.after == "Deutsch.lng");
  }
  // The short table keeps what it read; lookups still fall back to English for the rest.
  TQDBase store;
  store.EnterChild(kOptGeneral);
  store.SetStr(kGenLanguageFile, "Kurz.lng");
  WriteImage(store);
  TSettings s;
  s.Load(place_);
  EXPECT_EQ(LangText(10005), "Nein");
}

// ---- hooks -------------------------------------------------------------------------------------

TEST_F(SettingsTest, HooksRunAfterDefaultsAndLanguageBeforeTheRecordIsRead) {
  std::vector<std::string> calls;
  TSettingsHooks hooks;
  hooks.InitDescriptionRules = [&](TQDBase& st) {
    EXPECT_EQ(st.Depth(), 0);
    const TNodeRec* gen = OptNode(st, kOptGeneral);
    EXPECT_EQ(NodeGetInt(gen, kGenStartupMode), 1);
    EXPECT_EQ(NodeGetStr(gen, kGenLanguageFile), "English.lng");
    calls.push_back("rules");
    st.EnterChild(kOptDescRules);
    st.ChildSetStr(1, 0, "HTML documents");
    st.EnterChild(1);  // leaves the cursor deep down
  };
  hooks.InitArchiveTypes = [&](TQDBase& st) {
    EXPECT_EQ(st.Depth(), 0);
    calls.push_back("archives");
    st.EnterChild(kOptArchiveTypes);
    st.ChildSetStr(1, 0, "ZIP");
    st.GoToDepth(0);
    st.EnterChild(kOptGeneral);
    st.SetInt(kGenScanArchives, 0);
  };
  TSettings s;
  s.Load(place_, hooks);
  EXPECT_EQ(calls, (std::vector<std::string>{"rules", "archives"}));
  EXPECT_FALSE(s.Options.ScanArchives);  // read after the hooks
  EXPECT_EQ(s.bdOpt.Depth(), 0);
  ASSERT_EQ(s.Save().Message(), "");

  TSettings b;
  b.Load(place_);  // no hooks: the tables are simply kept
  b.bdOpt.EnterChild(kOptArchiveTypes);
  EXPECT_EQ(b.bdOpt.ChildGetStr(1, 0), "ZIP");
  b.bdOpt.GoToDepth(0);
  b.bdOpt.EnterChild(kOptDescRules);
  EXPECT_EQ(b.bdOpt.ChildGetStr(1, 0), "HTML documents");
}
