// SPDX-License-Identifier: MIT
#include "userlist/qt/fmUserListU.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "app/qt/GuiText.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/DestinationCombo.h"
#include "search/qt/fmFindU.h"
#include "userlist/UserList.h"

namespace {

using Tester = QAbstractItemModelTester;

class UserListWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f_ = MakeAlphaBetaFiles(3);
    w_ = MakeMainWindow(f_.Settings);
    w_->OpenCatalogFiles({f_.Alpha, f_.Beta});
    w_->Tree()->expandAll();
  }

  QModelIndex Child(const QModelIndex& parent, const QString& name) {
    return TreeChild(*w_, parent, name);
  }
  QModelIndex Alpha() { return w_->TreeModel()->index(0, 0); }
  QModelIndex D1() { return Child(Alpha(), QStringLiteral("D1")); }

  // The main window becomes the active one, after any activation still pending.
  void Activate() {
    QApplication::processEvents();
    QApplication::setActiveWindow(w_.get());
    QApplication::processEvents();
  }
  // Selects `node` in the tree, gives the tree the focus and runs ActUserAdd.
  void AddTreeNode(const QModelIndex& node) {
    Activate();
    w_->SelectTreeNode(node);
    w_->Tree()->setFocus();
    w_->UpdateActions();
    w_->ActUserAdd->trigger();
  }
  // Selects the list rows of the items named `names` and gives the list the focus.
  void SelectListRows(const std::vector<std::string>& names) {
    Activate();
    QTreeView* lv = w_->List();
    TItemListModel* m = w_->ListModel();
    lv->setFocus();
    lv->selectionModel()->clear();
    bool first = true;
    for (int r = 0; r < m->rowCount(); ++r) {
      TNodeRec* item = m->ItemAt(r);
      if (!item ||
          std::find(names.begin(), names.end(), std::string(ItemName(item))) == names.end())
        continue;
      QModelIndex i = m->index(r, 0);
      lv->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      if (first) lv->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
      first = false;
    }
    w_->UpdateActions();
  }
  // Opens the window by its command (Ctrl+U) or directly.
  TfmUserList* Open(bool byCommand = false) {
    Activate();
    if (byCommand) {
      w_->UpdateActions();
      w_->ActUserView->trigger();
    } else {
      w_->OpenUserList();
    }
    return w_->UserList();
  }
  std::vector<std::string> Members() {
    std::vector<std::string> names;
    for (TNodeRec* n : w_->bdMain.MarkList(mlUserList))
      names.push_back(n ? std::string(ItemName(n)) : "-");
    return names;
  }
  std::vector<std::string> Rows(TfmUserList* u) {
    std::vector<std::string> names;
    for (int r = 0; r < u->Model()->rowCount(); ++r) {
      TNodeRec* n = u->Model()->ItemAt(r);
      names.push_back(n ? std::string(ItemName(n)) : "-");
    }
    return names;
  }
  std::string ListNames() {
    std::string s;
    TItemListModel* m = w_->ListModel();
    for (int r = 0; r < m->rowCount(); ++r)
      if (TNodeRec* n = m->ItemAt(r)) s += (s.empty() ? "" : ",") + std::string(ItemName(n));
    return s;
  }
  static void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(to, &press);
  }

  TAlphaBetaFiles f_;
  TScriptedPrompter prompter_;
  std::unique_ptr<TfmVrt> w_;
};

