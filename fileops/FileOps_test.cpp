// SPDX-License-Identifier: MIT
// The file operation engine over real folders standing for media: medium order and Skip,
// folders and the placeholders they leave, deletion, extraction, cancel, failed moves, and
// catalog names that try to leave their folders.
#include "fileops/FileOps.h"

#include <sys/stat.h>

#include "archive/ArchiveTestUtil.h"
#include "fileops/FileOpsTestUtil.h"

namespace {

class FileOpsTest : public TFileOpsFixture {
 protected:
  int ModeOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return static_cast<int>(st.st_mode & 07777);
  }
};

TEST_F(FileOpsTest, MediumByMediumWithSkip) {
  std::string ma = AddMedium("ma", dtFixed, "A", "AAAA-0001");
  WriteFile(ma + "/a1.txt", "a1");
  WriteFile(ma + "/a2.txt", "a2");
  TNodeRec* diskB = AddDisk(Bd, "Disk B", dtFixed, "B", "BBBB-0002");
  TNodeRec* diskA = AddDisk(Bd, "Disk A", dtFixed, "A", "AAAA-0001");
  TNodeRec* a1 = AddFileIn(Bd, diskA, "a1.txt", 2);
  TNodeRec* a2 = AddFileIn(Bd, diskA, "a2.txt", 2);
  TNodeRec* b1 = AddFileIn(Bd, diskB, "b1.txt", 5);
  TNodeRec* b2 = AddFileIn(Bd, diskB, "b2.txt", 5);
  MarkItems(Bd, mlFound, {b1, a1, b2, a2});
  Bd.GoToNode(Catalog);

  Ui.InsertAnswers = {kInsertSkip};
  Engine.CopyFiles(mlFound, nullptr, false, TFileOp::Copy);

  // Disk A (smaller serial) first; disk B asked for once and passed over.
  EXPECT_EQ(Ui.Disks, (std::vector<std::string>{"Disk A", "Disk B"}));
  ASSERT_EQ(Ui.InsertAsked.size(), 1u);
  EXPECT_EQ(Ui.InsertAsked[0].Name, "Disk B");
  EXPECT_TRUE(Ui.InsertSkipOffered[0]);
  EXPECT_EQ(Engine.SkippedDisks(), (std::vector<std::string>{"Disk B"}));
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"a1.txt", "a2.txt"}));
  EXPECT_EQ(ReadFile(Dest + "/a2.txt"), "a2");
  EXPECT_EQ(Engine.DoneCount(), 2);
  EXPECT_EQ(Engine.TotalBytes(), 14);
  EXPECT_TRUE(Ui.Opened && Ui.Closed);
  // The work lists are empty again, the cursor and the source list as they were.
  EXPECT_EQ(Bd.MarkCount(mlOpSource), 0);
  EXPECT_EQ(Bd.MarkCount(mlOpPending), 0);
  EXPECT_EQ(Bd.MarkCount(mlFound), 4);
  EXPECT_EQ(Bd.CurrentNode(), Catalog);
  EXPECT_FALSE(Bd.DeferMarkPack);

  // Cancel at the prompt ends the whole operation: disk B sorts first now.
  TNodeRec* diskC = AddDisk(Bd, "Disk C", dtFixed, "C", "CCCC-0003");
  std::string mc = AddMedium("mc", dtFixed, "C", "CCCC-0003");
  WriteFile(mc + "/c.txt", "c");
  TNodeRec* c = AddFileIn(Bd, diskC, "c.txt", 1);
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  MarkItems(Bd, mlFound, {c, b1});
  Ui.InsertAnswers = {kInsertCancel};
  Engine.CopyFiles(mlFound, nullptr, false, TFileOp::Copy);
  EXPECT_TRUE(TreeOf(Dest).empty());
}

