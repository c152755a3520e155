// SPDX-License-Identifier: MIT
// The catalog setup dialog driven as a user would, over a catalog store built in code: edits
// reach the catalog only through OK and Yes, with every reference renumbered.
#include "catalog/qt/fmCatSetupU.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <map>

#include "app/qt/GuiText.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/VrtTestUtil.h"

namespace {

QStringList Rows(QListWidget* list) {
  QStringList rows;
  for (int r = 0; r < list->count(); ++r) rows << list->item(r)->text();
  return rows;
}

class CatSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadEnglish();
    InitCatalogStore(bd);
    cat = AddCatalog(bd, "Main");
    other = AddCatalog(bd, "Other");
    for (const char* name : {"Audio", "Video", "Games"}) Append(cat, TListKind::Categories, name);
    for (const char* name : {"Shelf", "Box"}) Append(cat, TListKind::Locations, name);
    for (const char* name : {"Games", "Books", "Audio", "Maps"})
      Append(other, TListKind::Categories, name);
    Append(other, TListKind::Locations, "Attic");
    // Items of every kind with every category, and groups and disks with locations.
    group = AddItem(bd, cat, "G", ikGroup);
    SetCategory(group, 2);
    SetHeaderInt(bd, group, kHdrLocation, 2);
    disk = AddItem(bd, group, "D", ikDisk, 10);
    SetCategory(disk, 3);
    SetHeaderInt(bd, disk, kHdrLocation, 1);
    folder = AddItem(bd, disk, "F", ikFolder, 5);
    SetCategory(folder, 1);
    file = AddLeaf(bd, folder, "f.txt", 5);
    SetCategory(file, 2);
    plain = AddLeaf(bd, disk, "g.txt", 5);
    SetCategory(plain, 3);
    bare = AddItem(bd, cat, "Bare", ikDisk, 1);
  }

  void Append(TNodeRec* catalog, TListKind kind, const char* name) {
    bd.GoToNode(catalog);
    ListIndexOrAppend(bd, kind, name);
    bd.GoToDepth(0);
  }
  void SetCategory(TNodeRec* item, int category) { SetItemCategory(bd, item, category, false); }
  static int Category(const TNodeRec* item) { return ItemCategory(ItemFlagsOf(item)); }
  static int Location(const TNodeRec* item) { return FieldInt(FieldNode(item), kHdrLocation); }
  std::string Image(TNodeRec* node) {
    bd.GoToNode(node);
    std::string image;
    bd.SaveToString(image);
    bd.GoToDepth(0);
    return image;
  }
  std::vector<std::string> Names(TNodeRec* catalog, TListKind kind) {
    bd.GoToNode(catalog);
    std::vector<std::string> names =
        kind == TListKind::Categories ? CategoryNames(bd) : LocationNames(bd);
    bd.GoToDepth(0);
    return names;
  }

  TScriptedPrompter prompter;
  TQDBase bd;
  TNodeRec *cat, *other, *group, *disk, *folder, *file, *plain, *bare;
};

