// SPDX-License-Identifier: MIT
#include "catalog/CatalogFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

std::string HeaderStr(const TNodeRec* catalog, int slot) {
  return std::string(FieldStr(NodeChild(catalog, 0), slot));
}
int HeaderInt(const TNodeRec* catalog, int slot) { return FieldInt(NodeChild(catalog, 0), slot); }

struct Fixture {
  TQDBase bd;
  TScriptedUi ui;
  std::vector<std::string> recent, openAtExit;
  TCatalogFiles files{bd, ui, recent, openAtExit};
  std::string dir;

  explicit Fixture(const std::string& name) : dir(ScratchDir(name)) {
    InitCatalogStore(bd);
    files.Options.DefaultFolder = dir + "/";
    files.Options.ProgramFolder = "/nonexistent/";
  }
  TNodeRec* Catalog(int slot) { return NodeChild(bd.RootNode(), slot); }
  int Count() { return bd.RootNode()->SlotCount - 1; }
  // A saved catalog file named `file` holding one disk named `disk`.
  std::string MakeCatalogFile(const std::string& file, const std::string& disk) {
    TQDBase other;
    InitCatalogStore(other);
    CreateCatalogNode(other, "Made", 1);
    AddContainer(other, disk, ikDisk);
    std::string image;
    other.Signature = "Vrt base";
    other.SaveToString(image);
    std::string path = dir + "/" + file;
    std::ofstream(path, std::ios::binary) << image;  // not atomic: names too long for that work
    return path;
  }
  void Modify(int slot) {
    bd.GoToNode(Catalog(slot));
    MarkCatalogModified(bd, 2.0);
  }
};

}  // namespace

TEST(CatalogFiles, RecentListExchangesWithFirstAndKeepsTen) {
  std::vector<std::string> r;
  for (int i = 9; i >= 0; --i) AddToRecentList(r, "f" + std::to_string(i));
  ASSERT_EQ(r.size(), 10u);
  EXPECT_EQ(r[0], "f0");
  EXPECT_EQ(r[9], "f9");
  // Reopening entry 4 swaps entries 0 and 4; the others keep their places.
  AddToRecentList(r, "F4");
  EXPECT_EQ(r[0], "f4");
  EXPECT_EQ(r[4], "f0");
  EXPECT_EQ(r[1], "f1");
  EXPECT_EQ(r[9], "f9");
  // An 11th file goes first and the last entry is dropped.
  AddToRecentList(r, "new");
  EXPECT_EQ(r.size(), 10u);
  EXPECT_EQ(r[0], "new");
  EXPECT_EQ(r[1], "f4");
  EXPECT_EQ(r[9], "f8");
}

TEST(CatalogFiles, BackupNameUsesTheLastDotOfTheFileNameOnly) {
  EXPECT_EQ(BackupFileName("/a/catalog.ctl"), "/a/catalog.BAK");
  EXPECT_EQ(BackupFileName("/a/cat.v2.ctl"), "/a/cat.v2.BAK");
  EXPECT_EQ(BackupFileName("/a/catalog"), "/a/catalog.BAK");
  // A dot in a folder name must not put the backup into another folder.
  EXPECT_EQ(BackupFileName("/home/my.stuff/catalog"), "/home/my.stuff/catalog.BAK");
}

