// SPDX-License-Identifier: MIT
#include "platform/Collate.h"

#include <gtest/gtest.h>

#include <random>

TEST(Collate, IgnoresCaseKeepsAccents) {
  EXPECT_EQ(AnsiCompareText("File.TXT", "file.txt"), 0);
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(AnsiCompareText("banana", "Apple"), 0);
  EXPECT_LT(AnsiCompareText("a", "ab"), 0);
  EXPECT_LT(AnsiCompareText("", "a"), 0);
  EXPECT_NE(AnsiCompareText("resume", "résumé"), 0);
  EXPECT_LT(AnsiCompareText("resume", "résumé"), 0);
  EXPECT_LT(AnsiCompareText("résumé", "rf"), 0);  // accents weigh less than letters
  EXPECT_EQ(AnsiCompareText("ÄRGER", "ärger"), 0);
  EXPECT_LT(AnsiCompareText("Яблоко", "яблоня"), 0);
}

TEST(Collate, AsciiFastPathAgreesWithTheCollator) {
  std::mt19937 rng(99);
  const std::string alphabet = "aAbBzZ09 _-.~!()[]{}&'+,;=@#$%^`\t";
  auto random = [&] {
    std::string s;
    size_t n = rng() % 6;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string a = random(), b = random();
    int fast = AnsiCompareText(a, b), ref = CollatorCompare(a, b);
    ASSERT_EQ(fast < 0, ref < 0) << '"' << a << "\" vs \"" << b << '"';
    ASSERT_EQ(fast > 0, ref > 0) << '"' << a << "\" vs \"" << b << '"';
  }
}

TEST(Collate, LegacyBytesDoNotCrash) {
  EXPECT_NE(AnsiCompareText("caf\xE9", "cafe"), 2);
  EXPECT_EQ(AnsiCompareText("\xFF\xFE", "\xFF\xFE"), 0);
}

TEST(Collate, CaseInsensitiveComparison) {
  EXPECT_TRUE(AnsiSameText("Disk", "dISK"));
  EXPECT_FALSE(AnsiSameText("Disk", "Disks"));
  EXPECT_TRUE(AnsiSameText("ÄRGER", "ärger"));
  EXPECT_FALSE(AnsiSameText("arger", "ärger"));  // accents count
  EXPECT_FALSE(AnsiSameText("ß", "ss"));
  // Legacy single-byte names compare as bytes: two different bytes stay different.
  EXPECT_FALSE(AnsiSameText("caf\xe9", "caf\xe8"));
  EXPECT_TRUE(AnsiSameText("CAF\xe9", "caf\xe9"));
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(AnsiCompareText("banana", "Apple"), 0);
  EXPECT_LT(AnsiCompareText("ärger", "zebra"), 0);  // collation, not byte order
  EXPECT_EQ(AnsiCompareText("Same", "sAME"), 0);
}
