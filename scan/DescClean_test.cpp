// SPDX-License-Identifier: MIT
#include "scan/DescClean.h"

#include <gtest/gtest.h>

namespace {

TDescOptions Defaults() {
  TDescOptions o;
  o.MaxDescKB = 2;
  o.DropEmptyLines = o.TrimLeading = o.TrimTrailing = o.CollapseSpaces = true;
  return o;
}

std::string Clean(std::string text, const TDescOptions& o) {
  CleanDescription(text, o);
  return text;
}

}  // namespace

TEST(DescClean, LineFiltersWithTheDefaults) {
  TDescOptions o = Defaults();
  EXPECT_EQ(Clean("  two  words  \r\n\r\nword", o), "two words\r\nword");
  EXPECT_EQ(Clean("a\nb\rc\r\n", o), "a\r\nb\r\nc");  // every line end becomes CR LF
  EXPECT_EQ(Clean("\r\n\r\nlate start", o), "late start");
  // A line of blanks is not empty before trimming, so it stays as an empty line.
  EXPECT_EQ(Clean("a\r\n   \r\nb", o), "a\r\n\r\nb");
  EXPECT_EQ(Clean("\ttab\x01 ctl\x1f", o), "tab\x01 ctl");
  EXPECT_EQ(Clean("a \t  b", o), "a \t b");  // only spaces collapse
  EXPECT_EQ(Clean("", o), "");
}

TEST(DescClean, EachFilterAlone) {
  TDescOptions o;
  EXPECT_EQ(Clean("  a  \n\nb  ", o), "  a  \r\n\r\nb  ");
  o.DropEmptyLines = true;
  EXPECT_EQ(Clean("  a  \n\nb  ", o), "  a  \r\nb  ");
  o = TDescOptions();
  o.TrimLeading = true;
  EXPECT_EQ(Clean("  a  \n b  ", o), "a  \r\nb  ");
  o = TDescOptions();
  o.TrimTrailing = true;
  EXPECT_EQ(Clean("  a  \n b  ", o), "  a\r\n b");
  o = TDescOptions();
  o.CollapseSpaces = true;
  EXPECT_EQ(Clean("  a   b  \n c", o), " a b \r\n c");
}

TEST(DescClean, LengthLimit) {
  TDescOptions o = Defaults();
  EXPECT_EQ(Clean(std::string(5000, 'x'), o), std::string(2048, 'x'));
  o.MaxDescKB = 0;
  EXPECT_EQ(Clean(std::string(5000, 'x'), o).size(), 5000u);
  o.MaxDescKB = -3;  // from a damaged settings file: no limit either
  EXPECT_EQ(Clean(std::string(5000, 'x'), o).size(), 5000u);
  // The limit applies before the filters: trimmed lines may end shorter.
  o.MaxDescKB = 1;
  EXPECT_EQ(Clean(std::string(1020, 'x') + "  y   z", o), std::string(1020, 'x') + " y");
}

TEST(DescClean, TheCutNeverSplitsACharacter) {
  TDescOptions o = Defaults();
  // "é" is two bytes: 1023 of them and one "x" put byte 2048 inside a character.
  std::string two = "x";
  for (int i = 0; i < 1023; ++i) two += "\xC3\xA9";
  ASSERT_EQ(two.size(), 2047u);
  two += "\xC3\xA9";
  std::string cut = Clean(two, o);
  EXPECT_EQ(cut.size(), 2047u);
  EXPECT_EQ(cut.back(), '\xA9');
  // Three- and four-byte characters at every offset of the limit.
  for (const std::string ch : {"\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
    for (size_t pad = 0; pad < ch.size(); ++pad) {
      std::string t(pad, 'a');
      while (t.size() < 2100) t += ch;
      std::string c = Clean(t, o);
      EXPECT_LE(c.size(), 2048u);
      EXPECT_GT(c.size(), 2048u - ch.size());
      EXPECT_EQ((c.size() - pad) % ch.size(), 0u) << "pad " << pad;
    }
  }
  // Bytes that are not UTF-8 are characters of their own and may be cut anywhere.
  EXPECT_EQ(Utf8CutPoint(std::string(3000, '\xE9'), 2048), 2048u);
  EXPECT_EQ(Utf8CutPoint(std::string(10, 'a') + std::string(3000, '\x80'), 2048), 2048u);
  EXPECT_EQ(Utf8CutPoint("ab\xE2\x82", 3), 3u);  // a truncated sequence
  EXPECT_EQ(Utf8CutPoint("ab\xE2\x82\xAC", 3), 2u);
  EXPECT_EQ(Utf8CutPoint("ab", 10), 2u);
}

TEST(DescClean, TrimBlanks) {
  EXPECT_EQ(TrimBlanks(" \t\r a b \x1f"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\xC3\xA9 "), "\xC3\xA9");
}
