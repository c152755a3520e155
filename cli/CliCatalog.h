// SPDX-License-Identifier: MIT
// What the catalog commands of tolvane-cli share: a session holding bdMain with catalogs opened
// through the catalog-file core (messages printed on stderr, questions answered "no"), catalog
// paths ("Disk 1\Docs"), and the TSV row format that scripts and tests rely on:
//
//   path<TAB>kind<TAB>size<TAB>attributes<TAB>modified<TAB>category<TAB>description
//
// path: the names from the catalog's first level down, joined by "\", each name with TAB, LF, CR,
// NUL, "\" and "%" percent-encoded ("%09", "%0A", "%0D", "%00", "%5C", "%25"), so that "\" only
// ever separates names; kind: the kind text of English.lng; size: the plain byte count;
// attributes: the letters "drhsa"; modified: "dd.mm.yyyy, hh:mm"; category and description with
// CR LF written as "\n", other line ends, TAB, "\" and NUL escaped as "\r", "\n", "\t", "\\" and
// "\0". A row is thus always one line of seven fields. PATH arguments take the path column's form.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/CatalogFiles.h"
#include "catalog/CatalogText.h"
#include "store/QDBase.h"

// Answers every question of the catalog core on a terminal without asking: messages go to
// stderr, Yes/No questions get No, Yes/No/Cancel questions Cancel, save dialogs are refused.
class TCliCatalogUi : public TCatalogUi {
 public:
  void ShowMessage(int number, const std::string& arg, const std::string& text) override;
  TAnswer AskYesNoCancel(int number, const std::string& arg, const std::string& text) override;
  bool AskYesNo(int number, const std::string& arg, const std::string& text) override;
  // Prints the text and cancels the save.
  TChangedAnswer AskFileChanged(int number, const std::string& arg,
                                const std::string& text) override;
  bool ChooseSaveFileName(const std::string& proposed, const std::string& folder,
                          std::string& chosen) override;
  int Messages = 0;
};

// Whether a command only reads its catalogs or changes and saves them.
enum class TCliAccess { Read, Change };

// Which items a command takes at a PATH argument (nullptr: any item).
using TCliItemTest = bool (*)(const TNodeRec* item);

// A catalog a command opened and the item it names in it. After a failure, whose reason was
// printed, Item is nullptr.
struct TCliTarget {
  int Slot = -1;                // the catalog's root slot in bdMain
  TNodeRec* Catalog = nullptr;  // the catalog node
  TNodeRec* Item = nullptr;     // the item at the path; the catalog itself for ""
};

// bdMain, the language tables and the catalog-file core of one command run. A session for
// Change holds the writer's lock of every catalog it opens (FileLock.h) from before it reads the
// file until the command ends, so that two commands changing one catalog cannot lose each
// other's changes: the second waits a few seconds, then fails having changed nothing.
class TCliSession {
 public:
  explicit TCliSession(TCliAccess access = TCliAccess::Read);
  TQDBase bdMain;
  TCliCatalogUi Ui;
  std::vector<std::string> Recent, OpenAtExit;
  TCatalogFiles Files;

  // Opens `file` as the next catalog; its root slot, or -1 after printing the reason.
  int Open(const std::string& file);
  // Opens `file` as the next catalog: Item is the catalog itself.
  TCliTarget OpenCatalog(const std::string& file);
  // Opens `file` and finds the item at `path` in it as FindItemOrSay does.
  TCliTarget OpenItem(const char* command, const std::string& file, const std::string& path,
                      const char* what = "item", TCliItemTest accept = nullptr);
  // Opens `file`, or creates a new catalog named `name` (default: the file name without its
  // extension) that will be saved as `file` when it does not exist. Root slot, or -1.
  int OpenOrCreate(const std::string& file, const std::string& name);
  // For Change: takes the lock of `file`; false after printing the reason.
  bool LockForChange(const std::string& file);
  // Saves the catalog at `rootSlot` to its file (Save As to `file` for a new one). True on success.
  bool Save(int rootSlot, const std::string& file = {});

 private:
  TCliAccess access_;
};

