// SPDX-License-Identifier: MIT
// The add-disk dialog driven as a user would: a folder of the repository is chosen, OK runs the
// real scan in the progress window, and a host over a real catalog store grafts the result.
#include "scan/qt/fmAddDiskU.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <stdexcept>

#include "app/Language.h"
#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "app/qt/PromptsTestUtil.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"
#include "scan/qt/AddDiskHost.h"
#include "scan/qt/DestinationCombo.h"
#include "scan/qt/fmDescOptU.h"
#include "scan/qt/fmDiskDescU.h"
#include "scan/qt/fmScanU.h"

namespace fs = std::filesystem;

namespace {

const char* kMedium = "samples/medium";

// The main window's part, over a real bdMain and settings store.
class TFakeHost : public TAddDiskHost {
 public:
  TFakeHost() {
    InitCatalogStore(bdMain);
    TQDBase& opt = settings.bdOpt;
    WriteGeneralDefaults(opt);
    InitDescriptionRules(opt);
    InitArchiveTypes(opt);
    ReadGeneralOptions(opt, settings.Options);
  }
  TQDBase& MainStore() override { return bdMain; }
  TSettings& Settings() override { return settings; }
  TNodeRec* SelectedTreeNode() override { return selected; }
  TNodeRec* AddScannedDisk(TNodeRec* destination, TQDBase& bdDisk) override {
    ++added;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    graftCursor = cursor ? cursor->shape() : Qt::ArrowCursor;
    if (failGraft) throw std::runtime_error("graft failed");
    return GraftNewDisk(bdMain, destination, bdDisk);
  }
  void ReplaceScannedDisk(TNodeRec* oldDisk, TQDBase& bdDisk) override {
    ++replaced;
    ReplaceDisk(bdMain, oldDisk, bdDisk);
  }
  void MarkModified(const TNodeRec*) override { ++modified; }
  void ShowDiskProperties(TNodeRec* disk) override { propertiesOf.push_back(disk); }
  void SaveCatalogOf(const TNodeRec*) override { ++saved; }
  void RefreshViews() override {}
  void SaveSettings() override { ++settingsSaved; }
  QWidget* MainWindow() override { return nullptr; }

  TQDBase bdMain;
  TSettings settings;
  TNodeRec* selected = nullptr;
  std::vector<TNodeRec*> propertiesOf;  // the disks whose properties were shown
  int added = 0, replaced = 0, modified = 0, saved = 0, settingsSaved = 0;
  bool failGraft = false;                         // AddScannedDisk throws
  Qt::CursorShape graftCursor = Qt::ArrowCursor;  // the cursor AddScannedDisk saw
};

// Sum of the sizes of the regular files below `folder`: the total a scan must record.
int64_t TreeBytes(const fs::path& folder) {
  int64_t total = 0;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file() && !e.is_symlink()) total += static_cast<int64_t>(e.file_size());
  return total;
}

TNodeRec* AddGroup(TQDBase& bd, TNodeRec* parent, const char* name) {
  bd.GoToNode(parent);
  bd.EnterChild(bd.SlotCount() < 1 ? 1 : bd.SlotCount());
  WriteGroupHeader(bd, name, 45000.0);
  return bd.CurrentNode();
}

TNodeRec* AddCatalog(TQDBase& bd, const char* name) {
  CreateCatalogNode(bd, name, 45000.0);
  return bd.CurrentNode();
}

class AddDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LangTable(TLangKind::English).LoadFromFile("Language/English.lng");
    catalog = AddCatalog(host.bdMain, "Cat");
    host.selected = catalog;
    medium = fs::absolute(kMedium).string();
  }

  // Runs an add of the sample medium into the destination entry `index` through the dialog.
  TfmAddDisk::TOkResult AddMedium(TfmAddDisk& dlg, int index = 0) {
    dlg.OpenAdd();
    dlg.SetDestinationIndex(index);
    EXPECT_TRUE(dlg.ChooseFolder(medium));
    return dlg.RunOk();
  }

  TFakeHost host;
  TScriptedPrompter prompter;
  TNodeRec* catalog = nullptr;
  std::string medium;
};

