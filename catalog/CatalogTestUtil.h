// SPDX-License-Identifier: MIT
// Test helpers: building small catalogs in a store, a scratch folder, and a scripted TCatalogUi.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/CatalogFiles.h"
#include "catalog/CatalogLayout.h"
#include "platform/FileIO.h"

// Appends a container item to the node under the cursor; returns it (cursor not moved).
// The whole file at `path`; a read error fails the test.
inline std::string ReadFile(const std::string& path) {
  std::string data;
  EXPECT_EQ(ReadWholeFile(path, data).Message(), "") << path;
  return data;
}

inline TNodeRec* AddContainer(TQDBase& bd, std::string_view name, int32_t flags, int64_t size = 0) {
  int slot = std::max(bd.SlotCount(), 1);
  bd.NewChild(slot);
  bd.EnterChild(slot);
  TNodeRec* item = bd.CurrentNode();
  bd.NewChild(0);
  bd.EnterChild(0);
  bd.SetStr(kFieldName, name);
  bd.SetInt(kFieldFlags, flags);
  bd.SetInt64(kFieldSize, size);
  bd.Up();
  bd.Up();
  return item;
}

// Appends a file leaf to the node under the cursor; returns it.
inline TNodeRec* AddFile(TQDBase& bd, std::string_view name, int64_t size, int32_t flags = ikFile) {
  int slot = std::max(bd.SlotCount(), 1);
  bd.NewChild(slot);
  bd.EnterChild(slot);
  TNodeRec* item = bd.CurrentNode();
  bd.SetStr(kFieldName, name);
  bd.SetInt(kFieldFlags, flags);
  bd.SetInt64(kFieldSize, size);
  bd.Up();
  return item;
}

// A fresh, empty scratch folder for one test.
inline std::string ScratchDir(const std::string& name) {
  const char* base = std::getenv("TOLVANE_TEST_TMP");
  std::filesystem::path dir = std::filesystem::path(base ? base : "/tmp/tolvane-test") / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// Records every message and answers questions from scripts; an exhausted script cancels.
class TScriptedUi : public TCatalogUi {
 public:
  struct Shown {
    int number;
    std::string arg;
  };
  std::vector<Shown> Messages;
  std::vector<Shown> Questions;
  std::deque<TAnswer> Answers;
  std::deque<std::string> FileNames;  // an empty entry cancels the dialog
  std::vector<std::string> Proposed, Folders;

  void ShowMessage(int number, const std::string& arg, const std::string&) override {
    Messages.push_back({number, arg});
  }
  TAnswer AskYesNoCancel(int number, const std::string& arg, const std::string&) override {
    Questions.push_back({number, arg});
    if (Answers.empty()) return TAnswer::Cancel;
    TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
  }
  bool AskYesNo(int number, const std::string& arg, const std::string&) override {
    return AskYesNoCancel(number, arg, {}) == TAnswer::Yes;
  }
  std::deque<TChangedAnswer> ChangedAnswers;  // an exhausted script cancels
  TChangedAnswer AskFileChanged(int number, const std::string& arg, const std::string&) override {
    Questions.push_back({number, arg});
    if (ChangedAnswers.empty()) return TChangedAnswer::Cancel;
    TChangedAnswer a = ChangedAnswers.front();
    ChangedAnswers.pop_front();
    return a;
  }
  bool ChooseSaveFileName(const std::string& proposed, const std::string& folder,
                          std::string& chosen) override {
    Proposed.push_back(proposed);
    Folders.push_back(folder);
    if (FileNames.empty()) return false;
    chosen = FileNames.front();
    FileNames.pop_front();
    return !chosen.empty();
  }
};
