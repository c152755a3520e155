// SPDX-License-Identifier: MIT
// TfmOpt: the options dialog. Six pages: general (tray, start-up catalogs, default catalog folder,
// saving, the program that shows folders), lists (grid lines, the up row, sizes, columns, tree
// expansion, double clicks), archives (which archive types a scan lists), descriptions (which
// files give descriptions, in which order, with which settings), interface (menu style, colours
// and fonts of the tree and the lists) and language.
//
// The dialog works on copies (TOptionsDraft, scan/OptionsDraft.h) filled each time it is opened:
// Cancel (or Escape) throws them away; Apply writes them into the settings, saves the settings
// image and calls Applied so that the running windows take them at once; OK is Apply and close.
// The main window makes the dialog on first use and keeps it.
//
// The platform dialogs (catalog files, folder, program, colour, font) and the help go through
// replaceable functions, so that a test can drive every page without a modal loop.
//
// Threads: GUI thread only.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <functional>
#include <string>
#include <vector>

#include "scan/OptionsDraft.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TSettings;
struct TDescRulesWidgets;

class TfmOpt : public QDialog {
  Q_OBJECT

 public:
  enum TPage { pgGeneral = 0, pgLists, pgArchives, pgDescriptions, pgInterface, pgLanguage };

  // `settings` must outlive the dialog; the language files are listed from `languageFolder`.
  TfmOpt(TSettings& settings, const std::string& languageFolder, QWidget* parent = nullptr);
  ~TfmOpt() override;

  // Fills every page from the settings, shows page `page` and runs the dialog modally.
  void ShowPage(int page);
  // The opening steps of ShowPage without the modal loop (tests).
  void OpenPage(int page);
  // bkApply: writes the pages into the settings and saves them; Applied follows. False when
  // nothing was applied (Apply was not enabled).
  bool Apply();
  // bkOk: Apply (when something changed), then close.
  void accept() override;

  // The help topic of a page.
  static QString HelpTopic(int page);
  int CurrentPage() const;
  // Re-texts the dialog in the current language.
  void SetTexts();

  // Called after every Apply with what it did; the main window applies the settings to its
  // windows here.
  std::function<void(const TOptionsApplied&)> Applied;
  // Replaceable platform dialogs (tests). Each returns empty / false for Cancel.
  std::function<std::vector<std::string>(const std::string& folder)> ChooseCatalogFiles;
  std::function<QString(const QString& start)> ChooseFolder;
  std::function<QString(const QString& start)> ChooseProgram;
  std::function<bool(QColor& color)> ChooseColor;
  std::function<bool(QFont& font)> ChooseFont;
  std::function<void(const QString& topic)> ShowHelp;

  // The working copies (tests look at them).
  const TOptionsDraft& Draft() const { return draft_; }