TEST_F(UserListWindowTest, AddingTheSameItemTwiceKeepsOneMemberAndCatalogsNeverJoin) {
  AddTreeNode(D1());
  AddTreeNode(D1());
  AddTreeNode(Alpha());  // a catalog: nothing
  EXPECT_EQ(Members(), (std::vector<std::string>{"D1"}));
  // The tree's node is a member now: the sub-menu offers removing it, not adding it.
  w_->SelectTreeNode(D1());
  w_->Tree()->setFocus();
  w_->UpdateActions();
  EXPECT_FALSE(w_->ActUserAdd->isEnabled());
  EXPECT_TRUE(w_->ActUserDelete->isEnabled());

  // Rows of the list: the new one joins, the member is not added again.
  SelectListRows({"a.txt", "b.txt"});
  EXPECT_TRUE(w_->ActUserAdd->isEnabled());
  EXPECT_FALSE(w_->ActUserDelete->isEnabled());
  // A menu opened from the keyboard takes the focus from the list: its rows stay the subject.
  QLineEdit elsewhere(w_.get());
  elsewhere.show();
  elsewhere.setFocus();
  QApplication::processEvents();
  ASSERT_FALSE(w_->List()->hasFocus());
  w_->UpdateActions();
  EXPECT_TRUE(w_->ActUserAdd->isEnabled());
  EXPECT_FALSE(w_->ActUserDelete->isEnabled());
  w_->ActUserAdd->trigger();
  w_->ActUserAdd->trigger();
  TfmUserList* u = Open(true);
  ASSERT_NE(u, nullptr);
  Tester tester(u->Model(), Tester::FailureReportingMode::Fatal);
  EXPECT_TRUE(u->isVisible());
  EXPECT_EQ(u->windowTitle(), LangQ(2501));
  std::vector<std::string> rows = Rows(u);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"D1", "a.txt", "b.txt"}));
  EXPECT_EQ(u->StatusPanel(0), LangFormatQ(11002, "3"));
  EXPECT_TRUE(u->ActDeleteAll->isEnabled());
  // The report command is on while the main window gives it the report dialog, off without.
  EXPECT_TRUE(u->ActReport->isEnabled());
  auto report = u->OpenReport;
  u->OpenReport = nullptr;
  u->UpdateStatus();
  EXPECT_FALSE(u->ActReport->isEnabled());
  u->OpenReport = report;
  u->UpdateStatus();
  EXPECT_TRUE(u->ActReport->isEnabled());

  // Removing from the main window clears the membership, so the row can be added again.
  SelectListRows({"a.txt"});
  w_->ActUserDelete->trigger();
  EXPECT_EQ(u->Model()->rowCount(), 2);
  SelectListRows({"a.txt"});
  w_->UpdateActions();
  EXPECT_TRUE(w_->ActUserAdd->isEnabled());
}

TEST_F(UserListWindowTest, ClosingTheCatalogDropsItsMembersAndTheRowsFollow) {
  TfmUserList* u = Open();
  ASSERT_NE(u, nullptr);
  Tester tester(u->Model(), Tester::FailureReportingMode::Fatal);
  AddTreeNode(D1());
  AddTreeNode(Child(Alpha(), QStringLiteral("G1")));
  SelectListRows({"c.doc"});  // the list shows G1: nothing named so
  w_->SelectTreeNode(D1());
  SelectListRows({"c.doc"});
  w_->ActUserAdd->trigger();
  EXPECT_EQ(u->Model()->rowCount(), 3);
  EXPECT_EQ(u->StatusPanel(0), LangFormatQ(11002, "3"));

  Activate();
  w_->SelectTreeNode(Alpha());
  ASSERT_TRUE(w_->CloseSelectedCatalog());
  EXPECT_TRUE(Members().empty());
  EXPECT_EQ(u->Model()->rowCount(), 0);
  EXPECT_EQ(u->StatusPanel(0), LangFormatQ(11002, "0"));
  EXPECT_FALSE(u->ActDeleteAll->isEnabled());
}

TEST_F(UserListWindowTest, DeletingItemsInTheTreeOrFromTheCatalogDropsTheirMembers) {
  TfmUserList* u = Open();
  Tester tester(u->Model(), Tester::FailureReportingMode::Fatal);
  QModelIndex d2 = Child(Child(Alpha(), QStringLiteral("G1")), QStringLiteral("D2"));
  AddTreeNode(d2);
  AddTreeNode(Child(D1(), QStringLiteral("sub")));
  w_->SelectTreeNode(D1());
  SelectListRows({"a.txt", "b.txt"});
  w_->ActUserAdd->trigger();
  EXPECT_EQ(u->Model()->rowCount(), 4);

  // The disk deleted in the tree (asked first) leaves the list.
  Activate();
  w_->SelectTreeNode(Child(Child(Alpha(), QStringLiteral("G1")), QStringLiteral("D2")));
  w_->Tree()->setFocus();
  prompter_.Answers = {TAnswer::Yes};
  w_->ActDeleteDisk->trigger();
  ASSERT_TRUE(prompter_.SawText(LangFormatQ(10128, "D2")));
  EXPECT_EQ(u->Model()->rowCount(), 3);

  // A file removed from its catalog in the user list window itself leaves it too.
  u->LVU->selectionModel()->clear();
  int aRow = -1;
  for (int r = 0; r < u->Model()->rowCount(); ++r)
    if (ItemName(u->Model()->ItemAt(r)) == "a.txt") aRow = r;
  ASSERT_GE(aRow, 0);
  u->LVU->selectionModel()->setCurrentIndex(
      u->Model()->index(aRow, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  u->UpdateStatus();
  EXPECT_TRUE(u->nnDelete->isEnabled());
  prompter_.Answers = {TAnswer::Yes};
  u->nnDelete->trigger();
  std::vector<std::string> left = Members();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"b.txt", "sub"}));
  EXPECT_EQ(u->Model()->rowCount(), 2);
}

