// SPDX-License-Identifier: MIT
// The scanner on real folders made in a temporary directory, and the update carry-over.
#include "scan/FileScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"

namespace fs = std::filesystem;

namespace {

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tolvane-scan-XXXXXX";
    root_ = mkdtemp(tmpl);
    InitDescriptionRules(opt_);
    InitArchiveTypes(opt_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& rel, const std::string& data) {
    fs::path p = fs::path(root_) / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << data;
  }

  // Scans root_ into a fresh disk store; the cursor of disk_ is on its root afterwards.
  TFileScan& Scan(bool importDesc = true, bool archives = true, int walkers = 0) {
    disk_.Clear();
    disk_.ChildSetStr(0, kFieldName, "Disk");
    disk_.ChildSetInt(0, kFieldFlags, ikDisk);
    TScanSettings settings = MakeScanSettings(opt_, importDesc, archives);
    settings.Walkers = walkers;
    scan_ = std::make_unique<TFileScan>(disk_, root_, std::move(settings));
    scan_->Run();
    disk_.GoToDepth(0);
    return *scan_;
  }

  // Names of the items of the node at `path` (names joined by "/") of the disk store.
  std::vector<std::string> Names(const TNodeRec* node) {
    std::vector<std::string> out;
    for (int i = 1; i < node->SlotCount; ++i) out.emplace_back(ItemName(NodeChild(node, i)));
    return out;
  }
  const TNodeRec* Child(const TNodeRec* node, std::string_view name) {
    for (int i = 1; i < node->SlotCount; ++i)
      if (ItemName(NodeChild(node, i)) == name) return NodeChild(node, i);
    return nullptr;
  }

  std::string root_;
  TQDBase opt_, disk_;
  std::unique_ptr<TFileScan> scan_;
};

}  // namespace