// Loads the English table shipped in Language/ (beside the executable's source tree or installed
// data); called once by TCliSession.
void LoadCliLanguage();

// A name as the path column writes it: TAB, LF, CR, NUL, "\" and "%" as "%XX" (hex, upper case).
std::string EncodePathName(std::string_view name);
// The name a path component stands for: every "%XX" with two hex digits is the byte XX; any other
// text, a lone "%" too, stands for itself.
std::string DecodePathName(std::string_view text);

// ---- code pages
// Catalogs made on older systems hold names and descriptions in a legacy code page. Every text a
// command prints (the plain listing, TSV rows, paths, info, reports) is UTF-8: a stored text that
// is not valid UTF-8 is decoded with the code page of this run, "--codepage NAME" on any command
// that reads a catalog, else the program's setting (CliDefaultCodePage). Path arguments name
// items by their decoded names (their stored bytes match too).

// Takes every "--codepage NAME" and "--codepage=NAME" out of `args` (arguments after a "--" are
// left alone); the last one's page, as CodePageName gives it, goes into `page`, which is left
// alone without the option. False with `error` set for a missing value or an unknown page.
bool TakeCodePageOption(std::vector<std::string>& args, std::string& page, std::string& error);
// The program's legacy code page: the one chosen in the settings (bdOpt.dat of the settings
// folder), else the one of the selected language; Windows-1252 without settings. Per catalog file
// choices of the settings are added to `decoders` (SetForFile).
std::string CliDefaultCodePage(TCatalogDecoders* decoders = nullptr);
// How the commands of this run decode: set once by main before the command runs (from
// --codepage, else CliDefaultCodePage), read by every printing helper below.
void SetCliDecoders(TCatalogDecoders decoders);
const TCatalogDecoders& CliDecoders();

// The item at `path` ("Disk 1\Docs\a.txt", split at "\", each component decoded with
// DecodePathName, names compared case-insensitively as CliDecoders() shows them or as stored, ""
// for the catalog itself) below the catalog node `catalog`; nullptr when a component is missing.
TNodeRec* FindCatalogItem(TNodeRec* catalog, std::string_view path);

// The item at `path` below `catalog` (FindCatalogItem) when `accept` takes it (any item when
// `accept` is nullptr); otherwise nullptr after printing
// "tolvane-cli COMMAND: no WHAT "PATH" in the catalog" on stderr.
TNodeRec* FindItemOrSay(const char* command, TNodeRec* catalog, const std::string& path,
                        const char* what = "item", TCliItemTest accept = nullptr);

// The path of `item` from its catalog's first level down, names decoded (CliDecoders) and encoded
// (EncodePathName), joined by "\".
std::string CatalogItemPath(const TNodeRec* item);
// The same path of the item whose name and those of its containers are `names`, outermost first.
std::string CatalogPathOfNames(const std::vector<std::string_view>& names,
                               const TTextDecoder& decoder);

// CatalogItemPath for the many items of a listing while their catalog does not change: each
// folder's path is worked out once (search results come sorted by name, not by folder).
class TItemPaths {
 public:
  const std::string& Of(const TNodeRec* item);

 private:
  std::unordered_map<const TNodeRec*, std::string> folders_;
  std::string path_;
};

// One TSV row of `item` (no line end), its texts decoded (CliDecoders); with `paths`, the path
// column comes from it.
std::string TsvRow(const TNodeRec* item, TItemPaths* paths = nullptr);
// Escapes a text for a TSV field.
std::string TsvEscape(std::string_view text);

// Splits a command's arguments into positionals and "--name[=value]" options; `withValue` names
// the options that take the next argument as their value.
struct TCliArgs {
  std::vector<std::string> Positional;
  std::vector<std::pair<std::string, std::string>> Options;
  bool Has(std::string_view name) const;
  std::string Get(std::string_view name, std::string_view fallback = {}) const;
  std::vector<std::string> GetAll(std::string_view name) const;
};
// False (with `error` set) for an unknown option or a missing value.
bool ParseCliArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                  const std::vector<std::string>& withValue, TCliArgs& out, std::string& error);
