// SPDX-License-Identifier: MIT
// The report sources and their column tables.
//
// A report lists the entries of one mark list of bdMain: the main window's item list (mlView),
// the search results (mlFound) or the user list (mlUserList). Each source has a table of columns
// whose ids are the tags (logical positions) of the columns of its list window; the main window
// has two tables, one for its disk layout (a catalog or group is selected) and one for its file
// layout (a disk, folder or archive is selected). The column choice of each table is kept in
// child `TReportTable` of bdOpt root slot 9 (report/ReportColumnSet.h).
//
// Threads: every function may be called from any thread that may read the language tables.
#pragma once

#include <string>

enum class TReportSource {
  MainWindow,     // rbSRC1: the main window's item list
  SearchResults,  // rbSRC2
  UserList,       // rbSRC3
};

// A column table; the value is the child of bdOpt root slot 9 that holds its column set.
enum class TReportTable {
  DiskView = 1,  // main window, disk layout
  FileView = 2,  // main window, file layout
  Found = 3,     // search results
  UserList = 4,  // user list (the columns of the search results)
};

// The largest number of columns a report handles.
inline constexpr int kMaxReportColumns = 20;

// The mark list of bdMain that a source reports: 0, 1 or 5.
int ReportMarkList(TReportSource source);

// The column table of a source; `diskLayout` tells whether the main item list shows its disk
// layout (only the main window has two).
TReportTable ReportTableOf(TReportSource source, bool diskLayout);

// The number of columns of a table: 9 (disk layout), 7 (file layout), 9 (search results, user
// list).
int ReportColumnCount(TReportTable table);

// The language text number of the caption of column `id`, or 0 for an id the table lacks.
int ReportCaptionNumber(TReportTable table, int id);

// The caption of column `id`; empty for an id the table lacks.
std::string ReportCaption(TReportTable table, int id);