TEST_F(FileOpsTest, DisksOfOneMediumFromDifferentFoldersKeepTheirRoots) {
  // Two disks scanned from two folders of the same volume: same type, label and serial.
  std::string m = AddMedium("m", dtFixed, "DATA", "0000-00AA");
  WriteFile(m + "/photos/x.jpg", "photo x");
  WriteFile(m + "/photos/a.jpg", "photo a");
  WriteFile(m + "/music/a.jpg", "cover a");
  TNodeRec* photos = AddDisk(Bd, "Photos", dtFixed, "DATA", "0000-00AA", "photos");
  TNodeRec* music = AddDisk(Bd, "Music", dtFixed, "DATA", "0000-00AA", "music");
  TNodeRec* x = AddFileIn(Bd, photos, "x.jpg", 7);
  TNodeRec* a = AddFileIn(Bd, music, "a.jpg", 7);
  MarkItems(Bd, mlSelection, {x, a});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_EQ(TreeOf(m), (std::set<std::string>{"photos/", "photos/a.jpg", "music/"}));
}

TEST_F(FileOpsTest, FolderAndItemsInsideItCopiedOnce) {
  std::string m = AddMedium("m", dtCdRom, "CD", "1111-2222");
  WriteFile(m + "/F/x.txt", "xxxxxxxxxx");
  WriteFile(m + "/F/G/y.txt", "yy");
  WriteFile(m + "/z.txt", "zzzzz");
  TNodeRec* disk = AddDisk(Bd, "CD", dtCdRom, "CD", "1111-2222");
  TNodeRec* f = AddFolderIn(Bd, disk, "F", MakeItemFlags(kAttrDirectory, ikFolder), 12);
  TNodeRec* g = AddFolderIn(Bd, f, "G", ikFolder, 2);
  TNodeRec* y = AddFileIn(Bd, g, "y.txt", 2);
  TNodeRec* x = AddFileIn(Bd, f, "x.txt", 10);
  TNodeRec* z = AddFileIn(Bd, disk, "z.txt", 5);
  // Search results: the file inside the folder listed first; the disk row (kind 3) is not an
  // item a list operation takes.
  MarkItems(Bd, mlFound, {x, f, y, z, disk});
  std::vector<int> rows{0, 1, 2, 3, 4};
  Engine.CopyFiles(mlFound, &rows, false, TFileOp::Copy);

  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"F/", "F/G/", "F/G/y.txt", "F/x.txt", "z.txt"}));
  EXPECT_EQ(Engine.DoneCount(), 3);
  EXPECT_EQ(Engine.TotalBytes(), 17);  // F and z: x and y lie inside F
  EXPECT_EQ(Engine.DoneBytes(), 17);
  ASSERT_FALSE(Ui.Percents.empty());
  EXPECT_EQ(Ui.Percents.front(), 0);
  EXPECT_EQ(Ui.Percents.back(), 100);
  EXPECT_TRUE(Engine.Failures().empty());
  // Copying never touches the medium.
  EXPECT_EQ(TreeOf(m), (std::set<std::string>{"F/", "F/G/", "F/G/y.txt", "F/x.txt", "z.txt"}));

  // The tree selection: a whole disk copies into a folder named after it.
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  MarkItems(Bd, mlSelection, {disk});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"CD/", "CD/F/", "CD/F/G/", "CD/F/G/y.txt",
                                                 "CD/F/x.txt", "CD/z.txt"}));
}

