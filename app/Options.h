// SPDX-License-Identifier: MIT
// The layout of the settings store `bdOpt` and the option records read from it.
//
// `bdOpt` is a TQDBase whose root holds one node per group of settings (the kOpt... slots
// below; app/SETTINGS.md lists them all). The options the windows read most are also kept in
// plain records: `TOptions` (the four string lists of root slots 3 to 6, every option of node 7
// and the report options) and `TReportOptions` (node 10). Reading copies the store into a record;
// writing copies the record back. The interface settings of node 14 have their own record
// `TInterfaceOptions`.
//
// Reading is tolerant: a slot of the wrong type reads as 0 or the empty text, a node that is not
// there reads as empty. Writing replaces a wrong-typed slot where a node belongs by an empty node.
// Reads never move the cursor; writes leave it at the root of the store.
//
// Threads: the GUI thread owns `bdOpt`; the scanner's worker reads it only while the GUI thread
// sits in the scan's modal loop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/QDBase.h"

// ---- root slots of bdOpt ---------------------------------------------------------------------
inline constexpr int kOptDiskColumns = 0;       // column layout: main list, groups and disks
inline constexpr int kOptFileColumns = 1;       // column layout: main list, folders and files
inline constexpr int kOptFindColumns = 2;       // column layout: search results
inline constexpr int kOptMaskHistory = 3;       // string list: search masks entered before
inline constexpr int kOptRecentCatalogs = 4;    // string list: recent catalog files
inline constexpr int kOptOpenAtExit = 5;        // string list: catalogs open at the last exit
inline constexpr int kOptStartupCatalogs = 6;   // string list: start-up catalogs
inline constexpr int kOptGeneral = 7;           // general options (kGen...)
inline constexpr int kOptUnused = 8;            // not used; kept as found
inline constexpr int kOptReportColumns = 9;     // report column sets (kRepCols...)
inline constexpr int kOptReport = 10;           // report options (kRep...)
inline constexpr int kOptArchiveTypes = 11;     // archive types listed while scanning
inline constexpr int kOptFind = 12;             // search window options (kFind...)
inline constexpr int kOptDescRules = 13;        // description-import rules
inline constexpr int kOptInterface = 14;        // menu style, colours, fonts (kUi...)
inline constexpr int kOptUserListColumns = 15;  // column layout: user-list window
inline constexpr int kOptRootSlots = 16;
// Root slot 16, after the slots every settings file has: the legacy code pages of catalog texts.
// Made only once there is a choice to keep, so a settings file without one keeps its bytes.
inline constexpr int kOptCodePages = 16;

// ---- node 16: legacy code pages --------------------------------------------------------------
inline constexpr int kCpProgram = 0;  // stString: the program's page; "" follows the language
// Slots 1..: a node per catalog with a page of its own:
inline constexpr int kCpCatalogFile = 0;  // stString: the catalog file's full path
inline constexpr int kCpCatalogPage = 1;  // stString: its page

// ---- node 7: general options (stInteger 0/1 unless noted) -------------------------------------
inline constexpr int kGenMinToTray = 0;
inline constexpr int kGenGridLines = 1;
inline constexpr int kGenStartupMode = 2;    // 0 nothing, 1 reopen last, 2 start-up list
inline constexpr int kGenCatalogFolder = 3;  // stString
inline constexpr int kGenAltShell = 4;       // stString: program template
inline constexpr int kGenUseAltShell = 5;
inline constexpr int kGenLastCopyFolder = 6;  // stString
inline constexpr int kGenUpLine = 7;
inline constexpr int kGenFormatSizes = 8;
inline constexpr int kGenDblClick = 9;      // 0 nothing, 1 properties, 2 run, 3 shell
inline constexpr int kGenAltDblClick = 10;  // same values, Alt held
inline constexpr int kGenAutoExpand = 11;
inline constexpr int kGenImportDescriptions = 12;
inline constexpr int kGenWrapDescriptions = 13;
inline constexpr int kGenSaveAllAtExit = 14;
inline constexpr int kGenUpdateDescMode = 15;  // 0/1 keep, 2 replace, 3 delete all
inline constexpr int kGenLanguageFile = 16;    // stString
inline constexpr int kGenDblClickGoTo = 17;
inline constexpr int kGenSaveAfterScan = 18;
inline constexpr int kGenEjectAfterScan = 19;
inline constexpr int kGenRedisplayAfterScan = 20;
inline constexpr int kGenReportFolder = 21;  // stString
inline constexpr int kGenScanArchives = 22;
inline constexpr int kGenBackupCopies = 23;
inline constexpr int kGenExpandOnOpen = 24;
inline constexpr int kGenAdjustColumns = 25;
inline constexpr int kGenAskDiskDescription = 26;
inline constexpr int kGenSlots = 27;

