// SPDX-License-Identifier: MIT
// What the add-disk dialog needs of the main window: the two application stores, the catalog
// tree's selection, and grafting a scanned disk so that the tree, the item list and the catalog's
// state follow. The main window implements it; tests may too.
//
// Threads: GUI thread only.
#pragma once

#include "app/Settings.h"
#include "store/QDBase.h"

class QWidget;

class TAddDiskHost {
 public:
  virtual ~TAddDiskHost() = default;
  virtual TQDBase& MainStore() = 0;   // bdMain
  virtual TSettings& Settings() = 0;  // bdOpt and the options record
  // The store node of the catalog tree's selection, or nullptr.
  virtual TNodeRec* SelectedTreeNode() = 0;
  // Add mode: moves the disk at bdDisk's root under `destination` (a catalog or group of bdMain)
  // under a unique name, recomputes totals, marks the catalog modified, shows the new tree row,
  // expands the destination and selects the disk. bdDisk is left empty. Returns the disk node.
  virtual TNodeRec* AddScannedDisk(TNodeRec* destination, TQDBase& bdDisk) = 0;
  // Update mode: replaces the contents of `oldDisk` by the disk at bdDisk's root (the disk node
  // stays), rebuilds its tree rows, selects it and marks the catalog modified.
  virtual void ReplaceScannedDisk(TNodeRec* oldDisk, TQDBase& bdDisk) = 0;
  // The catalog holding `item` was changed outside the add/replace calls (its disk description).
  virtual void MarkModified(const TNodeRec* item) = 0;
  // "Ask for the disk's description": the properties dialog of the new or updated disk, where
  // the user edits its description, category and location (modal).
  virtual void ShowDiskProperties(TNodeRec* disk) = 0;
  // Saves the catalog holding `item` (Save, which asks for a name when it has none).
  virtual void SaveCatalogOf(const TNodeRec* item) = 0;
  // Refreshes the item lists and the status bar (after the dialog closes).
  virtual void RefreshViews() = 0;
  // Writes the settings image.
  virtual void SaveSettings() = 0;
  // The main window (parent of messages; brought to the front after the dialog).
  virtual QWidget* MainWindow() = 0;
};
