// SPDX-License-Identifier: MIT
#include "search/qt/fmFindU.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <filesystem>

#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/DestinationCombo.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/ListSort.h"

namespace {

class FindWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAlphaBetaFiles f = MakeAlphaBetaFiles(3);
    dir_ = f.Dir;
    alpha_ = f.Alpha;
    beta_ = f.Beta;
    settings_ = f.Settings;
    w_ = MakeMainWindow(settings_);
    w_->OpenCatalogFiles({alpha_, beta_});
    w_->Tree()->expandAll();
  }

  QModelIndex Child(const QModelIndex& parent, const QString& name) {
    return TreeChild(*w_, parent, name);
  }
  QModelIndex Alpha() { return w_->TreeModel()->index(0, 0); }
  QModelIndex D1() { return Child(Alpha(), QStringLiteral("D1")); }

  // Opens the search window from the tree node `node` (Ctrl+F) or for all catalogs.
  TfmFind* OpenFind(const QModelIndex& node, bool all = false) {
    QApplication::setActiveWindow(w_.get());
    if (node.isValid()) {
      w_->SelectTreeNode(node);
      w_->Tree()->setFocus();
    }
    w_->UpdateActions();
    (all ? w_->ActFindAll : w_->ActFind)->trigger();
    return w_->SearchWindow();
  }

  // Runs a search for `mask` in entry 0 (all catalogs).
  static void Search(TfmFind* f, const QString& mask) {
    f->cbDst->setCurrentIndex(0);
    f->cbMask->setEditText(mask);
    f->Start();
  }

  static std::vector<QString> ResultNames(TfmFind* f) {
    std::vector<QString> names;
    TItemListModel* m = f->ResultModel();
    for (int r = 0; r < m->rowCount(); ++r) {
      QString ext = m->data(m->index(r, rcExtension)).toString();
      names.push_back(m->data(m->index(r, rcName)).toString() +
                      (ext.isEmpty() ? QString() : QLatin1Char('.') + ext));
    }
    return names;
  }

  std::string dir_, alpha_, beta_, settings_;
  TScriptedPrompter prompter_;
  std::unique_ptr<TfmVrt> w_;
};

TEST_F(FindWindowTest, FindFromAFolderPreselectsItAndFindInAllCatalogsPreselectsEntryZero) {
  QModelIndex sub = Child(D1(), QStringLiteral("sub"));
  ASSERT_TRUE(sub.isValid());
  TfmFind* f = OpenFind(sub);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->isVisible());
  TNodeRec* subNode = w_->TreeModel()->NodeOf(sub);
  EXPECT_EQ(f->StartNode(), subNode);
  const auto& entries = f->cbDst->Entries();
  int chosen = f->cbDst->currentIndex();
  ASSERT_GT(chosen, 0);
  EXPECT_EQ(entries[static_cast<size_t>(chosen)].Node, subNode);
  // Entry 0 is every catalog; the folder chain follows its disk, one level deeper.
  EXPECT_EQ(f->cbDst->itemText(0), LangQ(11004));
  EXPECT_EQ(entries[static_cast<size_t>(chosen - 1)].Name, "D1");
  EXPECT_EQ(entries[static_cast<size_t>(chosen)].Level,
            entries[static_cast<size_t>(chosen - 1)].Level + 1);
  std::vector<std::string> names;
  for (const TDestination& d : entries) names.push_back(d.Name);
  EXPECT_EQ(names, (std::vector<std::string>{StdStr(LangQ(11004)), "Alpha", "G1", "D2", "D1", "sub",
                                             "Beta"}));

  // A file focused in the list searches the folder that holds it.
  TfmFind* again = OpenFind(D1());
  EXPECT_EQ(again, f);  // one window for the program's life
  EXPECT_EQ(f->cbDst->Entries()[static_cast<size_t>(f->cbDst->currentIndex())].Name, "D1");

  OpenFind(QModelIndex(), true);
  EXPECT_EQ(f->cbDst->currentIndex(), 0);
}

