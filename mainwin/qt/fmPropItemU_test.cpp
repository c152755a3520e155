// SPDX-License-Identifier: MIT
#include "mainwin/qt/fmPropItemU.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <tuple>

#include "app/SizeTexts.h"
#include "app/qt/GuiText.h"
#include "catalog/Categories.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/DestinationCombo.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/qt/fmFindU.h"

namespace {

QString Size(int64_t size) { return QString::fromStdString(FormatSizeUnits(size)); }
QString Count(int64_t n) { return QString::number(n); }

// Counts below a container as a user would count them: every container of kind 4 (folders and
// archives) is a folder, every other item a file, disks are counted with their capacity.
struct TWalk {
  int64_t Disks = 0, Folders = 0, Files = 0, Capacity = 0, FileBytes = 0;
};
void Walk(const TNodeRec* node, TWalk& w) {
  for (int i = 1; i < node->SlotCount; ++i) {
    const TNodeRec* item = NodeChild(node, i);
    if (!item) continue;
    if (!IsContainer(item)) {
      ++w.Files;
      w.FileBytes += ItemSizeOf(item);
      continue;
    }
    int kind = ItemKindOf(item);
    if (kind == ikDisk) {
      ++w.Disks;
      w.Capacity += FieldInt64(FieldNode(item), kHdrCapacity);
    } else if (kind == ikFolder) {
      ++w.Folders;
    }
    Walk(item, w);
  }
}

// Description, ItemFlags and location of every item of a catalog, by path.
using TSnapshot = std::map<std::string, std::tuple<std::string, int32_t, int32_t>>;
void Snap(const TNodeRec* node, const std::string& path, TSnapshot& out) {
  for (int i = 1; i < node->SlotCount; ++i) {
    const TNodeRec* item = NodeChild(node, i);
    if (!item) continue;
    std::string p = path + "/" + std::string(ItemName(item));
    const TNodeRec* f = FieldNode(item);
    out[p] = {std::string(FieldStr(f, kFieldDescription)), FieldInt(f, kFieldFlags),
              IsContainer(item) ? FieldInt(f, kHdrLocation) : 0};
    if (IsContainer(item)) Snap(item, p, out);
  }
}

class PropItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEnglish();
    InitCatalogStore(bd);
    cat = AddCatalog(bd, "Cat");
    group = AddItem(bd, cat, "G", ikGroup);
    disk = AddItem(bd, group, "D", ikDisk);
    disk2 = AddItem(bd, cat, "D2", ikDisk);
    folder = AddItem(bd, disk, "F", ikFolder);
    arc = AddItem(bd, folder, "a.zip", MakeItemFlags(0, ikFolder, ifArchive), 20);
    inner = AddItem(bd, arc, "in", MakeItemFlags(0, ikFolder, ifInArchive));
    AddLeaf(bd, inner, "e.txt", 5, MakeItemFlags(0, ikFile, ifInArchive));
    file = AddLeaf(bd, folder, "f.txt", 80);
    AddLeaf(bd, folder, "g.txt", 1500);
    topFile = AddLeaf(bd, disk, "top.txt", 20);
    AddLeaf(bd, disk2, "other.bin", 4096);
    SetHeaderInt64(bd, disk, kHdrCapacity, 1000000);
    SetHeaderInt64(bd, disk2, kHdrCapacity, 700000);
    SetHeaderInt(bd, disk, kDiskDriveType, 3);
    bd.GoToNode(cat);
    RecomputeTotals(bd);
    ListIndexOrAppend(bd, TListKind::Categories, "Music");
    ListIndexOrAppend(bd, TListKind::Categories, "Video");
    ListIndexOrAppend(bd, TListKind::Locations, "Shelf");
    ListIndexOrAppend(bd, TListKind::Locations, "Box");
    bd.GoToDepth(0);
  }

  TPropItems Items(std::vector<TNodeRec*> nodes) {
    bd.ClearMarkList(mlSelection);
    for (TNodeRec* n : nodes) {
      bd.GoToNode(n);
      bd.AddMark(mlSelection);
    }
    bd.GoToDepth(0);
    TPropItems items = PrepareItems(bd, mlSelection, nullptr, 0);
    bd.ClearMarkList(mlSelection);
    return items;
  }
  std::string Image() {
    std::string image;
    bd.SaveToString(image);
    return image;
  }
  TSnapshot Snapshot() {
    TSnapshot s;
    Snap(cat, "", s);
    return s;
  }

  TQDBase bd;
  TRecordingHost host;
  TCatalogEditor ed{bd, host};
  TSettings settings;
  TScriptedPrompter prompter;
  TNodeRec *cat, *group, *disk, *disk2, *folder, *arc, *inner, *file, *topFile;
};

