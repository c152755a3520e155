// SPDX-License-Identifier: MIT
#include "app/Options.h"

#include <iterator>

namespace {

// Node 7 slot by slot: which field of TOptions each slot holds. Options stored as 0/1 are bool
// fields (any non-zero value reads as on); modes are integers; folders and names are texts.
struct BoolField {
  int slot;
  bool TOptions::*field;
};
struct IntField {
  int slot;
  int32_t TOptions::*field;
};
struct StrField {
  int slot;
  std::string TOptions::*field;
};

constexpr BoolField kBoolFields[] = {
    {kGenMinToTray, &TOptions::MinToTray},
    {kGenGridLines, &TOptions::GridLines},
    {kGenUseAltShell, &TOptions::UseAltShell},
    {kGenUpLine, &TOptions::UpLine},
    {kGenFormatSizes, &TOptions::FormatSizes},
    {kGenAutoExpand, &TOptions::AutoExpand},
    {kGenImportDescriptions, &TOptions::ImportDescriptions},
    {kGenWrapDescriptions, &TOptions::WrapDescriptions},
    {kGenSaveAllAtExit, &TOptions::SaveAllAtExit},
    {kGenDblClickGoTo, &TOptions::DblClickGoTo},
    {kGenSaveAfterScan, &TOptions::SaveAfterScan},
    {kGenEjectAfterScan, &TOptions::EjectAfterScan},
    {kGenRedisplayAfterScan, &TOptions::RedisplayAfterScan},
    {kGenScanArchives, &TOptions::ScanArchives},
    {kGenBackupCopies, &TOptions::BackupCopies},
    {kGenExpandOnOpen, &TOptions::ExpandOnOpen},
    {kGenAdjustColumns, &TOptions::AdjustColumns},
    {kGenAskDiskDescription, &TOptions::AskDiskDescription},
};

constexpr IntField kIntFields[] = {
    {kGenStartupMode, &TOptions::StartupMode},
    {kGenDblClick, &TOptions::DblClickAction},
    {kGenAltDblClick, &TOptions::AltDblClickAction},
    {kGenUpdateDescMode, &TOptions::UpdateDescMode},
};

constexpr StrField kStrFields[] = {
    {kGenCatalogFolder, &TOptions::CatalogFolder},   {kGenAltShell, &TOptions::AltShell},
    {kGenLastCopyFolder, &TOptions::LastCopyFolder}, {kGenLanguageFile, &TOptions::LanguageFile},
    {kGenReportFolder, &TOptions::ReportFolder},
};

static_assert(std::size(kBoolFields) + std::size(kIntFields) + std::size(kStrFields) == kGenSlots,
              "every slot of node 7 has its field");

bool IsEmptyNode(const TNodeRec* node) { return node == nullptr || node->SlotCount == 0; }

void ReadFont(const TNodeRec* node, TFontOption& font) {
  font.Name = OptStr(node, kFontName);
  font.Size = OptInt(node, kFontSize);
  font.Style = OptInt(node, kFontStyle);
  font.Color = OptInt(node, kFontColor);
}

// Writes colour and font into the child `part` of node 14 (the cursor is on node 14).
void WriteColorAndFont(TQDBase& store, int part, int32_t color, const TFontOption& font) {
  EnterOptNode(store, part);
  store.SetInt(kUiColor, color);
  EnterOptNode(store, kUiFont);
  store.SetStr(kFontName, font.Name);
  store.SetInt(kFontSize, font.Size);
  store.SetInt(kFontStyle, font.Style);
  store.SetInt(kFontColor, font.Color);
  store.Up();
  store.Up();
}

}  // namespace

// ---- slot helpers ----------------------------------------------------------------------------

int32_t OptInt(const TNodeRec* node, int slot) {
  if (!node || NodeSlotType(node, slot) != stInteger) return 0;
  return NodeGetInt(node, slot);
}

std::string OptStr(const TNodeRec* node, int slot) {
  if (!node || NodeSlotType(node, slot) != stString) return {};
  return std::string(NodeGetStr(node, slot));
}

TNodeRec* OptNode(const TQDBase& bdOpt, int rootSlot) {
  return NodeChild(bdOpt.RootNode(), rootSlot);
}

void EnterOptNode(TQDBase& store, int slot) {
  uint8_t t = store.SlotType(slot);
  if (t != stEmpty && t != stNode) store.ClearSlot(slot);
  store.EnterChild(slot);
}

// ---- string lists ----------------------------------------------------------------------------

std::vector<std::string> ReadStringList(const TNodeRec* node) {
  std::vector<std::string> list;
  if (!node) return list;
  for (int i = 0; i < node->SlotCount; ++i)
    if (NodeSlotType(node, i) == stString) list.emplace_back(NodeGetStr(node, i));
  return list;
}

