// SPDX-License-Identifier: MIT
// Extraction of entry specs, with and without folders, and the hostile archive whose entries
// try to leave the target folder.
#include "archive/ArchiveExtract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#include "archive/ArchiveTestUtil.h"
#include "archive/SafeWrite.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

// Every path below `root` (relative, "/" separated, folders with a trailing "/").
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> out;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = e.path().lexically_relative(root).string();
    out.insert(e.is_directory() && !e.is_symlink() ? rel + "/" : rel);
  }
  return out;
}

std::string Read(const std::string& path) {
  std::string data;
  EXPECT_EQ(ReadWholeFile(path, data).Message(), "") << path;
  return data;
}

bool HaveUnar() {
  return access("/usr/bin/unar", X_OK) == 0 || access("/usr/local/bin/unar", X_OK) == 0;
}

}  // namespace

TEST(ArchiveExtract, FileAndFolderWithAndWithoutStructure) {
  for (const char* fixture : {"sample.zip", "sample.tar.gz", "sample.7z"}) {
    SCOPED_TRACE(fixture);
    TTempFolder out;
    TZipTV reader;
    TExtractResult r = ExtractEntry(reader, Fixture(fixture), "a\\b\\c.txt", true, out.Path());
    EXPECT_EQ(r.Code, 0) << r.Error;
    EXPECT_EQ(r.Files, 1);
    EXPECT_EQ(r.Bytes, 12);
    EXPECT_EQ(Read(out / "a/b/c.txt"), "deep file c\n");
    struct stat st;
    ASSERT_EQ(stat((out / "a/b/c.txt").c_str(), &st), 0);
    // The entry's date, not now: ZIP keeps local time, tar and 7z keep UTC.
    struct tm local = {};
    local.tm_year = 121, local.tm_mon = 2, local.tm_mday = 4, local.tm_hour = 5, local.tm_min = 6,
    local.tm_sec = 8;
    local.tm_isdst = -1;
    EXPECT_EQ(st.st_mtime, std::string(fixture) == "sample.zip" ? mktime(&local) : 1614834368);

    TTempFolder flat;
    r = ExtractEntry(reader, Fixture(fixture), "dir", false, flat.Path());
    EXPECT_EQ(r.Code, 0) << r.Error;
    EXPECT_EQ(r.Files, 2);
    EXPECT_EQ(Tree(flat.Path()), (std::set<std::string>{"y.txt", "Grüße €.txt"}));

    TTempFolder deep;
    r = ExtractEntry(reader, Fixture(fixture), "dir\\", true, deep.Path());
    EXPECT_EQ(r.Code, 0) << r.Error;
    EXPECT_EQ(Tree(deep.Path()), (std::set<std::string>{"dir/", "dir/y.txt", "dir/Grüße €.txt"}));

    r = ExtractEntry(reader, Fixture(fixture), "no\\such.txt", true, deep.Path());
    EXPECT_EQ(r.Code, -3);
    EXPECT_FALSE(r.Error.empty());
  }
}

TEST(ArchiveExtract, PlainGzipSelfExtractorAndExistingFiles) {
  TTempFolder out;
  TZipTV reader;
  TExtractResult r = ExtractEntry(reader, Fixture("named.txt.gz"), "x.txt", false, out.Path());
  EXPECT_EQ(r.Code, 0) << r.Error;
  EXPECT_EQ(Read(out / "x.txt"), "top level file\n");
  // An existing file is replaced; no temporary file is left behind.
  ASSERT_EQ(WriteWholeFileAtomic(out / "big.txt", "old").Message(), "");
  r = ExtractEntry(reader, Fixture("sfx.exe"), "big.txt", false, out.Path());
  EXPECT_EQ(r.Code, 0) << r.Error;
  EXPECT_EQ(Read(out / "big.txt"), std::string(3000, 'z'));
  EXPECT_EQ(Tree(out.Path()), (std::set<std::string>{"x.txt", "big.txt"}));
  r = ExtractEntry(reader, Fixture("sample.zip"), "x.txt", false, out / "missing");
  EXPECT_EQ(r.Code, -1);
  r = ExtractEntry(reader, Fixture("plain.exe"), "x.txt", false, out.Path());
  EXPECT_EQ(r.Code, -2);
}