TEST_F(PropItemTest, FileFolderAndDiskShowTheirPagesAndCounts) {
  TfmPropItem dlg(ed, settings);
  dlg.Prepare(Items({file}));
  ASSERT_EQ(dlg.pc->count(), 3);
  EXPECT_EQ(dlg.pc->widget(0), dlg.tsCat);
  EXPECT_EQ(dlg.pc->widget(1), dlg.tsDisk);
  EXPECT_EQ(dlg.pc->currentWidget(), dlg.tsFile);
  EXPECT_TRUE(dlg.Filled(TPropPage::File));
  EXPECT_FALSE(dlg.Filled(TPropPage::Disk));  // filled when first shown
  EXPECT_EQ(dlg.edFileName->text(), QStringLiteral("f.txt"));
  EXPECT_TRUE(dlg.edFileName->isReadOnly());
  EXPECT_EQ(dlg.lbFileSz->text(), Size(80));
  EXPECT_EQ(dlg.pc->tabText(2), LangQ(1606));

  // The disk page of a file is the page of the disk that holds it.
  TWalk d;
  Walk(disk, d);
  dlg.pc->setCurrentWidget(dlg.tsDisk);
  EXPECT_TRUE(dlg.Filled(TPropPage::Disk));
  EXPECT_EQ(dlg.edDiskName->text(), QStringLiteral("D"));
  EXPECT_FALSE(dlg.edDiskName->isReadOnly());
  EXPECT_EQ(dlg.lbDiskFileCnt->text(), Count(d.Files));   // the archive's entry counts as a file
  EXPECT_EQ(dlg.lbDiskFldCnt->text(), Count(d.Folders));  // the archive counts as a folder
  EXPECT_EQ(d.Folders, 3);
  EXPECT_EQ(dlg.lbDiskSize->text(), Size(ItemSizeOf(disk)));
  EXPECT_EQ(ItemSizeOf(disk), 20 + 80 + 1500 + 20);  // the archive's own size, not its entries
  EXPECT_EQ(dlg.lbDiskCap->text(), Size(1000000));

  // The catalog page counts over the whole catalog.
  TWalk c;
  Walk(cat, c);
  dlg.ShowPage(TPropPage::Cat);
  EXPECT_EQ(dlg.edCatName->text(), QStringLiteral("Cat"));
  EXPECT_EQ(dlg.lbCatDiskCnt->text(), Count(c.Disks));
  EXPECT_EQ(dlg.lbCatFileCnt->text(), Count(c.Files));
  EXPECT_EQ(dlg.lbCatFldCnt->text(), Count(c.Folders));
  EXPECT_EQ(dlg.lbCatCapacity->text(), Size(c.Capacity));
  EXPECT_EQ(dlg.lbCatSize->text(), Size(ItemSizeOf(cat)));
  EXPECT_EQ(dlg.lbFileSize->text(), Size(0));  // never saved

  // A folder: catalog, disk, folder.
  TfmPropItem dlg2(ed, settings);
  dlg2.Prepare(Items({folder}));
  ASSERT_EQ(dlg2.pc->count(), 3);
  EXPECT_EQ(dlg2.pc->currentWidget(), dlg2.tsFolder);
  TWalk f;
  Walk(folder, f);
  EXPECT_EQ(dlg2.lbFolderFileCnt->text(), Count(f.Files));
  EXPECT_EQ(dlg2.lbFolderFldCnt->text(), Count(f.Folders));
  EXPECT_EQ(dlg2.lbFolderSize->text(), Size(f.FileBytes - 5 + 20));  // the archive by its size

  // A disk: catalog and disk; a group: catalog and group; an archive: its file page with the
  // switch for everything inside.
  dlg2.Prepare(Items({disk2}));
  ASSERT_EQ(dlg2.pc->count(), 2);
  EXPECT_EQ(dlg2.pc->currentWidget(), dlg2.tsDisk);
  EXPECT_EQ(dlg2.edDiskName->text(), QStringLiteral("D2"));  // filled again for the new item
  EXPECT_EQ(dlg2.lbDiskFileCnt->text(), Count(1));
  EXPECT_EQ(dlg2.lbDiskSize->text(), Size(4096));
  dlg2.Prepare(Items({group}));
  EXPECT_EQ(dlg2.pc->count(), 2);
  EXPECT_EQ(dlg2.pc->currentWidget(), dlg2.tsGroup);
  TWalk g;
  Walk(group, g);
  EXPECT_EQ(dlg2.lbGrDiskCnt->text(), Count(g.Disks));
  EXPECT_EQ(dlg2.lbGrCap->text(), Size(g.Capacity));
  dlg2.Prepare(Items({arc}));
  EXPECT_EQ(dlg2.pc->currentWidget(), dlg2.tsFile);
  EXPECT_FALSE(dlg2.cbArchivCatAll->isHidden());
  dlg2.Prepare(Items({file}));
  EXPECT_TRUE(dlg2.cbArchivCatAll->isHidden());
}