TEST_F(FileOpsTest, DeleteAndMove) {
  std::string m = AddMedium("m", dtRemovable, "STICK", "5555-6666");
  WriteFile(m + "/F/ro.txt", "read-only");
  fs::permissions(m + "/F/ro.txt", fs::perms::owner_read | fs::perms::group_read);
  WriteFile(m + "/F/G/g.txt", "g");
  WriteFile(m + "/top.txt", "top");
  WriteFile(m + "/moved.txt", "moved data");
  TNodeRec* disk = AddDisk(Bd, "Stick", dtRemovable, "STICK", "5555-6666");
  TNodeRec* f = AddFolderIn(Bd, disk, "F");
  TNodeRec* g = AddFolderIn(Bd, f, "G");
  AddFileIn(Bd, g, "g.txt", 1);
  AddFileIn(Bd, f, "ro.txt", 9, MakeItemFlags(kAttrReadOnly, ikFile));
  TNodeRec* top = AddFileIn(Bd, disk, "top.txt", 3);
  TNodeRec* moved = AddFileIn(Bd, disk, "moved.txt", 10);

  // A delete runs without the progress window and asks nothing: the read-only file goes, the
  // emptied folders go.
  MarkItems(Bd, mlSelection, {f, top});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_FALSE(Ui.Opened);
  EXPECT_TRUE(Ui.BrowserInitial.empty());
  EXPECT_TRUE(Ui.RetryAsked.empty());
  EXPECT_EQ(TreeOf(m), (std::set<std::string>{"moved.txt"}));

  // A move copies, then deletes the source.
  MarkItems(Bd, mlSelection, {moved});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_TRUE(TreeOf(m).empty());
  EXPECT_EQ(ReadFile(Dest + "/moved.txt"), "moved data");
}

TEST_F(FileOpsTest, FailedDeletionAsksRetryLeaveOrCancel) {
  std::string m = AddMedium("m", dtFixed, "D", "0000-0001");
  // The catalog says file, the medium holds a folder of that name: deleting it fails even
  // with every permission.
  WriteFile(m + "/Locked/stuck.txt/inner", "x");
  fs::permissions(m + "/Locked/stuck.txt", fs::perms::owner_read | fs::perms::owner_exec);
  WriteFile(m + "/Other/deeper/after.txt", "after");
  TNodeRec* disk = AddDisk(Bd, "D", dtFixed, "D", "0000-0001");
  TNodeRec* stuck = AddFileIn(Bd, AddFolderIn(Bd, disk, "Locked"), "stuck.txt", 1);
  TNodeRec* after =
      AddFileIn(Bd, AddFolderIn(Bd, AddFolderIn(Bd, disk, "Other"), "deeper"), "after.txt", 5);
  std::string stuckPath = m + "/Locked/stuck.txt";

  // Retry, then leave: asked twice, the entry stays with its permissions, the operation goes
  // on with the next item.
  MarkItems(Bd, mlSelection, {after, stuck});
  Ui.RetryAnswers = {TRetryAnswer::Retry, TRetryAnswer::Leave};
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_EQ(Ui.RetryAsked, (std::vector<std::string>{stuckPath, stuckPath}));
  EXPECT_EQ(ModeOf(stuckPath), 0500);
  EXPECT_FALSE(PathExists(m + "/Other/deeper/after.txt"));
  EXPECT_EQ(Engine.Failures().size(), 1u);

  // Cancel ends the operation: the later item stays.
  WriteFile(m + "/Other/deeper/after.txt", "after");
  Ui.RetryAsked.clear();
  Ui.RetryAnswers = {TRetryAnswer::Cancel};
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_EQ(Ui.RetryAsked.size(), 1u);
  EXPECT_TRUE(PathExists(m + "/Other/deeper/after.txt"));

  // Retry after the obstacle was cleared deletes it.
  Ui.RetryAsked.clear();
  Ui.RetryAnswers = {TRetryAnswer::Retry};
  Ui.OnRetryAsked = [&] {
    fs::permissions(stuckPath, fs::perms::owner_all);
    fs::remove_all(stuckPath);
    WriteFile(stuckPath, "now a file");
  };
  MarkItems(Bd, mlSelection, {stuck});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_EQ(Ui.RetryAsked.size(), 1u);
  EXPECT_FALSE(PathExists(stuckPath));
}

// The catalog of archive/testdata/sample.zip as the scanner lists it, at arc/sample.zip (or in
// another folder of the disk).
struct TSampleArchive {
  TNodeRec* Archive;
  TNodeRec* FolderA;
  TNodeRec* FileC;
  TNodeRec* Dir;
  TNodeRec* X;
};

