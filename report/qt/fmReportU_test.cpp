// SPDX-License-Identifier: MIT
// The report dialog and its options dialog over a main window: reports opened by the commands of
// the main and search windows, compared with the command-line report; the title history; the
// column list; the options reaching the next report.
#include "report/qt/fmReportU.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <map>

#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "platform/DateTime.h"
#include "platform/FileIO.h"
#include "report/ReportTitle.h"
#include "report/qt/fmReportOptU.h"
#include "scan/qt/DestinationCombo.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/qt/fmFindU.h"
#include "userlist/qt/fmUserListU.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::string text;
  EXPECT_EQ(ReadWholeFile(path, text).Message(), "") << path;
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
    lines.push_back(text.substr(start, p - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

class ReportWindowTest : public ::testing::Test {
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
    hooks_.ChooseFile = [this](const QString& folder, const QString& name, const QString& ext,
                               const QString& filter) {
      asked_.push_back({folder, name, ext, filter});
      if (answers_.empty()) return QString();
      QString path = answers_.front();
      answers_.pop_front();
      return path;
    };
    hooks_.Open = [this](const QString& path) { opened_.push_back(path); };
    hooks_.Now = [] { return EncodeDateTime({2024, 3, 5, 14, 7, 0, 0}); };
    TfmReport::SetTestHooks(&hooks_);
  }
  void TearDown() override {
    TfmReport::SetTestHooks(nullptr);
    w_.reset();
  }

  QModelIndex Child(const QModelIndex& parent, const QString& name) {
    return TreeChild(*w_, parent, name);
  }
  QModelIndex Alpha() { return w_->TreeModel()->index(0, 0); }
  QModelIndex D1() { return Child(Alpha(), QStringLiteral("D1")); }

  void Select(const QModelIndex& node) {
    QApplication::setActiveWindow(w_.get());
    w_->SelectTreeNode(node);
    w_->Tree()->setFocus();
    w_->UpdateActions();
  }

  // Triggers `command` and, while its modal report dialog runs, `drive` with it; the dialog is
  // then closed. False when no report dialog came up.
  bool RunReport(QAction* command, const std::function<void(TfmReport&)>& drive) {
    return RunModal<TfmReport>([command] { command->trigger(); }, drive);
  }

  // The search window over Alpha with its three ".txt" results, made the active window.
  TfmFind* FindTextFiles() {
    Select(Alpha());
    w_->ActFind->trigger();
    TfmFind* f = w_->SearchWindow();
    if (!f) return nullptr;
    f->cbDst->setCurrentIndex(0);
    f->cbMask->setEditText(QStringLiteral("txt"));
    f->Start();
    QApplication::setActiveWindow(f);
    return f;
  }

  // bkStart pressed for a report of `type`, not opened afterwards (the save dialog takes the
  // next of answers_).
  static void Create(TfmReport& dlg, int type) {
    dlg.cbType->setCurrentIndex(type);
    dlg.cbRun->setChecked(false);
    dlg.bkStart->click();
  }

  struct TAsked {
    QString Folder, Name, Extension, Filter;
  };
  std::string dir_, alpha_, beta_, settings_;
  TScriptedPrompter prompter_;
  std::unique_ptr<TfmVrt> w_;
  TReportTestHooks hooks_;
  std::vector<TAsked> asked_;
  std::deque<QString> answers_;
  std::vector<QString> opened_;
};

TEST_F(ReportWindowTest, ReportOfTheSampleDiskEqualsTheCommandLineReport) {
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
  QModelIndex diskIndex = w_->TreeModel()->index(0, 0, beta);
  TNodeRec* disk = w_->TreeModel()->NodeOf(diskIndex);
  ASSERT_EQ(ItemKindOf(disk), ikDisk);
  Select(diskIndex);
  ASSERT_TRUE(w_->ActReport->isEnabled());

  const std::string html = dir_ + "/disk.htm", text = dir_ + "/disk.txt";
  answers_ = {QString::fromStdString(html), QString::fromStdString(text)};
  ASSERT_TRUE(RunReport(w_->ActReport, [&](TfmReport& dlg) {
    EXPECT_TRUE(dlg.rbSRC1->isChecked());
    EXPECT_EQ(dlg.lvCol->topLevelItemCount(), ReportColumnCount(TReportTable::FileView));
    EXPECT_EQ(dlg.cbCaption->currentText(),
              LangQ(10134) + QStringLiteral(" \"") + QStr(ItemName(disk)) + QStringLiteral("\""));
    Create(dlg, kReportHtml);
    Create(dlg, kReportTextFile);
  }));
  ASSERT_EQ(asked_.size(), 2u);
  EXPECT_EQ(asked_[0].Extension, QStringLiteral(".htm"));
  EXPECT_EQ(asked_[0].Filter, QStringLiteral("HTML files (*.htm;*.html)|*.htm;*.html"));
  EXPECT_EQ(asked_[1].Extension, QStringLiteral(".txt"));
  // The title made safe as a file name; the second dialog starts in the folder of the first file.
  EXPECT_EQ(asked_[0].Name,
            LangQ(10134) + QStringLiteral(" _") + QStr(ItemName(disk)) + QStringLiteral("_"));
  EXPECT_EQ(StdStr(asked_[1].Folder), dir_ + "/");
  EXPECT_TRUE(opened_.empty());

  // The same bytes as the core function that tolvane-cli report calls, at the same time.
  TReportStamp stamp;
  stamp.Title = DefaultReportTitle(TReportSource::MainWindow, disk, &w_->Decoders());
  stamp.ProgramTitle = ReportProgramTitle(TOLVANE_VERSION);
  stamp.Now = hooks_.Now();
  for (bool isHtml : {true, false}) {
    std::string expected = dir_ + (isHtml ? "/expected.htm" : "/expected.txt");
    ASSERT_EQ(
        WriteContainerReport(expected, disk, {isHtml, 0}, stamp, false, &w_->Decoders()).Message(),
        "");
    EXPECT_EQ(ReadFile(isHtml ? html : text), ReadFile(expected)) << (isHtml ? "html" : "text");
  }

  // And the same lines as the program itself writes, but for the time of writing in the head.
  QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvane-cli");
  if (!QFileInfo(cli).isExecutable()) GTEST_SKIP() << "tolvane-cli is not built";
  for (bool isHtml : {true, false}) {
    std::string out = dir_ + (isHtml ? "/cli.htm" : "/cli.txt");
    QProcess p;
    p.start(cli, {QStringLiteral("report"), QString::fromStdString(beta_), QStr(ItemName(disk)),
                  QStringLiteral("--format"), QLatin1String(isHtml ? "html" : "txt"),
                  QStringLiteral("-o"), QString::fromStdString(out)});
    ASSERT_TRUE(p.waitForFinished(20000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<std::string> gui = Lines(ReadFile(isHtml ? html : text));
    std::vector<std::string> written = Lines(ReadFile(out));
    ASSERT_EQ(gui.size(), written.size());
    size_t timeLine = isHtml ? 12 : 1;
    for (size_t i = 0; i < gui.size(); ++i) {
      if (i == timeLine) continue;
      EXPECT_EQ(gui[i], written[i]) << "line " << i;
    }
    EXPECT_EQ(gui[timeLine].substr(0, 20), written[timeLine].substr(0, 20));
  }
}

TEST_F(ReportWindowTest, ReportOfSearchResultsHasTheSearchColumns) {
  TfmFind* f = FindTextFiles();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->ResultModel()->rowCount(), 3);
  ASSERT_TRUE(f->ActReport->isEnabled());

  const std::string path = dir_ + "/found.txt";
  answers_ = {QString::fromStdString(path)};
  ASSERT_TRUE(RunReport(f->ActReport, [&](TfmReport& dlg) {
    EXPECT_TRUE(dlg.rbSRC2->isChecked());
    EXPECT_EQ(dlg.cbCaption->currentText(), LangQ(12106));
    ASSERT_EQ(dlg.lvCol->topLevelItemCount(), ReportColumnCount(TReportTable::Found));
    for (int i = 0; i < dlg.lvCol->topLevelItemCount(); ++i)
      EXPECT_EQ(dlg.lvCol->topLevelItem(i)->text(0), QStr(ReportCaption(TReportTable::Found, i)));
    // As in the List: the result list's column order.
    f->LVF->header()->moveSection(f->LVF->header()->visualIndex(6), 0);
    EXPECT_TRUE(dlg.sbFromList->isEnabled());
    dlg.sbFromList->click();
    EXPECT_EQ(dlg.lvCol->topLevelItem(0)->text(0), QStr(ReportCaption(TReportTable::Found, 6)));
    Create(dlg, kReportTextFile);
  }));
  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 9u + 3u + 2u);
  EXPECT_EQ(lines[7].substr(0, 4), "Path");
  for (int id = 0; id < ReportColumnCount(TReportTable::Found); ++id)
    EXPECT_NE(lines[7].find(ReportCaption(TReportTable::Found, id)), std::string::npos) << id;
  // The rows are the results in their list order, with the path first.
  for (int r = 0; r < 3; ++r) {
    TNodeRec* item = f->ResultModel()->ItemAt(r);
    std::string name(ItemName(item));
    EXPECT_NE(lines[9 + size_t(r)].find(name.substr(0, name.rfind('.'))), std::string::npos) << r;
  }
  EXPECT_EQ(lines.back().substr(0, 6), "Files:");
  // The order chosen was stored for the next report of search results.
  TfmReport again(*w_, w_.get());
  again.OpenFor(TReportSource::SearchResults);
  EXPECT_EQ(again.lvCol->topLevelItem(0)->text(0), QStr(ReportCaption(TReportTable::Found, 6)));
  again.reject();
}

TEST_F(ReportWindowTest, ReportOfTheUserListHasTheSearchColumnsAndItsMembers) {
  TfmFind* f = FindTextFiles();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->ResultModel()->rowCount(), 3);
  f->LVF->selectAll();
  f->ActUserAdd->trigger();
  w_->OpenUserList();
  TfmUserList* u = w_->UserList();
  ASSERT_NE(u, nullptr);
  ASSERT_EQ(u->Model()->rowCount(), 3);
  QApplication::setActiveWindow(u);
  ASSERT_TRUE(u->ActReport->isEnabled());

  const std::string path = dir_ + "/members.txt";
  answers_ = {QString::fromStdString(path)};
  ASSERT_TRUE(RunReport(u->ActReport, [&](TfmReport& dlg) {
    EXPECT_TRUE(dlg.rbSRC3->isChecked());
    ASSERT_EQ(dlg.lvCol->topLevelItemCount(), ReportColumnCount(TReportTable::Found));
    EXPECT_TRUE(dlg.sbFromList->isEnabled());
    Create(dlg, kReportTextFile);
  }));
  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 9u + 3u + 2u);
  for (int id = 0; id < ReportColumnCount(TReportTable::Found); ++id)
    EXPECT_NE(lines[7].find(ReportCaption(TReportTable::Found, id)), std::string::npos) << id;
  for (int r = 0; r < 3; ++r) {
    std::string name(ItemName(u->Model()->ItemAt(r)));
    EXPECT_NE(lines[9 + size_t(r)].find(name.substr(0, name.rfind('.'))), std::string::npos) << r;
  }
}

