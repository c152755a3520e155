// SPDX-License-Identifier: MIT
#include "scan/DescRuleSet.h"

#include <gtest/gtest.h>

#include "platform/WildMatch.h"
#include "scan/DescRules.h"
#include "store/QDBase.h"

namespace {

// A table with the default options and the given rules (masks, target, reader, enabled).
struct TRuleSpec {
  std::vector<std::string> Masks;
  int Target;
  int Reader;
  int Enabled = 1;
};

void BuildTable(TQDBase& s, const std::vector<TRuleSpec>& rules) {
  s.Clear();
  s.ChildSetInt(0, doMaxDescKB, 2);
  for (size_t r = 0; r < rules.size(); ++r) {
    s.EnterChild(static_cast<int>(r) + 1);
    s.SetStr(rsName, "rule");
    s.SetInt(rsTarget, rules[r].Target);
    s.SetInt(rsReader, rules[r].Reader);
    s.SetInt(rsEnabled, rules[r].Enabled);
    s.EnterChild(rsMasks);
    for (size_t i = 0; i < rules[r].Masks.size(); ++i)
      s.SetStr(static_cast<int>(i), rules[r].Masks[i]);
    s.Up();
    s.Up();
  }
}

}  // namespace

// The indexed matcher must agree with matching every mask by WildMatch.
TEST(DescMatch, IndexAgreesWithWildMatch) {
  std::vector<std::vector<std::string>> maskLists = {
      {"*.TXT", "*.NFO"}, {"FILE_ID.DIZ"}, {"*.tar.gz", "*.GZ"},      {"READ?E.*", "*"},
      {"*.", "*.ÄÖ"},     {"x*y"},         {"*.txt", "DESCRIPT.ION"}, {""}};
  TQDBase s;
  std::vector<TRuleSpec> specs;
  for (auto& m : maskLists) specs.push_back({m, dtFile, drTXT});
  BuildTable(s, specs);
  TDescRuleSet set(s.RootNode());
  const char* names[] = {"a.txt",       "A.TXT",        ".txt",        "a.txt.bak", "file_id.diz",
                         "File_Id.Diz", "FILE_ID.DIZZ", "x.tar.gz",    "x.TAR.GZ",  "readme.1st",
                         "noext",       "dot.",         "bär.äö",      "BÄR.ÄÖ",    "xay",
                         "x",           "descript.ion", "caf\xE9.txt", "a.t?t",     "*.TXT"};
  std::vector<TRuleMatch> got;
  for (const char* name : names) {
    set.Match(name, got);
    std::vector<int32_t> expected;
    for (size_t r = 0; r < maskLists.size(); ++r) {
      for (size_t i = 0; i < maskLists[r].size(); ++i) {
        if (WildMatch(name, maskLists[r][i])) {
          expected.push_back(static_cast<int32_t>((r + 1) * 256 + i));
          break;
        }
      }
    }
    std::vector<int32_t> ranks;
    for (auto& m : got) ranks.push_back(m.Rank);
    EXPECT_EQ(ranks, expected) << name;
  }
}

TEST(DescMatch, NextMatchingRuleFiresEachRuleOnceInOrder) {
  TQDBase s;
  BuildTable(s, {{{"*.HTM"}, dtFile, drHTML},
                 {{"*.X", "*.TXT"}, dtFile, drEXE},
                 {{"*.TXT"}, dtFile, drTXT, 0},  // disabled
                 {{"*.TXT", "*.NFO"}, dtFile, drTXT},
                 {{"*.TXT"}, dtList, drION},
                 {{"*.TXT"}, 7, drION},  // a target no rule may have: left out
                 {{"*.TXT"}, dtList, drBBS}});
  TDescRuleSet set(s.RootNode());
  int32_t pos = 0;
  TNextRule n = NextMatchingRule(set, true, "a.txt", 0, pos);
  EXPECT_EQ(n.Target, dtFile);
  EXPECT_EQ(n.Reader, drEXE);
  EXPECT_EQ(pos, 2 * 256 + 1);
  n = NextMatchingRule(set, true, "a.txt", 0, pos);  // the content reader found nothing
  EXPECT_EQ(n.Reader, drTXT);
  EXPECT_EQ(pos, 4 * 256);
  TDoneTargets done = 0;
  AddTarget(done, dtFile);
  n = NextMatchingRule(set, true, "a.txt", done, pos);
  EXPECT_EQ(n.Target, dtList);
  EXPECT_EQ(pos, 5 * 256);
  AddTarget(done, dtList);
  n = NextMatchingRule(set, true, "a.txt", done, pos);
  EXPECT_EQ(n.Target, 0);  // the last list rule's target is served already

  pos = 0;
  EXPECT_EQ(NextMatchingRule(set, true, "a.nfo", 0, pos).Reader, drTXT);
  EXPECT_EQ(pos, 4 * 256 + 1);
  pos = 0;
  EXPECT_EQ(NextMatchingRule(set, false, "a.txt", 0, pos).Target, 0);
  EXPECT_EQ(NextMatchingRule(set, true, "a.doc", 0, pos).Target, 0);
}

