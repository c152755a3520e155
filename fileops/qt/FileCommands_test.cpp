// SPDX-License-Identifier: MIT
// The file commands through their windows: the progress window of a copy and an extraction,
// Cancel in it, the insert-disk prompt (Skip, and closing by itself when the medium is mounted),
// and the main window's Files sub-menu, Run, Explore and double click.
#include "fileops/qt/FileCommands.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <thread>

#include "app/SizeTexts.h"
#include "app/qt/GuiText.h"
#include "app/qt/PromptsTestUtil.h"
#include "archive/ArchiveExtract.h"
#include "archive/ArchiveTestUtil.h"
#include "fileops/FileOpsTestUtil.h"
#include "fileops/qt/fmInsertDiskU.h"
#include "fileops/qt/fmProgressU.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtTestUtil.h"
#include "scan/qt/DestinationCombo.h"
#include "search/qt/fmFindU.h"

namespace {

std::thread::id kGuiThread() {
  static const std::thread::id id = std::this_thread::get_id();
  return id;
}

// Runs `act` on the first visible window of type T as soon as one is shown (looked for every
// 10 ms while an event loop runs), once.
template <class T>
void WhenShown(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* x = qobject_cast<T*>(w); x && x->isVisible()) {
        timer->stop();
        timer->deleteLater();
        act(x);
        return;
      }
  });
  timer->start();
}

// Runs `look` whenever the progress window processes events while it is shown (a timer of
// interval 0 fires on every pass); stops when the returned handle is destroyed.
std::unique_ptr<QTimer> WhileShown(TfmProgress* progress, std::function<void()> look) {
  auto timer = std::make_unique<QTimer>();
  timer->setInterval(0);
  QObject::connect(timer.get(), &QTimer::timeout, [progress, look] {
    if (progress->isVisible()) look();
  });
  timer->start();
  return timer;
}