TSampleArchive AddSampleArchive(TQDBase& bd, TNodeRec* disk,
                                const std::string& folderName = "arc") {
  const int32_t folder = MakeItemFlags(kAttrDirectory, ikFolder, ifInArchive);
  const int32_t file = MakeItemFlags(0, ikFile, ifInArchive);
  TSampleArchive s;
  TNodeRec* arc = AddFolderIn(bd, disk, folderName);
  s.Archive =
      AddFolderIn(bd, arc, "sample.zip", MakeItemFlags(kAttrArchive, ikFolder, ifArchive), 745);
  s.FolderA = AddFolderIn(bd, s.Archive, "a", folder, 12);
  TNodeRec* b = AddFolderIn(bd, s.FolderA, "b", folder, 12);
  s.FileC = AddFileIn(bd, b, "c.txt", 12, file);
  s.Dir = AddFolderIn(bd, s.Archive, "dir", folder, 26);
  AddFileIn(bd, s.Dir, "Grüße €.txt", 15, file);
  AddFileIn(bd, s.Dir, "y.txt", 11, file);
  AddFolderIn(bd, s.Archive, "empty", folder, 0);
  AddFileIn(bd, s.Archive, "big.txt", 3000, file);
  s.X = AddFileIn(bd, s.Archive, "x.txt", 15, file);
  return s;
}

TEST_F(FileOpsTest, ExtractionKeepsTheArchiveStructure) {
  std::string m = AddMedium("m", dtCdRom, "ARC", "ABCD-EF01");
  fs::create_directories(m + "/arc");
  fs::copy_file(Fixture("sample.zip"), m + "/arc/sample.zip");
  TNodeRec* disk = AddDisk(Bd, "Arc", dtCdRom, "ARC", "ABCD-EF01");
  TSampleArchive s = AddSampleArchive(Bd, disk);

  // Extracting the whole archive (and, redundantly, a file inside it).
  MarkItems(Bd, mlSelection, {s.X, s.Archive});
  Engine.CopyFiles(mlSelection, nullptr, true, TFileOp::Copy);
  EXPECT_EQ(TreeOf(Dest),
            (std::set<std::string>{"a/", "a/b/", "a/b/c.txt", "big.txt", "dir/", "dir/Grüße €.txt",
                                   "dir/y.txt", "empty/", "x.txt"}));
  EXPECT_EQ(ReadFile(Dest + "/a/b/c.txt"), "deep file c\n");
  EXPECT_EQ(Engine.TotalBytes(), 3053);  // the entries, not the 745-byte archive file
  EXPECT_EQ(Engine.DoneCount(), 5);
  EXPECT_TRUE(Engine.Failures().empty()) << Engine.Failures()[0].Reason;

  // Copying items inside an archive extracts them with their path inside it.
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  MarkItems(Bd, mlSelection, {s.FileC, s.Dir});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"a/", "a/b/", "a/b/c.txt", "dir/",
                                                 "dir/Grüße €.txt", "dir/y.txt"}));
  EXPECT_EQ(Engine.DoneCount(), 3);

  // Moving or deleting items inside an archive does nothing; copying the archive copies the
  // file; extracting a plain file does nothing.
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  MarkItems(Bd, mlSelection, {s.FileC, s.Dir});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_TRUE(TreeOf(Dest).empty());
  EXPECT_EQ(fs::file_size(m + "/arc/sample.zip"), 745u);
  WriteFile(m + "/plain.txt", "plain");
  TNodeRec* plain = AddFileIn(Bd, disk, "plain.txt", 5);
  MarkItems(Bd, mlSelection, {s.Archive, plain});
  Engine.CopyFiles(mlSelection, nullptr, true, TFileOp::Copy);
  EXPECT_EQ(TreeOf(Dest).count("plain.txt"), 0u);
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"plain.txt", "sample.zip"}));
}

