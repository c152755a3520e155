// SPDX-License-Identifier: MIT
#include "mainwin/qt/ItemListModel.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMimeData>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "catalog/CatalogLayout.h"
#include "search/ItemTexts.h"
#include "search/ListSort.h"
#include "store/CursorGuard.h"

struct TListColumnDef {
  int Caption;  // language text
  int Width;
  bool Right;
  int Slot;  // row cache slot shown
};

namespace {

// The disk layout, by column index (dc...).
const TListColumnDef kDiskColumns[] = {
    {10101, 150, false, kRowName},        {10102, 100, false, kRowDiskType},
    {10103, 80, false, kRowLabel},        {10104, 80, true, kRowSize},
    {10106, 80, true, kRowFree},          {10107, 120, true, kRowDate},
    {10108, 200, false, kRowDescription}, {10115, 80, false, kRowCategory},
    {10116, 80, false, kRowLocation},
};
// The file layout, by column index (fc...).
const TListColumnDef kFileColumns[] = {
    {10109, 150, false, kRowName},      {10110, 40, false, kRowExtension},
    {10104, 80, true, kRowSize},        {10111, 120, true, kRowDate},
    {10112, 40, false, kRowAttributes}, {10108, 200, false, kRowDescription},
    {10115, 80, false, kRowCategory},
};

// The search results, by column index (rc...).
const TListColumnDef kResultColumns[] = {
    {10113, 150, false, kRowName},    {10110, 40, false, kRowExtension},
    {10104, 80, true, kRowSize},      {10111, 80, true, kRowDate},
    {10101, 80, false, kRowDiskName}, {10102, 100, false, kRowDiskType},
    {10114, 120, false, kRowPath},    {10108, 200, false, kRowDescription},
    {10115, 80, false, kRowCategory},
};

const TListColumnDef& Column(bool disk, int column) {
  return disk ? kDiskColumns[column] : kFileColumns[column];
}

// File icons by extension: the icon code of a file is its index in this table (below 1000000,
// where the container images begin).
std::vector<QIcon>& FileIcons() {
  static std::vector<QIcon> icons;
  return icons;
}

int FileIconCode(const TNodeRec* file) {
  static std::unordered_map<std::string, int> byExtension;
  std::string_view name = ItemName(file);
  std::string ext(NameExtension(name));
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  auto it = byExtension.find(ext);
  if (it != byExtension.end()) return it->second;
  FileIcons().push_back(FileIcon(name));
  int code = static_cast<int>(FileIcons().size()) - 1;
  byExtension.emplace(ext, code);
  return code;
}

QString ParentRowCaption() { return QStringLiteral("[ . . ]"); }

}  // namespace

TItemListModel::TItemListModel(TQDBase& bdMain, QObject* parent)
    : QAbstractTableModel(parent), bd_(bdMain) {
  options_.FileIcon = FileIconCode;
}

TItemListModel::TItemListModel(TQDBase& bdMain, int resultList, QObject* parent)
    : TItemListModel(bdMain, parent) {
  list_ = resultList;
  results_ = true;
}

int TItemListModel::ResultColumns() { return 9; }
QString TItemListModel::ResultCaption(int column) { return LangQ(kResultColumns[column].Caption); }
int TItemListModel::ResultWidth(int column) { return kResultColumns[column].Width; }

const TListColumnDef& TItemListModel::Def(int column) const {
  return results_ ? kResultColumns[column] : Column(diskLayout_, column);
}

int TItemListModel::LayoutColumns(bool diskLayout) { return diskLayout ? 9 : 7; }

QString TItemListModel::ColumnCaption(bool diskLayout, int column) {
  return LangQ(Column(diskLayout, column).Caption);
}

int TItemListModel::DefaultWidth(bool diskLayout, int column) {
  return Column(diskLayout, column).Width;
}

bool TItemListModel::RightAligned(bool diskLayout, int column) {
  return Column(diskLayout, column).Right;
}

int TItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TItemListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : results_ ? ResultColumns() : LayoutColumns(diskLayout_);
}

TNodeRec* TItemListModel::ItemAt(int row) const {
  int entry = row - (parentRow_ ? 1 : 0);
  if (entry < 0 || entry >= bd_.MarkCount(list_)) return nullptr;
  return bd_.MarkList(list_)[static_cast<size_t>(entry)];
}

