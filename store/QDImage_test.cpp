// SPDX-License-Identifier: MIT
// The image format: exact bytes, checksum, and loading of damaged images.
#include <gtest/gtest.h>

#include <random>

#include "store/QDBase.h"

namespace {

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

// A small catalog-shaped tree.
void BuildSample(TQDBase& db) {
  db.Clear();
  db.ChildSetStr(0, 0, "Catalog");
  db.ChildSetInt(0, 1, 1);
  db.EnterChild(1);
  db.ChildSetStr(0, 0, "Disk 1");
  db.ChildSetInt64(0, 2, 123456789012LL);
  db.ChildSetFloat(0, 6, 46000.25);
  db.EnterChild(1);
  db.SetStr(0, "readme.txt");
  db.SetInt(1, 0x2064);
  db.SetInt64(2, 1234);
  db.SetStr(8, "line 1\r\nline 2");
  db.GoToDepth(0);
}

}  // namespace

TEST(QDImage, FreshStoreImageIsByteExact) {
  TQDBase db;
  db.Signature = "Vrt base";
  std::string image;
  db.SaveToString(image);
  ASSERT_EQ(image.size(), 58u);
  std::string expected = "31" + std::string(16, '0') + "08" + "5672742062617365" +
                         std::string(12, '0') + "d3188eb800000000" + std::string(52, '0');
  EXPECT_EQ(Hex(image), expected);
  EXPECT_EQ(TQDBase::Checksum(image.substr(0, 24) + std::string(8, '\0') + image.substr(32)),
            0x00000000B88E18D3ull);
  TQDBase back;
  back.SetInt(0, 1);
  ASSERT_TRUE(back.LoadFromString(image));
  EXPECT_EQ(back.SlotCount(), 0);
  EXPECT_EQ(back.MemoryUsed(), 36);
}

TEST(QDImage, ChecksumOfTheLettersExample) {
  EXPECT_EQ(TQDBase::Checksum("abcdefgh"), 0x00000000CAC8C664ull);
  EXPECT_EQ(TQDBase::Checksum("abcdefghZ"), 0x00000000CAC8C664ull);
  EXPECT_EQ(TQDBase::Checksum("abc"), 0u);
  EXPECT_EQ(TQDBase::Checksum(""), 0u);
  // The length byte (bits 24-31 of the length) takes part from 16 MiB on.
  std::string big(16u << 20, '\0');
  EXPECT_EQ(TQDBase::Checksum(big), 1u);
}

TEST(QDImage, RecordLayoutOfValuesAndStrings) {
  TQDBase db;
  db.SetInt(0, 7);
  std::string image;
  db.SaveToString(image);
  ASSERT_EQ(image.size(), 63u);
  EXPECT_EQ(static_cast<unsigned char>(image[58]), 3);  // type byte
  EXPECT_EQ(static_cast<unsigned char>(image[59]), 7);  // cell
  db.SetStr(1, "abc");
  db.SaveToString(image);
  EXPECT_EQ(image.size(), 63u + 5 + 7);
  EXPECT_EQ(image.substr(image.size() - 3), "abc");
  // The signature is cut to 8 characters; "Vrt opt" leaves offset 17 zero.
  db.Signature = "Vrt opt";
  db.SaveToString(image);
  EXPECT_EQ(image[9], 7);
  EXPECT_EQ(image.substr(10, 8), std::string("Vrt opt\0", 8));
}

TEST(QDImage, RoundTripKeepsEverySlotAndAccounting) {
  TQDBase db;
  BuildSample(db);
  db.Signature = "Vrt base";
  std::string image;
  db.SaveToString(image);
  const int32_t used = db.MemoryUsed();
  TQDBase back;
  ASSERT_TRUE(back.LoadFromString(image));
  EXPECT_EQ(back.MemoryUsed(), used);
  EXPECT_EQ(back.ChildGetStr(0, 0), "Catalog");
  back.EnterChild(1);
  EXPECT_EQ(back.ChildGetInt64(0, 2), 123456789012LL);
  EXPECT_DOUBLE_EQ(back.ChildGetFloat(0, 6), 46000.25);
  back.EnterChild(1);
  EXPECT_EQ(back.GetStr(8), "line 1\r\nline 2");
  EXPECT_EQ(back.GetInt(1), 0x2064);
  // Saving the loaded tree again gives the same bytes.
  back.GoToDepth(0);
  back.Signature = "Vrt base";
  std::string again;
  back.SaveToString(again);
  std::string original;
  db.SaveToString(original);
  EXPECT_EQ(again, original);
}

