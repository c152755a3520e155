// SPDX-License-Identifier: MIT
// The report title, its history and the proposed file name.
#include "report/ReportTitle.h"

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "platform/Collate.h"
#include "platform/FileNames.h"

std::string DefaultReportTitle(TReportSource source, const TNodeRec* treeSelection,
                               const TCatalogDecoders* decoders) {
  switch (source) {
    case TReportSource::SearchResults:
      return LangText(12106);
    case TReportSource::UserList:
      return LangText(12110);
    case TReportSource::MainWindow:
      break;
  }
  if (!treeSelection) return {};
  std::string title = KindText(ItemFlagsOf(treeSelection));
  title += " \"";
  const TCatalogDecoders& d = decoders ? *decoders : DefaultCatalogDecoders();
  title += d.Text(treeSelection, ItemName(treeSelection));
  title += '"';
  return title;
}

bool AddReportTitle(std::vector<std::string>& history, std::string_view title) {
  if (title.empty()) return false;
  for (const auto& t : history)
    if (AnsiSameText(t, title)) return false;
  history.insert(history.begin(), std::string(title));
  if (history.size() > kMaxReportTitles) history.resize(kMaxReportTitles);
  return true;
}

std::string ReportFileNameProposal(std::string_view title) { return SafeFileName(title); }
