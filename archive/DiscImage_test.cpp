// SPDX-License-Identifier: MIT
// Disc images as archives: ISO 9660 (Joliet, Rock Ridge) through libarchive, UDF-only images
// through libcdio. The images are made by genisoimage; a UDF-only one by blanking the ISO 9660
// descriptors of an image that carries both.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "archive/ArcDetect.h"
#include "archive/ArchiveExtract.h"
#include "archive/ZipTV.h"
#include "platform/FileIO.h"
#include "scan/MediaTestUtil.h"

namespace {

std::map<std::string, int64_t> Listing(TZipTV& reader) {
  std::map<std::string, int64_t> out;
  EXPECT_TRUE(reader
                  .ListAll([&out](const TArchiveEntry& e) {
                    out[e.Path] = e.Size;
                    return true;
                  })
                  .Ok())
      << reader.LastError();
  return out;
}

// A folder with a Cyrillic folder and file name and a file at the top, as an image.
std::string MakeImage(const std::string& dir, const std::string& options) {
  EXPECT_TRUE(RunIn(dir,
                    "rm -rf src && mkdir -p src/Папка && printf hello > src/Папка/файл.txt && "
                    "printf 12345678 > src/a.txt && genisoimage -quiet " +
                        options + " -V DISC -o disc.iso src"));
  return dir + "/disc.iso";
}

const std::map<std::string, int64_t> kEntries = {
    {"a.txt", 8}, {"Папка\\", 0}, {"Папка\\файл.txt", 5}};

}  // namespace

TEST(DiscImage, Iso9660WithJolietAndRockRidgeIsListedAndExtracted) {
  REQUIRE_TOOL("genisoimage");
  std::string dir = MediaScratch("iso");
  std::string iso = MakeImage(dir, "-J -R");
  TZipTV reader;
  reader.SetArchiveFile(iso);
  EXPECT_EQ(reader.ArcType(), atIso9660);
  EXPECT_EQ(Listing(reader), kEntries);
  std::filesystem::create_directories(dir + "/out");
  TExtractResult r = ExtractEntry(reader, iso, "Папка\\файл.txt", false, dir + "/out");
  EXPECT_EQ(r.Error, "");
  std::string data;
  EXPECT_TRUE(ReadWholeFile(dir + "/out/файл.txt", data).Ok());
  EXPECT_EQ(data, "hello");
}

TEST(DiscImage, UdfOnlyImageIsListedThroughLibcdio) {
  REQUIRE_TOOL("genisoimage");
  std::string dir = MediaScratch("udf");
  std::string image;
  ASSERT_TRUE(ReadWholeFile(MakeImage(dir, "-udf"), image).Ok());
  // The ISO 9660 descriptors come first, then the UDF recognition sequence.
  int blanked = 0;
  for (int sector = 16; sector < 24; ++sector) {
    if (image.compare(sector * 2048 + 1, 5, "CD001") != 0) continue;
    image.replace(sector * 2048 + 1, 5, "CDW02");
    ++blanked;
  }
  ASSERT_GE(blanked, 2);
  ASSERT_TRUE(WriteWholeFileAtomic(dir + "/udf.iso", image).Ok());
  TZipTV reader;
  reader.SetArchiveFile(dir + "/udf.iso");
  EXPECT_EQ(reader.ArcType(), atUdf);
  EXPECT_EQ(Listing(reader), kEntries);
  // The same bytes in memory (as the fuzz target hands them) list alike.
  reader.SetArchiveMemory(image, "udf.iso");
  EXPECT_EQ(Listing(reader), kEntries);
}

TEST(DiscImage, DamagedDescriptorsAreNoImage) {
  std::string zeros(40 * 2048, '\0');
  TArcSource src;
  src.OpenMemory(zeros);
  EXPECT_EQ(DiscImageType(src), atUnknown);
  zeros.replace(16 * 2048 + 1, 5, "BEA01");
  zeros.replace(17 * 2048 + 1, 5, "NSR03");
  EXPECT_EQ(DiscImageType(src), atUdf);
  TZipTV reader;
  reader.SetArchiveMemory(zeros, "x.iso");  // recognised, but no UDF volume behind it
  EXPECT_TRUE(reader.ListAll([](const TArchiveEntry&) { return true; }).Failed());
  std::string shortFile(16 * 2048 + 3, '\0');
  src.OpenMemory(shortFile);
  EXPECT_EQ(DiscImageType(src), atUnknown);
}