TEST_F(FindWindowTest, ClosingTheCatalogOfTheStartNodeClosesTheWindow) {
  TfmFind* f = OpenFind(Child(Alpha(), QStringLiteral("G1")));
  ASSERT_TRUE(f->isVisible());
  // Closing another catalog leaves it open.
  w_->SelectTreeNode(w_->TreeModel()->index(1, 0));
  ASSERT_TRUE(w_->CloseSelectedCatalog());
  EXPECT_TRUE(f->isVisible());
  w_->SelectTreeNode(Alpha());
  ASSERT_TRUE(w_->CloseSelectedCatalog());
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->StartNode(), nullptr);
}

TEST_F(FindWindowTest, AnEntryWhoseNodeWasRemovedIsNotSearched) {
  QModelIndex sub = Child(D1(), QStringLiteral("sub"));
  TfmFind* f = OpenFind(sub);
  int chosen = f->cbDst->currentIndex();
  // The folder goes from the catalog while the window is open; the window stays.
  prompter_.Answers.push_back(TAnswer::Yes);
  ASSERT_TRUE(w_->Editor().RemoveTreeItem(w_->TreeModel()->NodeOf(sub)));
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(f->StartNode(), nullptr);
  EXPECT_EQ(f->cbDst->currentIndex(), chosen);
  f->cbMask->setEditText(QString());
  f->Start();
  EXPECT_EQ(w_->bdMain.MarkCount(mlFound), 0);
  EXPECT_FALSE(prompter_.SawText(LangQ(11005)));  // refused, not searched
  // The list was built again without the folder.
  for (const TDestination& d : f->cbDst->Entries()) EXPECT_NE(d.Name, "sub");
  EXPECT_EQ(f->cbDst->currentIndex(), 0);
}

TEST_F(FindWindowTest, NoResultsShowsTheMessageOnceAndAnEmptyList) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("nothing-like-this"));
  EXPECT_EQ(f->ResultModel()->rowCount(), 0);
  int shown = 0;
  for (const auto& s : prompter_.Shown) shown += s.Text == LangQ(11005);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(f->StatusPanel(0), LangFormatQ(11002, "0"));
}

TEST_F(FindWindowTest, StartNeedsNamesOrDescriptionsAndTheChecksEnableTheirControls) {
  TfmFind* f = OpenFind(Alpha());
  EXPECT_TRUE(f->bkStart->isEnabled());
  f->cbInNames->click();
  f->cbInDesc->click();
  EXPECT_FALSE(f->bkStart->isEnabled());
  f->cbInDesc->click();
  EXPECT_TRUE(f->bkStart->isEnabled());
  EXPECT_FALSE(f->ndSize->isEnabled());
  f->cbSize->setChecked(true);
  EXPECT_TRUE(f->ndSize->isEnabled());
  EXPECT_FALSE(f->cbA1->isEnabled());
  f->cbAttr->setChecked(true);
  EXPECT_TRUE(f->cbA1->isEnabled());
  EXPECT_EQ(f->cbA1->checkState(), Qt::PartiallyChecked);
}

