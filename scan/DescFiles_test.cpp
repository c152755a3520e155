// SPDX-License-Identifier: MIT
#include "scan/DescFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileIO.h"
#include "scan/DescRuleSet.h"
#include "scan/DescRules.h"
#include "store/QDBase.h"

namespace {

const std::string kDir = std::string(TOLVANE_SOURCE_DIR) + "/scan/testdata/importers/";

std::string Fixture(const std::string& name) {
  std::string data;
  EXPECT_EQ(ReadWholeFile(kDir + name, data).Message(), "");
  return data;
}

// The default rule table, compiled.
TDescRuleSet DefaultRules() {
  TQDBase opt;
  InitDescriptionRules(opt);
  return TDescRuleSet(NodeChild(opt.RootNode(), kDescRulesSlot));
}

std::string TextOf(const TFolderDescLists& l, const std::string& name) {
  const TListEntry* e = l.Find(name);
  return e ? e->Text : "<none>";
}

std::string TempDir() {
  const char* env = std::getenv("TOLVANE_TEST_TMP");
  std::filesystem::path p = env ? env : std::filesystem::temp_directory_path().string();
  p /= "descfiles";
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p.string() + "/";
}

}  // namespace

TEST(DescFiles, DescriptIonWithCrLf) {
  TDescRuleSet rules = DefaultRules();
  TFolderDescLists l;
  ParseDescriptIon(Fixture("descript_crlf.ion"), rules, false, l, 13 * 256);
  EXPECT_EQ(TextOf(l, "README.TXT"), "Read this first");  // two spaces; the first line wins
  EXPECT_EQ(TextOf(l, "MY LETTERS"), "Letters of 1997");
  EXPECT_EQ(TextOf(l, "TABS.DOC"), "Text\twith inner spaces");
  EXPECT_EQ(TextOf(l, "LONG.TXT"), std::string(2048, 'x'));
  EXPECT_EQ(TextOf(l, "LAST.TXT"), "No line end after me");
  // A name alone, an unclosed quote, an empty text and a text of blanks give nothing.
  EXPECT_EQ(l.Find("ONLYNAME"), nullptr);
  EXPECT_EQ(l.Find("EMPTY.DAT"), nullptr);
  EXPECT_EQ(l.Find("BLANK.DAT"), nullptr);
  EXPECT_EQ(l.Size(), 5u);
  EXPECT_EQ(l.Find("README.TXT")->Rank, 13 * 256);
}

TEST(DescFiles, DescriptIonWithLfAndOemBytes) {
  TDescRuleSet rules = DefaultRules();
  std::string data = Fixture("descript_oem.ion");
  TFolderDescLists raw, oem;
  ParseDescriptIon(data, rules, false, raw, 256);
  ParseDescriptIon(data, rules, true, oem, 256);
  EXPECT_EQ(TextOf(oem, "MÜLLER.TXT"), "Grüße aus München");
  EXPECT_EQ(TextOf(raw, "M\x81LLER.TXT"),
            "Gr\x81\xE1"
            "e aus M\x81nchen");  // kept as stored
  EXPECT_EQ(TextOf(oem, "MYDOCU~1.TXT"), "Letters written on DOS");
  EXPECT_EQ(TextOf(oem, "PROGRA~1"), "The program folder");
}

TEST(DescFiles, QuotedNamesAndSeparators) {
  TDescRuleSet rules = DefaultRules();
  TFolderDescLists l;
  ParseDescriptIon("\"a b.txt\" word\n\"q\"x\n\"\" nameless\n\"only quoted\"\nx \n", rules, false,
                   l, 256);
  EXPECT_EQ(TextOf(l, "A B.TXT"), "word");
  EXPECT_EQ(l.Find("Q"), nullptr);  // the character after the quote is the separator: no text
  EXPECT_EQ(l.Size(), 1u);
}

TEST(DescFiles, RanksAcrossListFiles) {
  TDescRuleSet rules = DefaultRules();
  TFolderDescLists l;
  ParseDescriptIon("a.txt from the worse list\nb.txt only in the worse list\n", rules, false, l,
                   13 * 256);
  ParseFilesBbs("A.TXT from the better list\n", rules, false, l, 12 * 256);
  ParseDescriptIon("a.txt from a list ranked worst\nb.txt again\n", rules, false, l, 14 * 256);
  ParseDescriptIon("b.txt an equally ranked list\n", rules, false, l, 13 * 256);
  EXPECT_EQ(TextOf(l, "A.TXT"), "from the better list");
  EXPECT_EQ(l.Find("A.TXT")->Rank, 12 * 256);
  EXPECT_EQ(TextOf(l, "B.TXT"), "only in the worse list");
}

