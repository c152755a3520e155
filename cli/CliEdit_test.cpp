// SPDX-License-Identifier: MIT
// tolvane-cli mkgroup / mv / rm / rename / set-desc / set-category / sort: what each prints, the
// rows after it, and the refusals that leave the catalog file as it was.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

TEST(CliEditTest, GroupsAreMadeMovedSortedAndRenamed) {
  TSmallCatalog c = MakeSmallCatalog("cli-edit-groups");
  const std::string& cat = c.Catalog;
  ASSERT_EQ(RunCli({"add", cat, c.Medium, "--name", "Alpha", "--quiet"}).Status, 0);

  // mkgroup prints the new group's path; a taken name gets a number; names are encoded.
  EXPECT_EQ(RunCli({"mkgroup", cat, "", "Box"}).Out, "Box\n");
  EXPECT_EQ(RunCli({"mkgroup", cat, "", "box"}).Out, "box (2)\n");
  TCliResult tab = RunCli({"mkgroup", cat, "Box", "In\tner\\"});
  EXPECT_EQ(tab.Status, 0) << tab.Err;
  EXPECT_EQ(tab.Out, "Box\\In%09ner%5C\n");
  // At a disk the group goes in front of it, in the disk's container.
  EXPECT_EQ(RunCli({"mkgroup", cat, "Alpha", "Before alpha"}).Out, "Before alpha\n");
  EXPECT_EQ(MaskNow(RunCli({"ls", cat, "--tsv"}).Out),
            "Disk1\tDisk\t15\t\t<now>\t\t\n"
            "Before alpha\tGroup\t0\t\t<now>\t\t\n"
            "Alpha\tDisk\t15\t\t<now>\t\t\n"
            "Box\tGroup\t0\t\t<now>\t\t\n"
            "box (2)\tGroup\t0\t\t<now>\t\t\n");
  ExpectRefused({"mkgroup", cat, "Disk1\\sub", "G"}, cat,
                "a group goes into a catalog or group, or above a disk");
  ExpectRefused({"mkgroup", cat, "Nowhere", "G"}, cat, "no item \"Nowhere\" in the catalog");

  // mv prints the new path; the sizes of source and destination follow.
  TCliResult mv = RunCli({"mv", cat, "Alpha", cat, "Box\\In%09ner%5C"});
  EXPECT_EQ(mv.Status, 0) << mv.Err;
  EXPECT_EQ(mv.Out, "Box\\In%09ner%5C\\Alpha\n");
  std::vector<std::string> box = Lines(MaskNow(RunCli({"ls", cat, "Box", "-R", "--tsv"}).Out));
  ASSERT_EQ(box.size(), 8u);
  EXPECT_EQ(box[0], "Box\\In%09ner%5C\tGroup\t15\t\t<now>\t\t");
  EXPECT_EQ(box[1], "Box\\In%09ner%5C\\Alpha\tDisk\t15\t\t<now>\t\t");
  EXPECT_EQ(box[3], "Box\\In%09ner%5C\\Alpha\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t");
  EXPECT_EQ(MaskNow(RunCli({"ls", cat, "--tsv"}).Out),
            "Disk1\tDisk\t15\t\t<now>\t\t\n"
            "Before alpha\tGroup\t0\t\t<now>\t\t\n"
            "Box\tGroup\t15\t\t<now>\t\t\n"
            "box (2)\tGroup\t0\t\t<now>\t\t\n");
  ExpectRefused({"mv", cat, "Box", cat, "Box\\In%09ner%5C"}, cat,
                "cannot move an item into itself");
  ExpectRefused({"mv", cat, "Disk1\\sub", cat, "Box"}, cat, "only groups and disks are moved");
  ExpectRefused({"mv", cat, "Disk1", cat, "Box\\In%09ner%5C\\Alpha"}, cat,
                "the destination must be a catalog or a group");
  ExpectRefused({"mv", cat, "Disk1", cat, ""}, cat, "the item is in that destination already");
  ExpectRefused({"mv", cat, "Disk9", cat, ""}, cat, "no item \"Disk9\" in the catalog");
  ExpectRefused({"mv", cat, "Disk1", cat, "Box9"}, cat, "no item \"Box9\" in the catalog");

  // sort orders the groups and disks of a catalog or group by name.
  TCliResult sort = RunCli({"sort", cat});
  EXPECT_EQ(sort.Status, 0) << sort.Err;
  EXPECT_EQ(sort.Out, "");
  std::vector<std::string> names;
  for (const std::string& row : Lines(RunCli({"ls", cat, "--tsv"}).Out))
    names.push_back(TsvFields(row)[0]);
  EXPECT_EQ(names, (std::vector<std::string>{"Before alpha", "Box", "box (2)", "Disk1"}));
  ExpectRefused({"sort", cat, "Disk1"}, cat, "only a catalog or a group can be sorted");

  // rename: the catalog (""), a group, a disk; the new name printed encoded.
  EXPECT_EQ(RunCli({"rename", cat, "", "My\tdiscs"}).Out, "My%09discs\n");
  EXPECT_EQ(Lines(RunCli({"info", cat}).Out).at(0), "Catalog: My\tdiscs");
  EXPECT_EQ(RunCli({"rename", cat, "box (2)", "Crate"}).Out, "Crate\n");
  EXPECT_EQ(RunCli({"rename", cat, "Disk1", "Disk\\%1"}).Out, "Disk%5C%251\n");
  EXPECT_EQ(RunCli({"ls", cat, "Disk%5C%251\\a.txt", "--tsv"}).Out,
            "Disk%5C%251\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n");
  ExpectRefused({"rename", cat, "Disk%5C%251\\sub", "x"}, cat,
                "only catalogs, groups and disks can be renamed");
}

