// SPDX-License-Identifier: MIT
// The listing store: implied folders, the path order, the level walk and the subtree written in
// the catalog layout.
#include "archive/ArchiveListing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "archive/ArcText.h"
#include "archive/ArchiveTestUtil.h"
#include "archive/ArchiveTypes.h"
#include "store/QDBase.h"

namespace {

struct Raw {
  std::string path;
  int attr;
  double date;
};

// Fills a listing store as ListArchive's entry handler does, then implies folders and sorts.
void Fill(TQDBase& listing, const std::vector<Raw>& entries) {
  listing.Clear();
  listing.GoToDepth(0);
  for (const Raw& r : entries) {
    listing.EnterChild(listing.SlotCount());
    listing.SetStr(0, r.path);
    listing.SetInt(1, MakeItemFlags(r.attr, ikFile));
    listing.SetInt64(2, 7);
    listing.SetFloat(4, r.date);
    listing.Up();
  }
  AddImpliedFolders(listing);
  listing.GoToDepth(0);
  const TNodeRec* root = listing.RootNode();
  listing.SortSlots(
      [root](int i, int j) {
        return CompareEntryPaths(NodeGetStr(NodeChild(root, i), 0),
                                 NodeGetStr(NodeChild(root, j), 0));
      },
      0);
}

std::vector<std::string> Paths(const TQDBase& listing) {
  std::vector<std::string> out;
  const TNodeRec* root = listing.RootNode();
  for (int i = 0; i < root->SlotCount; ++i) out.emplace_back(NodeGetStr(NodeChild(root, i), 0));
  return out;
}

// The catalog subtree as text lines: depth-indented "name flags size".
void Dump(const TNodeRec* node, int depth, std::vector<std::string>& out) {
  for (int i = 1; i < node->SlotCount; ++i) {
    const TNodeRec* item = NodeChild(node, i);
    const TNodeRec* fields = NodeChild(item, 0) ? NodeChild(item, 0) : item;
    out.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') +
                  std::string(NodeGetStr(fields, 0)) + " " + std::to_string(NodeGetInt(fields, 1)) +
                  " " + std::to_string(NodeGetInt64(fields, 2)));
    if (NodeChild(item, 0)) Dump(item, depth + 1, out);
  }
}

std::vector<std::string> WriteTree(TQDBase& listing) {
  TQDBase tree;
  tree.EnterChild(0);
  tree.SetStr(0, "archive.zip");
  tree.Up();
  WriteArchiveLevel(listing, tree, "");
  std::vector<std::string> out;
  Dump(tree.RootNode(), 0, out);
  return out;
}

}  // namespace

TEST(ArchiveListing, ComparePathsByComponents) {
  EXPECT_LT(CompareEntryPaths("dir\\", "dir\\y.txt"), 0);  // a folder before its contents
  EXPECT_LT(CompareEntryPaths("dir\\z", "dir.txt"), 0);    // "dir" < "dir.txt" decides
  EXPECT_LT(CompareEntryPaths("a", "a\\"), 0);
  EXPECT_EQ(CompareEntryPaths("ABC\\x", "abc\\X"), 0);
  EXPECT_LT(CompareEntryPaths("äb", "ÄC"), 0);
  EXPECT_GT(CompareEntryPaths("b", "A\\z"), 0);
}

TEST(ArchiveListing, ImpliedFoldersTakeTheDateOfTheFirstEntry) {
  TQDBase listing;
  Fill(listing, {{"a\\b\\c.txt", 0x20, 100.5}, {"a\\d.txt", 0x20, 200.0}, {"x.txt", 0x20, 300.0}});
  EXPECT_EQ(Paths(listing),
            (std::vector<std::string>{"a\\", "a\\b\\", "a\\b\\c.txt", "a\\d.txt", "x.txt"}));
  const TNodeRec* a = NodeChild(listing.RootNode(), 0);
  EXPECT_EQ(NodeGetInt(a, 1), 4100);
  EXPECT_EQ(NodeGetFloat(a, 4), 100.5);
  EXPECT_EQ(NodeSlotType(a, 2), stEmpty);
  // A folder with an entry of its own gets no implied twin, whatever the case of its name.
  Fill(listing, {{"Dir\\", 0x10, 1.0}, {"DIR\\y.txt", 0x20, 2.0}});
  EXPECT_EQ(Paths(listing), (std::vector<std::string>{"Dir\\", "DIR\\y.txt"}));
}

