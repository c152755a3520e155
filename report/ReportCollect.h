// SPDX-License-Identifier: MIT
// The cells of a report and their collection: ReportCell gives the text of one item for one
// column id; CollectReportColumns walks the entries of a list once and gathers every checked
// column's lines, the column widths and the totals.
//
// Threads: any thread that may read the store and the language tables; nothing is changed, no
// cursor is moved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogText.h"
#include "report/ReportData.h"
#include "report/ReportTables.h"
#include "store/QDBase.h"

struct TReportCellText {
  std::string Text;
  bool MultiLine = false;  // a description: all its lines
};

// The cell of `item` for column `id` of `table`. Sizes are the short size with units when
// `formatSizes` (bdOpt 7.8) is on and always for catalogs, groups and disks, otherwise the byte
// count with digit groups; dates are "dd.mm.yyyy, hh:mm". An id the table lacks gives an empty
// cell. Category and location names are looked up without extending the catalog's lists.
TReportCellText ReportCell(const TNodeRec* item, TReportTable table, int id, bool formatSizes);
// The same for the item under the cursor of `bdMain`.
inline TReportCellText ReportCell(const TQDBase& bdMain, TReportTable table, int id,
                                  bool formatSizes) {
  return ReportCell(bdMain.CurrentNode(), table, id, formatSizes);
}

// The report of `entries` (items of bdMain in list order; nullptr placeholders are skipped) with
// the columns `ids` in report order (at most kMaxReportColumns are taken). A one-line cell is one
// line, a multi-line cell its description lines (split at CR, LF or CR LF; an empty description
// is one empty line). Texts that are not UTF-8 (catalogs from older systems) are decoded with the
// code page of the item's catalog (`decoders`, nullptr: DefaultCatalogDecoders()). The totals count
// the disks with their capacities, the folders (kinds 4 to 99) with their sizes and the files
// (kinds 100 to 199) with their sizes. Names (one-line cells) holding line breaks get spaces
// instead, so that they keep to one line.
TReportData CollectReportColumns(const std::vector<TNodeRec*>& entries, TReportTable table,
                                 const std::vector<int>& ids, bool formatSizes,
                                 const TCatalogDecoders* decoders = nullptr);

// Every column of `table` in logical order (a fresh column choice, all checked).
std::vector<int> AllReportColumns(TReportTable table);
