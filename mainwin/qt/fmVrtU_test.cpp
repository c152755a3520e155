// SPDX-License-Identifier: MIT
#include "mainwin/qt/fmVrtU.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QWidgetAction>
#include <filesystem>

#include "app/ShellCommand.h"
#include "app/qt/GuiText.h"
#include "app/qt/SingleInstance.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/ListSort.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAlphaBetaFiles f = MakeAlphaBetaFiles(5);
    dir_ = f.Dir;
    alpha_ = f.Alpha;
    beta_ = f.Beta;
    settings_ = f.Settings;
  }

  // The names shown in column 0 of the list, parent row included.
  static std::vector<QString> ListNames(TfmVrt& w) {
    std::vector<QString> names;
    TItemListModel* m = w.ListModel();
    for (int r = 0; r < m->rowCount(); ++r) names.push_back(m->data(m->index(r, 0)).toString());
    return names;
  }

  static QModelIndex Child(TfmVrt& w, const QModelIndex& parent, const QString& name) {
    return TreeChild(w, parent, name);
  }

  std::string dir_, alpha_, beta_, settings_;
  TScriptedPrompter prompter_;
};

TEST_F(MainWindowTest, OpeningFillsTheTreeInOrderAndSkipsWhatCannotOpen) {
  auto w = MakeMainWindow(settings_);
  QAbstractItemModelTester tester(w->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::string corrupt = dir_ + "/corrupt.ctl";
  std::ofstream(corrupt) << "not a catalog";
  std::string missing = dir_ + "/missing.ctl";
  EXPECT_EQ(w->OpenCatalogFiles({alpha_, corrupt, missing, beta_}), 2);
  TCatalogTreeModel* m = w->TreeModel();
  ASSERT_EQ(m->rowCount(), 2);
  EXPECT_EQ(m->data(m->index(0, 0)).toString(), "Alpha");
  EXPECT_EQ(m->data(m->index(1, 0)).toString(), "Beta");
  EXPECT_EQ(w->Tree()->currentIndex(), m->index(1, 0));  // the last file's catalog is selected
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(10125, corrupt)));
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(10123, missing)));

  // A second open of the same file is refused and adds nothing.
  prompter_.Shown.clear();
  EXPECT_EQ(w->OpenCatalogFiles({alpha_}), 0);
  EXPECT_EQ(m->rowCount(), 2);
  ASSERT_EQ(prompter_.Shown.size(), 1u);
  EXPECT_EQ(prompter_.Shown[0].Text, LangFormatQ(10124, FullFileName(alpha_)));

  // Children are read on demand: the catalog's rows are its group and its disk, not files.
  QModelIndex alpha = m->index(0, 0);
  ASSERT_EQ(m->rowCount(alpha), 2);
  QModelIndex d1 = Child(*w, alpha, "D1");
  EXPECT_EQ(m->rowCount(d1), 3);  // sub, zeta, pack.zip
  EXPECT_FALSE(m->hasChildren(Child(*w, d1, "zeta")));
  EXPECT_TRUE(m->hasChildren(Child(*w, d1, "sub")) == false);
  EXPECT_EQ(TreeImageIndex(m->NodeOf(d1)), 25);  // a whole CD
}

TEST_F(MainWindowTest, SelectionFillsTheListInItsLayoutAndOrder) {
  auto w = MakeMainWindow(settings_);
  w->OpenCatalogFiles({alpha_});
  TCatalogTreeModel* m = w->TreeModel();
  QModelIndex alpha = m->index(0, 0);
  w->SelectTreeNode(alpha);
  // A catalog: the disk layout, no parent row at the top level, containers by name.
  EXPECT_EQ(w->ListModel()->columnCount(), 9);
  EXPECT_EQ(ListNames(*w), (std::vector<QString>{"D1", "G1"}));
  EXPECT_EQ(w->List()->currentIndex().row(), 0);

  // A disk: the file layout with the parent row; plain folders first, then archives and files
  // by full name; the name column shows names without their extension.
  w->SelectTreeNode(Child(*w, alpha, "D1"));
  EXPECT_EQ(w->ListModel()->columnCount(), 7);
  EXPECT_EQ(ListNames(*w), (std::vector<QString>{"[ . . ]", "sub", "zeta", "a", "b", "c", "pack"}));
  TItemListModel* list = w->ListModel();
  EXPECT_EQ(list->data(list->index(6, fcExtension)).toString(), "zip");

  // By size ascending: folders stay first; equal sizes fall back to the names. Descending
  // reverses everything, the grouping included; the parent row stays on top.
  w->LVColumnClick(fcSize);
  EXPECT_EQ(ListNames(*w), (std::vector<QString>{"[ . . ]", "zeta", "sub", "c", "a", "b", "pack"}));
  w->LVColumnClick(fcSize);
  EXPECT_EQ(ListNames(*w), (std::vector<QString>{"[ . . ]", "pack", "b", "a", "c", "sub", "zeta"}));
  EXPECT_EQ(w->List()->header()->sortIndicatorSection(), fcSize);
  EXPECT_EQ(w->List()->header()->sortIndicatorOrder(), Qt::DescendingOrder);

  // The status bar: the parent row never counts in the selection total.
  w->List()->selectAll();
  w->UpdateStatus();
  EXPECT_EQ(w->StatusPanel(2).left(LangFormatQ(10140, "6").size()), LangFormatQ(10140, "6"));
}

