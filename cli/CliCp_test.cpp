// SPDX-License-Identifier: MIT
// tolvane-cli cp: existing targets (overwritten, or kept with -n), and media recorded with
// neither label nor serial, which are never looked up by themselves (--from says where).
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/CliTestUtil.h"
#include "fileops/LocateMedium.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CliCpTest, ExistingTargetsAreOverwrittenUnlessNoClobber) {
  std::string dir = CliScratchDir("cli-cp-clobber");
  std::string medium = dir + "/medium", dest = dir + "/dest", catalog = dir + "/c.ctl";
  fs::create_directories(medium + "/sub");
  fs::create_directories(dest);
  std::ofstream(medium + "/a.txt") << "new a";
  std::ofstream(medium + "/sub/b.txt") << "new b";
  ASSERT_EQ(RunCli({"new", catalog}).Status, 0);
  ASSERT_EQ(RunCli({"add", catalog, medium, "--name", "Disk", "--quiet"}).Status, 0);

  TCliResult help = RunCli({"help", "cp"});
  EXPECT_TRUE(Contains(help.Out, "overwritten without asking")) << help.Out;
  EXPECT_TRUE(Contains(help.Out, "-n, --no-clobber")) << help.Out;

  // The default replaces an existing file.
  std::ofstream(dest + "/a.txt") << "old a";
  TCliResult plain = RunCli({"cp", catalog, "Disk\\a.txt", dest, "--from", medium, "--quiet"});
  EXPECT_EQ(plain.Status, 0) << plain.Err;
  EXPECT_EQ(ReadWhole(dest + "/a.txt"), "new a");

  // -n and --no-clobber keep it, report it, and copy the rest.
  for (const char* option : {"-n", "--no-clobber"}) {
    fs::remove_all(dest);
    fs::create_directories(dest + "/sub");
    std::ofstream(dest + "/a.txt") << "old a";
    TCliResult kept =
        RunCli({"cp", catalog, "Disk\\a.txt", "Disk\\sub", dest, option, "--from", medium});
    EXPECT_EQ(kept.Status, 0) << option << ": " << kept.Err;
    EXPECT_EQ(ReadWhole(dest + "/a.txt"), "old a") << option;
    EXPECT_EQ(ReadWhole(dest + "/sub/b.txt"), "new b") << option;
    EXPECT_TRUE(Contains(kept.Err, dest + "/a.txt: exists; not overwritten")) << kept.Err;
  }
}