TEST_F(PropItemTest, SelectionPageSumsTheSelectedItems) {
  std::vector<TNodeRec*> picked{file, folder, arc, disk2};
  TfmPropItem dlg(ed, settings);
  dlg.Prepare(Items(picked));
  ASSERT_EQ(dlg.pc->count(), 1);
  EXPECT_EQ(dlg.pc->currentWidget(), dlg.tsSel);
  int64_t sum = 0;
  for (TNodeRec* n : picked) sum += ItemSizeOf(n);
  EXPECT_EQ(dlg.lbSelCnt->text(), Count(4));
  EXPECT_EQ(dlg.lbSizeSel->text(), Size(sum));
  EXPECT_EQ(dlg.lbFilesSel->text(), Count(2));    // the file and the archive
  EXPECT_EQ(dlg.lbFoldersSel->text(), Count(1));  // the plain folder
  EXPECT_EQ(dlg.lbDiskSel->text(), Count(1));
  EXPECT_FALSE(dlg.cbSelLoc->isHidden());      // a disk is among them
  EXPECT_EQ(dlg.cbSelCat->currentIndex(), 1);  // leave unchanged
  EXPECT_FALSE(dlg.mmSel->isEnabled());
  dlg.cbSelDescAll->setChecked(true);
  EXPECT_TRUE(dlg.mmSel->isEnabled());

  dlg.Prepare(Items({file, folder}));
  EXPECT_TRUE(dlg.cbSelLoc->isHidden());
  EXPECT_FALSE(dlg.cbSelDescAll->isChecked());
}