TEST_F(MainWindowTest, GoingUpSelectsTheParentAndFocusesTheFolderLeft) {
  auto w = MakeMainWindow(settings_);
  w->OpenCatalogFiles({alpha_});
  TCatalogTreeModel* m = w->TreeModel();
  QModelIndex d1 = Child(*w, m->index(0, 0), "D1");
  w->SelectTreeNode(Child(*w, d1, "zeta"));
  w->GoUp();
  EXPECT_EQ(w->Tree()->currentIndex(), d1);
  EXPECT_EQ(w->ListModel()->data(w->List()->currentIndex().siblingAtColumn(0)).toString(), "zeta");
  EXPECT_TRUE(w->List()->selectionModel()->isRowSelected(w->List()->currentIndex().row()));

  // The parent row goes up too (double click on row 0); a catalog has no way up.
  w->List()->setCurrentIndex(w->ListModel()->index(0, 0));
  w->LVDblClick();
  EXPECT_EQ(w->Tree()->currentIndex(), m->index(0, 0));
  w->GoUp();
  EXPECT_EQ(w->Tree()->currentIndex(), m->index(0, 0));

  // Double click on a folder row enters it.
  QModelIndex row = w->ListModel()->index(0, 0);  // D1 in the disk layout
  w->List()->setCurrentIndex(row);
  w->LVDblClick();
  EXPECT_EQ(w->Tree()->currentIndex(), d1);
}

TEST_F(MainWindowTest, ActionsEnableByKind) {
  auto w = MakeMainWindow(settings_);
  // No catalog: every command of the tree is off and the run caption is "Open".
  EXPECT_FALSE(w->ActAddNewDisk->isEnabled());
  EXPECT_FALSE(w->ActCloseCatalog->isEnabled());
  EXPECT_EQ(w->ActRunItem->text(), LangQ(28));
  EXPECT_TRUE(w->ActNewCatalog->isEnabled());

  w->OpenCatalogFiles({alpha_});
  QModelIndex alpha = w->TreeModel()->index(0, 0);
  w->Tree()->setFocus();
  w->SelectTreeNode(alpha);
  EXPECT_TRUE(w->ActAddNewDisk->isEnabled());
  EXPECT_TRUE(w->ActRenameCatalog->isEnabled());
  EXPECT_TRUE(w->ActSortDisk->isEnabled());
  EXPECT_FALSE(w->ActUpdateDisk->isEnabled());
  EXPECT_FALSE(w->ActDeleteDisk->isEnabled());
  EXPECT_FALSE(w->ActGotoUp->isEnabled());
  EXPECT_FALSE(w->ActSaveCatalog->isEnabled());  // just opened: saved

  w->SelectTreeNode(Child(*w, alpha, "D1"));
  EXPECT_TRUE(w->ActUpdateDisk->isEnabled());
  EXPECT_TRUE(w->ActDeleteDisk->isEnabled());
  EXPECT_TRUE(w->ActGotoUp->isEnabled());
  EXPECT_FALSE(w->ActRenameCatalog->isEnabled());
  EXPECT_FALSE(w->ActSortDisk->isEnabled());
  EXPECT_FALSE(w->ActRemoveFromCatalog->isEnabled());
  // The search and the properties are there with a catalog.
  EXPECT_TRUE(w->ActFind->isEnabled());
  EXPECT_TRUE(w->ActFindAll->isEnabled());
  EXPECT_TRUE(w->ActProperties->isEnabled());

  // A change enables saving, and the status bar says so.
  w->Editor().MarkModified(w->TreeModel()->NodeOf(alpha));
  w->UpdateStatus();
  EXPECT_TRUE(w->ActSaveCatalog->isEnabled());
  EXPECT_TRUE(w->ActSaveAll->isEnabled());
  EXPECT_EQ(w->StatusPanel(0), QStringLiteral("   ") + LangQ(10137));
}

