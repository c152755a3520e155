// SPDX-License-Identifier: MIT
#include "scan/VideoDesc.h"

#include <gtest/gtest.h>

#include "platform/FileIO.h"
#include "scan/ByteSource.h"
#include "scan/MediaTestUtil.h"

namespace {

std::string Describe(const std::string& path) {
  return VideoDescription(TByteSource::OfFile(path));
}

// Two seconds of 320 x 240 at 25 frames a second, H.264 and AAC, titled.
void MakeMp4(const std::string& dir) {
  ASSERT_TRUE(RunIn(dir,
                    "ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi "
                    "-i sine=frequency=440:sample_rate=44100 -t 2 -c:v libx264 -pix_fmt yuv420p "
                    "-c:a aac -metadata title=Holiday -metadata:s:a:0 language=eng -y a.mp4"));
}

}  // namespace

TEST(VideoDesc, ContainersWithFullHeaders) {
  REQUIRE_TOOL("ffmpeg");
  REQUIRE_TOOL("ffprobe");
  LoadMediaTexts();
  std::string dir = MediaScratch("video");
  MakeMp4(dir);
  ASSERT_TRUE(RunIn(dir, "ffmpeg -v error -i a.mp4 -c copy -y a.mkv"));
  EXPECT_EQ(Describe(dir + "/a.mp4"),
            "Holiday\r\n0:02, 320 x 240, H.264, 25 fps\r\nAudio: AAC, 44.1 kHz, 1 ch (eng)");
  EXPECT_EQ(Describe(dir + "/a.mkv"),
            "Holiday\r\n0:02, 320 x 240, H.264, 25 fps\r\nAudio: AAC, 44.1 kHz, 1 ch (eng)");
  EXPECT_EQ(OutputIn(dir,
                     "ffprobe -v error -select_streams v:0 -show_entries "
                     "stream=codec_name,width,height,avg_frame_rate -of csv=p=0 a.mp4"),
            "h264,320,240,25/1");
}

// Transport and program streams tell their streams' parameters only in the data.
TEST(VideoDesc, StreamsWhoseParametersLieInTheData) {
  REQUIRE_TOOL("ffmpeg");
  LoadMediaTexts();
  std::string dir = MediaScratch("video-streams");
  MakeMp4(dir);
  ASSERT_TRUE(RunIn(dir, "ffmpeg -v error -i a.mp4 -c copy -f mpegts -y a.ts"));
  ASSERT_TRUE(RunIn(dir,
                    "ffmpeg -v error -f lavfi -i testsrc=size=352x288:rate=25 -t 2 "
                    "-c:v mpeg2video -f vob -y a.vob"));
  ASSERT_TRUE(RunIn(dir,
                    "ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=10 -t 2 "
                    "-c:v mpeg4 -y a.avi"));
  EXPECT_NE(Describe(dir + "/a.ts").find("320 x 240, H.264, 25 fps\r\nAudio: AAC, 44.1 kHz"),
            std::string::npos);
  EXPECT_NE(Describe(dir + "/a.vob").find("0:02, 352 x 288, MPEG-2, 25 fps"), std::string::npos)
      << Describe(dir + "/a.vob");
  EXPECT_EQ(Describe(dir + "/a.avi"), "0:02, 160 x 120, MPEG-4 Visual, 10 fps");
}

// A playlist or reference file names other files; the reader opens none of them.
TEST(VideoDesc, NamedFilesAreNeverOpenedAndForeignDataGivesNothing) {
  LoadMediaTexts();
  EXPECT_EQ(VideoDescriptionFromBytes("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n"
                                      "file:///etc/passwd\n#EXT-X-ENDLIST\n"),
            "");
  EXPECT_EQ(VideoDescriptionFromBytes("ffconcat version 1.0\nfile /etc/passwd\n"), "");
  EXPECT_EQ(VideoDescriptionFromBytes(std::string(4096, '\0')), "");
  EXPECT_EQ(VideoDescription(TByteSource::None()), "");
  if (!HaveTool("ffmpeg")) return;
  std::string dir = MediaScratch("video-prefixes");
  MakeMp4(dir);
  std::string data;
  ASSERT_TRUE(ReadWholeFile(dir + "/a.mp4", data).Ok());
  for (size_t n = 0; n < data.size(); n += 997)
    VideoDescriptionFromBytes(std::string_view(data).substr(0, n));  // must not crash
}
