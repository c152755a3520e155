// SPDX-License-Identifier: MIT
#include "platform/WildMatch.h"

#include <gtest/gtest.h>

TEST(WildMatch, QuirksUsersRelyOn) {
  EXPECT_TRUE(WildMatch("ABCD", "ABC*BCD"));  // the tail is compared with the whole text's end
  EXPECT_TRUE(WildMatch("ABC", "ABC*D*"));    // only the mask's last character is checked
  EXPECT_TRUE(WildMatch("", ""));
  EXPECT_TRUE(WildMatch("", "*"));
  EXPECT_TRUE(WildMatch("", "**"));
  EXPECT_FALSE(WildMatch("", "a"));
  EXPECT_FALSE(WildMatch("a", ""));
  EXPECT_TRUE(WildMatch("x*?", "x*?"));  // byte-equal text and mask match before anything else
}

TEST(WildMatch, StarsQuestionMarksAndCase) {
  EXPECT_TRUE(WildMatch("readme.txt", "*.TXT"));
  EXPECT_FALSE(WildMatch("readme.txt1", "*.txt"));
  EXPECT_TRUE(WildMatch("Song.mp3", "*.mp3"));
  EXPECT_TRUE(WildMatch("file_id.diz", "FILE?ID.DIZ"));
  EXPECT_FALSE(WildMatch("fileid.diz", "FILE?ID.DIZ"));
  EXPECT_TRUE(WildMatch("a big read me", "*read*"));
  EXPECT_TRUE(WildMatch("README", "**read**"));
  EXPECT_FALSE(WildMatch("abc", "abd"));
  EXPECT_FALSE(WildMatch("abcd", "abc"));  // text left over
  EXPECT_FALSE(WildMatch("ab", "abc"));    // mask left over, not ending in "*"
  EXPECT_TRUE(WildMatch("aXbYc", "a*b*c"));
  EXPECT_FALSE(WildMatch("aXbY", "a*b*c"));
  EXPECT_FALSE(WildMatch("ab", "*abc"));  // a tail longer than the text
  EXPECT_TRUE(WildMatch("a.b.c", "*.?"));
}

TEST(WildMatch, GroupsAreTakenAtTheirFirstOccurrence) {
  // "*a*" style groups are searched from the current position only.
  EXPECT_TRUE(WildMatch("xaybz", "*a*b*"));
  EXPECT_FALSE(WildMatch("xbyaz", "*a*b?"));
  EXPECT_TRUE(WildMatch("abab", "*ab*b"));
}

TEST(WildMatch, NonAsciiNamesIgnoreCase) {
  EXPECT_TRUE(WildMatch("Привет.txt", "*привет*"));
  EXPECT_TRUE(WildMatch("ÄRGER.doc", "ärger.*"));
  EXPECT_TRUE(WildMatch("façade", "fa?ade"));  // "?" is one character, not one byte
  EXPECT_FALSE(WildMatch("facade",
                         "fa\xC3\xA7"
                         "ade"));
  // Bytes of a legacy code page are kept one for one and still compared.
  EXPECT_TRUE(WildMatch("caf\xE9.txt", "*.TXT"));
  EXPECT_TRUE(WildMatch("caf\xE9", "caf?"));
}

TEST(WildMatch, CompiledMaskMatchesLikeTheFunction) {
  TWildMask m("*.Mp3");
  EXPECT_TRUE(m.Match("a.mp3"));
  EXPECT_FALSE(m.Match("a.mp4"));
  EXPECT_EQ(m.Text(), "*.Mp3");
}