// Whether anything is connected to the action's triggered signal.
bool HasHandler(QAction* a) {
  // QObject::receivers is protected: a member pointer taken inside a subclass reaches it on any
  // QObject without pretending that `a` is of that subclass.
  struct TPeek : QAction {
    static auto Receivers() { return &TPeek::receivers; }
  };
  return (a->*TPeek::Receivers())(SIGNAL(triggered(bool))) > 0;
}

// Every command of the window that is enabled and visible acts when triggered; an enabled
// sub-menu holds at least one enabled command (the menus of the menu bar open to show what is
// off; a menu filled when it opens is empty until then).
void ExpectNoIdleCommand(TfmVrt& w, const char* where) {
  for (QAction* a : w.findChildren<QAction*>()) {
    if (a->isEnabled() && a->isVisible() && a->menu() && !a->menu()->actions().isEmpty() &&
        !qobject_cast<QMenuBar*>(a->menu()->parentWidget())) {
      bool any = false;
      for (QAction* inner : a->menu()->actions())
        any = any || (inner->isEnabled() && inner->isVisible() && !inner->isSeparator());
      EXPECT_TRUE(any) << where << ": the sub-menu \"" << a->text().toStdString()
                       << "\" is enabled but holds no enabled command";
    }
    // Sub-menus open, and a widget on a toolbar (the Open button) acts through its own actions.
    if (!a->isEnabled() || !a->isVisible() || a->isSeparator() || a->menu() ||
        qobject_cast<QWidgetAction*>(a))
      continue;
    EXPECT_TRUE(HasHandler(a)) << where << ": " << a->objectName().toStdString() << " \""
                               << a->text().toStdString() << "\" of "
                               << a->parent()->metaObject()->className() << " "
                               << a->parent()->objectName().toStdString()
                               << " is enabled but does nothing";
  }
}

TEST_F(MainWindowTest, NoEnabledCommandDoesNothing) {
  auto w = MakeMainWindow(settings_);
  // The options are on; the user list holds nothing to remove, and never a catalog.
  EXPECT_TRUE(w->nnOpt0->isEnabled());
  EXPECT_FALSE(w->ActUserDelete->isEnabled());
  ExpectNoIdleCommand(*w, "no catalog");

  w->OpenCatalogFiles({alpha_});
  QModelIndex alpha = w->TreeModel()->index(0, 0);
  QModelIndex d1 = Child(*w, alpha, "D1");
  w->Tree()->setFocus();
  w->SelectTreeNode(alpha);
  EXPECT_TRUE(w->nnOpt0->isEnabled());
  EXPECT_FALSE(w->ActUserDelete->isEnabled());
  ExpectNoIdleCommand(*w, "catalog");

  // A folder in the tree takes no group and no rename (both would do nothing).
  QModelIndex sub = Child(*w, d1, "sub");
  ASSERT_TRUE(sub.isValid());
  w->SelectTreeNode(sub);
  EXPECT_FALSE(w->ActAddNewDiskGroup->isEnabled());
  EXPECT_FALSE(w->ActRenameDisk->isEnabled());
  EXPECT_FALSE(w->ActSortDisk->isEnabled());
  ExpectNoIdleCommand(*w, "folder");

  // A file in focus in the list is not renamed either; the disk in the tree still takes a group.
  w->SelectTreeNode(d1);
  w->List()->setFocus();
  w->List()->setCurrentIndex(w->ListModel()->index(4, 0));  // b.txt
  w->UpdateStatus();
  EXPECT_FALSE(w->ActRenameDisk->isEnabled());
  EXPECT_TRUE(w->ActAddNewDiskGroup->isEnabled());
  ExpectNoIdleCommand(*w, "file");

  // On a group, rename acts and is on.
  w->Tree()->setFocus();
  w->SelectTreeNode(Child(*w, alpha, "G1"));
  EXPECT_TRUE(w->ActRenameDisk->isEnabled());
}

TEST_F(MainWindowTest, SiteAndMailReportAMissingBrowserAsHelpDoes) {
  auto w = MakeMainWindow(settings_);
  // No browser or mail client to be found.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(dir_));
  qunsetenv("BROWSER");
  qunsetenv("DEFAULT_BROWSER");
  for (QAction* a : {w->nnSite, w->nnMail}) {
    prompter_.Shown.clear();
    ASSERT_TRUE(a->isEnabled());
    a->trigger();
    ASSERT_EQ(prompter_.Shown.size(), 1u) << a->objectName().toStdString();
    EXPECT_TRUE(prompter_.Shown[0].Text.startsWith(QStr(ShellErrorText(31))))
        << prompter_.Shown[0].Text.toStdString();
  }
  qputenv("PATH", path);
}

