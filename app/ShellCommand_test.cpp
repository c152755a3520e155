// SPDX-License-Identifier: MIT
#include "app/ShellCommand.h"

#include <gtest/gtest.h>

#include "app/LanguageTestUtil.h"

TEST(ShellCommand, ShellTemplateSplit) {
  // A program path alone: the item is still passed.
  TShellCommand c = SplitShellTemplate("  /usr/bin/viewer  ", "/m/a b.txt", "/m");
  EXPECT_EQ(c.Program, "/usr/bin/viewer");
  EXPECT_EQ(c.Parameters, "\"/m/a b.txt\"");
  EXPECT_EQ(c.Arguments, std::vector<std::string>{"/m/a b.txt"});
  // A quoted program with a space and /open.
  c = SplitShellTemplate("\"/opt/My Viewer/run\" /open", "/m/x", "/m");
  EXPECT_EQ(c.Program, "/opt/My Viewer/run");
  EXPECT_EQ(c.Parameters, "/open \"/m/x\"");
  EXPECT_EQ(c.Arguments, (std::vector<std::string>{"/open", "/m/x"}));
  // %2 twice, and values that hold %1 are not searched again.
  c = SplitShellTemplate("tool --dir=%2 --again=%2 %1", "/m/%2file", "/m dir");
  EXPECT_EQ(c.Program, "tool");
  EXPECT_EQ(c.Parameters, "--dir=/m dir --again=/m dir /m/%2file");
  EXPECT_EQ(c.Arguments, (std::vector<std::string>{"--dir=/m dir", "--again=/m dir", "/m/%2file"}));
  // A quoted program without a closing quote is all program.
  c = SplitShellTemplate("\"/opt/x y", "/f", "/");
  EXPECT_EQ(c.Program, "/opt/x y");
  // A name holding quotes cannot add arguments.
  c = SplitShellTemplate("tool \"%1\"", "/m/a\" --evil \"b", "/m");
  EXPECT_EQ(c.Arguments, std::vector<std::string>{"/m/a\" --evil \"b"});
}

TEST(ShellCommand, SearchPathLookup) {
  std::set<std::string> present{"/opt/bin/tool", "/usr/bin/other"};
  auto exists = [&](const std::string& p) { return present.count(p) > 0; };
  EXPECT_EQ(FindOnSearchPath("tool", exists, "/usr/bin:/opt/bin"), "/opt/bin/tool");
  EXPECT_EQ(FindOnSearchPath("other", exists, "/usr/bin:/opt/bin"), "/usr/bin/other");
  EXPECT_EQ(FindOnSearchPath("missing", exists, "/usr/bin:/opt/bin"), "");
  EXPECT_EQ(FindOnSearchPath("/opt/bin/tool", exists, ""), "/opt/bin/tool");
  EXPECT_EQ(FindOnSearchPath("", exists, "/usr/bin"), "");
  EXPECT_NE(FindOnSearchPath("sh"), "");  // the real lookup finds the shell

  LangTable(TLangKind::English).LoadFromText("English\r\n10174=Cannot find %s\r\n");
  TShellCommand cmd;
  std::string error;
  EXPECT_TRUE(PrepareAlternativeShell("tool -v", "/m/f", "/m", cmd, error, exists, "/opt/bin"));
  EXPECT_EQ(cmd.Program, "/opt/bin/tool");
  EXPECT_EQ(cmd.Arguments, (std::vector<std::string>{"-v", "/m/f"}));
  EXPECT_FALSE(PrepareAlternativeShell("nothere %1", "/m/f", "/m", cmd, error, exists, "/opt/bin"));
  EXPECT_EQ(error, "Cannot find nothere");
}

TEST(ShellCommand, ErrorTextsComeFromTheLanguageTable) {
  TEnglishTexts texts("10161=File not found\r\n10173=Unknown error\r\n");
  EXPECT_EQ(ShellErrorNumber(2), 10161);
  EXPECT_EQ(ShellErrorText(2), "File not found");
  EXPECT_EQ(ShellErrorText(99), "Unknown error");
}