TEST_F(FindWindowTest, RemovingTwoResultsKeepsTheSelectionAtTheFirstRemovedRow) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("txt"));  // a.txt, b.txt, inner.txt
  ASSERT_EQ(ResultNames(f), (std::vector<QString>{"a.txt", "b.txt", "inner.txt"}));
  QItemSelectionModel* sel = f->LVF->selectionModel();
  TItemListModel* m = f->ResultModel();
  sel->setCurrentIndex(m->index(0, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  sel->select(m->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  prompter_.Answers.push_back(TAnswer::No);
  f->RemoveFromResults();
  EXPECT_EQ(m->rowCount(), 3);  // No keeps them
  prompter_.Answers.push_back(TAnswer::Yes);
  f->RemoveFromResults();
  EXPECT_EQ(ResultNames(f), (std::vector<QString>{"inner.txt"}));
  EXPECT_EQ(f->LVF->currentIndex().row(), 0);
  EXPECT_EQ(f->SelectedRows(), (std::vector<int>{0}));
  // Removing the last row selects the row before it; the items stay in their catalogs.
  Search(f, QStringLiteral("txt"));
  sel->setCurrentIndex(m->index(2, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  prompter_.Answers.push_back(TAnswer::Yes);
  f->RemoveFromResults();
  EXPECT_EQ(f->SelectedRows(), (std::vector<int>{1}));
  EXPECT_EQ(w_->bdMain.MarkCount(mlFound), 2);
  EXPECT_EQ(w_->TreeModel()->rowCount(D1()), 3);
}

TEST_F(FindWindowTest, SizeDescendingPutsPlainFoldersAfterFilesAndTheSelectionFollows) {
  TfmFind* f = OpenFind(D1());
  f->cbDst->setCurrentIndex(f->cbDst->currentIndex());  // D1
  f->cbMask->setEditText(QString());
  f->Start();
  TItemListModel* m = f->ResultModel();
  ASSERT_EQ(m->rowCount(), 7);
  // Select b.txt, then sort by size descending.
  std::vector<QString> names = ResultNames(f);
  int b = static_cast<int>(std::find(names.begin(), names.end(), "b.txt") - names.begin());
  f->LVF->selectionModel()->setCurrentIndex(
      m->index(b, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  f->ColumnClick(rcSize);
  f->ColumnClick(rcSize);
  EXPECT_EQ(f->SortColumn(), rcSize);
  EXPECT_TRUE(f->SortDescending());
  EXPECT_EQ(ResultNames(f), (std::vector<QString>{"pack.zip", "b.txt", "a.txt", "inner.txt",
                                                  "c.doc", "sub", "zeta"}));
  EXPECT_EQ(f->LVF->currentIndex().row(), 1);
  EXPECT_EQ(f->SelectedRows(), (std::vector<int>{1}));
  EXPECT_EQ(f->LVF->header()->sortIndicatorSection(), rcSize);
  EXPECT_EQ(f->LVF->header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(FindWindowTest, AMaskInTheHistoryInAnotherCaseIsNotAddedAgainAndTheHistoryClears) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("TXT"));
  Search(f, QStringLiteral("txt"));
  Search(f, QStringLiteral("doc"));
  ASSERT_EQ(f->cbMask->count(), 2);
  EXPECT_EQ(f->cbMask->itemText(0), "doc");
  EXPECT_EQ(f->cbMask->itemText(1), "TXT");
  EXPECT_EQ(w_->Settings().Options.MaskHistory, (std::vector<std::string>{"doc", "TXT"}));
  // At most 20 are kept, the oldest dropped.
  for (int i = 0; i < 25; ++i) Search(f, QStringLiteral("m%1").arg(i));
  EXPECT_EQ(f->cbMask->count(), 20);
  EXPECT_EQ(w_->Settings().Options.MaskHistory.size(), 20u);
  EXPECT_EQ(f->cbMask->itemText(0), "m24");
  // The clear-history entry empties the box and the saved history at once.
  f->cbMask->addItem(TMaskCombo::ClearEntryText());
  emit f->cbMask->activated(f->cbMask->count() - 1);
  EXPECT_EQ(f->cbMask->count(), 0);
  EXPECT_TRUE(w_->Settings().Options.MaskHistory.empty());
  TSettings reread;
  TSettingsPlace place = w_->Settings().Place();
  reread.Load(place);
  EXPECT_TRUE(reread.Options.MaskHistory.empty());
}

TEST_F(FindWindowTest, GoToSelectsTheContainerInTheTreeAndTheRowInTheList) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("inner"));
  ASSERT_EQ(ResultNames(f), (std::vector<QString>{"inner.txt"}));
  f->LVF->selectionModel()->setCurrentIndex(
      f->ResultModel()->index(0, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  f->GoTo();
  QModelIndex sub = Child(D1(), QStringLiteral("sub"));
  EXPECT_EQ(w_->Tree()->currentIndex(), sub);
  QModelIndex current = w_->List()->currentIndex();
  ASSERT_TRUE(current.isValid());
  EXPECT_EQ(ItemName(w_->ListModel()->ItemAt(current.row())), "inner.txt");
  EXPECT_EQ(w_->List()->selectionModel()->selectedRows().size(), 1);

  // A file of a disk: the disk is selected, the row found by its exact name.
  Search(f, QStringLiteral("b.t"));
  f->LVF->selectionModel()->setCurrentIndex(
      f->ResultModel()->index(0, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  f->GoTo();
  EXPECT_EQ(w_->Tree()->currentIndex(), D1());
  EXPECT_EQ(ItemName(w_->ListModel()->ItemAt(w_->List()->currentIndex().row())), "b.txt");
}

TEST_F(FindWindowTest, RemoveFromCatalogGoesThroughTheEditorAndReloadsTheResults) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("txt"));
  f->LVF->selectionModel()->setCurrentIndex(
      f->ResultModel()->index(0, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  prompter_.Answers.push_back(TAnswer::Yes);
  f->RemoveFromCatalog();
  EXPECT_EQ(ResultNames(f), (std::vector<QString>{"b.txt", "inner.txt"}));
  w_->SelectTreeNode(D1());
  for (int r = 0; r < w_->ListModel()->rowCount(); ++r)
    EXPECT_NE(w_->ListModel()->data(w_->ListModel()->index(r, 0)).toString(), "a.txt");
}

TEST_F(FindWindowTest, ASearchOfTheSampleCatalogGivesTheRowsOfTheCommandLineFind) {
  QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvane-cli");
  if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "tolvane-cli is not built";
  // The sample medium scanned into Beta, saved.
  QModelIndex beta = w_->TreeModel()->index(1, 0);
  w_->SelectTreeNode(beta);
  {
    TfmAddDisk dlg(*w_, w_.get());
    dlg.OpenAdd();
    ASSERT_TRUE(dlg.ChooseFolder(std::filesystem::absolute("samples/medium").string()));
    ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  }
  w_->SelectTreeNode(beta);
  ASSERT_EQ(w_->SaveSelectedCatalog(false), TSaveResult::Saved);

  for (const char* mask : {"e", "*.txt", ""}) {
    TfmFind* f = OpenFind(beta);
    f->cbMask->setEditText(QString::fromUtf8(mask));
    f->Start();
    std::vector<QString> rows = ResultNames(f);
    QProcess p;
    p.start(cli, {QStringLiteral("find"), QString::fromStdString(beta_), QString::fromUtf8(mask),
                  QStringLiteral("--in"), QStringLiteral("both")});
    ASSERT_TRUE(p.waitForFinished(20000));
    QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    TItemListModel* m = f->ResultModel();
    ASSERT_EQ(static_cast<size_t>(lines.size()), rows.size()) << mask;
    ASSERT_GT(lines.size(), 0) << mask;
    // The names in the same order; items of one name in any order (names alone decide), so
    // the full paths compare as sets.
    QStringList cliPaths, guiPaths;
    for (int i = 0; i < lines.size(); ++i) {
      QString path = lines[i].section('\t', 0, 0);
      EXPECT_EQ(rows[static_cast<size_t>(i)], path.section('\\', -1)) << mask << " row " << i;
      cliPaths << path;
      QString full;
      for (const TNodeRec* n = m->ItemAt(i); n && ItemKindOf(n) > ikCatalog; n = n->Parent)
        full = QStr(ItemName(n)) + (full.isEmpty() ? QString() : QLatin1Char('\\') + full);
      guiPaths << full;
    }
    cliPaths.sort();
    guiPaths.sort();
    EXPECT_EQ(cliPaths.join("\n").toStdString(), guiPaths.join("\n").toStdString()) << mask;
  }
}

}  // namespace

namespace {

TEST_F(FindWindowTest, ClosingKeepsTheResultsAndWritesTheOptionsPlacementAndColumns) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("txt"));
  f->cbInArc->setChecked(false);
  f->cbStopFind->setChecked(true);
  f->ColumnClick(rcDate);
  f->removeToolBar(f->tbSearchBar);
  f->addToolBar(Qt::BottomToolBarArea, f->tbSearchBar);
  f->tbSearchBar->show();
  f->close();
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(w_->bdMain.MarkCount(mlFound), 3);  // the results stay
  QSettings ini(QString::fromStdString(w_->LayoutFileName()), QSettings::IniFormat);
  EXPECT_EQ(ini.value(QStringLiteral("SearchBar/Parent")).toString(), "tbDockDown");
  EXPECT_TRUE(ini.childGroups().contains(QStringLiteral("fmFindpos")));
  const TNodeRec* options = OptNode(w_->Settings().bdOpt, kOptFind);
  EXPECT_EQ(OptInt(options, kFindInArchives), 0);
  EXPECT_EQ(OptInt(options, kFindStopAtLimit), 1);
  EXPECT_EQ(OptInt(options, kFindStopCount), 1000);

  // Opening again shows them; a second main window over the same settings folder places its
  // search window's toolbar where it was left and sorts by the saved column.
  TfmFind* again = OpenFind(Alpha());
  EXPECT_EQ(again->ResultModel()->rowCount(), 3);
  EXPECT_FALSE(again->cbInArc->isChecked());
  w_->SaveSettings();
  w_.reset();
  w_ = MakeMainWindow(settings_);
  w_->OpenCatalogFiles({alpha_});
  TfmFind* other = OpenFind(Alpha());
  EXPECT_EQ(other->toolBarArea(other->tbSearchBar), Qt::BottomToolBarArea);
  EXPECT_EQ(other->SortColumn(), rcDate);
  EXPECT_FALSE(other->cbInArc->isChecked());
}

TEST_F(FindWindowTest, DoubleClickGoesToTheItemWhenTheOptionSaysSo) {
  w_->Settings().Options.DblClickAction = 1;  // properties
  w_->Settings().Options.DblClickGoTo = true;
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("inner"));
  QModelIndex row = f->ResultModel()->index(0, 0);
  f->LVF->selectionModel()->setCurrentIndex(
      row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  emit f->LVF->doubleClicked(row);
  EXPECT_EQ(w_->Tree()->currentIndex(), Child(D1(), QStringLiteral("sub")));
}

TEST_F(FindWindowTest, FileCommandsWaitForTheirHandlerAndGetTheSelectedItems) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("txt"));
  QItemSelectionModel* sel = f->LVF->selectionModel();
  sel->setCurrentIndex(f->ResultModel()->index(0, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  sel->select(f->ResultModel()->index(1, 0),
              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  // The main window connects its file commands; without a handler they stay disabled.
  EXPECT_TRUE(static_cast<bool>(f->ItemCommand));
  f->ItemCommand = nullptr;
  f->UpdateStatus();
  EXPECT_FALSE(f->ActRunItem->isEnabled());
  EXPECT_FALSE(f->ActFiles->isEnabled());
  EXPECT_FALSE(f->ActProperties->isEnabled());
  EXPECT_TRUE(f->ActGoto->isEnabled());
  std::vector<std::pair<TFindItemCommand, size_t>> calls;
  f->ItemCommand = [&](TFindItemCommand c, const std::vector<TNodeRec*>& items) {
    calls.push_back({c, items.size()});
  };
  f->UpdateStatus();
  EXPECT_TRUE(f->ActRunItem->isEnabled());
  EXPECT_TRUE(f->ActExploreItem->isEnabled());
  EXPECT_TRUE(f->ActFiles->isEnabled());
  EXPECT_TRUE(f->ActProperties->isEnabled());
  f->ActRunItem->trigger();
  f->ActFilesCopy->trigger();
  f->ActProperties->trigger();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], std::make_pair(TFindItemCommand::Run, size_t{1}));
  EXPECT_EQ(calls[1], std::make_pair(TFindItemCommand::Copy, size_t{2}));
  EXPECT_EQ(calls[2], std::make_pair(TFindItemCommand::Properties, size_t{2}));
}

}  // namespace

namespace {

TEST_F(FindWindowTest, ALanguageChangeRetextsTheWindowAndTheRows) {
  TfmFind* f = OpenFind(Alpha());
  Search(f, QStringLiteral("b.t"));
  ASSERT_EQ(f->ResultModel()->rowCount(), 1);
  QModelIndex type = f->ResultModel()->index(0, rcDiskType);
  QString english = f->ResultModel()->data(type).toString();
  w_->ChooseLanguage(QStringLiteral("Russian.lng"));
  QString russian = f->ResultModel()->data(type).toString();
  QString title = f->windowTitle();
  QString expected = LangQ(1001);
  w_->ChooseLanguage(QStringLiteral("English.lng"));
  EXPECT_EQ(title, expected);
  EXPECT_NE(title, QStringLiteral("Find"));
  EXPECT_NE(russian, english);
  EXPECT_EQ(f->ResultModel()->data(type).toString(), english);
}

}  // namespace

namespace {

TEST_F(FindWindowTest, ClosingTheMainWindowClosesTheSearchWindowAndSavesItsOptions) {
  TfmFind* f = OpenFind(Alpha());
  f->cbInArc->setChecked(false);
  w_->close();
  EXPECT_FALSE(f->isVisible());
  TSettings reread;
  reread.Load(w_->Settings().Place());
  EXPECT_EQ(OptInt(OptNode(reread.bdOpt, kOptFind), kFindInArchives), 0);
  EXPECT_EQ(OptInt(OptNode(reread.bdOpt, kOptFind), kFindInNames), 1);
}

}  // namespace

namespace {

// A long search keeps the event loop turning (timers fire, the window repaints), shows its
// progress bar meanwhile, and the main window cannot be closed under it.
TEST_F(FindWindowTest, ALongSearchKeepsTheWindowAliveAndTheCatalogsOpen) {
  std::string big = dir_ + "/big.ctl";
  WriteCatalogFile(big, "Big", [](TQDBase& bd, TNodeRec* catalog) {
    TNodeRec* disk = AddItem(bd, catalog, "Disk", ikDisk);
    for (int f = 0; f < 200; ++f) {
      TNodeRec* folder = AddItem(bd, disk, "folder" + std::to_string(f), ikFolder);
      for (int i = 0; i < 1000; ++i) AddLeaf(bd, folder, "file" + std::to_string(i) + ".dat", i);
    }
  });
  w_->OpenCatalogFiles({big});
  TfmFind* f = OpenFind(QModelIndex(), true);
  int ticks = 0;
  bool progressShown = false, mainOpen = true;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!f->Searching()) return;
    ++ticks;
    progressShown = progressShown || f->pbProg->isVisible();
    if (ticks == 1) {
      w_->close();
      mainOpen = w_->isVisible();
    }
  });
  timer.start();
  f->cbMask->setEditText(QStringLiteral("no-such-name"));
  f->Start();
  timer.stop();
  EXPECT_GT(ticks, 0);
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(mainOpen);
  EXPECT_FALSE(f->pbProg->isVisible());
  EXPECT_FALSE(f->Searching());
  EXPECT_TRUE(f->bkStart->isEnabled());
}

}  // namespace