// A store with one catalog, media folders in a scratch folder, and the file commands over them,
// owned by a plain window.
class FileCommandsTest : public ::testing::Test, protected TMediaScratch {
 protected:
  void SetUp() override {
    LoadEnglish();
    MakeScratch();
    Owner.show();
    Commands = std::make_unique<TFileCommands>(&Owner, Bd, Settings, Temp);
    Commands->SetVolumes([this] { return Volumes; });
    Commands->Ui().FolderChooser = [this](const std::string&, const std::string&) { return Dest; };
    Commands->Starter = [this](const TShellAction& a) { Started.push_back(a); };
    Commands->Ui().InsertDiskWindow()->PollInterval = 20;
  }
  void TearDown() override {
    Commands.reset();
    Temp.DeleteAll();
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  // A hard disk medium.
  std::string AddMedium(const std::string& name, const std::string& label,
                        const std::string& serial) {
    return TMediaScratch::AddMedium(name, dtFixed, label, serial);
  }

  TSettings Settings;
  TTempFiles Temp{ScratchDir(TestScratchName("tmp"))};
  QWidget Owner;
  std::unique_ptr<TFileCommands> Commands;
  std::vector<TShellAction> Started;
  TScriptedPrompter Prompter;
};

TEST_F(FileCommandsTest, CopyAndExtractThroughTheProgressWindow) {
  std::string m = AddMedium("m", "M", "0000-0001");
  std::string big(3 << 20, 'b');
  WriteFile(m + "/docs/a.txt", "hello");
  WriteFile(m + "/docs/big.bin", big);
  fs::copy_file(Fixture("sample.zip"), m + "/sample.zip");
  TNodeRec* disk = AddDisk(Bd, "Disk M", dtFixed, "M", "0000-0001");
  TNodeRec* docs = AddFolderIn(Bd, disk, "docs");
  AddFileIn(Bd, docs, "a.txt", 5);
  AddFileIn(Bd, docs, "big.bin", static_cast<int64_t>(big.size()));
  TNodeRec* zip =
      AddFolderIn(Bd, disk, "sample.zip", MakeItemFlags(kAttrArchive, ikFolder, ifArchive), 745);
  TNodeRec* a = AddFolderIn(Bd, zip, "a", MakeItemFlags(kAttrDirectory, ikFolder, ifInArchive));
  TNodeRec* b = AddFolderIn(Bd, a, "b", MakeItemFlags(kAttrDirectory, ikFolder, ifInArchive));
  AddFileIn(Bd, b, "c.txt", 12, MakeItemFlags(0, ikFile, ifInArchive));
  TNodeRec* x = AddFileIn(Bd, zip, "x.txt", 15, MakeItemFlags(0, ikFile, ifInArchive));

  // The window shows the disk, the destination and the file in work while the owner is off.
  TfmProgress* progress = Commands->Ui().ProgressWindow();
  bool ownerOff = false;
  QString disk1, dst, file;
  auto watch = WhileShown(progress, [&] {
    ownerOff = ownerOff || !Owner.isEnabled();
    disk1 = progress->lbDisk->text();
    dst = progress->lbDst->text();
    if (!progress->lbFile->toolTip().isEmpty()) file = progress->lbFile->toolTip();
  });
  MarkItems(Bd, mlSelection, {docs});
  Commands->Run(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(ReadFile(Dest + "/docs/a.txt"), "hello");
  EXPECT_EQ(ReadFile(Dest + "/docs/big.bin"), big);
  EXPECT_TRUE(ownerOff);
  EXPECT_TRUE(Owner.isEnabled());
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(disk1, QStringLiteral("Disk M"));
  EXPECT_EQ(dst, QString::fromStdString(Dest + "/"));
  EXPECT_EQ(file, QString::fromStdString(m + "/docs/big.bin"));
  EXPECT_EQ(progress->pbar->value(), 100);
  EXPECT_EQ(progress->lbCopied->text(),
            LangFormatQ(11503, "2") + " (" + QStr(FormatSizeUnits(5 + (3 << 20))) + ")");
  EXPECT_EQ(Settings.Options.LastCopyFolder, Dest);

  // Extracting the archive writes its entries with their folders, bytes as in the archive.
  fs::remove_all(Dest);
  fs::create_directories(Dest);
  TTempFolder direct;
  TZipTV reader;
  ASSERT_EQ(ExtractEntry(reader, m + "/sample.zip", "a\\b\\c.txt", true, direct.Path()).Code, 0);
  MarkItems(Bd, mlSelection, {zip});
  Commands->Run(mlSelection, nullptr, true, TFileOp::Copy);
  EXPECT_EQ(ReadFile(Dest + "/a/b/c.txt"), ReadFile(direct.Path() + "/a/b/c.txt"));
  EXPECT_EQ(ReadFile(Dest + "/a/b/c.txt"), "deep file c\n");
  EXPECT_TRUE(PathExists(Dest + "/x.txt"));

  // Opening an entry extracts it to the temporary folder and opens it from there.
  ASSERT_TRUE(Commands->RunOrExplore(x, false));
  ASSERT_EQ(Started.size(), 1u);
  EXPECT_EQ(Started[0].Kind, TShellActionKind::Open);
  EXPECT_EQ(Started[0].Path, Temp.Folder() + "/x.txt");
  EXPECT_EQ(ReadFile(Started[0].Path), ReadFile(Dest + "/x.txt"));
  EXPECT_EQ(Temp.Files(), std::vector<std::string>{Started[0].Path});
  // Explore shows a folder of the medium in the file manager.
  ASSERT_TRUE(Commands->RunOrExplore(docs, true));
  EXPECT_EQ(Started[1].Kind, TShellActionKind::ShowInFolder);
  EXPECT_EQ(Started[1].Path, m + "/docs");
  EXPECT_TRUE(Prompter.Shown.empty());
}

TEST_F(FileCommandsTest, CancelLeavesNothingBehindAndAFailedMoveKeepsTheSource) {
  std::string m = AddMedium("m", "M", "0000-0001");
  std::string big(6 << 20, 'c');
  WriteFile(m + "/big.bin", big);
  TNodeRec* disk = AddDisk(Bd, "Disk M", dtFixed, "M", "0000-0001");
  TNodeRec* file = AddFileIn(Bd, disk, "big.bin", static_cast<int64_t>(big.size()));
  TfmProgress* progress = Commands->Ui().ProgressWindow();
  // Cancel is pressed once the copy of the file has begun.
  auto cancel = WhileShown(progress, [progress] {
    if (!progress->lbFile->toolTip().isEmpty()) progress->bkCancel->click();
  });
  MarkItems(Bd, mlSelection, {file});
  Commands->Run(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_TRUE(Commands->Engine().Cancelled());
  EXPECT_TRUE(TreeOf(Dest).empty());
  EXPECT_EQ(ReadFile(m + "/big.bin"), big);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(Owner.isEnabled());
  cancel.reset();

  // A move whose copy fails (a folder holds the target's name) leaves the source.
  fs::create_directories(Dest + "/big.bin");
  Commands->Run(mlSelection, nullptr, false, TFileOp::Move);
  EXPECT_FALSE(Commands->Engine().Failures().empty());
  EXPECT_EQ(ReadFile(m + "/big.bin"), big);
  EXPECT_TRUE(Owner.isEnabled());

  // Delete asks first; No leaves the file.
  Prompter.Answers = {TAnswer::No};
  Commands->Run(mlSelection, nullptr, false, TFileOp::Delete, "big.bin");
  EXPECT_TRUE(Prompter.SawText(LangFormatQ(10142, "big.bin")));
  EXPECT_TRUE(PathExists(m + "/big.bin"));
  Prompter.Answers = {TAnswer::Yes};
  Commands->Run(mlSelection, nullptr, false, TFileOp::Delete);
  EXPECT_TRUE(Prompter.SawText(LangQ(10141)));
  EXPECT_FALSE(PathExists(m + "/big.bin"));
}

TEST_F(FileCommandsTest, MissingMediumIsAskedForAndSkipPassesItOver) {
  std::string ma = AddMedium("ma", "A", "AAAA-0001");
  WriteFile(ma + "/a.txt", "a");
  TNodeRec* diskA = AddDisk(Bd, "Disk A", dtFixed, "A", "AAAA-0001");
  TNodeRec* diskB = AddDisk(Bd, "Disk B", dtCdRom, "BACKUP_07", "BBBB-0002");
  TNodeRec* a = AddFileIn(Bd, diskA, "a.txt", 1);
  TNodeRec* b = AddFileIn(Bd, diskB, "b.txt", 1);
  QString name, label, serial, type;
  bool skipShown = false;
  WhenShown<TfmInsertDisk>([&](TfmInsertDisk* d) {
    name = d->lbName->text();
    label = d->lbLabel->text();
    serial = d->lbSerial->text();
    type = d->lbType->text();
    skipShown = d->bkSkip->isVisible();
    d->bkSkip->click();
  });
  MarkItems(Bd, mlSelection, {b, a});
  Commands->Run(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(name, QStringLiteral("Disk B"));
  EXPECT_EQ(label, QStringLiteral("BACKUP_07"));
  EXPECT_EQ(serial, QStringLiteral("BBBB-0002"));
  EXPECT_EQ(type, LangQ(10185));
  EXPECT_TRUE(skipShown);
  EXPECT_EQ(Commands->Engine().SkippedDisks(), std::vector<std::string>{"Disk B"});
  EXPECT_EQ(TreeOf(Dest), std::set<std::string>{"a.txt"});

  // Opening offers no Skip; Cancel (Esc) starts nothing.
  skipShown = true;
  WhenShown<TfmInsertDisk>([&](TfmInsertDisk* d) {
    skipShown = d->bkSkip->isVisible();
    d->reject();
  });
  EXPECT_FALSE(Commands->RunOrExplore(b, false));
  EXPECT_FALSE(skipShown);
  EXPECT_TRUE(Started.empty());
}

TEST_F(FileCommandsTest, AnUnidentifiedMediumIsTakenFromTheFolderChosen) {
  std::string m = AddMedium("ram", "", kNoSerialText);
  WriteFile(m + "/r.txt", "ram file");
  TNodeRec* disk = AddDisk(Bd, "Ram", dtFixed, "", kNoSerialText);
  TNodeRec* r = AddFileIn(Bd, disk, "r.txt", 8);
  QString serial;
  QStringList candidates;
  WhenShown<TfmInsertDisk>([&](TfmInsertDisk* d) {
    serial = d->lbSerial->text();
    for (int i = 0; i < d->lvCandidates->count(); ++i)
      candidates << d->lvCandidates->item(i)->text();
    d->bkOk->click();  // the first candidate is selected
  });
  MarkItems(Bd, mlSelection, {r});
  Commands->Run(mlSelection, nullptr, false, TFileOp::Copy);
  EXPECT_EQ(serial, QStringLiteral("-"));
  EXPECT_EQ(candidates, QStringList{QString::fromStdString(m + "/")});
  EXPECT_EQ(ReadFile(Dest + "/r.txt"), "ram file");
}

TEST_F(FileCommandsTest, PromptClosesByItselfWhenTheMediumIsMounted) {
  TNodeRec* disk = AddDisk(Bd, "Disk B", dtFixed, "B", "BBBB-0002");
  TNodeRec* b = AddFileIn(Bd, disk, "b.txt", 1);
  bool shown = false;
  WhenShown<TfmInsertDisk>([&](TfmInsertDisk*) {
    shown = true;
    // The user mounts the medium; nobody presses a button.
    std::string mb = AddMedium("mb", "B", "BBBB-0002");
    WriteFile(mb + "/b.txt", "b");
  });
  ASSERT_TRUE(Commands->RunOrExplore(b, false));
  EXPECT_TRUE(shown);
  ASSERT_EQ(Started.size(), 1u);
  EXPECT_EQ(Started[0].Path, Dir + "/mb/b.txt");
  EXPECT_FALSE(Commands->Ui().InsertDiskWindow()->isVisible());
}

// ---- the main window ----------------------------------------------------------------------------

class MainWindowFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir(TestScratchName("win"));
    medium_ = dir_ + "/medium";
    dest_ = dir_ + "/dest";
    fs::create_directories(dest_);
    fs::create_directories(dir_ + "/settings");
    WriteFile(medium_ + "/docs/a.txt", "alpha");
    WriteFile(medium_ + "/docs/b.txt", "beta");
    fs::copy_file(Fixture("sample.zip"), medium_ + "/sample.zip");
    catalog_ = dir_ + "/c.ctl";
    WriteCatalogFile(catalog_, "Cat", [](TQDBase& bd, TNodeRec*) {
      TNodeRec* disk = AddDisk(bd, "Media", dtFixed, "MEDIA", "1234-ABCD");
      TNodeRec* docs = AddFolderIn(bd, disk, "docs", MakeItemFlags(kAttrDirectory, ikFolder, 0));
      AddFileIn(bd, docs, "a.txt", 5);
      AddFileIn(bd, docs, "b.txt", 4);
      TNodeRec* zip = AddFolderIn(bd, disk, "sample.zip",
                                  MakeItemFlags(kAttrArchive, ikFolder, ifArchive), 745);
      AddFileIn(bd, zip, "x.txt", 15, MakeItemFlags(0, ikFile, ifInArchive));
    });
    w_ = MakeMainWindow(dir_ + "/settings");
    TFileCommands& c = w_->FileCommands();
    std::string medium = medium_;
    c.SetVolumes([medium] {
      return std::vector<TVolume>{FakeVolume(medium, dtFixed, "MEDIA", "1234-ABCD")};
    });
    c.Ui().FolderChooser = [this](const std::string&, const std::string&) { return dest_; };
    c.Starter = [this](const TShellAction& a) { started_.push_back(a); };
    ASSERT_EQ(w_->OpenCatalogFiles({catalog_}), 1);
  }
  void TearDown() override {
    w_->TempFiles().DeleteAll();
    w_.reset();
  }
  QModelIndex Child(const QModelIndex& parent, const QString& name) {
    return TreeChild(*w_, parent, name);
  }
  int Row(const std::string& name) {
    for (int r = 0; r < w_->ListModel()->rowCount(); ++r)
      if (TNodeRec* n = w_->ListModel()->ItemAt(r); n && ItemName(n) == name) return r;
    return -1;
  }
  void SelectRows(const std::vector<std::string>& names) {
    QApplication::processEvents();  // the main window is active again after an operation
    ASSERT_EQ(QApplication::activeWindow(), w_.get());
    w_->List()->setFocus();
    w_->List()->clearSelection();
    for (const std::string& n : names) {
      QModelIndex i = w_->ListModel()->index(Row(n), 0);
      ASSERT_TRUE(i.isValid()) << n;
      w_->List()->selectionModel()->setCurrentIndex(
          i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  QMenu* FilesMenu() { return w_->ActFiles->menu(); }

  std::string dir_, medium_, dest_, catalog_;
  std::unique_ptr<TfmVrt> w_;
  std::vector<TShellAction> started_;
  TScriptedPrompter prompter_;
};

TEST_F(MainWindowFilesTest, FilesMenuCopiesTheTreeNodeOrTheSelectedRows) {
  QModelIndex media = Child(w_->TreeModel()->index(0, 0), QStringLiteral("Media"));
  QModelIndex docs = Child(media, QStringLiteral("docs"));
  ASSERT_TRUE(docs.isValid());
  // The tree's folder: the whole folder.
  w_->Tree()->setFocus();
  w_->SelectTreeNode(docs);
  emit FilesMenu()->aboutToShow();
  EXPECT_TRUE(w_->ActFilesCopy->isEnabled());
  EXPECT_FALSE(w_->ActFilesExtract->isVisible());
  w_->ActFilesCopy->trigger();
  EXPECT_EQ(ReadFile(dest_ + "/docs/a.txt"), "alpha");
  EXPECT_EQ(ReadFile(dest_ + "/docs/b.txt"), "beta");

  // Selected rows of the list: only those.
  fs::remove_all(dest_);
  fs::create_directories(dest_);
  SelectRows({"b.txt"});
  emit FilesMenu()->aboutToShow();
  w_->ActFilesCopy->trigger();
  EXPECT_EQ(TreeOf(dest_), std::set<std::string>{"b.txt"});
  EXPECT_EQ(ReadFile(dest_ + "/b.txt"), "beta");

  // The archive row offers extraction; an entry inside it offers nothing else.
  fs::remove_all(dest_);
  fs::create_directories(dest_);
  w_->Tree()->setFocus();
  w_->SelectTreeNode(media);
  SelectRows({"sample.zip"});
  emit FilesMenu()->aboutToShow();
  EXPECT_TRUE(w_->ActFilesExtract->isVisible());
  EXPECT_TRUE(w_->ActFilesCopy->isEnabled());
  w_->ActFilesExtract->trigger();
  TTempFolder direct;
  TZipTV reader;
  ASSERT_EQ(ExtractEntry(reader, medium_ + "/sample.zip", "x.txt", true, direct.Path()).Code, 0);
  EXPECT_EQ(TreeOf(dest_), std::set<std::string>{"x.txt"});
  EXPECT_EQ(ReadFile(dest_ + "/x.txt"), ReadFile(direct / "x.txt"));
  w_->Tree()->setFocus();
  w_->SelectTreeNode(Child(media, QStringLiteral("sample.zip")));
  SelectRows({"x.txt"});
  emit FilesMenu()->aboutToShow();
  EXPECT_TRUE(w_->ActFilesExtract->isEnabled());
  EXPECT_FALSE(w_->ActFilesCopy->isEnabled());
  EXPECT_FALSE(w_->ActFilesMove->isEnabled());
  EXPECT_FALSE(w_->ActFilesDelete->isEnabled());
  EXPECT_TRUE(prompter_.Shown.empty());
}

TEST_F(MainWindowFilesTest, DoubleClickEnterRunAndExploreFollowTheSettings) {
  QModelIndex media = Child(w_->TreeModel()->index(0, 0), QStringLiteral("Media"));
  w_->SelectTreeNode(Child(media, QStringLiteral("docs")));
  SelectRows({"a.txt"});
  w_->Settings().Options.DblClickAction = 2;
  w_->Settings().Options.AltDblClickAction = 3;
  w_->LVDblClick(false);
  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0].Kind, TShellActionKind::Open);
  EXPECT_EQ(started_[0].Path, medium_ + "/docs/a.txt");
  w_->LVDblClick(true);
  ASSERT_EQ(started_.size(), 2u);
  EXPECT_EQ(started_[1].Kind, TShellActionKind::ShowInFolder);
  // Properties (1) opens the file's properties and nothing (0) does nothing; neither starts
  // anything.
  w_->Settings().Options.DblClickAction = 1;
  QString modal;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      modal = d->objectName();
      d->reject();
    }
  });
  w_->LVDblClick(false);
  EXPECT_EQ(modal, QStringLiteral("fmPropItem"));
  SelectRows({"a.txt"});  // the list has the focus again
  w_->Settings().Options.DblClickAction = 0;
  w_->LVDblClick(false);
  EXPECT_EQ(started_.size(), 2u);