TEST(CatalogFiles, NewCatalogNamesAndSaveOfANeverSavedCatalog) {
  Fixture f("new_save");
  int slot = f.files.NewCatalog("a:b");
  EXPECT_EQ(slot, 1);
  EXPECT_EQ(HeaderInt(f.Catalog(1), kCatModified), 0);
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), "");
  // The first save asks for a name: the safe form of the catalog name in the default folder.
  f.ui.FileNames.push_back(f.dir + "/ab.ctl");
  f.bd.GoToNode(f.Catalog(1));
  f.bd.EnterChild(0);  // anywhere inside the catalog
  EXPECT_EQ(f.files.Save(false), TSaveResult::Saved);
  ASSERT_EQ(f.ui.Proposed.size(), 1u);
  EXPECT_EQ(f.ui.Proposed[0], "a_b");
  EXPECT_EQ(f.ui.Folders[0], f.dir + "/");
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), f.dir + "/ab.ctl");
  EXPECT_EQ(f.recent, std::vector<std::string>{f.dir + "/ab.ctl"});
  // The file is a "Vrt base" image whose file-name slot is empty.
  std::string image = ReadFile(f.dir + "/ab.ctl");
  ASSERT_GT(image.size(), 9u);
  EXPECT_EQ(image[9], 8);
  EXPECT_EQ(image.substr(10, 8), "Vrt base");
  TQDBase loaded;
  ASSERT_TRUE(loaded.LoadFromString(image));
  EXPECT_EQ(loaded.ChildGetStr(0, kFieldName), "a:b");
  EXPECT_EQ(loaded.ChildGetStr(0, kCatFileName), "");
  // A second save uses the file name without asking.
  f.Modify(1);
  EXPECT_EQ(f.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(f.ui.Proposed.size(), 1u);
  EXPECT_EQ(HeaderInt(f.Catalog(1), kCatModified), 0);
  // Cancelling the dialog cancels the save.
  EXPECT_EQ(f.files.SaveAt(1, true), TSaveResult::Cancelled);
  // A typed-in empty name gets text 10001 and a number unique among the open catalogs.
  f.files.NewCatalog("");
  f.files.NewCatalog("");
  EXPECT_NE(HeaderStr(f.Catalog(2), kFieldName), HeaderStr(f.Catalog(3), kFieldName));
}

TEST(CatalogFiles, SaveAsOntoAnotherOpenCatalogsFileIsRefused) {
  Fixture f("save_as_conflict");
  f.files.OpenFiles({f.MakeCatalogFile("one.ctl", "D1"), f.MakeCatalogFile("two.ctl", "D2")});
  ASSERT_EQ(f.Count(), 2);
  const std::string one = f.dir + "/one.ctl", two = f.dir + "/two.ctl";
  std::string twoBefore = ReadFile(two);
  // Save As of catalog 1 onto two.ctl (in other letter case): 10121, the dialog comes back.
  f.ui.FileNames = {f.dir + "/TWO.ctl", f.dir + "/three.ctl"};
  EXPECT_EQ(f.files.SaveAt(1, true), TSaveResult::Saved);
  ASSERT_EQ(f.ui.Messages.size(), 1u);
  EXPECT_EQ(f.ui.Messages[0].number, 10121);
  EXPECT_EQ(f.ui.Proposed.size(), 2u);
  EXPECT_EQ(ReadFile(two), twoBefore);
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), f.dir + "/three.ctl");
  // The same file reached through another spelling of its path is refused too.
  f.ui.FileNames = {f.dir + "/./sub/../two.ctl", ""};
  fs::create_directory(f.dir + "/sub");
  EXPECT_EQ(f.files.SaveAt(1, true), TSaveResult::Cancelled);
  EXPECT_EQ(f.ui.Messages.back().number, 10121);
  // Save As onto the catalog's own file saves without complaint.
  f.ui.Messages.clear();
  f.ui.FileNames = {two};
  EXPECT_EQ(f.files.SaveAt(2, true), TSaveResult::Saved);
  EXPECT_TRUE(f.ui.Messages.empty());
  (void)one;
}

