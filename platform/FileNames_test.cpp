// SPDX-License-Identifier: MIT
#include "platform/FileNames.h"

#include <gtest/gtest.h>

TEST(FileNames, FileNamePieces) {
  EXPECT_EQ(SafeFileName("a:b*c"), "a_b_c");
  EXPECT_EQ(SafeFileName("\"*/:<>?\\|"), "_________");
  EXPECT_EQ(SafeFileName(std::string("x\ty\x01", 4)), "x_y_");
  EXPECT_EQ(SafeFileName("Bücher é"), "Bücher é");
  EXPECT_EQ(NameWithoutExt("report.final.htm"), "report.final");
  EXPECT_EQ(NameExt("report.final.htm"), "htm");
  EXPECT_EQ(NameWithoutExt("README"), "README");
  EXPECT_EQ(NameExt("README"), "");
  EXPECT_EQ(NameWithoutExt("/my.dir/file"), "/my.dir/file");
  EXPECT_EQ(NameExt("C:\\my.dir\\file"), "");
  EXPECT_EQ(NameExt("/x/file."), "");
  // A leading dot of the final component does not start an extension.
  EXPECT_EQ(NameWithoutExt("/home/me/.hidden-file"), "/home/me/.hidden-file");
  EXPECT_EQ(NameExt("/home/me/.hidden-file"), "");
  EXPECT_EQ(NameExt("C:\\x\\.config.bak"), "bak");
  EXPECT_EQ(NameWithoutExt(".tar.gz"), ".tar");
  EXPECT_EQ(NameExt("."), "");
  EXPECT_EQ(NameWithoutExt(".."), "..");
  EXPECT_EQ(NameExt("..."), "");
}