TEST_F(AddDiskTest, AddsTheMediumWithItsTotalsAndAUniqueName) {
  TfmAddDisk dlg(host);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  ASSERT_EQ(catalog->SlotCount, 2);
  TNodeRec* first = NodeChild(catalog, 1);
  EXPECT_EQ(ItemKind(ItemFlagsOf(first)), ikDisk);
  EXPECT_EQ(ItemSizeOf(first), TreeBytes(kMedium));
  EXPECT_GT(first->SlotCount, 5);  // the medium's folders and files
  EXPECT_EQ(FieldInt(FieldNode(catalog), kCatModified), 1);
  // Scanned as a folder of its volume: the sub-folder is recorded.
  EXPECT_TRUE(FieldStr(FieldNode(first), kDiskSubFolder).ends_with("samples\\medium"));
  // A folder scanned on its own is named after the folder.
  const std::string name(ItemName(first));
  EXPECT_EQ(name, "medium");

  // The same medium again gets the proposed name with the suffix of the first free number.
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  ASSERT_EQ(catalog->SlotCount, 4);
  EXPECT_EQ(ItemName(NodeChild(catalog, 2)), name + " (2)");
  EXPECT_EQ(ItemName(NodeChild(catalog, 3)), name + " (3)");
  EXPECT_EQ(host.added, 3);
  EXPECT_EQ(host.saved, 0);          // save after scan is off by default
  EXPECT_EQ(host.settingsSaved, 0);  // nothing asked to be remembered
  EXPECT_TRUE(prompter.Shown.empty());
}

// "Ask for the disk's description" shows the properties of the disk just added, and nothing
// when it is off.
TEST_F(AddDiskTest, AskingForTheDescriptionShowsTheNewDisksProperties) {
  TfmAddDisk dlg(host);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  EXPECT_TRUE(host.propertiesOf.empty());
  dlg.OpenAdd();
  dlg.findChild<QCheckBox*>(QStringLiteral("cbAskForDesc"))->setChecked(true);
  dlg.SetDestinationIndex(0);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  ASSERT_EQ(catalog->SlotCount, 3);
  EXPECT_EQ(host.propertiesOf, std::vector<TNodeRec*>{NodeChild(catalog, 2)});
}

TEST_F(AddDiskTest, BusyCursorLastsWhileTheDiskIsGraftedAndGoesWhenTheGraftFails) {
  TfmAddDisk dlg(host);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(host.graftCursor, Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // An exception out of the graft reaches the application's error handler; the program goes
  // on, so the cursor must not stay busy.
  host.failGraft = true;
  host.graftCursor = Qt::ArrowCursor;
  EXPECT_THROW(AddMedium(dlg), std::runtime_error);
  EXPECT_EQ(host.graftCursor, Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

TEST_F(AddDiskTest, RefusesOkWithoutADriveAndAFolderThatIsGone) {
  TfmAddDisk dlg(host);
  dlg.OpenAdd();
  EXPECT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Refused);  // no drive chosen
  // A folder that cannot be read is refused with 10507 and chooses nothing.
  EXPECT_FALSE(dlg.ChooseFolder(medium + "/no such folder"));
  ASSERT_EQ(prompter.Shown.size(), 1u);
  EXPECT_TRUE(prompter.Shown[0].Text.contains(QStringLiteral("no such folder")));
  EXPECT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Refused);
  // An empty name leaves OK refused too.
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  dlg.NameEdit()->clear();
  EXPECT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Refused);
  EXPECT_EQ(catalog->SlotCount, 1);
}