TEST_F(ScanTest, FoldersThenArchivesThenFilesByName) {
  fs::create_directories(root_ + "/b");
  fs::create_directories(root_ + "/a");
  fs::copy_file(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip", root_ + "/A.zip");
  Write("C.txt", "hello");
  Write("broken.zip", "not an archive at all");
  TFileScan& s = Scan();
  EXPECT_TRUE(s.Completed());
  const TNodeRec* disk = disk_.RootNode();
  EXPECT_EQ(Names(disk), (std::vector<std::string>{"a", "b", "A.zip", "broken.zip", "C.txt"}));
  const TNodeRec* zip = Child(disk, "A.zip");
  ASSERT_TRUE(IsContainer(zip));
  EXPECT_TRUE(ItemFlagsOf(zip) & ifArchive);
  EXPECT_EQ(ItemSizeOf(zip), 745);  // the archive file's own size
  const TNodeRec* broken = Child(disk, "broken.zip");
  EXPECT_FALSE(IsContainer(broken));  // an archive that cannot be listed is a plain file
  // Counts: the root and two folders; files include the archive.
  EXPECT_EQ(s.FoldersDone, 3);
  EXPECT_EQ(s.FilesDone, 3);
  EXPECT_EQ(s.ArchivesDone, 1);
  // Entries inside the archive carry ifInArchive; folders come first there too.
  int32_t first = ItemFlagsOf(NodeChild(zip, 1));
  EXPECT_EQ(ItemKind(first), ikFolder);
  EXPECT_TRUE(first & ifInArchive);
}

TEST_F(ScanTest, EmptyFolderAndTotals) {
  fs::create_directories(root_ + "/empty");
  Write("docs/x.bin", std::string(1000, 'x'));
  Write("docs/deeper/y.bin", std::string(24, 'y'));
  TFileScan& s = Scan(false, false);
  const TNodeRec* disk = disk_.RootNode();
  const TNodeRec* empty = Child(disk, "empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->SlotCount, 1);  // a header only
  EXPECT_EQ(ItemSizeOf(empty), 0);
  EXPECT_EQ(ItemSizeOf(Child(disk, "docs")), 1024);
  EXPECT_EQ(ItemSizeOf(disk), 1024);
  EXPECT_EQ(s.FoldersDone, 4);
  EXPECT_EQ(s.BytesDone, 1024);
  EXPECT_EQ(ItemAttributes(ItemFlagsOf(empty)) & kAttrDirectory, kAttrDirectory);
}

TEST_F(ScanTest, LinksAreRecordedNotFollowed) {
  fs::create_directories(root_ + "/sub");
  Write("sub/file.txt", "abc");
  ASSERT_EQ(symlink("..", (root_ + "/sub/up").c_str()), 0);
  ASSERT_EQ(symlink("/etc", (root_ + "/etc-link").c_str()), 0);
  TFileScan& s = Scan(false, false);
  EXPECT_TRUE(s.Completed());
  const TNodeRec* sub = Child(disk_.RootNode(), "sub");
  const TNodeRec* up = Child(sub, "up");
  ASSERT_NE(up, nullptr);
  EXPECT_FALSE(IsContainer(up));
  EXPECT_FALSE(IsContainer(Child(disk_.RootNode(), "etc-link")));
  EXPECT_EQ(s.FoldersDone, 2);
}

TEST_F(ScanTest, HiddenReadOnlyAndHugeSparseFile) {
  Write(".hidden", "h");
  Write("ro.txt", "r");
  chmod((root_ + "/ro.txt").c_str(), 0444);
  { std::ofstream big(root_ + "/big.img", std::ios::binary); }
  ASSERT_EQ(truncate((root_ + "/big.img").c_str(), 5000000000LL), 0);
  Scan(false, false);
  const TNodeRec* disk = disk_.RootNode();
  EXPECT_TRUE(ItemAttributes(ItemFlagsOf(Child(disk, ".hidden"))) & kAttrHidden);
  EXPECT_TRUE(ItemAttributes(ItemFlagsOf(Child(disk, "ro.txt"))) & kAttrReadOnly);
  EXPECT_EQ(ItemSizeOf(Child(disk, "big.img")), 5000000000LL);
  EXPECT_EQ(ItemSizeOf(disk), 5000000002LL);
}

TEST_F(ScanTest, DescriptionsFromFilesAndContents) {
  Write("docs/DESCRIPT.ION", "a.txt Described by the list\r\n");
  Write("docs/a.txt", "first line of a\r\n");
  Write("docs/page.htm", "<html><title>A page</title></html>");
  Write("FILE_ID.DIZ", "The disk itself\r\n");
  TFileScan& s = Scan();
  const TNodeRec* docs = Child(disk_.RootNode(), "docs");
  EXPECT_EQ(FieldStr(FieldNode(Child(docs, "page.htm")), kFieldDescription), "A page");
  EXPECT_FALSE(FieldStr(Child(docs, "a.txt"), kFieldDescription).empty());
  EXPECT_EQ(FieldStr(FieldNode(disk_.RootNode()), kFieldDescription), "The disk itself");
  EXPECT_GE(s.DescriptionsDone, 2);
  // With import off nothing is described.
  Scan(false);
  docs = Child(disk_.RootNode(), "docs");
  EXPECT_TRUE(FieldStr(FieldNode(Child(docs, "page.htm")), kFieldDescription).empty());
}

TEST_F(ScanTest, CancelBeforeTheWalkLeavesNoItems) {
  Write("a/b.txt", "b");
  disk_.Clear();
  TFileScan scan(disk_, root_, MakeScanSettings(opt_, true, true));
  scan.CancelRequested = true;
  scan.Run();
  EXPECT_TRUE(scan.Done);
  EXPECT_FALSE(scan.Completed());
  EXPECT_EQ(disk_.RootNode()->SlotCount, 0);
}

TEST_F(ScanTest, PausedWorkerWaitsAndCancelEndsIt) {
  for (int i = 0; i < 50; ++i) Write("d" + std::to_string(i) + "/f.txt", "x");
  disk_.Clear();
  TFileScan scan(disk_, root_, MakeScanSettings(opt_, false, false));
  scan.Paused = true;
  scan.Start();
  usleep(50 * 1000);
  EXPECT_FALSE(scan.Done);
  EXPECT_EQ(scan.FilesDone, 0);
  scan.CancelRequested = true;
  scan.Join();
  EXPECT_TRUE(scan.Done);
  EXPECT_FALSE(scan.Completed());
}

TEST_F(ScanTest, MissingRootGivesAnEmptyDisk) {
  disk_.Clear();
  TFileScan scan(disk_, root_ + "/does-not-exist", MakeScanSettings(opt_, true, true));
  scan.Run();
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(disk_.RootNode()->SlotCount, 0);
}

// Mended: a FIFO with a described name hung the scan in open(); links were read through to
// their target's content. Only regular files are opened, links get no description or listing.
TEST_F(ScanTest, FifosAndLinksAreNeverRead) {
  Write("page.htm", "<html><title>A page</title></html>");
  fs::copy_file(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip", root_ + "/A.zip");
  ASSERT_EQ(mkfifo((root_ + "/song.mp3").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((root_ + "/fifo.htm").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((root_ + "/DESCRIPT.ION").c_str(), 0644), 0);
  ASSERT_EQ(symlink("page.htm", (root_ + "/link.htm").c_str()), 0);
  ASSERT_EQ(symlink("A.zip", (root_ + "/link.zip").c_str()), 0);
  disk_.Clear();
  disk_.ChildSetStr(0, kFieldName, "Disk");
  disk_.ChildSetInt(0, kFieldFlags, ikDisk);
  TFileScan scan(disk_, root_, MakeScanSettings(opt_, true, true));
  scan.Start();
  for (int i = 0; i < 500 && !scan.Done; ++i) usleep(10 * 1000);
  const bool finished = scan.Done;
  if (!finished) {  // free a reader blocked on a FIFO, so the test fails instead of hanging
    for (const char* f : {"/song.mp3", "/fifo.htm", "/DESCRIPT.ION"}) {
      int fd = ::open((root_ + f).c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    }
  }
  scan.Join();
  ASSERT_TRUE(finished);
  EXPECT_TRUE(scan.Completed());
  disk_.GoToDepth(0);
  const TNodeRec* disk = disk_.RootNode();
  EXPECT_EQ(FieldStr(FieldNode(Child(disk, "page.htm")), kFieldDescription), "A page");
  EXPECT_EQ(FieldStr(Child(disk, "link.htm"), kFieldDescription), "");
  EXPECT_EQ(FieldStr(Child(disk, "song.mp3"), kFieldDescription), "");
  EXPECT_TRUE(IsContainer(Child(disk, "A.zip")));
  ASSERT_NE(Child(disk, "link.zip"), nullptr);
  EXPECT_FALSE(IsContainer(Child(disk, "link.zip")));
  EXPECT_EQ(scan.ArchivesDone, 1);
  EXPECT_EQ(scan.DescriptionsDone, 1);
}

namespace {

// Removes the entry `name` of the folder open as `dirfd` with everything below it, at any depth.
void RemoveTreeAt(int dirfd, const char* name) {
  int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ::unlinkat(dirfd, name, 0);
    return;
  }
  std::vector<std::string> names;
  if (DIR* d = ::fdopendir(::dup(fd))) {
    while (dirent* de = ::readdir(d))
      if (std::strcmp(de->d_name, ".") != 0 && std::strcmp(de->d_name, "..") != 0)
        names.emplace_back(de->d_name);
    ::closedir(d);
  }
  for (const std::string& n : names) RemoveTreeAt(fd, n.c_str());
  ::close(fd);
  ::unlinkat(dirfd, name, AT_REMOVEDIR);
}

}  // namespace

// Mended: files whose path passed 4,096 bytes lost their descriptions and a zip there was stored
// as a plain file. Everything is opened through its folder's descriptor.
TEST_F(ScanTest, DepthBeyondThePathLimitLosesNothing) {
  const std::string level(200, 'd');
  const int depth = 30;  // over 6,000 bytes of path
  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < depth; ++i) {
    ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
    int sub = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = sub;
    ASSERT_GE(fd, 0);
  }
  auto put = [fd](const char* name, const std::string& data) {
    int f = ::openat(fd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(f, 0);
    ASSERT_EQ(::write(f, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    ::close(f);
  };
  put("page.htm", "<html><title>Deep down</title></html>");
  put("DESCRIPT.ION", "data.bin From the list\r\n");
  put("data.bin", "a");
  std::ifstream zip(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip",
                    std::ios::binary);
  put("A.zip", std::string(std::istreambuf_iterator<char>(zip), {}));
  ::close(fd);

  TFileScan& s = Scan();
  EXPECT_TRUE(s.Completed());
  const TNodeRec* node = disk_.RootNode();
  for (int i = 0; i < depth && node; ++i) node = Child(node, level);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(FieldStr(FieldNode(Child(node, "page.htm")), kFieldDescription), "Deep down");
  EXPECT_EQ(FieldStr(Child(node, "data.bin"), kFieldDescription), "From the list");
  const TNodeRec* deepZip = Child(node, "A.zip");
  ASSERT_NE(deepZip, nullptr);
  EXPECT_TRUE(IsContainer(deepZip));
  EXPECT_EQ(s.ArchivesDone, 1);

  int rootFd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  RemoveTreeAt(rootFd, level.c_str());
  ::close(rootFd);
}

namespace {

// Root reads every folder: while an instance lives, the calling thread does without the
// capabilities that bypass file permissions, as a user would. Ok() is false when that fails.
class TWithoutFileCapabilities {
 public:
  TWithoutFileCapabilities() {
    if (::geteuid() != 0) {
      ok_ = true;
      return;
    }
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
      lowered[cap / 32].effective &= ~(1u << (cap % 32));
    ok_ = dropped_ = ::syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~TWithoutFileCapabilities() {
    if (dropped_) ::syscall(SYS_capset, &header_, saved_);
  }
  bool Ok() const { return ok_; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool ok_ = false, dropped_ = false;
};

}  // namespace

// Unreadable folders are stored empty, and counted and named.
TEST_F(ScanTest, UnreadableFoldersAreCountedAndNamed) {
  Write("open/a.txt", "a");
  Write("closed/b.txt", "b");
  Write("open/deep/also closed/c.txt", "c");
  for (int i = 0; i < 20; ++i) Write("open/deep/d" + std::to_string(i) + "/e.txt", "e");
  const std::string closedPaths[] = {root_ + "/closed", root_ + "/open/deep/also closed"};
  for (const std::string& p : closedPaths) ASSERT_EQ(chmod(p.c_str(), 0), 0);
  for (int walkers : {1, 2}) {
    SCOPED_TRACE(walkers);
    {
      TWithoutFileCapabilities user;  // the second walker's thread inherits it
      if (!user.Ok()) GTEST_SKIP() << "cannot give up the capabilities of root";
      Scan(false, false, walkers);
    }
    TFileScan& s = *scan_;
    EXPECT_TRUE(s.Completed());
    const TNodeRec* closed = Child(disk_.RootNode(), "closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->SlotCount, 1);
    EXPECT_EQ(s.FoldersUnreadable, 2);
    // In byte order, whichever walker met them first.
    EXPECT_EQ(s.UnreadableFolders(),
              (std::vector<std::string>{root_ + "/closed/", root_ + "/open/deep/also closed/"}));
  }
  for (const std::string& p : closedPaths) chmod(p.c_str(), 0755);
}

// The second walker takes whole subfolders and walks them into stores of its own; the disk must
// come out node for node as one walker writes it, whoever walked what. Names equal but for case
// make the folder sort depend on the order the items were written in.
TEST_F(ScanTest, TwoWalkersWriteTheDiskOfOne) {
  const std::string zip = std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip";
  for (int i = 0; i < 12; ++i) {
    std::string top = "t" + std::to_string(i) + "/";
    for (int j = 0; j < 6; ++j) {
      std::string mid = top + "m" + std::to_string(j) + "/";
      Write(mid + "page.htm", "<html><title>Page " + std::to_string(i * 10 + j) + "</title>");
      Write(mid + "Same/x.txt", "upper");
      Write(mid + "same/x.txt", "lower " + std::to_string(j));
      Write(mid + "leaf/deeper/note.txt", "note " + std::to_string(j));
      fs::create_directories(root_ + "/" + mid + "empty");
    }
    Write(top + "DESCRIPT.ION", "m0 first middle folder\r\nm1 second\r\n");
    fs::copy_file(zip, root_ + "/" + top + "pack.zip");
  }
  Write("readme.txt", "top");
  Scan(true, true, 1);
  std::string one;
  disk_.SaveToString(one);
  const int32_t folders = scan_->FoldersDone, files = scan_->FilesDone;
  EXPECT_EQ(folders, 1 + 12 * (1 + 6 * 6));
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    TFileScan& s = Scan(true, true, 2);
    EXPECT_TRUE(s.Completed());
    std::string two;
    disk_.SaveToString(two);
    EXPECT_TRUE(two == one) << "the images differ";
    EXPECT_EQ(s.FoldersDone, folders);
    EXPECT_EQ(s.FilesDone, files);
    EXPECT_EQ(s.DescriptionsDone, scan_->DescriptionsDone);
  }
  const TNodeRec* m1 = Child(Child(disk_.RootNode(), "t3"), "m1");
  ASSERT_NE(m1, nullptr);
  EXPECT_EQ(FieldStr(FieldNode(m1), kFieldDescription), "second");
  EXPECT_EQ(FieldStr(FieldNode(Child(m1, "page.htm")), kFieldDescription), "Page 31");
}

TEST_F(ScanTest, CancelWithTwoWalkersEndsBoth) {
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 10; ++j)
      Write("d" + std::to_string(i) + "/e" + std::to_string(j) + "/f.txt", "x");
  for (int delayUs : {0, 2000, 10000}) {
    disk_.Clear();
    TScanSettings settings = MakeScanSettings(opt_, true, true);
    settings.Walkers = 2;
    TFileScan scan(disk_, root_, std::move(settings));
    scan.Start();
    usleep(delayUs);
    scan.CancelRequested = true;
    scan.Join();  // both walkers end; a hang here is the fault
    EXPECT_TRUE(scan.Done);
    EXPECT_FALSE(scan.Completed());
  }
}

namespace {

void PutLE(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
}

// A ZIP whose entries `names` each claim INT64_MAX bytes through a zip64 extra field (and hold
// none): a hostile archive's sizes.
std::string Zip64Claiming(const std::vector<std::string>& names) {
  std::string out, cd;
  for (const std::string& name : names) {
    std::string extra;
    PutLE(extra, 1, 2);
    PutLE(extra, 16, 2);
    PutLE(extra, INT64_MAX, 8);
    PutLE(extra, 0, 8);
    const uint64_t offset = out.size();
    PutLE(out, 0x04034b50u, 4);
    for (uint64_t v : {45, 0, 0, 0, 0x21}) PutLE(out, v, 2);
    for (uint64_t v : {0ull, 0xFFFFFFFFull, 0xFFFFFFFFull}) PutLE(out, v, 4);
    PutLE(out, name.size(), 2);
    PutLE(out, extra.size(), 2);
    out += name + extra;
    PutLE(cd, 0x02014b50u, 4);
    for (uint64_t v : {45, 45, 0, 0, 0, 0x21}) PutLE(cd, v, 2);
    for (uint64_t v : {0ull, 0xFFFFFFFFull, 0xFFFFFFFFull}) PutLE(cd, v, 4);
    for (uint64_t v : {name.size(), extra.size(), size_t{0}, size_t{0}, size_t{0}}) PutLE(cd, v, 2);
    PutLE(cd, 0, 4);
    PutLE(cd, offset, 4);
    cd += name + extra;
  }
  const uint64_t cdOffset = out.size();
  out += cd;
  PutLE(out, 0x06054b50u, 4);
  for (uint64_t v : {size_t{0}, size_t{0}, names.size(), names.size()}) PutLE(out, v, 2);
  PutLE(out, cd.size(), 4);
  PutLE(out, cdOffset, 4);
  PutLE(out, 0, 2);
  return out;
}

}  // namespace

// Mended: sizes claimed by archive entries were summed with signed overflow; the sums now stop
// at the largest size.
TEST_F(ScanTest, HugeClaimedSizesSaturate) {
  Write("huge.zip", Zip64Claiming({"d/a.bin", "d/b.bin", "d/c.bin"}));
  Write("small.txt", "x");
  TFileScan& s = Scan(false, true);
  EXPECT_TRUE(s.Completed());
  const TNodeRec* zip = Child(disk_.RootNode(), "huge.zip");
  ASSERT_TRUE(IsContainer(zip));
  const TNodeRec* d = Child(zip, "d");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(ItemSizeOf(Child(d, "a.bin")), INT64_MAX);
  EXPECT_EQ(ItemSizeOf(d), INT64_MAX);
}

// ---- update ----------------------------------------------------------------------------------

namespace {

class UpdateTest : public ScanTest {
 protected:
  // bdMain with one catalog holding the scanned disk; returns the disk node.
  TNodeRec* AddDisk() {
    InitCatalogStore(main_);
    CreateCatalogNode(main_, "Cat", 46000.0);
    TNodeRec* catalog = main_.CurrentNode();
    Scan();
    return GraftNewDisk(main_, catalog, disk_);
  }
  void SetDescription(TNodeRec* item, const std::string& text, int category = 0) {
    main_.GoToNode(IsContainer(item) ? NodeChild(item, 0) : item);
    main_.SetStr(kFieldDescription, text);
    main_.SetInt(kFieldFlags, WithCategory(main_.GetInt(kFieldFlags), category));
  }
  void Update(TNodeRec* disk, TUpdateDescMode mode) {
    disk_.Clear();
    disk_.ChildSetStr(0, kFieldName, std::string(ItemName(disk)));
    disk_.ChildSetInt(0, kFieldFlags, ikDisk);
    CarryDiskFields(disk, disk_, mode);
    TFileScan scan(disk_, root_, MakeScanSettings(opt_, true, true, true, mode));
    main_.GoToNode(disk);
    scan.TakeOldDisk(main_);
    scan.Run();
    ASSERT_TRUE(scan.Completed());
    ReplaceDisk(main_, disk, disk_);
  }
  TQDBase main_;
};

}  // namespace

TEST_F(UpdateTest, DescriptionsAndCategoriesFollowNamesByMode) {
  Write("Docs/notes.txt", "head of notes\r\n");
  Write("Docs/renamed.bin", "x");
  Write("Other/keep.bin", "y");
  TNodeRec* disk = AddDisk();
  TNodeRec* docs = const_cast<TNodeRec*>(Child(disk, "Docs"));
  SetDescription(const_cast<TNodeRec*>(Child(docs, "notes.txt")), "my notes", 3);
  SetDescription(const_cast<TNodeRec*>(Child(docs, "renamed.bin")), "lost after rename", 2);
  SetDescription(docs, "my folder", 1);
  SetDescription(disk, "my disk", 4);
  main_.GoToNode(NodeChild(disk, 0));
  main_.SetInt(kHdrLocation, 2);
  main_.GoToNode(disk);
  main_.AddMark(mlUserList);
  main_.GoToNode(const_cast<TNodeRec*>(Child(docs, "notes.txt")));
  main_.AddMark(mlUserList);

  fs::rename(root_ + "/Docs/renamed.bin", root_ + "/Docs/RENAMED2.bin");
  fs::rename(root_ + "/Docs", root_ + "/DOCS");  // a case-only change keeps the match

  Update(disk, TUpdateDescMode::Keep);
  const TNodeRec* newDocs = Child(disk, "DOCS");
  ASSERT_NE(newDocs, nullptr);
  EXPECT_EQ(FieldStr(FieldNode(newDocs), kFieldDescription), "my folder");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(newDocs)), 1);
  const TNodeRec* notes = Child(newDocs, "notes.txt");
  EXPECT_EQ(FieldStr(notes, kFieldDescription), "my notes");  // kept over the text head
  EXPECT_EQ(ItemCategory(ItemFlagsOf(notes)), 3);
  const TNodeRec* renamed = Child(newDocs, "RENAMED2.bin");
  EXPECT_TRUE(FieldStr(renamed, kFieldDescription).empty());
  EXPECT_EQ(ItemCategory(ItemFlagsOf(renamed)), 0);
  EXPECT_EQ(FieldStr(FieldNode(disk), kFieldDescription), "my disk");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk)), 4);
  EXPECT_EQ(FieldInt(FieldNode(disk), kHdrLocation), 2);
  // The disk node stays in the user list; its old sub-items leave it.
  ASSERT_EQ(main_.MarkCount(mlUserList), 1);
  EXPECT_EQ(main_.MarkList(mlUserList)[0], disk);

  // Mode 2: the text head replaces the carried description.
  Update(disk, TUpdateDescMode::Replace);
  notes = Child(Child(disk, "DOCS"), "notes.txt");
  EXPECT_EQ(FieldStr(notes, kFieldDescription).substr(0, 13), "head of notes");
  // Mode 3: nothing carried, the disk description neither; location and category stay.
  SetDescription(const_cast<TNodeRec*>(Child(Child(disk, "DOCS"), "notes.txt")), "again", 3);
  Update(disk, TUpdateDescMode::DeleteAll);
  EXPECT_TRUE(FieldStr(FieldNode(disk), kFieldDescription).empty());
  EXPECT_EQ(FieldInt(FieldNode(disk), kHdrLocation), 2);
  notes = Child(Child(disk, "DOCS"), "notes.txt");
  EXPECT_EQ(FieldStr(notes, kFieldDescription).substr(0, 13), "head of notes");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(notes)), 3);  // categories are always carried
}

TEST_F(UpdateTest, AnArchiveNeverInheritsFromAPlainFileOfItsName) {
  fs::copy_file(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip", root_ + "/a.zip");
  InitCatalogStore(main_);
  CreateCatalogNode(main_, "Cat", 46000.0);
  TNodeRec* catalog = main_.CurrentNode();
  Scan(true, false);  // archives off: a plain file
  TNodeRec* disk = GraftNewDisk(main_, catalog, disk_);
  SetDescription(const_cast<TNodeRec*>(Child(disk, "a.zip")), "zip as a file", 5);
  Update(disk, TUpdateDescMode::Keep);
  const TNodeRec* zip = Child(disk, "a.zip");
  ASSERT_TRUE(IsContainer(zip));
  EXPECT_TRUE(FieldStr(FieldNode(zip), kFieldDescription).empty());
  EXPECT_EQ(ItemCategory(ItemFlagsOf(zip)), 0);
}

// Inside an archive, descriptions and categories follow the entries' names on an update, level by
// level as in real folders: after a folder's entries the next entry of its level still finds its
// counterpart.
TEST_F(UpdateTest, ArchiveEntriesKeepTheirDescriptions) {
  fs::copy_file(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip", root_ + "/A.zip");
  TNodeRec* disk = AddDisk();
  auto item = [&](std::initializer_list<const char*> path) {
    const TNodeRec* n = disk;
    for (const char* name : path) n = n ? Child(n, name) : nullptr;
    return const_cast<TNodeRec*>(n);
  };
  ASSERT_NE(item({"A.zip", "a", "b", "c.txt"}), nullptr);
  SetDescription(item({"A.zip", "a", "b"}), "folder b", 4);
  SetDescription(item({"A.zip", "dir", "y.txt"}), "inner", 2);
  SetDescription(item({"A.zip", "x.txt"}), "top", 3);
  Update(disk, TUpdateDescMode::Keep);
  EXPECT_EQ(FieldStr(FieldNode(item({"A.zip", "a", "b"})), kFieldDescription), "folder b");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(item({"A.zip", "a", "b"}))), 4);
  EXPECT_EQ(FieldStr(item({"A.zip", "dir", "y.txt"}), kFieldDescription), "inner");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(item({"A.zip", "dir", "y.txt"}))), 2);
  EXPECT_EQ(FieldStr(item({"A.zip", "x.txt"}), kFieldDescription), "top");
  EXPECT_EQ(ItemCategory(ItemFlagsOf(item({"A.zip", "x.txt"}))), 3);
  EXPECT_TRUE(FieldStr(item({"A.zip", "a", "b", "c.txt"}), kFieldDescription).empty());
  EXPECT_TRUE(ItemFlagsOf(item({"A.zip", "x.txt"})) & ifInArchive);
}

TEST(ScanDates, DosPrecisionAndRange) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(FileTimeToDateTime(0), 0.0);     // 1970 lies before 1980
  double d = FileTimeToDateTime(946684801);  // 2000-01-01 00:00:01 -> 00:00:00
  EXPECT_DOUBLE_EQ(d, 36526.0);
  EXPECT_DOUBLE_EQ(FileTimeToDateTime(946684802), 36526.0 + 2.0 / 86400);
  unsetenv("TZ");
  tzset();
}
