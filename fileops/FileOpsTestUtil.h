// SPDX-License-Identifier: MIT
// Helpers of the file-operation tests: a scripted TFileOpsUi, made-up media (folders standing
// for mounted volumes) and catalog builders.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "catalog/CatalogTestUtil.h"
#include "fileops/FileOps.h"
#include "fileops/ProgressCopy.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

// Answers from scripts and records what was asked and shown. An exhausted insert-disk script
// cancels; an exhausted retry script leaves the file.
class TScriptedFileOpsUi : public TFileOpsUi {
 public:
  std::deque<int> InsertAnswers;
  std::deque<std::string> ChosenRoots;  // set with the answer of the same turn ("" = none)
  std::vector<TInsertDiskInfo> InsertAsked;
  std::vector<bool> InsertSkipOffered;
  std::function<void()> OnInsertAsked;  // runs before the answer (to "insert" a medium)

  std::string Folder;  // the folder the browser returns ("" = no choice)
  std::vector<std::string> BrowserInitial;

  std::vector<std::pair<int, std::string>> Messages;  // number, argument

  std::deque<TRetryAnswer> RetryAnswers;
  std::vector<std::string> RetryAsked;
  std::function<void()> OnRetryAsked;

  bool Opened = false, Closed = false;
  std::vector<std::string> Disks;
  std::vector<int> Percents;
  int Polls = 0;
  int CancelAtPoll = 0;  // > 0: ProgressPoll answers "cancel" at this call

  int AskInsertDisk(const TInsertDiskInfo& disk, bool skipAllowed,
                    std::string& chosenRoot) override {
    InsertAsked.push_back(disk);
    InsertSkipOffered.push_back(skipAllowed);
    if (OnInsertAsked) OnInsertAsked();
    if (!ChosenRoots.empty()) {
      chosenRoot = ChosenRoots.front();
      ChosenRoots.pop_front();
    }
    if (InsertAnswers.empty()) return kInsertCancel;
    int a = InsertAnswers.front();
    InsertAnswers.pop_front();
    return a;
  }
  std::string ChooseFolder(const std::string&, const std::string& initial) override {
    BrowserInitial.push_back(initial);
    return Folder;
  }
  void ShowMessage(int number, const std::string& arg, const std::string&) override {
    Messages.emplace_back(number, arg);
  }
  TRetryAnswer AskRetry(int, const std::string& arg, const std::string&) override {
    RetryAsked.push_back(arg);
    if (OnRetryAsked) OnRetryAsked();
    if (RetryAnswers.empty()) return TRetryAnswer::Leave;
    TRetryAnswer a = RetryAnswers.front();
    RetryAnswers.pop_front();
    return a;
  }
  void ProgressOpen(const std::string&, const std::string&) override { Opened = true; }
  void ProgressDisk(const std::string& name) override { Disks.push_back(name); }
  void ProgressShow(int percent, const std::string&) override { Percents.push_back(percent); }
  bool ProgressPoll() override { return ++Polls == CancelAtPoll; }
  void ProgressClose() override { Closed = true; }
};

// A made-up volume at `mountPoint`.
inline TVolume FakeVolume(const std::string& mountPoint, int driveType, const std::string& label,
                          const std::string& serial) {
  TVolume v;
  v.Mount.MountPoint = mountPoint;
  v.DriveType = driveType;
  v.Label = label;
  v.SerialText = serial;
  return v;
}

// Appends a disk to the container under the cursor (cursor not moved); returns it.
inline TNodeRec* AddDisk(TQDBase& bd, const std::string& name, int driveType,
                         const std::string& label, const std::string& serial,
                         const std::string& subFolder = {}, int location = 0) {
  TNodeRec* disk = AddContainer(bd, name, ikDisk);
  bd.PushPos();
  bd.GoToNode(disk);
  bd.EnterChild(0);
  bd.SetInt(kDiskDriveType, driveType);
  bd.SetStr(kDiskLabel, label);
  bd.SetStr(kDiskSerial, serial);
  bd.SetStr(kDiskSubFolder, subFolder);
  bd.SetInt(kHdrLocation, location);
  bd.PopPos();
  return disk;
}

// Adds items below `parent` (cursor restored).
inline TNodeRec* AddFolderIn(TQDBase& bd, TNodeRec* parent, const std::string& name,
                             int32_t flags = ikFolder, int64_t size = 0) {
  bd.PushPos();
  bd.GoToNode(parent);
  TNodeRec* n = AddContainer(bd, name, flags, size);
  bd.PopPos();
  return n;
}
inline TNodeRec* AddFileIn(TQDBase& bd, TNodeRec* parent, const std::string& name, int64_t size,
                           int32_t flags = ikFile) {
  bd.PushPos();
  bd.GoToNode(parent);
  TNodeRec* n = AddFile(bd, name, size, flags);
  bd.PopPos();
  return n;
}

// Puts `items` into mark list `list` of `bd` (cleared first).
inline void MarkItems(TQDBase& bd, int list, const std::vector<TNodeRec*>& items) {
  bd.ClearMarkList(list);
  bd.PushPos();
  for (TNodeRec* n : items) {
    bd.GoToNode(n);
    bd.AddMark(list);
  }
  bd.PopPos();
}

inline void WriteFile(const std::string& path, const std::string& data) {
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_EQ(WriteWholeFileAtomic(path, data).Message(), "") << path;
}

// Every path below `root`, relative, folders with a trailing "/".
inline std::set<std::string> TreeOf(const std::string& root) {
  std::set<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    std::string rel = it->path().lexically_relative(root).string();
    out.insert(it->is_directory() && !it->is_symlink() ? rel + "/" : rel);
  }
  return out;
}

// "fileops-<suite>-<test>-<suffix>": a scratch name of the running test.
inline std::string TestScratchName(const std::string& suffix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("fileops-") + info->test_suite_name() + "-" + info->name() + "-" + suffix;
}

// A catalog store with one catalog, and a scratch folder holding the media folders (listed in
// `Volumes`) and the destination `Dest`.
struct TMediaScratch {
  void MakeScratch() {
    Dir = ScratchDir(TestScratchName("media"));
    Dest = Dir + "/dest";
    fs::create_directories(Dest);
    InitCatalogStore(Bd);
    CreateCatalogNode(Bd, "Cat", 0);
    Catalog = Bd.CurrentNode();
  }
  // A medium folder under the scratch folder, listed as a volume.
  std::string AddMedium(const std::string& name, int driveType, const std::string& label,
                        const std::string& serial) {
    std::string mount = Dir + "/" + name;
    fs::create_directories(mount);
    Volumes.push_back(FakeVolume(mount, driveType, label, serial));
    return mount;
  }

  std::string Dir, Dest;
  TQDBase Bd;
  TNodeRec* Catalog = nullptr;
  std::vector<TVolume> Volumes;
};

// TMediaScratch with an engine over it whose volume list is `Volumes`.
class TFileOpsFixture : public ::testing::Test, protected TMediaScratch {
 protected:
  void SetUp() override {
    MakeScratch();
    Engine.Volumes = [this] { return Volumes; };
    Ui.Folder = Dest;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(Dir, ec); !ec && it != fs::end(it);
         it.increment(ec))
      if (it->is_directory() && !it->is_symlink())
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Dir, ec);
    Temp.DeleteAll();
  }

  TScriptedFileOpsUi Ui;
  TTempFiles Temp{ScratchDir(TestScratchName("tmp"))};
  TFileOpEngine Engine{Bd, Ui, Temp};
};