  // Run and Explore act on the focused row; an archive entry is opened from the temporary
  // folder ("Extract and Open").
  w_->UpdateActions();
  ASSERT_TRUE(w_->ActRunItem->isEnabled());
  w_->ActRunItem->trigger();
  ASSERT_EQ(started_.size(), 3u);
  EXPECT_EQ(started_[2].Path, medium_ + "/docs/a.txt");
  w_->ActExploreItem->trigger();
  ASSERT_EQ(started_.size(), 4u);
  EXPECT_EQ(started_[3].Kind, TShellActionKind::ShowInFolder);
  w_->Tree()->setFocus();
  w_->SelectTreeNode(Child(media, QStringLiteral("sample.zip")));
  SelectRows({"x.txt"});
  w_->UpdateActions();
  EXPECT_EQ(w_->ActRunItem->text(), LangQ(32));
  w_->ActRunItem->trigger();
  ASSERT_EQ(started_.size(), 5u);
  EXPECT_EQ(ReadFile(started_[4].Path).size(), 15u);
  EXPECT_FALSE(w_->TempFiles().Empty());
}

// Found items are copied and opened by the same commands as the main window's: the chosen
// results only, from the medium the volume list shows.
TEST_F(MainWindowFilesTest, SearchResultsAreCopiedAndOpenedThroughTheFileCommands) {
  TfmFind& f = w_->FindWindow();
  f.ShowSearch(NodeChild(w_->bdMain.RootNode(), 1), true);
  f.cbDst->setCurrentIndex(0);
  f.cbMask->setEditText(QStringLiteral("a.txt"));
  f.Start();
  ASSERT_EQ(f.ResultModel()->rowCount(), 1);
  QItemSelectionModel* sel = f.LVF->selectionModel();
  sel->setCurrentIndex(f.ResultModel()->index(0, 0),
                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  f.UpdateStatus();
  ASSERT_TRUE(f.ActFilesCopy->isEnabled());
  f.ActFilesCopy->trigger();
  EXPECT_EQ(TreeOf(dest_), std::set<std::string>{"a.txt"});
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), "alpha");
  f.ActRunItem->trigger();
  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0].Kind, TShellActionKind::Open);
  EXPECT_EQ(started_[0].Path, medium_ + "/docs/a.txt");
  EXPECT_TRUE(prompter_.Shown.empty());
}

}  // namespace

