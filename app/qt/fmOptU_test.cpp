// SPDX-License-Identifier: MIT
// The options dialog over a real main window: its pages are driven as a user would, the
// platform dialogs answered by scripts, and what Apply and OK leave is looked at in the settings
// file, the running windows and the next scan.
#include "app/qt/fmOptU.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/InterfaceStyle.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/DescRules.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/ListSort.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TNodeRec* ChildNamed(TNodeRec* container, std::string_view name) {
  for (int slot = 1; container && slot < container->SlotCount; ++slot) {
    TNodeRec* child = NodeChild(container, slot);
    if (child && ItemName(child) == name) return child;
  }
  return nullptr;
}

int EntryStartingWith(QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().startsWith(text)) return i;
  return -1;
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAlphaBetaFiles f = MakeAlphaBetaFiles(5);
    dir_ = f.Dir;
    alpha_ = f.Alpha;
    settingsDir_ = f.Settings;
    w_ = MakeMainWindow(settingsDir_);
    LangTable(TLangKind::Selected).Clear();
  }
  void TearDown() override {
    w_.reset();
    LangTable(TLangKind::Selected).Clear();
  }
  std::string SettingsFile() const { return settingsDir_ + "/bdOpt.dat"; }
  TfmOpt& Dialog(int page) {
    TfmOpt& d = w_->OptionsWindow();
    d.OpenPage(page);
    return d;
  }
  QModelIndex OpenAlpha() {
    w_->OpenCatalogFiles({alpha_});
    QModelIndex alpha = w_->TreeModel()->index(0, 0);
    w_->SelectTreeNode(alpha);
    return alpha;
  }
  // Adds samples/medium to the catalog Alpha through the add-disk dialog; the new disk.
  TNodeRec* ScanMedium(TNodeRec* catalog) {
    TfmAddDisk dlg(*w_, w_.get());
    dlg.OpenAdd();
    EXPECT_TRUE(dlg.ChooseFolder(fs::absolute("samples/medium").string()));
    EXPECT_EQ(dlg.RunOk(), TfmAddDisk::TOkResult::Done);
    return NodeChild(catalog, catalog->SlotCount - 1);
  }

  std::string dir_, alpha_, settingsDir_;
  TScriptedPrompter prompter_;
  std::unique_ptr<TfmVrt> w_;
};