TEST(QDImage, SavingFromAChildWritesOnlyThatSubtree) {
  TQDBase db;
  BuildSample(db);
  db.EnterChild(1);
  std::string image;
  db.SaveToString(image);
  EXPECT_EQ(db.Depth(), 1);  // cursor unchanged
  TQDBase back;
  ASSERT_TRUE(back.LoadFromString(image));
  EXPECT_EQ(back.ChildGetStr(0, 0), "Disk 1");
  EXPECT_EQ(back.Depth(), 0);
}

TEST(QDImage, DamagedImagesFailAsTheFormatSays) {
  TQDBase db;
  BuildSample(db);
  std::string good;
  db.SaveToString(good);

  // 48 bytes or fewer: false, the store untouched.
  TQDBase target;
  target.SetStr(0, "keep");
  std::string tiny = good.substr(0, 48);
  EXPECT_FALSE(target.LoadFromString(tiny));
  EXPECT_EQ(target.GetStr(0), "keep");

  // One extra byte: false, the store emptied.
  std::string longer = good + "x";
  longer[24] = longer[25] = longer[26] = longer[27] = 0;
  uint64_t sum = TQDBase::Checksum(longer.substr(0, 24) + std::string(8, '\0') + longer.substr(32));
  for (int k = 0; k < 8; ++k) longer[24 + k] = static_cast<char>(sum >> (8 * k));
  EXPECT_FALSE(target.LoadFromString(longer));
  EXPECT_EQ(target.SlotCount(), 0);
  EXPECT_EQ(target.MemoryUsed(), 36);
  EXPECT_NE(target.LoadFailure().find("left over"), std::string::npos);

  // Any changed byte the checksum covers is detected.
  const size_t m = good.size() / 4;
  for (size_t off = 0; off + 2 <= 4 * m; ++off) {
    if (off >= 24 && off < 32) continue;
    std::string bad = good;
    bad[off] = static_cast<char>(bad[off] ^ 0x5A);
    TQDBase t;
    ASSERT_FALSE(t.LoadFromString(bad)) << "offset " << off;
    EXPECT_EQ(t.SlotCount(), 0);
  }
  // The load zeroes the checksum bytes of its argument.
  std::string copy = good;
  ASSERT_TRUE(target.LoadFromString(copy));
  EXPECT_EQ(copy.substr(24, 8), std::string(8, '\0'));
}

TEST(QDImage, LoadFromImageChecksAsLoadFromStringAndLeavesTheBytes) {
  TQDBase db;
  BuildSample(db);
  std::string good;
  db.SaveToString(good);
  const std::string kept = good;
  TQDBase t;
  ASSERT_TRUE(t.LoadFromImage(good)) << t.LoadFailure();
  EXPECT_EQ(good, kept);  // the checksum bytes too
  std::string again;
  t.SaveToString(again);
  EXPECT_EQ(again, kept);
  // Every covered byte, the checksum's own included, is checked as LoadFromString checks it.
  const size_t m = good.size() / 4;
  for (size_t off = 0; off + 2 <= 4 * m; ++off) {
    std::string bad = good;
    bad[off] = static_cast<char>(bad[off] ^ 0x5A);
    TQDBase u;
    ASSERT_FALSE(u.LoadFromImage(bad)) << "offset " << off;
    std::string bad2 = bad;
    TQDBase v;
    ASSERT_FALSE(v.LoadFromString(bad2)) << "offset " << off;
    EXPECT_EQ(u.LoadFailure(), v.LoadFailure()) << "offset " << off;
  }
  TQDBase w;
  w.SetInt(0, 5);
  EXPECT_FALSE(w.LoadFromImage(std::string_view(good).substr(0, 48)));
  EXPECT_EQ(w.GetInt(0), 5);
}

