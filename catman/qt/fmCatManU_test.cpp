// SPDX-License-Identifier: MIT
// The catalog manager over the main window's catalogs: every command shows at once in the
// main window's tree, and copies across catalogs carry categories and locations by name.
#include "catman/qt/fmCatManU.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include "app/qt/GuiText.h"
#include "catalog/Categories.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/DestinationCombo.h"

namespace {

QStringList Rows(QListWidget* list) {
  QStringList rows;
  for (int r = 0; r < list->count(); ++r) rows << list->item(r)->text();
  return rows;
}

std::vector<int> SelectedRows(QListWidget* list) {
  std::vector<int> rows;
  for (int r = 0; r < list->count(); ++r)
    if (list->item(r)->isSelected()) rows.push_back(r);
  return rows;
}

class CatManWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAlphaBetaFiles f = MakeAlphaBetaFiles(5);
    w = MakeMainWindow(f.Settings);
    ASSERT_EQ(w->OpenCatalogFiles({f.Alpha, f.Beta}), 2);
    alpha = NodeChild(w->bdMain.RootNode(), 1);
    beta = NodeChild(w->bdMain.RootNode(), 2);
    treeTester = std::make_unique<QAbstractItemModelTester>(
        w->TreeModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Every row of the main tree is built, as a user who expanded everything sees it.
    w->ExpandToDisks(w->TreeModel()->IndexOf(alpha));
    cm = std::make_unique<TfmCatMan>(w->Editor(), w.get());
    leftTester = std::make_unique<QAbstractItemModelTester>(
        cm->trL->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    rightTester = std::make_unique<QAbstractItemModelTester>(
        cm->trR->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }
  void TearDown() override {
    rightTester.reset();
    leftTester.reset();
    cm.reset();
    treeTester.reset();
    w.reset();
  }

  int AddName(TNodeRec* catalog, TListKind kind, const std::string& name) {
    w->bdMain.GoToNode(catalog);
    int index = ListIndexOrAppend(w->bdMain, kind, name);
    w->bdMain.GoToDepth(0);
    return index;
  }
  // The names of the main tree's rows below `node`.
  QStringList TreeRows(const TNodeRec* node) {
    TCatalogTreeModel* m = w->TreeModel();
    QModelIndex parent = m->IndexOf(node);
    QStringList rows;
    for (int r = 0; r < m->rowCount(parent); ++r)
      rows << m->data(m->index(r, 0, parent)).toString();
    return rows;
  }
  // The rows the main window's tree view shows, top to bottom.
  QStringList VisibleTreeRows() {
    QStringList rows;
    QTreeView* tree = w->Tree();
    for (QModelIndex i = tree->model()->index(0, 0); i.isValid(); i = tree->indexBelow(i))
      rows << i.data().toString();
    return rows;
  }
  TNodeRec* Child(const TNodeRec* parent, const char* name) {
    for (TNodeRec* item : TCatMan::PanelItems(parent))
      if (ItemName(item) == name) return item;
    return nullptr;
  }

  TScriptedPrompter prompter;
  std::unique_ptr<TfmVrt> w;
  TNodeRec *alpha = nullptr, *beta = nullptr;
  std::unique_ptr<QAbstractItemModelTester> treeTester, leftTester, rightTester;
  std::unique_ptr<TfmCatMan> cm;
};

TEST_F(CatManWindowTest, MovingADiskIntoACatalogWithoutItsCategoryAppendsTheNameThere) {
  AddName(alpha, TListKind::Categories, "Audio");
  int games = AddName(alpha, TListKind::Categories, "Games");
  AddName(alpha, TListKind::Locations, "Shelf");
  AddName(beta, TListKind::Categories, "Books");
  TNodeRec* d1 = Child(alpha, "D1");
  SetItemCategory(w->bdMain, d1, games, false);
  SetHeaderInt(w->bdMain, d1, kHdrLocation, 1);

  EXPECT_EQ(VisibleTreeRows(), QStringList({"Alpha", "G1", "D2", "D1", "Beta"}));
  cm->FormShow(TreeRowNode(alpha, 0));  // G1 of Alpha is the main tree's selection
  EXPECT_EQ(cm->windowTitle(), LangQ(2401));
  EXPECT_EQ(cm->Destination(0), alpha);
  EXPECT_EQ(cm->Destination(1), alpha);    // entry 0
  EXPECT_EQ(cm->PanelBox(0)->count(), 3);  // Alpha, G1, Beta
  EXPECT_EQ(Rows(cm->trL), QStringList({"G1", "D1"}));
  EXPECT_EQ(cm->ActivePanel(), 0);
  EXPECT_FALSE(cm->sbMove->isEnabled());  // same destination on both sides
  cm->SelectDestination(1, beta);
  EXPECT_TRUE(Rows(cm->trR).isEmpty());
  cm->SelectRows(0, {1});
  ASSERT_TRUE(cm->sbMove->isEnabled());
  EXPECT_EQ(cm->sbMove->text(), LangQ(2405) + " >>");
  EXPECT_EQ(cm->sbCopy->text(), LangQ(2404) + " >>");

  prompter.Answers = {TAnswer::Yes};
  cm->sbMove->click();
  EXPECT_TRUE(prompter.SawText(LangQ(12703) + " " + LangQ(12704)));
  // Beta got the names it lacked, at the end of its lists; the disk refers to them.
  TNodeRec* moved = Child(beta, "D1");
  ASSERT_NE(moved, nullptr);
  w->bdMain.GoToNode(beta);
  EXPECT_EQ(CategoryNames(w->bdMain), (std::vector<std::string>{"Books", "Games"}));
  EXPECT_EQ(LocationNames(w->bdMain), (std::vector<std::string>{"Shelf"}));
  w->bdMain.GoToDepth(0);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(moved)), 2);
  EXPECT_EQ(FieldInt(FieldNode(moved), kHdrLocation), 1);
  EXPECT_EQ(Child(alpha, "D1"), nullptr);
  // The main tree shows it at once; both panels follow.
  EXPECT_EQ(TreeRows(alpha), QStringList({"G1"}));
  EXPECT_EQ(TreeRows(beta), QStringList({"D1"}));
  EXPECT_EQ(VisibleTreeRows(), QStringList({"Alpha", "G1", "D2", "Beta"}));
  w->Tree()->expand(w->TreeModel()->IndexOf(beta));
  EXPECT_EQ(VisibleTreeRows(), QStringList({"Alpha", "G1", "D2", "Beta", "D1"}));
  EXPECT_EQ(Rows(cm->trL), QStringList({"G1"}));
  EXPECT_EQ(Rows(cm->trR), QStringList({"D1"}));
  EXPECT_EQ(FieldInt(FieldNode(alpha), kCatModified), 1);
  EXPECT_EQ(FieldInt(FieldNode(beta), kCatModified), 1);
  // The disk's contents came along.
  EXPECT_EQ(TreeRowCount(moved), 3);
}

