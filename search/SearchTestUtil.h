// SPDX-License-Identifier: MIT
// Test helpers of the search and user-list tests: a small catalog store built in a few lines, and
// a list view made of a selection set.
#pragma once

#include <set>
#include <string_view>

#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"
#include "search/ListRows.h"

// Builds catalog trees in a store with InitCatalogStore applied. Every Add* appends under `parent`
// and returns the new item node.
struct TCatalogBuilder {
  TQDBase bd;
  TCatalogBuilder() { InitCatalogStore(bd); }

  TNodeRec* Catalog(std::string_view name) {
    bd.GoToNode(bd.RootNode());
    CreateCatalogNode(bd, name, 0);
    return bd.CurrentNode();
  }
  TNodeRec* Container(TNodeRec* parent, std::string_view name, int32_t flags, int64_t size = 0,
                      double changed = 0, std::string_view desc = {}) {
    bd.GoToNode(parent);
    TNodeRec* n = AddContainer(bd, name, flags, size);
    bd.GoToNode(n);
    bd.EnterChild(0);
    bd.SetFloat(kFieldChanged, changed);
    bd.SetStr(kFieldDescription, desc);
    return n;
  }
  TNodeRec* Group(TNodeRec* parent, std::string_view name) {
    return Container(parent, name, ikGroup);
  }
  TNodeRec* Disk(TNodeRec* parent, std::string_view name, int driveType = 0) {
    TNodeRec* n = Container(parent, name, ikDisk);
    bd.GoToNode(n);
    bd.EnterChild(0);
    bd.SetInt(kDiskDriveType, driveType);
    return n;
  }
  TNodeRec* Folder(TNodeRec* parent, std::string_view name, int32_t extraFlags = 0) {
    return Container(parent, name, MakeItemFlags(kAttrDirectory, ikFolder, extraFlags));
  }
  TNodeRec* File(TNodeRec* parent, std::string_view name, int64_t size = 0, int32_t flags = ikFile,
                 double changed = 0, std::string_view desc = {}) {
    bd.GoToNode(parent);
    TNodeRec* n = AddFile(bd, name, size, flags);
    bd.GoToNode(n);
    bd.SetFloat(kFieldChanged, changed);
    bd.SetStr(kFieldDescription, desc);
    return n;
  }
  // Sets the category list of `catalog` to `names` (entries 1..n).
  void Categories(TNodeRec* catalog, std::initializer_list<std::string_view> names) {
    bd.GoToNode(catalog);
    bd.EnterChild(0);
    bd.EnterChild(kCatCategories);
    int i = 1;
    for (auto n : names) bd.ChildSetStr(i++, kEntryName, n);
  }
  void Locations(TNodeRec* catalog, std::initializer_list<std::string_view> names) {
    bd.GoToNode(catalog);
    bd.EnterChild(0);
    bd.EnterChild(kCatLocations);
    int i = 1;
    for (auto n : names) bd.ChildSetStr(i++, kEntryName, n);
  }
  void SetFlags(TNodeRec* item, int32_t flags) {
    bd.GoToNode(const_cast<TNodeRec*>(FieldNode(item)));
    bd.SetInt(kFieldFlags, flags);
  }
  void SetHeaderInt(TNodeRec* item, int slot, int32_t v) {
    bd.GoToNode(const_cast<TNodeRec*>(FieldNode(item)));
    bd.SetInt(slot, v);
  }
  void Mark(int list, TNodeRec* n) {
    bd.GoToNode(n);
    bd.AddMark(list);
  }
};

// A list view whose selected rows are a set.
struct TSetRows : TListRows {
  int Count = 0;
  std::set<int> Selected;
  int Focused = -1;
  int RowCount() const override { return Count; }
  bool IsRowSelected(int row) const override { return Selected.count(row) != 0; }
  bool IsRowFocused(int row) const override { return row == Focused; }
  void SetRowState(int row, bool focused, bool selected) override {
    if (selected)
      Selected.insert(row);
    else
      Selected.erase(row);
    if (focused)
      Focused = row;
    else if (Focused == row)
      Focused = -1;
  }
};