TEST(ArchiveListing, SubtreeInCatalogLayout) {
  TQDBase listing;
  double d1 = ArcFieldsToDateTime(2020, 1, 2, 3, 4, 6),
         d2 = ArcFieldsToDateTime(2021, 5, 6, 7, 8, 10);
  // Only c.txt in a\b, no folder entries: two implied folders dated like c.txt.
  Fill(listing, {{"a\\b\\c.txt", 0x20, d1},
                 {"X.txt", 0x21, d2},
                 {"dir\\", 0x10, d2},
                 {"dir\\y.txt", 0x20, d2}});
  TQDBase tree;
  tree.EnterChild(0);
  tree.Up();
  EXPECT_EQ(WriteArchiveLevel(listing, tree, ""), 21);
  std::vector<std::string> lines;
  Dump(tree.RootNode(), 0, lines);
  const int folder = 0x10 * 256 + 4 + 0x20000, file = 0x20 * 256 + 100 + 0x20000;
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "a " + std::to_string(folder) + " 7",
                       "  b " + std::to_string(folder) + " 7",
                       "    c.txt " + std::to_string(file) + " 7",
                       "dir " + std::to_string(folder) + " 7",
                       "  y.txt " + std::to_string(file) + " 7",
                       "X.txt " + std::to_string(file + 0x100) + " 7",
                   }));
  const TNodeRec* a = NodeChild(NodeChild(tree.RootNode(), 1), 0);
  EXPECT_EQ(NodeGetFloat(a, 4), d1);
  EXPECT_EQ(NodeGetFloat(a, 6), d1);
  EXPECT_EQ(listing.RootNode()->NodeTag, listing.RootNode()->SlotCount);  // all consumed
}

TEST(ArchiveListing, NextEntryStopsAtOtherLevels) {
  TQDBase listing;
  Fill(listing, {{"a\\x", 0x20, 0}, {"b", 0x20, ArcFieldsToDateTime(2001, 2, 3, 4, 5, 7)}});
  TArcDirEntry e;
  ASSERT_TRUE(NextArchiveEntry(listing, "", e));  // the implied folder a
  EXPECT_EQ(e.Name, "a");
  EXPECT_EQ(e.Attr, 0x10);
  EXPECT_FALSE(NextArchiveEntry(listing, "", e));  // a\x belongs to the level "a\"
  EXPECT_FALSE(NextArchiveEntry(listing, "b\\", e));
  ASSERT_TRUE(NextArchiveEntry(listing, "a\\", e));
  EXPECT_EQ(e.Name, "x");
  EXPECT_EQ(e.Time, 0u);  // a date that cannot be converted
  ASSERT_TRUE(NextArchiveEntry(listing, "", e));
  EXPECT_EQ(e.Name, "b");
  EXPECT_EQ(ArcDosTimeToDateTime(e.Time), ArcFieldsToDateTime(2001, 2, 3, 4, 5, 6));  // two seconds
  EXPECT_FALSE(NextArchiveEntry(listing, "", e));
}

// Mended: a ".." folder or a folder spelled in two cases no longer ends the walk of its level,
// which used to drop every entry sorted after it.
TEST(ArchiveListing, OddPathsDoNotHideLaterEntries) {
  TQDBase listing;
  Fill(listing, {{"..\\evil.txt", 0x20, 0},
                 {"Docs\\a.txt", 0x20, 0},
                 {"docs\\b.txt", 0x20, 0},
                 {"z.txt", 0x20, 0}});
  std::vector<std::string> lines = WriteTree(listing);
  const std::string file = std::to_string(0x20 * 256 + 100 + 0x20000);
  const std::string folder = std::to_string(0x10 * 256 + 4 + 0x20000);
  EXPECT_EQ(lines, (std::vector<std::string>{"Docs " + folder + " 14", "  a.txt " + file + " 7",
                                             "  b.txt " + file + " 7", "z.txt " + file + " 7"}));
}