void WriteStringList(TQDBase& store, const std::vector<std::string>& list) {
  while (store.SlotCount() > 0) store.DeleteSlot(store.SlotCount() - 1);
  for (size_t i = 0; i < list.size(); ++i) store.SetStr(static_cast<int>(i), list[i]);
}

std::vector<std::string> ReadRootStringList(const TQDBase& bdOpt, int rootSlot) {
  return ReadStringList(OptNode(bdOpt, rootSlot));
}

void WriteRootStringList(TQDBase& bdOpt, int rootSlot, const std::vector<std::string>& list) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, rootSlot);
  WriteStringList(bdOpt, list);
  bdOpt.GoToDepth(0);
}

// ---- defaults --------------------------------------------------------------------------------

void WriteGeneralDefaults(TQDBase& bdOpt) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptGeneral);
  if (bdOpt.SlotCount() == 0) {
    bdOpt.SetInt(kGenStartupMode, 1);
    bdOpt.SetInt(kGenUpLine, 1);
    bdOpt.SetInt(kGenDblClick, 1);
    bdOpt.SetInt(kGenAltDblClick, 2);
    bdOpt.SetInt(kGenImportDescriptions, 1);
    bdOpt.SetInt(kGenScanArchives, 1);
    bdOpt.SetInt(kGenAdjustColumns, 1);
  }
  bdOpt.GoToDepth(0);
}

void WriteInterfaceDefaults(TQDBase& bdOpt) {
  if (IsEmptyNode(OptNode(bdOpt, kOptInterface))) WriteInterfaceOptions(bdOpt, TInterfaceOptions{});
  bdOpt.GoToDepth(0);
}

void WriteReportDefaults(TQDBase& bdOpt) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptReport);
  if (bdOpt.SlotCount() == 0) {
    bdOpt.SetInt(kRepOpenAfterExport, 1);
    bdOpt.SetInt(kRepHideBorder, 1);
    bdOpt.SetInt(kRepShading, 1);
    bdOpt.SetInt(kRepReplaceSeparator, 1);
    bdOpt.SetStr(kRepReplacement, "_");
  }
  bdOpt.GoToDepth(0);
}

// ---- records ---------------------------------------------------------------------------------

void ReadGeneralOptions(const TQDBase& bdOpt, TOptions& options) {
  const TNodeRec* node = OptNode(bdOpt, kOptGeneral);
  for (const auto& f : kBoolFields) options.*f.field = OptInt(node, f.slot) != 0;
  for (const auto& f : kIntFields) options.*f.field = OptInt(node, f.slot);
  for (const auto& f : kStrFields) options.*f.field = OptStr(node, f.slot);
}

void WriteGeneralOptions(TQDBase& bdOpt, const TOptions& options) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptGeneral);
  for (const auto& f : kBoolFields) bdOpt.SetInt(f.slot, options.*f.field ? 1 : 0);
  for (const auto& f : kIntFields) bdOpt.SetInt(f.slot, options.*f.field);
  for (const auto& f : kStrFields) bdOpt.SetStr(f.slot, options.*f.field);
  bdOpt.GoToDepth(0);
}

void ReadReportOptions(const TQDBase& bdOpt, TReportOptions& report) {
  const TNodeRec* node = OptNode(bdOpt, kOptReport);
  report.TitleHistory = ReadStringList(node ? NodeChild(node, kRepTitleHistory) : nullptr);
  report.ReportType = OptInt(node, kRepType);
  report.OpenAfterExport = OptInt(node, kRepOpenAfterExport) != 0;
  report.HideBorder = OptInt(node, kRepHideBorder) != 0;
  report.Shading = OptInt(node, kRepShading) != 0;
  report.Separator = OptInt(node, kRepSeparator);
  report.ReplaceSeparator = OptInt(node, kRepReplaceSeparator) != 0;
  report.Replacement = OptStr(node, kRepReplacement);
}

void WriteReportOptions(TQDBase& bdOpt, const TReportOptions& report) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptReport);
  EnterOptNode(bdOpt, kRepTitleHistory);
  WriteStringList(bdOpt, report.TitleHistory);
  bdOpt.Up();
  bdOpt.SetInt(kRepType, report.ReportType);
  bdOpt.SetInt(kRepOpenAfterExport, report.OpenAfterExport ? 1 : 0);
  bdOpt.SetInt(kRepHideBorder, report.HideBorder ? 1 : 0);
  bdOpt.SetInt(kRepShading, report.Shading ? 1 : 0);
  bdOpt.SetInt(kRepSeparator, report.Separator);
  bdOpt.SetInt(kRepReplaceSeparator, report.ReplaceSeparator ? 1 : 0);
  bdOpt.SetStr(kRepReplacement, report.Replacement);
  bdOpt.GoToDepth(0);
}

