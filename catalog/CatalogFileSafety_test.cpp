// SPDX-License-Identifier: MIT
// Catalog files under other writers, read-only files, killed saves and oversized files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "catalog/CatalogFiles.h"
#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"
#include "platform/FileIO.h"
#include "platform/FileLock.h"

namespace fs = std::filesystem;

namespace {

// The image of a catalog holding the disks `disks`.
std::string CatalogImage(const std::vector<std::string>& disks) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Made", 1);
  for (const std::string& d : disks) AddContainer(bd, d, ikDisk);
  std::string image;
  bd.Signature = "Vrt base";
  bd.SaveToString(image);
  return image;
}

// Names of the items on the first level of a catalog file.
std::vector<std::string> ItemsOf(const std::string& path) {
  TQDBase bd;
  std::string image = ReadFile(path);
  std::vector<std::string> names;
  if (!bd.LoadFromString(image)) return names;
  const TNodeRec* cat = bd.RootNode();
  for (int i = 1; i < cat->SlotCount; ++i)
    if (const TNodeRec* item = NodeChild(cat, i)) names.emplace_back(ItemName(item));
  return names;
}

struct Session {
  TQDBase bd;
  TScriptedUi ui;
  std::vector<std::string> recent, openAtExit;
  TCatalogFiles files{bd, ui, recent, openAtExit};
  Session() { InitCatalogStore(bd); }
  TNodeRec* Catalog(int slot) { return NodeChild(bd.RootNode(), slot); }
  // Appends a group to the catalog at `slot` and marks it modified.
  void AddGroup(int slot, const std::string& name) {
    bd.GoToNode(Catalog(slot));
    AddContainer(bd, name, ikGroup);
    MarkCatalogModified(bd, 2.0);
  }
};

// One read-modify-write as a command makes it: lock, read, change, save.
int AddGroupToFile(const std::string& path, const std::string& name) {
  Session s;
  s.files.Options.LockWaitMs = 60000;  // two busy processes on a loaded machine
  if (!s.files.LockForChange(path).empty()) return 1;
  if (s.files.OpenFiles({path}) != 1) return 2;
  s.AddGroup(1, name);
  if (s.files.SaveAt(1, false) != TSaveResult::Saved) return 3;
  return 0;
}

}  // namespace

TEST(CatalogFileSafety, ParallelWritersLoseNothing) {
  std::string dir = ScratchDir("parallel_writers");
  std::string path = dir + "/c.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, CatalogImage({"Disk"})).Message(), "");
  constexpr int kEach = 50;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      for (int i = 0; i < kEach; ++i)
        if (int rc = AddGroupToFile(path, "G" + std::to_string(c) + "-" + std::to_string(i)))
          ::_exit(rc);
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  std::vector<std::string> items = ItemsOf(path);
  EXPECT_EQ(items.size(), 1u + 2 * kEach);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kEach; ++i) {
      std::string name = "G" + std::to_string(c) + "-" + std::to_string(i);
      EXPECT_NE(std::find(items.begin(), items.end(), name), items.end()) << name;
    }
}

TEST(CatalogFileSafety, AHeldLockMakesTheSecondWriterFailAndChangeNothing) {
  std::string dir = ScratchDir("held_lock");
  std::string path = dir + "/c.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, CatalogImage({"Disk"})).Message(), "");
  std::string original = ReadFile(path);
  TFileLock other;
  ASSERT_EQ(other.Lock(path), "");
  EXPECT_TRUE(fs::exists(path + ".lock"));

  // A command's read-modify-write waits, then gives up with a message naming the file.
  Session s;
  s.files.Options.LockWaitMs = 300;
  auto start = std::chrono::steady_clock::now();
  std::string error = s.files.LockForChange(path);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_NE(error.find("being changed by another program"), std::string::npos) << error;
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_GE(waited, std::chrono::milliseconds(250));

  // The program's save, which takes the lock while it writes, fails the same way.
  ASSERT_EQ(s.files.OpenFiles({path}), 1);
  s.AddGroup(1, "Mine");
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Failed);
  ASSERT_EQ(s.ui.Messages.size(), 1u);
  EXPECT_EQ(s.ui.Messages[0].number, 10122);
  EXPECT_NE(s.ui.Messages[0].arg.find("being changed by another program"), std::string::npos);
  EXPECT_EQ(ReadFile(path), original);

  // Once the other writer is done, the save goes through.
  other.Unlock();
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(ItemsOf(path), (std::vector<std::string>{"Disk", "Mine"}));
  // A lock taken for a change is held until the session ends.
  ASSERT_EQ(s.files.LockForChange(path), "");
  EXPECT_NE(other.Lock(path, 0), "");
}