// The archive subtree has one writer, the scanner's; where the listing's own writer differed from
// it, the scanner's behaviour stands and is pinned here.
TEST(ArchiveListing, SubtreeWriterBehavesAsTheScanner) {
  TQDBase listing;
  // An entry named "" (a path starting with "\" that reached the listing unnormalised) is not
  // a name an item can have: it is left out with everything below it, not written as a folder
  // without a name.
  Fill(listing, {{"\\x.txt", 0x20, 0}, {"y.txt", 0x20, 0}});
  const std::string file = std::to_string(0x20 * 256 + 100 + 0x20000);
  EXPECT_EQ(WriteTree(listing), (std::vector<std::string>{"y.txt " + file + " 7"}));

  // Items are ordered as the scanner orders a real folder: by the locale's collation, so "é.txt"
  // sorts with the e's, before "f.txt" (by upper-cased code points it came after it).
  Fill(listing,
       {{"f.txt", 0x20, 0}, {"é.txt", 0x20, 0}, {"d\\F.txt", 0x20, 0}, {"d\\É.txt", 0x20, 0}});
  const std::string folder = std::to_string(0x10 * 256 + 4 + 0x20000);
  EXPECT_EQ(WriteTree(listing),
            (std::vector<std::string>{"d " + folder + " 14", "  É.txt " + file + " 7",
                                      "  F.txt " + file + " 7", "é.txt " + file + " 7",
                                      "f.txt " + file + " 7"}));

  // Sizes that add up past the int64 range saturate instead of overflowing.
  Fill(listing, {{"d\\a.bin", 0x20, 0}, {"d\\b.bin", 0x20, 0}, {"c.bin", 0x20, 0}});
  for (int i = 0; i < listing.RootNode()->SlotCount; ++i) {
    listing.GoToDepth(0);
    listing.EnterChild(i);
    if (listing.SlotType(2) == stInt64) listing.SetInt64(2, INT64_MAX - 1);
  }
  TQDBase tree;
  tree.EnterChild(0);
  tree.Up();
  EXPECT_EQ(WriteArchiveLevel(listing, tree, ""), INT64_MAX);
  EXPECT_EQ(NodeGetInt64(NodeChild(NodeChild(tree.RootNode(), 1), 0), 2), INT64_MAX);
}

namespace {

// Hooks that record what the writer asks, cancel after `continues` entries and match every item
// whose name starts with "m".
struct TRecordingHooks : TArchiveWriteHooks {
  int continues = 1000;
  int depth = 0, maxDepth = 0;
  std::vector<std::string> calls;
  bool Continue() override { return continues-- > 0; }
  void LevelStarted() override { maxDepth = std::max(maxDepth, ++depth); }
  void LevelEnded() noexcept override { --depth; }
  bool FindCounterpart(const std::string& name, bool isFolder, bool levelMatched) override {
    calls.push_back(name + (isFolder ? "/" : "") + (levelMatched ? " in matched" : ""));
    return name[0] == 'm';
  }
  void CarryFields(bool isFolder) override {
    calls.push_back(isFolder ? "carry folder" : "carry file");
  }
};

}  // namespace

// The hooks through which the scanner adds its cancel check and update carry-over: a folder's
// match is handed to the items below it, levels nest and are all ended, a cancel stops the walk.
TEST(ArchiveListing, WriterHooks) {
  TQDBase listing;
  Fill(listing,
       {{"m\\a.txt", 0x20, 0}, {"m\\mb.txt", 0x20, 0}, {"x\\c.txt", 0x20, 0}, {"z.txt", 0x20, 0}});
  TQDBase tree;
  tree.EnterChild(0);
  tree.Up();
  TRecordingHooks hooks;
  EXPECT_EQ(WriteArchiveLevel(listing, tree, "", &hooks, true), 28);
  EXPECT_EQ(hooks.calls,
            (std::vector<std::string>{"m/ in matched", "carry folder", "a.txt in matched",
                                      "mb.txt in matched", "carry file", "x/ in matched", "c.txt",
                                      "z.txt in matched"}));
  EXPECT_EQ(hooks.depth, 0);
  EXPECT_EQ(hooks.maxDepth, 2);

  // Cancelled after two entries: the walk ends there, every level is ended, nothing is sorted
  // and the folder being written gets no total.
  Fill(listing, {{"m\\a.txt", 0x20, 0}, {"m\\b.txt", 0x20, 0}, {"z.txt", 0x20, 0}});
  TQDBase cut;
  cut.EnterChild(0);
  cut.Up();
  TRecordingHooks cancel;
  cancel.continues = 2;
  WriteArchiveLevel(listing, cut, "", &cancel);
  EXPECT_EQ(cancel.depth, 0);
  EXPECT_EQ(cancel.calls, (std::vector<std::string>{"m/", "carry folder", "a.txt in matched"}));
  ASSERT_EQ(cut.RootNode()->SlotCount, 2);
  EXPECT_EQ(NodeSlotType(NodeChild(NodeChild(cut.RootNode(), 1), 0), 2), stEmpty);
}

