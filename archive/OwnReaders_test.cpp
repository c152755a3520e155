// SPDX-License-Identifier: MIT
// Our header readers for formats we have no archiver for here (ARC/PAK, ZOO, HA, ACE): archives
// built byte by byte after the formats' header layouts, then damaged; telling tar.gz from plain
// gzip; and lsar's JSON output.
#include "archive/OwnReaders.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <iterator>
#include <string>
#include <vector>

#include "archive/ArcDetect.h"
#include "archive/ArcSource.h"
#include "archive/ArcText.h"
#include "archive/UnarTool.h"
#include "archive/ZipTV.h"

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void PutAt32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

constexpr uint32_t kDos =
    (41u << 25) | (3u << 21) | (4u << 16) | (5u << 11) | (6u << 5) | 4u;  // 2021-03-04 05:06:08

std::string Arc() {
  std::string s;
  auto entry = [&](unsigned method, const char* name, const std::string& data, uint32_t original) {
    s += '\x1A';
    s += static_cast<char>(method);
    std::string n(name);
    n.resize(13, '\0');
    s += n;
    Put32(s, static_cast<uint32_t>(data.size()));
    Put16(s, kDos >> 16);
    Put16(s, kDos & 0xFFFF);
    Put16(s, 0);
    if (method != 1) Put32(s, original);
    s += data;
  };
  entry(8, "README.TXT", "xxxxx", 40);
  entry(2, "DATA.BIN", "abc", 3);
  s += "\x1A";
  s += '\0';
  return s;
}

std::string Zoo() {
  std::string s = "ZOO 2.10 Archive.\x1A";
  s.resize(20, '\0');
  Put32(s, 0xFDC4A7DC);
  Put32(s, 34);  // first entry
  Put32(s, static_cast<uint32_t>(-34));
  s += '\x02';
  s += '\x01';
  auto entry = [&](const char* name, const std::string& dir, uint32_t size, bool last) {
    size_t at = s.size();
    Put32(s, 0xFDC4A7DC);
    s += '\x02';  // type 2
    s += '\x00';  // stored
    Put32(s, 0);  // next, patched
    Put32(s, 0);
    Put16(s, kDos >> 16);
    Put16(s, kDos & 0xFFFF);
    Put16(s, 0);
    Put32(s, size);
    Put32(s, size);
    s += "\x02\x01";
    s += '\0';  // not deleted
    s += '\0';
    Put32(s, 0);
    Put16(s, 0);
    std::string n(name);
    n.resize(13, '\0');
    s += n;
    std::string var;
    var += '\0';  // no long name
    var += static_cast<char>(dir.size());
    var += dir;
    Put16(var, 0);                          // system
    var += std::string("\xA4\x01\x40", 3);  // attributes: valid, mode 0644
    Put16(s, static_cast<unsigned>(var.size()));
    s += '\0';
    Put16(s, 0);
    s += var;
    s += std::string(size, 'd');
    if (!last)
      PutAt32(s, at + 6, static_cast<uint32_t>(s.size()));
    else
      PutAt32(s, at + 6, static_cast<uint32_t>(s.size()));
  };
  entry("a.txt", "", 3, false);
  entry("b.txt", "sub/dir", 4, true);
  // The terminating entry: next = 0.
  Put32(s, 0xFDC4A7DC);
  s += std::string(47, '\0');
  return s;
}

std::string Ha() {
  std::string s = "HA";
  Put16(s, 2);
  auto entry = [&](unsigned type, const std::string& dir, const char* name,
                   const std::string& data) {
    s += static_cast<char>(type);
    Put32(s, static_cast<uint32_t>(data.size()));
    Put32(s, static_cast<uint32_t>(data.size()));
    Put32(s, 0);
    Put32(s, 1614834368);
    s += dir;
    s += '\0';
    s += name;
    s += '\0';
    s += "\x02\x01\x20";  // DOS, archive attribute
    s += data;
  };
  entry(0x20, std::string("docs\xFF", 5), "n.txt", "12345");
  entry(0x2E, "", "empty", "");
  return s;
}

std::string Ace() {
  std::string s;
  // Archive header: CRC, size, type 0, flags, "**ACE**", versions...
  std::string main = std::string("\x00\x00\x00", 3) + "**ACE**" + std::string(20, '\0');
  Put16(s, 0);
  Put16(s, static_cast<unsigned>(main.size()));
  s += main;
  auto file = [&](const std::string& name, uint32_t attr, const std::string& data) {
    std::string b;
    b += '\x01';  // file
    Put16(b, 1);  // data follows
    Put32(b, static_cast<uint32_t>(data.size()));
    Put32(b, 77);  // original size
    Put32(b, kDos);
    Put32(b, attr);
    Put32(b, 0);
    Put32(b, 0);
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(name.size()));
    b += name;
    Put16(s, 0);
    Put16(s, static_cast<unsigned>(b.size()));
    s += b + data;
  };
  file("dir\\one.txt", 0x21, "zz");
  file("dir\\sub", 0x10, "");
  return s;
}

