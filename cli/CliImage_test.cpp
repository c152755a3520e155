// SPDX-License-Identifier: MIT
// tolvane-cli dump / check: the verdict on a node-store image and the printed tree.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace {

TEST(CliImageTest, CheckAndDumpOfACatalog) {
  TSmallCatalog c = MakeSmallCatalog("cli-image");
  TCliResult check = RunCli({"check", c.Catalog});
  EXPECT_EQ(check.Status, 0) << check.Out;
  EXPECT_TRUE(FullMatch(check.Out, c.Catalog + ": valid image, [1-9][0-9]* bytes accounted\n"))
      << check.Out;
  EXPECT_EQ(check.Err, "");

  TCliResult dump = RunCli({"dump", c.Catalog});
  EXPECT_EQ(dump.Status, 0) << dump.Err;
  std::vector<std::string> lines = Lines(dump.Out);
  ASSERT_GT(lines.size(), 20u);
  EXPECT_TRUE(FullMatch(lines[0],
                        "signature \"[^\"]*\", version 0x[0-9A-F]{2}, checksum "
                        "0x[0-9A-F]{16}, " +
                            std::to_string(ReadWhole(c.Catalog).size()) + " bytes"))
      << lines[0];
  // Names are escaped, one node per line.
  for (const char* shown :
       {"[0] string \"c\"", "[0] string \"Disk1\"", "[0] string \"we\\\\ird\"",
        "[0] string \"t\\tab\"", "[0] string \"nl\\nname\"", "[8] string \"hello\""}) {
    bool found = false;
    for (const std::string& line : lines) found = found || line.find(shown) != std::string::npos;
    EXPECT_TRUE(found) << shown;
  }

  // A folder is no image.
  TCliResult folder = RunCli({"check", c.Dir});
  EXPECT_EQ(folder.Status, 1);
  EXPECT_EQ(folder.Out, c.Dir + ": invalid: Is a directory\n");
}

}  // namespace
