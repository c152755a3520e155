// SPDX-License-Identifier: MIT
// The cell texts of a report.
#include "app/SizeTexts.h"
#include "catalog/ItemLabels.h"
#include "platform/DateTime.h"
#include "platform/FileNames.h"
#include "catalog/CatalogLayout.h"
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

}  // namespace

TReportCellText ReportCell(const TNodeRec* item, TReportTable table, int id, bool formatSizes) {
  if (!item) return {};
  const TNodeRec* field = FieldNode(item);
  int kind = ItemKind(FieldInt(field, kFieldFlags));
  switch (table) {
    case TReportTable::DiskView:
      switch (id) {
        case 0:
          return {std::string(FieldStr(field, kFieldName))};
        case 1:
          return {DiskTypeText(ItemDiskType(item))};
        case 2:
          return {std::string(FieldStr(field, kDiskLabel))};
        case 3:
          return {SizeByOption(FieldInt64(field, kFieldSize), kind, formatSizes)};
        case 4:
          if (kind != ikGroup && kind != ikDisk) return {};
          return {SizeByOption(FieldInt64(field, kHdrFree), kind, formatSizes)};
        case 5:
          return {FormatDateTime(FieldFloat(field, kFieldChanged))};
        case 6:
          return Description(field);
        case 7:
          return {std::string(ItemCategoryName(item))};
        case 8:
          return {std::string(ItemLocationName(item))};
      }
      return {};
    case TReportTable::FileView:
      switch (id) {
        case 0:
          return {ShownName(item)};
        case 1:
          return {ShownExt(item)};
        case 2:
          return {SizeByOption(FieldInt64(field, kFieldSize), kind, formatSizes)};
        case 3:
          return {FormatDateTime(FieldFloat(field, kFieldChanged))};
        case 4:
          return {AttributeLetters(FieldInt(field, kFieldFlags))};
        case 5:
          return Description(field);
        case 6:
          return {std::string(ItemCategoryName(item))};
      }
      return {};
    case TReportTable::Found:
    case TReportTable::UserList:
      switch (id) {
        case 0:
          return {ShownName(item)};
        case 1:
          return {ShownExt(item)};
        case 2:
          return {SizeByOption(FieldInt64(field, kFieldSize), kind, formatSizes)};
        case 3:
          return {FormatDateTime(FieldFloat(field, kFieldChanged))};
        case 4:
          return {std::string(ItemDiskName(item))};
        case 5:
          return {DiskTypeText(ItemDiskType(item))};
        case 6:
          return {ItemPath(item)};
        case 7:
          return Description(field);
        case 8:
          return {std::string(ItemCategoryName(item))};
      }
      return {};
  }
  return {};
}