TEST_F(OptionsDialogTest, CancelChangesNothing) {
  w_->SaveSettings();
  const std::string image = ReadBytes(SettingsFile());
  ASSERT_FALSE(image.empty());
  const TOptions options = w_->Settings().Options;
  const QString sheet = w_->MenuSheet();

  TfmOpt& d = Dialog(TfmOpt::pgGeneral);
  EXPECT_FALSE(d.bkApply->isEnabled());
  d.cbBackCopy->setChecked(true);
  EXPECT_TRUE(d.bkApply->isEnabled());  // any change enables Apply
  d.rbCat2->setChecked(true);
  d.cbFormatSize->setChecked(true);
  d.cbMenuStyle->setCurrentIndex(3);
  d.ChooseColor = [](QColor& c) {
    c = Qt::red;
    return true;
  };
  d.ChooseListColor();
  d.clScanArc->item(0)->setCheckState(Qt::Unchecked);
  d.clImpDesc->setCurrentRow(1);
  d.MoveRule(-1);
  d.cbLang->setCurrentIndex(d.cbLang->findText("Russian.lng"));
  d.bkCancel->click();

  EXPECT_EQ(ReadBytes(SettingsFile()), image);
  EXPECT_EQ(w_->Settings().Options, options);
  EXPECT_EQ(w_->MenuSheet(), sheet);
  EXPECT_EQ(w_->ActNewCatalog->text(), LangQ(2));  // still English

  // Shown again, the dialog shows the stored settings, not the changes thrown away.
  d.OpenPage(TfmOpt::pgGeneral);
  EXPECT_FALSE(d.cbBackCopy->isChecked());
  EXPECT_TRUE(d.rbCat1->isChecked());
  EXPECT_EQ(d.cbMenuStyle->currentIndex(), 1);
  EXPECT_EQ(d.clScanArc->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(d.Draft().Ui.ListColor, kDefaultListColor);
  EXPECT_EQ(d.cbLang->currentText(), "English.lng");
  EXPECT_FALSE(d.bkApply->isEnabled());
}

TEST_F(OptionsDialogTest, ApplyThenCancelKeepsWhatWasApplied) {
  TfmOpt& d = Dialog(TfmOpt::pgInterface);
  d.cbMenuStyle->setCurrentIndex(3);
  d.cbGrid->setChecked(true);
  d.ChooseColor = [](QColor& c) {
    c = QColor(10, 20, 30);
    return true;
  };
  d.ChooseListColor();
  d.ChooseFont = [](QFont& f) {
    f = QFont(QStringLiteral("Serif"), 14);
    f.setItalic(true);
    return true;
  };
  d.cbSelFont->setCurrentIndex(1);  // the item lists
  d.sbFontSetClick();
  d.bkApply->click();
  EXPECT_FALSE(d.bkApply->isEnabled());
  // At once: the menus take the style, the list its colour and font, the file holds them.
  EXPECT_EQ(w_->MenuSheet(), MenuStyleSheet(3));
  EXPECT_EQ(w_->menuBar()->styleSheet(), MenuStyleSheet(3));
  EXPECT_EQ(w_->List()->palette().color(QPalette::Base), QColor(10, 20, 30));
  EXPECT_EQ(w_->List()->font().pointSize(), 14);
  EXPECT_TRUE(w_->List()->font().italic());
  EXPECT_FALSE(w_->Tree()->font().italic());
  const TInterfaceOptions ui = ReadInterfaceOptions(w_->Settings().bdOpt);
  EXPECT_EQ(ui.ListColor, 10 | (20 << 8) | (30 << 16));
  EXPECT_EQ(ui.ListFont.Size, 14);
  EXPECT_EQ(ui.ListFont.Style, 2);
  const std::string applied = ReadBytes(SettingsFile());

  d.cbMenuStyle->setCurrentIndex(0);
  d.cbGrid->setChecked(false);
  d.bkCancel->click();
  EXPECT_EQ(ReadBytes(SettingsFile()), applied);
  EXPECT_EQ(ReadInterfaceOptions(w_->Settings().bdOpt).MenuStyle, 3);
  EXPECT_TRUE(w_->Settings().Options.GridLines);
  EXPECT_EQ(w_->MenuSheet(), MenuStyleSheet(3));
}

TEST_F(OptionsDialogTest, OkWithBackupsOnMakesTheNextSaveKeepABackup) {
  QModelIndex alpha = OpenAlpha();
  TNodeRec* catalog = w_->TreeModel()->NodeOf(alpha);
  const std::string backup = dir_ + "/alpha.BAK";
  w_->Editor().MarkModified(catalog);
  ASSERT_EQ(w_->SaveSelectedCatalog(false), TSaveResult::Saved);
  EXPECT_FALSE(fs::exists(backup));  // off by default

  TfmOpt& d = Dialog(TfmOpt::pgGeneral);
  d.cbBackCopy->setChecked(true);
  d.bkOk->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(w_->Settings().Options.BackupCopies);

  w_->Editor().MarkModified(catalog);
  ASSERT_EQ(w_->SaveSelectedCatalog(false), TSaveResult::Saved);
  EXPECT_TRUE(fs::exists(backup));
}

TEST_F(OptionsDialogTest, SizeFormatRepaintsTheMainList) {
  QModelIndex alpha = OpenAlpha();
  QModelIndex d1;
  for (int r = 0; r < w_->TreeModel()->rowCount(alpha); ++r)
    if (w_->TreeModel()->data(w_->TreeModel()->index(r, 0, alpha)).toString() == "D1")
      d1 = w_->TreeModel()->index(r, 0, alpha);
  ASSERT_TRUE(d1.isValid());
  w_->SelectTreeNode(d1);
  TItemListModel* list = w_->ListModel();
  int pack = -1;
  for (int r = 0; r < list->rowCount(); ++r)
    if (list->data(list->index(r, 0)).toString() == "pack") pack = r;
  ASSERT_GE(pack, 0);
  EXPECT_EQ(list->data(list->index(pack, fcSize)).toString(), "30");

  TfmOpt& d = Dialog(TfmOpt::pgLists);
  d.cbFormatSize->setChecked(true);
  d.cbUpLine->setChecked(false);
  d.bkOk->click();
  // The rows show the new texts at once, and the up row is gone.
  EXPECT_NE(list->data(list->index(0, 0)).toString(), "[ . . ]");
  for (int r = 0; r < list->rowCount(); ++r)
    if (list->data(list->index(r, 0)).toString() == "pack") pack = r;
  EXPECT_EQ(list->data(list->index(pack, fcSize)).toString(), QStringLiteral("30 ") + LangQ(10151));
}

TEST_F(OptionsDialogTest, ArchiveTypeAndRuleEditsReachTheNextScan) {
  QModelIndex alpha = OpenAlpha();
  TNodeRec* catalog = w_->TreeModel()->NodeOf(alpha);
  // As installed: ZIP files are listed, DESCRIPT.ION describes the files of its folder.
  TNodeRec* disk = ScanMedium(catalog);
  TNodeRec* zip = ChildNamed(ChildNamed(disk, "Archives"), "sample.zip");
  TNodeRec* letter = ChildNamed(ChildNamed(disk, "Docs"), "letter.doc");
  ASSERT_TRUE(zip && letter);
  EXPECT_TRUE(ItemFlagsOf(zip) & ifArchive);
  EXPECT_FALSE(FieldStr(FieldNode(letter), kFieldDescription).empty());

  TfmOpt& d = Dialog(TfmOpt::pgArchives);
  const int zipRow = EntryStartingWith(d.clScanArc, "ZIP");
  const int ionRule = EntryStartingWith(d.clImpDesc, "4DOS/NDOS");
  ASSERT_GE(zipRow, 0);
  ASSERT_GE(ionRule, 0);
  d.clScanArc->item(zipRow)->setCheckState(Qt::Unchecked);
  d.pc->setCurrentWidget(d.tsDesc);
  d.clImpDesc->item(ionRule)->setCheckState(Qt::Unchecked);
  d.bkOk->click();

  disk = ScanMedium(catalog);
  zip = ChildNamed(ChildNamed(disk, "Archives"), "sample.zip");
  letter = ChildNamed(ChildNamed(disk, "Docs"), "letter.doc");
  ASSERT_TRUE(zip && letter);
  EXPECT_FALSE(ItemFlagsOf(zip) & ifArchive);
  EXPECT_TRUE(ItemFlagsOf(ChildNamed(ChildNamed(disk, "Archives"), "sample.cab")) & ifArchive);
  EXPECT_TRUE(FieldStr(FieldNode(letter), kFieldDescription).empty());
}

TEST_F(OptionsDialogTest, EveryMenuItemOpensItsPageAndHelpFollowsThePage) {
  const std::vector<std::pair<QAction*, int>> items = {
      {w_->nnOpt0, TfmOpt::pgGeneral},   {w_->nnOpt1, TfmOpt::pgLists},
      {w_->nnOpt2, TfmOpt::pgArchives},  {w_->nnOpt3, TfmOpt::pgDescriptions},
      {w_->nnOpt4, TfmOpt::pgInterface}, {w_->nnOpt5, TfmOpt::pgLanguage}};
  const QString topics[] = {"GeneralOptions.htm", "FileListOptions.htm", "ArcOptions.htm",
                            "DescOptions.htm",    "InterOptions.htm",    "GeneralOptions.htm"};
  for (const auto& [action, page] : items) {
    ASSERT_TRUE(action->isEnabled()) << page;
    int shown = -1;
    QString topic;
    QTimer::singleShot(0, [&] {
      TfmOpt* d = w_->OptionsDialog();
      if (!d) return;
      EXPECT_TRUE(d->isVisible());
      shown = d->CurrentPage();
      d->ShowHelp = [&](const QString& t) { topic = t; };
      QApplication::setActiveWindow(d);
      QTest::keyClick(d, Qt::Key_F1);  // F1 opens the help of the page shown
      d->reject();
    });
    action->trigger();
    EXPECT_EQ(shown, page);
    EXPECT_EQ(topic, topics[page]);
  }
  // The language files stay one click away in their own sub-menu.
  auto* languages = w_->findChild<QMenu*>("nnLanguageMenu");
  ASSERT_TRUE(languages);
  emit languages->aboutToShow();
  EXPECT_GE(languages->actions().size(), 2);
}

TEST_F(OptionsDialogTest, StartupListAndCatalogFolderRefuseWhatDoesNotExist) {
  TfmOpt& d = Dialog(TfmOpt::pgGeneral);
  EXPECT_FALSE(d.lbCat->isEnabled());  // only with "open these catalogs"
  d.rbCat2->setChecked(true);
  EXPECT_TRUE(d.sbAddCat->isEnabled());
  std::vector<std::string> chosen{alpha_};
  d.ChooseCatalogFiles = [&](const std::string&) { return chosen; };
  d.sbAddCatClick();
  ASSERT_EQ(d.lbCat->count(), 1);
  // The same file in other letter case is refused with a message.
  const std::string upper = dir_ + "/ALPHA.CTL";
  fs::copy_file(alpha_, upper);
  chosen = {upper, dir_ + "/missing.ctl"};
  d.sbAddCatClick();
  EXPECT_EQ(d.lbCat->count(), 1);
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(12791, upper.c_str())));
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(12790, (dir_ + "/missing.ctl").c_str())));

  d.edCatDefPath->setText(QString::fromStdString(dir_ + "/no such folder"));
  d.bkOk->click();
  EXPECT_TRUE(prompter_.SawText(LangFormatQ(12793, (dir_ + "/no such folder").c_str())));
  EXPECT_EQ(w_->Settings().Options.CatalogFolder, settingsDir_ + "/Catalogs/");
  EXPECT_EQ(w_->Settings().Options.StartupCatalogs, std::vector<std::string>{alpha_});
  EXPECT_EQ(w_->Settings().Options.StartupMode, 2);
}

}  // namespace