TEST(CatalogFiles, BackupsKeepThePreviousFileAndReplaceOlderBackups) {
  Fixture f("backups");
  f.files.Options.BackupCopies = true;
  std::string path = f.MakeCatalogFile("catalog.ctl", "D");
  std::string original = ReadFile(path);
  ASSERT_EQ(WriteWholeFileAtomic(f.dir + "/catalog.BAK", "stale").Message(), "");
  ASSERT_EQ(f.files.OpenFiles({path}), 1);
  f.bd.GoToNode(f.Catalog(1));
  f.bd.ChildSetStr(0, kFieldName, "Renamed");
  f.Modify(1);
  ASSERT_EQ(f.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(ReadFile(f.dir + "/catalog.BAK"), original);
  std::string second = ReadFile(path);
  EXPECT_NE(second, original);
  // Saving again makes the last version the backup.
  f.Modify(1);
  ASSERT_EQ(f.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(ReadFile(f.dir + "/catalog.BAK"), second);
  // Without backups nothing is renamed.
  f.files.Options.BackupCopies = false;
  fs::remove(f.dir + "/catalog.BAK");
  f.Modify(1);
  ASSERT_EQ(f.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_FALSE(fs::exists(f.dir + "/catalog.BAK"));
}

TEST(CatalogFiles, AFailedSaveKeepsThePreviousFileAndReportsTheError) {
  Fixture f("failed_save");
  f.files.Options.BackupCopies = true;
  // A name so long that the temporary file beside it cannot be created (as root too), while the
  // file itself and its backup can exist.
  std::string longName(248, 'c');
  std::string path = f.MakeCatalogFile(longName + ".ctl", "D");
  std::string original = ReadFile(path);
  ASSERT_EQ(f.files.OpenFiles({path}), 1);
  f.Modify(1);
  f.recent.clear();
  EXPECT_EQ(f.files.SaveAt(1, false), TSaveResult::Failed);
  ASSERT_EQ(f.ui.Messages.size(), 1u);
  EXPECT_EQ(f.ui.Messages[0].number, 10122);
  EXPECT_NE(f.ui.Messages[0].arg.find("too long"), std::string::npos) << f.ui.Messages[0].arg;
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), path);  // the old name is back
  EXPECT_EQ(HeaderInt(f.Catalog(1), kCatModified), 1);     // still unsaved
  EXPECT_TRUE(f.recent.empty());
  // No temporary file is left behind: only the file and, where the save got that far, its backup
  // (the lock file beside it cannot be named either, so the save may stop before the backup).
  for (auto& e : fs::directory_iterator(f.dir))
    EXPECT_TRUE(e.path() == path || e.path() == BackupFileName(path)) << e.path();
}

TEST(CatalogFiles, SaveIntoAnUnwritableFolderFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  Fixture f("unwritable");
  std::string path = f.MakeCatalogFile("c.ctl", "D");
  std::string original = ReadFile(path);
  ASSERT_EQ(f.files.OpenFiles({path}), 1);
  f.Modify(1);
  ::chmod(f.dir.c_str(), 0555);
  EXPECT_EQ(f.files.SaveAt(1, false), TSaveResult::Failed);
  ::chmod(f.dir.c_str(), 0755);
  EXPECT_EQ(f.ui.Messages.at(0).number, 10122);
  EXPECT_EQ(ReadFile(path), original);
}

TEST(CatalogFiles, OpenReportsEachBadFileAndOpensTheOthers) {
  Fixture f("open_list");
  std::string a = f.MakeCatalogFile("a.ctl", "DA");
  std::string c = f.MakeCatalogFile("c.ctl", "DC");
  std::string bad = f.dir + "/bad.ctl";
  std::string image = ReadFile(a);
  image[image.size() / 2] ^= 0x55;  // a damaged byte: the checksum no longer fits
  ASSERT_EQ(WriteWholeFileAtomic(bad, image).Message(), "");
  std::vector<int> openedSlots;
  f.files.Events.CatalogOpened = [&](int slot, bool last) {
    openedSlots.push_back(last ? -slot : slot);
  };
  EXPECT_EQ(f.files.OpenFiles({a, bad, c}), 2);
  ASSERT_EQ(f.ui.Messages.size(), 1u);
  EXPECT_EQ(f.ui.Messages[0].number, 10125);
  EXPECT_EQ(f.ui.Messages[0].arg, bad);
  EXPECT_EQ(openedSlots, (std::vector<int>{1, -2}));
  EXPECT_EQ(ItemName(NodeChild(f.Catalog(1), 1)), "DA");
  EXPECT_EQ(ItemName(NodeChild(f.Catalog(2), 1)), "DC");
  EXPECT_EQ(HeaderStr(f.Catalog(2), kCatFileName), c);
  EXPECT_EQ(f.recent, (std::vector<std::string>{c, a}));
  EXPECT_EQ(f.bd.Depth(), 0);

  f.ui.Messages.clear();
  std::string settingsLike = f.dir + "/opt.dat";  // a sound image whose top has no header
  {
    TQDBase opt;
    opt.SetStr(0, "not a catalog");
    opt.Signature = "Vrt opt";
    std::string img;
    opt.SaveToString(img);
    ASSERT_EQ(WriteWholeFileAtomic(settingsLike, img).Message(), "");
  }
  fs::create_directory(f.dir + "/folder.ctl");
  std::string relative = fs::relative(a, fs::current_path()).string();
  EXPECT_EQ(
      f.files.OpenFiles({f.dir + "/missing.ctl", a, relative, settingsLike, f.dir + "/folder.ctl"}),
      0);
  ASSERT_EQ(f.ui.Messages.size(), 5u);
  EXPECT_EQ(f.ui.Messages[0].number, 10123);
  EXPECT_EQ(f.ui.Messages[0].arg, f.dir + "/missing.ctl");
  EXPECT_EQ(f.ui.Messages[1].number, 10124);
  EXPECT_EQ(f.ui.Messages[2].number, 10124);  // the same file by a relative name
  EXPECT_EQ(f.ui.Messages[3].number, 10125);
  EXPECT_EQ(f.ui.Messages[4].number, 10126);  // exists but cannot be read as a file
  EXPECT_EQ(f.Count(), 2);
}

TEST(CatalogFiles, OpeningResetsTheModifiedFlagAndKeepsTheName) {
  Fixture f("open_flags");
  TQDBase other;
  InitCatalogStore(other);
  CreateCatalogNode(other, "Stored", 1);
  MarkCatalogModified(other, 3.0);
  other.ChildSetStr(0, kCatFileName, "/somewhere/else.ctl");
  std::string image;
  other.SaveToString(image);
  ASSERT_EQ(WriteWholeFileAtomic(f.dir + "/m.ctl", image).Message(), "");
  ASSERT_EQ(f.files.OpenFiles({f.dir + "/m.ctl"}), 1);
  EXPECT_EQ(HeaderInt(f.Catalog(1), kCatModified), 0);
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), f.dir + "/m.ctl");
  EXPECT_FALSE(f.files.AnyModified());
  EXPECT_TRUE(f.files.IsFileOpen(f.dir + "/M.CTL"));
  f.Modify(1);
  EXPECT_TRUE(f.files.AnyModified());
  EXPECT_TRUE(f.files.IsModified());
}