TEST_F(CatSetupTest, DeletingAMiddleCategoryRenumbersEveryReferenceOfTheCatalog) {
  TfmCatSetup dialog(bd);
  QAbstractItemModelTester cats(dialog.lbCat->model(),
                                QAbstractItemModelTester::FailureReportingMode::Fatal);
  QAbstractItemModelTester locs(dialog.lbLoc->model(),
                                QAbstractItemModelTester::FailureReportingMode::Fatal);
  ASSERT_TRUE(dialog.Open(cat));
  EXPECT_EQ(dialog.windowTitle(), LangQ(2301));
  EXPECT_EQ(Rows(dialog.lbCat), QStringList({"Audio", "Video", "Games"}));
  EXPECT_EQ(Rows(dialog.lbLoc), QStringList({"Shelf", "Box"}));
  EXPECT_TRUE(dialog.sbCopyCat->isEnabled());  // "Other" is open

  dialog.lbCat->setCurrentRow(1);  // Video
  dialog.sbDelCat->click();
  EXPECT_EQ(Rows(dialog.lbCat), QStringList({"Audio", "Games"}));
  EXPECT_EQ(dialog.lbCat->currentRow(), 1);  // the last entry is selected
  // Box too: the disk in it is left without a location.
  dialog.pcPages->setCurrentWidget(dialog.tsLoc);
  dialog.lbLoc->setCurrentRow(1);
  dialog.sbDelLoc->click();
  // Nothing has reached the catalog yet.
  EXPECT_EQ(Category(group), 2);
  EXPECT_EQ(Names(cat, TListKind::Categories).size(), 3u);

  prompter.Answers = {TAnswer::Yes};
  dialog.bkOk->click();
  EXPECT_TRUE(prompter.SawText(LangQ(12509)));
  EXPECT_TRUE(dialog.Applied());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Names(cat, TListKind::Categories), (std::vector<std::string>{"Audio", "Games"}));
  EXPECT_EQ(Names(cat, TListKind::Locations), (std::vector<std::string>{"Shelf"}));
  // Video's items have none; Games's moved down to 2; Audio's kept 1; none stays none.
  EXPECT_EQ(Category(group), 0);
  EXPECT_EQ(Category(file), 0);
  EXPECT_EQ(Category(disk), 2);
  EXPECT_EQ(Category(plain), 2);
  EXPECT_EQ(Category(folder), 1);
  EXPECT_EQ(Category(bare), 0);
  EXPECT_EQ(Location(group), 0);
  EXPECT_EQ(Location(disk), 1);
  EXPECT_EQ(FieldInt(FieldNode(cat), kCatModified), 1);
  // The other catalog is not touched.
  EXPECT_EQ(Names(other, TListKind::Categories).size(), 4u);
}

TEST_F(CatSetupTest, ReorderingKeepsEveryItemsCategoryAndLocationName) {
  std::map<const TNodeRec*, std::string> before, beforeLoc;
  for (const TNodeRec* item : {group, disk, folder, file, plain, bare})
    before[item] = std::string(CategoryNameOf(cat, Category(item)));
  for (const TNodeRec* item : {group, disk}) beforeLoc[item] = LocationNameOf(cat, Location(item));

  TfmCatSetup dialog(bd);
  ASSERT_TRUE(dialog.Open(cat));
  dialog.lbCat->setCurrentRow(2);  // Games to the top
  EXPECT_FALSE(dialog.sbDownCat->isEnabled());
  dialog.sbUpCat->click();
  dialog.sbUpCat->click();
  EXPECT_EQ(dialog.lbCat->currentRow(), 0);
  EXPECT_FALSE(dialog.sbUpCat->isEnabled());
  dialog.sbUpCat->click();         // nothing above
  dialog.lbCat->setCurrentRow(1);  // Audio below Video
  dialog.sbDownCat->click();
  EXPECT_EQ(Rows(dialog.lbCat), QStringList({"Games", "Video", "Audio"}));
  dialog.lbLoc->setCurrentRow(0);
  dialog.sbDownLoc->click();
  EXPECT_EQ(Rows(dialog.lbLoc), QStringList({"Box", "Shelf"}));

  prompter.Answers = {TAnswer::Yes};
  dialog.bkOkClick();
  ASSERT_TRUE(dialog.Applied());
  EXPECT_EQ(Names(cat, TListKind::Categories),
            (std::vector<std::string>{"Games", "Video", "Audio"}));
  for (const auto& [item, name] : before)
    EXPECT_EQ(CategoryNameOf(cat, Category(item)), name) << ItemName(item);
  for (const auto& [item, name] : beforeLoc)
    EXPECT_EQ(LocationNameOf(cat, Location(item)), name) << ItemName(item);
  EXPECT_EQ(Category(disk), 1);  // Games
  EXPECT_EQ(Category(bare), 0);
}