TEST(DescMatch, OverlongMaskListsCannotReachIntoTheNextRule) {
  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) many.push_back("*.M" + std::to_string(i));
  TQDBase s;
  BuildTable(s, {{many, dtFile, drTXT}, {{"*.M299"}, dtFile, drHTML}});
  TDescRuleSet set(s.RootNode());
  int32_t pos = 0;
  TNextRule n = NextMatchingRule(set, true, "a.m299", 0, pos);
  EXPECT_EQ(n.Reader, drHTML);  // mask 299 of rule 1 would rank as rule 2, mask 43
  EXPECT_EQ(pos, 2 * 256);
  pos = 0;
  NextMatchingRule(set, true, "a.m255", 0, pos);
  EXPECT_EQ(pos, 256 + 255);
}

TEST(DescMatch, OemFlagComesFromTheFirstRuleOfTheReader) {
  TQDBase s;
  BuildTable(s, {{{"*.A"}, dtList, drION, 0}, {{"*.B"}, dtList, drION}, {{"*.C"}, dtFile, drTXT}});
  s.ChildSetInt(2, rsOemToAnsi, 1);  // only the second ION rule
  s.ChildSetInt(3, rsOemToAnsi, 1);
  TDescRuleSet set(s.RootNode());
  EXPECT_FALSE(set.OemToAnsi(drION));  // the first one, although disabled
  EXPECT_TRUE(set.OemToAnsi(drTXT));
  EXPECT_FALSE(set.OemToAnsi(drDIZ));  // no rule
  EXPECT_FALSE(set.OemToAnsi(-1));
  EXPECT_FALSE(set.OemToAnsi(1000));

  EXPECT_EQ(set.Oem().Convert("M\x81nchen \xE1"), "München ß");
  EXPECT_EQ(TOemTable("CP866").Convert("\x8F\xE0\xA8\xA2\xA5\xE2"), "Привет");
  EXPECT_FALSE(TOemTable("NO-SUCH-CODEPAGE").Valid());
  EXPECT_EQ(TOemTable("NO-SUCH-CODEPAGE").Convert("\x81"), "\x81");
}

TEST(DescMatch, DamagedTablesCompileToWhatCanBeUsed) {
  TQDBase s;
  BuildTable(s, {{{"*.TXT"}, dtFile, drTXT}});
  s.SetStr(2, "not a rule");
  s.EnterChild(1);
  s.SetStr(rsTarget, "x");  // target of the wrong type reads as 0: the rule is left out
  s.Up();
  s.EnterChild(3);
  s.SetInt(rsTarget, dtFile);
  s.SetInt(rsEnabled, 1);
  s.SetInt(rsReader, drHTML);
  s.EnterChild(rsMasks);
  s.SetInt(0, 12);  // a number where a mask belongs
  s.SetStr(1, "*.TXT");
  s.GoToDepth(0);
  TDescRuleSet set(s.RootNode());
  std::vector<TRuleMatch> got;
  set.Match("a.txt", got);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].Rank, 3 * 256 + 1);

  TDescRuleSet none(nullptr);
  none.Match("a.txt", got);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(none.Options().MaxDescBytes(), 0u);
  EXPECT_EQ(none.Options().TextHeadLimit(), 102400u);
}