TEST(CatalogFiles, CloseAllStopsAtACancelledQuestion) {
  Fixture f("close_all");
  f.files.OpenFiles({f.MakeCatalogFile("1.ctl", "D1"), f.MakeCatalogFile("2.ctl", "D2"),
                     f.MakeCatalogFile("3.ctl", "D3")});
  f.Modify(2);
  std::vector<int> closed;
  f.files.Events.CatalogClosed = [&](int slot) { closed.push_back(slot); };
  f.ui.Answers = {TAnswer::Cancel};
  EXPECT_FALSE(f.files.CloseAll(false));
  EXPECT_EQ(f.Count(), 2);
  EXPECT_EQ(closed, std::vector<int>{1});
  ASSERT_EQ(f.ui.Questions.size(), 1u);
  EXPECT_EQ(f.ui.Questions[0].number, 10143);
  EXPECT_EQ(f.ui.Questions[0].arg, "Made");
  // Yes saves first; when that save is cancelled the catalog stays open.
  f.bd.GoToNode(f.Catalog(1));
  f.bd.ChildSetStr(0, kCatFileName, "");  // as if never saved: Save needs the dialog
  f.ui.Answers = {TAnswer::Yes};
  EXPECT_FALSE(f.files.Close(1, false));
  EXPECT_EQ(f.Count(), 2);
  // No closes without saving.
  std::string before = ReadFile(f.dir + "/2.ctl");
  f.ui.Answers = {TAnswer::No};
  EXPECT_TRUE(f.files.CloseAll(false));
  EXPECT_EQ(f.Count(), 0);
  EXPECT_EQ(ReadFile(f.dir + "/2.ctl"), before);
}