TEST(ArchiveListing, ListArchiveFromFixtures) {
  TZipTV reader;
  TQDBase listing;
  reader.SetArchiveFile(Fixture("sample.zip"));
  EXPECT_EQ(ListArchive(reader, listing), 5);  // folder entries are not reported
  std::vector<std::string> lines = WriteTree(listing);
  ASSERT_EQ(lines.size(), 8u);  // a, b, c.txt, dir, Grüße, y.txt, big.txt, x.txt; no "empty"
  EXPECT_EQ(lines[0].substr(0, 2), "a ");
  EXPECT_EQ(lines[3].substr(0, 4), "dir ");
  EXPECT_EQ(lines[4].rfind("  Grüße €.txt ", 0), 0u);
  EXPECT_EQ(lines[6].substr(0, 8), "big.txt ");
  // Not listable: a plain file; the store is left empty.
  reader.SetArchiveFile(Fixture("plain.exe"));
  EXPECT_EQ(ListArchive(reader, listing), 0);
  EXPECT_EQ(listing.RootNode()->SlotCount, 0);
}

TEST(ArchiveTypes, TableIsRewrittenAndMatchesEnabledRows) {
  TQDBase opt;
  InitArchiveTypes(opt);
  auto rows = ReadArchiveTypes(opt);
  ASSERT_EQ(rows.size(), 17u);
  EXPECT_EQ(rows[15].Name, "7Z");
  EXPECT_EQ(rows[16].Name, "ISO");
  EXPECT_EQ(rows[9].Name, "GZIP");
  ASSERT_EQ(rows[9].Masks.size(), 2u);
  EXPECT_EQ(rows[9].Masks[1].Text(), "*.TGZ");
  EXPECT_EQ(rows[14].Name, "Self-Extract");
  for (const auto& r : rows) EXPECT_TRUE(r.Enabled);
  // The user's flags survive the next start; damaged names and masks are rewritten.
  SetArchiveTypeEnabled(opt, 1, false);
  opt.GoToDepth(0);
  opt.EnterChild(11);
  opt.EnterChild(2);
  opt.SetStr(0, "garbage");
  opt.SetInt(1, 5);  // masks slot of the wrong type
  opt.GoToDepth(0);
  InitArchiveTypes(opt);
  rows = ReadArchiveTypes(opt);
  EXPECT_FALSE(rows[0].Enabled);
  EXPECT_EQ(rows[1].Name, "RAR");
  ASSERT_EQ(rows[1].Masks.size(), 1u);
  auto on = ArchiveTypeOnFrom(rows, true);
  EXPECT_FALSE(IsArchiveName("data.zip", rows, on));
  EXPECT_TRUE(IsArchiveName("Backup.Tgz", rows, on));
  EXPECT_TRUE(IsArchiveName("setup.exe", rows, on));
  EXPECT_FALSE(IsArchiveName("readme.txt", rows, on));
  EXPECT_FALSE(IsArchiveName("Backup.tgz", rows, ArchiveTypeOnFrom(rows, false)));
  EXPECT_TRUE(IsArchiveName("x.7z", rows, on));
  EXPECT_TRUE(IsArchiveName("Disc.iso", rows, on));
}

