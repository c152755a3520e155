// SPDX-License-Identifier: MIT
// Format recognition and listing of the committed fixtures, compared with what the archivers
// themselves list (unzip -l, arj l, 7z l, lha l, gcab -l, tar tv).
#include "archive/ZipTV.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "archive/ArcDetect.h"
#include "archive/ArcText.h"
#include "archive/ArchiveTestUtil.h"
#include "platform/FileIO.h"

namespace {

// 2021-03-04 05:06:08, the date of every file of the sample tree, as local time when the
// archiver stored local (DOS) time.
const double kSampleDate = ArcFieldsToDateTime(2021, 3, 4, 5, 6, 8);
// The same instant stored as UTC seconds (tar, 7z, gzip).
const double kSampleDateUtc = ArcUnixTimeToDateTime(1614834368);

struct Expect {
  const char* fixture;
  int32_t type;
  std::map<std::string, int64_t> files;  // path -> size, as the archiver lists them
  double date;
};

}  // namespace

TEST(ZipTVListing, FixturesAgreeWithTheArchivers) {
  const std::map<std::string, int64_t> all = {{"x.txt", 15},
                                              {"dir\\y.txt", 11},
                                              {"dir\\Grüße €.txt", 15},
                                              {"a\\b\\c.txt", 12},
                                              {"big.txt", 3000}};
  const Expect cases[] = {
      {"sample.zip", atZip, all, kSampleDate},
      {"sample.tar.gz", atTarGZip, all, kSampleDateUtc},
      {"sample.7z", atSevenZip, all, kSampleDateUtc},
      {"sample.arj", atArj, all, kSampleDateUtc},  // ARJ of a Unix host keeps UTC seconds
      {"sample.lzh",
       atLzh,
       {{"x.txt", 15}, {"dir\\y.txt", 11}, {"a\\b\\c.txt", 12}, {"big.txt", 3000}},
       kSampleDateUtc},
      {"sample.cab", atCab, {{"x.txt", 15}, {"dir\\y.txt", 11}, {"big.txt", 3000}}, kSampleDate},
      {"sample.tar", atTar, {{"x.txt", 15}, {"a\\b\\c.txt", 12}}, kSampleDateUtc},
  };
  for (const Expect& c : cases) {
    SCOPED_TRACE(c.fixture);
    std::string err;
    int32_t type = 0;
    auto list = ListFile(Fixture(c.fixture), &err, &type);
    EXPECT_EQ(err, "");
    EXPECT_EQ(type, c.type);
    std::map<std::string, int64_t> files;
    for (const auto& e : list) {
      if (e.IsFolder) {
        EXPECT_EQ(e.Path.back(), '\\') << e.Path;
        EXPECT_TRUE(e.Attr & kAttrDirectory) << e.Path;
        continue;
      }
      files[e.Path] = e.Size;
      EXPECT_NEAR(e.DateTime, c.date, 1.0 / 86400) << e.Path;
      EXPECT_FALSE(e.Attr & kAttrDirectory) << e.Path;
    }
    EXPECT_EQ(files, c.files);
  }
}

TEST(ZipTVListing, FolderEntriesAndFilterSettings) {
  TZipTV reader;
  reader.SetArchiveFile(Fixture("sample.zip"));
  std::vector<std::string> paths;
  auto collect = [&](const TArchiveEntry& e) {
    paths.push_back(e.Path);
    return true;
  };
  // Defaults: no folder entries (the empty folder "empty\" disappears).
  ASSERT_EQ(reader.ListEntries(collect).Message(), "");
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "empty\\"), 0);
  EXPECT_EQ(paths.size(), 5u);
  paths.clear();
  reader.ShowEmptyDirs = true;
  ASSERT_EQ(reader.ListEntries(collect).Message(), "");
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "empty\\"), 1);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "dir\\"), 1);
  paths.clear();
  reader.ShowEmptyDirs = false;
  reader.RecurseDirs = false;
  reader.FileSpec = "*.TXT";
  ASSERT_EQ(reader.ListEntries(collect).Message(), "");
  EXPECT_EQ(paths, (std::vector<std::string>{"x.txt", "big.txt"}));
}

