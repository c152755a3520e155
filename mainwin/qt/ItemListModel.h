// SPDX-License-Identifier: MIT
// The item list of the main window: a virtual table over mark list mlView of bdMain. Row r shows
// entry r - p of mlView, where p is 1 when the parent row "[ . . ]" is shown; rows are formatted
// on request through the row cache (search/RowCache.h), so only painted rows cost anything.
//
// Two column layouts: the disk layout (catalog or group selected: nine columns) and the file
// layout (disk, folder or archive selected: seven columns). Each column is known by its index in
// its layout's table (dc... and fc... of search/ListSort.h), whatever position it is shown at.
//
// The same model serves the search window's results: a third layout of nine columns (rc... of
// search/ListSort.h) over another mark list (mlFound), without the parent row.
//
// Reading rows saves and restores bdMain's cursor. The owner clears the cache (ResetRows)
// whenever mlView is refilled, sorted or shortened.
//
// Threads: GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <functional>

#include "catalog/CatalogLayout.h"
#include "mainwin/qt/InterfaceStyle.h"
#include "search/RowCache.h"
#include "store/QDBase.h"

struct TListColumnDef;
class QMimeData;

// The mark list whose rows a drag of an item list of this process carries, or -1 for any other
// drag.
int ListDragList(const QMimeData* data);

class TItemListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TItemListModel(TQDBase& bdMain, QObject* parent = nullptr);
  // The results layout over mark list `resultList`.
  TItemListModel(TQDBase& bdMain, int resultList, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // In the disk layout the names of groups and disks are edited in place when OnRename is set;
  // it stores the name (through the catalog editor). The editor starts with the stored name.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  std::function<void(TNodeRec* item, const QString& typed)> OnRename;

  // Item rows can be dragged (to the catalog tree, to the user list) once SetDragRows is on.
  // The drag data names the mark list and this process only (ListDragList reads it back); the
  // rows dragged are the view's selected rows, which the receiver reads from the view.
  void SetDragRows(bool on) { dragRows_ = on; }
  QStringList mimeTypes() const override;
  static QString ListDragMimeType();
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

  // Switches between the disk layout and the file layout (columns are rebuilt).
  void SetDiskLayout(bool diskLayout);
  bool DiskLayout() const { return diskLayout_; }
  // The parent row is shown (row 0).
  void SetParentRow(bool shown);
  bool HasParentRow() const { return parentRow_; }
  // mlView was refilled, sorted or changed: the cache is cleared and every row re-read.
  void ResetRows();
  // The cache is cleared and the rows repainted; the row count is re-read from mlView.
  void RefreshRows();
  void SetAppearance(const QFont& font, const QColor& textColor);
  void SetFormattedSizes(bool formatted) { options_.FormattedSizes = formatted; }
  // How texts that are not UTF-8 are decoded (must outlive the model).
  void SetDecoders(const TCatalogDecoders* decoders) { options_.Decoders = decoders; }

  // The item behind row `row`, or nullptr for the parent row and rows out of range.
  TNodeRec* ItemAt(int row) const;
  // The row of entry `entry` of mlView.
  int RowOfEntry(int entry) const { return entry + (parentRow_ ? 1 : 0); }
  // The number of columns of a layout, its column captions, default widths and alignments.
  static int LayoutColumns(bool diskLayout);
  static QString ColumnCaption(bool diskLayout, int column);
  static int DefaultWidth(bool diskLayout, int column);
  static bool RightAligned(bool diskLayout, int column);
  static int ResultColumns();
  static QString ResultCaption(int column);
  static int ResultWidth(int column);

 private:
  // The row cache's node for list row `row` (built when missing); bdMain's cursor is kept.
  const TNodeRec* CachedRow(int row) const;
  const TListColumnDef& Def(int column) const;

  TQDBase& bd_;
  mutable TQDBase bdBuf_;  // the row cache
  mutable TRowCacheMemo memo_;
  TRowTextOptions options_;
  int list_ = mlView;
  bool results_ = false;
  bool diskLayout_ = true;
  bool parentRow_ = false;
  int rows_ = 0;  // marks of mlView plus the parent row, as last announced
  bool dragRows_ = false;
  TRowAppearance appearance_;
};
