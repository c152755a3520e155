// SPDX-License-Identifier: MIT
#include "scan/MediaTags.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "app/Language.h"
#include "platform/CodePage.h"
#include "scan/ByteSource.h"

namespace {

// The published version 1 list (0 .. 79) with the customary extension (80 .. 147), spelled as
// published, slips included: files and other programs use these exact names.
constexpr std::array<const char*, 148> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // 80 ..
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop"};

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string TrimRight(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

std::string Trim(std::string s) {
  size_t start = 0;
  while (start < s.size() && IsBlank(s[start])) ++start;
  return TrimRight(s.substr(start));
}

// Single-byte text that is not already UTF-8, converted from the ANSI code page.
std::string DecodeSingleByte(std::string_view bytes, std::string_view ansiCodePage) {
  return IsValidUtf8(bytes) ? std::string(bytes) : AnsiToUtf8(bytes, ansiCodePage);
}

// ---- version 1 ---------------------------------------------------------------------------------

// A fixed-width field up to its first zero byte, without trailing blanks and control characters.
std::string V1Field(const char* p, size_t width, std::string_view ansiCodePage) {
  std::string_view raw(p, width);
  raw = raw.substr(0, raw.find('\0'));
  return DecodeSingleByte(TrimRight(std::string(raw)), ansiCodePage);
}

// ---- version 2.3 -------------------------------------------------------------------------------

constexpr size_t kMaxFrameContent = 250;
constexpr size_t kMaxUnsyncBody = 1 << 20;

// Where a string of `encoding` ends: the offset of its terminator in `data` (npos when none).
// UTF-16 strings end at a zero 16-bit unit, the others at a zero byte.
size_t TerminatorAt(std::string_view data, int encoding) {
  if (encoding == 1 || encoding == 2) {
    for (size_t i = 0; i + 1 < data.size(); i += 2)
      if (data[i] == 0 && data[i + 1] == 0) return i;
    return std::string_view::npos;
  }
  return data.find('\0');
}

size_t TerminatorSize(int encoding) { return encoding == 1 || encoding == 2 ? 2 : 1; }

// Text of `encoding` up to its terminator, as UTF-8.
std::string DecodeText(std::string_view data, int encoding, std::string_view ansiCodePage) {
  data = data.substr(0, TerminatorAt(data, encoding));
  switch (encoding) {
    case 1:  // UTF-16 with a byte-order mark; without one, little-endian as Windows writes it
      if (data.size() >= 2 && static_cast<uint8_t>(data[0]) == 0xFE &&
          static_cast<uint8_t>(data[1]) == 0xFF)
        return Utf16ToUtf8(data.substr(2), true);
      if (data.size() >= 2 && static_cast<uint8_t>(data[0]) == 0xFF &&
          static_cast<uint8_t>(data[1]) == 0xFE)
        data.remove_prefix(2);
      return Utf16ToUtf8(data, false);
    case 2:
      return Utf16ToUtf8(data, true);
    case 3: {
      std::string text(data.substr(0, Utf8CompletePrefix(data)));
      return IsValidUtf8(text) ? text : AnsiToUtf8(text, ansiCodePage);
    }
    default:
      return AnsiToUtf8(data, ansiCodePage);
  }
}

// The content of a text frame: an encoding byte, then the text.
std::string TextFrame(std::string_view content, std::string_view ansiCodePage) {
  if (content.empty()) return "";
  int encoding = static_cast<uint8_t>(content[0]);
  if (encoding > 3) return Trim(AnsiToUtf8(content.substr(0, content.find('\0')), ansiCodePage));
  return Trim(DecodeText(content.substr(1), encoding, ansiCodePage));
}

// A frame with an encoding byte, `skip` further bytes (the language of a comment), a short
// description ending at its terminator, then the value. The value of a link is never encoded.
std::string DescribedFrame(std::string_view content, size_t skip, bool valueIsLatin1,
                           std::string_view ansiCodePage) {
  if (content.size() < 1 + skip) return "";
  int encoding = static_cast<uint8_t>(content[0]);
  if (encoding > 3) encoding = 0;
  std::string_view rest = content.substr(1 + skip);
  size_t end = TerminatorAt(rest, encoding);
  if (end == std::string_view::npos) return "";
  rest.remove_prefix(end + TerminatorSize(encoding));
  return Trim(DecodeText(rest, valueIsLatin1 ? 0 : encoding, ansiCodePage));
}

// "(17)Rock" -> "Rock": references to version 1 genres lead the text, each in parentheses; "(("
// starts a name that itself begins with a parenthesis.
std::string CleanGenre(std::string genre) {
  size_t pos = 0;
  while (pos < genre.size() && genre[pos] == '(' &&
         (pos + 1 >= genre.size() || genre[pos + 1] != '(')) {
    size_t close = genre.find(')', pos);
    if (close == std::string::npos) break;
    pos = close + 1;
  }
  genre.erase(0, pos);
  if (genre.compare(0, 2, "((") == 0) genre.erase(0, 1);
  return Trim(genre);
}

int TrackNumber(const std::string& text) {
  std::string_view t = std::string_view(text).substr(0, text.find('/'));
  int value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size() ? value : 0;
}

// Removes the unsynchronisation of a tag body: every 0xFF 0x00 pair stands for 0xFF.
std::string Resynchronise(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    out.push_back(body[i]);
    if (static_cast<uint8_t>(body[i]) == 0xFF && i + 1 < body.size() && body[i + 1] == 0) ++i;
  }
  return out;
}

// The raw contents of the frames the description uses, each at most kMaxFrameContent bytes.
struct TRawFrames {
  std::string title, artist, album, track, year, genre, comment;
  std::string composer, encodedBy, copyright, language, link;
};

// Walks the frames of a version 2.3 tag body lying in `src` from `pos` to `end`: a 10-byte
// header (identifier, 32-bit big-endian size, two flag bytes) and the content, until padding
// (an identifier not starting with A to Z) or the end. A later frame with the same identifier
// wins. Compressed and encrypted frames hold no readable text and are skipped.
void ReadFrames(const TByteSource& src, uint64_t pos, uint64_t end, bool extendedHeader,
                TRawFrames& raw) {
  if (extendedHeader) {  // its size (not counting the size itself), then that many bytes
    std::string ext;
    if (!src.ReadExact(pos, 4, ext)) return;
    pos += 4 + uint64_t{GetU32BE(ext.data())};
  }
  const std::array<std::pair<const char*, std::string*>, 12> wanted = {{
      {"TIT2", &raw.title},
      {"TPE1", &raw.artist},
      {"TALB", &raw.album},
      {"TRCK", &raw.track},
      {"TYER", &raw.year},
      {"TCON", &raw.genre},
      {"COMM", &raw.comment},
      {"TCOM", &raw.composer},
      {"TENC", &raw.encodedBy},
      {"TCOP", &raw.copyright},
      {"TLAN", &raw.language},
      {"WXXX", &raw.link},
  }};
  std::string frame;
  while (pos < end && src.ReadExact(pos, 10, frame)) {
    if (frame[0] < 'A' || frame[0] > 'Z') break;  // padding
    uint64_t contentStart = pos + 10;
    uint64_t contentSize = GetU32BE(&frame[4]);
    uint8_t frameFlags = static_cast<uint8_t>(frame[9]);
    pos = contentStart + contentSize;
    if (frameFlags & 0xC0) continue;  // compressed or encrypted
    if (frameFlags & 0x20) {          // a grouping identity byte before the content
      if (contentSize == 0) continue;
      ++contentStart;
      --contentSize;
    }
    for (auto& [id, field] : wanted) {
      if (frame.compare(0, 4, id) != 0) continue;
      uint64_t n = std::min<uint64_t>(contentSize, kMaxFrameContent);
      n = std::min<uint64_t>(n, contentStart < end ? end - contentStart : 0);
      field->assign(static_cast<size_t>(n), '\0');
      field->resize(src.ReadAt(contentStart, field->data(), field->size()));
    }
  }
}

}  // namespace

