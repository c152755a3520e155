// SPDX-License-Identifier: MIT
// The collected contents of a report: per checked column the cell lines of every entry, the
// column widths, and the totals over the entries. Built by CollectReportColumns
// (report/ReportCollect.h), read by the HTML and text writers (report/ReportWriter.h).
//
// Threads: plain data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TReportColumn {
  int Id = 0;
  std::string Caption;
  bool MultiLine = false;          // the description column: an entry may have several lines
  std::vector<std::string> Lines;  // the cell lines of all entries, in entry order, UTF-8
  std::vector<size_t> First;       // First[i]: index in Lines of entry i's first line; one more
                                   // element than entries, the last being Lines.size()
  size_t Width = 0;                // the longest line, in characters

  size_t Entries() const { return First.empty() ? 0 : First.size() - 1; }
  // The number of lines of entry `i` (at least 1 for a collected column).
  size_t LineCount(size_t i) const { return First[i + 1] - First[i]; }
  const std::string& Line(size_t i, size_t k) const { return Lines[First[i] + k]; }
};

// Disks (kind 3) with the sum of their capacities, folders (kinds 4 to 99) with the sum of their
// sizes, files (kinds 100 to 199) with the sum of their sizes. Other kinds are not counted.
struct TReportTotals {
  int64_t Disks = 0, DiskBytes = 0;
  int64_t Folders = 0, FolderBytes = 0;
  int64_t Files = 0, FileBytes = 0;

  bool operator==(const TReportTotals&) const = default;
};

struct TReportData {
  std::vector<TReportColumn> Columns;  // the checked columns in report order
  size_t Entries = 0;                  // the number of reported entries (rows)
  TReportTotals Totals;

  // The lines of entry `i`: the line count of the multi-line column when one is reported, else 1.
  size_t RowLines(size_t i) const;
};

// The totals line: the parts joined by "; ": for disks text 12107, " ", the count with digit
// groups, " (", the short size of their sum, ")"; the same for folders with text 12108; for
// files with text 12109, written also when neither of the other two parts is.
std::string ReportTotalsLine(const TReportTotals& totals);
