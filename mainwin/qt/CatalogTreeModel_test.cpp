// SPDX-License-Identifier: MIT
#include "mainwin/qt/CatalogTreeModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "mainwin/CatalogEdit.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "search/ListSort.h"

namespace {

// An editor host that forwards the row reports to the model, as the main window does.
class TModelHost : public TEditHost {
 public:
  explicit TModelHost(TCatalogTreeModel& m) : model(m) {}
  bool Confirm(int, const std::string&, const std::string&) override { return true; }
  void TreeChanging(const TTreeChange& c) override { model.ApplyChange(c, true); }
  void TreeChanged(const TTreeChange& c) override { model.ApplyChange(c, false); }
  TCatalogTreeModel& model;
};

class TreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEditTexts();
    InitCatalogStore(bd);
    cat = AddCatalog(bd, "Cat");
    g = AddItem(bd, cat, "G", ikGroup);
    disk = AddItem(bd, cat, "Disk", ikDisk);
    folder = AddItem(bd, disk, "Folder", ikFolder);
    AddItem(bd, folder, "Inner", ikFolder);
    arc = AddItem(bd, disk, "a.zip", ikFolder | ifArchive);
    AddLeaf(bd, disk, "file.txt", 5);
  }
  TQDBase bd;
  TNodeRec *cat, *g, *disk, *folder, *arc;
};

TEST_F(TreeModelTest, RowsAreTheContainerItemsAndIndexesMapBothWays) {
  TCatalogTreeModel m(bd);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
  ASSERT_EQ(m.rowCount(), 1);
  QModelIndex c = m.index(0, 0);
  EXPECT_EQ(m.NodeOf(c), cat);
  EXPECT_EQ(m.rowCount(c), 2);
  QModelIndex d = m.index(1, 0, c);
  EXPECT_EQ(m.NodeOf(d), disk);
  EXPECT_EQ(m.rowCount(d), 2);  // the folder and the archive, never the file
  EXPECT_FALSE(m.index(2, 0, d).isValid());
  EXPECT_EQ(m.IndexOf(arc), m.index(1, 0, d));
  EXPECT_EQ(m.parent(m.IndexOf(arc)), d);
  EXPECT_FALSE(m.IndexOf(NodeChild(disk, 3)).isValid());  // a file has no row
  EXPECT_FALSE(m.IndexOf(bd.RootNode()).isValid());
  EXPECT_EQ(m.data(m.IndexOf(arc)).toString(), "a.zip");
  // Only catalogs, groups and disks can be renamed in place.
  EXPECT_FALSE(m.flags(c) & Qt::ItemIsEditable);  // nothing is editable without OnRename
  m.OnRename = [](TNodeRec*, const QString&) {};
  EXPECT_TRUE(m.flags(d) & Qt::ItemIsEditable);
  EXPECT_FALSE(m.flags(m.IndexOf(folder)) & Qt::ItemIsEditable);
}

TEST_F(TreeModelTest, EditorReportsKeepPersistentIndexesOnTheirNodes) {
  TCatalogTreeModel m(bd);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
  TModelHost host(m);
  TCatalogEditor editor(bd, host);
  QPersistentModelIndex inner(m.index(0, 0, m.IndexOf(folder)));
  QPersistentModelIndex gi(m.IndexOf(g));
  editor.SortDisks(cat);  // Disk before G
  EXPECT_EQ(gi.row(), 1);
  EXPECT_EQ(m.NodeOf(inner), NodeChild(folder, 1));
  TNodeRec* group = editor.AddGroup(cat);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(m.rowCount(m.index(0, 0)), 3);
  editor.DeleteDisk(disk);
  EXPECT_FALSE(inner.isValid());
  EXPECT_EQ(m.rowCount(m.index(0, 0)), 2);
}

TEST_F(TreeModelTest, ReplacingAllRowsWithholdsThemInBetween) {
  TCatalogTreeModel m(bd);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QPersistentModelIndex old(m.IndexOf(folder));
  QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
  QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
  m.RemoveAllRows(disk);
  EXPECT_EQ(m.rowCount(m.IndexOf(disk)), 0);
  EXPECT_FALSE(old.isValid());
  // The store changes in one step: three new folders replace the old items.
  bd.GoToNode(disk);
  while (bd.SlotCount() > 1) bd.DeleteSlot(bd.SlotCount() - 1);
  for (const char* name : {"x", "y", "z"}) AddItem(bd, disk, name, ikFolder);
  EXPECT_EQ(m.rowCount(m.IndexOf(disk)), 0);
  m.InsertAllRows(disk);
  EXPECT_EQ(m.rowCount(m.IndexOf(disk)), 3);
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(inserted.count(), 1);
}