const char* GenreName(int genre) {
  return genre >= 0 && genre < static_cast<int>(kGenres.size()) ? kGenres[genre] : nullptr;
}

bool TID3v1::Read(const TByteSource& src, std::string_view ansiCodePage) {
  Reset();
  std::string tag;
  if (!src.Ok() || src.Size() < 128 || !src.ReadExact(src.Size() - 128, 128, tag)) return false;
  if (tag.compare(0, 3, "TAG") != 0) return true;
  present = true;
  const char* t = tag.data();
  if ((t[125] == 0 && t[126] != 0) || (t[125] == ' ' && t[126] != ' ')) version = 2;
  title = V1Field(t + 3, 30, ansiCodePage);
  artist = V1Field(t + 33, 30, ansiCodePage);
  album = V1Field(t + 63, 30, ansiCodePage);
  year = V1Field(t + 93, 4, ansiCodePage);
  comment = V1Field(t + 97, version == 2 ? 28 : 30, ansiCodePage);
  track = version == 2 ? static_cast<uint8_t>(t[126]) : 0;
  genre = static_cast<uint8_t>(t[127]);
  return true;
}

bool TID3v1::Read(const std::string& path, std::string_view ansiCodePage) {
  return Read(TByteSource::OfFile(path), ansiCodePage);
}