const TNodeRec* TItemListModel::CachedRow(int row) const {
  TCursorBack back(bd_);
  CacheRow(bdBuf_, bd_, list_, row - (parentRow_ ? 1 : 0), memo_, options_);
  return bdBuf_.CurrentNode();
}

QVariant TItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return QVariant();
  int row = index.row();
  int column = index.column();
  bool parentRow = parentRow_ && row == 0;
  switch (role) {
    case Qt::EditRole:
      // The editor of a name starts with the stored name, not the shown one (no extension cut).
      if (parentRow || column != 0) return QVariant();
      if (TNodeRec* item = ItemAt(row)) return QStr(ItemName(item));
      return QVariant();
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      if (parentRow) return column == 0 ? ParentRowCaption() : QString();
      if (role == Qt::ToolTipRole && column != 0 && Def(column).Slot != kRowDescription)
        return QVariant();
      return QStr(NodeGetStr(CachedRow(row), Def(column).Slot));
    case Qt::DecorationRole: {
      if (column != 0) return QVariant();
      if (parentRow) return TreeIcon(7);
      int code = NodeGetInt(CachedRow(row), kRowIcon);
      if (code >= 1000000) return TreeIcon(code - 1000000);
      if (code >= 0 && code < static_cast<int>(FileIcons().size()))
        return FileIcons()[static_cast<size_t>(code)];
      return TreeIcon(0);
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignVCenter |
                                 (Def(column).Right ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::FontRole:
    case Qt::ForegroundRole:
      return appearance_.ForRole(role);
    default:
      break;
  }
  return QVariant();
}

QVariant TItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return QVariant();
  if (role == Qt::DisplayRole) return LangQ(Def(section).Caption);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignVCenter |
                               (Def(section).Right ? Qt::AlignRight : Qt::AlignLeft));
  return QVariant();
}

Qt::ItemFlags TItemListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.row() >= rows_) return f;
  TNodeRec* item = ItemAt(index.row());
  if (!item) return f;
  if (dragRows_) f |= Qt::ItemIsDragEnabled;
  int kind = ItemKindOf(item);
  if (OnRename && !results_ && diskLayout_ && index.column() == 0 &&
      (kind == ikGroup || kind == ikDisk))
    f |= Qt::ItemIsEditable;
  return f;
}

bool TItemListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  OnRename(ItemAt(index.row()), value.toString());
  return true;
}

namespace {
const QString kListDragMime = QStringLiteral("application/x-tolvane-list-drag");
}  // namespace

int ListDragList(const QMimeData* data) {
  if (!data || !data->hasFormat(kListDragMime)) return -1;
  QList<QByteArray> parts = data->data(kListDragMime).split(':');
  if (parts.size() != 2 || parts[0] != QByteArray::number(QCoreApplication::applicationPid()))
    return -1;
  bool ok = false;
  int list = parts[1].toInt(&ok);
  return ok ? list : -1;
}

QStringList TItemListModel::mimeTypes() const { return {kListDragMime}; }
QString TItemListModel::ListDragMimeType() { return kListDragMime; }

QMimeData* TItemListModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty() || !dragRows_) return nullptr;
  auto* data = new QMimeData;
  data->setData(kListDragMime, QByteArray::number(QCoreApplication::applicationPid()) + ':' +
                                   QByteArray::number(list_));
  return data;
}

void TItemListModel::SetDiskLayout(bool diskLayout) {
  if (diskLayout == diskLayout_) return;
  beginResetModel();
  diskLayout_ = diskLayout;
  bdBuf_.Clear();
  rows_ = bd_.MarkCount(list_) + (parentRow_ ? 1 : 0);
  endResetModel();
}

void TItemListModel::SetParentRow(bool shown) { parentRow_ = shown; }

void TItemListModel::ResetRows() {
  beginResetModel();
  bdBuf_.Clear();
  rows_ = bd_.MarkCount(list_) + (parentRow_ ? 1 : 0);
  endResetModel();
}

void TItemListModel::RefreshRows() {
  bdBuf_.Clear();
  int rows = bd_.MarkCount(list_) + (parentRow_ ? 1 : 0);
  if (rows != rows_) {
    ResetRows();
    return;
  }
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void TItemListModel::SetAppearance(const QFont& font, const QColor& textColor) {
  appearance_.Set(font, textColor);
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}
