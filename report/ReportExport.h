// SPDX-License-Identifier: MIT
// The export of the report dialog (TfmReport) as plain logic: title history, save dialog, column
// marks, the writer of the chosen type and opening the result, with the window system behind a
// small interface. Also the file-format names of tolvane-cli.
//
// Threads: GUI thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Options.h"
#include "catalog/CatalogText.h"
#include "platform/Error.h"
#include "report/ReportColumnSet.h"
#include "report/ReportWriter.h"
#include "store/QDBase.h"

// Report types (TReportOptions::ReportType, cbType).
inline constexpr int kReportHtml = 0;
inline constexpr int kReportTextFile = 1;
inline constexpr int kReportClipboard = 2;

// What the export asks of the window system.
class TReportUi {
 public:
  virtual ~TReportUi() = default;
  // The save dialog, starting in `folder` with the proposed `fileName`, the default extension
  // `extension` (".htm") and the filter `filter`. False when the user cancels.
  virtual bool ChooseReportFile(const std::string& folder, const std::string& fileName,
                                const std::string& extension, const std::string& filter,
                                std::string& chosen) = 0;
  // Shows why the report file could not be written.
  virtual void ShowReportError(const std::string& reason) = 0;
  // Replaces the clipboard's contents by `text` (plain text).
  virtual void PutOnClipboard(const std::string& text) = 0;
  // Opens a written report with the shell's "open" verb.
  virtual void OpenReport(const std::string& path) = 0;
};

// The state of the report dialog.
struct TReportDialogState {
  TReportSource Source = TReportSource::MainWindow;
  bool DiskLayout = false;  // the main item list shows its disk layout
  int Type = kReportHtml;   // -1 when no type is chosen
  std::string Title;
  bool OpenAfterExport = true;              // cbRun
  std::vector<TReportColumnEntry> Columns;  // lvCol
};

// On show: the type and the open-after-export mark from the settings, the column list of the
// source filled, the default title set (`treeSelection` is the main tree's selected node or
// nullptr).
TReportDialogState OpenReportDialog(TQDBase& bdOpt, const TOptions& options, TReportSource source,
                                    bool diskLayout, const TNodeRec* treeSelection);
// Choosing another source (or the main list's layout changed): the column list is refilled from
// that source's set without storing the marks of the previous one, and the default title set.
void ChooseReportSource(TQDBase& bdOpt, TReportDialogState& state, TReportSource source,
                        bool diskLayout, const TNodeRec* treeSelection);
// On close: the marks stored, the type and the open-after-export mark written into the options
// (the caller then saves the settings).
void CloseReportDialog(TQDBase& bdOpt, TOptions& options, const TReportDialogState& state);

// cbRun is enabled unless the type is the clipboard.
inline bool ReportRunEnabled(int type) { return type != kReportClipboard; }

// The export button (bkStart):
//  1. nothing happens without a type (0 HTML, 1 text file, 2 clipboard): false;
//  2. the title goes into the title history (options.Report.TitleHistory, AddReportTitle);
//  3. for a file the save dialog starts in options.ReportFolder proposing the title as a safe
//     file name; cancelling ends the export (false);
//  4. the column marks are stored into bdOpt; for a file options.ReportFolder becomes the chosen
//     file's folder;
//  5. the entries of the source's mark list are collected and written: HTML, text with the
//     separator of options.Report, or the aligned text to the clipboard;
//  6. a written file is opened when cbRun is enabled and checked.
// A write failure is shown through `ui` and nothing is opened (false). `stamp` gives the program
// title and the time; its title is replaced by state.Title.
// Texts that are not UTF-8 are decoded with `decoders` (nullptr: DefaultCatalogDecoders()).
bool ExportReport(TQDBase& bdMain, TQDBase& bdOpt, TOptions& options, TReportDialogState& state,
                  TReportUi& ui, TReportStamp stamp, const TCatalogDecoders* decoders = nullptr);

// A report file format of tolvane-cli: "html", "txt" (aligned), "txt-tab", "txt-comma".
struct TReportFileFormat {
  bool Html = true;
  int Separator = 0;  // for text: 0 aligned, 1 TAB, 2 comma
};
// False for an unknown name.
bool ParseReportFormat(std::string_view name, TReportFileFormat& format);

// Writes the report of `entries` with the columns `ids` of `table` to `path` in `format`, with the
// HTML options and the replacement of `options` (its separator is replaced by the format's).
// Fails with the error text.
TError WriteReportFile(const std::string& path, const std::vector<TNodeRec*>& entries,
                       TReportTable table, const std::vector<int>& ids,
                       const TReportFileFormat& format, const TReportStamp& stamp,
                       TReportOptions options, bool formatSizes,
                       const TCatalogDecoders* decoders = nullptr);

// The report of the main window's item list for `container` (a catalog, group, disk or folder)
// with every column, as tolvane-cli report writes it: a catalog or group in the disk layout,
// anything else in the file layout, the items in their stored order, the options of a fresh
// settings store.
TError WriteContainerReport(const std::string& path, const TNodeRec* container,
                            const TReportFileFormat& format, const TReportStamp& stamp,
                            bool formatSizes, const TCatalogDecoders* decoders = nullptr);

// The report of search results: every column of the search-results table, all checked; for
// `tolvane-cli find --report`.
TError WriteSearchReport(const std::string& path, const std::vector<TNodeRec*>& results,
                         const TReportFileFormat& format, const TReportStamp& stamp,
                         const TCatalogDecoders* decoders = nullptr);
