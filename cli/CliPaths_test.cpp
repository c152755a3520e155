// SPDX-License-Identifier: MIT
// Names that hold TAB, line ends, backslashes or percent signs: TSV rows stay one line of seven
// fields, the path column gives every name back, and every path works as a PATH argument.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/CliCatalog.h"
#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

// The names of a path column's value.
std::vector<std::string> DecodedPath(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    names.push_back(
        DecodePathName(path.substr(start, end == std::string::npos ? end : end - start)));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
}

TEST(CliPathsTest, EncodingOfNamesAndEscapingOfTexts) {
  using namespace std::string_literals;
  std::string awkward = "a\tb\nc\rd\0e\\f%g/h"s;
  EXPECT_EQ(EncodePathName(awkward), "a%09b%0Ac%0Dd%00e%5Cf%25g/h");
  EXPECT_EQ(DecodePathName(EncodePathName(awkward)), awkward);
  // Lower-case hex is accepted; a "%" without two hex digits stands for itself.
  EXPECT_EQ(DecodePathName("x%5cy"), "x\\y");
  EXPECT_EQ(DecodePathName("100% sure%"), "100% sure%");
  EXPECT_EQ(DecodePathName("%2"), "%2");
  EXPECT_EQ(DecodePathName("%zz"), "%zz");
  // Descriptions: a zero byte and a lone CR no longer end or split a row.
  EXPECT_EQ(TsvEscape("a\0b\rc\r\nd\ne\tf\\g"s), "a\\0b\\rc\\nd\\ne\\tf\\\\g");
}

class CliPathsRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = CliScratchDir("cli-paths");
    medium_ = dir_ + "/medium";
    catalog_ = dir_ + "/c.ctl";
    fs::create_directories(medium_ + "/sub\\dir");
    for (const std::string& name :
         {std::string("tab\there"), std::string("line\nfeed"), std::string("cr\rret"),
          std::string("back\\slash"), std::string("per%25cent"), std::string("sub\\dir/in\tside"),
          std::string("plain.txt")}) {
      std::ofstream(medium_ + "/" + name) << "x";
    }
    ASSERT_EQ(RunCli({"new", catalog_}).Status, 0);
    TCliResult add = RunCli({"add", catalog_, medium_, "--name", "Disk\\1%", "--quiet",
                             "--no-archives", "--no-descriptions"});
    ASSERT_EQ(add.Status, 0) << add.Err;
  }

  // Rows of `ls -R --tsv`, each checked to be one item of seven fields; keyed by path.
  std::map<std::string, std::vector<std::string>> Rows() {
    TCliResult ls = RunCli({"ls", catalog_, "-R", "--tsv"});
    EXPECT_EQ(ls.Status, 0) << ls.Err;
    std::map<std::string, std::vector<std::string>> rows;
    for (const std::string& line : Lines(ls.Out)) {
      std::vector<std::string> f = TsvFields(line);
      EXPECT_EQ(f.size(), 7u) << line;
      if (f.size() == 7) rows[f[0]] = f;
    }
    return rows;
  }

  std::string dir_, medium_, catalog_;
};

TEST_F(CliPathsRunTest, RowsGiveTheNamesBackAndServeAsPaths) {
  auto rows = Rows();
  std::set<std::vector<std::string>> names;
  for (const auto& [path, f] : rows) names.insert(DecodedPath(path));
  std::set<std::vector<std::string>> expected{
      {"Disk\\1%"},
      {"Disk\\1%", "tab\there"},
      {"Disk\\1%", "line\nfeed"},
      {"Disk\\1%", "cr\rret"},
      {"Disk\\1%", "back\\slash"},
      {"Disk\\1%", "per%25cent"},
      {"Disk\\1%", "plain.txt"},
      {"Disk\\1%", "sub\\dir"},
      {"Disk\\1%", "sub\\dir", "in\tside"},
  };
  EXPECT_EQ(names, expected);
  EXPECT_EQ(rows.count("Disk%5C1%25\\sub%5Cdir\\in%09side"), 1u);

  // Every path names its item in ls and set-desc.
  for (const auto& [path, f] : rows) {
    TCliResult ls = RunCli({"ls", catalog_, path, "--tsv"});
    EXPECT_EQ(ls.Status, 0) << path << ": " << ls.Err;
    if (f[1] != "Folder" && f[1] != "Disk") {
      EXPECT_EQ(ls.Out, path + "\t" + f[1] + "\t" + f[2] + "\t" + f[3] + "\t" + f[4] + "\t" + f[5] +
                            "\t" + f[6] + "\n");
    }
    TCliResult set = RunCli({"set-desc", catalog_, path, "about\t" + f[0] + "\r\\end"});
    EXPECT_EQ(set.Status, 0) << path << ": " << set.Err;
  }
  auto after = Rows();
  EXPECT_EQ(after.size(), rows.size());
  for (const auto& [path, f] : after)
    EXPECT_EQ(f[6], "about\\t" + TsvEscape(path) + "\\r\\\\end") << path;

  // rename takes the disk by its encoded path and prints the new name encoded.
  TCliResult rename = RunCli({"rename", catalog_, "Disk%5C1%25", "New\tname\\2"});
  EXPECT_EQ(rename.Status, 0) << rename.Err;
  EXPECT_EQ(rename.Out, "New%09name%5C2\n");
  after = Rows();
  EXPECT_EQ(after.count("New%09name%5C2\\tab%09here"), 1u);
  EXPECT_EQ(RunCli({"ls", catalog_, "New%09name%5C2\\line%0Afeed", "--tsv"}).Status, 0);
}

}  // namespace