TEST_F(FileOpsTest, KeepExistingLeavesTargetsAlone) {
  std::string m = AddMedium("m", dtCdRom, "ARC", "ABCD-EF01");
  fs::create_directories(m + "/arc");
  fs::copy_file(Fixture("sample.zip"), m + "/arc/sample.zip");
  WriteFile(m + "/F/f.txt", "new f");
  WriteFile(m + "/F/g.txt", "new g");
  WriteFile(m + "/moved.txt", "new moved");
  TNodeRec* disk = AddDisk(Bd, "Arc", dtCdRom, "ARC", "ABCD-EF01");
  TSampleArchive s = AddSampleArchive(Bd, disk);
  TNodeRec* f = AddFolderIn(Bd, disk, "F");
  AddFileIn(Bd, f, "f.txt", 5);
  AddFileIn(Bd, f, "g.txt", 5);
  TNodeRec* moved = AddFileIn(Bd, disk, "moved.txt", 9);

  // By default an existing file is replaced.
  WriteFile(Dest + "/F/f.txt", "old f");
  MarkItems(Bd, mlSelection, {f});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(ReadFile(Dest + "/F/f.txt"), "new f");
  EXPECT_TRUE(Engine.KeptTargets().empty());

  // Kept: copied, moved (the source stays) and extracted files, each listed once.
  Engine.KeepExisting = true;
  WriteFile(Dest + "/F/f.txt", "old f");
  fs::remove(Dest + "/F/g.txt");
  WriteFile(Dest + "/moved.txt", "old moved");
  WriteFile(Dest + "/a/b/c.txt", "old c");
  WriteFile(Dest + "/x.txt", "old x");
  MarkItems(Bd, mlSelection, {f});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(ReadFile(Dest + "/F/f.txt"), "old f");
  EXPECT_EQ(ReadFile(Dest + "/F/g.txt"), "new g");
  EXPECT_EQ(Engine.KeptTargets(), (std::vector<std::string>{Dest + "/F/f.txt"}));
  MarkItems(Bd, mlSelection, {moved});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_EQ(ReadFile(Dest + "/moved.txt"), "old moved");
  EXPECT_EQ(ReadFile(m + "/moved.txt"), "new moved");
  EXPECT_EQ(Engine.KeptTargets(), (std::vector<std::string>{Dest + "/moved.txt"}));
  MarkItems(Bd, mlSelection, {s.Archive});
  Engine.CopyFiles(mlSelection, nullptr, true, TFileOp::Copy);
  EXPECT_EQ(ReadFile(Dest + "/a/b/c.txt"), "old c");
  EXPECT_EQ(ReadFile(Dest + "/x.txt"), "old x");
  EXPECT_TRUE(PathExists(Dest + "/dir/y.txt"));
  EXPECT_TRUE(PathExists(Dest + "/big.txt"));
  EXPECT_TRUE(IsRealFolder(Dest + "/empty"));
  EXPECT_EQ(Engine.KeptTargets(), (std::vector<std::string>{Dest + "/a/b/c.txt", Dest + "/x.txt"}));
  EXPECT_TRUE(Engine.Failures().empty()) << Engine.Failures()[0].Reason;
}

TEST_F(FileOpsTest, CancelDuringACopyLeavesNoPartialTarget) {
  std::string m = AddMedium("m", dtFixed, "BIG", "0BAD-F00D");
  WriteFile(m + "/big.bin", std::string(3 * 1024 * 1024 + 7, 'b'));
  WriteFile(m + "/small.txt", "small");
  WriteFile(Dest + "/big.bin", "old target");
  TNodeRec* disk = AddDisk(Bd, "Big", dtFixed, "BIG", "0BAD-F00D");
  TNodeRec* big = AddFileIn(Bd, disk, "big.bin", 3 * 1024 * 1024 + 7);
  TNodeRec* small = AddFileIn(Bd, disk, "small.txt", 5);
  MarkItems(Bd, mlSelection, {big, small});

  // The first poll comes before the first chunk, the second after it: cancel there.
  Ui.CancelAtPoll = 2;
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_TRUE(Engine.Cancelled());
  EXPECT_EQ(Engine.DoneCount(), 0);
  // The old target is untouched, no temporary file is left, the sources stay, and the
  // operation ended before the second file.
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"big.bin"}));
  EXPECT_EQ(ReadFile(Dest + "/big.bin"), "old target");
  EXPECT_EQ(TreeOf(m), (std::set<std::string>{"big.bin", "small.txt"}));
  EXPECT_TRUE(Ui.Closed);

  // Without a cancel the same move goes through.
  Ui.CancelAtPoll = 0;
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_FALSE(Engine.Cancelled());
  EXPECT_EQ(fs::file_size(Dest + "/big.bin"), 3u * 1024 * 1024 + 7);
  EXPECT_TRUE(TreeOf(m).empty());
}

