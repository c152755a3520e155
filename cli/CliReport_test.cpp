// SPDX-License-Identifier: MIT
// tolvane-cli report: the report file of one container's items in each format, and the paths
// it refuses without writing anything.
#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

// The lines of a report file from its column titles on (the head carries the time of writing).
std::vector<std::string> Body(const std::string& file) {
  std::vector<std::string> lines = Lines(ReadWhole(file));
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t start = 0;
  while (start < lines.size() && lines[start].rfind("Name", 0) != 0 &&
         lines[start].rfind("Disk,", 0) != 0)
    ++start;
  return std::vector<std::string>(lines.begin() + static_cast<long>(start), lines.end());
}

TEST(CliReportTest, ReportOfAFolderDiskOrCatalog) {
  TSmallCatalog c = MakeSmallCatalog("cli-report");
  std::string out = c.Dir + "/disk.txt";
  TCliResult r = RunCli({"report", c.Catalog, "Disk1", "--format", "txt-tab", "-o", out});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out + r.Err, "");
  // Separators and line ends inside names do not split columns or lines.
  EXPECT_EQ(Body(out), (std::vector<std::string>{
                           "Name\tExt.\tSize\tModified\tAttr.\tDescription\tCategory",
                           "-------\t----\t----\t-----------------\t-----\t-----------\t--------",
                           "sub\t\t8\t04.03.2020, 05:06\td",
                           "we\\ird\t\t1\t04.03.2020, 05:06\td",
                           "a\ttxt\t5\t04.03.2020, 05:06\ta\thello",
                           "nl name\t\t1\t04.03.2020, 05:06\ta",
                           "------------------------------",
                           "Folders: 2 (9 bytes); Files: 2 (6 bytes)",
                       }));
  EXPECT_NE(ReadWhole(out).find("Disk \"Disk1\""), std::string::npos);

  ASSERT_EQ(
      RunCli({"report", c.Catalog, "Disk1\\we%5Cird", "--format", "txt-tab", "-o", out}).Status, 0);
  EXPECT_EQ(Body(out).at(2), "t_ab\t\t1\t04.03.2020, 05:06\ta");

  // The catalog in its disk layout, with a title of our own.
  std::string csv = c.Dir + "/catalog.csv";
  ASSERT_EQ(
      RunCli({"report", c.Catalog, "--format", "txt-comma", "-o", csv, "--title", "Mine"}).Status,
      0);
  std::vector<std::string> body = Body(csv);
  ASSERT_GE(body.size(), 3u);
  EXPECT_EQ(body[0], "Disk,Disk type,Volume label,Size,Free,Added,Description,Category,Location");
  EXPECT_EQ(body[2].rfind("Disk1,", 0), 0u) << body[2];
  EXPECT_NE(ReadWhole(csv).find("Mine"), std::string::npos);

  // HTML is the default format.
  std::string html = c.Dir + "/r.html";
  ASSERT_EQ(RunCli({"report", c.Catalog, "Disk1\\sub", "--output", html}).Status, 0);
  EXPECT_EQ(ReadWhole(html).rfind("<HTML>", 0), 0u);
  EXPECT_NE(ReadWhole(html).find("<TD>b</TD><TD>dat</TD><TD>8</TD>"), std::string::npos);
}

TEST(CliReportTest, NothingIsWrittenForPathsItCannotReport) {
  TSmallCatalog c = MakeSmallCatalog("cli-report-refused");
  std::string out = c.Dir + "/r.txt";
  const std::vector<std::pair<std::string, std::string>> refused{
      {"Disk1\\a.txt", "\"Disk1\\a.txt\" is a file, not a catalog, group, disk or folder"},
      {"Disk1\\none", "no item \"Disk1\\none\" in the catalog"},
  };
  for (const auto& [path, message] : refused) {
    TCliResult r = RunCli({"report", c.Catalog, path, "--format", "txt", "-o", out});
    EXPECT_EQ(r.Status, 1) << path;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "tolvane-cli report: " + message + "\n");
    EXPECT_FALSE(fs::exists(out)) << path;
  }
  std::string nowhere = c.Dir + "/no/r.txt";
  TCliResult r = RunCli({"report", c.Catalog, "--format", "txt", "-o", nowhere});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err.rfind("tolvane-cli report: " + nowhere + ": ", 0), 0u) << r.Err;
  EXPECT_FALSE(fs::exists(c.Dir + "/no"));
}

}  // namespace