namespace {

// The copy worker: the bytes arrive, progress is reported on the calling thread (the GUI's) and
// ends with the whole size, and a refusal from progress cancels without leaving a target.
TEST(CopyOnWorkerTest, CopiesOnAWorkerAndCancelsCleanly) {
  std::string dir = ScratchDir(TestScratchName("worker"));
  std::string data(5 << 20, 'w');
  WriteFile(dir + "/src.bin", data);
  std::vector<int64_t> seen;
  bool otherThread = false;
  TCopyResult r = CopyOnWorker(
      dir + "/src.bin", dir + "/dst.bin",
      [&](int64_t copied) {
        otherThread = otherThread || std::this_thread::get_id() != kGuiThread();
        seen.push_back(copied);
        return true;
      },
      false);
  EXPECT_EQ(r.Status, TCopyStatus::Done) << r.Error;
  EXPECT_EQ(ReadFile(dir + "/dst.bin"), data);
  EXPECT_FALSE(otherThread);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), static_cast<int64_t>(data.size()));

  fs::remove(dir + "/dst.bin");
  TCopyResult c = CopyOnWorker(
      dir + "/src.bin", dir + "/dst.bin", [](int64_t) { return false; }, false);
  // The worker may finish before it hears of the refusal; then the copy is whole.
  if (c.Status == TCopyStatus::Cancelled)
    EXPECT_EQ(TreeOf(dir), std::set<std::string>{"src.bin"});
  else
    EXPECT_EQ(ReadFile(dir + "/dst.bin"), data);
  fs::remove_all(dir);
}

}  // namespace
