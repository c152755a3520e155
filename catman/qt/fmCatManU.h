// SPDX-License-Identifier: MIT
// The catalog manager window: two panels, each a destination box (cbL, cbR: the open catalogs
// and their groups) over a flat list of the groups and disks directly inside the chosen
// destination (trL, trR). Between them the commands of TCatMan: copy and move to the other
// panel's destination (across catalogs with categories and locations carried over by name), up
// and down, delete, new group, rename (F2 or the button, edited in place) and properties. Every
// change goes through the main window's editor, so the main window's tree follows at once; the
// window undoes nothing when it closes.
//
// The active panel is the one whose box or list had the focus last; the other is the target.
//
// Modal. Tests drive it without exec(): FormShow, SetActivePanel, the selection helpers and the
// button handlers.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "catman/CatMan.h"

class QLabel;
class QListWidget;
class QPushButton;
class TDestinationCombo;

class TfmCatMan : public QDialog {
  Q_OBJECT

 public:
  // `editor` (the main window's) must outlive the window.
  explicit TfmCatMan(TCatalogEditor& editor, QWidget* parent = nullptr);

  // Fills both boxes and panels from the open catalogs: the left box selects the catalog that
  // holds `selected` (the main window's tree selection), the right one its first entry; the left
  // panel becomes active.
  void FormShow(const TNodeRec* selected);

  // The properties command: shows the properties dialog for `items`. While unset, the
  // properties button stays disabled.
  std::function<void(const std::vector<TNodeRec*>& items)> ShowProperties;

  // Panels: 0 left, 1 right.
  void SetActivePanel(int panel);
  int ActivePanel() const { return active_; }
  QListWidget* PanelList(int panel) const { return panel == 0 ? trL : trR; }
  TDestinationCombo* PanelBox(int panel) const { return panel == 0 ? cbL : cbR; }
  // The destination a panel shows (a catalog or group node), or nullptr.
  TNodeRec* Destination(int panel) const;
  // Shows `destination` in a panel (its box entry selected, the panel refilled).
  void SelectDestination(int panel, const TNodeRec* destination);
  // The items of a panel's rows, and those selected (in panel order).
  const std::vector<TNodeRec*>& PanelItems(int panel) const { return rows_[panel]; }
  std::vector<TNodeRec*> SelectedItems(int panel) const;
  // Selects exactly `rows` of a panel; the first becomes the current row.
  void SelectRows(int panel, const std::vector<int>& rows);
  QString StatusText() const;

  // Commands, on the active panel.
  void sbCopyClick() { CopyOrMove(false); }
  void sbMoveClick() { CopyOrMove(true); }
  void sbUpClick() { Shift(-1); }
  void sbDownClick() { Shift(+1); }
  void sbDeleteClick();
  void sbNewGrClick();
  // Starts editing the selected row's name in place.
  void sbRenameClick();
  void sbPropClick();
  // The name typed for row `row` of a panel (trLEdited).
  void RenameRow(int panel, int row, const QString& typed);
  // A double click on a row: a group becomes the panel's destination.
  void PanelDblClick(int panel, int row);
  void UpdateStatus();

  TDestinationCombo* cbL = nullptr;
  TDestinationCombo* cbR = nullptr;
  QListWidget* trL = nullptr;
  QListWidget* trR = nullptr;
  QPushButton* sbCopy = nullptr;
  QPushButton* sbMove = nullptr;
  QPushButton* sbUp = nullptr;
  QPushButton* sbDown = nullptr;
  QPushButton* sbNewGr = nullptr;
  QPushButton* sbRename = nullptr;
  QPushButton* sbDelete = nullptr;
  QPushButton* sbProp = nullptr;
  QPushButton* sbClose = nullptr;
  QLabel* stBar = nullptr;

 private:
  void SetTexts();
  // Rebuilds both boxes (each keeping its destination, or entry 0 when that is gone or
  // `reset[panel]`) and both panels (keeping the selected items that remain, else the row
  // at the same place).
  void RefillAll(std::array<bool, 2> reset = {false, false});
  void FillPanel(int panel);
  void CopyOrMove(bool move);
  void Shift(int delta);
  void PanelEdited(int panel, int row);

  TCatalogEditor& ed_;
  TCatMan cm_;
  std::array<std::vector<TNodeRec*>, 2> rows_;
  int active_ = -1;
  int updating_ = 0;  // boxes or panels being refilled: no status, no renames
};