TEST_F(UserListWindowTest, SearchResultsAreAddedOnceByCommandAndByDragging) {
  Activate();
  w_->SelectTreeNode(Alpha());
  w_->Tree()->setFocus();
  w_->UpdateActions();
  w_->ActFind->trigger();
  TfmFind* f = w_->SearchWindow();
  ASSERT_NE(f, nullptr);
  f->cbDst->setCurrentIndex(0);
  f->cbMask->setEditText(QStringLiteral("*.txt"));
  f->Start();
  TItemListModel* m = f->ResultModel();
  ASSERT_EQ(m->rowCount(), 3);  // a.txt, b.txt, inner.txt
  f->LVF->selectionModel()->select(QItemSelection(m->index(0, 0), m->index(1, 0)),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  f->LVF->selectionModel()->setCurrentIndex(m->index(0, 0), QItemSelectionModel::NoUpdate);
  f->UpdateStatus();
  EXPECT_TRUE(f->ActUserAdd->isEnabled());
  f->ActUserAdd->trigger();
  f->ActUserAdd->trigger();
  EXPECT_EQ(Members().size(), 2u);

  TfmUserList* u = Open();
  Tester tester(u->Model(), Tester::FailureReportingMode::Fatal);
  EXPECT_EQ(u->Model()->rowCount(), 2);
  // Every result dragged onto the list: only the third one is new.
  f->LVF->selectAll();
  u->DropFrom(f->LVF);
  EXPECT_EQ(u->Model()->rowCount(), 3);
  u->DropFrom(u->LVU);  // its own rows: nothing
  EXPECT_EQ(u->Model()->rowCount(), 3);
  // The tree's node dragged: a catalog adds nothing, a disk joins.
  w_->SelectTreeNode(Alpha());
  u->DropFrom(w_->Tree());
  EXPECT_EQ(u->Model()->rowCount(), 3);
  w_->SelectTreeNode(D1());
  u->DropFrom(w_->Tree());
  EXPECT_EQ(u->Model()->rowCount(), 4);
  // Removing the results from the search window leaves the members.
  f->LVF->selectAll();
  prompter_.Answers = {TAnswer::Yes};
  f->RemoveFromResults();
  EXPECT_EQ(u->Model()->rowCount(), 4);
}

TEST_F(UserListWindowTest, RemoveFromListFocusesTheNextRowAndClearListAsksOnce) {
  w_->SelectTreeNode(D1());
  SelectListRows({"a.txt", "b.txt", "c.doc", "sub"});
  w_->ActUserAdd->trigger();
  TfmUserList* u = Open();
  Tester tester(u->Model(), Tester::FailureReportingMode::Fatal);
  u->SortBy(0, false);  // a.txt, b.txt, c.doc after the folder sub
  ASSERT_EQ(Rows(u), (std::vector<std::string>{"sub", "a.txt", "b.txt", "c.doc"}));
  u->LVU->selectionModel()->select(QItemSelection(u->Model()->index(1, 0), u->Model()->index(2, 0)),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  prompter_.Answers = {TAnswer::No};
  u->RemoveFromList();
  EXPECT_EQ(u->Model()->rowCount(), 4);
  prompter_.Answers = {TAnswer::Yes};
  u->RemoveFromList();
  ASSERT_TRUE(prompter_.SawText(LangQ(11001)));
  EXPECT_EQ(Rows(u), (std::vector<std::string>{"sub", "c.doc"}));
  EXPECT_EQ(u->LVU->currentIndex().row(), 1);
  EXPECT_EQ(u->SelectedRows(), (std::vector<int>{1}));
  // Sorting descending keeps the selection with its row.
  u->ColumnClick(0);
  EXPECT_TRUE(u->SortDescending());
  EXPECT_EQ(Rows(u), (std::vector<std::string>{"c.doc", "sub"}));
  EXPECT_EQ(u->SelectedRows(), (std::vector<int>{0}));

  size_t asked = prompter_.Shown.size();
  prompter_.Answers = {TAnswer::Yes};
  u->ClearList();
  EXPECT_EQ(prompter_.Shown.size(), asked + 1);
  EXPECT_EQ(prompter_.Shown.back().Text, LangQ(11010));
  EXPECT_EQ(u->Model()->rowCount(), 0);
  EXPECT_FALSE(u->ActDeleteAll->isEnabled());
  u->ClearList();  // nothing to clear: not asked
  EXPECT_EQ(prompter_.Shown.size(), asked + 1);
  // The members are free to join again.
  w_->SelectTreeNode(D1());
  SelectListRows({"a.txt"});
  w_->ActUserAdd->trigger();
  EXPECT_EQ(u->Model()->rowCount(), 1);
}

TEST_F(UserListWindowTest, ClosingKeepsTheMembersAndWritesTheLayout) {
  AddTreeNode(D1());
  TfmUserList* u = Open();
  u->SortBy(2, true);
  u->close();
  EXPECT_FALSE(u->isVisible());
  EXPECT_EQ(Members().size(), 1u);
  // At exit the window's and its toolbar's places are written beside the main window's.
  u->WriteLayout();
  QSettings ini(QString::fromStdString(w_->LayoutFileName()), QSettings::IniFormat);
  EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("fmUserListpos")));
  EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("UserListBar")));
  EXPECT_EQ(Open(), u);
  EXPECT_EQ(u->Model()->rowCount(), 1);
  EXPECT_EQ(u->SortColumn(), 2);
}