TEST(QDImage, LastByteOfAWordAlignedImageIsNotCovered) {
  TQDBase db;
  std::string image;
  db.SaveToString(image);
  for (int n = 0; n < 8 && image.size() % 4 != 0; ++n) {
    db.SetInt(n, n);
    db.SaveToString(image);
  }
  if (image.size() % 4 != 0) {
    db.SetStr(20, "x");
    db.SaveToString(image);
  }
  ASSERT_EQ(image.size() % 4, 0u);
  // The final byte lies in a cell or string: flipping it is invisible to the checksum.
  image.back() = static_cast<char>(image.back() ^ 1);
  TQDBase t;
  EXPECT_TRUE(t.LoadFromString(image));
}

// Re-seals the checksum of an image edited by a test.
static void Reseal(std::string& image) {
  for (int k = 0; k < 8; ++k) image[24 + k] = 0;
  uint64_t sum = TQDBase::Checksum(image);
  for (int k = 0; k < 8; ++k) image[24 + k] = static_cast<char>(sum >> (8 * k));
}

TEST(QDImage, HostileStructuresAreRejectedWithoutAllocating) {
  TQDBase db;
  db.SetStr(0, "abc");
  db.EnterChild(1);
  std::string good;
  db.GoToDepth(0);
  db.SaveToString(good);

  auto put32 = [](std::string& s, size_t off, uint32_t v) {
    for (int k = 0; k < 4; ++k) s[off + k] = static_cast<char>(v >> (8 * k));
  };
  struct Case {
    const char* what;
    std::function<void(std::string&)> edit;
  };
  std::vector<Case> cases = {
      {"huge slot count", [&](std::string& s) { put32(s, 50, 0x7FFFFFFF); }},
      {"negative slot count", [&](std::string& s) { put32(s, 50, 0xFFFFFFFF); }},
      {"owned count too small", [&](std::string& s) { put32(s, 54, 1); }},
      {"owned count too large",
       [&](std::string& s) {
         put32(s, 54, 2);
         s += std::string(8, '\0');
       }},
      {"unknown type", [&](std::string& s) { s[58] = 9; }},
      {"string longer than the rest", [&](std::string& s) { put32(s, 68, 0x7FFFFFF0); }},
      {"truncated child", [&](std::string& s) { s.resize(s.size() - 4); }},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    c.edit(bad);
    Reseal(bad);
    TQDBase t;
    EXPECT_FALSE(t.LoadFromString(bad)) << c.what;
    EXPECT_EQ(t.SlotCount(), 0) << c.what;
    EXPECT_EQ(t.MemoryUsed(), 36) << c.what;
  }
}

TEST(QDImage, ImageCutInsideTheHeaderFailsCleanly) {
  // 49 bytes with a matching checksum: longer than the "too short" rule, shorter than a header.
  std::string image(49, '\0');
  image[0] = 0x31;
  Reseal(image);
  TQDBase t;
  t.SetInt(0, 1);
  EXPECT_FALSE(t.LoadFromString(image));
  EXPECT_EQ(t.SlotCount(), 0);
}

TEST(QDImage, MillionDeepChainLoadsAndSavesWithoutRecursion) {
  // Built by hand: each node has one child slot; the innermost is empty.
  const int depth = 1000000;
  std::string image(50, '\0');
  image[0] = 0x31;
  image.reserve(50 + size_t(depth) * 13 + 8);
  for (int i = 0; i < depth; ++i) image.append("\x01\0\0\0\x01\0\0\0\x01\0\0\0\0", 13);
  image.append(8, '\0');
  Reseal(image);
  TQDBase db;
  ASSERT_TRUE(db.LoadFromString(image));
  std::string again;
  db.SaveToString(again);
  EXPECT_EQ(again.size(), image.size());
  db.Clear();
  EXPECT_EQ(db.MemoryUsed(), 36);
}

