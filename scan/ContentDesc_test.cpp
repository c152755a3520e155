// SPDX-License-Identifier: MIT
#include "scan/ContentDesc.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "ReadersTestUtil.h"
#include "scan/ByteSource.h"
#include "scan/PeVersion.h"

namespace {

class ContentDescTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReaderTexts(); }
};

// ---- HTML title ------------------------------------------------------------------------------

TEST_F(ContentDescTest, HtmlTitleTagsInAnyCaseWithoutAttributes) {
  EXPECT_EQ(HtmlTitleFromBytes("<html><head><title>Home Page</title>"), "Home Page");
  EXPECT_EQ(HtmlTitleFromBytes("<TiTlE>  Mixed &amp; <b>raw</b>\r\nline</tItLe>"),
            "  Mixed &amp; <b>raw</b>\r\nline");
  EXPECT_EQ(HtmlTitleFromBytes("</title> before <title>After</title>"), "After");
  EXPECT_EQ(HtmlTitleFromBytes("<title lang=en>Attr</title>"), "");
  EXPECT_EQ(HtmlTitleFromBytes("<title>never closed"), "");
  EXPECT_EQ(HtmlTitleFromBytes(std::string("<title>zero\0byte</title>", 24)), "zero");
  EXPECT_EQ(HtmlTitleFromBytes("no title here"), "");
}

TEST_F(ContentDescTest, HtmlTitleIsCutAt1024BytesAndFoundAcrossReadBlocks) {
  std::string longTitle(2000, 'x');
  EXPECT_EQ(HtmlTitleFromBytes("<title>" + longTitle + "</title>"), std::string(1024, 'x'));
  // Both tags straddle the 64 KB read blocks of the file reader.
  std::string page(65536 - 3, ' ');
  page += "<title>Far away" + std::string(65525, ' ') + "</TITLE>";
  std::string path = ReaderScratchFile("far.htm", page);
  EXPECT_EQ(ReadHtmlTitle(path), "Far away" + std::string(1016, ' '));
  EXPECT_EQ(ReadHtmlTitle(path + ".missing"), "");
}

// A title belongs to the head of a page: only the first MiB is searched, so a large page without
// a title is not read to its end (it used to be, in full).
TEST_F(ContentDescTest, HtmlTitleIsSearchedInTheFirstMebibyteOnly) {
  const size_t mib = 1024 * 1024;
  std::string inside(mib - 30, ' ');
  inside += "<title>Last</title>";
  EXPECT_EQ(HtmlTitleFromBytes(inside), "Last");
  std::string beyond(mib, ' ');
  beyond += "<title>Too late</title>";
  EXPECT_EQ(HtmlTitleFromBytes(beyond), "");
  std::string closedLate = "<title>Open" + std::string(mib, ' ') + "</title>";
  EXPECT_EQ(HtmlTitleFromBytes(closedLate), "");
}

// ---- Text head -------------------------------------------------------------------------------

TEST_F(ContentDescTest, TextHeadTakesTheLimitOrTheWholeFile) {
  std::string ten(10 * 1024, 'a');
  ten[2047] = 'Z';
  std::string path = ReaderScratchFile("ten.txt", ten);
  EXPECT_EQ(ReadTextHead(path, 2, false), ten.substr(0, 2048));
  EXPECT_EQ(ReadTextHead(path, 0, false), ten);
  std::string big(200 * 1024, 'b');
  EXPECT_EQ(TextHeadFromBytes(big, 0, false).size(), 102400u);
  EXPECT_EQ(TextHeadFromBytes(big, -5, false).size(), 102400u);
  EXPECT_EQ(TextHeadFromBytes(std::string("a\0b", 3), 2, false), std::string("a\0b", 3));
  EXPECT_EQ(ReadTextHead(path + ".missing", 2, false), "");
  EXPECT_EQ(ReadTextHead(ReaderScratchFile("empty.txt", ""), 2, true), "");
}

TEST_F(ContentDescTest, TextHeadConvertsFromTheOemCodePage) {
  EXPECT_EQ(TextHeadFromBytes("\x81"
                              "ber \xB0\xDB",
                              2, true),
            "über ░█");
  EXPECT_EQ(TextHeadFromBytes("\x8F\xE0\xA8\xA2\xA5\xE2", 2, true, "CP866"), "Привет");
  EXPECT_EQ(TextHeadFromBytes("\x81"
                              "ber",
                              2, false),
            "\x81"
            "ber");  // no flag: as stored
}

TEST_F(ContentDescTest, TextHeadCutInsideUtf8CharacterDropsIt) {
  std::string text(1023, 'a');
  text += "é and more";  // 'é' takes bytes 1023 and 1024
  EXPECT_EQ(TextHeadFromBytes(text, 1, false), std::string(1023, 'a'));
  // Text that is not UTF-8 anyway keeps every byte.
  std::string latin(1023, '\xE9');
  latin += "\xC3\xA9 tail";
  EXPECT_EQ(TextHeadFromBytes(latin, 1, false), latin.substr(0, 1024));
}