TEST_F(PropItemTest, OkWritesExactlyTheEditedFieldsAndCancelNothing) {
  TSnapshot before = Snapshot();
  std::string image = Image();
  TfmPropItem dlg(ed, settings);

  // Cancel after edits: nothing changes.
  dlg.Prepare(Items({file}));
  dlg.mmFile->setPlainText(QStringLiteral("changed"));
  dlg.cbFileCat->setCurrentIndex(2);
  dlg.reject();
  EXPECT_EQ(Image(), image);

  // OK without edits on every page: nothing changes, the catalog stays unchanged.
  dlg.Prepare(Items({file}));
  dlg.ShowPage(TPropPage::Disk);
  dlg.ShowPage(TPropPage::Cat);
  EXPECT_FALSE(dlg.bkOkClick());
  EXPECT_EQ(Image(), image);
  EXPECT_FALSE(CatalogModified(cat));

  // A file's description and category, its disk's location.
  dlg.Prepare(Items({file}));
  dlg.mmFile->setPlainText(QStringLiteral("two\nlines"));
  dlg.cbFileCat->setCurrentIndex(2);
  dlg.ShowPage(TPropPage::Disk);
  EXPECT_EQ(dlg.cbDiskLoc->count(), 3);
  dlg.cbDiskLoc->setCurrentIndex(1);
  EXPECT_TRUE(dlg.bkOkClick());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  TSnapshot expected = before;
  std::get<0>(expected["/G/D/F/f.txt"]) = "two\r\nlines";
  std::get<1>(expected["/G/D/F/f.txt"]) = WithCategory(ikFile, 2);
  std::get<2>(expected["/G/D"]) = 1;
  EXPECT_EQ(Snapshot(), expected);
  EXPECT_TRUE(CatalogModified(cat));
  EXPECT_GE(host.Refreshes, 1);  // the tree, the list and the search results are refreshed

  // A folder's category with everything inside.
  dlg.Prepare(Items({folder}));
  dlg.cbFolderCat->setCurrentIndex(1);
  dlg.cbFolderCatAll->setChecked(true);
  dlg.bkOkClick();
  for (const char* p : {"/G/D/F", "/G/D/F/a.zip", "/G/D/F/a.zip/in", "/G/D/F/a.zip/in/e.txt",
                        "/G/D/F/f.txt", "/G/D/F/g.txt"})
    EXPECT_EQ(ItemCategory(std::get<1>(Snapshot()[p])), 1) << p;
  EXPECT_EQ(ItemCategory(std::get<1>(Snapshot()["/G/D/top.txt"])), 0);

  // Several items: a common description and a category named as in another catalog's list.
  TNodeRec* other = AddCatalog(bd, "Other");
  TNodeRec* od = AddItem(bd, other, "OD", ikDisk);
  bd.GoToNode(other);
  ListIndexOrAppend(bd, TListKind::Categories, "Books");
  bd.GoToDepth(0);
  dlg.Prepare(Items({topFile, od}));
  EXPECT_EQ(dlg.cbSelCat->itemText(4), QStringLiteral("Books"));
  dlg.cbSelCat->setCurrentIndex(4);
  dlg.cbSelDescAll->setChecked(true);
  dlg.mmSel->setPlainText(QStringLiteral("same"));
  EXPECT_TRUE(dlg.bkOkClick());
  EXPECT_EQ(CategoryChoices(cat).back(), "Books");  // appended where it was missing
  EXPECT_EQ(ItemCategory(ItemFlagsOf(topFile)), 3);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(od)), 1);
  EXPECT_EQ(FieldStr(topFile, kFieldDescription), "same");
  EXPECT_EQ(FieldStr(FieldNode(od), kFieldDescription), "same");
  EXPECT_TRUE(CatalogModified(other));
}

TEST_F(PropItemTest, NamesFollowTheRenameRule) {
  AddItem(bd, group, "Sib", ikDisk);
  TfmPropItem dlg(ed, settings);
  dlg.Prepare(Items({disk}));
  dlg.edDiskName->setText(QStringLiteral("sib"));
  dlg.ShowPage(TPropPage::Cat);
  dlg.edCatName->clear();  // an empty name keeps the stored one
  EXPECT_TRUE(dlg.bkOkClick());
  EXPECT_EQ(ItemName(disk), "sib (2)");
  EXPECT_EQ(ItemName(cat), "Cat");
}