TEST_F(AddDiskTest, CancellingTheScanAddsNothingAndNoLetsItRun) {
  TfmAddDisk dlg(host);
  TfmScan& scan = dlg.ScanWindow();
  scan.SetPauseAtStart(true);

  // Yes to 11702: the worker stops before its first folder; nothing reaches the catalog.
  prompter.Answers = {TAnswer::Yes};
  QTimer::singleShot(50, &scan, [&scan] { scan.reject(); });
  EXPECT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Cancelled);
  EXPECT_FALSE(scan.Completed());
  EXPECT_EQ(catalog->SlotCount, 1);
  EXPECT_EQ(host.added, 0);
  EXPECT_EQ(FieldInt(FieldNode(catalog), kCatModified), 0);
  ASSERT_EQ(prompter.Shown.size(), 1u);
  EXPECT_EQ(prompter.Shown[0].Text, LangQ(11702));

  // No to 11702: the paused worker goes on and the disk is added.
  prompter.Answers = {TAnswer::No};
  QTimer::singleShot(50, &scan, [&scan] { scan.reject(); });
  EXPECT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  EXPECT_TRUE(scan.Completed());
  EXPECT_EQ(catalog->SlotCount, 2);
  EXPECT_EQ(ItemSizeOf(NodeChild(catalog, 1)), TreeBytes(kMedium));
  scan.SetPauseAtStart(false);
}

TEST_F(AddDiskTest, UpdateKeepsTheDiskNodeItsPlaceAndItsLocation) {
  TfmAddDisk dlg(host);
  TNodeRec* group = AddGroup(host.bdMain, catalog, "Group");
  host.selected = group;
  dlg.OpenAdd();
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  ASSERT_EQ(group->SlotCount, 2);
  TNodeRec* disk = NodeChild(group, 1);
  const std::string name(ItemName(disk));
  // The user's own fields of the disk: location, category, description.
  {
    TQDBase& bd = host.bdMain;
    bd.GoToNode(disk);
    bd.EnterChild(0);
    bd.SetInt(kHdrLocation, 3);
    bd.SetInt(kFieldFlags, WithCategory(bd.GetInt(kFieldFlags), 2));
    bd.SetStr(kFieldDescription, "my disk");
  }
  host.bdMain.AddMarkList();  // a list that refers to the disk keeps referring to it
  const int list = host.bdMain.MarkListCount() - 1;
  host.bdMain.GoToNode(disk);
  host.bdMain.AddMark(list);

  dlg.OpenUpdate(disk);
  // The disk was scanned from a sub-folder: that folder is proposed again.
  auto* cbScanFolder = dlg.findChild<QCheckBox*>(QStringLiteral("cbScanFolder"));
  auto* edScanFolder = dlg.findChild<QLineEdit*>(QStringLiteral("edScanFolder"));
  ASSERT_TRUE(cbScanFolder && edScanFolder);
  EXPECT_TRUE(cbScanFolder->isChecked());
  EXPECT_TRUE(edScanFolder->text().endsWith(QStringLiteral("samples/medium")));
  EXPECT_EQ(StdStr(dlg.NameEdit()->text()), name);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  EXPECT_EQ(StdStr(dlg.NameEdit()->text()), name);  // a typed (proposed) name is kept
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);

  EXPECT_EQ(host.replaced, 1);
  ASSERT_EQ(group->SlotCount, 2);
  EXPECT_EQ(NodeChild(group, 1), disk);
  EXPECT_EQ(ItemName(disk), name);
  EXPECT_EQ(FieldInt(FieldNode(disk), kHdrLocation), 3);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(disk)), 2);
  EXPECT_EQ(FieldStr(FieldNode(disk), kFieldDescription), "my disk");  // mode 1 keeps it
  EXPECT_EQ(ItemSizeOf(disk), TreeBytes(kMedium));
  ASSERT_EQ(host.bdMain.MarkCount(list), 1);
  EXPECT_EQ(host.bdMain.MarkList(list)[0], disk);
}

// Mended: a folder of a volume was measured against the whole volume's used bytes, so the bar
// stayed near 0 %. It runs to the folder's size from the disk's last scan, else it is a busy bar.
TEST_F(AddDiskTest, ProgressOfAFolderRunsToItsKnownSizeOrShowsBusy) {
  TfmAddDisk dlg(host);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  auto* bar = dlg.ScanWindow().findChild<QProgressBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(dlg.ScanWindow().UsedBytes, 0);
  EXPECT_EQ(bar->maximum(), 0);  // busy
  TNodeRec* disk = NodeChild(catalog, 1);
  dlg.OpenUpdate(disk);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(dlg.ScanWindow().UsedBytes, TreeBytes(kMedium));
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 100);
}