// A table stored with the fifteen first rows gains 7Z and ISO switched off: the user chose which
// types a scan opens, and a new start must not widen the choice.
TEST(ArchiveTypes, AStoredTableOfFifteenRowsGainsTheNewRowsDisabled) {
  TQDBase opt;
  opt.EnterChild(kOptArchiveTypes);
  for (int row = 1; row <= 15; ++row) {
    opt.EnterChild(row);
    opt.SetInt(2, row % 2);
    opt.Up();
  }
  opt.GoToDepth(0);
  InitArchiveTypes(opt);
  auto rows = ReadArchiveTypes(opt);
  ASSERT_EQ(rows.size(), 17u);
  for (int row = 1; row <= 15; ++row) EXPECT_EQ(rows[row - 1].Enabled, row % 2 == 1) << row;
  EXPECT_FALSE(rows[15].Enabled);
  EXPECT_FALSE(rows[16].Enabled);
  EXPECT_EQ(rows[16].Masks.at(0).Text(), "*.ISO");
  // Switched on by the user, they stay on.
  SetArchiveTypeEnabled(opt, 17, true);
  InitArchiveTypes(opt);
  EXPECT_TRUE(ReadArchiveTypes(opt)[16].Enabled);
}

// The listing sorts by keys made once per entry; their byte order must be CompareEntryPaths'
// order for every pair: empty components, prefixes, case, letters beyond ASCII, DEL, bad UTF-8.
TEST(ArchiveListing, EntryPathKeysOrderAsThePathsCompare) {
  const std::vector<std::string> paths{
      "",   "\\",           "\\\\",    "a",    "A",    "a\\",     "A\\b", "a\\b\\c", "a\\B",
      "ab", "a b",          "a\\\\b",  "\x7f", "~",    "z\\\x7f", "ä",    "Ä\\x",    "ß",
      "ẞ",  "straße",       "STRASSE", "\xff", "\xc3", "\xc3\\a", "é\\",  "É",       "日本\\語",
      "𝔸",  "\xf0\x9d\x94", "İ",       "i",    "ı"};
  auto sign = [](int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); };
  for (const std::string& a : paths)
    for (const std::string& b : paths)
      EXPECT_EQ(sign(EntryPathKey(a).compare(EntryPathKey(b))), sign(CompareEntryPaths(a, b)))
          << "\"" << a << "\" against \"" << b << "\"";
}

// The scan's prepared test answers as the mask-by-mask one, quirks included: a name starting
// with "*" meets a mask's leading "*" as a letter, and beyond ASCII letters fold as Unicode says.
TEST(ArchiveTypes, PreparedNameTestAgreesWithTheMasks) {
  auto row = [](std::vector<const char*> masks) {
    TArchiveTypeRow r;
    for (const char* m : masks) r.Masks.emplace_back(m);
    r.Enabled = true;
    return r;
  };
  std::vector<TArchiveTypeRow> rows{row({"*.zip", "*.tar.gz"}), row({"*.r??", "**.7z", "*."}),
                                    row({"setup*.exe", "*.ZİP"}), row({"*"})};
  const char* names[] = {"a.zip",    "A.ZIP",    "zip",   ".zip",      "*x.zip",   "*.zip",
                         "arch.zıp", "arch.zip", "x.r01", "x.tar.gz",  "x.TAR.GZ", "x.gz",
                         "ünï.zip",  "",         "x.7z",  "a.zip.txt", "file.",    "SETUP1.EXE",
                         "setup",    "ﬀ.zip",    "x.ZİP", "x.zİp"};
  for (int combo = 0; combo < 16; ++combo) {
    std::vector<bool> on{bool(combo & 1), bool(combo & 2), bool(combo & 4), bool(combo & 8)};
    TArchiveNameTest prepared(rows, on);
    for (const char* name : names)
      EXPECT_EQ(prepared(name), IsArchiveName(name, rows, on)) << name << " rows " << combo;
  }
}