bool TID3v2::Read(const TByteSource& file, std::string_view ansiCodePage) {
  Reset();
  std::string header;
  if (!file.Ok() || !file.ReadExact(0, 10, header)) return false;
  present = header.compare(0, 3, "ID3") == 0;
  if (!present) return true;
  version = static_cast<uint8_t>(header[3]);
  uint8_t flags = static_cast<uint8_t>(header[5]);
  uint64_t tagSize = 10;
  for (int i = 6; i < 10; ++i)  // 28 bits, 7 in each byte, most significant first
    tagSize += uint64_t{static_cast<uint8_t>(header[i]) & 0x7Fu} << (7 * (9 - i));
  size = tagSize > file.Size() ? 0 : static_cast<uint32_t>(tagSize);
  if (version != 3 || size == 0) return true;

  // The frames lie in the body after the header. An unsynchronised body is read whole (up to a
  // limit) and re-synchronised, since frame sizes count the re-synchronised bytes.
  TRawFrames raw;
  if (flags & 0x80) {
    std::string body;
    size_t n = static_cast<size_t>(std::min<uint64_t>(size - 10, kMaxUnsyncBody));
    if (!file.ReadExact(10, n, body)) return true;
    std::string resynced = Resynchronise(body);
    ReadFrames(TByteSource::OfBytes(resynced), 0, resynced.size(), flags & 0x40, raw);
  } else {
    ReadFrames(file, 10, size, flags & 0x40, raw);
  }

  title = TextFrame(raw.title, ansiCodePage);
  artist = TextFrame(raw.artist, ansiCodePage);
  album = TextFrame(raw.album, ansiCodePage);
  year = TextFrame(raw.year, ansiCodePage);
  genre = CleanGenre(TextFrame(raw.genre, ansiCodePage));
  track = TrackNumber(TextFrame(raw.track, ansiCodePage));
  comment = DescribedFrame(raw.comment, 3, false, ansiCodePage);
  composer = TextFrame(raw.composer, ansiCodePage);
  encodedBy = TextFrame(raw.encodedBy, ansiCodePage);
  copyright = TextFrame(raw.copyright, ansiCodePage);
  language = TextFrame(raw.language, ansiCodePage);
  link = DescribedFrame(raw.link, 0, true, ansiCodePage);
  return true;
}

bool TID3v2::Read(const std::string& path, std::string_view ansiCodePage) {
  return Read(TByteSource::OfFile(path), ansiCodePage);
}

namespace {

void AppendLine(std::string& text, const std::string& label, const std::string& value) {
  text += "\r\n" + label + " " + value;
}

std::string Mp3Tags(const TByteSource& src, std::string_view ansiCodePage) {
  if (!src.Ok()) return "";
  std::string text;
  TID3v1 v1;
  if (v1.Read(src, ansiCodePage) && v1.present) {
    if (!v1.artist.empty()) text = v1.artist + " - ";
    text += v1.title;
    if (!v1.album.empty()) AppendLine(text, LangText(11801), v1.album);
    if (!v1.year.empty()) AppendLine(text, LangText(11802), v1.year);
    if (const char* name = GenreName(v1.genre)) AppendLine(text, LangText(11803), name);
    if (!v1.comment.empty()) text += "\r\n" + v1.comment;
    return text;
  }
  TID3v2 v2;
  if (v2.Read(src, ansiCodePage) && v2.present) {
    if (!v2.artist.empty()) text = v2.artist + " - ";
    text += v2.title;
    if (!v2.album.empty()) AppendLine(text, LangText(11801), v2.album);
    if (!v2.year.empty()) AppendLine(text, LangText(11802), v2.year);
    if (!v2.genre.empty()) AppendLine(text, LangText(11803), v2.genre);
    if (!v2.comment.empty()) text += "\r\n" + v2.comment;
  }
  return text;
}

}  // namespace

std::string ReadMp3Tags(const std::string& path, std::string_view ansiCodePage) {
  return Mp3Tags(TByteSource::OfFile(path), ansiCodePage);
}

std::string Mp3TagsFromSource(const TByteSource& source, std::string_view ansiCodePage) {
  return Mp3Tags(source, ansiCodePage);
}

std::string Mp3TagsFromBytes(std::string_view data, std::string_view ansiCodePage) {
  return Mp3Tags(TByteSource::OfBytes(data), ansiCodePage);
}