TEST_F(PropItemTest, BoxesShowTheCatalogsListsAndEditingThemKeepsTheChoice) {
  TfmPropItem dlg(ed, settings);
  dlg.Prepare(Items({file}));
  QStringList names;
  for (int i = 0; i < dlg.cbFileCat->count(); ++i) names << dlg.cbFileCat->itemText(i);
  EXPECT_EQ(names, (QStringList{LangQ(12601), QStringLiteral("Music"), QStringLiteral("Video")}));
  // Without the hook there is no way to edit the lists.
  for (QToolButton* b : dlg.sbEditCat) EXPECT_TRUE(b->isHidden());
  EXPECT_TRUE(dlg.sbCatOptions->isHidden());

  // The hook: the catalog setup moves Video before Music and adds an entry.
  std::vector<std::pair<int, TListKind>> calls;
  dlg.EditLists = [&](int slot, TListKind page) {
    calls.push_back({slot, page});
    bd.GoToNode(NodeChild(bd.RootNode(), slot));
    TCatSetup setup;
    setup.Open(bd);
    setup.MoveUp(TListKind::Categories, 1);
    setup.Add(TListKind::Categories, "Books");
    setup.Apply(bd);
    bd.GoToDepth(0);
    return true;
  };
  dlg.Prepare(Items({file}));
  EXPECT_FALSE(dlg.sbEditCat.front()->isHidden());
  dlg.cbFileCat->setCurrentIndex(2);  // Video
  QToolButton* fileCatEdit = nullptr;
  for (QToolButton* b : dlg.sbEditCat)
    if (dlg.tsFile->isAncestorOf(b)) fileCatEdit = b;
  ASSERT_NE(fileCatEdit, nullptr);
  fileCatEdit->click();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, 1);
  EXPECT_EQ(calls[0].second, TListKind::Categories);
  ASSERT_EQ(dlg.cbFileCat->count(), 4);
  EXPECT_EQ(dlg.cbFileCat->itemText(3), QStringLiteral("Books"));
  EXPECT_EQ(dlg.cbFileCat->currentText(), QStringLiteral("Video"));
  EXPECT_EQ(dlg.cbFileCat->currentIndex(), 1);
  dlg.bkOkClick();
  EXPECT_EQ(ItemCategory(ItemFlagsOf(file)), 1);  // Video
}

TEST_F(PropItemTest, WrapButtonsShareOneSetting) {
  settings.Options.WrapDescriptions = false;
  TfmPropItem dlg(ed, settings);
  dlg.Prepare(Items({file}));
  EXPECT_FALSE(dlg.sbWrap[4]->isChecked());
  dlg.sbWrap[4]->click();
  EXPECT_TRUE(settings.Options.WrapDescriptions);
  for (QToolButton* b : dlg.sbWrap) EXPECT_TRUE(b->isChecked());
  EXPECT_EQ(dlg.mmDisk->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  TfmPropItem again(ed, settings);
  EXPECT_TRUE(again.sbWrap[0]->isChecked());
}

// ---- opened from the main window and the search window ------------------------------------------

class PropItemWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAlphaBetaFiles f = MakeAlphaBetaFiles(3);
    w_ = MakeMainWindow(f.Settings);
    w_->OpenCatalogFiles({f.Alpha});
    w_->Tree()->expandAll();
  }
  QModelIndex Child(const QModelIndex& parent, const QString& name) {
    return TreeChild(*w_, parent, name);
  }
  // Runs `trigger`; the properties dialog it opens is handed to `inside`, which closes it.
  bool RunDialog(const std::function<void()>& trigger,
                 const std::function<void(TfmPropItem&)>& inside) {
    return RunModal<TfmPropItem>(trigger, inside);
  }
  std::unique_ptr<TfmVrt> w_;
  TScriptedPrompter prompter_;
};