namespace {

// A ustar archive of regular files with the member names given as they are (no tool would keep
// "a//b" or "././y" as written), each holding its name as content, dated `mtime`.
std::string UstarOf(const std::vector<std::string>& names, long mtime = 1262304000) {
  std::string out;
  for (const std::string& name : names) {
    std::string h(512, '\0');
    name.copy(h.data(), std::min<size_t>(name.size(), 99));
    std::snprintf(h.data() + 100, 8, "%07o", 0644);
    std::snprintf(h.data() + 108, 8, "%07o", 0);
    std::snprintf(h.data() + 116, 8, "%07o", 0);
    std::snprintf(h.data() + 124, 12, "%011zo", name.size());
    std::snprintf(h.data() + 136, 12, "%011lo", mtime);
    h[156] = '0';
    std::memcpy(h.data() + 257,
                "ustar\0"
                "00",
                8);
    std::memset(h.data() + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    std::snprintf(h.data() + 148, 8, "%06o", sum);
    out += h;
    std::string body = name;
    body.resize((name.size() + 511) / 512 * 512, '\0');
    out += body;
  }
  out.append(1024, '\0');
  return out;
}

std::vector<std::string> TreeOfArchive(const std::string& path) {
  TZipTV reader;
  TQDBase listing;
  reader.SetArchiveFile(path);
  if (ListArchive(reader, listing) == 0) return {};
  std::vector<std::string> lines = WriteTree(listing);
  for (std::string& line : lines)
    line = line.substr(0, line.find(' ', line.find_first_not_of(' ')));
  return lines;
}

}  // namespace

TEST(ArchiveListing, DotAndEmptyPathComponentsAreDropped) {
  EXPECT_EQ(NormalizeEntryPath(".\\a\\.\\b.txt"), "a\\b.txt");
  EXPECT_EQ(NormalizeEntryPath("a\\\\b\\\\\\c.txt"), "a\\b\\c.txt");
  EXPECT_EQ(NormalizeEntryPath(".\\dir\\"), "dir\\");
  EXPECT_EQ(NormalizeEntryPath(".\\"), "");
  EXPECT_EQ(NormalizeEntryPath("..\\x"), "..\\x");

  TTempFolder tmp;
  {
    std::ofstream f(tmp / "odd.tar", std::ios::binary);
    f << UstarOf({"./././y.txt", "a//b///c.txt", "./", "../evil.txt", "./d/e.txt"});
  }
  EXPECT_EQ(TreeOfArchive(tmp / "odd.tar"),
            (std::vector<std::string>{"a", "  b", "    c.txt", "d", "  e.txt", "y.txt"}));

  // What `tar -C dir .` makes: every member below "./".
  std::filesystem::create_directories(tmp / "src/sub");
  std::ofstream(tmp / "src/top.txt") << "top";
  std::ofstream(tmp / "src/sub/inner.txt") << "inner";
  std::string cmd = "tar -cf '" + (tmp / "dot.tar") + "' -C '" + (tmp / "src") + "' . 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "no tar";
  EXPECT_EQ(TreeOfArchive(tmp / "dot.tar"),
            (std::vector<std::string>{"sub", "  inner.txt", "top.txt"}));
}

// Mended: a tar entry dated 1970-01-01 (Unix time 0) was shown as 30.12.1899, since the DOS
// date it went through cannot hold 1970.
TEST(ArchiveListing, DatesBeforeTheDosRangeAreKept) {
  TTempFolder tmp;
  {
    std::ofstream f(tmp / "epoch.tar", std::ios::binary);
    f << UstarOf({"old.txt"}, 0) << "";
  }
  {
    std::ofstream f(tmp / "new.tar", std::ios::binary);
    f << UstarOf({"new.txt"}, 1262304001);  // 2010, an odd second
  }
  TZipTV reader;
  TQDBase listing;
  TArcDirEntry e;
  reader.SetArchiveFile(tmp / "epoch.tar");
  ASSERT_EQ(ListArchive(reader, listing), 1);
  ASSERT_TRUE(NextArchiveEntry(listing, "", e));
  EXPECT_EQ(e.Time, 0u);
  EXPECT_EQ(e.DateTime, ArcUnixTimeToDateTime(0));
  EXPECT_GT(e.DateTime, 0.0);
  reader.SetArchiveFile(tmp / "new.tar");
  ASSERT_EQ(ListArchive(reader, listing), 1);
  ASSERT_TRUE(NextArchiveEntry(listing, "", e));
  EXPECT_EQ(e.DateTime, ArcDosTimeToDateTime(e.Time));
  EXPECT_EQ(e.DateTime, ArcUnixTimeToDateTime(1262304000));
}

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A stored one-entry ZIP whose entry has the DOS date `dos` and an extended-time field (0x5455)
// with the modification time `unixTime`.
std::string ZipWithExtendedTime(const std::string& name, uint32_t dos, uint32_t unixTime) {
  const std::string data = "data";
  std::string extra;
  Put16(extra, 0x5455);
  Put16(extra, 5);
  extra += '\x01';
  Put32(extra, unixTime);
  std::string out;
  auto header = [&](bool central) {
    std::string h;
    Put32(h, central ? 0x02014b50u : 0x04034b50u);
    if (central) Put16(h, 20);  // made by
    Put16(h, 10);               // needed
    Put16(h, 0);                // flags
    Put16(h, 0);                // stored
    Put16(h, dos & 0xFFFF);
    Put16(h, dos >> 16);
    Put32(h, 0);  // CRC, not checked by a listing
    Put32(h, static_cast<uint32_t>(data.size()));
    Put32(h, static_cast<uint32_t>(data.size()));
    Put16(h, static_cast<unsigned>(name.size()));
    Put16(h, static_cast<unsigned>(extra.size()));
    if (central) {
      Put16(h, 0);  // comment
      Put16(h, 0);  // disk
      Put16(h, 0);  // internal attributes
      Put32(h, 0);  // external attributes
      Put32(h, 0);  // local header offset
    }
    return h + name + extra;
  };
  out = header(false) + data;
  const uint32_t cdOffset = static_cast<uint32_t>(out.size());
  std::string cd = header(true);
  out += cd;
  Put32(out, 0x06054b50u);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, static_cast<uint32_t>(cd.size()));
  Put32(out, cdOffset);
  Put16(out, 0);
  return out;
}

}  // namespace