// ---- Image size ------------------------------------------------------------------------------

struct ImageCase {
  const char* file;
  int reader;
  const char* text;  // "" when no description is expected
};

// Files made by ImageMagick; sizes and depths as identify reports them.
const ImageCase kImages[] = {
    {"rgb24.bmp", 5, "40 x 30 x 24 bits"},
    {"baseline.jpg", 6, "48 x 32 x 24 bits"},
    {"progressive.jpg", 6, ""},
    {"gray256.gif", 7, "2 x 256 x 8 bits"},
    {"gray16.png", 8, "20 x 10 x 16 bits"},
    {"rgba8.png", 8, "24 x 12 x 32 bits"},
    {"palette.png", 8, "24 x 12 x 8 bits"},
    {"rgb24.pcx", 9, "30 x 20 x 24 bits"},
    {"rgb-be.tif", 10, "100 x 50 x 24 bits"},
    {"rgb-le.tif", 10, "100 x 50 x 24 bits"},
    {"gray8.tif", 10, "16 x 8 x 8 bits"},
};

TEST_F(ContentDescTest, ImageSizesOfRealFiles) {
  for (const ImageCase& c : kImages) {
    EXPECT_EQ(ReadImageDescription(ReaderFixture(c.file), c.reader), c.text) << c.file;
    // Every other decoder refuses the file.
    for (int other = 5; other <= 10; ++other) {
      if (other != c.reader) {
        EXPECT_EQ(ImageDescriptionFromBytes(ReaderFixtureBytes(c.file), other), "")
            << c.file << " as " << other;
      }
    }
  }
  EXPECT_EQ(ReadImageDescription(ReaderFixture("missing.bmp"), 5), "");
  EXPECT_EQ(ImageDescriptionFromBytes(ReaderFixtureBytes("rgb24.bmp"), 4), "");
}

TEST_F(ContentDescTest, ImageFieldsKeepTheirLow16BitsAndDepthModulo256) {
  std::string bmp = ReaderFixtureBytes("rgb24.bmp");
  bmp[22] = '\xE2';  // height -30: a top-down bitmap
  bmp[23] = bmp[24] = bmp[25] = '\xFF';
  EXPECT_EQ(ImageDescriptionFromBytes(bmp, 5), "40 x 65506 x 24 bits");
  bmp[28] = '\xFF';  // depth 255 marks "not recognised"
  EXPECT_EQ(ImageDescriptionFromBytes(bmp, 5), "");

  std::string pcx = ReaderFixtureBytes("rgb24.pcx");
  pcx[4] = 10;  // Xmin 10 > Xmax 29: the width wraps around
  EXPECT_EQ(ImageSizeFromBytes(pcx, 9).width, 20);
  pcx[4] = 40;
  EXPECT_EQ(ImageSizeFromBytes(pcx, 9).width, static_cast<uint16_t>(29 - 40 + 1));
  pcx[65] = 32;  // 8 bits x 32 planes = 256, kept modulo 256
  EXPECT_EQ(ImageSizeFromBytes(pcx, 9).depth, 0);

  std::string png = ReaderFixtureBytes("rgba8.png");
  png[25] = 5;  // no such colour type
  EXPECT_EQ(ImageDescriptionFromBytes(png, 8), "");
}

TEST_F(ContentDescTest, TiffWithZeroFieldOrHostileSampleCountGivesNothing) {
  std::string tif = ReaderFixtureBytes("rgb-le.tif");
  uint32_t dir = GetU32LE(&tif[4]);
  uint16_t entries = GetU16LE(&tif[dir]);
  for (uint16_t k = 0; k < entries; ++k) {
    char* e = &tif[dir + 2 + 12 * k];
    if (GetU16LE(e) == 258) {
      std::string copy = tif;
      copy[dir + 2 + 12 * k + 4] = '\xFF';  // count far beyond the file
      copy[dir + 2 + 12 * k + 5] = '\xFF';
      EXPECT_EQ(ImageDescriptionFromBytes(copy, 10), "");
    }
    if (GetU16LE(e) == 256) {
      std::string copy = tif;
      copy[dir + 2 + 12 * k + 2] = 7;  // field type UNDEFINED: width 0
      EXPECT_EQ(ImageDescriptionFromBytes(copy, 10), "");
    }
  }
  tif[4] = '\xF0';  // first directory past the end
  EXPECT_EQ(ImageDescriptionFromBytes(tif, 10), "");
}