TEST_F(PropItemWindowTest, PropertiesCommandTakesTheListSelectionOrTheTreeNode) {
  QModelIndex alpha = w_->TreeModel()->index(0, 0);
  QModelIndex d1 = Child(alpha, QStringLiteral("D1"));
  w_->SelectTreeNode(d1);
  w_->Tree()->setFocus();
  w_->UpdateActions();
  ASSERT_TRUE(w_->ActProperties->isEnabled());
  // The tree's disk: catalog and disk pages; a description written with OK.
  bool seen = RunDialog([&] { w_->ActProperties->trigger(); },
                        [](TfmPropItem& dlg) {
                          EXPECT_EQ(dlg.pc->count(), 2);
                          EXPECT_EQ(dlg.edDiskName->text(), QStringLiteral("D1"));
                          dlg.mmDisk->setPlainText(QStringLiteral("a disk"));
                          dlg.bkOkClick();
                        });
  EXPECT_TRUE(seen);
  TNodeRec* d1Node = w_->TreeModel()->NodeOf(d1);
  EXPECT_EQ(FieldStr(FieldNode(d1Node), kFieldDescription), "a disk");
  EXPECT_TRUE(CatalogModified(CatalogNodeOf(d1Node)));

  // Two rows of the list, with the focus there: the selection page.
  TItemListModel* m = w_->ListModel();
  QItemSelectionModel* sel = w_->List()->selectionModel();
  int a = -1, b = -1;
  for (int r = 0; r < m->rowCount(); ++r) {
    TNodeRec* item = m->ItemAt(r);
    if (item && ItemName(item) == "a.txt") a = r;
    if (item && ItemName(item) == "b.txt") b = r;
  }
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  sel->setCurrentIndex(m->index(a, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  sel->select(m->index(b, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QApplication::setActiveWindow(w_.get());
  w_->List()->setFocus();
  ASSERT_TRUE(w_->List()->hasFocus());
  seen = RunDialog([&] { w_->ActProperties->trigger(); },
                   [](TfmPropItem& dlg) {
                     EXPECT_EQ(dlg.pc->currentWidget(), dlg.tsSel);
                     EXPECT_EQ(dlg.lbSelCnt->text(), QStringLiteral("2"));
                     EXPECT_EQ(dlg.lbSizeSel->text(), Size(20));
                   });
  EXPECT_TRUE(seen);

  // Double-click action 1 on a file: its properties.
  w_->Settings().Options.DblClickAction = 1;
  sel->setCurrentIndex(m->index(a, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  seen = RunDialog([&] { w_->LVDblClick(); },
                   [](TfmPropItem& dlg) {
                     EXPECT_EQ(dlg.pc->currentWidget(), dlg.tsFile);
                     EXPECT_EQ(dlg.edFileName->text(), QStringLiteral("a.txt"));
                   });
  EXPECT_TRUE(seen);
}

TEST_F(PropItemWindowTest, SearchResultsOpenTheProperties) {
  QModelIndex alpha = w_->TreeModel()->index(0, 0);
  w_->SelectTreeNode(alpha);
  w_->Tree()->setFocus();
  w_->UpdateActions();
  w_->ActFind->trigger();
  TfmFind* f = w_->SearchWindow();
  ASSERT_NE(f, nullptr);
  f->cbDst->setCurrentIndex(0);
  f->cbMask->setEditText(QStringLiteral("a.txt"));
  f->Start();
  ASSERT_EQ(f->ResultModel()->rowCount(), 1);
  f->LVF->selectionModel()->setCurrentIndex(
      f->ResultModel()->index(0, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  f->UpdateStatus();
  ASSERT_TRUE(f->ActProperties->isEnabled());
  bool seen = RunDialog([&] { f->ActProperties->trigger(); },
                        [](TfmPropItem& dlg) {
                          EXPECT_EQ(dlg.edFileName->text(), QStringLiteral("a.txt"));
                          dlg.mmFile->setPlainText(QStringLiteral("found"));
                          dlg.bkOkClick();
                        });
  EXPECT_TRUE(seen);
  TNodeRec* item = f->ResultModel()->ItemAt(0);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(FieldStr(item, kFieldDescription), "found");
}

// A description written in the dialog and saved stays after the disk is updated with "keep
// descriptions", although the medium would give the file another one.
TEST_F(PropItemWindowTest, EditedDescriptionSurvivesSaveReopenAndUpdate) {
  const std::string dir = ScratchDir("prop-desc-update");
  const std::string medium = dir + "/medium";
  std::filesystem::create_directories(medium + "/docs");
  std::ofstream(medium + "/docs/notes.txt", std::ios::binary) << "head of the notes\r\n";
  std::ofstream(medium + "/docs/descript.ion", std::ios::binary) << "other.bin listed\r\n";
  std::ofstream(medium + "/docs/other.bin", std::ios::binary) << "x";
  const std::string file = dir + "/disks.ctl";

  w_->NewCatalog(QStringLiteral("Disks"));
  TQDBase& bd = w_->bdMain;
  TNodeRec* catalog = NodeChild(bd.RootNode(), bd.RootNode()->SlotCount - 1);
  w_->SelectTreeNode(w_->TreeModel()->IndexOf(catalog));
  {
    TfmAddDisk add(*w_);
    add.OpenAdd();
    ASSERT_TRUE(add.ChooseFolder(medium));
    ASSERT_EQ(add.RunOk(), TfmAddDisk::TOkResult::Done);
  }
  TNodeRec* disk = NodeChild(catalog, 1);
  ASSERT_NE(disk, nullptr);
  auto child = [](const TNodeRec* n, const char* name) {
    for (int i = 1; n && i < n->SlotCount; ++i)
      if (ItemName(NodeChild(n, i)) == name) return NodeChild(n, i);
    return static_cast<TNodeRec*>(nullptr);
  };
  TNodeRec* notes = child(child(disk, "docs"), "notes.txt");
  TNodeRec* other = child(child(disk, "docs"), "other.bin");
  ASSERT_TRUE(notes && other);
  ASSERT_EQ(FieldStr(other, kFieldDescription), "listed");

  TfmPropItem dlg(w_->Editor(), w_->Settings());
  for (auto [item, text] : {std::pair{notes, "my notes"}, {other, "my other"}}) {
    bd.ClearMarkList(mlSelection);
    bd.GoToNode(item);
    bd.AddMark(mlSelection);
    dlg.Prepare(PrepareItems(bd, mlSelection, nullptr, 0));
    bd.ClearMarkList(mlSelection);
    dlg.mmFile->setPlainText(QString::fromUtf8(text));
    ASSERT_TRUE(dlg.bkOkClick());
  }
  w_->SelectTreeNode(w_->TreeModel()->IndexOf(catalog));
  w_->SetSaveNameChooser([&](const std::string&, const std::string&) { return file; });
  ASSERT_EQ(w_->SaveSelectedCatalog(false), TSaveResult::Saved);
  ASSERT_TRUE(w_->CloseAllCatalogs());
  ASSERT_EQ(w_->OpenCatalogFiles({file}), 1);

  catalog = NodeChild(bd.RootNode(), 1);
  disk = NodeChild(catalog, 1);
  ASSERT_EQ(FieldStr(child(child(disk, "docs"), "notes.txt"), kFieldDescription), "my notes");
  {
    TfmAddDisk update(*w_);
    update.OpenUpdate(disk);
    ASSERT_TRUE(update.ChooseFolder(medium));
    ASSERT_EQ(update.RunOk(), TfmAddDisk::TOkResult::Done);
  }
  EXPECT_EQ(FieldStr(child(child(disk, "docs"), "notes.txt"), kFieldDescription), "my notes");
  EXPECT_EQ(FieldStr(child(child(disk, "docs"), "other.bin"), kFieldDescription), "my other");
}

}  // namespace