TEST_F(ReportWindowTest, TitleHistoryKeepsTwentyAndTheClearEntryEmptiesIt) {
  std::vector<std::string>& history = w_->Settings().Options.Report.TitleHistory;
  history.clear();
  for (int i = 1; i <= 20; ++i) history.push_back("T" + std::to_string(i));
  Select(D1());
  TfmReport dlg(*w_, w_.get());
  dlg.OpenFor(TReportSource::MainWindow);
  EXPECT_EQ(dlg.cbCaption->count(), 20);
  EXPECT_EQ(dlg.cbCaption->currentText(), LangQ(10134) + QStringLiteral(" \"D1\""));

  // Clipboard reports ask for no file; the title goes to the front, the oldest drops out.
  dlg.cbCaption->setEditText(QStringLiteral("New title"));
  dlg.cbType->setCurrentIndex(kReportClipboard);
  EXPECT_FALSE(dlg.cbRun->isEnabled());
  ASSERT_TRUE(dlg.Export());
  EXPECT_TRUE(asked_.empty());
  ASSERT_EQ(history.size(), 20u);
  EXPECT_EQ(history.front(), "New title");
  EXPECT_EQ(history.back(), "T19");
  EXPECT_EQ(dlg.cbCaption->count(), 20);
  EXPECT_EQ(dlg.cbCaption->itemText(0), QStringLiteral("New title"));
  QString clip = QApplication::clipboard()->text();
  EXPECT_TRUE(clip.startsWith(QString(80, QLatin1Char('=')))) << clip.toStdString();
  EXPECT_NE(clip.indexOf(QStringLiteral("New title")), -1);
  // The same title in other letters is not added again.
  dlg.cbCaption->setEditText(QStringLiteral("NEW TITLE"));
  ASSERT_TRUE(dlg.Export());
  EXPECT_EQ(history.front(), "New title");
  EXPECT_EQ(history[1], "T1");
  // After a clipboard report the save dialog still starts in the last report folder.
  std::string folder = w_->Settings().Options.ReportFolder;
  dlg.cbType->setCurrentIndex(kReportHtml);
  EXPECT_FALSE(dlg.Export());  // Cancel in the save dialog
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(StdStr(asked_[0].Folder), folder);
  EXPECT_FALSE(folder.empty());
  w_->SaveSettings();

  // The clear-history entry: the drop-down ends in it while it is open.
  dlg.cbCaption->showPopup();
  int last = dlg.cbCaption->count() - 1;
  ASSERT_EQ(last, 20);
  EXPECT_EQ(dlg.cbCaption->itemText(last), TMaskCombo::ClearEntryText());
  dlg.cbCaption->setCurrentIndex(last);
  emit dlg.cbCaption->activated(last);
  dlg.cbCaption->hidePopup();
  QApplication::processEvents();
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(dlg.cbCaption->count(), 0);
  // ... and the settings file was written at once.
  TSettings saved;
  TSettingsPlace place;
  place.SettingsFile = settings_ + "/" + kSettingsFileName;
  place.ProgramFolder = settings_ + "/";
  place.LanguageFolder = SourceLanguageFolder();
  ASSERT_EQ(saved.Load(place).Source, TSettingsSource::File);
  EXPECT_TRUE(saved.Options.Report.TitleHistory.empty());
  dlg.reject();
  LoadEnglish();
}