TEST_F(CatManWindowTest, CopyKeepsTheSourceAndNumbersTheNameInTheTarget) {
  int audio = AddName(alpha, TListKind::Categories, "Audio");
  TNodeRec* d1 = Child(alpha, "D1");
  SetItemCategory(w->bdMain, d1, audio, false);
  cm->FormShow(alpha);
  TNodeRec* g1 = Child(alpha, "G1");
  cm->SelectDestination(1, g1);
  EXPECT_EQ(Rows(cm->trR), QStringList({"D2"}));
  cm->SelectRows(0, {1});  // D1
  cm->sbCopyClick();
  cm->sbCopyClick();
  EXPECT_TRUE(prompter.Shown.empty());  // within one catalog nothing is asked
  EXPECT_EQ(Rows(cm->trL), QStringList({"G1", "D1"}));
  EXPECT_EQ(Rows(cm->trR), QStringList({"D2", "D1", "D1 (2)"}));
  EXPECT_EQ(TreeRows(g1), Rows(cm->trR));
  EXPECT_EQ(TreeRows(alpha), QStringList({"G1", "D1"}));
  for (const char* name : {"D1", "D1 (2)"})
    EXPECT_EQ(ItemCategory(ItemFlagsOf(Child(g1, name))), audio) << name;
  // The group cannot go into itself: shown on the right, it is skipped.
  cm->SelectRows(0, {0});
  cm->sbCopyClick();
  EXPECT_EQ(Rows(cm->trR), QStringList({"D2", "D1", "D1 (2)"}));

  // Across catalogs, No gives the copy no category and leaves the target's list.
  cm->SelectDestination(1, beta);
  cm->SelectRows(0, {1});
  prompter.Answers = {TAnswer::No};
  cm->sbCopyClick();
  ASSERT_EQ(Rows(cm->trR), QStringList({"D1"}));
  EXPECT_EQ(ItemCategory(ItemFlagsOf(Child(beta, "D1"))), 0);
  w->bdMain.GoToNode(beta);
  EXPECT_TRUE(CategoryNames(w->bdMain).empty());
  w->bdMain.GoToDepth(0);
  EXPECT_EQ(Child(alpha, "D1"), d1);
}