std::vector<TArchiveEntry> ListBytes(TError (*lister)(const TArcSource&, uint64_t,
                                                      const TEntrySink&),
                                     const std::string& bytes, std::string* err) {
  TArcSource src;
  src.OpenMemory(bytes);
  std::vector<TArchiveEntry> out;
  *err = lister(src, 0, [&](const TArchiveEntry& e) {
           out.push_back(e);
           return true;
         }).Message();
  return out;
}

}  // namespace

TEST(OwnReaders, ListBuiltArchives) {
  const double date = ArcFieldsToDateTime(2021, 3, 4, 5, 6, 8);
  std::string err;
  auto arc = ListBytes(ListArc, Arc(), &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(arc.size(), 2u);
  EXPECT_EQ(arc[0].Path, "README.TXT");
  EXPECT_EQ(arc[0].Size, 40);
  EXPECT_EQ(arc[0].DateTime, date);
  EXPECT_EQ(arc[1].Size, 3);

  auto zoo = ListBytes(ListZoo, Zoo(), &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(zoo.size(), 2u);
  EXPECT_EQ(zoo[1].Path, "sub\\dir\\b.txt");
  EXPECT_EQ(zoo[1].Size, 4);
  EXPECT_EQ(zoo[1].DateTime, date);

  auto ha = ListBytes(ListHa, Ha(), &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(ha.size(), 2u);
  EXPECT_EQ(ha[0].Path, "docs\\n.txt");
  EXPECT_EQ(ha[0].Attr, 0x20);
  EXPECT_EQ(ha[0].DateTime, ArcUnixTimeToDateTime(1614834368));
  EXPECT_TRUE(ha[1].IsFolder);
  EXPECT_EQ(ha[1].Path, "empty\\");

  auto ace = ListBytes(ListAce, Ace(), &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(ace.size(), 2u);
  EXPECT_EQ(ace[0].Path, "dir\\one.txt");
  EXPECT_EQ(ace[0].Size, 77);
  EXPECT_EQ(ace[0].Attr, 0x21);
  EXPECT_TRUE(ace[1].IsFolder);
}

TEST(OwnReaders, DetectionAndSelfExtractors) {
  struct Case {
    std::string bytes;
    const char* name;
    int32_t type;
  } cases[] = {{Arc(), "x.arc", atArc},
               {Arc(), "x.pak", atPak},
               {Zoo(), "x.zoo", atZoo},
               {Ha(), "x.ha", atHA},
               {Ace(), "x.ace", atAce}};
  for (const Case& c : cases) {
    TZipTV reader;
    reader.UseExternalTools = false;
    reader.SetArchiveMemory(c.bytes, c.name);
    EXPECT_EQ(reader.ArcType(), c.type) << c.name;
  }
  // An ACE archive after a DOS program image of one 512-byte page.
  std::string dos = "MZ";
  Put16(dos, 0);  // bytes in the last page: all 512
  Put16(dos, 1);  // pages
  dos.resize(512, '\0');
  std::string sfx = dos + Ace();
  TZipTV reader;
  reader.SetArchiveMemory(sfx, "setup.exe");
  EXPECT_EQ(reader.ArcType(), atAceExe);
  EXPECT_EQ(reader.ArchiveOffset(), 512u);
  int n = 0;
  EXPECT_EQ(reader.ListAll([&](const TArchiveEntry&) { return ++n, true; }).Message(), "");
  EXPECT_EQ(n, 2);
}

// `data` as one gzip member, with `extra` bytes of extra field in its header.
std::string Gzip(const std::string& data, size_t extra = 0) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string field(extra, 'x');
  gz_header header{};
  header.extra = reinterpret_cast<Bytef*>(field.data());
  header.extra_len = static_cast<uInt>(extra);
  if (extra) {
    EXPECT_EQ(deflateSetHeader(&z, &header), Z_OK);
  }
  std::string out(deflateBound(&z, data.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(OwnReaders, GzipStreamsHoldingATarAreTold) {
  std::string tar(1024, '\0');
  tar.replace(0, 5, "a.txt");
  tar.replace(257, 6, std::string("ustar\0", 6));
  std::string text;
  for (int i = 0; text.size() < 200000; ++i)
    text += "line " + std::to_string(i * 7919 % 10007) + "\n";
  const std::string plain = Gzip(text), tarGz = Gzip(tar);
  // Two members whose first holds only part of the tar header, as `cat a.gz b.gz` makes.
  const std::string split = Gzip(tar.substr(0, 300)) + Gzip(tar.substr(300));
  // The same with the first member 8191 bytes long, so that the second one's two signature bytes
  // lie on either side of the 8 KiB pieces the stream is read in.
  const size_t plainSize = Gzip(tar.substr(0, 300)).size();
  const std::string straddling =
      Gzip(tar.substr(0, 300), 8191 - plainSize - 2) + Gzip(tar.substr(300));
  ASSERT_EQ(straddling.find("\x1F\x8B", 1), 8191u);
  struct Case {
    std::string bytes;
    int32_t type;
  } cases[] = {
      // In one thread and in this order: a plain stream left half read must not leak into the
      // next detection.
      {plain, atGZip},
      {tarGz, atTarGZip},
      {plain, atGZip},
      {split, atTarGZip},
      {straddling, atTarGZip},
      {tarGz.substr(0, 20), atGZip},  // cut short before the header block is complete
      {Gzip(tar.substr(0, 511)), atGZip},
      {tarGz, atTarGZip},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TArcSource src;
    src.OpenMemory(cases[i].bytes);
    EXPECT_EQ(DetectArchive(src, "x.gz").Type, cases[i].type) << "case " << i;
  }
  // Damaged data is a plain gzip file or nothing, never a crash.
  std::string damaged = tarGz;
  for (size_t at = 10; at < damaged.size(); at += 7)
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
  TArcSource src;
  src.OpenMemory(damaged);
  EXPECT_NE(DetectArchive(src, "x.gz").Type, atTarGZip);
}

TEST(OwnReaders, DamagedArchivesFailCleanly) {
  for (auto lister : {ListArc, ListZoo, ListHa, ListAce}) {
    for (const std::string& whole : {Arc(), Zoo(), Ha(), Ace()}) {
      for (size_t n = 0; n < whole.size(); ++n) {
        std::string err;
        ListBytes(lister, whole.substr(0, n), &err);  // must not crash or hang
      }
    }
  }
  // A ZOO chain that points backwards would loop for ever.
  std::string zoo = Zoo();
  PutAt32(zoo, 34 + 6, 10);
  std::string err;
  ListBytes(ListZoo, zoo, &err);
  EXPECT_EQ(err, "bad ZOO entry chain");
  // An ACE block claiming more data than the file holds.
  std::string ace = Ace();
  PutAt32(ace, 34 + 7, 0x7FFFFFFF);  // packed size of the first file block
  ListBytes(ListAce, ace, &err);
  EXPECT_NE(err, "");
}

TEST(UnarTool, ParsesLsarJson) {
  const std::string json = R"({"lsarFormatVersion":2,"lsarContents":[
    {"XADFileName":"a\/b.txt","XADFileSize":12,"XADIndex":0,"XADPosixPermissions":33060,
     "XADLastModificationDate":"2021-03-04 06:06:08 +0100"},
    {"XADFileName":"d\u00fcr","XADIsDirectory":1,"XADIndex":1,"XADDOSFileAttributes":16},
    {"XADFileName":"x","XADIsResourceFork":1,"XADIndex":2}]})";
  std::vector<TArchiveEntry> out;
  std::vector<int> idx;
  EXPECT_EQ(ParseLsarJson(
                json, [&](const TArchiveEntry& e) { return out.push_back(e), true; }, &idx)
                .Message(),
            "");
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].Path, "a\\b.txt");
  EXPECT_EQ(out[0].Size, 12);
  EXPECT_EQ(out[0].Attr, kAttrArchive | kAttrReadOnly);  // mode 0444
  EXPECT_EQ(out[0].DateTime, ArcUnixTimeToDateTime(1614834368));
  EXPECT_EQ(out[1].Path, "dür\\");
  EXPECT_TRUE(out[1].IsFolder);
  EXPECT_EQ(idx, (std::vector<int>{0, 1}));
  EXPECT_NE(ParseLsarJson(
                "{\"lsarError\":0}", [](const TArchiveEntry&) { return true; }, nullptr)
                .Message(),
            "");
  EXPECT_NE(ParseLsarJson(
                std::string(100000, '['), [](const TArchiveEntry&) { return true; }, nullptr)
                .Message(),
            "");
}
