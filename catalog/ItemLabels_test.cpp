// SPDX-License-Identifier: MIT
#include "catalog/ItemLabels.h"

#include <gtest/gtest.h>

#include "app/LanguageTestUtil.h"
#include "catalog/CatalogLayout.h"

namespace {

// A small English table for the kind and drive texts.
class WithTexts : public ::testing::Test {
  TEnglishTexts texts_{"10131=File\r\n10132=Catalog\r\n10135=Folder\r\n10183=Fixed\r\n"};
};

}  // namespace

TEST_F(WithTexts, ItemTexts) {
  EXPECT_EQ(AttributeLetters((0x31 << 8) | ikFolder), "dra");
  EXPECT_EQ(AttributeLetters((0x3F << 8) | ikFile | WithCategory(0, 255)), "drhsa");
  // Flag bits beside the kind (archive, category) must not change the kind text.
  EXPECT_EQ(KindText(ikFile | ifInArchive | WithCategory(0, 9)), "File");
  EXPECT_EQ(KindText(150), "File");
  EXPECT_EQ(KindText(ikFolder | ifArchive), "Folder");
  EXPECT_EQ(KindText(5), "");
  EXPECT_EQ(DriveTypeText(3), "Fixed");
  EXPECT_EQ(DriveTypeText(0), "");
}

TEST(ItemLabels, FirstLineOfADescription) {
  EXPECT_EQ(FirstLine("  abc\r\ndef"), "abc [...]");
  EXPECT_EQ(FirstLine("\r\n\tabc"), "abc");
  EXPECT_EQ(FirstLine("one line"), "one line");
  EXPECT_EQ(FirstLine(""), "");
  EXPECT_EQ(FirstLine("a\rb"), "a [...]");
}