// ---- node 10: report options -----------------------------------------------------------------
inline constexpr int kRepTitleHistory = 0;  // stNode: string list, newest first
inline constexpr int kRepType = 1;          // 0 HTML, 1 text file, 2 clipboard
inline constexpr int kRepOpenAfterExport = 2;
inline constexpr int kRepHideBorder = 3;
inline constexpr int kRepShading = 4;
inline constexpr int kRepSeparator = 5;  // 0 spaces, 1 TAB, 2 comma
inline constexpr int kRepReplaceSeparator = 6;
inline constexpr int kRepReplacement = 7;  // stString

// ---- node 9: report column sets, one child per source ------------------------------------------
inline constexpr int kRepColsDiskView = 1;
inline constexpr int kRepColsFileView = 2;
inline constexpr int kRepColsFound = 3;
inline constexpr int kRepColsUserList = 4;
// A column set's children 1..n-1 are its columns in report order, each holding:
inline constexpr int kRepColId = 0;
inline constexpr int kRepColChecked = 1;

// ---- node 12: search window options ----------------------------------------------------------
inline constexpr int kFindInNames = 0;
inline constexpr int kFindInDescriptions = 1;
inline constexpr int kFindInArchives = 2;
inline constexpr int kFindStopAtLimit = 3;
inline constexpr int kFindStopCount = 4;

// ---- column layout record (root slots 0, 1, 2, 15)
// -----------------------------------------------
inline constexpr int kColTable = 0;  // stNode: slot 2c width, 2c+1 display position
inline constexpr int kColSortColumn = 1;
inline constexpr int kColSortDescending = 2;  // 0 ascending, otherwise descending

// ---- node 14: interface ----------------------------------------------------------------------
inline constexpr int kUiMenu = 0;       // node: slot 0 menu style 0..3
inline constexpr int kUiList = 1;       // node: slot 0 colour, slot 1 font node
inline constexpr int kUiTree = 2;       // node: slot 0 colour, slot 1 font node
inline constexpr int kUiMenuStyle = 0;  // in kUiMenu
inline constexpr int kUiColor = 0;      // in kUiList / kUiTree
inline constexpr int kUiFont = 1;       // in kUiList / kUiTree
// A font node:
inline constexpr int kFontName = 0;   // stString
inline constexpr int kFontSize = 1;   // points
inline constexpr int kFontStyle = 2;  // 1 bold, 2 italic, 4 underline, 8 strike-out
inline constexpr int kFontColor = 3;

// Colours are platform colour values: red in bits 0-7, green in 8-15, blue in 16-23.
inline constexpr int32_t kDefaultListColor = 16314087;  // red 231, green 238, blue 248
inline constexpr int32_t kDefaultTreeColor = 15983062;  // red 214, green 225, blue 243

inline constexpr const char* kDefaultLanguageFile = "English.lng";

// The report options (node 10). The member defaults are those written into an empty node 10.
struct TReportOptions {
  std::vector<std::string> TitleHistory;  // report titles entered before, newest first
  int32_t ReportType = 0;                 // 0 HTML, 1 text file, 2 clipboard
  bool OpenAfterExport = true;
  bool HideBorder = true;
  bool Shading = true;
  int32_t Separator = 0;  // 0 align with spaces, 1 TAB, 2 comma
  bool ReplaceSeparator = true;
  std::string Replacement = "_";

  bool operator==(const TReportOptions&) const = default;
};

// The code pages that decode catalog texts which are not UTF-8 (node 16).
struct TCodePageOptions {
  std::string Program;  // "" follows the language (LanguageCodePage)
  std::vector<std::pair<std::string, std::string>> Catalogs;  // catalog file, page

  bool operator==(const TCodePageOptions&) const = default;
};

// The legacy code page that goes with a language file: Windows-1251 for "Russian.lng",
// Windows-1252 for every other.
std::string LanguageCodePage(std::string_view languageFile);
// The page of the catalog saved as `catalogFile`: its own choice, else the program's, else the
// language's.
std::string CatalogCodePage(const TCodePageOptions& pages, std::string_view languageFile,
                            std::string_view catalogFile);
// Sets (or, with an empty page, removes) the choice of one catalog file.
void SetCatalogCodePage(TCodePageOptions& pages, const std::string& catalogFile,
                        const std::string& page);

// The options record. Member defaults are the values of a fresh settings store, except the two
// folders, which depend on the program folder and are filled in by loading.
struct TOptions {
  // Root slots 3 to 6.
  std::vector<std::string> MaskHistory;
  std::vector<std::string> RecentCatalogs;  // at most 10, most recent first
  std::vector<std::string> OpenAtExit;
  std::vector<std::string> StartupCatalogs;

