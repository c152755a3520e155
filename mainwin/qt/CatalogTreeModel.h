// SPDX-License-Identifier: MIT
// The item model of the catalog tree: a thin adapter over bdMain. A row stands for a container
// item of a store node (row i = slot i+1, since containers precede files); the top-level rows
// are the open catalogs (root slots 1..n). An index carries its store node as internal pointer,
// and children are read from the store when the view asks, so a catalog of any size opens at
// once and no placeholder rows exist.
//
// The model keeps no copy of the store, so every change of the containers of bdMain must be
// announced around the change: Begin.../End... pairs (or ApplyChange with the editor's row
// reports). Reads are cursor-free: painting never moves bdMain's cursor.
//
// Threads: GUI thread only.
#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QFont>
#include <functional>

#include "catalog/CatalogText.h"
#include "mainwin/EditHost.h"
#include "mainwin/qt/InterfaceStyle.h"
#include "store/QDBase.h"

class TCatalogTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TCatalogTreeModel(TQDBase& bdMain, QObject* parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Catalogs, groups and disks can be renamed in place when OnRename is set; it stores the name
  // (and announces the row update itself).
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  std::function<void(TNodeRec* item, const QString& typed)> OnRename;

  // Drag and drop inside the tree: catalogs, groups and disks are dragged and dropped onto
  // catalogs, groups and disks. The dragged item is the tree's selection, so the drag data only
  // marks a drag of this process's tree. When set, CanDropOn says whether the selection may be
  // dropped onto `target`, and DropOn moves it there (and announces the rows itself).
  std::function<bool(const TNodeRec* target)> CanDropOn;
  std::function<void(TNodeRec* target)> DropOn;
  // Rows of the main item list (mlView) dropped onto a catalog, group or disk: CanDropRowsOn
  // says whether the list's selected rows may go onto `target`, DropRowsOn moves them there, or
  // copies them for a drop with the copy action (Ctrl held).
  std::function<bool(const TNodeRec* target)> CanDropRowsOn;
  std::function<void(TNodeRec* target, bool copy)> DropRowsOn;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The store node an index stands for (nullptr for the invalid index, which is the root).
  TNodeRec* NodeOf(const QModelIndex& index) const;
  // The index of a container item of bdMain (invalid for the root, a file or nullptr).
  QModelIndex IndexOf(const TNodeRec* node) const;

  // Row changes under the store node `parent` (the store root for catalogs).
  void BeginInsert(const TNodeRec* parent, int first, int last);
  void EndInsert();
  void BeginRemove(const TNodeRec* parent, int first, int last);
  void EndRemove();
  // The text or image of the row of `node` changed.
  void RowChanged(const TNodeRec* node);
  // The editor's row reports (mainwin/EditHost.h): call with before = true from TreeChanging
  // and false from TreeChanged.
  void ApplyChange(const TTreeChange& change, bool before);

  // Replacing all rows below `node` in one store operation (a disk update): RemoveAllRows
  // announces the old rows as gone and reports none until InsertAllRows announces the new ones.
  void RemoveAllRows(const TNodeRec* node);
  void InsertAllRows(const TNodeRec* node);

  void SetAppearance(const QFont& font, const QColor& textColor);
  // How names that are not UTF-8 are decoded (must outlive the model); nullptr: as QStr does.
  void SetDecoders(const TCatalogDecoders* decoders) { decoders_ = decoders; }

 private:
  const TNodeRec* StoreNode(const QModelIndex& index) const;
  QModelIndex IndexOfParentNode(const TNodeRec* parent) const;

  TQDBase& bd_;
  const TNodeRec* hidden_ = nullptr;  // rows withheld between RemoveAllRows and InsertAllRows
  const TCatalogDecoders* decoders_ = nullptr;
  TRowAppearance appearance_;
};