TEST_F(MainWindowTest, ANewCatalogNeverSavedIsNotSaid) {
  auto w = MakeMainWindow(settings_);
  w->NewCatalog(QStringLiteral("Fresh"));
  EXPECT_EQ(w->StatusPanel(0), QStringLiteral("   ") + LangQ(10150));
  EXPECT_NE(LangQ(10150), LangQ(10138));
  EXPECT_TRUE(w->ActSaveCatalog->isEnabled());  // Save asks for its name
  // Once saved, it is.
  std::string file = dir_ + "/fresh.ctl";
  w->SetSaveNameChooser([&](const std::string&, const std::string&) { return file; });
  w->SelectTreeNode(w->TreeModel()->index(0, 0));
  EXPECT_EQ(w->SaveSelectedCatalog(true), TSaveResult::Saved);
  EXPECT_EQ(w->StatusPanel(0), QStringLiteral("   ") + LangQ(10138));
  EXPECT_FALSE(w->ActSaveCatalog->isEnabled());
}

TEST_F(MainWindowTest, StatusBarSummarisesTheItemInFocus) {
  auto w = MakeMainWindow(settings_);
  w->OpenCatalogFiles({alpha_});
  QModelIndex alpha = w->TreeModel()->index(0, 0);
  w->Tree()->setFocus();
  w->SelectTreeNode(alpha);
  // A catalog with a file shows the file in parentheses.
  EXPECT_TRUE(w->StatusPanel(1).startsWith(LangQ(10132) + " \"Alpha\" (" +
                                           QString::fromStdString(FullFileName(alpha_)) + "),  "))
      << w->StatusPanel(1).toStdString();
  w->SelectTreeNode(Child(*w, alpha, "D1"));
  EXPECT_TRUE(w->StatusPanel(1).startsWith(LangQ(10134) + " \"D1\",  "));
  // In the list: the focused row's item, and the go-up caption on the parent row.
  w->List()->setFocus();
  w->List()->setCurrentIndex(w->ListModel()->index(4, 0));  // b.txt
  w->UpdateStatus();
  EXPECT_TRUE(w->StatusPanel(1).startsWith(LangQ(10131) + " \"b.txt\",  10 "))
      << w->StatusPanel(1).toStdString();
  w->List()->setCurrentIndex(w->ListModel()->index(0, 0));
  w->UpdateStatus();
  EXPECT_EQ(w->StatusPanel(1), PlainCaption(LangQ(91)));
  EXPECT_TRUE(w->windowTitle().endsWith("  -  Alpha " + LangFormatQ(10136, "2")));
}

TEST_F(MainWindowTest, ClosingWithUnsavedChangesAsksAndCancelStops) {
  auto w = MakeMainWindow(settings_);
  w->OpenCatalogFiles({alpha_, beta_});
  QModelIndex alpha = w->TreeModel()->index(0, 0);
  w->SelectTreeNode(alpha);
  w->Editor().AddGroup(w->TreeModel()->NodeOf(alpha));

  prompter_.Answers = {TAnswer::Cancel};
  EXPECT_FALSE(w->CloseSelectedCatalog());
  EXPECT_EQ(w->TreeModel()->rowCount(), 2);
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(10143, "Alpha")));

  // Closing the window asks the same and stays open on Cancel.
  prompter_.Answers = {TAnswer::Cancel};
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->TreeModel()->rowCount(), 2);

  // No: the catalog closes without saving.
  prompter_.Answers = {TAnswer::No};
  w->SelectTreeNode(w->TreeModel()->index(0, 0));
  EXPECT_TRUE(w->CloseSelectedCatalog());
  ASSERT_EQ(w->TreeModel()->rowCount(), 1);
  EXPECT_EQ(w->TreeModel()->data(w->TreeModel()->index(0, 0)).toString(), "Beta");
}

