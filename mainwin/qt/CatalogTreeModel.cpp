// SPDX-License-Identifier: MIT
#include "mainwin/qt/CatalogTreeModel.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMimeData>
#include <map>
#include <utility>

#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/ItemListModel.h"

namespace {

// The icon of a tree row: its image, and its selected image in the Selected mode (an open
// folder while a folder is selected).
QIcon RowIcon(int image, int selectedImage) {
  static std::map<std::pair<int, int>, QIcon> cache;
  auto key = std::make_pair(image, selectedImage);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  QIcon normal = TreeIcon(image);
  QIcon icon = normal;
  if (selectedImage != image) {
    QIcon selected = TreeIcon(selectedImage);
    icon = QIcon();
    for (int size : {16, 20, 24, 32}) {
      icon.addPixmap(normal.pixmap(size, size), QIcon::Normal);
      icon.addPixmap(selected.pixmap(size, size), QIcon::Selected);
    }
  }
  cache.emplace(key, icon);
  return icon;
}

}  // namespace

TCatalogTreeModel::TCatalogTreeModel(TQDBase& bdMain, QObject* parent)
    : QAbstractItemModel(parent), bd_(bdMain) {}

const TNodeRec* TCatalogTreeModel::StoreNode(const QModelIndex& index) const {
  return index.isValid() ? static_cast<const TNodeRec*>(index.internalPointer()) : bd_.RootNode();
}

TNodeRec* TCatalogTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TNodeRec*>(index.internalPointer()) : nullptr;
}

QModelIndex TCatalogTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return QModelIndex();
  const TNodeRec* p = StoreNode(parent);
  if (p == hidden_) return QModelIndex();
  TNodeRec* node = TreeRowNode(p, row);
  if (!node || !IsContainer(node)) return QModelIndex();
  return createIndex(row, 0, node);
}

QModelIndex TCatalogTreeModel::parent(const QModelIndex& child) const {
  const TNodeRec* node = NodeOf(child);
  if (!node) return QModelIndex();
  return IndexOfParentNode(node->Parent);
}

QModelIndex TCatalogTreeModel::IndexOfParentNode(const TNodeRec* parent) const {
  if (!parent || parent == bd_.RootNode()) return QModelIndex();
  int row = TreeRowOf(parent);
  if (row < 0) return QModelIndex();
  return createIndex(row, 0, const_cast<TNodeRec*>(parent));
}

QModelIndex TCatalogTreeModel::IndexOf(const TNodeRec* node) const {
  if (!node || node == bd_.RootNode() || !IsContainer(node)) return QModelIndex();
  int row = TreeRowOf(node);
  if (row < 0) return QModelIndex();
  return createIndex(row, 0, const_cast<TNodeRec*>(node));
}

int TCatalogTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const TNodeRec* p = StoreNode(parent);
  if (p == hidden_) return 0;
  return TreeRowCount(p);
}

int TCatalogTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TCatalogTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant TCatalogTreeModel::data(const QModelIndex& index, int role) const {
  const TNodeRec* node = NodeOf(index);
  if (!node) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
      return decoders_ ? QStr(decoders_->Text(node, ItemName(node))) : QStr(ItemName(node));
    case Qt::DecorationRole:
      return RowIcon(TreeImageIndex(node, false), TreeImageIndex(node, true));
    case Qt::FontRole:
    case Qt::ForegroundRole:
      return appearance_.ForRole(role);
    default:
      break;
  }
  return QVariant();
}

Qt::ItemFlags TCatalogTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  int kind = ItemKind(ItemFlagsOf(NodeOf(index)));
  if (kind >= ikCatalog && kind <= ikDisk) {
    if (OnRename) f |= Qt::ItemIsEditable;
    if (DropOn) f |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  }
  return f;
}

namespace {
const QString kTreeDragMime = QStringLiteral("application/x-tolvane-tree-drag");
QByteArray DragMark() { return QByteArray::number(QCoreApplication::applicationPid()); }
}  // namespace

QStringList TCatalogTreeModel::mimeTypes() const {
  return {kTreeDragMime, TItemListModel::ListDragMimeType()};
}

