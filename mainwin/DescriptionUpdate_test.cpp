// SPDX-License-Identifier: MIT
// Descriptions edited in the program survive a save, a reopening and an update of the disk that
// keeps descriptions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/ArchiveTypes.h"
#include "catalog/CatalogFiles.h"
#include "catalog/CatalogTestUtil.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/Properties.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"
#include "scan/FileScan.h"
#include "scan/VolumeInfo.h"

namespace fs = std::filesystem;

namespace {

const TNodeRec* Child(const TNodeRec* node, std::string_view name) {
  for (int i = 1; node && i < node->SlotCount; ++i)
    if (ItemName(NodeChild(node, i)) == name) return NodeChild(node, i);
  return nullptr;
}
TNodeRec* Mut(const TNodeRec* n) { return const_cast<TNodeRec*>(n); }
const TNodeRec* zip0(const TNodeRec* disk) { return Child(disk, "A.zip"); }

class DescriptionUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEditTexts();
    dir_ = ScratchDir("desc-update-roundtrip");
    medium_ = dir_ + "/medium";
    Write("Docs/notes.txt", "head of notes\r\n");
    Write("Docs/plain.bin", "x");
    Write("Docs/listed.bin", "y");
    Write("Docs/descript.ion", "listed.bin from the list\r\n");
    Write("top.bin", "z");
    Write("descript.ion", "Docs the docs folder\r\ntop.bin top from the list\r\n");
    Write("Pics/file_id.diz", "pictures from the diz\r\n");
    Write("Pics/p.bin", "p");
    Write("Docs/\xC3\x84nderung \xE2\x82\xAC.txt", "text head");
    Write("file_id.diz", "the whole disk from the diz\r\n");
    fs::copy_file(std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/sample.zip",
                  medium_ + "/A.zip");
    InitDescriptionRules(opt_);
    InitArchiveTypes(opt_);
    InitCatalogStore(bd_);
  }
  void TearDown() override { LangTable(TLangKind::English).Clear(); }

  void Write(const std::string& rel, const std::string& data) {
    fs::path p = fs::path(medium_) / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << data;
  }
  // Scans the medium into bdDisk, as a new disk or as an update of `oldDisk` keeping
  // descriptions.
  void Scan(TNodeRec* oldDisk) {
    disk_.Clear();
    ASSERT_EQ(PrepareDiskHeader(disk_, medium_, oldDisk ? ItemName(oldDisk) : "Disk"), 0);
    if (oldDisk) CarryDiskFields(oldDisk, disk_, TUpdateDescMode::Keep);
    TFileScan scan(disk_, medium_,
                   MakeScanSettings(opt_, true, true, oldDisk != nullptr, TUpdateDescMode::Keep));
    if (oldDisk) {
      bd_.GoToNode(oldDisk);
      scan.TakeOldDisk(bd_);
    }
    scan.Run();
    ASSERT_TRUE(scan.Completed());
    disk_.GoToDepth(0);
  }
  // Edits the description of `item` as the properties dialog does.
  void EditDescription(TNodeRec* item, TPropPage page, const std::string& text) {
    TPropEdits e;
    TPageEdit* p = page == TPropPage::Disk     ? &e.Disk
                   : page == TPropPage::Folder ? &e.Folder
                                               : &e.File;
    p->Filled = true;
    p->Description = text;
    if (page == TPropPage::Disk) p->Name = std::string(ItemName(item));
    ASSERT_TRUE(ApplySingleItem(editor_, item, e));
  }

  std::string dir_, medium_;
  TQDBase opt_, disk_, bd_;
  TRecordingHost host_;
  TCatalogEditor editor_{bd_, host_};
  TScriptedUi ui_;
  std::vector<std::string> recent_, openAtExit_;
};

