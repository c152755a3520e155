// SPDX-License-Identifier: MIT
// Finding a disk's medium among made-up volumes, and the insert-disk prompt loop.
#include "fileops/LocateMedium.h"

#include "fileops/FileOpsTestUtil.h"

namespace {

class LocateMediumTest : public TFileOpsFixture {};

TEST_F(LocateMediumTest, MatchesTypeLabelAndSerialInOrder) {
  TNodeRec* disk = AddDisk(Bd, "Photos CD", dtCdRom, "PHOTOS", "1A2B-3C4D");
  TNodeRec* file = AddFileIn(Bd, disk, "a.jpg", 10);
  // A removable drive with the same label and serial (an image mounted otherwise) and a CD
  // whose label differs only in case do not match; of two matching CDs the first wins.
  AddMedium("usb", dtRemovable, "PHOTOS", "1A2B-3C4D");
  AddMedium("cd0", dtCdRom, "photos", "1A2B-3C4D");
  std::string cd1 = AddMedium("cd1", dtCdRom, "PHOTOS", "1A2B-3C4D");
  AddMedium("cd2", dtCdRom, "PHOTOS", "1A2B-3C4D");
  std::string root;
  EXPECT_EQ(LocateMedium(file, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, cd1 + "/");
  EXPECT_TRUE(Ui.InsertAsked.empty());

  // The disk node itself locates too.
  EXPECT_EQ(LocateMedium(disk, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, cd1 + "/");
}

TEST_F(LocateMediumTest, SubFolderAndMountsOfTheSameVolume) {
  TNodeRec* disk = AddDisk(Bd, "Music", dtFixed, "DATA", "0000-1234", "media\\music");
  // The same file system at two mount points; only the second shows the scanned folder.
  std::string first = AddMedium("m1", dtFixed, "DATA", "0000-1234");
  std::string second = AddMedium("m2", dtFixed, "DATA", "0000-1234");
  fs::create_directories(second + "/media/music");
  std::string root;
  EXPECT_EQ(LocateMedium(disk, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, second + "/media/music/");
  // Without the folder anywhere, the first matching volume still gives the root.
  fs::remove_all(second + "/media");
  EXPECT_EQ(LocateMedium(disk, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, first + "/media/music/");

  // A recorded sub-folder that climbs out of the volume never matches.
  TNodeRec* hostile = AddDisk(Bd, "Bad", dtFixed, "DATA", "0000-1234", "..\\..\\etc");
  Ui.InsertAnswers = {kInsertCancel};
  EXPECT_EQ(LocateMedium(hostile, Engine.Volumes, Ui, true, root), kInsertCancel);
}

TEST_F(LocateMediumTest, PromptLoop) {
  // Location list of the catalog: entry 1 "Shelf".
  Bd.GoToNode(Catalog);
  Bd.EnterChild(0);
  Bd.EnterChild(kCatLocations);
  Bd.ChildSetStr(1, kEntryName, "Shelf");
  Bd.GoToNode(Catalog);
  TNodeRec* disk = AddDisk(Bd, "Backup 3", dtRemovable, "BK3", "ABCD-0003", "", 1);
  TNodeRec* other = AddDisk(Bd, "Loose", dtRemovable, "L", "ABCD-0004");

  // OK without the medium asks again; after it is "inserted" OK finds it.
  int asked = 0;
  Ui.OnInsertAsked = [&] {
    if (++asked == 2) AddMedium("stick", dtRemovable, "BK3", "ABCD-0003");
  };
  Ui.InsertAnswers = {kInsertOk, kInsertOk};
  std::string root;
  EXPECT_EQ(LocateMedium(disk, Engine.Volumes, Ui, false, root), kInsertOk);
  EXPECT_EQ(root, Dir + "/stick/");
  ASSERT_EQ(Ui.InsertAsked.size(), 2u);
  EXPECT_EQ(Ui.InsertAsked[0].Name, "Backup 3");
  EXPECT_EQ(Ui.InsertAsked[0].DriveType, dtRemovable);
  EXPECT_EQ(Ui.InsertAsked[0].LocationText, "Shelf");
  EXPECT_FALSE(Ui.InsertSkipOffered[0]);

  // Skip and Cancel end the search with that answer; Skip only where it was offered.
  Ui.OnInsertAsked = nullptr;
  Ui.InsertAsked.clear();
  Ui.InsertAnswers = {kInsertSkip, kInsertCancel, kInsertSkip};
  EXPECT_EQ(LocateMedium(other, Engine.Volumes, Ui, true, root), kInsertSkip);
  EXPECT_EQ(Ui.InsertAsked.back().LocationText, "-");
  EXPECT_EQ(LocateMedium(other, Engine.Volumes, Ui, true, root), kInsertCancel);
  EXPECT_EQ(LocateMedium(other, Engine.Volumes, Ui, false, root), kInsertCancel);
  EXPECT_EQ(Ui.InsertAsked.size(), 3u);
}

TEST_F(LocateMediumTest, UnidentifiedMediumIsNeverTakenSilently) {
  // Scanned from a RAM disk: no label, serial 0000-0000. Another RAM disk without label and
  // serial is mounted; it could hold the medium, but is only offered, never taken.
  TNodeRec* disk = AddDisk(Bd, "Scratch", dtRamDisk, "", kNoSerialText);
  TNodeRec* file = AddFileIn(Bd, disk, "a.txt", 1);
  std::string shm = AddMedium("shm", dtRamDisk, "", kNoSerialText);
  AddMedium("labelled", dtRamDisk, "RAM", kNoSerialText);  // has a label: not a candidate
  AddMedium("serial", dtRamDisk, "", "1234-5678");         // has a serial: not a candidate
  AddMedium("fixed", dtFixed, "", kNoSerialText);          // another drive type
  std::string other = AddMedium("shm2", dtRamDisk, "", "");
  std::string root;
  Ui.InsertAnswers = {kInsertSkip};
  EXPECT_EQ(LocateMedium(file, Engine.Volumes, Ui, true, root), kInsertSkip);
  ASSERT_EQ(Ui.InsertAsked.size(), 1u);
  EXPECT_TRUE(Ui.InsertAsked[0].Unidentified);
  EXPECT_EQ(Ui.InsertAsked[0].Name, "Scratch");
  EXPECT_EQ(Ui.InsertAsked[0].Candidates, (std::vector<std::string>{shm + "/", other + "/"}));

  // The user's choice, a candidate or any folder, is the disk's top; a folder that does not
  // exist asks again.
  Ui.InsertAnswers = {kInsertOk, kInsertOk};
  Ui.ChosenRoots = {Dir + "/missing", other};
  EXPECT_EQ(LocateMedium(file, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, other + "/");
  EXPECT_EQ(Ui.InsertAsked.size(), 3u);

  // An empty recorded serial counts as none; with a scanned folder only the volumes that show
  // it are candidates.
  TNodeRec* folderDisk = AddDisk(Bd, "Part", dtRamDisk, "", "", "work\\in");
  fs::create_directories(other + "/work/in");
  Ui.InsertAnswers = {kInsertCancel};
  EXPECT_EQ(LocateMedium(folderDisk, Engine.Volumes, Ui, true, root), kInsertCancel);
  EXPECT_TRUE(Ui.InsertAsked.back().Unidentified);
  EXPECT_EQ(Ui.InsertAsked.back().Candidates, (std::vector<std::string>{other + "/work/in/"}));

  // A disk with a label or a serial is still found by them.
  TNodeRec* known = AddDisk(Bd, "Known", dtRamDisk, "RAM", kNoSerialText);
  Ui.InsertAsked.clear();
  EXPECT_EQ(LocateMedium(known, Engine.Volumes, Ui, true, root), kInsertOk);
  EXPECT_EQ(root, Dir + "/labelled/");
  EXPECT_TRUE(Ui.InsertAsked.empty());
  EXPECT_FALSE(InsertDiskInfoOf(known).Unidentified);
}

}  // namespace
