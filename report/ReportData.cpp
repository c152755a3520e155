// SPDX-License-Identifier: MIT
// Row structure and totals line of the collected report data.
#include "report/ReportData.h"

#include "app/Language.h"
#include "app/SizeTexts.h"

size_t TReportData::RowLines(size_t i) const {
  for (const auto& c : Columns)
    if (c.MultiLine) return c.LineCount(i);
  return 1;
}

namespace {

void AppendPart(std::string& line, const std::string& label, int64_t count, int64_t bytes) {
  if (!line.empty()) line += "; ";
  line += label;
  line += ' ';
  line += FormatSizeBytes(count);
  line += " (";
  line += FormatSizeUnits(bytes);
  line += ')';
}

}  // namespace

std::string ReportTotalsLine(const TReportTotals& totals) {
  std::string line;
  if (totals.Disks > 0) AppendPart(line, LangText(12107), totals.Disks, totals.DiskBytes);
  if (totals.Folders > 0) AppendPart(line, LangText(12108), totals.Folders, totals.FolderBytes);
  if (totals.Files > 0 || line.empty())
    AppendPart(line, LangText(12109), totals.Files, totals.FileBytes);
  return line;
}