TEST_F(DescriptionUpdateTest, EditedDescriptionsSurviveSaveReopenAndAKeepingUpdate) {
  const std::string path = dir_ + "/cat.ctl";
  {
    TCatalogFiles files(bd_, ui_, recent_, openAtExit_);
    int slot = files.NewCatalog("Cat");
    TNodeRec* catalog = NodeChild(bd_.RootNode(), slot);
    Scan(nullptr);
    TNodeRec* disk = GraftNewDisk(bd_, catalog, disk_);
    const TNodeRec* docs = Child(disk, "Docs");
    ASSERT_NE(docs, nullptr);
    // What the scan imported: the head of the text and the description list's line.
    ASSERT_EQ(FieldStr(Child(docs, "notes.txt"), kFieldDescription).substr(0, 13), "head of notes");
    ASSERT_EQ(FieldStr(Child(docs, "listed.bin"), kFieldDescription), "from the list");

    EditDescription(Mut(Child(docs, "notes.txt")), TPropPage::File, "my notes\r\nsecond line");
    EditDescription(Mut(Child(docs, "plain.bin")), TPropPage::File, "my plain");
    EditDescription(Mut(Child(docs, "listed.bin")), TPropPage::File, "my listed");
    EditDescription(Mut(docs), TPropPage::Folder, "my folder");
    ASSERT_NE(Child(docs, "\xC3\x84nderung \xE2\x82\xAC.txt"), nullptr);
    EditDescription(Mut(Child(docs, "\xC3\x84nderung \xE2\x82\xAC.txt")), TPropPage::File,
                    "my change");
    EditDescription(Mut(Child(Child(zip0(disk), "dir"),
                              "Gr\xC3\xBC\xC3\x9F"
                              "e \xE2\x82\xAC.txt")),
                    TPropPage::File, "my greeting");
    ASSERT_EQ(FieldStr(FieldNode(disk), kFieldDescription).substr(0, 14), "the whole disk");
    EditDescription(disk, TPropPage::Disk, "my disk");
    const TNodeRec* pics = Child(disk, "Pics");
    ASSERT_NE(pics, nullptr);
    ASSERT_EQ(FieldStr(FieldNode(pics), kFieldDescription).substr(0, 8), "pictures");
    EditDescription(Mut(pics), TPropPage::Folder, "meine Bilder \xC3\xA4\xC3\xB6\xE2\x82\xAC");
    EditDescription(Mut(Child(disk, "top.bin")), TPropPage::File, "my top");
    const TNodeRec* zip = Child(disk, "A.zip");
    ASSERT_TRUE(IsContainer(zip));
    EditDescription(Mut(zip), TPropPage::File, "my archive");
    EditDescription(Mut(Child(zip, "x.txt")), TPropPage::File, "my entry");
    ui_.FileNames.push_back(path);
    bd_.GoToNode(catalog);
    ASSERT_EQ(files.Save(false), TSaveResult::Saved);
    ASSERT_TRUE(files.CloseAll(false));
  }
  ASSERT_EQ(bd_.RootNode()->SlotCount, 1);

  TCatalogFiles files(bd_, ui_, recent_, openAtExit_);
  ASSERT_EQ(files.OpenFiles({path}), 1);
  TNodeRec* catalog = NodeChild(bd_.RootNode(), 1);
  TNodeRec* disk = Mut(Child(catalog, "Disk"));
  ASSERT_NE(disk, nullptr);
  Scan(disk);
  ReplaceDisk(bd_, disk, disk_);

  const TNodeRec* docs = Child(disk, "Docs");
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(FieldStr(Child(docs, "notes.txt"), kFieldDescription), "my notes\r\nsecond line");
  EXPECT_EQ(FieldStr(Child(docs, "plain.bin"), kFieldDescription), "my plain");
  EXPECT_EQ(FieldStr(Child(docs, "\xC3\x84nderung \xE2\x82\xAC.txt"), kFieldDescription),
            "my change");
  EXPECT_EQ(FieldStr(Child(Child(zip0(disk), "dir"),
                           "Gr\xC3\xBC\xC3\x9F"
                           "e \xE2\x82\xAC.txt"),
                     kFieldDescription),
            "my greeting");
  EXPECT_EQ(FieldStr(Child(docs, "listed.bin"), kFieldDescription), "my listed");
  EXPECT_EQ(FieldStr(FieldNode(docs), kFieldDescription), "my folder");
  EXPECT_EQ(FieldStr(FieldNode(disk), kFieldDescription), "my disk");
  EXPECT_EQ(FieldStr(Child(disk, "top.bin"), kFieldDescription), "my top");
  EXPECT_EQ(FieldStr(FieldNode(Child(disk, "A.zip")), kFieldDescription), "my archive");
  EXPECT_EQ(FieldStr(Child(Child(disk, "A.zip"), "x.txt"), kFieldDescription), "my entry");
  EXPECT_EQ(FieldStr(FieldNode(Child(disk, "Pics")), kFieldDescription),
            "meine Bilder \xC3\xA4\xC3\xB6\xE2\x82\xAC");
}

}  // namespace