TEST(ZipTVListing, PlainGzipNamesItsSingleEntry) {
  auto named = ListFile(Fixture("named.txt.gz"));
  ASSERT_EQ(named.size(), 1u);
  EXPECT_EQ(named[0].Path, "x.txt");  // the name stored in the header, not the file's
  EXPECT_EQ(named[0].Size, 15);
  EXPECT_NEAR(named[0].DateTime, kSampleDateUtc, 1.0 / 86400);
  int32_t type = 0;
  auto unnamed = ListFile(Fixture("noname.gz"), nullptr, &type);
  EXPECT_EQ(type, atGZip);
  ASSERT_EQ(unnamed.size(), 1u);
  EXPECT_EQ(unnamed[0].Path, "noname");
  EXPECT_EQ(unnamed[0].Size, 11);
}

TEST(ZipTVDetect, SelfExtractorsAndPlainPrograms) {
  int32_t type = 0;
  std::string err;
  auto list = ListFile(Fixture("sfx.exe"), &err, &type);
  EXPECT_EQ(type, atZipExe);
  EXPECT_EQ(err, "");
  EXPECT_EQ(list.size(), 7u);
  TZipTV reader;
  reader.SetArchiveFile(Fixture("sfx.exe"));
  EXPECT_EQ(reader.ArchiveOffset(), 1024u);  // right after the 1024-byte program image
  reader.SetArchiveFile(Fixture("plain.exe"));
  EXPECT_EQ(reader.ArcType(), atUnknown);
  EXPECT_NE(reader.ListAll([](const TArchiveEntry&) { return true; }).Message(), "");
}

TEST(ZipTVDetect, NonArchivesAndMissingFiles) {
  TTempFolder tmp;
  ASSERT_EQ(WriteWholeFileAtomic(tmp / "fake.zip", "this is no zip file at all").Message(), "");
  ASSERT_EQ(WriteWholeFileAtomic(tmp / "empty.zip", "").Message(), "");
  TZipTV reader;
  reader.SetArchiveFile(tmp / "fake.zip");
  EXPECT_EQ(reader.ArcType(), atUnknown);
  reader.SetArchiveFile(tmp / "empty.zip");
  EXPECT_EQ(reader.ArcType(), atUnknown);
  reader.SetArchiveFile(tmp / "missing.zip");
  EXPECT_EQ(reader.ArcType(), atFileOpenErr);
  EXPECT_FALSE(reader.LastError().empty());
  // A damaged archive: the first 200 bytes of the zip fixture.
  std::string zip;
  ASSERT_EQ(ReadWholeFile(Fixture("sample.zip"), zip).Message(), "");
  ASSERT_EQ(WriteWholeFileAtomic(tmp / "cut.zip", zip.substr(0, 200)).Message(), "");
  reader.UseExternalTools = false;
  reader.SetArchiveFile(tmp / "cut.zip");
  EXPECT_EQ(reader.ArcType(), atZip);
  int reported = 0;
  EXPECT_NE(reader.ListEntries([&](const TArchiveEntry&) { return ++reported, true; }).Message(),
            "");
  EXPECT_EQ(reported, 0);  // nothing is reported from an archive that fails
}

TEST(ZipTVDetect, EveryTruncatedArjPrefixListsWithoutCrashing) {
  std::string arj;
  ASSERT_EQ(ReadWholeFile(Fixture("sample.arj"), arj).Message(), "");
  for (size_t n = 0; n <= arj.size(); ++n) {
    TZipTV reader;
    reader.UseExternalTools = false;
    std::string_view prefix(arj.data(), n);
    reader.SetArchiveMemory(prefix, "sample.arj");
    int count = 0;
    std::string err = reader.ListAll([&](const TArchiveEntry&) { return ++count, true; }).Message();
    if (n == arj.size()) {
      EXPECT_EQ(err, "");
      EXPECT_EQ(count, 5);
    } else {
      // The end-of-archive header is the last 4 bytes: anything shorter is damaged.
      EXPECT_NE(err, "") << n;
    }
  }
}