TEST_F(AddDiskTest, CancelledUpdateLeavesTheOldDiskAsItWas) {
  TfmAddDisk dlg(host);
  ASSERT_EQ(AddMedium(dlg), TfmAddDisk::TOkResult::Done);
  TNodeRec* disk = NodeChild(catalog, 1);
  const int slotCount = disk->SlotCount;
  TNodeRec* firstItem = NodeChild(disk, 1);
  dlg.ScanWindow().SetPauseAtStart(true);
  prompter.Answers = {TAnswer::Yes};
  QTimer::singleShot(50, &dlg.ScanWindow(), [&dlg] { dlg.ScanWindow().reject(); });
  dlg.OpenUpdate(disk);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  EXPECT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Cancelled);
  dlg.ScanWindow().SetPauseAtStart(false);
  EXPECT_EQ(host.replaced, 0);
  EXPECT_EQ(disk->SlotCount, slotCount);
  EXPECT_EQ(NodeChild(disk, 1), firstItem);
}

TEST_F(AddDiskTest, DestinationsListCatalogsAndGroupsInTreeOrderIndented) {
  TQDBase& bd = host.bdMain;
  TNodeRec* g1 = AddGroup(bd, catalog, "G1");
  TNodeRec* g2 = AddGroup(bd, g1, "G2");
  TNodeRec* second = AddCatalog(bd, "Second");
  TNodeRec* h = AddGroup(bd, second, "H");
  // A disk with a folder in G1: disks are no destinations, and a folder selects its container.
  bd.GoToNode(g1);
  bd.EnterChild(bd.SlotCount());
  TDiskHeader header;
  header.Name = "Disk";
  WriteDiskHeader(bd, header);
  TNodeRec* disk = bd.CurrentNode();
  bd.EnterChild(1);
  bd.EnterChild(0);
  bd.SetStr(kFieldName, "Folder");
  bd.SetInt(kFieldFlags, ikFolder);
  TNodeRec* folder = disk ? NodeChild(disk, 1) : nullptr;

  const std::vector<TDestination> list = ListDestinations(bd.RootNode());
  ASSERT_EQ(list.size(), 5u);
  const TNodeRec* nodes[] = {catalog, g1, g2, second, h};
  const int levels[] = {0, 1, 2, 0, 1};
  const int kinds[] = {ikCatalog, ikGroup, ikGroup, ikCatalog, ikGroup};
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].Node, nodes[i]) << i;
    EXPECT_EQ(list[i].Level, levels[i]) << i;
    EXPECT_EQ(list[i].Kind, kinds[i]) << i;
  }
  EXPECT_EQ(list[2].Name, "G2");
  EXPECT_EQ(list[0].Image, 1);
  EXPECT_EQ(list[1].Image, 2);

  TfmAddDisk dlg(host);
  host.selected = folder;
  dlg.OpenAdd();
  EXPECT_EQ(dlg.Destinations().count(), 5);
  EXPECT_EQ(dlg.Destinations().CurrentNode(), g1);
  host.selected = h;
  dlg.OpenAdd();
  EXPECT_EQ(dlg.Destinations().CurrentNode(), h);
  host.selected = nullptr;
  dlg.OpenAdd();
  EXPECT_EQ(dlg.Destinations().CurrentNode(), catalog);
  // The disk goes to the chosen group.
  dlg.SetDestinationIndex(2);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(g2->SlotCount, 2);
}

