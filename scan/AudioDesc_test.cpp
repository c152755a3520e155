// SPDX-License-Identifier: MIT
#include "scan/AudioDesc.h"

#include <gtest/gtest.h>

#include "platform/FileIO.h"
#include "scan/ByteSource.h"
#include "scan/MediaTestUtil.h"

namespace {

std::string Describe(const std::string& path) {
  return AudioDescription(TByteSource::OfFile(path));
}

// Three seconds of a stereo tone at 44.1 kHz, 16 bits, made by sox.
std::string Tone(const std::string& dir) {
  EXPECT_TRUE(RunIn(dir, "sox -n -r 44100 -c 2 -b 16 s.wav synth 3 sine 440"));
  return dir + "/s.wav";
}

}  // namespace

TEST(AudioDesc, LosslessFilesWithTags) {
  REQUIRE_TOOL("sox");
  REQUIRE_TOOL("flac");
  LoadMediaTexts();
  std::string dir = MediaScratch("flac");
  Tone(dir);
  ASSERT_TRUE(RunIn(dir,
                    "flac -s -f --tag=ARTIST=Кино '--tag=TITLE=Группа крови' --tag=ALBUM=Blood "
                    "--tag=DATE=1988 --tag=GENRE=Rock -o s.flac s.wav"));
  EXPECT_EQ(Describe(dir + "/s.flac"),
            "Кино - Группа крови\r\nAlbum: Blood\r\nYear: 1988\r\nGenre: Rock\r\n"
            "0:03, FLAC, 44.1 kHz, 2 ch, 16 bits");
  // An untagged file still tells its format; so does WAV.
  ASSERT_TRUE(RunIn(dir, "flac -s -f -o bare.flac s.wav"));
  EXPECT_EQ(Describe(dir + "/bare.flac"), "0:03, FLAC, 44.1 kHz, 2 ch, 16 bits");
  EXPECT_EQ(Describe(dir + "/s.wav"), "0:03, WAV, 44.1 kHz, 2 ch, 16 bits");
  if (HaveTool("wavpack") && RunIn(dir, "wavpack -q -y s.wav -o s.wv")) {
    EXPECT_EQ(Describe(dir + "/s.wv"), "0:03, WavPack, 44.1 kHz, 2 ch, 16 bits");
  }
  // The reader goes by the content: a FLAC named .ogg is still a FLAC.
  ASSERT_TRUE(RunIn(dir, "cp bare.flac renamed.ogg"));
  EXPECT_EQ(Describe(dir + "/renamed.ogg"), "0:03, FLAC, 44.1 kHz, 2 ch, 16 bits");
}

// The lossy formats give their bit rate; length and rate agree with what ffprobe reads.
TEST(AudioDesc, LossyFormatsAgreeWithFfprobe) {
  REQUIRE_TOOL("sox");
  REQUIRE_TOOL("ffmpeg");
  LoadMediaTexts();
  std::string dir = MediaScratch("lossy");
  Tone(dir);
  struct TCase {
    const char* file;
    const char* make;
    const char* format;
  } cases[] = {
      {"s.ogg", "oggenc -Q -a Artist -t Title -l Album -d 1999 -o s.ogg s.wav", "Vorbis"},
      {"s.opus", "opusenc --quiet --artist Artist --title Title s.wav s.opus", "Opus"},
      {"s.m4a",
       "ffmpeg -v error -i s.wav -c:a aac -metadata artist=Artist -metadata title=Title -y s.m4a",
       "AAC"},
  };
  for (const TCase& c : cases) {
    if (!RunIn(dir, c.make)) {
      ADD_FAILURE() << "could not make " << c.file;
      continue;
    }
    std::string text = Describe(dir + "/" + c.file);
    EXPECT_EQ(text.rfind("Artist - Title\r\n", 0), 0u) << text;
    std::string rate =
        OutputIn(dir, std::string("ffprobe -v error -select_streams a:0 -show_entries "
                                  "stream=sample_rate -of csv=p=0 ") +
                          c.file);
    std::string expected = std::string("0:03, ") + c.format + ", " +
                           (rate == "48000" ? "48 kHz" : "44.1 kHz") + ", 2 ch, ";
    EXPECT_NE(text.find(expected), std::string::npos) << c.file << ": " << text;
    EXPECT_NE(text.find(" kbit/s"), std::string::npos) << text;
  }
}

TEST(AudioDesc, ForeignAndDamagedFilesGiveNothing) {
  LoadMediaTexts();
  EXPECT_EQ(AudioDescriptionFromBytes(""), "");
  EXPECT_EQ(AudioDescriptionFromBytes("fLaC"), "");
  EXPECT_EQ(AudioDescriptionFromBytes(std::string("fLaC\0\0\0\x22", 8) + std::string(40, 'x')), "");
  EXPECT_EQ(AudioDescriptionFromBytes("OggS and then nothing that makes sense"), "");
  EXPECT_EQ(AudioDescriptionFromBytes(std::string("ID3\x03\0\0\x7f\x7f\x7f\x7f", 10) + "fLaC"), "");
  if (!HaveTool("sox") || !HaveTool("flac")) return;
  std::string dir = MediaScratch("audio-prefixes");
  Tone(dir);
  ASSERT_TRUE(RunIn(dir, "flac -s -f --tag=ARTIST=A -o s.flac s.wav"));
  std::string data;
  ASSERT_TRUE(ReadWholeFile(dir + "/s.flac", data).Ok());
  for (size_t n = 0; n < 16384 && n < data.size(); n += 61)
    AudioDescriptionFromBytes(std::string_view(data).substr(0, n));  // must not crash
}
