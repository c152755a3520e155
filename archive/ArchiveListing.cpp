// SPDX-License-Identifier: MIT
#include "archive/ArchiveListing.h"

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "archive/ArcText.h"
#include "archive/ZipTV.h"
#include "catalog/CatalogLayout.h"
#include "platform/DateTime.h"
#include "platform/TextCase.h"
#include "store/QDBase.h"

namespace {

// Listing entry slots.
constexpr int kLPath = 0, kLAttr = 1, kLSize = 2, kLDate = 4;
constexpr int32_t kImpliedFolderAttr = MakeItemFlags(kAttrDirectory, ikFolder);

// The next component of `path` starting at `pos` (up to the next "\" or the end). `pos` moves
// past the separator; `more` tells whether a separator ended the component.
std::string_view NextComponent(std::string_view path, size_t& pos, bool& more) {
  size_t end = path.find('\\', pos);
  std::string_view c;
  if (end == std::string_view::npos) {
    c = path.substr(pos);
    pos = path.size();
    more = false;
  } else {
    c = path.substr(pos, end - pos);
    pos = end + 1;
    more = true;
  }
  return c;
}

std::string UpperKey(std::string_view s) {
  return IsAsciiText(s) ? [&] {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
    return u;
  }() : Utf8Upper(s);
}

TNodeRec* Entry(const TQDBase& listing, int i) { return NodeChild(listing.RootNode(), i); }

}  // namespace