TEST(CatalogFileSafety, AFileChangedOnDiskIsNotOverwrittenUnasked) {
  std::string dir = ScratchDir("changed_on_disk");
  std::string path = dir + "/c.ctl";
  std::string other = dir + "/other.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, CatalogImage({"Disk"})).Message(), "");
  Session s;
  ASSERT_EQ(s.files.OpenFiles({path}), 1);
  // Saving a file nobody else touched asks nothing, and neither does the next save.
  s.AddGroup(1, "A");
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  s.AddGroup(1, "B");
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_TRUE(s.ui.Questions.empty());

  // Another program replaces the file: cancel keeps its version.
  const std::string theirs = CatalogImage({"Theirs"});
  ASSERT_EQ(WriteWholeFileAtomic(path, theirs).Message(), "");
  s.AddGroup(1, "C");
  s.ui.ChangedAnswers = {TChangedAnswer::Cancel};
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Cancelled);
  ASSERT_EQ(s.ui.Questions.size(), 1u);
  EXPECT_EQ(s.ui.Questions[0].number, 10144);
  EXPECT_EQ(s.ui.Questions[0].arg, path);
  EXPECT_EQ(ReadFile(path), theirs);
  EXPECT_EQ(FieldInt(NodeChild(s.Catalog(1), 0), kCatModified), 1);

  // Save as: the catalog goes to the name the dialog gives; their file stays.
  s.ui.ChangedAnswers = {TChangedAnswer::SaveAs};
  s.ui.FileNames = {other};
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(ReadFile(path), theirs);
  EXPECT_EQ(ItemsOf(other), (std::vector<std::string>{"Disk", "A", "B", "C"}));

  // Overwrite: after they change `other` too, the user's catalog replaces theirs.
  ASSERT_EQ(WriteWholeFileAtomic(other, theirs).Message(), "");
  s.AddGroup(1, "D");
  s.ui.ChangedAnswers = {TChangedAnswer::Overwrite};
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  EXPECT_EQ(ItemsOf(other), (std::vector<std::string>{"Disk", "A", "B", "C", "D"}));
  EXPECT_EQ(s.ui.Questions.size(), 3u);
}

TEST(CatalogFileSafety, AReadOnlyCatalogIsNotReplacedAndAReplacedOneKeepsModeAndOwner) {
  std::string dir = ScratchDir("read_only");
  std::string path = dir + "/c.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, CatalogImage({"Disk"})).Message(), "");
  std::string original = ReadFile(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  struct stat before;
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  std::ofstream(dir + "/c.BAK") << "the older backup";
  Session s;
  s.files.Options.BackupCopies = true;
  ASSERT_EQ(s.files.OpenFiles({path}), 1);
  s.AddGroup(1, "G");
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Failed);
  ASSERT_EQ(s.ui.Messages.size(), 1u);
  EXPECT_EQ(s.ui.Messages[0].number, 10122);
  EXPECT_NE(s.ui.Messages[0].arg.find("read-only"), std::string::npos) << s.ui.Messages[0].arg;
  struct stat after;
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // the very same file
  EXPECT_EQ(after.st_mode & 07777, 0444u);
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(ReadFile(dir + "/c.BAK"), "the older backup");  // refused before the backup too

  // A writable file is replaced by one with its mode and (saved by root) its owner and group.
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
  }
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(after.st_gid, 4322u);
  }
}

