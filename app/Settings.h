// SPDX-License-Identifier: MIT
// The settings store: `bdOpt` with the options record, loaded from and saved to `bdOpt.dat`.
//
// `bdOpt.dat` is a node-store image (store/IMAGE_FORMAT.md) of the root of `bdOpt`, signature
// "Vrt opt". Its layout is in app/Options.h and app/SETTINGS.md. A missing or invalid file gives
// the defaults without a message. An invalid one (the image does not load) is first renamed to
// "bdOpt.dat.bad", so the next save does not destroy what may still be recovered from it. Saving
// writes a temporary file and renames it over `bdOpt.dat`, so a crash or a full disk during the
// save leaves the previous settings intact.
//
// Threads: GUI thread only (the scanner's worker reads `bdOpt` while the GUI thread waits).
#pragma once

#include <functional>
#include <string>

#include "app/Options.h"
#include "platform/Error.h"
#include "store/QDBase.h"

inline constexpr const char* kSettingsSignature = "Vrt opt";
inline constexpr const char* kSettingsFileName = "bdOpt.dat";
inline constexpr const char* kSettingsBadSuffix = ".bad";

// Where the settings live. Folders end in "/" (added when missing).
struct TSettingsPlace {
  std::string SettingsFile;    // full path of bdOpt.dat
  std::string ProgramFolder;   // where the default catalog folder "Catalogs/" is made
  std::string LanguageFolder;  // the folder of the "*.lng" files
};

// The tables that other parts of the program own inside `bdOpt`. Each hook, when set, is called
// once per load with the cursor at the root of `bdOpt`, after the defaults of nodes 7 and 14 are
// written, the string lists are read and the selected language is loaded, and before node 7 is
// read into the options record: first InitDescriptionRules (checks and completes node 13), then
// InitArchiveTypes (rewrites the names and masks of node 11). The cursor may be left anywhere.
struct TSettingsHooks {
  std::function<void(TQDBase&)> InitDescriptionRules;
  std::function<void(TQDBase&)> InitArchiveTypes;
};

// What a load found.
enum class TSettingsSource {
  File,        // bdOpt.dat was read and loaded
  NoFile,      // there was no bdOpt.dat: defaults
  Unreadable,  // bdOpt.dat exists but could not be read: defaults, the file is left alone
  Corrupt,     // bdOpt.dat is not a valid image: defaults, the file renamed to bdOpt.dat.bad
};

struct TSettingsLoadResult {
  TSettingsSource Source = TSettingsSource::NoFile;
  std::string Reason;    // read error or image failure; empty for File and NoFile
  std::string SetAside;  // path the corrupt file was renamed to; empty when not renamed
};

class TSettings {
 public:
  TQDBase bdOpt;
  TOptions Options;

  // Loads the settings:
  //  1. Clears bdOpt and loads bdOpt.dat into it when the file exists (failures: see above).
  //  2. Writes the defaults of node 7 and node 14 into them when they have no slots; a node root
  //     slot that holds anything but a node is first replaced by an empty node.
  //  3. Reads the string lists of root slots 3 to 6 into Options.
  //  4. Loads the selected language table from LanguageFolder + 7.16; when it does not count as
  //     loaded (or 7.16 is not a plain file name), 7.16 becomes "English.lng".
  //  5. Calls the hooks (TSettingsHooks).
  //  6. Reads node 7 into Options; an empty catalog folder becomes ProgramFolder + "Catalogs/"
  //     (the folder is created, failure ignored); an empty report folder becomes the catalog
  //     folder.
  //  7. Writes the defaults of node 10 when it has no slots and reads it into Options.Report.
  // Never throws for anything found in the file (exceptions of the hooks pass through). The
  // cursor ends at the root.
  TSettingsLoadResult Load(const TSettingsPlace& place, const TSettingsHooks& hooks = {});

  // Writes Options into bdOpt (root slots 3 to 6, node 7, node 10) and the image of the whole
  // store to the settings file, atomically. Fails with the error text. The other
  // nodes reach the file as their owners left them. The cursor ends at the root.
  TError Save();

  const TSettingsPlace& Place() const { return place_; }

 private:
  TSettingsPlace place_;
};

// The selected language rule on its own: loads LangTable(TLangKind::Selected) from
// `languageFolder` + 7.16 of bdOpt and resets 7.16 to "English.lng" when the table does not count
// as loaded. A name that is not a plain file name (empty, ".", "..", or holding "/" or a NUL) is
// not opened and is reset as well, so the setting can never make the program read a device or a
// file outside the language folder. Leaves the cursor at the root.
void LoadSelectedLanguage(TQDBase& bdOpt, const std::string& languageFolder);