TEST_F(ReportWindowTest, ColumnListMovesChecksAndSourcesAndTheCloseStoresThem) {
  Select(D1());
  const std::string path = dir_ + "/cols.txt";
  {
    TfmReport dlg(*w_, w_.get());
    dlg.OpenFor(TReportSource::MainWindow);
    ASSERT_EQ(dlg.lvCol->topLevelItemCount(), ReportColumnCount(TReportTable::FileView));
    EXPECT_FALSE(dlg.sbUpCol->isEnabled());
    // Size (id 2) moved up to the top, the name unchecked.
    dlg.lvCol->setCurrentItem(dlg.lvCol->topLevelItem(2));
    dlg.sbUpCol->click();
    dlg.sbUpCol->click();
    EXPECT_EQ(dlg.lvCol->currentItem(), dlg.lvCol->topLevelItem(0));
    EXPECT_EQ(dlg.lvCol->topLevelItem(0)->text(0), QStr(ReportCaption(TReportTable::FileView, 2)));
    dlg.lvCol->topLevelItem(1)->setCheckState(0, Qt::Unchecked);  // the name
    // Uncheck all disables the export; check all enables it.
    dlg.sbColReset->click();
    EXPECT_FALSE(dlg.bkStart->isEnabled());
    dlg.sbColSet->click();
    EXPECT_TRUE(dlg.bkStart->isEnabled());
    dlg.lvCol->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    // Another source refills the list without storing these marks; back again they are the
    // stored ones (the moves were stored, the unchecked name was not).
    dlg.rbSRC2->click();
    EXPECT_EQ(dlg.Source(), TReportSource::SearchResults);
    EXPECT_EQ(dlg.lvCol->topLevelItemCount(), ReportColumnCount(TReportTable::Found));
    dlg.rbSRC1->click();
    EXPECT_EQ(dlg.cbCaption->currentText(), LangQ(10134) + QStringLiteral(" \"D1\""));
    EXPECT_EQ(dlg.lvCol->topLevelItem(1)->checkState(0), Qt::Checked);
    dlg.lvCol->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    answers_ = {QString::fromStdString(path)};
    dlg.cbType->setCurrentIndex(kReportTextFile);
    dlg.cbRun->setChecked(true);
    ASSERT_TRUE(dlg.Export());
    EXPECT_EQ(opened_, std::vector<QString>{QString::fromStdString(path)});
    dlg.reject();
  }
  // The size caption heads the report.
  std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_GT(lines.size(), 7u);
  EXPECT_EQ(lines[7].substr(0, 4), "Size");
  EXPECT_EQ(lines[7].find("Name"), std::string::npos);
  // Closing stored the marks, the type and the open mark, and saved the settings.
  EXPECT_EQ(w_->Settings().Options.Report.ReportType, kReportTextFile);
  TfmReport again(*w_, w_.get());
  again.OpenFor(TReportSource::MainWindow);
  EXPECT_EQ(again.cbType->currentIndex(), kReportTextFile);
  EXPECT_TRUE(again.cbRun->isChecked());
  EXPECT_EQ(again.lvCol->topLevelItem(1)->checkState(0), Qt::Unchecked);
  // Cancel in the save dialog writes nothing.
  answers_.clear();
  EXPECT_FALSE(again.Export());
  // A file that cannot be made: the reason is shown and nothing is opened.
  opened_.clear();
  answers_ = {QString::fromStdString(dir_ + "/no/such/folder/r.txt")};
  EXPECT_FALSE(again.Export());
  EXPECT_TRUE(opened_.empty());
  ASSERT_FALSE(prompter_.Shown.empty());
  EXPECT_EQ(prompter_.Shown.back().Kind, TPromptKind::Error);
  EXPECT_FALSE(prompter_.Shown.back().Text.isEmpty());
  again.reject();
}