TInterfaceOptions ReadInterfaceOptions(const TQDBase& bdOpt) {
  TInterfaceOptions ui;
  const TNodeRec* node = OptNode(bdOpt, kOptInterface);
  const TNodeRec* menu = node ? NodeChild(node, kUiMenu) : nullptr;
  const TNodeRec* list = node ? NodeChild(node, kUiList) : nullptr;
  const TNodeRec* tree = node ? NodeChild(node, kUiTree) : nullptr;
  ui.MenuStyle = OptInt(menu, kUiMenuStyle);
  ui.ListColor = OptInt(list, kUiColor);
  ReadFont(list ? NodeChild(list, kUiFont) : nullptr, ui.ListFont);
  ui.TreeColor = OptInt(tree, kUiColor);
  ReadFont(tree ? NodeChild(tree, kUiFont) : nullptr, ui.TreeFont);
  return ui;
}

void WriteInterfaceOptions(TQDBase& bdOpt, const TInterfaceOptions& ui) {
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptInterface);
  EnterOptNode(bdOpt, kUiMenu);
  bdOpt.SetInt(kUiMenuStyle, ui.MenuStyle);
  bdOpt.Up();
  WriteColorAndFont(bdOpt, kUiList, ui.ListColor, ui.ListFont);
  WriteColorAndFont(bdOpt, kUiTree, ui.TreeColor, ui.TreeFont);
  bdOpt.GoToDepth(0);
}

void ReadOptions(const TQDBase& bdOpt, TOptions& options) {
  options.MaskHistory = ReadRootStringList(bdOpt, kOptMaskHistory);
  options.RecentCatalogs = ReadRootStringList(bdOpt, kOptRecentCatalogs);
  options.OpenAtExit = ReadRootStringList(bdOpt, kOptOpenAtExit);
  options.StartupCatalogs = ReadRootStringList(bdOpt, kOptStartupCatalogs);
  ReadGeneralOptions(bdOpt, options);
  ReadReportOptions(bdOpt, options.Report);
  options.CodePages = ReadCodePageOptions(bdOpt);
}

void WriteOptions(TQDBase& bdOpt, const TOptions& options) {
  WriteRootStringList(bdOpt, kOptMaskHistory, options.MaskHistory);
  WriteRootStringList(bdOpt, kOptRecentCatalogs, options.RecentCatalogs);
  WriteRootStringList(bdOpt, kOptOpenAtExit, options.OpenAtExit);
  WriteRootStringList(bdOpt, kOptStartupCatalogs, options.StartupCatalogs);
  WriteGeneralOptions(bdOpt, options);
  WriteReportOptions(bdOpt, options.Report);
  WriteCodePageOptions(bdOpt, options.CodePages);
}

// ---- code pages --------------------------------------------------------------------------------

std::string LanguageCodePage(std::string_view languageFile) {
  std::string lower;
  for (char c : languageFile) lower += (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  return lower == "russian.lng" ? "WINDOWS-1251" : "WINDOWS-1252";
}

std::string CatalogCodePage(const TCodePageOptions& pages, std::string_view languageFile,
                            std::string_view catalogFile) {
  for (const auto& [file, page] : pages.Catalogs)
    if (file == catalogFile && !page.empty()) return page;
  return pages.Program.empty() ? LanguageCodePage(languageFile) : pages.Program;
}

void SetCatalogCodePage(TCodePageOptions& pages, const std::string& catalogFile,
                        const std::string& page) {
  auto& list = pages.Catalogs;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->first == catalogFile) {
      if (page.empty())
        list.erase(it);
      else
        it->second = page;
      return;
    }
  if (!page.empty()) list.emplace_back(catalogFile, page);
}

TCodePageOptions ReadCodePageOptions(const TQDBase& bdOpt) {
  TCodePageOptions pages;
  const TNodeRec* node = OptNode(bdOpt, kOptCodePages);
  if (!node) return pages;
  pages.Program = OptStr(node, kCpProgram);
  for (int k = 1; k < node->SlotCount; ++k) {
    const TNodeRec* entry = NodeChild(node, k);
    std::string file = OptStr(entry, kCpCatalogFile), page = OptStr(entry, kCpCatalogPage);
    if (entry && !file.empty() && !page.empty()) pages.Catalogs.emplace_back(file, page);
  }
  return pages;
}

void WriteCodePageOptions(TQDBase& bdOpt, const TCodePageOptions& pages) {
  bdOpt.GoToDepth(0);
  bool exists = bdOpt.SlotCount() > kOptCodePages && bdOpt.SlotType(kOptCodePages) != stEmpty;
  if (!exists && pages == TCodePageOptions{}) return;
  EnterOptNode(bdOpt, kOptCodePages);
  while (bdOpt.SlotCount() > 0) bdOpt.DeleteSlot(bdOpt.SlotCount() - 1);
  bdOpt.SetStr(kCpProgram, pages.Program);
  int k = 1;
  for (const auto& [file, page] : pages.Catalogs) {
    bdOpt.ChildSetStr(k, kCpCatalogFile, file);
    bdOpt.ChildSetStr(k, kCpCatalogPage, page);
    ++k;
  }
  bdOpt.GoToDepth(0);
}