TEST_F(AddDiskTest, RememberedRulesReachTheSettingsOnlyWhenAsked) {
  TfmAddDisk dlg(host);
  auto* clImpDesc = dlg.findChild<QListWidget*>(QStringLiteral("clImpDesc"));
  auto* cbSaveDesc = dlg.findChild<QCheckBox*>(QStringLiteral("cbSaveDesc"));
  ASSERT_TRUE(clImpDesc && cbSaveDesc);
  TQDBase& opt = host.settings.bdOpt;
  auto ruleReader = [&opt](int slot) {
    return RuleSlotInt(NodeChild(NodeChild(opt.RootNode(), kOptDescRules), slot), rsReader);
  };
  // Unchecking a rule without remembering changes the scan only.
  dlg.OpenAdd();
  clImpDesc->item(0)->setCheckState(Qt::Unchecked);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(RuleSlotInt(NodeChild(NodeChild(opt.RootNode(), kOptDescRules), 1), rsEnabled), 1);
  EXPECT_EQ(host.settingsSaved, 0);

  // Lowering the first rule's priority and remembering writes the table back.
  dlg.OpenAdd();
  EXPECT_EQ(clImpDesc->item(0)->checkState(), Qt::Checked);  // the working copy was renewed
  clImpDesc->setCurrentRow(0);
  auto* sbDownDesc = dlg.findChild<QAbstractButton*>(QStringLiteral("sbDownDesc"));
  ASSERT_TRUE(sbDownDesc);
  sbDownDesc->click();
  EXPECT_EQ(clImpDesc->currentRow(), 1);
  cbSaveDesc->setChecked(true);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(ruleReader(1), drMP3);
  EXPECT_EQ(ruleReader(2), drHTML);
  EXPECT_EQ(host.settingsSaved, 1);
}

TEST(DescOptTest, OkWritesMasksFiltersAndCodePageCancelWritesNothing) {
  LangTable(TLangKind::English).LoadFromFile("Language/English.lng");
  TQDBase opt;
  InitDescriptionRules(opt);
  TQDBase table;
  opt.GoToDepth(0);
  opt.EnterChild(kOptDescRules);
  table.AppendFrom(opt);
  const int slot = NodeChild(table.RootNode(), drTXT) ? drTXT : -1;  // default order
  ASSERT_EQ(slot, drTXT);
  auto masks = [&table, slot] {
    std::vector<std::string> m;
    const TNodeRec* node = NodeChild(NodeChild(table.RootNode(), slot), rsMasks);
    for (int i = 0; node && i < node->SlotCount; ++i) m.emplace_back(NodeGetStr(node, i));
    return m;
  };
  const std::vector<std::string> before = masks();
  {
    TfmDescOpt dlg(table, drTXT);
    dlg.MaskEdit()->setText(QStringLiteral("*.log"));
    dlg.AddMask();
    dlg.reject();
  }
  EXPECT_EQ(masks(), before);
  {
    TfmDescOpt dlg(table, drTXT);
    EXPECT_EQ(dlg.MaskList()->count(), static_cast<int>(before.size()));
    dlg.MaskEdit()->setText(QStringLiteral("*.log"));
    dlg.AddMask();
    EXPECT_TRUE(dlg.MaskEdit()->text().isEmpty());
    auto* oem = dlg.findChild<QCheckBox*>(QStringLiteral("cbTXTOemAnsi"));
    ASSERT_TRUE(oem);
    oem->setChecked(true);
    dlg.accept();
  }
  std::vector<std::string> after = before;
  after.push_back("*.LOG");
  EXPECT_EQ(masks(), after);
  EXPECT_EQ(RuleSlotInt(NodeChild(table.RootNode(), slot), rsOemToAnsi), 1);
  // A rule never holds more masks than the ranks allow.
  {
    TfmDescOpt dlg(table, drTXT);
    for (int i = 0; i < kMaxRuleMasks + 5; ++i) {
      dlg.MaskEdit()->setText(QStringLiteral("*.X%1").arg(i));
      dlg.AddMask();
    }
    EXPECT_EQ(dlg.MaskList()->count(), kMaxRuleMasks);
  }
}

TEST(DiskDescTest, EditorTextIsStoredWithCrLfBetweenLines) {
  EXPECT_EQ(DescriptionFromEditor(QStringLiteral("one\ntwo\n\n")), "one\r\ntwo");
  EXPECT_EQ(DescriptionToEditor("one\r\ntwo\rthree"), QStringLiteral("one\ntwo\nthree"));
  EXPECT_EQ(DescriptionFromEditor(DescriptionToEditor("a\r\n\r\nb")), "a\r\n\r\nb");
}

}  // namespace