TEST(CatalogFiles, ExitRecordsOpenCatalogsAndModeOneReopensThem) {
  Fixture f("exit");
  std::string one = f.MakeCatalogFile("one.ctl", "D1"), two = f.MakeCatalogFile("two.ctl", "D2");
  f.files.OpenFiles({one, two});
  f.files.NewCatalog("unsaved");  // no file name: not recorded
  f.openAtExit = {"stale"};
  EXPECT_TRUE(f.files.ExitQuery());
  EXPECT_EQ(f.openAtExit, (std::vector<std::string>{one, two}));
  EXPECT_EQ(f.Count(), 0);
  EXPECT_EQ(f.files.StartUp("", TStartupOpen::OpenAtExit, {}), 2);
  EXPECT_EQ(HeaderStr(f.Catalog(1), kCatFileName), one);
  EXPECT_EQ(HeaderStr(f.Catalog(2), kCatFileName), two);
  // Save all on exit saves a modified catalog instead of asking.
  f.files.Options.SaveAllOnExit = true;
  f.Modify(2);
  EXPECT_TRUE(f.files.ExitQuery());
  EXPECT_TRUE(f.ui.Questions.empty());
  // A command-line file wins over the start-up mode; mode 2 opens the fixed list.
  EXPECT_EQ(f.files.StartUp(f.dir + "/nothing.ctl", TStartupOpen::StartupList, {one}), 0);
  EXPECT_EQ(f.ui.Messages.back().number, 10123);
  EXPECT_EQ(f.files.StartUp("", TStartupOpen::StartupList, {two}), 1);
  EXPECT_EQ(f.files.StartUp("", TStartupOpen::Nothing, {one}), 0);
}

TEST(CatalogFiles, SaveAllStopsAtTheFirstCancelledSave) {
  Fixture f("save_all");
  f.files.NewCatalog("x");
  f.files.NewCatalog("y");
  f.Modify(1);
  f.Modify(2);
  // Catalog x has no file: its dialog is cancelled, so y is not saved either.
  EXPECT_FALSE(f.files.SaveAll());
  EXPECT_EQ(f.ui.Proposed, std::vector<std::string>{"x"});
  EXPECT_EQ(HeaderInt(f.Catalog(2), kCatModified), 1);
}

TEST(CatalogFiles, RecentEntriesOfOpenFilesAreHidden) {
  Fixture f("recent_visible");
  std::string one = f.MakeCatalogFile("one.ctl", "D1"), two = f.MakeCatalogFile("two.ctl", "D2");
  f.recent = {one, two, f.dir + "/gone.ctl"};
  f.files.OpenFiles({two});
  EXPECT_EQ(f.recent[0], two);  // exchanged with the first entry
  EXPECT_EQ(f.files.VisibleRecent(), (std::vector<int>{1, 2}));
  EXPECT_EQ(f.files.OpenRecent(1), 1);
  EXPECT_EQ(f.files.VisibleRecent(), (std::vector<int>{2}));
  EXPECT_EQ(f.files.OpenRecent(7), 0);
}

TEST(CatalogFiles, DefaultCatalogFolder) {
  std::string dir = ScratchDir("default_folder");
  std::string setting;
  EXPECT_EQ(InitDefaultCatalogFolder(setting, dir), dir + "/Catalogs/");
  EXPECT_TRUE(fs::is_directory(dir + "/Catalogs"));
  EXPECT_EQ(InitDefaultCatalogFolder(setting, "/elsewhere/"), dir + "/Catalogs/");  // kept
  Fixture f("dialog_folder");
  f.files.Options.DefaultFolder = f.dir + "/gone/";
  f.files.Options.ProgramFolder = "/prog/";
  EXPECT_EQ(f.files.DialogFolder(), "/prog/");  // a folder that does not exist is not used
}
