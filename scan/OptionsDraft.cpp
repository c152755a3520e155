// SPDX-License-Identifier: MIT
#include "scan/OptionsDraft.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "archive/ArchiveTypes.h"
#include "platform/Collate.h"
#include "scan/DescRules.h"
#include "store/CursorGuard.h"

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), ec);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

}  // namespace

void LoadOptionsDraft(TSettings& settings, TOptionsDraft& draft) {
  TQDBase& bdOpt = settings.bdOpt;
  draft.Options = settings.Options;
  draft.Ui = ReadInterfaceOptions(bdOpt);
  draft.ArchiveEnabled.clear();
  for (const TArchiveTypeRow& row : ReadArchiveTypes(bdOpt))
    draft.ArchiveEnabled.push_back(row.Enabled);
  TCursorBack back(bdOpt);
  draft.DescRules.Clear();
  draft.DescRules.GoToDepth(0);
  if (TNodeRec* table = NodeChild(bdOpt.RootNode(), kOptDescRules)) {
    bdOpt.GoToNode(table);
    draft.DescRules.AppendFrom(bdOpt);
  }
}

// ---- the start-up catalog list ---------------------------------------------------------------

TStartupAdd AddStartupCatalog(std::vector<std::string>& list, const std::string& file) {
  if (!IsFile(file)) return TStartupAdd::Missing;
  for (const std::string& entry : list)
    if (AnsiSameText(entry, file)) return TStartupAdd::Duplicate;
  list.push_back(file);
  return TStartupAdd::Added;
}

int DeleteStartupCatalog(std::vector<std::string>& list, int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) return index;
  list.erase(list.begin() + index);
  const int count = static_cast<int>(list.size());
  return index < count ? index : count - 1;
}

int MoveStartupCatalog(std::vector<std::string>& list, int index, int delta) {
  const int to = index + delta;
  const int count = static_cast<int>(list.size());
  if (index < 0 || index >= count || to < 0 || to >= count) return index;
  std::swap(list[index], list[to]);
  return to;
}

// ---- the description rules --------------------------------------------------------------------

void SetDescRulesEnabled(TQDBase& table, const std::vector<bool>& enabled) {
  for (size_t k = 0; k < enabled.size(); ++k) {
    const int slot = static_cast<int>(k) + 1;
    table.GoToDepth(0);
    if (!NodeChild(table.RootNode(), slot)) continue;
    table.EnterChild(slot);
    table.SetInt(rsEnabled, enabled[k] ? 1 : 0);
  }
  table.GoToDepth(0);
}

int MoveDescRule(TQDBase& table, int entry, int delta) {
  table.GoToDepth(0);
  const int rules = table.SlotCount() - 1;
  const int to = entry + delta;
  if (entry < 0 || entry >= rules || to < 0 || to >= rules) return entry;
  table.ExchangeSlots(entry + 1, to + 1);
  return to;
}

// ---- applying ---------------------------------------------------------------------------------

TOptionsApplied ApplyOptionsDraft(TOptionsDraft& draft, TSettings& settings) {
  TOptionsApplied result;
  TOptions& d = draft.Options;
  TOptions& o = settings.Options;
  TQDBase& bdOpt = settings.bdOpt;

  // 1. Page 0: tray, start-up mode and list.
  o.MinToTray = d.MinToTray;
  o.StartupMode = d.StartupMode;
  o.StartupCatalogs = d.StartupCatalogs;

  // 2. The catalog folder must exist.
  if (!IsFolder(d.CatalogFolder)) {
    result.CatalogFolderReplaced = true;
    const std::string program = settings.Place().ProgramFolder;
    std::string fallback = program + "Catalogs/";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(fallback), ec);
    if (!IsFolder(fallback)) fallback = program;
    d.CatalogFolder = fallback;
  }
  o.CatalogFolder = d.CatalogFolder;

  // 3. The switches of pages 0 and 1.
  o.ExpandOnOpen = d.ExpandOnOpen;
  o.SaveAllAtExit = d.SaveAllAtExit;
  o.BackupCopies = d.BackupCopies;
  o.AltShell = d.AltShell;
  o.UseAltShell = d.UseAltShell;
  o.GridLines = d.GridLines;
  o.UpLine = d.UpLine;
  o.FormatSizes = d.FormatSizes;
  o.AdjustColumns = d.AdjustColumns;
  o.AutoExpand = d.AutoExpand;
  o.DblClickAction = d.DblClickAction;
  o.AltDblClickAction = d.AltDblClickAction;
  o.DblClickGoTo = d.DblClickGoTo;

  // 4. Archives.
  o.ScanArchives = d.ScanArchives;
  for (size_t k = 0; k < draft.ArchiveEnabled.size(); ++k)
    SetArchiveTypeEnabled(bdOpt, static_cast<int>(k) + 1, draft.ArchiveEnabled[k]);

  // 5. Description rules: node 13 becomes a copy of the working table.
  o.ImportDescriptions = d.ImportDescriptions;
  bdOpt.GoToDepth(0);
  EnterOptNode(bdOpt, kOptDescRules);
  while (bdOpt.SlotCount() > 0) bdOpt.DeleteSlot(bdOpt.SlotCount() - 1);
  draft.DescRules.GoToDepth(0);
  bdOpt.AppendFrom(draft.DescRules);
  bdOpt.GoToDepth(0);

  // 6. Interface.
  WriteInterfaceOptions(bdOpt, draft.Ui);

  // 7. Language.
  std::string language =
      d.LanguageFile.empty() ? std::string(kDefaultLanguageFile) : d.LanguageFile;
  result.LanguageChanged = language != o.LanguageFile;
  o.LanguageFile = language;

  // 8. The record into node 7 and the image to the file.
  WriteGeneralOptions(bdOpt, o);
  result.SaveError = settings.Save();
  bdOpt.GoToDepth(0);
  return result;
}