TEST(CatalogFileSafety, ASaveRemovesTheStaleTemporaryFilesOfItsOwnName) {
  std::string dir = ScratchDir("stale_tmp");
  std::string path = dir + "/c.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, CatalogImage({"Disk"})).Message(), "");
  const std::vector<std::string> stale = {"c.ctl.tmp123456", "c.ctl.tmp7", "c.BAK.tmp42"};
  const std::vector<std::string> kept = {"c.ctl.tmp1234567", "c.ctl.tmpabc", "c.ctl.tmp",
                                         "d.ctl.tmp123456",  "xc.ctl.tmp12", "c.ctl.tmp12.bak"};
  for (const std::string& n : stale) std::ofstream(dir + "/" + n) << "half an image";
  for (const std::string& n : kept) std::ofstream(dir + "/" + n) << "not ours";
  fs::create_directory(dir + "/c.ctl.tmp55");  // not a file
  Session s;
  ASSERT_EQ(s.files.OpenFiles({path}), 1);
  s.AddGroup(1, "G");
  EXPECT_EQ(s.files.SaveAt(1, false), TSaveResult::Saved);
  for (const std::string& n : stale) EXPECT_FALSE(fs::exists(dir + "/" + n)) << n;
  for (const std::string& n : kept) EXPECT_TRUE(fs::exists(dir + "/" + n)) << n;
  EXPECT_TRUE(fs::is_directory(dir + "/c.ctl.tmp55"));
}

