// SPDX-License-Identifier: MIT
#include "cli/CliCatalog.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/Language.h"
#include "app/ProgramFolder.h"
#include "app/Settings.h"
#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "platform/Collate.h"
#include "platform/DateTime.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

void TCliCatalogUi::ShowMessage(int, const std::string&, const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  ++Messages;
}
TAnswer TCliCatalogUi::AskYesNoCancel(int, const std::string&, const std::string&) {
  return TAnswer::Cancel;
}
bool TCliCatalogUi::AskYesNo(int, const std::string&, const std::string&) { return false; }
TChangedAnswer TCliCatalogUi::AskFileChanged(int, const std::string&, const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  ++Messages;
  return TChangedAnswer::Cancel;
}
bool TCliCatalogUi::ChooseSaveFileName(const std::string&, const std::string&, std::string&) {
  return false;
}

void LoadCliLanguage() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  std::vector<fs::path> candidates;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    candidates.push_back(exe.parent_path() / "Language");
    candidates.push_back(exe.parent_path().parent_path() / "share" / "tolvane" / "Language");
  }
  candidates.push_back(fs::path(TOLVANE_SOURCE_DIR) / "Language");
  for (const fs::path& dir : candidates) {
    if (LangTable(TLangKind::English).LoadFromFile((dir / "English.lng").string()) &&
        LangTable(TLangKind::English).Loaded())
      return;
  }
  std::fprintf(stderr, "tolvane-cli: cannot load \"English.lng\"; texts show as \"-----\"\n");
}

TCliSession::TCliSession(TCliAccess access)
    : Files(bdMain, Ui, Recent, OpenAtExit), access_(access) {
  LoadCliLanguage();
  InitCatalogStore(bdMain);
}

bool TCliSession::LockForChange(const std::string& file) {
  if (access_ != TCliAccess::Change) return true;
  std::string error = Files.LockForChange(file);
  if (error.empty()) return true;
  std::fprintf(stderr, "tolvane-cli: %s\n", error.c_str());
  return false;
}

int TCliSession::Open(const std::string& file) {
  // A missing file is reported without taking its lock, which would leave a lock file beside a
  // catalog that does not exist. Should the file appear meanwhile, it is locked once read: a
  // save refuses to overwrite a file that changed since it was read.
  std::error_code ec;
  const bool exists = fs::exists(file, ec);
  if (exists && !LockForChange(file)) return -1;
  int before = bdMain.RootNode()->SlotCount;
  if (Files.OpenFiles({file}) != 1) return -1;
  if (!exists && !LockForChange(file)) return -1;
  return before;  // appended at the end: root slot == old slot count
}

TCliTarget TCliSession::OpenCatalog(const std::string& file) {
  TCliTarget t;
  t.Slot = Open(file);
  if (t.Slot < 0) return t;
  t.Catalog = t.Item = NodeChild(bdMain.RootNode(), t.Slot);
  return t;
}

TCliTarget TCliSession::OpenItem(const char* command, const std::string& file,
                                 const std::string& path, const char* what, TCliItemTest accept) {
  TCliTarget t = OpenCatalog(file);
  if (t.Catalog) t.Item = FindItemOrSay(command, t.Catalog, path, what, accept);
  return t;
}

int TCliSession::OpenOrCreate(const std::string& file, const std::string& name) {
  if (!LockForChange(file)) return -1;  // before looking: another writer may be creating it
  std::error_code ec;
  if (fs::exists(file, ec)) return Open(file);
  std::string n = name.empty() ? fs::path(file).stem().string() : name;
  return Files.NewCatalog(n);
}

bool TCliSession::Save(int rootSlot, const std::string& file) {
  bdMain.GoToDepth(0);
  bdMain.EnterChild(rootSlot);
  std::string current = bdMain.ChildGetStr(0, kCatFileName);
  bdMain.GoToDepth(0);
  if (current.empty()) {
    if (file.empty()) return false;
    // A new catalog: set its file name and save to it (Save As without a dialog).
    bdMain.EnterChild(rootSlot);
    bdMain.ChildSetStr(0, kCatFileName, FullFileName(file));
    bdMain.ChildSetInt(0, kCatModified, 1);
    bdMain.GoToDepth(0);
  }
  return Files.SaveAt(rootSlot, false) == TSaveResult::Saved;
}