TEST_F(ReportWindowTest, OptionsReachTheNextReportAndCancelChangesNothing) {
  Select(D1());
  TfmReport dlg(*w_, w_.get());
  dlg.OpenFor(TReportSource::MainWindow);
  dlg.cbType->setCurrentIndex(kReportTextFile);
  dlg.cbRun->setChecked(false);
  auto report = [&](const std::string& name) {
    std::string path = dir_ + "/" + name;
    answers_ = {QString::fromStdString(path)};
    EXPECT_TRUE(dlg.Export());
    return ReadFile(path);
  };
  auto options = [&](const std::function<void(TfmReportOpt&)>& drive) {
    bool ran = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* opt = qobject_cast<TfmReportOpt*>(QApplication::activeModalWidget());
      if (!opt) return;
      ran = true;
      drive(*opt);
    });
    timer.start(0);
    dlg.bkOpt->click();
    return ran;
  };
  std::string before = report("before.txt");
  EXPECT_NE(before.find("30.12.1899, 00:00"), std::string::npos);  // ordinary aligned dates

  // Cancel after changing every control.
  TReportOptions kept = w_->Settings().Options.Report;
  ASSERT_TRUE(options([](TfmReportOpt& opt) {
    EXPECT_EQ(opt.pcPages->currentWidget(), opt.tsASCII);  // the page of the text type
    EXPECT_EQ(opt.pcPages->tabText(1), LangQ(12103));      // "Text file", not "Clipboard"
    EXPECT_FALSE(opt.cbASCIIreplace->isEnabled());
    EXPECT_FALSE(opt.edreplaceStr->isEnabled());
    opt.cbHTMLhideBorder->setChecked(false);
    opt.cbHTMLshading->setChecked(false);
    opt.cbASCIItype->setCurrentIndex(2);
    opt.cbASCIIreplace->setChecked(false);
    opt.edreplaceStr->setText(QStringLiteral("#"));
    opt.bkCancel->click();
  }));
  EXPECT_EQ(w_->Settings().Options.Report, kept);
  EXPECT_EQ(report("cancelled.txt"), before);

  // OK: comma separators, commas inside cells replaced by "+".
  ASSERT_TRUE(options([](TfmReportOpt& opt) {
    opt.cbASCIItype->setCurrentIndex(2);
    EXPECT_TRUE(opt.cbASCIIreplace->isEnabled());
    opt.cbASCIIreplace->setChecked(false);
    EXPECT_FALSE(opt.edreplaceStr->isEnabled());
    opt.cbASCIIreplace->setChecked(true);
    EXPECT_TRUE(opt.edreplaceStr->isEnabled());
    opt.edreplaceStr->setText(QStringLiteral("+"));
    opt.cbHTMLshading->setChecked(false);
    opt.bkOk->click();
  }));
  EXPECT_EQ(w_->Settings().Options.Report.Separator, 2);
  EXPECT_EQ(w_->Settings().Options.Report.Replacement, "+");
  EXPECT_FALSE(w_->Settings().Options.Report.Shading);
  std::string after = report("after.txt");
  EXPECT_EQ(after.find("30.12.1899, 00:00"), std::string::npos);
  EXPECT_NE(after.find("30.12.1899+ 00:00"), std::string::npos) << after;
  EXPECT_NE(after.find("Name,Ext.,Size"), std::string::npos) << after;
  // Saved at once.
  TSettings saved;
  TSettingsPlace place;
  place.SettingsFile = settings_ + "/" + kSettingsFileName;
  place.ProgramFolder = settings_ + "/";
  place.LanguageFolder = SourceLanguageFolder();
  ASSERT_EQ(saved.Load(place).Source, TSettingsSource::File);
  EXPECT_EQ(saved.Options.Report.Separator, 2);
  EXPECT_EQ(saved.Options.Report.Replacement, "+");
  // The HTML type opens the HTML page.
  dlg.cbType->setCurrentIndex(kReportHtml);
  ASSERT_TRUE(options([](TfmReportOpt& opt) {
    EXPECT_EQ(opt.pcPages->currentWidget(), opt.tsHTML);
    EXPECT_FALSE(opt.cbHTMLshading->isChecked());
    opt.bkCancel->click();
  }));
  dlg.reject();
  LoadEnglish();
}