TEST(CatalogFileSafety, AFileLargerThanAnyImageIsRefusedBeforeItIsRead) {
  std::string dir = ScratchDir("too_large");
  std::string path = dir + "/huge.ctl";
  { std::ofstream(path) << "x"; }
  // A sparse file of 3 GB: reading it would take seconds and gigabytes.
  fs::resize_file(path, 3'000'000'000ull);
  Session s;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.files.OpenFiles({path}), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_EQ(s.ui.Messages.size(), 1u);
  EXPECT_EQ(s.ui.Messages[0].number, 10126);
  EXPECT_NE(s.ui.Messages[0].arg.find("too large"), std::string::npos) << s.ui.Messages[0].arg;

  // The limit itself: a file of exactly the limit is read, one byte more is not.
  std::string data;
  std::string small = dir + "/small";
  std::ofstream(small) << "0123456789";
  EXPECT_EQ(ReadWholeFile(small, data, 10).Message(), "");
  EXPECT_EQ(data, "0123456789");
  EXPECT_NE(ReadWholeFile(small, data, 9).Message(), "");
  EXPECT_EQ(data, "0123456789");  // untouched on failure
  // A file that reports no size is still read whole, within the limit.
  EXPECT_EQ(ReadWholeFile("/proc/self/status", data, 1 << 20).Message(), "");
  EXPECT_NE(data.find("Name:"), std::string::npos);
  EXPECT_NE(ReadWholeFile("/proc/self/status", data, 16).Message(), "");
}

TEST(CatalogFileSafety, AMappedFileGivesTheBytesAndTheChecksOfAReadOne) {
  std::string dir = ScratchDir("mapped");
  std::string small = dir + "/small";
  std::ofstream(small) << "0123456789";
  TFileImage image;
  struct stat st;
  ASSERT_EQ(MapWholeFile(small, image, 10, &st).Message(), "");
  EXPECT_TRUE(image.Mapped());
  EXPECT_EQ(image.View(), "0123456789");
  EXPECT_EQ(st.st_size, 10);
  // Refused like ReadWholeFile, and the image it had is kept.
  EXPECT_NE(MapWholeFile(small, image, 9).Message().find("too large"), std::string::npos);
  EXPECT_EQ(image.View(), "0123456789");
  EXPECT_EQ(MapWholeFile(dir + "/missing", image).Message(), "No such file or directory");
  EXPECT_EQ(MapWholeFile(dir, image).Message(), "Is a directory");
  // A moved image keeps its mapping; the one moved from is empty.
  TFileImage moved = std::move(image);
  EXPECT_EQ(moved.View(), "0123456789");
  EXPECT_TRUE(image.View().empty());
  // Files without a size (pseudo files) and empty files are read instead.
  ASSERT_EQ(MapWholeFile("/proc/self/status", image, 1 << 20).Message(), "");
  EXPECT_FALSE(image.Mapped());
  EXPECT_NE(image.View().find("Name:"), std::string::npos);
  std::ofstream(dir + "/empty");
  ASSERT_EQ(MapWholeFile(dir + "/empty", image).Message(), "");
  EXPECT_TRUE(image.View().empty());
}

TEST(CatalogFileSafety, ACatalogLoadsFromItsMappingWithoutWritingToIt) {
  // Large enough that the load gives pages back to the page cache on the way.
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Big", 1);
  bd.GoToNode(NodeChild(bd.RootNode(), 1));
  AddContainer(bd, "Disk", ikDisk);
  bd.GoToNode(NodeChild(NodeChild(bd.RootNode(), 1), 1));
  for (int i = 1; i <= 200000; ++i) {
    bd.EnterChild(i);
    bd.SetStr(kFieldName, "file " + std::to_string(i) + ".txt");
    bd.SetInt(kFieldFlags, ikFile);
    bd.SetInt64(kFieldSize, i);
    bd.Up();
  }
  bd.GoToNode(NodeChild(bd.RootNode(), 1));
  std::string saved;
  bd.Signature = "Vrt base";
  bd.SaveToString(saved);
  ASSERT_GT(saved.size(), 8u << 20);
  std::string path = ScratchDir("mapped_load") + "/big.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, saved).Message(), "");

  TFileImage image;
  ASSERT_EQ(MapWholeFile(path, image).Message(), "");
  ASSERT_TRUE(image.Mapped());
  TQDBase back;
  ASSERT_TRUE(back.LoadFromImage(image.View(), true)) << back.LoadFailure();
  EXPECT_EQ(image.View(), saved);  // read-only pages: a write would have killed the test
  std::string again;
  back.Signature = "Vrt base";
  back.SaveToString(again);
  EXPECT_EQ(again, saved);

  // Through the catalog files: the same tree as a load from a copy of the bytes.
  Session s;
  ASSERT_EQ(s.files.OpenFiles({path}), 1);
  TQDBase copy;
  std::string bytes = saved;
  ASSERT_TRUE(copy.LoadFromString(bytes));
  EXPECT_EQ(CountItems(s.Catalog(1)).Files, CountItems(copy.RootNode()).Files);
  EXPECT_EQ(CountItems(s.Catalog(1)).Files, 200000);
}

TEST(CatalogFileSafety, AMappedCatalogCutShortByAnotherProgramIsRefusedNotFatal) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Cut", 1);
  bd.GoToNode(NodeChild(bd.RootNode(), 1));
  AddContainer(bd, "Disk", ikDisk);
  bd.GoToNode(NodeChild(NodeChild(bd.RootNode(), 1), 1));
  for (int i = 1; i <= 20000; ++i) {
    bd.EnterChild(i);
    bd.SetStr(kFieldName, "file " + std::to_string(i) + ".txt");
    bd.SetInt(kFieldFlags, ikFile);
    bd.Up();
  }
  bd.GoToNode(NodeChild(bd.RootNode(), 1));
  std::string saved;
  bd.Signature = "Vrt base";
  bd.SaveToString(saved);
  std::string path = ScratchDir("cut_short") + "/cut.ctl";
  ASSERT_EQ(WriteWholeFileAtomic(path, saved).Message(), "");

  // The file shrinks to one page after it was mapped and before it is read: reading the rest of
  // the mapping would raise SIGBUS.
  TFileImage image;
  ASSERT_EQ(MapWholeFile(path, image).Message(), "");
  ASSERT_TRUE(image.Mapped());
  ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
  TQDBase back;
  EXPECT_FALSE(back.LoadFromImage(image.View(), true));
  EXPECT_TRUE(image.Damaged());
  EXPECT_EQ(image.View().size(), saved.size());

  // A second mapping of the same (now short) file reads as the short file and is not damaged.
  TFileImage again;
  ASSERT_EQ(MapWholeFile(path, again).Message(), "");
  EXPECT_EQ(again.View().size(), 4096u);
  EXPECT_FALSE(again.Damaged());
  EXPECT_FALSE(image.View().empty());
}
