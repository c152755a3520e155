// SPDX-License-Identifier: MIT
// The export of the report dialog and the report files of tolvane-cli.
#include "report/ReportExport.h"

#include <filesystem>

#include "app/Options.h"
#include "catalog/CatalogLayout.h"
#include "report/ReportCollect.h"
#include "report/ReportTitle.h"

TReportDialogState OpenReportDialog(TQDBase& bdOpt, const TOptions& options, TReportSource source,
                                    bool diskLayout, const TNodeRec* treeSelection) {
  TReportDialogState state;
  state.Type = options.Report.ReportType;
  state.OpenAfterExport = options.Report.OpenAfterExport;
  ChooseReportSource(bdOpt, state, source, diskLayout, treeSelection);
  return state;
}

void ChooseReportSource(TQDBase& bdOpt, TReportDialogState& state, TReportSource source,
                        bool diskLayout, const TNodeRec* treeSelection) {
  state.Source = source;
  state.DiskLayout = diskLayout;
  state.Columns = FillColumnList(bdOpt, ReportTableOf(source, diskLayout));
  state.Title = DefaultReportTitle(source, treeSelection);
}

void CloseReportDialog(TQDBase& bdOpt, TOptions& options, const TReportDialogState& state) {
  StoreColumnChecks(bdOpt, ReportTableOf(state.Source, state.DiskLayout), state.Columns);
  options.Report.ReportType = state.Type;
  options.Report.OpenAfterExport = state.OpenAfterExport;
}

bool ExportReport(TQDBase& bdMain, TQDBase& bdOpt, TOptions& options, TReportDialogState& state,
                  TReportUi& ui, TReportStamp stamp, const TCatalogDecoders* decoders) {
  if (state.Type != kReportHtml && state.Type != kReportTextFile && state.Type != kReportClipboard)
    return false;
  AddReportTitle(options.Report.TitleHistory, state.Title);

  TReportTable table = ReportTableOf(state.Source, state.DiskLayout);
  std::string path;
  if (state.Type != kReportClipboard) {
    bool html = state.Type == kReportHtml;
    std::string proposed = ReportFileNameProposal(state.Title);
    if (!ui.ChooseReportFile(
            options.ReportFolder, proposed, html ? ".htm" : ".txt",
            html ? "HTML files (*.htm;*.html)|*.htm;*.html" : "TXT files (*.txt)|*.txt", path))
      return false;
  }

  StoreColumnChecks(bdOpt, table, state.Columns);
  if (!path.empty()) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty()) options.ReportFolder = folder + "/";
  }

  stamp.Title = state.Title;
  int list = ReportMarkList(state.Source);
  std::vector<TNodeRec*> entries;
  if (list < bdMain.MarkListCount()) entries = bdMain.MarkList(list);
  TReportData data = CollectReportColumns(entries, table, CheckedReportColumns(state.Columns),
                                          options.FormatSizes, decoders);
  if (state.Type == kReportClipboard) {
    ui.PutOnClipboard(ReportClipboardText(data, stamp));
    return true;
  }
  TError error = state.Type == kReportHtml ? WriteHtmlReport(path, data, stamp, options.Report)
                                           : WriteTextReport(path, data, stamp, options.Report);
  if (error.Failed()) {
    ui.ShowReportError(error.Message());
    return false;
  }
  std::error_code ec;
  if (ReportRunEnabled(state.Type) && state.OpenAfterExport && std::filesystem::exists(path, ec))
    ui.OpenReport(path);
  return true;
}

bool ParseReportFormat(std::string_view name, TReportFileFormat& format) {
  if (name == "html") {
    format = {true, 0};
  } else if (name == "txt") {
    format = {false, 0};
  } else if (name == "txt-tab") {
    format = {false, 1};
  } else if (name == "txt-comma") {
    format = {false, 2};
  } else {
    return false;
  }
  return true;
}

TError WriteReportFile(const std::string& path, const std::vector<TNodeRec*>& entries,
                       TReportTable table, const std::vector<int>& ids,
                       const TReportFileFormat& format, const TReportStamp& stamp,
                       TReportOptions options, bool formatSizes, const TCatalogDecoders* decoders) {
  TReportData data = CollectReportColumns(entries, table, ids, formatSizes, decoders);
  if (format.Html) return WriteHtmlReport(path, data, stamp, options);
  options.Separator = format.Separator;
  return WriteTextReport(path, data, stamp, options);
}

TError WriteContainerReport(const std::string& path, const TNodeRec* container,
                            const TReportFileFormat& format, const TReportStamp& stamp,
                            bool formatSizes, const TCatalogDecoders* decoders) {
  int kind = ItemKindOf(container);
  TReportTable table =
      ReportTableOf(TReportSource::MainWindow, kind == ikCatalog || kind == ikGroup);
  std::vector<TNodeRec*> items;
  for (int i = 1; container && i < container->SlotCount; ++i)
    if (TNodeRec* item = NodeChild(container, i)) items.push_back(item);
  return WriteReportFile(path, items, table, AllReportColumns(table), format, stamp,
                         TReportOptions{}, formatSizes, decoders);
}

TError WriteSearchReport(const std::string& path, const std::vector<TNodeRec*>& results,
                         const TReportFileFormat& format, const TReportStamp& stamp,
                         const TCatalogDecoders* decoders) {
  return WriteReportFile(path, results, TReportTable::Found, AllReportColumns(TReportTable::Found),
                         format, stamp, TReportOptions{}, false, decoders);
}
