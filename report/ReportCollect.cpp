// SPDX-License-Identifier: MIT
// Collecting the report columns in one pass over the entries.
#include "report/ReportCollect.h"

#include <algorithm>

#include "catalog/CatalogLayout.h"
#include "report/ReportText.h"
#include "search/ItemTexts.h"

std::vector<int> AllReportColumns(TReportTable table) {
  std::vector<int> ids;
  for (int id = 0; id < ReportColumnCount(table); ++id) ids.push_back(id);
  return ids;
}

namespace {

void AddLine(TReportColumn& column, std::string line) {
  column.Width = std::max(column.Width, ReportTextLength(line));
  column.Lines.push_back(std::move(line));
}

void CountEntry(const TNodeRec* item, TReportTotals& t) {
  const TNodeRec* field = FieldNode(item);
  int kind = ItemKind(FieldInt(field, kFieldFlags));
  if (kind == ikDisk) {
    ++t.Disks;
    t.DiskBytes = SaturatingAdd(t.DiskBytes, FieldInt64(field, kHdrCapacity));
  } else if (kind >= ikFolder && kind < ikFile) {
    ++t.Folders;
    t.FolderBytes = SaturatingAdd(t.FolderBytes, FieldInt64(field, kFieldSize));
  } else if (kind >= ikFile && kind < 200) {
    ++t.Files;
    t.FileBytes = SaturatingAdd(t.FileBytes, FieldInt64(field, kFieldSize));
  }
}

}  // namespace

TReportData CollectReportColumns(const std::vector<TNodeRec*>& entries, TReportTable table,
                                 const std::vector<int>& ids, bool formatSizes,
                                 const TCatalogDecoders* decoders) {
  const TCatalogDecoders& dec = decoders ? *decoders : DefaultCatalogDecoders();
  TReportData data;
  size_t columns = std::min(ids.size(), static_cast<size_t>(kMaxReportColumns));
  for (size_t c = 0; c < columns; ++c) {
    TReportColumn col;
    col.Id = ids[c];
    col.Caption = ReportCaption(table, ids[c]);
    col.First.push_back(0);
    data.Columns.push_back(std::move(col));
  }
  for (TNodeRec* item : entries) {
    if (!item) continue;  // a placeholder of a released node
    for (auto& col : data.Columns) {
      TReportCellText cell = ReportCell(item, table, col.Id, formatSizes);
      // A path joins names of its own: each is decoded by itself, UTF-8 and legacy ones alike.
      bool path = (table == TReportTable::Found || table == TReportTable::UserList) && col.Id == 6;
      std::string text = path && TTextDecoder::NeedsDecoding(cell.Text) ? ItemPathText(item, dec)
                                                                        : dec.Text(item, cell.Text);
      if (cell.MultiLine) {
        col.MultiLine = true;
        for (auto& line : SplitReportLines(text)) AddLine(col, std::move(line));
      } else {
        // A name may hold line breaks (Linux allows them); they would break the
        // row apart.
        std::replace_if(
            text.begin(), text.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
        AddLine(col, std::move(text));
      }
      col.First.push_back(col.Lines.size());
    }
    CountEntry(item, data.Totals);
    ++data.Entries;
  }
  return data;
}