TEST_F(CatManWindowTest, UpDownDeleteNewGroupAndRenameFollowInBothPanelsAndTheTree) {
  cm->FormShow(alpha);
  ASSERT_EQ(cm->Destination(1), alpha);  // both panels show Alpha
  cm->SelectRows(0, {1});                // D1
  cm->SelectRows(1, {1});
  cm->sbUpClick();
  EXPECT_EQ(Rows(cm->trL), QStringList({"D1", "G1"}));
  EXPECT_EQ(Rows(cm->trR), QStringList({"D1", "G1"}));
  EXPECT_EQ(SelectedRows(cm->trL), std::vector<int>{0});
  EXPECT_EQ(SelectedRows(cm->trR), std::vector<int>{0});  // the other panel's node moved too
  EXPECT_EQ(TreeRows(alpha), QStringList({"D1", "G1"}));
  cm->sbUpClick();  // at the top: nothing
  EXPECT_EQ(TreeRows(alpha), QStringList({"D1", "G1"}));
  cm->sbDownClick();
  EXPECT_EQ(TreeRows(alpha), QStringList({"G1", "D1"}));
  EXPECT_EQ(SelectedRows(cm->trL), std::vector<int>{1});

  // New group: appended, in the tree, put into editing.
  cm->sbNewGrClick();
  QString newGroup = LangQ(10127);
  EXPECT_EQ(Rows(cm->trL), QStringList({"G1", "D1", newGroup}));
  EXPECT_EQ(TreeRows(alpha), Rows(cm->trL));
  EXPECT_EQ(SelectedRows(cm->trL), std::vector<int>{2});
  EXPECT_EQ(cm->PanelBox(0)->count(), 4);  // Alpha, G1, the new group, Beta

  // Renaming in the right panel renames the item of the right panel's destination.
  cm->SetActivePanel(1);
  cm->RenameRow(1, 2, "Shelf");
  EXPECT_EQ(Rows(cm->trR)[2], "Shelf");
  EXPECT_EQ(Rows(cm->trL)[2], "Shelf");
  EXPECT_EQ(TreeRows(alpha)[2], "Shelf");
  EXPECT_EQ(cm->PanelBox(0)->itemText(2), "Shelf");
  // An edit in place ends the same way; the catalog manager numbers even a case change.
  cm->trR->item(2)->setText("SHELF");
  EXPECT_EQ(TreeRows(alpha)[2], "SHELF (2)");
  EXPECT_EQ(Rows(cm->trR)[2], "SHELF (2)");
  cm->RenameRow(1, 2, "");  // empty keeps the name
  EXPECT_EQ(TreeRows(alpha)[2], "SHELF (2)");

  // Delete asks; Cancel keeps, Yes deletes from the last to the first.
  cm->SelectRows(1, {1, 2});
  prompter.Answers = {TAnswer::No};
  cm->sbDelete->click();
  EXPECT_TRUE(prompter.SawText(LangQ(12702)));
  EXPECT_EQ(TreeRows(alpha).size(), 3);
  prompter.Answers = {TAnswer::Yes};
  cm->sbDelete->click();
  EXPECT_EQ(TreeRows(alpha), QStringList({"G1"}));
  EXPECT_EQ(Rows(cm->trL), QStringList({"G1"}));
  EXPECT_EQ(Rows(cm->trR), QStringList({"G1"}));
  EXPECT_EQ(FieldInt(FieldNode(alpha), kCatModified), 1);
}

