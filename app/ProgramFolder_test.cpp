// SPDX-License-Identifier: MIT
#include "app/ProgramFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// A fresh folder per test in which install layouts are built: prefix/bin/tolvane,
// prefix/share/tolvane/Language, a home folder and so on.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TOLVANE_TEST_TMP");
    fs::path root = base ? fs::path(base) : fs::temp_directory_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = root / (std::string("progfolder_") + info->name() + "_" +
                   std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "prefix" / "bin");
    fs::create_directories(dir_ / "home");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string D(const std::string& rel) const { return (dir_ / rel).string(); }
  void AddLanguage(const std::string& folder) {
    fs::create_directories(dir_ / folder / "Language");
    std::ofstream(dir_ / folder / "Language" / "English.lng") << "English\r\n1=&File\r\n";
  }
  // Inputs of an installed program whose folders are not writable except those in `writable`.
  TProgramInputs Installed() {
    TProgramInputs in;
    in.ExecutablePath = D("prefix/bin/tolvane");
    in.Home = D("home");
    in.IsWritable = [this](const std::string& f) { return writable_.count(f) > 0; };
    return in;
  }

  fs::path dir_;
  std::set<std::string> writable_;
};

TEST_F(ProgramFolderTest, PortableWhenTheExecutablesFolderIsWritable) {
  AddLanguage("prefix/bin");
  writable_.insert(D("prefix/bin/"));
  TProgramPlaces p = FindProgramPlaces(Installed());
  EXPECT_TRUE(p.Portable);
  EXPECT_EQ(p.ProgramFolder, D("prefix/bin/"));
  EXPECT_EQ(p.DataFolder, D("prefix/bin/"));
  EXPECT_EQ(p.Error, "");
  // Nothing was made in the home folder.
  EXPECT_FALSE(fs::exists(dir_ / "home" / ".config"));

  // A writable folder without the language files is an install's bin folder, not a portable one.
  fs::remove_all(dir_ / "prefix" / "bin" / "Language");
  AddLanguage("prefix/share/tolvane");
  p = FindProgramPlaces(Installed());
  EXPECT_FALSE(p.Portable);
  EXPECT_EQ(p.ProgramFolder, D("home/.config/tolvane/"));
  EXPECT_EQ(p.DataFolder, D("prefix/share/tolvane/"));
  AddLanguage("prefix/bin");

  // The default writability test on a real folder the test owns.
  TProgramInputs real = Installed();
  real.IsWritable = nullptr;
  EXPECT_TRUE(FindProgramPlaces(real).Portable);
}

TEST_F(ProgramFolderTest, InstalledLayoutUsesTheUserConfigFolderAndTheShareFolder) {
  AddLanguage("prefix/share/tolvane");
  TProgramPlaces p = FindProgramPlaces(Installed());
  EXPECT_FALSE(p.Portable);
  EXPECT_EQ(p.ProgramFolder, D("home/.config/tolvane/"));
  EXPECT_TRUE(fs::is_directory(dir_ / "home" / ".config" / "tolvane"));
  EXPECT_EQ(p.DataFolder, D("prefix/share/tolvane/"));
  EXPECT_EQ(p.Error, "");

  // An absolute XDG_CONFIG_HOME wins over the home folder.
  TProgramInputs in = Installed();
  in.XdgConfigHome = D("xdg");
  p = FindProgramPlaces(in);
  EXPECT_EQ(p.ProgramFolder, D("xdg/tolvane/"));
  EXPECT_TRUE(fs::is_directory(dir_ / "xdg" / "tolvane"));

  // A relative one is invalid and ignored.
  in.XdgConfigHome = "relative/config";
  EXPECT_EQ(FindProgramPlaces(in).ProgramFolder, D("home/.config/tolvane/"));
}

TEST_F(ProgramFolderTest, DataFolderIsTheFirstCandidateHoldingTheEnglishTable) {
  TProgramInputs in = Installed();
  in.ExtraDataFolders = {"", D("datadir"), D("source")};
  // None holds it: the executable's folder, so the fatal message names the expected place.
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("prefix/bin/"));

  AddLanguage("source");
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("source/"));
  AddLanguage("datadir");
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("datadir/"));
  AddLanguage("prefix/share/tolvane");
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("prefix/share/tolvane/"));
  AddLanguage("prefix/bin");
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("prefix/bin/"));

  // A folder named "Language/English.lng" is no table.
  fs::remove_all(dir_ / "prefix");
  fs::create_directories(dir_ / "prefix" / "bin" / "Language" / "English.lng");
  EXPECT_EQ(FindProgramPlaces(in).DataFolder, D("datadir/"));
}

TEST_F(ProgramFolderTest, UnusableConfigFolderIsReported) {
  // No home and no XDG folder: the executable's folder is kept, with a reason.
  TProgramInputs in = Installed();
  in.Home.clear();
  TProgramPlaces p = FindProgramPlaces(in);
  EXPECT_EQ(p.ProgramFolder, D("prefix/bin/"));
  EXPECT_FALSE(p.Portable);
  EXPECT_NE(p.Error, "");

  // A file where the config folder should be: the folder cannot be created.
  std::ofstream(dir_ / "blocked") << "x";
  in.XdgConfigHome = D("blocked");
  p = FindProgramPlaces(in);
  EXPECT_EQ(p.ProgramFolder, D("blocked/tolvane/"));
  EXPECT_NE(p.Error, "");
}

TEST(ProgramFolderCurrent, InputsOfThisProcess) {
  TProgramInputs in = CurrentProgramInputs({"/x"});
  EXPECT_TRUE(fs::path(in.ExecutablePath).is_absolute());
  EXPECT_TRUE(fs::exists(in.ExecutablePath));
  EXPECT_FALSE(in.Home.empty());
  ASSERT_EQ(in.ExtraDataFolders.size(), 1u);
  // A build-tree run finds the source tree's language files.
  in.ExtraDataFolders = {TOLVANE_SOURCE_DIR};
  EXPECT_TRUE(fs::exists(FindProgramPlaces(in).DataFolder + "Language/English.lng"));
}

}  // namespace