TEST_F(MainWindowTest, NewCatalogSavedClosedAndReopened) {
  auto w = MakeMainWindow(settings_);
  QAbstractItemModelTester tester(w->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  w->NewCatalog(QString());
  ASSERT_EQ(w->TreeModel()->rowCount(), 1);
  QModelIndex cat = w->TreeModel()->index(0, 0);
  EXPECT_EQ(w->TreeModel()->data(cat).toString(), LangQ(10001) + "1");
  TNodeRec* group = w->Editor().AddGroup(w->TreeModel()->NodeOf(cat));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(w->TreeModel()->rowCount(cat), 1);

  std::string file = dir_ + "/mine.ctl";
  std::string proposed;
  w->SetSaveNameChooser([&](const std::string& name, const std::string&) {
    proposed = name;
    return file;
  });
  w->SelectTreeNode(cat);
  EXPECT_EQ(w->SaveSelectedCatalog(false), TSaveResult::Saved);
  EXPECT_EQ(proposed, StdStr(LangQ(10001)) + "1");
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(w->StatusPanel(0), QStringLiteral("   ") + LangQ(10138));

  EXPECT_TRUE(w->CloseAllCatalogs());
  EXPECT_EQ(w->TreeModel()->rowCount(), 0);
  EXPECT_EQ(w->ListModel()->rowCount(), 0);
  EXPECT_EQ(w->OpenCatalogFiles({file}), 1);
  cat = w->TreeModel()->index(0, 0);
  ASSERT_EQ(w->TreeModel()->rowCount(cat), 1);
  EXPECT_EQ(w->TreeModel()->data(w->TreeModel()->index(0, 0, cat)).toString(), LangQ(10127));
}

TEST_F(MainWindowTest, ExitRemembersOpenCatalogsAndStartUpReopensThem) {
  {
    auto w = MakeMainWindow(settings_);
    w->OpenCatalogFiles({beta_, alpha_});
    // A hidden column and a sort column of the file layout are kept in the settings.
    w->SelectTreeNode(Child(*w, w->TreeModel()->index(1, 0), "D1"));
    w->List()->header()->resizeSection(fcAttributes, 1);
    w->LVColumnClick(fcDate);
    EXPECT_TRUE(w->close());
  }
  EXPECT_TRUE(std::filesystem::exists(settings_ + "/bdOpt.dat"));
  EXPECT_TRUE(std::filesystem::exists(settings_ + "/fmStorage.ini"));
  auto w = MakeMainWindow(settings_);
  TCatalogTreeModel* m = w->TreeModel();
  ASSERT_EQ(m->rowCount(), 2);
  EXPECT_EQ(m->data(m->index(0, 0)).toString(), "Beta");
  EXPECT_EQ(m->data(m->index(1, 0)).toString(), "Alpha");
  w->SelectTreeNode(Child(*w, m->index(1, 0), "D1"));
  EXPECT_EQ(w->List()->header()->sectionSize(fcAttributes), 1);
  EXPECT_EQ(w->List()->header()->sortIndicatorSection(), fcDate);

  // A command-line file wins over the start-up list; a missing one is reported alone.
  w->CloseAllCatalogs();
  w.reset();
  std::string missing = dir_ + "/nowhere.ctl";
  w = MakeMainWindow(settings_, missing);
  EXPECT_EQ(w->TreeModel()->rowCount(), 0);
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(10123, missing)));
}

TEST_F(MainWindowTest, LayoutFileDefaultsAndAFloatingToolbar) {
  {
    QSettings ini(QString::fromStdString(settings_ + "/fmStorage.ini"), QSettings::IniFormat);
    ini.setValue("MainBar/Parent", "Desktop");
    ini.setValue("MainBar/FloatPosX", 40);
    ini.setValue("MainBar/FloatPosY", 30);
    ini.setValue("FileBar/Parent", "tbDockDown");
  }
  auto w = MakeMainWindow(settings_);
  QToolBar* main = w->findChild<QToolBar*>("MainBar");
  QToolBar* file = w->findChild<QToolBar*>("FileBar");
  ASSERT_TRUE(main && file);
  EXPECT_TRUE(main->isWindow());
  EXPECT_EQ(main->pos(), QPoint(40, 30));
  EXPECT_EQ(w->toolBarArea(file), Qt::BottomToolBarArea);
}

TEST_F(MainWindowTest, InterfaceSettingsColourTheTreeAndTheList) {
  auto w = MakeMainWindow(settings_);
  // The defaults of a fresh settings store: light blue tree and list, both in the desktop font.
  EXPECT_EQ(w->Tree()->palette().color(QPalette::Base), QColor(214, 225, 243));
  EXPECT_EQ(w->List()->palette().color(QPalette::Base), QColor(231, 238, 248));
  EXPECT_FALSE(w->MenuSheet().isEmpty());  // menu style 1
  EXPECT_TRUE(w->styleSheet().isEmpty());  // the views keep their palettes
}