TEST(CliCpTest, MediumWithoutLabelOrSerialIsNamedNotGuessed) {
  // A folder of the RAM disk at /dev/shm, which has neither label nor serial.
  bool ramDisk = false;
  for (const TVolume& v : MountedVolumes())
    if (v.Mount.MountPoint == "/dev/shm" && v.Label.empty() && v.SerialText == kNoSerialText)
      ramDisk = true;
  if (!ramDisk) GTEST_SKIP() << "no unlabelled RAM disk at /dev/shm";
  std::string dir = CliScratchDir("cli-cp-unidentified");
  std::string dest = dir + "/dest", catalog = dir + "/c.ctl", moved = dir + "/moved";
  std::string scanned = "/dev/shm/tolvane-cli-test-" + std::to_string(::getpid());
  fs::remove_all(scanned);
  fs::create_directories(scanned);
  fs::create_directories(dest);
  std::ofstream(scanned + "/x.txt") << "x";
  ASSERT_EQ(RunCli({"new", catalog}).Status, 0);
  TCliResult add = RunCli({"add", catalog, scanned, "--name", "Ram", "--quiet"});
  ASSERT_EQ(add.Status, 0) << add.Err;

  // Still there, the folder is offered, not taken.
  TCliResult asked = RunCli({"cp", catalog, "Ram", dest, "--quiet"});
  EXPECT_EQ(asked.Status, 1);
  EXPECT_TRUE(Contains(asked.Err, "disk \"Ram\"")) << asked.Err;
  EXPECT_TRUE(Contains(asked.Err, "neither volume label nor serial")) << asked.Err;
  EXPECT_TRUE(Contains(asked.Err, "--from DIR")) << asked.Err;
  EXPECT_TRUE(Contains(asked.Err, "    " + scanned + "/\n")) << asked.Err;
  EXPECT_TRUE(fs::is_empty(dest));

  // Gone from the RAM disk: nothing could hold it, and nothing is read from /dev/shm.
  fs::create_directories(moved);
  fs::copy(scanned, moved, fs::copy_options::recursive);
  fs::remove_all(scanned);
  TCliResult gone = RunCli({"cp", catalog, "Ram", dest, "--quiet"});
  EXPECT_EQ(gone.Status, 1);
  EXPECT_TRUE(Contains(gone.Err, "No mounted volume of its kind holds its folder")) << gone.Err;
  EXPECT_TRUE(fs::is_empty(dest));

  // --from names where it is now.
  TCliResult from = RunCli({"cp", catalog, "Ram", dest, "--quiet", "--from", moved});
  EXPECT_EQ(from.Status, 0) << from.Err;
  EXPECT_EQ(ReadWhole(dest + "/Ram/x.txt"), "x");
  TCliResult missing = RunCli({"cp", catalog, "Ram", dest, "--from", dir + "/nowhere"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_TRUE(Contains(missing.Err, "not an existing folder")) << missing.Err;
}

}  // namespace

namespace {

TEST(CliCpTest, AwkwardNamesAndRefusedPaths) {
  TSmallCatalog c = MakeSmallCatalog("cli-cp-paths");
  std::string dest = c.Dir + "/dest";
  fs::create_directories(dest);
  // Paths in the encoded form of the rows reach names with line ends.
  TCliResult cp = RunCli(
      {"cp", c.Catalog, "Disk1\\sub", "Disk1\\nl%0Aname", dest, "--from", c.Medium, "--quiet"});
  EXPECT_EQ(cp.Status, 0) << cp.Err;
  EXPECT_EQ(cp.Out + cp.Err, "");
  EXPECT_EQ(ReadWhole(dest + "/sub/b.dat"), "12345678");
  EXPECT_EQ(ReadWhole(dest + "/nl\nname"), "y");
  // A backslash inside a name is no separator on the medium: "we\ird" is one folder.
  for (const char* path : {"Disk1\\we%5Cird", "Disk1\\we%5Cird\\t%09ab"}) {
    TCliResult weird = RunCli({"cp", c.Catalog, path, dest, "--from", c.Medium, "--quiet"});
    EXPECT_EQ(weird.Status, 0) << path << ": " << weird.Err;
    EXPECT_EQ(weird.Out + weird.Err, "") << path;
  }
  EXPECT_EQ(ReadWhole(dest + "/we\\ird/t\tab"), "x");
  EXPECT_EQ(ReadWhole(dest + "/t\tab"), "x");
  TCliResult summary = RunCli({"cp", c.Catalog, "Disk1\\a.txt", dest, "--from", c.Medium});
  EXPECT_EQ(summary.Status, 0);
  EXPECT_EQ(summary.Err, "Copied 1 files, 5 bytes\n");

  fs::remove_all(dest);
  fs::create_directories(dest);
  ASSERT_EQ(RunCli({"mkgroup", c.Catalog, "", "G"}).Status, 0);
  for (const char* path : {"", "G", "Disk1\\none"}) {
    TCliResult r = RunCli({"cp", c.Catalog, "Disk1\\a.txt", path, dest, "--from", c.Medium});
    EXPECT_EQ(r.Status, 1) << path;
    EXPECT_EQ(r.Err, std::string("tolvane-cli cp: no disk, folder or file \"") + path +
                         "\" in the catalog\n");
  }
  TCliResult noDest = RunCli({"cp", c.Catalog, "Disk1\\a.txt", c.Dir + "/none"});
  EXPECT_EQ(noDest.Status, 1);
  EXPECT_EQ(noDest.Err, "tolvane-cli cp: " + c.Dir + "/none: not an existing folder\n");
  TCliResult fileDest = RunCli({"cp", c.Catalog, "Disk1\\a.txt", c.Catalog});
  EXPECT_EQ(fileDest.Status, 1);
  EXPECT_EQ(fileDest.Err, "tolvane-cli cp: " + c.Catalog + ": not an existing folder\n");
  TCliResult badFrom = RunCli({"cp", c.Catalog, "Disk1\\a.txt", dest, "--from", c.Catalog});
  EXPECT_EQ(badFrom.Status, 1);
  EXPECT_EQ(badFrom.Err, "tolvane-cli cp: --from " + c.Catalog + ": not an existing folder\n");
  EXPECT_TRUE(fs::is_empty(dest));
}

}  // namespace
