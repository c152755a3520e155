// SPDX-License-Identifier: MIT
#include "app/Settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/Language.h"
#include "platform/FileIO.h"

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Every root slot the program enters must be a node (or empty, EnterChild then makes one). A
// file written with another value there would make the first EnterChild throw during start-up;
// such a value is dropped so its owner starts afresh. Slot 8 is not used and is kept as found.
void RepairRootSlots(TQDBase& bdOpt) {
  bdOpt.GoToDepth(0);
  for (int slot = 0; slot < kOptRootSlots && slot < bdOpt.SlotCount(); ++slot) {
    if (slot == kOptUnused) continue;
    uint8_t t = bdOpt.SlotType(slot);
    if (t != stEmpty && t != stNode) bdOpt.ClearSlot(slot);
  }
}

// Reads and loads the settings file into the (cleared) store.
TSettingsLoadResult LoadImageFile(TQDBase& bdOpt, const std::string& path) {
  TSettingsLoadResult result;
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
    result.Source = TSettingsSource::NoFile;
    return result;
  }
  std::string image;
  TError err = ReadWholeFile(path, image, kMaxImageSize);
  if (err.Failed()) {
    // Possibly a passing fault (permissions, I/O): the file is left where it is.
    result.Source = TSettingsSource::Unreadable;
    result.Reason = err.Message();
    return result;
  }
  if (bdOpt.LoadFromString(image)) {
    result.Source = TSettingsSource::File;
    return result;
  }
  bdOpt.Clear();  // an image of up to 48 bytes leaves the store as it was: it was empty
  result.Source = TSettingsSource::Corrupt;
  result.Reason =
      bdOpt.LoadFailure().empty() ? std::string("invalid settings image") : bdOpt.LoadFailure();
  std::string aside = path + kSettingsBadSuffix;
  if (std::rename(path.c_str(), aside.c_str()) == 0) {
    result.SetAside = aside;
  } else {
    result.Reason += "; could not rename it: ";
    result.Reason += std::strerror(errno);
  }
  return result;
}

}  // namespace

void LoadSelectedLanguage(TQDBase& bdOpt, const std::string& languageFolder) {
  TLangTable& selected = LangTable(TLangKind::Selected);
  std::string name = OptStr(OptNode(bdOpt, kOptGeneral), kGenLanguageFile);
  if (IsPlainFileName(name))
    selected.LoadFromFile(WithSlash(languageFolder) + name);
  else
    selected.Clear();
  if (!selected.Loaded()) {
    // The table keeps whatever it read; lookups fall back to English for the rest.
    bdOpt.GoToDepth(0);
    EnterOptNode(bdOpt, kOptGeneral);
    bdOpt.SetStr(kGenLanguageFile, kDefaultLanguageFile);
  }
  bdOpt.GoToDepth(0);
}

TSettingsLoadResult TSettings::Load(const TSettingsPlace& place, const TSettingsHooks& hooks) {
  place_ = place;
  place_.ProgramFolder = WithSlash(place_.ProgramFolder);
  place_.LanguageFolder = WithSlash(place_.LanguageFolder);

  bdOpt.Clear();
  TSettingsLoadResult result = LoadImageFile(bdOpt, place_.SettingsFile);
  RepairRootSlots(bdOpt);

  WriteGeneralDefaults(bdOpt);
  WriteInterfaceDefaults(bdOpt);

  Options.MaskHistory = ReadRootStringList(bdOpt, kOptMaskHistory);
  Options.RecentCatalogs = ReadRootStringList(bdOpt, kOptRecentCatalogs);
  Options.OpenAtExit = ReadRootStringList(bdOpt, kOptOpenAtExit);
  Options.StartupCatalogs = ReadRootStringList(bdOpt, kOptStartupCatalogs);

  LoadSelectedLanguage(bdOpt, place_.LanguageFolder);

  // The description rule table (node 13) and the archive type table (node 11) belong to the
  // scanner's parts; they check and complete their nodes here, before the options are read.
  if (hooks.InitDescriptionRules) {
    bdOpt.GoToDepth(0);
    hooks.InitDescriptionRules(bdOpt);
  }
  if (hooks.InitArchiveTypes) {
    bdOpt.GoToDepth(0);
    hooks.InitArchiveTypes(bdOpt);
  }
  bdOpt.GoToDepth(0);

  ReadGeneralOptions(bdOpt, Options);
  if (Options.CatalogFolder.empty()) {
    Options.CatalogFolder = place_.ProgramFolder + "Catalogs/";
    std::error_code ec;
    std::filesystem::create_directory(std::filesystem::path(place_.ProgramFolder + "Catalogs"), ec);
  }
  if (Options.ReportFolder.empty()) Options.ReportFolder = Options.CatalogFolder;
  EnterOptNode(bdOpt, kOptGeneral);
  bdOpt.SetStr(kGenCatalogFolder, Options.CatalogFolder);
  bdOpt.SetStr(kGenReportFolder, Options.ReportFolder);
  bdOpt.GoToDepth(0);

  WriteReportDefaults(bdOpt);
  ReadReportOptions(bdOpt, Options.Report);
  Options.CodePages = ReadCodePageOptions(bdOpt);
  return result;
}

TError TSettings::Save() {
  if (place_.SettingsFile.empty()) return TError::Failure("no settings file named");
  try {
    WriteOptions(bdOpt, Options);
    bdOpt.GoToDepth(0);
    bdOpt.Signature = kSettingsSignature;
    std::string image;
    bdOpt.SaveToString(image);
    return WriteWholeFileAtomic(place_.SettingsFile, image);
  } catch (const std::exception& e) {
    // The store refuses an image beyond its size limit; nothing was written.
    bdOpt.GoToDepth(0);
    return TError::Failure(e.what());
  }
}
