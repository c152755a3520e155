// SPDX-License-Identifier: MIT
#include "scan/MediaTags.h"

#include <gtest/gtest.h>

#include "ReadersTestUtil.h"
#include "scan/ByteSource.h"

namespace {

class MediaTagsTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReaderTexts(); }
};

// A version 1 tag: fields padded with zero bytes.
std::string V1Tag(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, const std::string& comment, uint8_t genre) {
  std::string tag = "TAG";
  for (auto [text, width] :
       {std::pair{title, 30}, {artist, 30}, {album, 30}, {year, 4}, {comment, 30}}) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    tag += field;
  }
  tag += static_cast<char>(genre);
  return tag;
}

std::string BigEndian32(uint32_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
          static_cast<char>(n)};
}

std::string Frame(const std::string& id, const std::string& content, char flags2 = 0) {
  return id + BigEndian32(static_cast<uint32_t>(content.size())) + std::string(1, '\0') + flags2 +
         content;
}

// A version 2.3 tag holding `body` (frames), with header flags `flags`, then some audio bytes.
std::string V23Tag(const std::string& body, char flags = 0) {
  size_t n = body.size();
  std::string head = std::string("ID3\x03\x00", 5) + flags;
  for (int shift = 21; shift >= 0; shift -= 7) head += static_cast<char>(n >> shift & 0x7F);
  return head + body + std::string(300, '\x55');
}

TEST_F(MediaTagsTest, DescriptionsOfTaggedFiles) {
  struct Case {
    const char* file;
    const char* text;
  } cases[] = {
      {"v1.mp3", "Artist - Title\r\nYear: 1999\r\nGenre: Rock"},
      {"v11.mp3", "Band - Song\r\nAlbum: Album\r\nYear: 2001\r\nA comment that is longer tha"},
      // Latin-1 frames; a genre given only as "(17)" gives no genre line.
      {"v23-latin1.mp3", "Café Müller - Señor\r\nAlbum: Über\r\nYear: 1987\r\nWörds"},
      // UTF-16 frames with byte-order marks.
      {"v23-utf16.mp3",
       "Мумий Тролль - Утекай\r\nAlbum: Морская\r\nYear: 1997\r\nGenre: Русский рок\r\n"
       "Комментарий"},
      {"v24.mp3", ""},
      {"both.mp3", "Both Artist - Both Title"},  // version 1 wins
      {"rgb24.bmp", ""},
      {"missing.mp3", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadMp3Tags(ReaderFixture(c.file)), c.text) << c.file;
}

TEST_F(MediaTagsTest, Version1Fields) {
  TID3v1 v1;
  ASSERT_TRUE(v1.Read(ReaderFixture("v11.mp3")));
  EXPECT_TRUE(v1.present);
  EXPECT_EQ(v1.version, 2);
  EXPECT_EQ(v1.track, 7);
  EXPECT_EQ(v1.genre, 255);
  EXPECT_EQ(v1.comment.size(), 28u);

  ASSERT_TRUE(v1.Read(ReaderFixture("v23-latin1.mp3")));
  EXPECT_FALSE(v1.present);
  EXPECT_EQ(v1.genre, 255);
  EXPECT_FALSE(v1.Read(TByteSource::OfBytes(("short"))));

  // Bytes after a field's zero byte are not part of it; a field already in UTF-8 stays, one in
  // the ANSI code page is converted.
  std::string tag = V1Tag(std::string("Tit\0junk", 8), "Ünïcode", "Caf\xE9", " 99 ", "", 200);
  ASSERT_TRUE(v1.Read(TByteSource::OfBytes((tag))));
  EXPECT_EQ(v1.title, "Tit");
  EXPECT_EQ(v1.artist, "Ünïcode");
  EXPECT_EQ(v1.album, "Café");
  EXPECT_EQ(v1.year, " 99");
  EXPECT_EQ(v1.version, 1);
  EXPECT_EQ(Mp3TagsFromBytes(tag), "Ünïcode - Tit\r\nAlbum: Café\r\nYear:  99");
  EXPECT_EQ(Mp3TagsFromBytes(tag, "1251"), "Ünïcode - Tit\r\nAlbum: Cafй\r\nYear:  99");
}

TEST_F(MediaTagsTest, GenreNames) {
  EXPECT_STREQ(GenreName(0), "Blues");
  EXPECT_STREQ(GenreName(17), "Rock");
  EXPECT_STREQ(GenreName(67), "Psychadelic");
  EXPECT_STREQ(GenreName(79), "Hard Rock");
  EXPECT_STREQ(GenreName(80), "Folk");
  EXPECT_STREQ(GenreName(92), "Progessive Rock");
  EXPECT_STREQ(GenreName(147), "Synthpop");
  EXPECT_EQ(GenreName(148), nullptr);
  EXPECT_EQ(GenreName(-1), nullptr);
}

TEST_F(MediaTagsTest, Version23TextEncodingsAndGenres) {
  std::string body = Frame("TPE1", std::string("\x01\xFF\xFE"
                                               "A\0b\0",
                                               7)) +                        // UTF-16 LE
                     Frame("TIT2", std::string("\x01\xFE\xFF\0T\0i", 7)) +  // UTF-16 BE
                     Frame("TALB",
                           "\x03"
                           "Ålbum\0") +  // UTF-8
                     Frame("TYER", std::string("\x00"
                                               " 2003 ",
                                               7)) +
                     Frame("TRCK", std::string("\x00"
                                               "4/9",
                                               4)) +
                     Frame("TCON", std::string("\x00"
                                               "(17)(18)Rock (live)",
                                               20)) +
                     Frame("COMM", std::string("\x01"
                                               "eng\xFF\xFE\0\0\xFF\xFE"
                                               "h\0i\0",
                                               14)) +
                     Frame("WXXX", std::string("\x00"
                                               "desc\0http://x",
                                               14));
  std::string file = V23Tag(body);
  TID3v2 v2;
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes((file))));
  EXPECT_TRUE(v2.present);
  EXPECT_EQ(v2.version, 3);
  EXPECT_EQ(v2.size, body.size() + 10);
  EXPECT_EQ(v2.artist, "Ab");
  EXPECT_EQ(v2.title, "Ti");
  EXPECT_EQ(v2.album, "Ålbum");
  EXPECT_EQ(v2.year, "2003");
  EXPECT_EQ(v2.track, 4);
  EXPECT_EQ(v2.genre, "Rock (live)");
  EXPECT_EQ(v2.comment, "hi");
  EXPECT_EQ(v2.link, "http://x");
  EXPECT_EQ(Mp3TagsFromBytes(file),
            "Ab - Ti\r\nAlbum: Ålbum\r\nYear: 2003\r\nGenre: Rock (live)\r\nhi");

  for (auto [raw, genre] : {std::pair{"(17)Rock", "Rock"},
                            {"Rock", "Rock"},
                            {"(17)", ""},
                            {"((Odd) name", "(Odd) name"},
                            {"(unclosed", "(unclosed"}}) {
    ASSERT_TRUE(v2.Read(TByteSource::OfBytes(V23Tag(Frame("TCON", std::string(1, '\0') + raw)))));
    EXPECT_EQ(v2.genre, genre) << raw;
  }
}

