// SPDX-License-Identifier: MIT
// Commands report success only once the catalog is saved: with every write failing (a file-size
// limit, which binds root too) they exit non-zero, print nothing on standard output and leave
// the catalog file as it was.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

TEST(CliSaveTest, NoSuccessTextWhenTheSaveFails) {
  std::string dir = CliScratchDir("cli-save");
  std::string catalog = dir + "/c.ctl", medium = dir + "/medium";
  fs::create_directories(medium);
  std::ofstream(medium + "/a.txt") << "text";
  ASSERT_EQ(RunCli({"new", catalog}).Status, 0);
  ASSERT_EQ(RunCli({"add", catalog, medium, "--name", "Disk", "--quiet"}).Status, 0);
  const std::string before = ReadWhole(catalog);
  ASSERT_GT(before.size(), 64u);

  TCliRunOptions failingWrites;
  failingWrites.FileSizeLimit = 64;
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"rename", catalog, "Disk", "Other"},
           {"mkgroup", catalog, "", "Group"},
           {"set-desc", catalog, "Disk\\a.txt", "about a"},
           {"add", catalog, medium, "--name", "Second"},
       }) {
    TCliResult r = RunCli(command, failingWrites);
    EXPECT_NE(r.Status, 0) << command[0];
    EXPECT_EQ(r.Out, "") << command[0];
    EXPECT_EQ(r.Err.find("Added disk"), std::string::npos) << command[0] << ": " << r.Err;
    EXPECT_EQ(ReadWhole(catalog), before) << command[0];
  }

  // The same commands succeed and print once the save can be written.
  TCliResult rename = RunCli({"rename", catalog, "Disk", "Other"});
  EXPECT_EQ(rename.Status, 0) << rename.Err;
  EXPECT_EQ(rename.Out, "Other\n");
  TCliResult group = RunCli({"mkgroup", catalog, "", "Group"});
  EXPECT_EQ(group.Status, 0) << group.Err;
  EXPECT_EQ(group.Out, "Group\n");
}

}  // namespace