TEST(ItemListModelTest, RowsComeFromTheViewListWithTheParentRowFirst) {
  LoadEnglish();
  TQDBase bd;
  InitCatalogStore(bd);
  TNodeRec* cat = AddCatalog(bd, "Cat");
  TNodeRec* disk = AddItem(bd, cat, "Disk", ikDisk);
  TNodeRec* sub = AddItem(bd, disk, "sub", ikFolder, 1234);
  TNodeRec* file = AddLeaf(bd, disk, "archive.tar.gz", 2048);
  bd.GoToNode(sub);
  bd.AddMark(mlView);
  bd.GoToNode(file);
  bd.AddMark(mlView);
  bd.GoToNode(cat);
  TItemListModel m(bd);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
  m.SetDiskLayout(false);
  m.SetParentRow(true);
  m.ResetRows();
  ASSERT_EQ(m.rowCount(), 3);
  EXPECT_EQ(m.columnCount(), 7);
  EXPECT_EQ(m.data(m.index(0, 0)).toString(), "[ . . ]");
  EXPECT_EQ(m.data(m.index(0, fcSize)).toString(), "");
  EXPECT_EQ(m.ItemAt(0), nullptr);
  EXPECT_EQ(m.ItemAt(2), file);
  EXPECT_EQ(m.data(m.index(2, fcName)).toString(), "archive.tar");
  EXPECT_EQ(m.data(m.index(2, fcExtension)).toString(), "gz");
  EXPECT_EQ(m.data(m.index(2, fcSize)).toString(), "2 048");
  EXPECT_EQ(m.data(m.index(2, fcSize), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
            Qt::AlignRight);
  EXPECT_FALSE(m.data(m.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_FALSE(m.data(m.index(2, 0), Qt::DecorationRole).value<QIcon>().isNull());
  // Reading rows leaves the store's cursor where it was.
  EXPECT_EQ(bd.CurrentNode(), cat);
  // An item released from the store drops out of the list; the row count follows on refresh.
  bd.GoToNode(disk);
  bd.DeleteSlot(1);
  m.RefreshRows();
  EXPECT_EQ(m.rowCount(), 2);
  EXPECT_EQ(m.ItemAt(1), file);
}

}  // namespace

namespace {

// A catalog from an older system: the tree and the list show its Windows-1251 names decoded with
// the page the window hands them, each UTF-8 name as it is.
TEST(LegacyCodePageModelTest, TreeAndListShowTheDecodedNames) {
  LoadEnglish();
  TQDBase bd;
  InitCatalogStore(bd);
  TNodeRec* cat = AddCatalog(bd, "Cat");
  TNodeRec* disk = AddItem(bd, cat, "\xC4\xE8\xF1\xEA", ikDisk);       // "Диск"
  TNodeRec* file = AddLeaf(bd, disk, "\xCE\xF2\xF7\xB8\xF2.txt", 10);  // "Отчёт.txt"
  TNodeRec* utf8 = AddLeaf(bd, disk, "Пробный.txt", 10);
  TCatalogDecoders russian{TTextDecoder("1251")};

  TCatalogTreeModel tree(bd);
  tree.SetDecoders(&russian);
  EXPECT_EQ(tree.data(tree.IndexOf(disk)).toString(), QStringLiteral("Диск"));

  for (TNodeRec* n : {utf8, file}) {
    bd.GoToNode(n);
    bd.AddMark(mlView);
  }
  TItemListModel list(bd);
  list.SetDecoders(&russian);
  list.SetDiskLayout(false);
  list.ResetRows();
  ASSERT_EQ(list.rowCount(), 2);
  EXPECT_EQ(list.data(list.index(0, fcName)).toString(), QStringLiteral("Пробный"));
  EXPECT_EQ(list.data(list.index(1, fcName)).toString(), QStringLiteral("Отчёт"));
  // Sorted by the decoded names: "О" before "П".
  SortMarkListBy(bd, mlView, TListLayout::File, fcName, false, nullptr, &russian);
  list.ResetRows();
  EXPECT_EQ(list.ItemAt(0), file);
}

}  // namespace