  // Controls, named as the design names them.
  QTabWidget* pc = nullptr;
  QWidget* tsGen = nullptr;
  QWidget* tsList = nullptr;
  QWidget* tsArc = nullptr;
  QWidget* tsDesc = nullptr;
  QWidget* tsInter = nullptr;
  QWidget* tsLang = nullptr;
  // Page 0.
  QCheckBox* cmMinToTray = nullptr;
  QGroupBox* gbCat = nullptr;
  QRadioButton* rbCat0 = nullptr;
  QRadioButton* rbCat1 = nullptr;
  QRadioButton* rbCat2 = nullptr;
  QListWidget* lbCat = nullptr;
  QPushButton* sbAddCat = nullptr;
  QPushButton* sbDelCat = nullptr;
  QToolButton* sbUpCat = nullptr;
  QToolButton* sbDownCat = nullptr;
  QLabel* lbDefPathCat = nullptr;
  QLineEdit* edCatDefPath = nullptr;
  QToolButton* sbCatDefPath = nullptr;
  QCheckBox* cbAutoSaveExit = nullptr;
  QCheckBox* cbBackCopy = nullptr;
  QCheckBox* cbExpandCat = nullptr;
  QGroupBox* gbExplorer = nullptr;
  QRadioButton* rbEplorer0 = nullptr;
  QRadioButton* rbEplorer1 = nullptr;
  QLineEdit* edEplorer = nullptr;
  QToolButton* sbEplorer = nullptr;
  // Page 1.
  QCheckBox* cbGrid = nullptr;
  QCheckBox* cbUpLine = nullptr;
  QCheckBox* cbFormatSize = nullptr;
  QCheckBox* cbAdjustColumns = nullptr;
  QCheckBox* cbAutoExpand = nullptr;
  QGroupBox* gbDblClick = nullptr;
  QLabel* lbdblclick1 = nullptr;
  QLabel* lbdblclick2 = nullptr;
  QComboBox* cbDblClick1 = nullptr;
  QComboBox* cbDblClick2 = nullptr;
  QCheckBox* cbDblClickGo = nullptr;
  // Page 2.
  QCheckBox* cbScanArc = nullptr;
  QListWidget* clScanArc = nullptr;
  QPushButton* sbArcOptSet = nullptr;
  QPushButton* sbArcOptReset = nullptr;
  // Page 3.
  QCheckBox* cbImportDesc = nullptr;
  QListWidget* clImpDesc = nullptr;
  QPushButton* sbDescOptSet = nullptr;
  QPushButton* sbDescOptReset = nullptr;
  QPushButton* sbDescOpt = nullptr;
  QToolButton* sbUpDesc = nullptr;
  QToolButton* sbDownDesc = nullptr;
  // Page 4.
  QLabel* lbInter1 = nullptr;
  QLabel* lbInter2 = nullptr;
  QLabel* lbInter3 = nullptr;
  QLabel* lbInter4 = nullptr;
  QLabel* lbInter5 = nullptr;
  QComboBox* cbMenuStyle = nullptr;
  QToolButton* pbFileColor = nullptr;
  QPushButton* pbFileColorSet = nullptr;
  QToolButton* pbTreeColor = nullptr;
  QPushButton* pbTreeColorSet = nullptr;
  QGroupBox* gbFonts = nullptr;
  QComboBox* cbSelFont = nullptr;
  QPushButton* sbFontSet = nullptr;
  QPushButton* sbFontColor = nullptr;
  QLabel* lbFont1 = nullptr;
  QLabel* lbFont2 = nullptr;
  QLabel* lbFontSample = nullptr;
  // Page 5.
  QLabel* lbLangFile = nullptr;
  QComboBox* cbLang = nullptr;
  QLabel* lbLang = nullptr;
  QLabel* lbLangCap = nullptr;
  QGroupBox* gbNotes = nullptr;
  QLabel* lbNote1 = nullptr;
  QLabel* lbNote2 = nullptr;
  // The foot.
  QPushButton* bkHelp = nullptr;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;
  QPushButton* bkApply = nullptr;

  // Button handlers (public for tests).
  void sbAddCatClick();
  void sbDelCatClick();
  void MoveCatalog(int delta);
  void sbCatDefPathClick();
  void sbEplorerClick();
  void MoveRule(int delta);
  void sbDescOptClick();
  TDescRulesWidgets DescRulesWidgets();
  void ChooseListColor();
  void ChooseTreeColor();
  void sbFontSetClick();
  void sbFontColorClick();
  void HelpClick();

 private:
  QWidget* CreateGeneralPage();
  QWidget* CreateListPage();
  QWidget* CreateArchivePage();
  QWidget* CreateDescriptionPage();
  QWidget* CreateInterfacePage();
  QWidget* CreateLanguagePage();
  void WatchChanges();
  void Changed();
  void Fill();
  void FillStartupList(int select);
  void FillArchiveList();
  void FillRuleList(int select);
  void FillLanguages();
  void ShowLanguageCaption();
  void ShowColors();
  void ShowFonts();
  void UpdateEnabled();
  void ReadControls();
  TFontOption& SelectedFont();

  TSettings& settings_;
  std::string languageFolder_;
  TOptionsDraft draft_;
  bool filling_ = false;
};
