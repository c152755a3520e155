// SPDX-License-Identifier: MIT
// tolvane-cli add / update: disks scanned from folders into new or existing catalogs and groups,
// rescans that keep or drop descriptions, and paths refused before anything is saved.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

TEST(CliScanTest, AddMakesDisksInCatalogsAndGroups) {
  TSmallCatalog c = MakeSmallCatalog("cli-add");
  // A missing catalog is made, named after its file; the disk after the folder.
  std::string fresh = c.Dir + "/fresh.ctl";
  TCliResult add = RunCli({"add", fresh, c.Medium + "/sub/"});
  EXPECT_EQ(add.Status, 0) << add.Err;
  EXPECT_EQ(add.Out, "");
  EXPECT_EQ(add.Err,
            "Scanned: 1 files, 1 folders, 0 archives, 0 descriptions, 8\nAdded disk \"sub\"\n");
  EXPECT_EQ(Lines(RunCli({"info", fresh}).Out).at(0), "Catalog: fresh");
  EXPECT_EQ(AllRows(fresh),
            "sub\tDisk\t8\t\t<now>\t\t\n"
            "sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n");

  // Into a group (named by its encoded path), without descriptions, quietly.
  ASSERT_EQ(RunCli({"mkgroup", c.Catalog, "", "G\\1"}).Status, 0);
  TCliResult group = RunCli({"add", c.Catalog, c.Medium, "--group", "G%5C1", "--name", "Two\tsides",
                             "--no-descriptions", "--quiet"});
  EXPECT_EQ(group.Status, 0) << group.Err;
  EXPECT_EQ(group.Out + group.Err, "");
  std::vector<std::string> rows = Lines(AllRows(c.Catalog));
  ASSERT_EQ(rows.size(), 15u);
  EXPECT_EQ(rows[7], "G%5C1\tGroup\t15\t\t<now>\t\t");
  EXPECT_EQ(rows[8], "G%5C1\\Two%09sides\tDisk\t15\t\t<now>\t\t");
  EXPECT_EQ(rows[13], "G%5C1\\Two%09sides\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\t");

  // Refused: a missing group, a folder that is none; the catalog stays as it was.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
      {{"add", c.Catalog, c.Medium, "--group", "Disk1"}, "no group \"Disk1\" in the catalog"},
      {{"add", c.Catalog, c.Medium, "--group", "None"}, "no group \"None\" in the catalog"},
      {{"add", c.Catalog, c.Dir + "/none"}, c.Dir + "/none: No such file or directory"},
      {{"add", c.Catalog, c.Medium + "/a.txt"}, c.Medium + "/a.txt: Not a directory"},
  };
  for (const auto& [args, message] : refused) ExpectRefused(args, c.Catalog, message);
  // Nor is a catalog made for a scan that cannot run.
  TCliResult none = RunCli({"add", c.Dir + "/never.ctl", c.Medium + "/a.txt"});
  EXPECT_EQ(none.Status, 1);
  EXPECT_FALSE(fs::exists(c.Dir + "/never.ctl"));
}

TEST(CliScanTest, UpdateRescansKeepingOrDroppingDescriptions) {
  TSmallCatalog c = MakeSmallCatalog("cli-update");
  ASSERT_EQ(RunCli({"set-desc", c.Catalog, "Disk1\\sub\\b.dat", "my\nnote"}).Status, 0);
  ASSERT_EQ(RunCli({"set-category", c.Catalog, "Disk1", "Backup"}).Status, 0);
  std::ofstream(c.Medium + "/sub/new.bin") << "123";
  fs::remove(c.Medium + "/nl\nname");
  SetTestTime(c.Medium + "/sub/new.bin");
  SetTestTime(c.Medium + "/sub");
  SetTestTime(c.Medium);

  TCliResult keep = RunCli({"update", c.Catalog, "disk1", c.Medium, "--keep", "--quiet"});
  EXPECT_EQ(keep.Status, 0) << keep.Err;
  EXPECT_EQ(keep.Out + keep.Err, "");
  EXPECT_EQ(AllRows(c.Catalog),
            "Disk1\tDisk\t17\t\t<now>\tBackup\t\n"
            "Disk1\\sub\tFolder\t11\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\tmy\\nnote\n"
            "Disk1\\sub\\new.bin\tFile\t3\ta\t04.03.2020, 05:06\t\t\n"
            "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\t\n"
            "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n");

  ASSERT_EQ(RunCli({"update", c.Catalog, "Disk1", c.Medium, "--delete-descriptions",
                    "--no-descriptions", "--quiet"})
                .Status,
            0);
  EXPECT_EQ(RunCli({"ls", c.Catalog, "Disk1\\sub\\b.dat", "--tsv"}).Out,
            "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n");

  // Refused, the disk left as it was: no disk at the path, no folder to scan.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
      {{"update", c.Catalog, "Disk1\\sub", c.Medium}, "no disk \"Disk1\\sub\" in the catalog"},
      {{"update", c.Catalog, "Disk2", c.Medium}, "no disk \"Disk2\" in the catalog"},
      {{"update", c.Catalog, "Disk1", c.Dir + "/none"}, c.Dir + "/none: No such file or directory"},
      {{"update", c.Catalog, "Disk1", c.Medium + "/a.txt"}, c.Medium + "/a.txt: Not a directory"},
  };
  for (const auto& [args, message] : refused) ExpectRefused(args, c.Catalog, message);
}

}  // namespace
