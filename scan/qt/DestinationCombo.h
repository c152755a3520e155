// SPDX-License-Identifier: MIT
// The destination list of the add-disk dialog: every catalog and
// every disk group of bdMain, depth first in tree order, each with its tree image and indented by
// its depth (16 pixels per level in the drop-down list).
//
// Threads: GUI thread only (reads bdMain without moving its cursor).
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "store/QDBase.h"

// One entry of bdDst: name, kind, level, node and image.
struct TDestination {
  std::string Name;
  int Kind = 0;              // ikCatalog or ikGroup
  int Level = 0;             // depth in bdMain minus 1: catalogs 0, their groups 1, ...
  TNodeRec* Node = nullptr;  // the catalog or group node of bdMain
  int Image = 0;             // TreeImageIndex; -1 for an entry without an image
};

// Every catalog (root slots 1..n of `root`) and every group below it, depth first in slot order;
// with `maxKind` ikDisk the disks too (the search window's list).
std::vector<TDestination> ListDestinations(const TNodeRec* root, int maxKind = 2);

class TDestinationCombo : public QComboBox {
  Q_OBJECT

 public:
  // Entries of the list, for callers that change them (a node that was removed).
  std::vector<TDestination>& MutableEntries() { return entries_; }
  explicit TDestinationCombo(QWidget* parent = nullptr);

  // Refills the list from bdMain's root; nothing is selected afterwards.
  void Fill(const TNodeRec* root);
  // Shows `entries` instead; nothing is selected afterwards.
  void SetEntries(std::vector<TDestination> entries);
  const std::vector<TDestination>& Entries() const { return entries_; }
  // The node of the current entry, or nullptr.
  TNodeRec* CurrentNode() const;
  // Selects the entry of `node` or of its nearest catalog or group ancestor (a selected disk or
  // folder preselects the container that holds it); the first entry when there is none.
  void SelectNode(const TNodeRec* node);

 private:
  std::vector<TDestination> entries_;
};
