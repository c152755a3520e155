// SPDX-License-Identifier: MIT
// tolvane-cli new / ls / info: making a catalog, its TSV rows at every level, and its summary.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

TEST(CliListTest, NewMakesAnEmptyCatalogOnlyWhereNoneIs) {
  std::string dir = CliScratchDir("cli-new");
  std::string named = dir + "/named.ctl", plain = dir + "/plain.ctl";
  TCliResult made = RunCli({"new", named, "--name", "My discs"});
  EXPECT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(made.Out + made.Err, "");
  EXPECT_EQ(MaskNow(RunCli({"info", named}).Out),
            "Catalog: My discs\nCreated: <now>\nChanged: <now>\nSize: 0 bytes (0 bytes)\n"
            "Disks: 0, folders: 0, files: 0\n"
            "Names not in UTF-8: 0 of 0\n");
  TCliResult ls = RunCli({"ls", named, "-R", "--tsv"});
  EXPECT_EQ(ls.Status, 0);
  EXPECT_EQ(ls.Out, "");
  // Without --name the catalog is named after the file.
  ASSERT_EQ(RunCli({"new", plain}).Status, 0);
  EXPECT_EQ(Lines(RunCli({"info", plain}).Out).at(0), "Catalog: plain");
  EXPECT_EQ(RunCli({"check", plain}).Status, 0);

  // An existing file, catalog or not, is never replaced.
  const std::string before = ReadWhole(named);
  TCliResult again = RunCli({"new", named, "--name", "Other"});
  EXPECT_EQ(again.Status, 1);
  EXPECT_EQ(again.Err, "tolvane-cli new: " + named + " exists already\n");
  EXPECT_EQ(ReadWhole(named), before);
  std::ofstream(dir + "/notes.txt") << "keep me";
  EXPECT_EQ(RunCli({"new", dir + "/notes.txt"}).Status, 1);
  EXPECT_EQ(ReadWhole(dir + "/notes.txt"), "keep me");
  // A folder that does not exist.
  TCliResult nowhere = RunCli({"new", dir + "/no/such/folder.ctl"});
  EXPECT_EQ(nowhere.Status, 1);
  EXPECT_NE(nowhere.Err, "");
  EXPECT_FALSE(fs::exists(dir + "/no"));
}

TEST(CliListTest, LsRowsAtEveryLevel) {
  TSmallCatalog c = MakeSmallCatalog("cli-ls");
  EXPECT_EQ(AllRows(c.Catalog), SmallCatalogRows());
  TCliResult longForm = RunCli({"ls", c.Catalog, "--recursive", "--tsv"});
  EXPECT_EQ(MaskNow(longForm.Out), SmallCatalogRows());

  // Without -R one level: the catalog's, a disk's, a folder's (names matched ignoring case,
  // rows giving the stored names).
  EXPECT_EQ(MaskNow(RunCli({"ls", c.Catalog, "--tsv"}).Out), "Disk1\tDisk\t15\t\t<now>\t\t\n");
  EXPECT_EQ(MaskNow(RunCli({"ls", c.Catalog, "Disk1", "--tsv"}).Out),
            "Disk1\\sub\tFolder\t8\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n"
            "Disk1\\nl%0Aname\tFile\t1\ta\t04.03.2020, 05:06\t\t\n");
  EXPECT_EQ(RunCli({"ls", c.Catalog, "DISK1\\We%5cIRD", "--tsv"}).Out,
            "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\t\n");
  // A file's path gives its own row; "" and a leading or doubled "\" are the same paths.
  EXPECT_EQ(RunCli({"ls", c.Catalog, "Disk1\\nl%0Aname", "--tsv"}).Out,
            "Disk1\\nl%0Aname\tFile\t1\ta\t04.03.2020, 05:06\t\t\n");
  EXPECT_EQ(RunCli({"ls", c.Catalog, "\\Disk1\\\\a.txt", "--tsv"}).Out,
            "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n");
  EXPECT_EQ(MaskNow(RunCli({"ls", c.Catalog, "", "--tsv"}).Out), "Disk1\tDisk\t15\t\t<now>\t\t\n");

  // The plain listing: one line per item, indented by depth, sizes grouped.
  TCliResult plain = RunCli({"ls", c.Catalog, "Disk1\\sub"});
  EXPECT_EQ(plain.Status, 0);
  EXPECT_EQ(plain.Out, "b.dat" + std::string(35, ' ') + " File     " + std::string(14, ' ') +
                           "8 a     04.03.2020, 05:06\n");
  std::vector<std::string> tree = Lines(RunCli({"ls", c.Catalog, "-R"}).Out);
  ASSERT_GE(tree.size(), 3u);
  EXPECT_EQ(tree[1].rfind("  sub ", 0), 0u) << tree[1];
  EXPECT_EQ(tree[2].rfind("    b.dat ", 0), 0u) << tree[2];

  // Paths that name nothing, also below a file.
  for (const char* path : {"Disk2", "Disk1\\zz", "Disk1\\a.txt\\x", "Disk1\\we\\ird"}) {
    TCliResult r = RunCli({"ls", c.Catalog, path, "--tsv"});
    EXPECT_EQ(r.Status, 1) << path;
    EXPECT_EQ(r.Out, "") << path;
    EXPECT_EQ(r.Err, std::string("tolvane-cli ls: no item \"") + path + "\" in the catalog\n");
  }
}