TEST_F(FileOpsTest, FailedMoveKeepsTheSource) {
  std::string m = AddMedium("m", dtFixed, "M", "0000-0002");
  WriteFile(m + "/keep.txt", "precious");
  WriteFile(Dest + "/keep.txt/blocker", "a folder stands where the copy would go");
  TNodeRec* disk = AddDisk(Bd, "M", dtFixed, "M", "0000-0002");
  TNodeRec* keep = AddFileIn(Bd, disk, "keep.txt", 8);
  MarkItems(Bd, mlSelection, {keep});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_EQ(ReadFile(m + "/keep.txt"), "precious");
  EXPECT_EQ(Engine.DoneCount(), 0);
  ASSERT_EQ(Engine.Failures().size(), 1u);
  EXPECT_EQ(Engine.Failures()[0].Path, m + "/keep.txt");

  // A move into the folder the file is in would copy it onto itself, then delete it.
  Ui.Folder = m;
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_EQ(ReadFile(m + "/keep.txt"), "precious");
}

TEST_F(FileOpsTest, DestinationIsCheckedAndRemembered) {
  std::string m = AddMedium("m", dtFixed, "M", "0000-0003");
  WriteFile(m + "/f.txt", "f");
  TNodeRec* disk = AddDisk(Bd, "M", dtFixed, "M", "0000-0003");
  MarkItems(Bd, mlSelection, {AddFileIn(Bd, disk, "f.txt", 1)});
  Engine.Settings.LastDestination = "/remembered";
  int changed = 0;
  Engine.DestinationChanged = [&] { ++changed; };

  Ui.Folder = "";  // no choice
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  Ui.Folder = Dir + "/missing";
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_FALSE(Ui.Opened);
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(Ui.Messages[0], std::make_pair(10507, Dir + "/missing"));
  EXPECT_EQ(Engine.Settings.LastDestination, "/remembered");
  EXPECT_EQ(Ui.BrowserInitial[0], "/remembered");

  Ui.Folder = Dest;
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(Engine.Settings.LastDestination, Dest);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(ReadFile(Dest + "/f.txt"), "f");
}

TEST_F(FileOpsTest, CatalogNamesNeverLeaveTheirFolders) {
  std::string m = AddMedium("m", dtFixed, "H", "0000-0004");
  WriteFile(Dir + "/victim.txt", "outside the medium");
  WriteFile(m + "/inner/file.txt", "inner");
  TNodeRec* disk = AddDisk(Bd, "H", dtFixed, "H", "0000-0004");
  TNodeRec* up = AddFolderIn(Bd, disk, "..");
  TNodeRec* victim = AddFileIn(Bd, up, "victim.txt", 18);
  TNodeRec* inner = AddFolderIn(Bd, disk, "inner");
  TNodeRec* dotdot = AddFileIn(Bd, inner, "..", 1);
  TNodeRec* slash = AddFileIn(Bd, inner, "x/../../../escape.txt", 1);
  MarkItems(Bd, mlSelection, {victim, up, dotdot, slash});

  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_EQ(ReadFile(Dir + "/victim.txt"), "outside the medium");
  EXPECT_EQ(ReadFile(m + "/inner/file.txt"), "inner");
  EXPECT_TRUE(TreeOf(Dest).empty());
  EXPECT_FALSE(PathExists(Dir + "/escape.txt"));
  EXPECT_FALSE(Engine.Failures().empty());
}

