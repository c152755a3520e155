// SPDX-License-Identifier: MIT
// The column choice of the report dialog over bdOpt root slot 9.
#include "report/ReportColumnSet.h"

#include <algorithm>

#include "app/Options.h"

namespace {

// Moves the cursor of bdOpt to the column set of `table`, creating what is missing and replacing
// a slot that should be a node and is not. The caller has pushed the position.
void EnterColumnSet(TQDBase& bdOpt, TReportTable table) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptReportColumns);
  EnterOptNode(bdOpt, static_cast<int>(table));
}

// Enters child `slot` of the column set (replacing a non-node), as EnterOptNode does.
void EnterColumn(TQDBase& bdOpt, int slot) { EnterOptNode(bdOpt, slot); }

}  // namespace

void EnsureReportColumns(TQDBase& bdOpt, TReportTable table) {
  bdOpt.PushPos();
  EnterColumnSet(bdOpt, table);
  int count = ReportColumnCount(table);
  for (int c = std::max(bdOpt.SlotCount(), 1); c <= count; ++c) {
    bdOpt.NewChild(c);
    bdOpt.EnterChild(c);
    bdOpt.SetInt(kRepColId, c - 1);
    bdOpt.SetInt(kRepColChecked, 1);
    bdOpt.Up();
  }
  bdOpt.PopPos();
}

std::vector<TReportColumnEntry> FillColumnList(TQDBase& bdOpt, TReportTable table) {
  EnsureReportColumns(bdOpt, table);
  int count = ReportColumnCount(table);
  std::vector<TReportColumnEntry> entries;
  bdOpt.PushPos();
  EnterColumnSet(bdOpt, table);
  if (bdOpt.SlotCount() - 1 > count) {
    for (int c = bdOpt.SlotCount() - 1; c >= 1; --c) {
      int id = OptInt(NodeChild(bdOpt.CurrentNode(), c), kRepColId);
      if (id >= count) bdOpt.DeleteSlot(c);
    }
  }
  for (int c = 1; c < bdOpt.SlotCount(); ++c) {
    const TNodeRec* child = NodeChild(bdOpt.CurrentNode(), c);
    TReportColumnEntry e;
    e.Id = OptInt(child, kRepColId);
    e.Caption = ReportCaption(table, e.Id);
    if (ReportCaptionNumber(table, e.Id) == 0) e.Caption = ReportCaption(table, c - 1);
    e.Checked = OptInt(child, kRepColChecked) != 0;
    entries.push_back(std::move(e));
  }
  bdOpt.PopPos();
  return entries;
}

void StoreColumnChecks(TQDBase& bdOpt, TReportTable table,
                       const std::vector<TReportColumnEntry>& entries) {
  bdOpt.PushPos();
  EnterColumnSet(bdOpt, table);
  for (size_t i = 0; i < entries.size(); ++i) {
    EnterColumn(bdOpt, static_cast<int>(i) + 1);
    bdOpt.SetInt(kRepColChecked, entries[i].Checked ? 1 : 0);
    bdOpt.Up();
  }
  bdOpt.PopPos();
}

int MoveReportColumn(TQDBase& bdOpt, TReportTable table, std::vector<TReportColumnEntry>& entries,
                     int index, bool up) {
  int n = static_cast<int>(entries.size());
  if (index < 0 || index >= n || (up && index == 0) || (!up && index == n - 1)) return index;
  StoreColumnChecks(bdOpt, table, entries);
  int to = up ? index - 1 : index + 1;
  bdOpt.PushPos();
  EnterColumnSet(bdOpt, table);
  bdOpt.ExchangeSlots(index + 1, to + 1);
  bdOpt.PopPos();
  entries = FillColumnList(bdOpt, table);
  return to;
}

bool ColumnsFromList(TQDBase& bdOpt, TReportTable table, const TColumnLayout& layout,
                     std::vector<TReportColumnEntry>& entries) {
  int count = ReportColumnCount(table);
  if (static_cast<int>(entries.size()) != count || static_cast<int>(layout.Width.size()) != count ||
      static_cast<int>(layout.Position.size()) != count)
    return false;
  // The column shown at each display position; a layout whose positions are not a permutation
  // of the columns is not applied.
  std::vector<int> atPosition(static_cast<size_t>(count), -1);
  for (int c = 0; c < count; ++c) {
    int p = layout.Position[static_cast<size_t>(c)];
    if (p < 0 || p >= count || atPosition[static_cast<size_t>(p)] != -1) return false;
    atPosition[static_cast<size_t>(p)] = c;
  }
  bdOpt.PushPos();
  EnterColumnSet(bdOpt, table);
  for (int p = 0; p < count; ++p) {
    int c = atPosition[static_cast<size_t>(p)];
    EnterColumn(bdOpt, p + 1);
    bdOpt.SetInt(kRepColId, c);
    bdOpt.SetInt(kRepColChecked, layout.Width[static_cast<size_t>(c)] >= 2 ? 1 : 0);
    bdOpt.Up();
  }
  bdOpt.PopPos();
  entries = FillColumnList(bdOpt, table);
  return true;
}

void SetAllColumnChecks(std::vector<TReportColumnEntry>& entries, bool checked) {
  for (auto& e : entries) e.Checked = checked;
}

std::vector<int> CheckedReportColumns(const std::vector<TReportColumnEntry>& entries) {
  std::vector<int> ids;
  for (const auto& e : entries) {
    if (!e.Checked) continue;
    if (static_cast<int>(ids.size()) == kMaxReportColumns) break;
    ids.push_back(e.Id);
  }
  return ids;
}

bool ReportExportEnabled(const std::vector<TReportColumnEntry>& entries) {
  for (const auto& e : entries)
    if (e.Checked) return true;
  return false;
}