TEST_F(CatSetupTest, CancelNoAndEscLeaveTheCatalogUntouched) {
  const std::string image = Image(cat);
  auto edit = [&](TfmCatSetup& dialog) {
    dialog.InputName = [](const QString&, const QString&, QString& text) {
      text = "Extra";
      return true;
    };
    dialog.sbAddCat->click();
    dialog.lbCat->setCurrentRow(0);
    dialog.sbDelCat->click();
    dialog.lbLoc->setCurrentRow(1);
    dialog.sbUpLoc->click();
    EXPECT_TRUE(dialog.Setup().Changed());
  };
  {  // Cancel
    TfmCatSetup dialog(bd);
    ASSERT_TRUE(dialog.Open(cat));
    edit(dialog);
    dialog.bkCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.Applied());
    EXPECT_TRUE(prompter.Shown.empty());
  }
  EXPECT_EQ(Image(cat), image);
  {  // OK, then Cancel of the question keeps the dialog; No closes it without applying.
    TfmCatSetup dialog(bd);
    ASSERT_TRUE(dialog.Open(cat));
    edit(dialog);
    int finished = 0;
    QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
    prompter.Answers = {TAnswer::Cancel};
    dialog.bkOkClick();
    EXPECT_EQ(finished, 0);
    prompter.Answers = {TAnswer::No};
    dialog.bkOkClick();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.Applied());
  }
  EXPECT_EQ(Image(cat), image);
  {  // Esc
    TfmCatSetup dialog(bd);
    ASSERT_TRUE(dialog.Open(cat));
    edit(dialog);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Applied());
  }
  EXPECT_EQ(Image(cat), image);
  {  // OK without changes asks nothing.
    prompter.Shown.clear();
    TfmCatSetup dialog(bd);
    ASSERT_TRUE(dialog.Open(cat));
    dialog.bkOkClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.Shown.empty());
    EXPECT_FALSE(dialog.Applied());
  }
  EXPECT_EQ(Image(cat), image);
}

TEST_F(CatSetupTest, AddEditAndCopyFromAnotherCatalog) {
  TfmCatSetup dialog(bd);
  ASSERT_TRUE(dialog.Open(cat));
  QString asked, answer;
  bool accept = true;
  dialog.InputName = [&](const QString& caption, const QString& prompt, QString& text) {
    asked = caption + "|" + prompt + "|" + text;
    text = answer;
    return accept;
  };
  // Cancel adds nothing; an empty name is the default name.
  accept = false;
  dialog.sbAddCat->click();
  EXPECT_EQ(asked, LangQ(12502) + "|" + LangQ(12503) + "|");
  EXPECT_EQ(dialog.lbCat->count(), 3);
  EXPECT_FALSE(dialog.Setup().Changed());
  accept = true;
  answer = "";
  dialog.sbAddCat->click();
  EXPECT_EQ(Rows(dialog.lbCat).back(), LangQ(12504));
  EXPECT_EQ(dialog.lbCat->currentRow(), 3);
  answer = "";
  dialog.sbAddLoc->click();
  EXPECT_EQ(asked, LangQ(12506) + "|" + LangQ(12507) + "|");
  EXPECT_EQ(Rows(dialog.lbLoc).back(), LangQ(12508));
  // Edit starts with the name; an empty answer is taken as it is.
  dialog.lbCat->setCurrentRow(1);
  answer = "Films";
  dialog.sbEditCat->click();
  EXPECT_EQ(asked, LangQ(12502) + "|" + LangQ(12503) + "|Video");
  EXPECT_EQ(Rows(dialog.lbCat)[1], "Films");

  // The copy menu lists the other catalog; the missing names come in its order.
  dialog.pcPages->setCurrentWidget(dialog.tsCat);
  ASSERT_EQ(dialog.OtherCatalogs(), std::vector<TNodeRec*>{other});
  dialog.CopyFromCatalog(other);
  EXPECT_EQ(Rows(dialog.lbCat),
            QStringList({"Audio", "Films", "Games", LangQ(12504), "Books", "Maps"}));
  EXPECT_EQ(Rows(dialog.lbLoc).size(), 3);  // the location page is not touched
  dialog.pcPages->setCurrentWidget(dialog.tsLoc);
  dialog.CopyFromCatalog(other);
  EXPECT_EQ(Rows(dialog.lbLoc).back(), "Attic");

  // A copied name never takes the items of a deleted entry: delete Audio, copy it back.
  dialog.pcPages->setCurrentWidget(dialog.tsCat);
  dialog.lbCat->setCurrentRow(0);
  dialog.sbDelCat->click();
  dialog.CopyFromCatalog(other);
  EXPECT_EQ(Rows(dialog.lbCat).back(), "Audio");
  prompter.Answers = {TAnswer::Yes};
  dialog.bkOkClick();
  ASSERT_TRUE(dialog.Applied());
  EXPECT_EQ(Category(folder), 0);  // it had the deleted Audio
  EXPECT_EQ(CategoryNameOf(cat, Category(group)), "Films");
  EXPECT_EQ(CategoryNameOf(cat, Category(disk)), "Games");
}