int CompareNamesNoCase(std::string_view a, std::string_view b) {
  if (IsAsciiText(a) && IsAsciiText(b)) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      unsigned char x = AsciiUpper(static_cast<unsigned char>(a[i]));
      unsigned char y = AsciiUpper(static_cast<unsigned char>(b[i]));
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  std::u32string ua, ub;
  DecodeUpper(a, ua);
  DecodeUpper(b, ub);
  int c = ua.compare(ub);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareEntryPaths(std::string_view a, std::string_view b) {
  size_t pa = 0, pb = 0;
  bool moreA = true, moreB = true;
  for (;;) {
    if (!moreA || !moreB) {
      if (moreA == moreB) return 0;
      return moreA ? 1 : -1;  // the path that ran out of components comes first
    }
    std::string_view ca = NextComponent(a, pa, moreA);
    std::string_view cb = NextComponent(b, pb, moreB);
    int c = CompareNamesNoCase(ca, cb);
    if (c != 0) return c;
  }
}

namespace {

// One code point plus one (1 to 0x110000) in UTF-8 form.
void AppendKeyUnit(std::string& key, uint32_t v) {
  if (v < 0x80) {
    key += static_cast<char>(v);
  } else if (v < 0x800) {
    key += static_cast<char>(0xC0 | v >> 6);
    key += static_cast<char>(0x80 | (v & 0x3F));
  } else if (v < 0x10000) {
    key += static_cast<char>(0xE0 | v >> 12);
    key += static_cast<char>(0x80 | (v >> 6 & 0x3F));
    key += static_cast<char>(0x80 | (v & 0x3F));
  } else {
    key += static_cast<char>(0xF0 | v >> 18);
    key += static_cast<char>(0x80 | (v >> 12 & 0x3F));
    key += static_cast<char>(0x80 | (v >> 6 & 0x3F));
    key += static_cast<char>(0x80 | (v & 0x3F));
  }
}

}  // namespace

std::string EntryPathKey(std::string_view path) {
  std::string key;
  key.reserve(path.size() + 4);
  std::u32string upper;
  size_t pos = 0;
  bool more = true;
  while (more) {
    std::string_view c = NextComponent(path, pos, more);
    if (IsAsciiText(c)) {
      for (char ch : c) AppendKeyUnit(key, AsciiUpper(static_cast<unsigned char>(ch)) + 1u);
    } else {
      DecodeUpper(c, upper);
      for (char32_t cp : upper) AppendKeyUnit(key, static_cast<uint32_t>(cp) + 1u);
    }
    if (more) key += '\0';
  }
  return key;
}

void AddImpliedFolders(TQDBase& listing) {
  listing.GoToDepth(0);
  constexpr int kOwnEntry = -1;
  // Upper-cased path -> (path as first seen, entry index or kOwnEntry).
  std::map<std::string, std::pair<std::string, int>> folders;
  std::string last;
  bool haveLast = false;
  const TNodeRec* root = listing.RootNode();
  int first = root->NodeTag;
  int count = root->SlotCount;
  for (int i = first; i < count; ++i) {
    const TNodeRec* e = Entry(listing, i);
    if (e == nullptr) continue;
    std::string_view p = NodeGetStr(e, kLPath);
    if (!p.empty() && p.back() == '\\') folders[UpperKey(p)] = {std::string(p), kOwnEntry};
    size_t cut = p.rfind('\\');
    std::string_view folderPart =
        cut == std::string_view::npos ? std::string_view() : p.substr(0, cut + 1);
    if (haveLast && folderPart == last) continue;
    // Every proper prefix of the components, each with a trailing "\".
    for (size_t pos = p.find('\\'); pos != std::string_view::npos; pos = p.find('\\', pos + 1)) {
      std::string_view prefix = p.substr(0, pos + 1);
      folders.try_emplace(UpperKey(prefix), std::string(prefix), i);
    }
    last.assign(folderPart);
    haveLast = true;
  }
  for (const auto& [key, value] : folders) {
    if (value.second == kOwnEntry) continue;
    double date = NodeGetFloat(Entry(listing, value.second), kLDate);
    listing.GoToDepth(0);
    listing.EnterChild(listing.SlotCount());
    listing.SetStr(kLPath, value.first);
    listing.SetInt(kLAttr, kImpliedFolderAttr);
    listing.SetFloat(kLDate, date);
    listing.Up();
  }
}

std::string NormalizeEntryPath(std::string_view path) {
  const bool folder = !path.empty() && path.back() == '\\';
  std::string out;
  out.reserve(path.size());
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('\\', pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(pos, end - pos);
    if (!part.empty() && part != ".") {
      if (!out.empty()) out += '\\';
      out.append(part);
    }
    pos = end + 1;
  }
  if (folder && !out.empty()) out += '\\';
  return out;
}

int ListArchive(TZipTV& reader, TQDBase& listing) {
  listing.Clear();
  listing.GoToDepth(0);
  listing.SetTag(0);
  try {
    if (!IsListableArcType(reader.ArcType())) return 0;
    TError err = reader.ListEntries([&](const TArchiveEntry& e) {
      std::string path = NormalizeEntryPath(e.Path);
      if (path.empty()) return true;  // "./" or "/": the archive's top level itself
      int slot = listing.SlotCount();
      try {
        listing.EnterChild(slot);
        listing.SetStr(kLPath, path);
        listing.SetInt(kLAttr, MakeItemFlags(e.Attr, ikFile));
        listing.SetInt64(kLSize, e.Size);
        listing.SetFloat(kLDate, e.DateTime);
        listing.Up();
      } catch (...) {
        listing.GoToDepth(0);
        if (listing.SlotCount() > slot) listing.DeleteSlot(slot);
      }
      return true;
    });
    if (err.Failed()) {
      listing.Clear();
      return 0;
    }
    int n = listing.SlotCount();
    AddImpliedFolders(listing);
    listing.GoToDepth(0);
    if (listing.SlotCount() > 0) {
      // Each entry's key is made once and found again through its NodeTag (scratch, which
      // moves with the node), so the sort makes the same comparisons with the same answers.
      TNodeRec* root = listing.RootNode();
      std::vector<std::string> keys(static_cast<size_t>(root->SlotCount));
      for (int i = 0; i < root->SlotCount; ++i) {
        if (TNodeRec* e = NodeChild(root, i)) {
          e->NodeTag = i;
          keys[static_cast<size_t>(i)] = EntryPathKey(NodeGetStr(e, kLPath));
        }
      }
      static const std::string kNoPath;
      auto key = [&](int i) -> const std::string& {
        const TNodeRec* e = NodeChild(root, i);
        return e ? keys[static_cast<size_t>(e->NodeTag)] : kNoPath;
      };
      auto byKey = [&](int i, int j) {
        int c = key(i).compare(key(j));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
      };
      listing.SortSlots(byKey, 0);
      for (int i = 0; i < root->SlotCount; ++i)
        if (TNodeRec* e = NodeChild(root, i)) e->NodeTag = 0;
    }
    return n;
  } catch (...) {
    listing.Clear();
    return 0;
  }
}

namespace {

// When `path` lies below the folder `prefix` ("" or components each followed by ""), compared
// component by component case-insensitively, sets `rest` to the part after it.
bool SplitAfterPrefix(std::string_view path, std::string_view prefix, std::string_view& rest) {
  size_t pp = 0, pa = 0;
  while (pp < prefix.size()) {
    size_t ep = prefix.find('\\', pp);
    if (ep == std::string_view::npos) ep = prefix.size();
    size_t ea = path.find('\\', pa);
    if (ea == std::string_view::npos) return false;
    if (CompareNamesNoCase(path.substr(pa, ea - pa), prefix.substr(pp, ep - pp)) != 0) return false;
    pp = ep + 1;
    pa = ea + 1;
  }
  rest = path.substr(pa);
  return true;
}

// The front entry's node and path (a folder's trailing "" removed), or nullptr.
const TNodeRec* FrontEntry(const TQDBase& listing, std::string_view& path) {
  const TNodeRec* root = listing.RootNode();
  int front = root->NodeTag;
  if (front < 0 || front >= root->SlotCount) return nullptr;
  const TNodeRec* e = NodeChild(root, front);
  if (e == nullptr) return nullptr;
  path = NodeGetStr(e, kLPath);
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return e;
}

void ConsumeFront(TQDBase& listing) {
  TNodeRec* root = listing.RootNode();
  int front = root->NodeTag;
  TNodeRec* cur = listing.CurrentNode();
  bool curIsEntry = cur != root;
  listing.GoToNode(root);
  listing.ClearSlot(front);
  if (!curIsEntry) listing.GoToNode(cur);
  root->NodeTag = front + 1;
}

}  // namespace

// A date outside the DOS range at two-second precision; 0.0 for an unknown or invalid one.
static double EvenSeconds(double date) {
  TDateParts p{};
  if (date == 0.0 || !std::isfinite(date) || !DecodeDateTime(date, p)) return 0.0;
  p.Second &= ~1;
  p.Millisecond = 0;
  return EncodeDateTime(p);
}

void DropLevel(TQDBase& listing, std::string_view prefix) {
  std::string_view path, rest;
  while (FrontEntry(listing, path) != nullptr && SplitAfterPrefix(path, prefix, rest))
    ConsumeFront(listing);
}

bool NextArchiveEntry(TQDBase& listing, std::string_view prefix, TArcDirEntry& entry) {
  std::string_view path, rest;
  const TNodeRec* e = FrontEntry(listing, path);
  if (e == nullptr) return false;
  // Folder names are matched case-insensitively, as the implied folders were merged: entries of
  // "a\" and "A\" belong to one folder, and neither ends the walk of its level early.
  if (!SplitAfterPrefix(path, prefix, rest)) return false;
  if (rest.find('\\') != std::string_view::npos) return false;
  entry.Name.assign(rest);
  entry.Attr = (NodeGetInt(e, kLAttr) >> 8) & 0xFF;
  entry.Size = NodeGetInt64(e, kLSize);
  const double date = NodeGetFloat(e, kLDate);
  entry.Time = ArcDateTimeToDosTime(date);
  entry.DateTime = entry.Time != 0 ? ArcDosTimeToDateTime(entry.Time) : EvenSeconds(date);
  ConsumeFront(listing);
  return true;
}

namespace {

// Ends a level of the hooks on every way out of it.
class TLevelScope {
 public:
  explicit TLevelScope(TArchiveWriteHooks& hooks) : hooks_(hooks) { hooks_.LevelStarted(); }
  ~TLevelScope() { hooks_.LevelEnded(); }
  TLevelScope(const TLevelScope&) = delete;
  TLevelScope& operator=(const TLevelScope&) = delete;

 private:
  TArchiveWriteHooks& hooks_;
};

int64_t WriteLevel(TQDBase& listing, TQDBase& dst, const std::string& prefix, bool levelMatched,
                   int depth, TArchiveWriteHooks& hooks) {
  int64_t total = 0;
  TLevelScope scope(hooks);
  TNodeRec* const level = dst.CurrentNode();
  TArcDirEntry e;
  for (;;) {
    if (!hooks.Continue()) return total;  // cancelled: no sort, no total
    if (!NextArchiveEntry(listing, prefix, e)) break;
    const bool isDir = (e.Attr & kAttrDirectory) != 0;
    // "", "." and ".." are not names an item can have; they, and folders too deep to record, are
    // left out with everything below them, so that they do not end the walk of this level early.
    if (e.Name.empty() || e.Name == "." || e.Name == ".." ||
        (isDir && depth >= kMaxArchiveFolderDepth)) {
      if (isDir) DropLevel(listing, prefix + e.Name + "\\");
      continue;
    }
    try {
      dst.EnterChild(dst.SlotCount());
      const double date = e.DateTime;
      const bool matched = hooks.FindCounterpart(e.Name, isDir, levelMatched);
      if (isDir) {
        dst.EnterChild(0);
        dst.SetStr(kFieldName, e.Name);
        dst.SetInt(kFieldFlags, MakeItemFlags(e.Attr, ikFolder, ifInArchive));
        dst.SetFloat(kFieldChanged, date);
        dst.SetFloat(kFieldCreated, date);
        dst.Up();
        if (matched) hooks.CarryFields(true);
        const std::string sub = prefix + e.Name + "\\";
        total = SaturatingAdd(total, WriteLevel(listing, dst, sub, matched, depth + 1, hooks));
      } else {
        total = SaturatingAdd(total, e.Size);
        dst.SetStr(kFieldName, e.Name);
        dst.SetInt(kFieldFlags, MakeItemFlags(e.Attr, ikFile, ifInArchive));
        dst.SetInt64(kFieldSize, e.Size);
        dst.SetFloat(kFieldChanged, date);
        dst.SetFloat(kFieldCreated, date);
        if (matched) hooks.CarryFields(false);
      }
    } catch (...) {
      // The entry is abandoned (its node may be partly written); the walk goes on.
    }
    dst.GoToNode(level);
    hooks.ItemDone();
  }
  SortScannedItems(dst);
  if (!prefix.empty()) dst.ChildSetInt64(0, kFieldSize, total);
  return total;
}

}  // namespace

int64_t WriteArchiveLevel(TQDBase& listing, TQDBase& dst, const std::string& prefix,
                          TArchiveWriteHooks* hooks, bool levelMatched) {
  TArchiveWriteHooks none;
  return WriteLevel(listing, dst, prefix, levelMatched, 0, hooks ? *hooks : none);
}