// Every access key of the report dialog (labels, buttons, boxes) is taken once, in both
// languages; the boxes show their full texts (the Russian ones are longer).
TEST_F(ReportWindowTest, AccessKeysAreDistinctInEveryLanguage) {
  Select(D1());
  for (const char* language : {"English.lng", "Russian.lng"}) {
    w_->ChooseLanguage(QString::fromLatin1(language));
    TfmReport dlg(*w_, w_.get());
    dlg.OpenFor(TReportSource::MainWindow);
    dlg.show();
    QApplication::processEvents();
    std::map<QChar, QString> keys;
    auto add = [&](const QString& text) {
      int amp = text.indexOf(QLatin1Char('&'));
      if (amp < 0 || amp + 1 >= text.size()) return;
      QChar key = text.at(amp + 1).toUpper();
      auto [at, fresh] = keys.emplace(key, text);
      EXPECT_TRUE(fresh) << language << ": \"" << text.toStdString() << "\" and \""
                         << at->second.toStdString() << "\"";
    };
    for (QLabel* l : dlg.findChildren<QLabel*>()) add(l->text());
    for (QAbstractButton* b : dlg.findChildren<QAbstractButton*>()) {
      add(b->text());
      if (!b->text().isEmpty()) {
        EXPECT_GE(b->width(), b->sizeHint().width()) << language << " " << b->text().toStdString();
      }
    }
    EXPECT_EQ(dlg.cbRun->text(), LangQ(12750));
    dlg.reject();
  }
  w_->ChooseLanguage(QStringLiteral("English.lng"));
}

}  // namespace