// ---- editing from the item list -------------------------------------------------------------

TEST_F(UserListWindowTest, DraggingListRowsOntoAGroupMovesThemAndCtrlCopies) {
  Tester treeTester(w_->TreeModel(), Tester::FailureReportingMode::Fatal);
  Tester listTester(w_->ListModel(), Tester::FailureReportingMode::Fatal);
  AddTreeNode(D1());
  TCatalogTreeModel* m = w_->TreeModel();
  w_->SelectTreeNode(Alpha());
  ASSERT_EQ(ListNames(), "D1,G1");
  SelectListRows({"D1"});
  std::unique_ptr<QMimeData> drag(w_->ListModel()->mimeData({w_->List()->currentIndex()}));
  ASSERT_NE(drag, nullptr);
  QModelIndex g1 = Child(Alpha(), QStringLiteral("G1"));
  // Not onto itself, nor into another catalog.
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, D1()));
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, m->index(1, 0)));
  ASSERT_TRUE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, g1));
  m->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, g1);
  QApplication::processEvents();
  EXPECT_EQ(ListNames(), "G1");
  g1 = Child(Alpha(), QStringLiteral("G1"));
  QModelIndex moved = Child(g1, QStringLiteral("D1"));
  ASSERT_TRUE(moved.isValid());
  EXPECT_EQ(m->rowCount(g1), 2);
  EXPECT_EQ(m->rowCount(moved), 3);  // its folders came along
  // The moved disk is still the member it was.
  EXPECT_EQ(Members(), (std::vector<std::string>{"D1"}));
  EXPECT_EQ(w_->bdMain.MarkList(mlUserList)[0], m->NodeOf(moved));
  EXPECT_TRUE(w_->ActSaveCatalog->isEnabled());

  // With Ctrl both disks of the group are copied onto the catalog; the group keeps them.
  w_->SelectTreeNode(g1);
  SelectListRows({"D1", "D2"});
  drag.reset(w_->ListModel()->mimeData({w_->List()->currentIndex()}));
  ASSERT_TRUE(m->canDropMimeData(drag.get(), Qt::CopyAction, -1, -1, Alpha()));
  m->dropMimeData(drag.get(), Qt::CopyAction, -1, -1, Alpha());
  QApplication::processEvents();
  EXPECT_EQ(m->rowCount(Alpha()), 3);
  EXPECT_EQ(m->rowCount(Child(Alpha(), QStringLiteral("G1"))), 2);
  std::string names;
  for (int r = 0; r < m->rowCount(Alpha()); ++r)
    names += m->data(m->index(r, 0, Alpha())).toString().toStdString() + ";";
  EXPECT_EQ(names, "G1;D1;D2;");
  // The copies are no members; the original stays one.
  EXPECT_EQ(Members(), (std::vector<std::string>{"D1"}));
  EXPECT_EQ(w_->bdMain.MarkList(mlUserList)[0],
            m->NodeOf(Child(Child(Alpha(), QStringLiteral("G1")), QStringLiteral("D1"))));
  // Rows of the file layout (folders, files) are not dropped on the tree.
  w_->SelectTreeNode(D1());
  SelectListRows({"a.txt"});
  drag.reset(w_->ListModel()->mimeData({w_->List()->currentIndex()}));
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, Alpha()));
}