TEST_F(ContentDescTest, JpegMarkerWalk) {
  // Fill bytes, a marker without a length and an APP0 segment before the frame header.
  std::string jpg = "\xFF\xD8\xFF\xFF\xFF\x01\xFF\xE0";
  jpg += std::string("\x00\x04\xAA\xBB", 4);
  jpg += std::string("\xFF\xC1\x00\x0B\x08\x01\x2C\x02\x58\x01", 10);
  EXPECT_EQ(ImageDescriptionFromBytes(jpg, 6), "600 x 300 x 8 bits");
  jpg[9] = 1;  // segment length 1 cannot hold itself
  EXPECT_EQ(ImageDescriptionFromBytes(jpg, 6), "");
}

// ---- Version text ----------------------------------------------------------------------------

TEST_F(ContentDescTest, VersionTextOfRealExecutables) {
  const std::string full = "Fixture Tool\r\nFixture Suite   (1.2)\r\nTolvane Test Works";
  EXPECT_EQ(ReadVersionText(ReaderFixture("version64.exe")), full);
  EXPECT_EQ(ReadVersionText(ReaderFixture("version32.exe")), full);
  EXPECT_EQ(ReadVersionText(ReaderFixture("company64.dll")), "\r\nOnly Company");
  EXPECT_EQ(ReadVersionText(ReaderFixture("same64.exe")), "Same Name   (2.0)");
  EXPECT_EQ(ReadVersionText(ReaderFixture("nover64.exe")), "");
  EXPECT_EQ(ReadVersionText(ReaderFixture("rgb24.bmp")), "");
  EXPECT_EQ(ReadVersionText(ReaderFixture("missing.exe")), "");
}

// ---- Damaged files ---------------------------------------------------------------------------

const char* const kAllFixtures[] = {
    "rgb24.bmp",   "baseline.jpg",  "progressive.jpg", "gray256.gif",    "gray16.png",
    "rgba8.png",   "palette.png",   "rgb24.pcx",       "rgb-be.tif",     "rgb-le.tif",
    "gray8.tif",   "version64.exe", "version32.exe",   "company64.dll",  "same64.exe",
    "nover64.exe", "v1.mp3",        "v11.mp3",         "v23-latin1.mp3", "v23-utf16.mp3",
    "v24.mp3",     "both.mp3"};

// Every reader's result for `data`, joined; readers that see too little must give nothing.
std::string AllReaders(std::string_view data) {
  std::string all = HtmlTitleFromBytes(data) + "|";
  for (int reader = 5; reader <= 10; ++reader) all += ImageDescriptionFromBytes(data, reader) + "|";
  return all + VersionTextFromBytes(data);
}

TEST_F(ContentDescTest, EveryTruncatedPrefixGivesNothingOrTheFullResult) {
  for (const char* name : kAllFixtures) {
    std::string data = ReaderFixtureBytes(name);
    for (int reader = 5; reader <= 10; ++reader) {
      std::string full = ImageDescriptionFromBytes(data, reader);
      for (size_t n = 0; n < data.size(); ++n) {
        std::string got = ImageDescriptionFromBytes(std::string_view(data).substr(0, n), reader);
        ASSERT_TRUE(got.empty() || got == full) << name << " prefix " << n;
      }
    }
    std::string version = VersionTextFromBytes(data);
    for (size_t n = 0; n < data.size(); ++n) {
      FileVersionInfo info;
      std::string error =
          FileVersionInfoFromBytes(std::string_view(data).substr(0, n), "f", info).Message();
      ASSERT_TRUE(error.empty() || error == "Invalid version info record in file f" ||
                  error == "Invalid language info in file f")
          << name << " prefix " << n << ": " << error;
      std::string got = VersionTextFromBytes(std::string_view(data).substr(0, n));
      ASSERT_TRUE(got.empty() || got == version) << name << " prefix " << n;
    }
  }
}

TEST_F(ContentDescTest, CorruptedBytesNeverBreakTheReaders) {
  // Each byte in turn set to 0x00, 0xFF and 0x80: lengths, offsets and counts all go wild.
  for (const char* name : kAllFixtures) {
    std::string data = ReaderFixtureBytes(name);
    for (size_t i = 0; i < data.size(); ++i) {
      for (char v : {'\x00', '\xFF', '\x80'}) {
        std::string bad = data;
        bad[i] = v;
        AllReaders(bad);
      }
    }
  }
}

}  // namespace

// Mended: the readers opened a FIFO named like a page or an image and waited for a writer for
// ever. A FIFO is refused at once.
TEST_F(ContentDescTest, FifosAreRefusedWithoutWaiting) {
  std::string path = ReaderScratchFile("pipe.htm", "");
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  auto result = std::async(std::launch::async, [&] {
    return ReadHtmlTitle(path) + ReadImageDescription(path, 8) + ReadTextHead(path, 1, false);
  });
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // free the reader, then fail
    if (fd >= 0) ::close(fd);
    ADD_FAILURE() << "a reader waited on the FIFO";
  }
  EXPECT_EQ(result.get(), "");
  std::filesystem::remove(path);
}