bool TakeCodePageOption(std::vector<std::string>& args, std::string& page, std::string& error) {
  std::vector<std::string> rest;
  bool onlyPositional = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") onlyPositional = true;
    std::string value;
    if (onlyPositional || (a != "--codepage" && !a.starts_with("--codepage="))) {
      rest.push_back(a);
      continue;
    }
    if (a == "--codepage") {
      if (i + 1 >= args.size()) {
        error = "option --codepage needs a value";
        return false;
      }
      value = args[++i];
    } else {
      value = a.substr(11);
    }
    std::string name = CodePageName(value);
    if (name.empty()) {
      error = "unknown code page \"" + value + "\" (for example 1251, windows-1252, cp866)";
      return false;
    }
    page = name;
  }
  args = std::move(rest);
  return true;
}

std::string CliDefaultCodePage(TCatalogDecoders* decoders) {
  // The settings file of the program's places, found without creating any folder: the portable
  // program folder (the executable's, holding the language files), else the per-user one.
  TProgramInputs in = CurrentProgramInputs({});
  std::error_code ec;
  fs::path exeFolder = fs::path(in.ExecutablePath).parent_path();
  fs::path file = exeFolder / kSettingsFileName;
  if (in.ExecutablePath.empty() ||
      !fs::is_regular_file(exeFolder / "Language" / "English.lng", ec) ||
      !fs::is_regular_file(file, ec)) {
    fs::path config = !in.XdgConfigHome.empty() ? fs::path(in.XdgConfigHome)
                      : !in.Home.empty()        ? fs::path(in.Home) / ".config"
                                                : fs::path();
    file = config.empty() ? fs::path() : config / "tolvane" / kSettingsFileName;
  }
  std::string image;
  TQDBase bdOpt;
  if (file.empty() || !fs::is_regular_file(file, ec) ||
      ReadWholeFile(file.string(), image, kMaxImageSize).Failed() || !bdOpt.LoadFromString(image))
    return "WINDOWS-1252";
  TCodePageOptions pages = ReadCodePageOptions(bdOpt);
  std::string language = OptStr(OptNode(bdOpt, kOptGeneral), kGenLanguageFile);
  if (decoders)
    for (const auto& [file, page] : pages.Catalogs) decoders->SetForFile(file, TTextDecoder(page));
  return CatalogCodePage(pages, language, {});
}

namespace {
TCatalogDecoders& CliDecodersStore() {
  static TCatalogDecoders decoders;
  return decoders;
}
}  // namespace

void SetCliDecoders(TCatalogDecoders decoders) { CliDecodersStore() = std::move(decoders); }
const TCatalogDecoders& CliDecoders() { return CliDecodersStore(); }

std::string EncodePathName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c == '\t' || c == '\n' || c == '\r' || c == '\0' || c == '\\' || c == '%') {
      unsigned char u = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodePathName(std::string_view text) {
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TNodeRec* FindCatalogItem(TNodeRec* catalog, std::string_view path) {
  TNodeRec* node = catalog;
  while (!path.empty()) {
    size_t sep = path.find('\\');
    std::string_view encoded = path.substr(0, sep);
    path = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
    if (encoded.empty()) continue;
    std::string part = DecodePathName(encoded);
    TNodeRec* next = nullptr;
    for (int i = 1; i < node->SlotCount && !next; ++i) {
      TNodeRec* child = NodeChild(node, i);
      if (!child) continue;
      std::string_view name = ItemName(child);
      if (AnsiSameText(name, part) || AnsiSameText(CliDecoders().Text(child, name), part))
        next = child;
    }
    if (!next) return nullptr;
    node = next;
  }
  return node;
}

TNodeRec* FindItemOrSay(const char* command, TNodeRec* catalog, const std::string& path,
                        const char* what, TCliItemTest accept) {
  TNodeRec* item = FindCatalogItem(catalog, path);
  if (item && (!accept || accept(item))) return item;
  std::fprintf(stderr, "tolvane-cli %s: no %s \"%s\" in the catalog\n", command, what,
               path.c_str());
  return nullptr;
}

std::string CatalogItemPath(const TNodeRec* item) {
  std::vector<std::string_view> parts;
  for (const TNodeRec* n = item; n && n->Parent && n->Parent->Parent; n = n->Parent)
    parts.push_back(ItemName(n));
  std::reverse(parts.begin(), parts.end());
  return CatalogPathOfNames(parts, CliDecoders().For(item));
}

std::string CatalogPathOfNames(const std::vector<std::string_view>& names,
                               const TTextDecoder& decoder) {
  std::string out;
  for (std::string_view name : names) {
    if (!out.empty()) out += '\\';
    out += EncodePathName(decoder.Text(name));
  }
  return out;
}

const std::string& TItemPaths::Of(const TNodeRec* item) {
  const TNodeRec* folder = item ? item->Parent : nullptr;
  if (!folder || !folder->Parent) {  // the root or a catalog: no folder to share
    path_ = CatalogItemPath(item);
    return path_;
  }
  constexpr size_t kMostFolders = 1 << 16;  // a bound on the memory, far above most listings
  if (folders_.size() >= kMostFolders) folders_.clear();
  auto [at, added] = folders_.try_emplace(folder);
  if (added) at->second = CatalogItemPath(folder);
  path_ = at->second;
  if (!path_.empty()) path_ += '\\';
  path_ += EncodePathName(CliDecoders().For(item).Text(ItemName(item)));
  return path_;
}

std::string TsvEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\0') {
      out += "\\0";
    } else {
      out += c;
    }
  }
  return out;
}

