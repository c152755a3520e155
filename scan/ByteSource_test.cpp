// SPDX-License-Identifier: MIT
// Reading pieces of files through TByteSource.
#include "scan/ByteSource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "scan/ReadersTestUtil.h"

namespace {

std::string Piece(const TByteSource& s, uint64_t offset, size_t n) {
  std::string out(n, '\0');
  out.resize(s.ReadAt(offset, out.data(), n));
  return out;
}

}  // namespace

TEST(ByteSource, PiecesOfAFileHeadComeFromOneReadAndTheRestFromTheFile) {
  std::string body(10000, 'x');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
  std::string path = ReaderScratchFile("head.bin", body);
  int dir = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  TByteSource s = TByteSource::OfFileAt(dir, "head.bin", body.size());
  ASSERT_TRUE(s.Ok());
  EXPECT_EQ(Piece(s, 0, 10), body.substr(0, 10));
  // The head was read once: overwriting the file's first bytes does not change what the source
  // gives for them, while bytes beyond the head are read from the file as it is now.
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.write("ZZZZZZZZZZ", 10);
    f.seekp(5000);
    f.write("YYYY", 4);
  }
  EXPECT_EQ(Piece(s, 2, 6), body.substr(2, 6));
  EXPECT_EQ(Piece(s, 4090, 6), body.substr(4090, 6));  // the last bytes of the head
  EXPECT_EQ(Piece(s, 4094, 4), body.substr(4094, 4));  // across its end
  EXPECT_EQ(Piece(s, 5000, 4), "YYYY");
  EXPECT_EQ(Piece(s, 9998, 10), body.substr(9998));  // cut at the size given
  EXPECT_EQ(Piece(s, 10000, 1), "");
  ::close(dir);
}

TEST(ByteSource, AFileShorterThanItsSizeIsReadAsFarAsItGoes) {
  std::string path = ReaderScratchFile("short.bin", "0123456789");
  int dir = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  TByteSource s = TByteSource::OfFileAt(dir, "short.bin", 20);  // it had 20 bytes when listed
  EXPECT_EQ(Piece(s, 0, 4), "0123");
  EXPECT_EQ(Piece(s, 8, 8), "89");
  EXPECT_EQ(Piece(s, 12, 4), "");
  ::close(dir);
}
