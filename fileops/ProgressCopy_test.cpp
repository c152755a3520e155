// SPDX-License-Identifier: MIT
// The chunked copy: what it keeps, what it refuses, and the path checks of catalog names.
#include "fileops/ProgressCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/FileOpsTestUtil.h"

namespace {

TEST(ProgressCopy, CopiesContentModeAndTimeWithProgress) {
  std::string dir = ScratchDir(TestScratchName("copy"));
  std::string data(2 * 1024 * 1024 + 100, 'q');
  WriteFile(dir + "/src.bin", data);
  ::chmod((dir + "/src.bin").c_str(), 0640);
  struct timespec times[2] = {{1000000000, 0}, {1234567890, 500}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/src.bin").c_str(), times, 0), 0);
  WriteFile(dir + "/dst.bin", "an older file of that name");

  std::vector<int64_t> reports;
  TCopyResult r = CopyFileWithProgress(dir + "/src.bin", dir + "/dst.bin", [&](int64_t copied) {
    reports.push_back(copied);
    return true;
  });
  ASSERT_EQ(r.Status, TCopyStatus::Done) << r.Error;
  EXPECT_EQ(ReadFile(dir + "/dst.bin"), data);
  EXPECT_EQ(reports, (std::vector<int64_t>{0, 1 << 20, 2 << 20, 2 * 1024 * 1024 + 100}));
  struct stat st;
  ASSERT_EQ(::stat((dir + "/dst.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(TreeOf(dir), (std::set<std::string>{"src.bin", "dst.bin"}));

  // Links are copied as links, never followed.
  ASSERT_EQ(::symlink("/etc/hostname", (dir + "/link").c_str()), 0);
  r = CopyFileWithProgress(dir + "/link", dir + "/link-copy", {});
  ASSERT_EQ(r.Status, TCopyStatus::Done) << r.Error;
  EXPECT_EQ(fs::read_symlink(dir + "/link-copy"), "/etc/hostname");
}

TEST(ProgressCopy, RefusesWithoutLeavingTemporaryFiles) {
  std::string dir = ScratchDir(TestScratchName("refuse"));
  WriteFile(dir + "/src.txt", "source");
  fs::create_directories(dir + "/folder");
  // Onto itself (also through another name), onto a folder, from a missing file, from a FIFO.
  ASSERT_EQ(::link((dir + "/src.txt").c_str(), (dir + "/hard.txt").c_str()), 0);
  EXPECT_EQ(CopyFileWithProgress(dir + "/src.txt", dir + "/src.txt", {}).Status,
            TCopyStatus::Failed);
  EXPECT_EQ(CopyFileWithProgress(dir + "/src.txt", dir + "/hard.txt", {}).Status,
            TCopyStatus::Failed);
  EXPECT_EQ(CopyFileWithProgress(dir + "/src.txt", dir + "/folder", {}).Status,
            TCopyStatus::Failed);
  EXPECT_EQ(CopyFileWithProgress(dir + "/none", dir + "/x", {}).Status, TCopyStatus::Failed);
  ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(CopyFileWithProgress(dir + "/fifo", dir + "/x", {}).Status, TCopyStatus::Failed);
  TCopyResult r = CopyFileWithProgress(dir + "/src.txt", dir + "/x", [](int64_t) { return false; });
  EXPECT_EQ(r.Status, TCopyStatus::Cancelled);
  EXPECT_EQ(ReadFile(dir + "/src.txt"), "source");
  EXPECT_EQ(TreeOf(dir), (std::set<std::string>{"src.txt", "hard.txt", "folder/", "fifo"}));
}

TEST(ProgressCopy, CatalogPathsStayBelowTheirRoot) {
  std::string out;
  EXPECT_TRUE(RealPathBelow("/media/cd/", "a\\b c\\d.txt", out));
  EXPECT_EQ(out, "/media/cd/a/b c/d.txt");
  EXPECT_TRUE(RealPathBelow("/media/cd/", "", out));
  EXPECT_EQ(out, "/media/cd/");
  for (const char* bad : {"..", "a\\..\\b", ".\\x", "a\\\\b", "a/../../b", "a\\"})
    EXPECT_FALSE(RealPathBelow("/media/cd/", bad, out)) << bad;
}

}  // namespace