TEST(CliEditTest, RemovingItemsKeepsTheTotals) {
  TSmallCatalog c = MakeSmallCatalog("cli-edit-rm");
  const std::string& cat = c.Catalog;
  TCliResult rm = RunCli({"rm", cat, "Disk1\\sub\\b.dat", "Disk1\\nl%0Aname"});
  EXPECT_EQ(rm.Status, 0) << rm.Err;
  EXPECT_EQ(rm.Out, "");
  EXPECT_EQ(AllRows(cat),
            "Disk1\tDisk\t6\t\t<now>\t\t\n"
            "Disk1\\sub\tFolder\t0\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\t\t\n"
            "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\t\n"
            "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n");
  EXPECT_EQ(Lines(RunCli({"info", cat}).Out).at(4), "Disks: 1, folders: 2, files: 2");
  // One missing path removes nothing.
  ExpectRefused({"rm", cat, "Disk1\\a.txt", "Disk1\\b.dat"}, cat,
                "no item \"Disk1\\b.dat\" in the catalog");
  ExpectRefused({"rm", cat, ""}, cat, "the catalog itself cannot be removed");
  EXPECT_EQ(RunCli({"rm", cat, "Disk1"}).Status, 0);
  EXPECT_EQ(AllRows(cat), "");
  EXPECT_EQ(Lines(RunCli({"info", cat}).Out).at(3), "Size: 0 bytes (0 bytes)");
}

TEST(CliEditTest, DescriptionsAndCategoriesInTheirColumns) {
  TSmallCatalog c = MakeSmallCatalog("cli-edit-texts");
  const std::string& cat = c.Catalog;
  // Line ends, TAB and backslash of a description are escaped in its column.
  TCliResult desc = RunCli({"set-desc", cat, "Disk1\\we%5Cird\\t%09ab", "one\ntwo\tthree\\"});
  EXPECT_EQ(desc.Status, 0) << desc.Err;
  EXPECT_EQ(desc.Out, "");
  EXPECT_EQ(RunCli({"ls", cat, "Disk1\\we%5Cird\\t%09ab", "--tsv"}).Out,
            "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\tone\\ntwo\\tthree\\\\\n");
  // An empty text removes it.
  EXPECT_EQ(RunCli({"set-desc", cat, "Disk1\\a.txt", ""}).Status, 0);
  EXPECT_EQ(RunCli({"ls", cat, "Disk1\\a.txt", "--tsv"}).Out,
            "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\t\n");
  ExpectRefused({"set-desc", cat, "Disk1\\zz", "x"}, cat, "no item \"Disk1\\zz\" in the catalog");

  // A category for one item, or for a folder and everything in it; "" removes it.
  EXPECT_EQ(RunCli({"set-category", cat, "Disk1", "Music"}).Status, 0);
  TCliResult rec = RunCli({"set-category", cat, "Disk1\\we%5Cird", "Tab\tbed", "--recursive"});
  EXPECT_EQ(rec.Status, 0) << rec.Err;
  EXPECT_EQ(rec.Out, "");
  EXPECT_EQ(RunCli({"set-category", cat, "Disk1\\sub", "music", "-R"}).Status, 0);
  EXPECT_EQ(RunCli({"set-category", cat, "Disk1\\sub\\b.dat", ""}).Status, 0);
  EXPECT_EQ(
      AllRows(cat),
      "Disk1\tDisk\t15\t\t<now>\tMusic\t\n"
      "Disk1\\sub\tFolder\t8\td\t04.03.2020, 05:06\tMusic\t\n"
      "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n"
      "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\tTab\\tbed\t\n"
      "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\tTab\\tbed\tone\\ntwo\\tthree\\\\\n"
      "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\t\n"
      "Disk1\\nl%0Aname\tFile\t1\ta\t04.03.2020, 05:06\t\t\n");
  ExpectRefused({"set-category", cat, "", "Music"}, cat, "catalogs carry no category");

  // Moved to another catalog file, a disk takes its categories along unless --drop-missing.
  std::string other = c.Dir + "/other.ctl", third = c.Dir + "/third.ctl";
  ASSERT_EQ(RunCli({"new", other}).Status, 0);
  ASSERT_EQ(RunCli({"new", third}).Status, 0);
  TCliResult mv = RunCli({"mv", cat, "Disk1", other, ""});
  EXPECT_EQ(mv.Status, 0) << mv.Err;
  EXPECT_EQ(mv.Out, "Disk1\n");
  EXPECT_EQ(AllRows(cat), "");
  EXPECT_EQ(TsvFields(Lines(RunCli({"ls", other, "--tsv"}).Out).at(0)).at(5), "Music");
  EXPECT_EQ(TsvFields(Lines(RunCli({"ls", other, "Disk1\\we%5Cird", "--tsv"}).Out).at(0)).at(5),
            "Tab\\tbed");
  EXPECT_EQ(RunCli({"mv", other, "Disk1", third, "", "--drop-missing"}).Status, 0);
  EXPECT_EQ(TsvFields(Lines(RunCli({"ls", third, "--tsv"}).Out).at(0)).at(5), "");
  EXPECT_EQ(TsvFields(Lines(RunCli({"ls", third, "Disk1\\we%5Cird", "--tsv"}).Out).at(0)).at(6),
            "one\\ntwo\\tthree\\\\");
}

}  // namespace