// A backslash is an ordinary character of a name on the medium: the real paths come from the
// items, so "we\ird" is one folder, not "we" holding "ird".
// A catalog made on another system stores its names in a legacy code page; the medium mounted
// here shows them in UTF-8. The decoded names are found and given to the copies, and a name whose
// stored bytes are really on the medium is still taken as it is.
TEST_F(FileOpsTest, LegacyNamesAreFoundAndCopiedAsTheirDecodedText) {
  std::string m = AddMedium("m", dtFixed, "CP", "0000-0007");
  WriteFile(m + "/\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0/\xD0\xA4.txt",
            "decoded");  // Папка/Ф.txt
  WriteFile(m + "/raw\xC0.txt", "raw");
  TNodeRec* disk = AddDisk(Bd, "CP", dtFixed, "CP", "0000-0007");
  TNodeRec* folder = AddFolderIn(Bd, disk, "\xCF\xE0\xEF\xEA\xE0",  // "Папка" in Windows-1251
                                 MakeItemFlags(kAttrDirectory, ikFolder, 0));
  TNodeRec* file = AddFileIn(Bd, folder, "\xD4.txt", 7);
  TNodeRec* raw = AddFileIn(Bd, disk, "raw\xC0.txt", 3);
  TCatalogDecoders pages{TTextDecoder("WINDOWS-1251")};
  Engine.Decoders = &pages;

  MarkItems(Bd, mlSelection, {folder, raw});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_TRUE(Engine.Failures().empty()) << Engine.Failures()[0].Reason;
  EXPECT_EQ(ReadFile(Dest + "/\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0/\xD0\xA4.txt"), "decoded");
  // The copy of a name found by its stored bytes gets its decoded name too ("rawА.txt").
  EXPECT_EQ(ReadFile(Dest + "/raw\xD0\x90.txt"), "raw");
  TShellAction open = Engine.RunOrExplore(file, false);
  EXPECT_EQ(open.Path, m + "/\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0/\xD0\xA4.txt");
}

TEST_F(FileOpsTest, BackslashInANameIsNoSeparator) {
  std::string m = AddMedium("m", dtFixed, "BS", "0000-0005");
  WriteFile(m + "/we\\ird/t\tab", "x");
  WriteFile(m + "/we/ird/t\tab", "decoy");
  fs::create_directories(m + "/z\\ip");
  fs::copy_file(Fixture("sample.zip"), m + "/z\\ip/sample.zip");
  TNodeRec* disk = AddDisk(Bd, "BS", dtFixed, "BS", "0000-0005");
  TNodeRec* weird = AddFolderIn(Bd, disk, "we\\ird", MakeItemFlags(kAttrDirectory, ikFolder, 0));
  TNodeRec* tab = AddFileIn(Bd, weird, "t\tab", 1);
  TSampleArchive s = AddSampleArchive(Bd, disk, "z\\ip");

  MarkItems(Bd, mlSelection, {tab});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_TRUE(Engine.Failures().empty()) << Engine.Failures()[0].Reason;
  EXPECT_EQ(ReadFile(Dest + "/t\tab"), "x");

  fs::remove_all(Dest);
  fs::create_directories(Dest);
  MarkItems(Bd, mlSelection, {weird, s.X});
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_TRUE(Engine.Failures().empty()) << Engine.Failures()[0].Reason;
  EXPECT_EQ(TreeOf(Dest), (std::set<std::string>{"we\\ird/", "we\\ird/t\tab", "x.txt"}));
  EXPECT_EQ(ReadFile(Dest + "/we\\ird/t\tab"), "x");

  TShellAction open = Engine.RunOrExplore(tab, false);
  EXPECT_EQ(open.Kind, TShellActionKind::Open);
  EXPECT_EQ(open.Path, m + "/we\\ird/t\tab");
  std::string extracted;
  EXPECT_EQ(Engine.ExtractForRun(s.X, extracted), 0);
  EXPECT_EQ(fs::file_size(extracted), 15u);

  // A move takes the file from the folder of that name only.
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  Engine.CopyFiles(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_FALSE(PathExists(m + "/we\\ird/t\tab"));
  EXPECT_EQ(ReadFile(m + "/we/ird/t\tab"), "decoy");
}

}  // namespace