TEST_F(CatManWindowTest, StatusCaptionsButtonsAndNavigation) {
  cm->FormShow(beta);
  EXPECT_EQ(cm->Destination(0), beta);
  EXPECT_TRUE(cm->trL->count() == 0);
  EXPECT_FALSE(cm->sbRename->isEnabled());
  EXPECT_FALSE(cm->sbDelete->isEnabled());
  EXPECT_TRUE(cm->sbNewGr->isEnabled());
  EXPECT_FALSE(cm->sbProp->isEnabled());  // no properties dialog connected

  cm->SetActivePanel(1);
  EXPECT_EQ(cm->sbCopy->text(), "<< " + LangQ(2404));
  EXPECT_EQ(cm->sbMove->text(), "<< " + LangQ(2405));
  cm->SelectRows(1, {0, 1});
  std::vector<TNodeRec*> rows = TCatMan::PanelItems(alpha);
  EXPECT_EQ(cm->StatusText().toStdString(), TCatMan::StatusText(false, rows, rows));
  EXPECT_TRUE(cm->StatusText().startsWith(LangQ(2403) + " "));
  EXPECT_TRUE(cm->sbCopy->isEnabled());

  // A double click on a group shows its contents; on a disk it does nothing.
  cm->PanelDblClick(1, 1);  // D1
  EXPECT_EQ(cm->Destination(1), alpha);
  cm->PanelDblClick(1, 0);  // G1
  EXPECT_EQ(cm->Destination(1), Child(alpha, "G1"));
  EXPECT_EQ(Rows(cm->trR), QStringList({"D2"}));
  EXPECT_EQ(cm->PanelBox(1)->currentText(), "G1");

  // The properties hook gets the selection.
  std::vector<TNodeRec*> shown;
  cm->ShowProperties = [&](const std::vector<TNodeRec*>& items) { shown = items; };
  cm->SelectRows(1, {0});
  EXPECT_TRUE(cm->sbProp->isEnabled());
  cm->sbProp->click();
  EXPECT_EQ(shown, TCatMan::PanelItems(Child(alpha, "G1")));
}

TEST_F(CatManWindowTest, DeletingTheGroupTheOtherPanelShowsFallsBackToTheFirstEntry) {
  cm->FormShow(beta);
  TNodeRec* g1 = Child(alpha, "G1");
  cm->SelectDestination(0, alpha);
  cm->SelectDestination(1, g1);
  ASSERT_EQ(Rows(cm->trR), QStringList({"D2"}));
  cm->SetActivePanel(0);
  cm->SelectRows(0, {0});  // G1
  prompter.Answers = {TAnswer::Yes};
  cm->sbDeleteClick();
  EXPECT_EQ(TreeRows(alpha), QStringList({"D1"}));
  EXPECT_EQ(cm->Destination(0), alpha);
  EXPECT_EQ(cm->Destination(1), alpha);    // entry 0
  EXPECT_EQ(cm->PanelBox(1)->count(), 2);  // Alpha, Beta
  EXPECT_EQ(Rows(cm->trR), QStringList({"D1"}));
  EXPECT_EQ(Rows(cm->trL), QStringList({"D1"}));
}

TEST_F(CatManWindowTest, TheMainWindowCommandOpensTheWindowOnTheSelectedCatalog) {
  w->SelectTreeNode(w->TreeModel()->IndexOf(beta));
  w->UpdateActions();
  ASSERT_TRUE(w->ActCatMan->isEnabled());
  EXPECT_FALSE(w->ActCatMan->property("tolvaneUnavailable").toBool());
  const TNodeRec* shownLeft = nullptr;
  QTimer::singleShot(0, [&] {
    TfmCatMan& window = w->CatManWindow();
    shownLeft = window.Destination(0);
    window.sbClose->click();
  });
  w->ActCatMan->trigger();
  EXPECT_EQ(shownLeft, beta);
  EXPECT_FALSE(w->CatManWindow().isVisible());
}

}  // namespace