  // Node 7, in slot order.
  bool MinToTray = false;
  bool GridLines = false;
  int32_t StartupMode = 1;
  std::string CatalogFolder;
  std::string AltShell;
  bool UseAltShell = false;
  std::string LastCopyFolder;
  bool UpLine = true;
  bool FormatSizes = false;
  int32_t DblClickAction = 1;
  int32_t AltDblClickAction = 2;
  bool AutoExpand = false;
  bool ImportDescriptions = true;
  bool WrapDescriptions = false;
  bool SaveAllAtExit = false;
  int32_t UpdateDescMode = 0;
  std::string LanguageFile = kDefaultLanguageFile;
  bool DblClickGoTo = false;
  bool SaveAfterScan = false;
  bool EjectAfterScan = false;
  bool RedisplayAfterScan = false;
  std::string ReportFolder;
  bool ScanArchives = true;
  bool BackupCopies = false;
  bool ExpandOnOpen = false;
  bool AdjustColumns = true;
  bool AskDiskDescription = false;

  // Node 10.
  TReportOptions Report;

  // Node 16.
  TCodePageOptions CodePages;

  bool operator==(const TOptions&) const = default;
};

// A font of node 14.
struct TFontOption {
  std::string Name = "Arial";
  int32_t Size = 8;
  int32_t Style = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out
  int32_t Color = 0;

  bool operator==(const TFontOption&) const = default;
};

// The interface settings (node 14). Member defaults are the values written into an empty node.
struct TInterfaceOptions {
  int32_t MenuStyle = 1;
  int32_t ListColor = kDefaultListColor;
  TFontOption ListFont;
  int32_t TreeColor = kDefaultTreeColor;
  TFontOption TreeFont;

  bool operator==(const TInterfaceOptions&) const = default;
};

// ---- slot helpers ----------------------------------------------------------------------------

// The integer at `slot` of `node`; 0 when the node is null or the slot holds anything else.
int32_t OptInt(const TNodeRec* node, int slot);
// The text at `slot` of `node`; empty when the node is null or the slot holds anything else.
std::string OptStr(const TNodeRec* node, int slot);
// The child node at `slot` of the root of `bdOpt`, or nullptr.
TNodeRec* OptNode(const TQDBase& bdOpt, int rootSlot);
// Enters the child at `slot` of Current, first replacing a value that is not a node by an empty
// node, so that a settings file with a wrong-typed slot never makes EnterChild throw.
void EnterOptNode(TQDBase& store, int slot);

// ---- string lists ----------------------------------------------------------------------------

// Every stString slot of `node`, in slot order; other slots are skipped. Empty for nullptr.
std::vector<std::string> ReadStringList(const TNodeRec* node);
// Deletes every slot of Current, then writes the strings from slot 0.
void WriteStringList(TQDBase& store, const std::vector<std::string>& list);
// The string list of the root slot `rootSlot` of bdOpt (3, 4, 5, 6).
std::vector<std::string> ReadRootStringList(const TQDBase& bdOpt, int rootSlot);
void WriteRootStringList(TQDBase& bdOpt, int rootSlot, const std::vector<std::string>& list);

// ---- defaults --------------------------------------------------------------------------------

// When node 7 has no slots, writes 7.2 = 1, 7.7 = 1, 7.9 = 1, 7.10 = 2, 7.12 = 1, 7.22 = 1 and
// 7.25 = 1. A node 7 with any slot keeps what it has: missing options read as 0 or empty.
void WriteGeneralDefaults(TQDBase& bdOpt);
// When node 14 has no slots, writes the defaults of TInterfaceOptions.
void WriteInterfaceDefaults(TQDBase& bdOpt);
// When node 10 has no slots, writes 10.2 = 1, 10.3 = 1, 10.4 = 1, 10.6 = 1 and 10.7 = "_".
void WriteReportDefaults(TQDBase& bdOpt);

// ---- records ---------------------------------------------------------------------------------

// Node 7 into the node-7 fields of `options` (the lists and the report options are untouched).
void ReadGeneralOptions(const TQDBase& bdOpt, TOptions& options);
// Every node-7 field of `options` into its slot of node 7; other slots of node 7 are kept.
void WriteGeneralOptions(TQDBase& bdOpt, const TOptions& options);

// Node 10 (slot 0 the title history, slots 1 to 7 the settings) into `report`.
void ReadReportOptions(const TQDBase& bdOpt, TReportOptions& report);
void WriteReportOptions(TQDBase& bdOpt, const TReportOptions& report);

// Node 14.
TInterfaceOptions ReadInterfaceOptions(const TQDBase& bdOpt);
void WriteInterfaceOptions(TQDBase& bdOpt, const TInterfaceOptions& ui);

// Node 16. Writing makes node 16 only when `pages` holds a choice; an existing node is rewritten.
TCodePageOptions ReadCodePageOptions(const TQDBase& bdOpt);
void WriteCodePageOptions(TQDBase& bdOpt, const TCodePageOptions& pages);

// The whole record: root slots 3 to 6, node 7, node 10 and node 16.
void ReadOptions(const TQDBase& bdOpt, TOptions& options);
void WriteOptions(TQDBase& bdOpt, const TOptions& options);
