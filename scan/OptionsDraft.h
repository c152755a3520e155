// SPDX-License-Identifier: MIT
// The options dialog's working copies and what its buttons do to them, without the window.
//
// The dialog edits a TOptionsDraft: a copy of the options record, of the interface settings
// (node 14), of the enabled flags of the archive types (node 11) and of the description rule
// table (node 13, a store whose root holds the table's slots, see scan/DescRules.h). Nothing
// reaches the settings until ApplyOptionsDraft, which writes the edited options into
// TSettings::Options and the nodes of bdOpt and saves the settings image. Options the dialog does
// not show (the lists kept by other windows, the add-disk and report choices, the code pages)
// are left as the settings hold them.
//
// Threads: GUI thread only (it owns bdOpt).
#pragma once

#include <string>
#include <vector>

#include "app/Options.h"
#include "app/Settings.h"
#include "store/QDBase.h"

struct TOptionsDraft {
  TOptions Options;
  TInterfaceOptions Ui;
  std::vector<bool> ArchiveEnabled;  // archive type rows 1.. (index 0 is row 1)
  TQDBase DescRules;                 // copy of the rule table; its root holds the table's slots
};

// Fills `draft` from the settings: the record, node 14, the archive rows and a deep copy of node
// 13. The cursor of bdOpt is kept.
void LoadOptionsDraft(TSettings& settings, TOptionsDraft& draft);

// ---- the start-up catalog list ---------------------------------------------------------------

enum class TStartupAdd { Added, Missing, Duplicate };
// Appends `file` to `list` unless it does not exist as a file (Missing) or the list already
// holds it, compared without regard to letter case (Duplicate).
TStartupAdd AddStartupCatalog(std::vector<std::string>& list, const std::string& file);
// Removes entry `index` and returns the entry to select: the one that took its place, else the
// new last one (-1 when the list is empty). An index out of range changes nothing and returns it.
int DeleteStartupCatalog(std::vector<std::string>& list, int index);
// Exchanges entry `index` with its neighbour `delta` (-1 up, +1 down) and returns the entry's new
// index; at the ends (or out of range) nothing changes and `index` is returned.
int MoveStartupCatalog(std::vector<std::string>& list, int index, int delta);

// ---- the description rules --------------------------------------------------------------------

// Sets the enabled flag of every rule: list entry k is rule slot k + 1 of `table`.
void SetDescRulesEnabled(TQDBase& table, const std::vector<bool>& enabled);
// Exchanges the rule of list entry `entry` with its neighbour `delta` (-1 up, +1 down); the order
// is the rules' priority. Returns the entry's new index; at the ends nothing changes.
int MoveDescRule(TQDBase& table, int entry, int delta);

// ---- applying ---------------------------------------------------------------------------------

struct TOptionsApplied {
  // The typed catalog folder did not exist: the default folder was stored instead.
  bool CatalogFolderReplaced = false;
  bool LanguageChanged = false;  // 7.16 differs from what the settings held
  TError SaveError;              // writing the settings image failed (not shown to the user)
};

// Writes the draft into the settings and saves the image. The catalog folder must name an
// existing folder; otherwise the program folder's "Catalogs/" (created when missing) is stored,
// or the program folder itself when that cannot be made, and draft.Options.CatalogFolder is set
// to what was stored. The language file is stored as it is ("English.lng" when empty); loading
// the table is left to the caller. The cursor of bdOpt ends at the root.
TOptionsApplied ApplyOptionsDraft(TOptionsDraft& draft, TSettings& settings);