TEST_F(MainWindowTest, WithoutLayoutFileTheWindowTakesFourFifthsByThreeFifths) {
  auto w = MakeMainWindow(settings_);
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(w->width(), screen.width() * 4 / 5);
  EXPECT_EQ(w->height(), screen.height() * 3 / 5);
}

TEST_F(MainWindowTest, EditsKeepTheTreeModelConsistent) {
  auto w = MakeMainWindow(settings_);
  QAbstractItemModelTester tester(w->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  prompter_.Answers = {TAnswer::Yes, TAnswer::Yes};
  w->OpenCatalogFiles({alpha_, beta_});
  TCatalogTreeModel* m = w->TreeModel();
  QModelIndex alpha = m->index(0, 0);
  w->Tree()->expandAll();
  w->SelectTreeNode(Child(*w, Child(*w, alpha, "D1"), "sub"));
  // Sorting moves D1 before G1; the selection inside it follows its node.
  w->Editor().SortDisks(m->NodeOf(alpha));
  EXPECT_EQ(m->data(m->index(0, 0, alpha)).toString(), "D1");
  EXPECT_EQ(m->data(w->Tree()->currentIndex()).toString(), "sub");
  // Deleting the disk that holds the selection leaves a valid selection and list.
  TNodeRec* d1 = m->NodeOf(Child(*w, alpha, "D1"));
  w->Editor().DeleteDisk(d1);
  EXPECT_EQ(m->rowCount(alpha), 1);
  w->RefreshViews();
  EXPECT_TRUE(w->Tree()->currentIndex().isValid());
  // Renaming in place keeps the row.
  QModelIndex g1 = Child(*w, alpha, "G1");
  m->setData(g1, "Group one");
  EXPECT_EQ(m->data(Child(*w, alpha, "Group one")).toString(), "Group one");
  // Closing the first catalog moves Beta up.
  prompter_.Answers = {TAnswer::No};
  w->SelectTreeNode(alpha);
  EXPECT_TRUE(w->CloseSelectedCatalog());
  EXPECT_EQ(m->data(m->index(0, 0)).toString(), "Beta");
}

TEST_F(MainWindowTest, LanguageSwitchRetextsTheWindow) {
  auto w = MakeMainWindow(settings_);
  w->ChooseLanguage("Russian.lng");
  TLangTable russian;
  russian.LoadFromFile(SourceLanguageFolder() + "Russian.lng");
  EXPECT_EQ(w->ActNewCatalog->text(), QString::fromStdString(*russian.Find(2)));
  EXPECT_EQ(w->ListModel()->headerData(0, Qt::Horizontal).toString(),
            QString::fromStdString(*russian.Find(10101)));
  w->ChooseLanguage("English.lng");
  EXPECT_EQ(w->ActNewCatalog->text(), LangQ(2));
  EXPECT_EQ(w->Settings().Options.LanguageFile, "English.lng");
}

TEST_F(MainWindowTest, AddAndUpdateADiskThroughTheDialog) {
  auto w = MakeMainWindow(settings_);
  QAbstractItemModelTester tester(w->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  w->OpenCatalogFiles({alpha_});
  QModelIndex alpha = w->TreeModel()->index(0, 0);
  w->Tree()->expandAll();
  w->SelectTreeNode(alpha);
  std::string medium = std::filesystem::absolute("samples/medium").string();

  TfmAddDisk dlg(*w, w.get());
  dlg.OpenAdd();
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  // The disk is the catalog's last row, selected, its contents listed; the catalog is changed.
  TCatalogTreeModel* m = w->TreeModel();
  ASSERT_EQ(m->rowCount(alpha), 3);
  QModelIndex disk = m->index(2, 0, alpha);
  EXPECT_EQ(m->data(disk).toString(), "medium");
  EXPECT_EQ(w->Tree()->currentIndex(), disk);
  EXPECT_GT(w->ListModel()->rowCount(), 5);
  EXPECT_EQ(w->StatusPanel(0), QStringLiteral("   ") + LangQ(10137));
  TNodeRec* node = m->NodeOf(disk);
  int64_t total = ItemSizeOf(node);
  EXPECT_GT(total, 0);
  int64_t rows = 0;  // the catalog's total is recomputed over its groups and disks
  for (int r = 0; r < m->rowCount(alpha); ++r) rows += ItemSizeOf(m->NodeOf(m->index(r, 0, alpha)));
  EXPECT_EQ(ItemSizeOf(m->NodeOf(alpha)), rows);

  // Updating it with a folder selected inside replaces its rows and keeps the disk node.
  w->SelectTreeNode(m->index(0, 0, disk));
  dlg.OpenUpdate(node);
  ASSERT_TRUE(dlg.ChooseFolder(medium));
  ASSERT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
  EXPECT_EQ(m->NodeOf(m->index(2, 0, alpha)), node);
  EXPECT_EQ(w->Tree()->currentIndex(), m->IndexOf(node));
  EXPECT_EQ(ItemSizeOf(node), total);
  EXPECT_EQ(m->rowCount(m->IndexOf(node)), TreeRowCount(node));
}

TEST_F(MainWindowTest, RecentFilesAreOfferedUnlessOpen) {
  auto w = MakeMainWindow(settings_);
  w->OpenCatalogFiles({alpha_, beta_});
  w->SelectTreeNode(w->TreeModel()->index(0, 0));
  ASSERT_TRUE(w->CloseSelectedCatalog());  // Alpha closes; Beta stays open
  QMenu* file = w->findChild<QMenu*>("nnnFile");
  ASSERT_TRUE(file);
  QMetaObject::invokeMethod(file, "aboutToShow");
  // Most recent first: Beta (open, hidden), then Alpha.
  EXPECT_FALSE(w->nnRecCat[0]->isVisible());
  EXPECT_TRUE(w->nnRecCat[1]->isVisible());
  EXPECT_TRUE(w->npRecCat[1]->isVisible());
  EXPECT_EQ(w->nnRecCat[1]->toolTip(), QString::fromStdString(FullFileName(alpha_)));
  EXPECT_FALSE(w->nnRecCat[2]->isVisible());
  w->nnRecCat[1]->trigger();
  ASSERT_EQ(w->TreeModel()->rowCount(), 2);
  EXPECT_EQ(w->TreeModel()->data(w->TreeModel()->index(1, 0)).toString(), "Alpha");
}

TEST_F(MainWindowTest, DragAndDropMovesTheSelectionWithinItsCatalog) {
  auto w = MakeMainWindow(settings_);
  QAbstractItemModelTester tester(w->TreeModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  w->OpenCatalogFiles({alpha_, beta_});
  TCatalogTreeModel* m = w->TreeModel();
  QModelIndex alpha = m->index(0, 0);
  QModelIndex g1 = Child(*w, alpha, "G1");
  QModelIndex d1 = Child(*w, alpha, "D1");
  w->SelectTreeNode(d1);
  std::unique_ptr<QMimeData> drag(m->mimeData({d1}));
  // Onto itself, between rows, or onto another catalog's node: refused.
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, d1));
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, 0, 0, g1));
  EXPECT_FALSE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, m->index(1, 0)));
  // Onto its group's sibling group: the disk moves there, selected, and the catalog changed.
  ASSERT_TRUE(m->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1, g1));
  m->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, g1);
  QCoreApplication::processEvents();
  g1 = Child(*w, alpha, "G1");
  EXPECT_EQ(m->rowCount(alpha), 1);
  EXPECT_EQ(m->rowCount(g1), 2);
  EXPECT_EQ(m->data(w->Tree()->currentIndex()).toString(), "D1");
  EXPECT_EQ(w->Tree()->currentIndex().parent(), g1);
  EXPECT_TRUE(w->ActSaveCatalog->isEnabled());
  // Catalogs reorder among themselves.
  w->SelectTreeNode(m->index(1, 0));
  drag.reset(m->mimeData({m->index(1, 0)}));
  m->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, m->index(0, 0));
  QCoreApplication::processEvents();
  EXPECT_EQ(m->data(m->index(0, 0)).toString(), "Beta");
  EXPECT_EQ(m->data(m->index(1, 0)).toString(), "Alpha");
}