std::string TsvRow(const TNodeRec* item, TItemPaths* paths) {
  TItemFields f = ReadItemFields(item);
  const TNodeRec* catalog = CatalogNodeOf(item);
  std::string category;
  if (catalog && catalog != item)
    category = std::string(CategoryNameOf(catalog, ItemCategory(f.Flags)));
  const TTextDecoder& decoder = CliDecoders().For(item);
  std::string row = paths ? paths->Of(item) : CatalogItemPath(item);
  row += '\t';
  row += KindText(f.Flags);
  row += '\t';
  row += std::to_string(f.Size);
  row += '\t';
  row += AttributeLetters(f.Flags);
  row += '\t';
  row += FormatDateTime(f.Changed);
  row += '\t';
  row += TsvEscape(decoder.Text(category));
  row += '\t';
  row += TsvEscape(decoder.Text(f.Description));
  return row;
}

bool TCliArgs::Has(std::string_view name) const {
  for (const auto& [n, v] : Options)
    if (n == name) return true;
  return false;
}

std::string TCliArgs::Get(std::string_view name, std::string_view fallback) const {
  for (auto it = Options.rbegin(); it != Options.rend(); ++it)
    if (it->first == name) return it->second;
  return std::string(fallback);
}

std::vector<std::string> TCliArgs::GetAll(std::string_view name) const {
  std::vector<std::string> out;
  for (const auto& [n, v] : Options)
    if (n == name) out.push_back(v);
  return out;
}

bool ParseCliArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                  const std::vector<std::string>& withValue, TCliArgs& out, std::string& error) {
  auto in = [](const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
      if (x == s) return true;
    return false;
  };
  bool onlyPositional = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool isShort = a.size() == 2 && a[0] == '-' && a[1] != '-';
    const bool isLong = a.size() >= 2 && a[0] == '-' && a[1] == '-';
    if (onlyPositional || (!isShort && !isLong)) {
      out.Positional.push_back(a);
      continue;
    }
    if (isShort) {  // -R, -o VALUE
      std::string name(1, a[1]);
      if (in(flags, name)) {
        out.Options.emplace_back(name, "");
      } else if (in(withValue, name)) {
        if (i + 1 >= args.size()) {
          error = "option -" + name + " needs a value";
          return false;
        }
        out.Options.emplace_back(name, args[++i]);
      } else {
        error = "unknown option " + a;
        return false;
      }
      continue;
    }
    if (a == "--") {
      onlyPositional = true;
      continue;
    }
    std::string name = a.substr(2), value;
    size_t eq = name.find('=');
    bool hasValue = eq != std::string::npos;
    if (hasValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (in(flags, name) && !hasValue) {
      out.Options.emplace_back(name, "");
    } else if (in(withValue, name)) {
      if (!hasValue) {
        if (i + 1 >= args.size()) {
          error = "option --" + name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      out.Options.emplace_back(name, value);
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  return true;
}