TEST(CliListTest, InfoCountsEveryDiskThroughGroups) {
  TSmallCatalog c = MakeSmallCatalog("cli-info");
  ASSERT_EQ(RunCli({"mkgroup", c.Catalog, "", "Box\t1"}).Status, 0);
  ASSERT_EQ(RunCli({"add", c.Catalog, c.Medium, "--name", "Inner", "--group", "Box%091", "--quiet",
                    "--no-descriptions"})
                .Status,
            0);
  ASSERT_EQ(RunCli({"add", c.Catalog, c.Medium, "--name", "Disk2", "--quiet", "--no-descriptions"})
                .Status,
            0);
  TCliResult info = RunCli({"info", c.Catalog});
  EXPECT_EQ(info.Status, 0) << info.Err;
  std::vector<std::string> lines = Lines(MaskNow(info.Out));
  ASSERT_EQ(lines.size(), 9u) << info.Out;
  EXPECT_EQ(lines[0], "Catalog: c");
  EXPECT_EQ(lines[1], "Created: <now>");
  EXPECT_EQ(lines[3], "Size: 45 bytes (45 bytes)");
  EXPECT_EQ(lines[4], "Disks: 3, folders: 6, files: 12");
  // Disks in catalog order (as ls lists the catalog), with their encoded paths.
  std::vector<std::string> top;
  for (const std::string& row : Lines(RunCli({"ls", c.Catalog, "--tsv"}).Out))
    top.push_back(row.substr(0, row.find('\t')));
  ASSERT_EQ(top.size(), 3u);
  std::vector<std::string> shown;
  for (size_t i = 5; i < 8; ++i) shown.push_back(lines[i].substr(2, lines[i].find(':') - 2));
  std::vector<std::string> expected;
  for (const std::string& name : top)
    expected.push_back(name == "Box%091" ? "Box%091\\Inner" : name);
  EXPECT_EQ(shown, expected) << info.Out;
  for (size_t i = 5; i < 8; ++i)
    EXPECT_NE(lines[i].find(": 15 bytes, 2 folders, 4 files, label \""), std::string::npos)
        << lines[i];
  EXPECT_EQ(lines[8].rfind("Names not in UTF-8: 0 of ", 0), 0u) << lines[8];

  // check reads the file as the load does, without building it.
  std::string cut = ReadWhole(c.Catalog);
  cut.resize(cut.size() - 3);
  const std::string damaged = c.Dir + "/cut.ctl";
  std::ofstream(damaged, std::ios::binary) << cut;
  TCliResult check = RunCli({"check", damaged});
  EXPECT_EQ(check.Status, 1);
  EXPECT_EQ(check.Out.rfind(damaged + ": invalid: checksum mismatch", 0), 0u) << check.Out;
  TCliResult refused = RunCli({"info", damaged});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Out, "");
  EXPECT_NE(refused.Err, "");
}

}  // namespace