TEST_F(MainWindowTest, ASecondStartRestoresTheMinimisedWindow) {
  auto w = MakeMainWindow(settings_);
  TSingleInstance first(
      QStringLiteral("tolvane-test-restore-%1").arg(QCoreApplication::applicationPid()));
  ASSERT_TRUE(first.TryBecomePrimary());
  w->ListenForRestore(first);
  w->showMinimized();
  w->hide();  // minimised to the tray
  TSingleInstance second(first.Name());
  EXPECT_FALSE(second.TryBecomePrimary());
  for (int i = 0; i < 100 && !w->isVisible(); ++i) QTest::qWait(10);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isMinimized());
}

TEST_F(MainWindowTest, ASecondStartOpensItsCatalogsInTheRunningWindow) {
  auto w = MakeMainWindow(settings_);
  TSingleInstance first(
      QStringLiteral("tolvane-test-open-%1").arg(QCoreApplication::applicationPid()));
  ASSERT_TRUE(first.TryBecomePrimary());
  w->ListenForRestore(first);
  w->showMinimized();
  TSingleInstance second(first.Name());
  EXPECT_FALSE(
      second.TryBecomePrimary({QString::fromStdString(alpha_), QString::fromStdString(beta_)}));
  for (int i = 0; i < 300 && w->TreeModel()->rowCount() < 2; ++i) QTest::qWait(10);
  ASSERT_EQ(w->TreeModel()->rowCount(), 2);
  EXPECT_EQ(w->TreeModel()->data(w->TreeModel()->index(0, 0)).toString(), "Alpha");
  EXPECT_EQ(w->TreeModel()->data(w->TreeModel()->index(1, 0)).toString(), "Beta");
  for (int i = 0; i < 100 && w->isMinimized(); ++i) QTest::qWait(10);
  EXPECT_FALSE(w->isMinimized());
}

}  // namespace