TEST_F(UserListWindowTest, DeleteOnADiskRowAsksAndDeletesAsInTheTree) {
  AddTreeNode(D1());
  TfmUserList* u = Open();
  Activate();
  w_->SelectTreeNode(Alpha());
  SelectListRows({"D1"});
  prompter_.Answers = {TAnswer::No};
  Key(w_->List(), Qt::Key_Delete);
  ASSERT_TRUE(prompter_.SawText(LangFormatQ(10128, "D1")));
  EXPECT_EQ(ListNames(), "D1,G1");
  prompter_.Answers = {TAnswer::Yes};
  Key(w_->List(), Qt::Key_Delete);
  EXPECT_EQ(ListNames(), "G1");
  EXPECT_EQ(w_->TreeModel()->rowCount(Alpha()), 1);
  EXPECT_EQ(w_->List()->currentIndex().row(), 0);
  EXPECT_EQ(u->Model()->rowCount(), 0);
  EXPECT_TRUE(w_->ActSaveCatalog->isEnabled());
}

TEST_F(UserListWindowTest, F2RenamesADiskInTheListAndTheViewStaysWhereItWas) {
  std::string many = f_.Dir + "/many.ctl";
  WriteCatalogFile(many, "Many", [](TQDBase& bd, TNodeRec* catalog) {
    for (int i = 0; i < 80; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "Disk %02d", i);
      AddItem(bd, catalog, name, ikDisk);
    }
  });
  w_->OpenCatalogFiles({many});
  QModelIndex catalog = w_->TreeModel()->index(2, 0);
  ASSERT_EQ(w_->TreeModel()->data(catalog).toString(), "Many");
  Activate();
  w_->SelectTreeNode(catalog);
  QTreeView* lv = w_->List();
  lv->setFocus();
  QModelIndex row = w_->ListModel()->index(40, 0);
  lv->selectionModel()->setCurrentIndex(
      row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  lv->scrollTo(row, QAbstractItemView::PositionAtCenter);
  QApplication::processEvents();
  int scroll = lv->verticalScrollBar()->value();
  ASSERT_GT(scroll, 0);

  Key(lv, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "Disk 40");
  editor->setText(QStringLiteral("Disk 41"));  // a sibling's name: numbered
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(w_->ListModel()->data(w_->ListModel()->index(40, 0)).toString(), "Disk 41 (2)");
  EXPECT_EQ(lv->currentIndex().row(), 40);
  EXPECT_EQ(lv->verticalScrollBar()->value(), scroll);
  EXPECT_EQ(w_->Tree()->currentIndex(), catalog);
  EXPECT_EQ(w_->TreeModel()->data(w_->TreeModel()->index(40, 0, catalog)).toString(),
            "Disk 41 (2)");
  EXPECT_TRUE(w_->ActSaveCatalog->isEnabled());
}

}  // namespace
