// SPDX-License-Identifier: MIT
// Test helpers for the editing commands: a host with scripted answers that logs every row change,
// and builders of small catalogs in bdMain.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"
#include "mainwin/EditHost.h"
#include "mainwin/TreeRows.h"

class TRecordingHost : public TEditHost {
 public:
  std::deque<bool> Answers;  // an exhausted script answers No
  std::vector<int> Asked;
  std::vector<std::string> AskedArgs;
  std::vector<std::string> Log;  // "insert P 3", "remove P 0", "move P 0->2", "update P 1", ...
  std::vector<const TNodeRec*> Removing;
  int Refreshes = 0;
  int Pending = 0;  // TreeChanging calls not yet matched by TreeChanged

  bool Confirm(int number, const std::string& arg, const std::string&) override {
    Asked.push_back(number);
    AskedArgs.push_back(arg);
    if (Answers.empty()) return false;
    bool a = Answers.front();
    Answers.pop_front();
    return a;
  }
  void TreeChanging(const TTreeChange&) override { ++Pending; }
  void TreeChanged(const TTreeChange& c) override {
    if (c.Kind != TTreeChange::TKind::Update) --Pending;
    std::string parent = c.Parent && c.Parent->Parent ? std::string(ItemName(c.Parent)) : "root";
    switch (c.Kind) {
      case TTreeChange::TKind::Insert:
        Log.push_back("insert " + parent + " " + std::to_string(c.First));
        break;
      case TTreeChange::TKind::Remove:
        Log.push_back("remove " + parent + " " + std::to_string(c.First));
        break;
      case TTreeChange::TKind::Move:
        Log.push_back("move " + parent + " " + std::to_string(c.First) + "->" +
                      std::to_string(c.DestRow));
        break;
      case TTreeChange::TKind::Update:
        Log.push_back("update " + parent + " " + std::to_string(c.First));
        break;
      case TTreeChange::TKind::Rebuild:
        Log.push_back("rebuild " + parent);
        break;
    }
  }
  void SubtreeRemoving(const TNodeRec* n) override { Removing.push_back(n); }
  void RefreshViews() override { ++Refreshes; }
};

// Loads the texts the editing code looks up.
inline void LoadEditTexts() {
  LangTable(TLangKind::English)
      .LoadFromText(
          "English\r\n10001=Catalog \r\n10127=New group\r\n10128=Delete %s?\r\n"
          "10129=Remove?\r\n10130=Remove %s?\r\n12601=(none)\r\n12602=(leave)\r\n"
          "12701=Total / selected: %s\r\n12702=Delete?\r\n12703=Lacks.\r\n12704=Add?\r\n"
          "10151=B\r\n2402=Left:\r\n2403=Right:\r\n2404=Copy\r\n2405=Move\r\n");
}

// The names of the tree rows under `parent`, joined by ",".
inline std::string RowNames(const TNodeRec* parent) {
  std::string out;
  for (int row = 0; row < TreeRowCount(parent); ++row) {
    if (row) out += ",";
    out += ItemName(TreeRowNode(parent, row));
  }
  return out;
}

// Adds a catalog to bdMain and returns it (cursor at the root afterwards).
inline TNodeRec* AddCatalog(TQDBase& bd, std::string_view name) {
  CreateCatalogNode(bd, name, 45000.0);
  TNodeRec* catalog = bd.CurrentNode();
  bd.GoToDepth(0);
  return catalog;
}

// Appends a group or disk under `parent`; returns it (cursor where it was).
inline TNodeRec* AddItem(TQDBase& bd, TNodeRec* parent, std::string_view name, int32_t flags,
                         int64_t size = 0) {
  TNodeRec* saved = bd.CurrentNode();
  bd.GoToNode(parent);
  TNodeRec* item = AddContainer(bd, name, flags, size);
  bd.GoToNode(saved);
  return item;
}

inline TNodeRec* AddLeaf(TQDBase& bd, TNodeRec* parent, std::string_view name, int64_t size,
                         int32_t flags = ikFile) {
  TNodeRec* saved = bd.CurrentNode();
  bd.GoToNode(parent);
  TNodeRec* item = AddFile(bd, name, size, flags);
  bd.GoToNode(saved);
  return item;
}

// Sets a header integer or 64-bit field of a container item.
inline void SetHeaderInt(TQDBase& bd, TNodeRec* item, int slot, int32_t value) {
  TNodeRec* saved = bd.CurrentNode();
  bd.GoToNode(NodeChild(item, 0));
  bd.SetInt(slot, value);
  bd.GoToNode(saved);
}
inline void SetHeaderInt64(TQDBase& bd, TNodeRec* item, int slot, int64_t value) {
  TNodeRec* saved = bd.CurrentNode();
  bd.GoToNode(NodeChild(item, 0));
  bd.SetInt64(slot, value);
  bd.GoToNode(saved);
}

inline bool CatalogModified(const TNodeRec* catalog) {
  return FieldInt(NodeChild(catalog, 0), kCatModified) == 1;
}