TEST(DescFiles, FilesBbsWithContinuationLines) {
  TDescRuleSet rules = DefaultRules();
  TFolderDescLists l;
  ParseFilesBbs(Fixture("files.bbs"), rules, false, l, 12 * 256);
  EXPECT_EQ(TextOf(l, "GAME.ZIP"), "A game\r\nwith graphics\r\nand sound");
  EXPECT_EQ(TextOf(l, "NOTEXT.ZIP"), "text only from the next line");
  EXPECT_EQ(TextOf(l, "LONG NAME.ZIP"), "quoted entry");
  EXPECT_EQ(l.Find("BARE.ZIP"), nullptr);      // no text, no continuation
  EXPECT_EQ(l.Find("ARROW.ZIP"), nullptr);     // a ">" line continues, it names nothing
  EXPECT_EQ(l.Find("\"BROKEN.ZIP"), nullptr);  // unclosed quote: skipped with its continuation
  EXPECT_EQ(l.Size(), 3u);
  // Continuation lines without text of their own keep their line breaks until the clean-up.
  TQDBase s;
  s.ChildSetInt(0, doMaxDescKB, 0);
  TDescRuleSet noFilters(s.RootNode());
  TFolderDescLists k;
  ParseFilesBbs("X.ZIP  one\n  two\n\n|\nY.ZIP y\n", noFilters, false, k, 256);
  EXPECT_EQ(TextOf(k, "X.ZIP"), "one\r\ntwo\r\n");  // two empty lines, the last one without end
}

TEST(DescFiles, FolderListsRenameMergesByRank) {
  TFolderDescLists l;
  l.Put("LONG NAME.TXT", "long", 13 * 256);
  l.Put("LONGNA~1.TXT", "short, better", 12 * 256);
  l.Put("OTHER~1.TXT", "other", 13 * 256);
  l.Put("KEEP~1", "keep", 13 * 256);
  l.Rename("LONGNA~1.TXT", "LONG NAME.TXT");
  EXPECT_EQ(TextOf(l, "LONG NAME.TXT"), "short, better");
  EXPECT_EQ(l.Find("LONGNA~1.TXT"), nullptr);
  l.Put("A", "a", 13 * 256);
  l.Rename("OTHER~1.TXT", "A");  // equal ranks: the long-name entry stays
  EXPECT_EQ(TextOf(l, "A"), "a");
  l.Rename("KEEP~1", "KEEP FOLDER");
  EXPECT_EQ(TextOf(l, "KEEP FOLDER"), "keep");
  EXPECT_EQ(l.Size(), 3u);
  for (const TListEntry& e : l.Entries()) EXPECT_EQ(l.Find(e.Name), &e);
}

TEST(DescFiles, ReadingRefusesLinksAndSpecialFilesAndCapsTheSize) {
  std::string dir = TempDir();
  ASSERT_EQ(WriteWholeFileAtomic(dir + "list", "0123456789").Message(), "");
  std::string data = "old";
  EXPECT_EQ(ReadDescriptionFile(dir + "list", 4, data).Message(), "");
  EXPECT_EQ(data, "0123");
  ASSERT_EQ(::symlink((dir + "list").c_str(), (dir + "link").c_str()), 0);
  EXPECT_NE(ReadDescriptionFile(dir + "link", 100, data).Message(), "");
  ASSERT_EQ(::mkfifo((dir + "fifo").c_str(), 0600), 0);
  // A FIFO would block for ever if opened.
  EXPECT_NE(ReadDescriptionFile(dir + "fifo", 100, data).Message(), "");
  EXPECT_NE(ReadDescriptionFile(dir, 100, data).Message(), "");
  EXPECT_NE(ReadDescriptionFile(dir + "missing", 100, data).Message(), "");
  EXPECT_EQ(data, "0123");

  TFolderDescLists l;
  TDescRuleSet rules = DefaultRules();
  ReadDescriptionList(kDir + "files.bbs", drION, rules, l, 256);  // read as DESCRIPT.ION
  EXPECT_EQ(TextOf(l, "GAME.ZIP"), "A game");
  l.Clear();
  ReadDescriptionList(kDir + "files.bbs", drTXT, rules, l, 256);  // not a list reader
  ReadDescriptionList(dir + "fifo", drION, rules, l, 256);
  EXPECT_TRUE(l.Empty());
}