namespace {

TEST_F(OptionsDialogTest, AnAppliedLanguageRetextsTheWindowsAtOnce) {
  TfmOpt& d = Dialog(TfmOpt::pgLanguage);
  d.cbLang->setCurrentIndex(d.cbLang->findText("Russian.lng"));
  TLangTable russian;
  russian.LoadFromFile(SourceLanguageFolder() + "Russian.lng");
  EXPECT_EQ(d.lbLangCap->text(), QString::fromStdString(russian.FirstLine()));
  d.bkApply->click();
  EXPECT_EQ(w_->Settings().Options.LanguageFile, "Russian.lng");
  EXPECT_EQ(w_->ActNewCatalog->text(), QString::fromStdString(*russian.Find(2)));
  EXPECT_EQ(d.windowTitle(), QString::fromStdString(*russian.Find(1301)));
  EXPECT_FALSE(d.bkApply->isEnabled());  // retexting the dialog is no change of the user's
  d.bkCancel->click();
}

}  // namespace

namespace {

// The dialog on its own, over settings of a scratch folder and a language folder of its own.
TEST(OptionsDialogAloneTest, AFileThatIsNoLanguageIsSaidSoAndStillStored) {
  LoadEnglish();
  const std::string dir = ScratchDir("OptionsDialogAlone");
  const std::string languages = dir + "/Language/";
  fs::create_directories(languages);
  fs::copy_file(SourceLanguageFolder() + "English.lng", languages + "English.lng");
  std::ofstream(languages + "Short.lng") << "Short\r\n1=File\r\n";
  TSettings settings;
  TSettingsPlace place;
  place.SettingsFile = dir + "/bdOpt.dat";
  place.ProgramFolder = dir;
  place.LanguageFolder = languages;
  settings.Load(place);
  TfmOpt d(settings, languages);
  int applied = 0;
  d.Applied = [&](const TOptionsApplied& a) { applied += a.LanguageChanged ? 1 : 100; };
  d.OpenPage(TfmOpt::pgLanguage);
  EXPECT_EQ(d.cbLang->count(), 2);
  EXPECT_EQ(d.lbLangCap->text(), QStringLiteral("English"));
  d.cbLang->setCurrentIndex(d.cbLang->findText("Short.lng"));
  EXPECT_EQ(d.lbLangCap->text(), LangQ(12001));
  d.bkOk->click();
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(settings.Options.LanguageFile, "Short.lng");
  LangTable(TLangKind::Selected).Clear();
}

}  // namespace