TEST_F(CatSetupTest, TheLimitRefusesTheEntryAfterTwoHundredAndFifty) {
  TfmCatSetup dialog(bd);
  ASSERT_TRUE(dialog.Open(cat));
  int asked = 0;
  dialog.InputName = [&](const QString&, const QString&, QString& text) {
    text = QString::number(++asked);
    return true;
  };
  while (dialog.lbCat->count() < 251) dialog.sbAddCat->click();
  EXPECT_TRUE(prompter.Shown.empty());
  int before = asked;
  dialog.sbAddCat->click();
  EXPECT_EQ(asked, before);  // not even asked
  EXPECT_EQ(dialog.lbCat->count(), 251);
  EXPECT_TRUE(prompter.SawText(LangQ(12501)));
  dialog.sbAddLoc->click();  // the other list is not full
  EXPECT_EQ(dialog.lbLoc->count(), 3);
}

// The main window's command opens the dialog on the catalog of the tree selection.
TEST(CatSetupMainWindow, TheCommandEditsTheSelectedCatalogAndReportsTheChange) {
  TAlphaBetaFiles f = MakeAlphaBetaFiles(5);
  TScriptedPrompter prompter;
  auto w = MakeMainWindow(f.Settings);
  EXPECT_FALSE(w->ActCatSetup->isEnabled());  // no catalog
  ASSERT_EQ(w->OpenCatalogFiles({f.Alpha, f.Beta}), 2);
  TNodeRec* alpha = NodeChild(w->bdMain.RootNode(), 1);
  w->bdMain.GoToNode(alpha);
  ListIndexOrAppend(w->bdMain, TListKind::Categories, "Audio");
  ListIndexOrAppend(w->bdMain, TListKind::Categories, "Video");
  w->bdMain.GoToDepth(0);
  TNodeRec* d1 = TreeRowNode(alpha, 1);
  ASSERT_EQ(ItemName(d1), "D1");
  SetItemCategory(w->bdMain, d1, 2, false);
  w->SelectTreeNode(w->TreeModel()->IndexOf(TreeRowNode(alpha, 0)));  // G1 of Alpha
  w->UpdateActions();
  ASSERT_TRUE(w->ActCatSetup->isEnabled());
  EXPECT_FALSE(w->ActCatSetup->property("tolvaneUnavailable").toBool());

  // The dialog is driven once it is up: Audio is deleted and the change applied.
  bool driven = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TfmCatSetup*>(QApplication::activeModalWidget());
    if (!dialog) {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TfmCatSetup*>(top); d && d->isVisible()) dialog = d;
    }
    ASSERT_NE(dialog, nullptr);
    driven = true;
    EXPECT_EQ(Rows(dialog->lbCat), QStringList({"Audio", "Video"}));
    dialog->lbCat->setCurrentRow(0);
    dialog->sbDelCat->click();
    prompter.Answers = {TAnswer::Yes};
    dialog->bkOkClick();
  });
  w->ActCatSetup->trigger();
  EXPECT_TRUE(driven);
  EXPECT_EQ(ItemCategory(ItemFlagsOf(d1)), 1);
  EXPECT_EQ(CategoryNameOf(alpha, 1), "Video");
  EXPECT_EQ(FieldInt(FieldNode(alpha), kCatModified), 1);

  // Closing without changes reports none.
  QTimer::singleShot(0, [] {
    if (auto* d = qobject_cast<TfmCatSetup*>(QApplication::activeModalWidget())) d->reject();
  });
  EXPECT_FALSE(w->ShowCatSetup(2, true));
  EXPECT_FALSE(w->ShowCatSetup(9));  // no such catalog: nothing opens
}

}  // namespace
