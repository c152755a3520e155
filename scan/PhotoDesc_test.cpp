// SPDX-License-Identifier: MIT
#include "scan/PhotoDesc.h"

#include <gtest/gtest.h>

#include "platform/FileIO.h"
#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"
#include "scan/MediaTestUtil.h"

namespace {

std::string Describe(const std::string& path) {
  return PhotoDescription(TByteSource::OfFile(path));
}

// A small baseline JPEG made by ffmpeg, with EXIF written by exiftool.
std::string CameraJpeg(const std::string& dir, const std::string& exif) {
  EXPECT_TRUE(RunIn(dir, "ffmpeg -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 -y p.jpg"));
  if (!exif.empty()) {
    EXPECT_TRUE(RunIn(dir, "exiftool -q -overwrite_original " + exif + " p.jpg"));
  }
  return dir + "/p.jpg";
}

}  // namespace

TEST(PhotoDesc, JpegWithExifAgreesWithExiftool) {
  REQUIRE_TOOL("ffmpeg");
  REQUIRE_TOOL("exiftool");
  LoadMediaTexts();
  std::string dir = MediaScratch("photo");
  std::string path =
      CameraJpeg(dir, "-Make=Canon '-Model=Canon EOS 80D' '-DateTimeOriginal=2023:05:01 12:34:56'");
  EXPECT_EQ(Describe(path), "Canon EOS 80D\r\n2023-05-01 12:34:56\r\n64 x 48 x 24 bits");
  // The same fields as exiftool reads them.
  EXPECT_EQ(OutputIn(dir, "exiftool -s3 -Model -DateTimeOriginal -ImageSize p.jpg"),
            "Canon EOS 80D\n2023:05:01 12:34:56\n64x48");
  // A model without the make gets it in front; a blank camera clock gives no date line.
  CameraJpeg(dir, "-Make=SONY -Model=ILCE-7M3 '-DateTimeOriginal=0000:00:00 00:00:00'");
  EXPECT_EQ(Describe(path), "SONY ILCE-7M3\r\n64 x 48 x 24 bits");
  CameraJpeg(dir,
             "'-Make=NIKON CORPORATION' '-Model=NIKON D750' "
             "'-CreateDate=2020:01:02 03:04:05'");
  EXPECT_EQ(Describe(path), "NIKON D750\r\n2020-01-02 03:04:05\r\n64 x 48 x 24 bits");
  // Without EXIF only the size is known: the image readers' own text.
  CameraJpeg(dir, "");
  EXPECT_EQ(Describe(path), ImageDescriptionFromSource(TByteSource::OfFile(path), 6));
}

TEST(PhotoDesc, ProgressiveJpegGetsItsSize) {
  REQUIRE_TOOL("ffmpeg");
  LoadMediaTexts();
  std::string dir = MediaScratch("progressive");
  std::string data;
  ASSERT_TRUE(ReadWholeFile(CameraJpeg(dir, ""), data).Ok());
  size_t sof = data.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  data[sof + 1] = '\xC2';                             // the frame header of a progressive JPEG
  EXPECT_EQ(ImageDescriptionFromBytes(data, 6), "");  // the JPEG rule knows baseline frames only
  EXPECT_EQ(PhotoDescriptionFromBytes(data), "64 x 48 x 24 bits");
}

TEST(PhotoDesc, PngAndWebpAndTiff) {
  REQUIRE_TOOL("ffmpeg");
  LoadMediaTexts();
  std::string dir = MediaScratch("formats");
  ASSERT_TRUE(RunIn(dir,
                    "ffmpeg -v error -f lavfi -i color=c=blue:s=40x30 -frames:v 1 -y a.png"
                    " -frames:v 1 -pix_fmt rgba -y b.png -frames:v 1 -y c.tiff"));
  EXPECT_EQ(Describe(dir + "/a.png"), "40 x 30 x 24 bits");
  EXPECT_EQ(Describe(dir + "/b.png"), "40 x 30 x 32 bits");
  EXPECT_EQ(Describe(dir + "/c.tiff"), "40 x 30 x 24 bits");
  if (RunIn(dir, "ffmpeg -v error -f lavfi -i color=c=blue:s=40x30 -frames:v 1 -y d.webp")) {
    EXPECT_EQ(Describe(dir + "/d.webp"), "40 x 30 x 24 bits");
  }
}

// Nothing Exiv2 cannot parse gets a description, and no prefix of a photo makes the reader fail
// other than by saying nothing or less.
TEST(PhotoDesc, DamagedAndForeignFilesGiveNothing) {
  LoadMediaTexts();
  EXPECT_EQ(PhotoDescriptionFromBytes(""), "");
  EXPECT_EQ(PhotoDescriptionFromBytes("not an image at all, just text"), "");
  EXPECT_EQ(PhotoDescriptionFromBytes(std::string("\xFF\xD8\xFF\xE1\xFF\xFF", 6)), "");
  EXPECT_EQ(PhotoDescription(TByteSource::None()), "");
  if (!HaveTool("ffmpeg") || !HaveTool("exiftool")) return;
  std::string dir = MediaScratch("prefixes");
  std::string data;
  ASSERT_TRUE(ReadWholeFile(CameraJpeg(dir, "-Make=Canon '-Model=Canon EOS 80D'"), data).Ok());
  for (size_t n = 0; n < data.size(); n += 7) {
    std::string text = PhotoDescriptionFromBytes(std::string_view(data).substr(0, n));
    EXPECT_TRUE(text.empty() || text.rfind("Canon EOS 80D", 0) == 0 ||
                text.find(" x ") != std::string::npos)
        << n << ": " << text;
  }
}
