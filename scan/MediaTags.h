// SPDX-License-Identifier: MIT
// Media tags: the description of an MP3 file from its ID3 tags (reader 2 of the description
// rule table). TID3v1 reads the 128-byte version 1 (and 1.1) tag at the end of the file,
// TID3v2 a version 2.3 tag at its start; the version 1 tag takes precedence.
//
// Texts come out as UTF-8: ID3v2 text frames are decoded by their encoding byte (0 single-byte
// text in the ANSI code page, 1 UTF-16 with byte-order mark, 2 UTF-16 big-endian, 3 UTF-8), and
// single-byte version 1 fields are decoded from the ANSI code page unless they already are UTF-8.
// Readers never throw; an instance is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TByteSource;

// The name of version 1 genre `genre` (0 "Blues" .. 147 "Synthpop"), or nullptr for 148 and up.
const char* GenreName(int genre);

class TID3v1 {
 public:
  // Resets, then reads the last 128 bytes of the file. False when they cannot be read (a file
  // shorter than 128 bytes); true otherwise, with `present` telling whether a tag is there.
  bool Read(const std::string& path, std::string_view ansiCodePage = "WINDOWS-1252");
  bool Read(const TByteSource& source, std::string_view ansiCodePage = "WINDOWS-1252");
  void Reset() { *this = TID3v1(); }

  bool present = false;
  int version = 1;  // 2 for a version 1.1 tag (with a track number)
  std::string title, artist, album, year, comment;
  uint8_t track = 0;
  uint8_t genre = 255;
};

class TID3v2 {
 public:
  // Resets, then reads the tag at the start of the file. False when fewer than 10 bytes can be
  // read; true otherwise, with `present` telling whether the file starts with "ID3". Only a
  // version 3 tag yields fields. An unsynchronised tag is re-synchronised (its first MiB), an
  // extended header is skipped, compressed and encrypted frames are skipped, and a frame
  // contributes at most its first 250 bytes.
  bool Read(const std::string& path, std::string_view ansiCodePage = "WINDOWS-1252");
  bool Read(const TByteSource& source, std::string_view ansiCodePage = "WINDOWS-1252");
  void Reset() { *this = TID3v2(); }

  bool present = false;
  uint8_t version = 0;  // the major version, byte 3 of the header
  uint32_t size = 0;    // the whole tag with its header; 0 when it would exceed the file
  std::string title, artist, album, year, comment;
  std::string genre;  // without leading references to version 1 genres such as "(17)"
  int track = 0;
  std::string composer, encodedBy, copyright, language, link;
};

// The description of an MP3 file: "artist - title", then lines with the album, the year and
// the genre (after language texts 11801, 11802, 11803 and a space) and the comment, each only
// when present; from the version 1 tag when there is one, else from the version 2.3 tag. Empty
// when the file has neither or cannot be read.
std::string ReadMp3Tags(const std::string& path, std::string_view ansiCodePage = "WINDOWS-1252");
std::string Mp3TagsFromSource(const TByteSource& source,
                              std::string_view ansiCodePage = "WINDOWS-1252");
std::string Mp3TagsFromBytes(std::string_view data, std::string_view ansiCodePage = "WINDOWS-1252");
