// SPDX-License-Identifier: MIT
// The destination lister: the open catalogs and the groups inside them (and, when asked, the
// disks), depth first in tree order. It fills the destination boxes of the catalog manager, the
// add-disk dialog and the search window.
//
// Threads: GUI thread only (reads bdMain).
#pragma once

#include <string>
#include <vector>

#include "store/QDBase.h"

struct TDestEntry {
  std::string Name;
  int Kind = 0;              // ikCatalog, ikGroup or ikDisk
  int Level = 0;             // 0 for a catalog, the depth below the catalog otherwise
  TNodeRec* Node = nullptr;  // the store node (the tree node the entry stands for)
  int Image = 0;             // its tree image
};

// Every catalog of the store and every container inside of kind 2 (group) up to `maxKind`
// (2 groups only, 3 also disks), depth first in tree order; disks are not entered.
std::vector<TDestEntry> ListDestinations(const TQDBase& bdMain, int maxKind = 2);

// The index of the entry standing for `node`, or -1.
int FindDestination(const std::vector<TDestEntry>& entries, const TNodeRec* node);