// Mended: entries named "../evil.txt", "/abs.txt", "sub/../../escape.txt" and a symbolic link
// followed by "lnk/through.txt" must not write anything outside the target.
TEST(ArchiveExtract, HostileNamesStayInsideTheTarget) {
  TTempFolder box;
  ASSERT_EQ(mkdir((box / "target").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((box / "outside").c_str(), 0755), 0);
  std::string target = box / "target";
  TZipTV reader;
  // The listing shows the names as stored.
  auto list = ListFile(Fixture("hostile.zip"));
  std::set<std::string> names;
  for (auto& e : list) names.insert(e.Path);
  EXPECT_TRUE(names.count("..\\evil.txt"));
  EXPECT_TRUE(names.count("\\abs.txt"));
  for (const char* spec : {"..\\evil.txt", "sub\\..\\..\\escape.txt"}) {
    TExtractResult r = ExtractEntry(reader, Fixture("hostile.zip"), spec, true, target);
    EXPECT_EQ(r.Code, -1) << spec;
    EXPECT_NE(r.Error.find("unsafe"), std::string::npos) << r.Error;
  }
  TExtractResult r = ExtractEntry(reader, Fixture("hostile.zip"), "\\abs.txt", true, target);
  EXPECT_EQ(r.Code, 0) << r.Error;  // written below the target, not at the root
  // The folder spec "lnk" takes the link (never created) and the file below it (written into a
  // real folder "lnk").
  r = ExtractEntry(reader, Fixture("hostile.zip"), "lnk", true, target);
  EXPECT_EQ(r.Files, 1);
  struct stat st;
  ASSERT_EQ(lstat((box / "target/lnk").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  // A link already in the target is not written through.
  ASSERT_EQ(mkdir((box / "target2").c_str(), 0755), 0);
  ASSERT_EQ(symlink("../outside", (box / "target2/lnk").c_str()), 0);
  r = ExtractEntry(reader, Fixture("hostile.zip"), "lnk\\through.txt", true, box / "target2");
  EXPECT_EQ(r.Code, -1);
  EXPECT_EQ(Tree(box / "outside"), std::set<std::string>{});
  EXPECT_EQ(Tree(box / "target"), (std::set<std::string>{"abs.txt", "lnk/", "lnk/through.txt"}));
  // Without folders the file goes into the target itself; the link is left alone.
  r = ExtractEntry(reader, Fixture("hostile.zip"), "lnk\\through.txt", false, box / "target2");
  EXPECT_EQ(r.Code, 0) << r.Error;
  EXPECT_EQ(Tree(box / "outside"), std::set<std::string>{});
  EXPECT_EQ(Tree(box / "target2"), (std::set<std::string>{"through.txt", "lnk"}));
}

TEST(ArchiveExtract, SafeRelativeParts) {
  std::vector<std::string> parts;
  EXPECT_EQ(SafeRelativeParts("C:\\x\\.\\y//z", parts).Message(), "");
  EXPECT_EQ(parts, (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_NE(SafeRelativeParts("a/../b", parts).Message(), "");
  EXPECT_NE(SafeRelativeParts("\\\\", parts).Message(), "");
}

TEST(ArchiveExtract, FormatsOfTheUnarTool) {
  TTempFolder out;
  TZipTV reader;
  TExtractResult r = ExtractEntry(reader, Fixture("sample.arj"), "a\\b\\c.txt", true, out.Path());
  if (!HaveUnar()) {
    EXPECT_EQ(r.Code, -2);
    EXPECT_NE(r.Error.find("unar"), std::string::npos);
    return;
  }
  EXPECT_EQ(r.Code, 0) << r.Error;
  EXPECT_EQ(Read(out / "a/b/c.txt"), "deep file c\n");
  r = ExtractEntry(reader, Fixture("sample.arj"), "dir", false, out.Path());
  EXPECT_EQ(r.Code, 0) << r.Error;
  EXPECT_EQ(Tree(out.Path()),
            (std::set<std::string>{"a/", "a/b/", "a/b/c.txt", "y.txt", "Grüße €.txt"}));
}
