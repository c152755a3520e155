// SPDX-License-Identifier: MIT
// The report title: its default for each source, the history of titles entered before (bdOpt
// node 10 slot 0, newest first) and the file name proposed for it.
//
// Threads: GUI thread (the language tables are read).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogText.h"
#include "report/ReportTables.h"
#include "store/QDBase.h"

// The most titles the history keeps; the title box holds one more item, the clear-history entry.
inline constexpr size_t kMaxReportTitles = 20;
// The longest title the title box accepts, in characters.
inline constexpr size_t kMaxReportTitleLength = 300;

// The title proposed when a source is chosen: text 12106 for the search results, 12110 for the
// user list; for the main window the kind text of `treeSelection` (file, catalog, group, disk,
// folder), a space and its name in double quotation marks, or empty when nothing is selected
// (nullptr). A name that is not UTF-8 is decoded with `decoders` (nullptr:
// DefaultCatalogDecoders()).
std::string DefaultReportTitle(TReportSource source, const TNodeRec* treeSelection,
                               const TCatalogDecoders* decoders = nullptr);

// Puts `title` at the front of `history` when it is not empty and no title of the history equals
// it with letter case ignored; the history then keeps its first kMaxReportTitles titles. True iff
// the title was added.
bool AddReportTitle(std::vector<std::string>& history, std::string_view title);

// The file name proposed in the save dialog: the title with every character below 32 and each of
// \ / : * ? " < > | replaced by "_".
std::string ReportFileNameProposal(std::string_view title);