QMimeData* TCatalogTreeModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kTreeDragMime, DragMark());
  return data;
}

bool TCatalogTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                        const QModelIndex& parent) const {
  if (ListDragList(data) == mlView) {
    if (row != -1 || !parent.isValid() || !CanDropRowsOn || !DropRowsOn) return false;
    return CanDropRowsOn(NodeOf(parent));
  }
  // Only onto an item (not between rows), only a drag of this process's tree.
  if (!data || !data->hasFormat(kTreeDragMime) || data->data(kTreeDragMime) != DragMark())
    return false;
  if (row != -1 || !parent.isValid() || !CanDropOn || !DropOn) return false;
  return CanDropOn(NodeOf(parent));
}

bool TCatalogTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                     int column, const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  if (ListDragList(data) == mlView) {
    DropRowsOn(NodeOf(parent), action == Qt::CopyAction);
    return false;
  }
  DropOn(NodeOf(parent));
  // The move is done and announced; false keeps the view from removing the source rows itself.
  return false;
}

bool TCatalogTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !OnRename || !(flags(index) & Qt::ItemIsEditable)) return false;
  OnRename(NodeOf(index), value.toString());
  return true;
}

void TCatalogTreeModel::BeginInsert(const TNodeRec* parent, int first, int last) {
  beginInsertRows(IndexOfParentNode(parent), first, last);
}

void TCatalogTreeModel::EndInsert() { endInsertRows(); }

void TCatalogTreeModel::BeginRemove(const TNodeRec* parent, int first, int last) {
  beginRemoveRows(IndexOfParentNode(parent), first, last);
}

void TCatalogTreeModel::EndRemove() { endRemoveRows(); }

void TCatalogTreeModel::RowChanged(const TNodeRec* node) {
  QModelIndex i = IndexOf(node);
  if (i.isValid()) emit dataChanged(i, i);
}

void TCatalogTreeModel::ApplyChange(const TTreeChange& change, bool before) {
  using K = TTreeChange::TKind;
  QModelIndex parent = IndexOfParentNode(change.Parent);
  switch (change.Kind) {
    case K::Insert:
      if (before)
        beginInsertRows(parent, change.First, change.First + change.Count - 1);
      else
        endInsertRows();
      break;
    case K::Remove:
      if (before)
        beginRemoveRows(parent, change.First, change.First + change.Count - 1);
      else
        endRemoveRows();
      break;
    case K::Move:
      if (before)
        beginMoveRows(parent, change.First, change.First, parent, change.QtDestChild());
      else
        endMoveRows();
      break;
    case K::Update:
      if (!before) {
        QModelIndex i = index(change.First, 0, parent);
        if (i.isValid()) emit dataChanged(i, i);
      }
      break;
    case K::Rebuild:
      // The rows below Parent were reordered at every depth: the nodes stay, only their rows
      // change, so the persistent indexes are carried to their nodes' new rows.
      if (before) {
        emit layoutAboutToBeChanged();
      } else {
        const QModelIndexList old = persistentIndexList();
        QModelIndexList now;
        now.reserve(old.size());
        for (const QModelIndex& i : old) now.append(IndexOf(NodeOf(i)));
        changePersistentIndexList(old, now);
        emit layoutChanged();
      }
      break;
  }
}

void TCatalogTreeModel::RemoveAllRows(const TNodeRec* node) {
  int rows = TreeRowCount(node);
  if (rows > 0) {
    beginRemoveRows(IndexOf(node), 0, rows - 1);
    hidden_ = node;
    endRemoveRows();
  } else {
    hidden_ = node;
  }
}

void TCatalogTreeModel::InsertAllRows(const TNodeRec* node) {
  int rows = TreeRowCount(node);
  if (rows > 0) {
    beginInsertRows(IndexOf(node), 0, rows - 1);
    hidden_ = nullptr;
    endInsertRows();
  } else {
    hidden_ = nullptr;
  }
  RowChanged(node);
}

void TCatalogTreeModel::SetAppearance(const QFont& font, const QColor& textColor) {
  appearance_.Set(font, textColor);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}
