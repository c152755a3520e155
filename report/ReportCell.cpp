// SPDX-License-Identifier: MIT
// The cell texts of a report.
#include "app/SizeTexts.h"
#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "platform/DateTime.h"
#include "platform/FileNames.h"
#include "report/ReportCollect.h"
#include "search/ItemTexts.h"

namespace {

// The size as the lists show it: with units when sizes are formatted and always
// for catalogs, groups and disks; otherwise the byte count with digit groups.
std::string SizeByOption(int64_t size, int kind, bool formatSizes) {
  if (formatSizes || (kind >= ikCatalog && kind <= ikDisk)) return FormatSizeUnits(size);
  return FormatSizeBytes(size);
}

// Name and extension as the file layout shows them: a container's whole name
// and no extension, a file's name without and its last extension.
std::string ShownName(const TNodeRec* item) {
  std::string_view name = ItemName(item);
  return IsContainer(item) ? std::string(name) : NameWithoutExt(name);
}
std::string ShownExt(const TNodeRec* item) {
  return IsContainer(item) ? std::string() : NameExt(ItemName(item));
}

TReportCellText Description(const TNodeRec* field) {
  return {std::string(FieldStr(field, kFieldDescription)), true};
}

// What a report column shows; the tables below give it for each column id.
// clang-format off
enum class TCellKind { None, Name, ShownName, Ext, DiskType, Label, Size, Free, Changed,
                       Attributes, DiskName, Path, Description, Category, Location };
// clang-format on

// The cells of the columns of each table, by column id.
constexpr TCellKind kDiskViewCells[] = {
    TCellKind::Name,        TCellKind::DiskType, TCellKind::Label,
    TCellKind::Size,        TCellKind::Free,     TCellKind::Changed,
    TCellKind::Description, TCellKind::Category, TCellKind::Location};
constexpr TCellKind kFileViewCells[] = {
    TCellKind::ShownName,  TCellKind::Ext,         TCellKind::Size,    TCellKind::Changed,
    TCellKind::Attributes, TCellKind::Description, TCellKind::Category};
constexpr TCellKind kFoundCells[] = {
    TCellKind::ShownName, TCellKind::Ext,         TCellKind::Size,
    TCellKind::Changed,   TCellKind::DiskName,    TCellKind::DiskType,
    TCellKind::Path,      TCellKind::Description, TCellKind::Category};

template <size_t N>
TCellKind CellAt(const TCellKind (&cells)[N], int id) {
  return id >= 0 && static_cast<size_t>(id) < N ? cells[id] : TCellKind::None;
}

TCellKind CellOf(TReportTable table, int id) {
  switch (table) {
    case TReportTable::DiskView:
      return CellAt(kDiskViewCells, id);
    case TReportTable::FileView:
      return CellAt(kFileViewCells, id);
    case TReportTable::Found:
    case TReportTable::UserList:
      return CellAt(kFoundCells, id);
  }
  return TCellKind::None;
}

}  // namespace

TReportCellText ReportCell(const TNodeRec* item, TReportTable table, int id, bool formatSizes) {
  if (!item) return {};
  const TNodeRec* field = FieldNode(item);
  int kind = ItemKind(FieldInt(field, kFieldFlags));
  switch (CellOf(table, id)) {
    case TCellKind::None:
      return {};
    case TCellKind::Name:
      return {std::string(FieldStr(field, kFieldName))};
    case TCellKind::ShownName:
      return {ShownName(item)};
    case TCellKind::Ext:
      return {ShownExt(item)};
    case TCellKind::DiskType:
      return {DiskTypeText(ItemDiskType(item))};
    case TCellKind::Label:
      return {std::string(FieldStr(field, kDiskLabel))};
    case TCellKind::Size:
      return {SizeByOption(FieldInt64(field, kFieldSize), kind, formatSizes)};
    case TCellKind::Free:
      if (kind != ikGroup && kind != ikDisk) return {};
      return {SizeByOption(FieldInt64(field, kHdrFree), kind, formatSizes)};
    case TCellKind::Changed:
      return {FormatDateTime(FieldFloat(field, kFieldChanged))};
    case TCellKind::Attributes:
      return {AttributeLetters(FieldInt(field, kFieldFlags))};
    case TCellKind::DiskName:
      return {std::string(ItemDiskName(item))};
    case TCellKind::Path:
      return {ItemPath(item)};
    case TCellKind::Description:
      return Description(field);
    case TCellKind::Category:
      return {std::string(ItemCategoryName(item))};
    case TCellKind::Location:
      return {std::string(ItemLocationName(item))};
  }
  return {};
}