TEST_F(MediaTagsTest, Version23FramesLongSkippedAndLater) {
  std::string body = Frame("TIT2", std::string(1, '\0') + std::string(400, 'L')) +
                     Frame("TENC",
                           std::string("\x00"
                                       "zipped",
                                       7),
                           '\x80') +  // compressed
                     Frame("TPE1",
                           std::string("\x00\x00"
                                       "Grouped",
                                       9),
                           '\x20') +
                     Frame("TALB", std::string("\x00"
                                               "first",
                                               6)) +
                     Frame("TALB", std::string("\x00"
                                               "second",
                                               7)) +
                     std::string(20, '\0') +
                     Frame("TYER", std::string("\x00"
                                               "1900",
                                               5));  // after padding: not read
  TID3v2 v2;
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes(V23Tag(body))));
  EXPECT_EQ(v2.title, std::string(249, 'L'));  // 250 bytes with the encoding byte
  EXPECT_EQ(v2.encodedBy, "");
  EXPECT_EQ(v2.artist, "Grouped");
  EXPECT_EQ(v2.album, "second");
  EXPECT_EQ(v2.year, "");
}

TEST_F(MediaTagsTest, Version23UnsynchronisationAndExtendedHeader) {
  // The title's UTF-16 "ÿ" (FF 00) and the byte-order mark FF FE are written unsynchronised.
  std::string title = std::string("\x01\xFF\x00\xFE\xFF\x00\x00", 7) + "A" + std::string(1, '\0');
  std::string body = std::string("\x00\x00\x00\x06", 4) + std::string(6, '\0') +  // extended
                     "TIT2" + BigEndian32(7) + std::string(2, '\0') + title;
  TID3v2 v2;
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes(V23Tag(body, '\xC0'))));
  EXPECT_EQ(v2.title, "ÿA");
  // An extended header larger than the tag leaves no frames.
  body[3] = '\x7F';
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes(V23Tag(body, '\xC0'))));
  EXPECT_EQ(v2.title, "");
}

TEST_F(MediaTagsTest, Version2TagsThatGiveNoFields) {
  TID3v2 v2;
  std::string v24 = V23Tag(Frame("TIT2", std::string("\x00"
                                                     "Four",
                                                     5)));
  v24[3] = 4;
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes((v24))));
  EXPECT_TRUE(v2.present);
  EXPECT_EQ(v2.title, "");
  EXPECT_EQ(Mp3TagsFromBytes(v24), "");
  // A tag larger than the file: size 0 and no frames.
  std::string big = V23Tag(Frame("TIT2", std::string("\x00"
                                                     "Big",
                                                     4)));
  big[6] = 0x7F;
  ASSERT_TRUE(v2.Read(TByteSource::OfBytes((big))));
  EXPECT_EQ(v2.size, 0u);
  EXPECT_EQ(v2.title, "");
  EXPECT_FALSE(v2.Read(TByteSource::OfBytes(("ID3\x03"))));
  EXPECT_EQ(Mp3TagsFromBytes("tiny"), "");
}

TEST_F(MediaTagsTest, TruncatedAndCorruptTagsGiveNothingOrTheFullText) {
  for (const char* name : {"v1.mp3", "v11.mp3", "v23-latin1.mp3", "v23-utf16.mp3", "both.mp3"}) {
    std::string data = ReaderFixtureBytes(name);
    std::string full = Mp3TagsFromBytes(data);
    // Without its version 1 tag at the end, both.mp3 is described from its version 2 tag.
    std::string other = std::string(name) == "both.mp3" ? "Both Artist - Only In Two" : full;
    for (size_t n = 0; n < data.size(); ++n) {
      std::string got = Mp3TagsFromBytes(std::string_view(data).substr(0, n));
      ASSERT_TRUE(got.empty() || got == full || got == other) << name << " prefix " << n;
    }
    for (size_t i = 0; i < std::min<size_t>(data.size(), 400); ++i) {
      std::string bad = data;
      bad[i] = static_cast<char>(~bad[i]);
      Mp3TagsFromBytes(bad);
    }
  }
}

}  // namespace