// Mended: a ZIP entry whose extended-time field holds 0 was dated 30.12.1899 though its DOS
// date is valid; the DOS date stands then. A non-zero extended time still wins.
TEST(ArchiveListing, ZeroExtendedTimeFallsBackToTheDosDate) {
  const uint32_t dos = ((2015 - 1980) << 25) | (6 << 21) | (15 << 16) | (10 << 11) | (20 << 5) | 15;
  TTempFolder tmp;
  std::ofstream(tmp / "zero.zip", std::ios::binary) << ZipWithExtendedTime("a.txt", dos, 0);
  std::ofstream(tmp / "set.zip", std::ios::binary) << ZipWithExtendedTime("a.txt", dos, 1262304000);
  std::vector<TArchiveEntry> zero = ListFile(tmp / "zero.zip");
  ASSERT_EQ(zero.size(), 1u);
  EXPECT_EQ(zero[0].DateTime, ArcFieldsToDateTime(2015, 6, 15, 10, 20, 30));
  std::vector<TArchiveEntry> set = ListFile(tmp / "set.zip");
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(set[0].DateTime, ArcUnixTimeToDateTime(1262304000));
}

// A cancelled scan must not wait for the listing of a huge archive: once the flag is set every
// read of the archive fails, and the listing ends with nothing.
TEST(ArchiveListing, CancelFlagEndsAListing) {
  std::atomic<bool> cancel{false};
  TZipTV reader;
  reader.SetCancelFlag(&cancel);
  TQDBase listing;
  reader.SetArchiveFile(Fixture("sample.tar.gz"));
  ASSERT_GT(ListArchive(reader, listing), 0);
  reader.SetArchiveFile(Fixture("sample.tar.gz"));
  cancel = true;
  EXPECT_EQ(ListArchive(reader, listing), 0);
  EXPECT_EQ(listing.RootNode()->SlotCount, 0);
}

// Mended: examining a FIFO named like an archive waited for a writer for ever.
TEST(ArchiveListing, AFifoIsNotWaitedOn) {
  TTempFolder tmp;
  const std::string path = tmp / "pipe.zip";
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  auto type = std::async(std::launch::async, [&] {
    TZipTV reader;
    reader.SetArchiveFile(path);
    return reader.ArcType();
  });
  if (type.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // free the reader, then fail
    if (fd >= 0) ::close(fd);
    ADD_FAILURE() << "the reader waited on the FIFO";
  }
  EXPECT_EQ(type.get(), atFileOpenErr);
}