// Images of 8 MB and more are read while another thread clears the store's next pages.
TEST(QDImage, LargeImagesLoadWholeAndFailCleanly) {
  TQDBase db;
  const int children = 150000;
  for (int i = 0; i < children; ++i) {
    db.ChildSetStr(i, 0, "file" + std::to_string(i) + ".txt");
    db.ChildSetInt(i, 1, i);
    db.ChildSetStr(i, 2, std::string(size_t(i % 61), char('a' + i % 26)));
  }
  std::string image;
  db.SaveToString(image);
  ASSERT_GT(image.size(), size_t(8) << 20);

  TQDBase back;
  std::string copy = image;
  ASSERT_TRUE(back.LoadFromString(copy)) << back.LoadFailure();
  EXPECT_EQ(back.MemoryUsed64(), db.MemoryUsed64());
  EXPECT_EQ(back.ChildGetStr(children - 1, 0), "file149999.txt");
  EXPECT_EQ(back.ChildGetStr(children - 1, 2), std::string(149999 % 61, char('a' + 149999 % 26)));
  std::string again;
  back.SaveToString(again);
  EXPECT_EQ(again, image);

  // Cut short, and with an unknown slot type in the last record: refused, nothing kept.
  std::string cut = image.substr(0, image.size() - 100);
  Reseal(cut);
  EXPECT_FALSE(back.LoadFromString(cut));
  EXPECT_NE(back.LoadFailure().find("past the end"), std::string::npos) << back.LoadFailure();
  std::string bad = image;
  size_t last = bad.rfind(std::string("\x02\x03\x02", 3));
  ASSERT_NE(last, std::string::npos);
  bad[last + 1] = 0x1F;
  Reseal(bad);
  EXPECT_FALSE(back.LoadFromString(bad));
  EXPECT_NE(back.LoadFailure().find("unknown slot type"), std::string::npos) << back.LoadFailure();
  EXPECT_EQ(back.MemoryUsed(), 36);
}

// The streamed save sums the checksum piece by piece; it must agree with the sum over the whole
// image for every length modulo 4, across a string longer than a piece and a record larger than
// one, and the loader must take the result.
TEST(QDImage, StreamedImagesCarryTheChecksumOfTheWhole) {
  TQDBase db;
  db.ChildSetStr(0, 0, std::string(3 << 20, 'q'));  // a string of three pieces
  db.EnterChild(1);
  for (int i = 0; i < 300000; ++i) db.SetInt(i, i);  // a record of about 1.5 MB
  db.GoToDepth(0);
  for (int extra = 0; extra < 4; ++extra) {
    SCOPED_TRACE(extra);
    db.ChildSetStr(2, 0, std::string(size_t(extra), 'x'));
    std::string streamed;
    size_t pieces = 0;
    struct TCollect {
      std::string& out;
      size_t& pieces;
    } collect{streamed, pieces};
    uint64_t sum = db.SaveToSink(
        [](void* context, const char* bytes, size_t size) {
          auto& c = *static_cast<TCollect*>(context);
          c.out.append(bytes, size);
          ++c.pieces;
        },
        &collect);
    EXPECT_GE(pieces, 3u);  // the large string goes on as a piece of its own
    EXPECT_EQ(sum, TQDBase::Checksum(streamed));
    for (int k = 0; k < 8; ++k)
      streamed[kImageChecksumOffset + k] = static_cast<char>(sum >> (8 * k));
    std::string whole;
    db.SaveToString(whole);
    EXPECT_TRUE(streamed == whole);
    TQDBase back;
    EXPECT_TRUE(back.LoadFromString(streamed)) << back.LoadFailure();
  }
}

TEST(QDImage, RandomMutationsNeverCrash) {
  TQDBase db;
  BuildSample(db);
  std::string good;
  db.SaveToString(good);
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      size_t off = 50 + rng() % (bad.size() - 50);
      switch (rng() % 3) {
        case 0:
          bad[off] = static_cast<char>(rng());
          break;
        case 1:
          bad.resize(off);
          break;
        default:
          bad.insert(off, 1, static_cast<char>(rng()));
          break;
      }
      if (bad.size() <= 50) break;
    }
    if (bad.size() > 32) Reseal(bad);
    TQDBase t;
    if (t.LoadFromString(bad)) {
      std::string out;
      t.SaveToString(out);  // whatever loaded is a consistent tree
      TQDBase u;
      EXPECT_TRUE(u.LoadFromString(out));
    } else {
      EXPECT_EQ(t.MemoryUsed(), 36);
    }
  }
}