// The stores belong to the program, not to the window: a window destroyed with a catalog in
// both views and a dialog of its own leaves them whole.
TEST_F(MainWindowTest, StoresOutliveTheWindowThatShowedThem) {
  LoadEnglish();
  TAppStores stores;
  {
    TVrtPlaces places;
    places.SettingsFolder = settings_ + "/";
    places.LanguageFolder = SourceLanguageFolder();
    TfmVrt w(stores, places);
    w.show();
    ASSERT_EQ(w.OpenCatalogFiles({alpha_}), 1);
    w.SelectTreeNode(Child(w, w.TreeModel()->index(0, 0), "D1"));
    ASSERT_GT(w.ListModel()->rowCount(), 0);
    new TfmAddDisk(w, &w);  // a child window that reads bdMain
  }
  const TNodeRec* root = stores.bdMain.RootNode();
  ASSERT_EQ(root->SlotCount, 2);  // the reserved slot and the catalog
  EXPECT_EQ(ItemName(NodeChild(root, 1)), "Alpha");
  EXPECT_GT(stores.Settings.bdOpt.RootNode()->SlotCount, 0);  // loaded, with its defaults
}

namespace {

// A catalog made on an older system: its Windows-1251 names read with the program's page, a page
// of the catalog's own wins, and both are kept in the settings.
void BuildLegacy(TQDBase& bd, TNodeRec* catalog) {
  TNodeRec* disk = AddItem(bd, catalog, "\xC4\xE8\xF1\xEA", ikDisk);  // "Диск" in Windows-1251
  AddLeaf(bd, disk, "\xCE\xF2\xF7\xB8\xF2.txt", 10);                  // "Отчёт.txt"
}

TEST_F(MainWindowTest, CodePagesOfOldCatalogsAreChosenForTheProgramAndPerCatalog) {
  std::string legacy = dir_ + "/legacy.ctl";
  WriteCatalogFile(legacy, "Old", BuildLegacy);
  auto w = MakeMainWindow(settings_);
  ASSERT_EQ(w->OpenCatalogFiles({legacy}), 1);
  TCatalogTreeModel* m = w->TreeModel();
  QModelIndex old = m->index(0, 0);
  EXPECT_EQ(m->data(m->index(0, 0, old)).toString(), QStringLiteral("Äèñê"));  // English: 1252

  w->ChooseCodePage("WINDOWS-1251");
  EXPECT_EQ(m->data(m->index(0, 0, old)).toString(), QStringLiteral("Диск"));
  w->SelectTreeNode(m->index(0, 0, old));
  EXPECT_EQ(ListNames(*w), (std::vector<QString>{"[ . . ]", QStringLiteral("Отчёт")}));

  // The catalog's own page, keyed by its file.
  std::string file(FieldStr(FieldNode(NodeChild(w->bdMain.RootNode(), 1)), kCatFileName));
  ASSERT_FALSE(file.empty());
  w->ChooseCodePage("WINDOWS-1252", file);
  EXPECT_EQ(m->data(m->index(0, 0, old)).toString(), QStringLiteral("Äèñê"));

  TSettings reread;
  TSettingsPlace place = w->Settings().Place();
  reread.Load(place);
  EXPECT_EQ(reread.Options.CodePages.Program, "WINDOWS-1251");
  EXPECT_EQ(reread.Options.CodePages.Catalogs,
            (std::vector<std::pair<std::string, std::string>>{{file, "WINDOWS-1252"}}));
  // The stored names were never touched.
  EXPECT_EQ(ItemName(NodeChild(NodeChild(w->bdMain.RootNode(), 1), 1)), "\xC4\xE8\xF1\xEA");
}

}  // namespace
