// SPDX-License-Identifier: MIT
#include "scan/PeVersion.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/CodePage.h"
#include "scan/ByteSource.h"

namespace {

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kMaxSections = 96;  // the most a loader accepts
constexpr size_t kMaxResourceEntries = 4096;
constexpr size_t kMaxVersionBlock = 0xFFFF;  // wLength is 16 bits

struct TSection {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The PE image as far as the version reader needs it.
class TPeImage {
 public:
  explicit TPeImage(const TByteSource& src) : src_(src) {}

  // Reads the headers and the section table; false when the file is no PE image.
  bool Load() {
    std::string dos;
    if (!src_.ReadExact(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    uint64_t pe = GetU32LE(&dos[0x3C]);
    std::string coff;
    if (!src_.ReadExact(pe, 24, coff) || coff.compare(0, 4, std::string("PE\0\0", 4)) != 0)
      return false;
    uint32_t sectionCount = GetU16LE(&coff[6]);
    uint32_t optSize = GetU16LE(&coff[20]);
    std::string opt;
    if (!src_.ReadExact(pe + 24, std::min<uint32_t>(optSize, 240), opt) || opt.size() < 2)
      return false;
    size_t dirs;
    size_t countAt;
    switch (GetU16LE(&opt[0])) {
      case 0x10B:
        countAt = 92, dirs = 96;
        break;  // PE32
      case 0x20B:
        countAt = 108, dirs = 112;
        break;  // PE32+
      default:
        return false;
    }
    if (opt.size() < dirs + 3 * 8 || GetU32LE(&opt[countAt]) < 3) return false;
    resourceRva_ = GetU32LE(&opt[dirs + 16]);
    if (resourceRva_ == 0) return false;
    if (sectionCount > kMaxSections) return false;
    std::string table;
    if (!src_.ReadExact(pe + 24 + optSize, sectionCount * 40, table)) return false;
    for (uint32_t i = 0; i < sectionCount; ++i) {
      const char* s = &table[i * 40];
      sections_.push_back({GetU32LE(s + 12), GetU32LE(s + 8), GetU32LE(s + 16), GetU32LE(s + 20)});
    }
    return true;
  }

  // The file offset of `rva` and the number of bytes of its section that follow it in the file.
  std::optional<std::pair<uint64_t, uint64_t>> Map(uint64_t rva) const {
    for (const TSection& s : sections_) {
      uint64_t span = s.virtualSize ? s.virtualSize : s.rawSize;
      if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
      uint64_t delta = rva - s.virtualAddress;
      if (delta >= s.rawSize) return std::nullopt;  // in memory only, not in the file
      return std::make_pair(static_cast<uint64_t>(s.rawOffset) + delta, s.rawSize - delta);
    }
    return std::nullopt;
  }

  // Reads `n` bytes at `rva` (all within one section's file data) into `out`.
  bool ReadRva(uint64_t rva, size_t n, std::string& out) const {
    auto at = Map(rva);
    if (!at || at->second < n) return false;
    return src_.ReadExact(at->first, n, out);
  }

  // The version resource's bytes (at most kMaxVersionBlock), or nullopt.
  std::optional<std::string> VersionResource() const {
    auto types = SubDirectory(0, [](uint32_t id, size_t) { return id == kRtVersion; });
    if (!types) return std::nullopt;
    // VS_VERSION_INFO is resource id 1; a file that numbers it otherwise gets its first one.
    auto names = SubDirectory(*types, [](uint32_t id, size_t) { return id == 1; });
    if (!names) names = SubDirectory(*types, [](uint32_t, size_t index) { return index == 0; });
    if (!names) return std::nullopt;
    auto entry = Entry(*names, [](uint32_t, size_t index) { return index == 0; });
    if (!entry || (*entry & 0x80000000u)) return std::nullopt;  // a leaf must be a data entry
    std::string data;
    if (!ReadRva(resourceRva_ + *entry, 16, data)) return std::nullopt;
    uint32_t dataRva = GetU32LE(&data[0]);
    uint64_t size = std::min<uint64_t>(GetU32LE(&data[4]), kMaxVersionBlock);
    auto at = Map(dataRva);
    if (!at) return std::nullopt;
    size = std::min(size, at->second);
    std::string block;
    if (size < 6 || !src_.ReadExact(at->first, static_cast<size_t>(size), block))
      return std::nullopt;
    return block;
  }

 private:
  // The OffsetToData of the first entry of the directory at `dirOffset` (relative to the
  // resource section) for which pick(id, index) holds; named entries have no id and never match
  // an id test.
  template <class Pick>
  std::optional<uint32_t> Entry(uint32_t dirOffset, Pick pick) const {
    std::string head;
    if (!ReadRva(resourceRva_ + uint64_t{dirOffset}, 16, head)) return std::nullopt;
    size_t named = GetU16LE(&head[12]);
    size_t count = std::min(named + GetU16LE(&head[14]), kMaxResourceEntries);
    std::string entries;
    if (!ReadRva(resourceRva_ + uint64_t{dirOffset} + 16, count * 8, entries)) return std::nullopt;
    for (size_t i = 0; i < count; ++i) {
      uint32_t name = GetU32LE(&entries[i * 8]);
      uint32_t id = (name & 0x80000000u) ? 0xFFFFFFFFu : name;
      if (pick(id, i)) return GetU32LE(&entries[i * 8 + 4]);
    }
    return std::nullopt;
  }

  // As Entry, for an entry that must lead to a further directory: that directory's offset.
  template <class Pick>
  std::optional<uint32_t> SubDirectory(uint32_t dirOffset, Pick pick) const {
    auto e = Entry(dirOffset, pick);
    if (!e || !(*e & 0x80000000u)) return std::nullopt;
    uint32_t sub = *e & 0x7FFFFFFFu;
    if (sub == dirOffset) return std::nullopt;  // a directory that contains itself
    return sub;
  }

  const TByteSource& src_;
  uint32_t resourceRva_ = 0;
  std::vector<TSection> sections_;
};

// One record of the VS_VERSIONINFO tree, as offsets into the resource bytes.
struct TVerBlock {
  size_t end;            // one past the record (clamped to its parent)
  std::string key;       // UTF-8
  size_t valueStart;     // the value, 4-aligned after the key
  size_t valueBytes;     // from wValueLength (words for text values), clamped
  size_t childrenStart;  // 4-aligned after the value
};

size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

std::optional<TVerBlock> ParseBlock(std::string_view data, size_t pos, size_t limit) {
  if (pos > limit || limit - pos < 6) return std::nullopt;
  size_t length = GetU16LE(&data[pos]);
  size_t valueLength = GetU16LE(&data[pos + 2]);
  uint16_t type = GetU16LE(&data[pos + 4]);
  if (length < 6) return std::nullopt;
  TVerBlock b;
  b.end = std::min(limit, pos + length);
  size_t k = pos + 6;
  size_t keyEnd = k;
  while (keyEnd + 1 < b.end && (data[keyEnd] != 0 || data[keyEnd + 1] != 0)) keyEnd += 2;
  b.key = Utf16ToUtf8(data.substr(k, keyEnd - k), false);
  b.valueStart = std::min(Align4(keyEnd + 2), b.end);
  b.valueBytes = std::min(type == 1 ? valueLength * 2 : valueLength, b.end - b.valueStart);
  b.childrenStart = std::min(Align4(b.valueStart + b.valueBytes), b.end);
  return b;
}

// Calls visit(block) for each child of `parent`.
template <class Visit>
void ForEachChild(std::string_view data, const TVerBlock& parent, Visit visit) {
  size_t pos = parent.childrenStart;
  while (pos < parent.end) {
    auto child = ParseBlock(data, pos, parent.end);
    if (!child) return;
    visit(*child);
    size_t next = Align4(child->end);
    if (next <= pos) return;
    pos = next;
  }
}

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
           return up(x) == up(y);
         });
}

void Reset(FileVersionInfo& info, const std::string& name) {
  info = FileVersionInfo();
  info.fileName = name;
}

TError ParseVersionBlock(std::string_view data, const std::string& name, FileVersionInfo& info) {
  const std::string invalidRecord = "Invalid version info record in file " + name;
  auto root = ParseBlock(data, 0, data.size());
  if (!root || !SameKey(root->key, "VS_VERSION_INFO")) return TError::Failure(invalidRecord);

  // \VarFileInfo\Translation
  std::string translation;
  std::vector<TVerBlock> stringTables;
  ForEachChild(data, *root, [&](const TVerBlock& child) {
    if (SameKey(child.key, "VarFileInfo")) {
      ForEachChild(data, child, [&](const TVerBlock& var) {
        if (translation.empty() && SameKey(var.key, "Translation"))
          translation = std::string(data.substr(var.valueStart, var.valueBytes));
      });
    } else if (SameKey(child.key, "StringFileInfo")) {
      ForEachChild(data, child, [&](const TVerBlock& table) { stringTables.push_back(table); });
    }
  });
  if (translation.size() < 4) return TError::Failure("Invalid language info in file " + name);
  char lang[9];
  std::snprintf(lang, sizeof lang, "%04X%04X", GetU16LE(&translation[0]),
                GetU16LE(&translation[2]));
  info.LanguageInfo = lang;

  // The string table of the first translation only: a file whose translation names a table it
  // does not have gets no values (the strings of another language are not its own).
  const TVerBlock* table = nullptr;
  for (const TVerBlock& t : stringTables)
    if (!table && SameKey(t.key, info.LanguageInfo)) table = &t;
  if (!table) return {};

  const std::array<std::pair<const char*, std::string*>, 9> fields = {{
      {"CompanyName", &info.CompanyName},
      {"FileDescription", &info.FileDescription},
      {"FileVersion", &info.FileVersion},
      {"InternalName", &info.InternalName},
      {"LegalCopyright", &info.LegalCopyright},
      {"OriginalFilename", &info.OriginalFilename},
      {"ProductName", &info.ProductName},
      {"ProductVersion", &info.ProductVersion},
      {"Comments", &info.Comments},
  }};
  std::array<bool, 9> found{};
  ForEachChild(data, *table, [&](const TVerBlock& str) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (found[i] || !SameKey(str.key, fields[i].first)) continue;
      found[i] = true;
      // The text runs to its zero word; writers disagree on whether wValueLength counts words
      // or bytes, so the record's end bounds it instead.
      std::string text = Utf16ToUtf8(data.substr(str.valueStart, str.end - str.valueStart), false);
      if (!text.empty()) *fields[i].second = text;
    }
  });
  return {};
}

}  // namespace

TError FileVersionInfoFromSource(const TByteSource& source, const std::string& name,
                                 FileVersionInfo& info) {
  Reset(info, name);
  TPeImage image(source);
  std::optional<std::string> block;
  if (image.Load()) block = image.VersionResource();
  if (!block) return TError::Failure("Invalid version info record in file " + name);
  return ParseVersionBlock(*block, name, info);
}

TError FileVersionInfoFromBytes(std::string_view bytes, const std::string& name,
                                FileVersionInfo& info) {
  TByteSource source = TByteSource::OfBytes(bytes);
  return FileVersionInfoFromSource(source, name, info);
}

TError ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) {
  Reset(info, path);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return TError::Failure("File not found: " + path);
  TByteSource source = TByteSource::OfFile(path);
  if (!source.Ok()) return TError::Failure("Invalid version info record in file " + path);
  return FileVersionInfoFromSource(source, path, info);
}
