// SPDX-License-Identifier: MIT
// The image walk: what it tells a visitor, and that its verdict on any bytes is the load's.
#include "store/QDImageWalk.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "store/QDBase.h"

namespace {

// A tree whose records have the slot counts the walk reads differently (none, one, up to and past
// a word of eight type bytes, past 64 slots), with node and string slots at the edges of those.
void BuildWide(TQDBase& db) {
  db.Clear();
  const int counts[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 63, 64, 65, 71, 130};
  int k = 0;
  for (int count : counts) {
    db.EnterChild(k);
    for (int s = 0; s < count; ++s) {
      if (s == 0 || s == 7 || s == 8 || s == 63 || s == 64 || s == count - 1)
        db.SetStr(s, "s" + std::to_string(count) + "/" + std::to_string(s));
      else if (s % 5 == 1)
        db.ChildSetInt(s, 0, s);  // a child node
      else if (s % 5 == 2 && s + 1 < count - 1)
        db.SetInt64(s, 1000000007LL * s), ++s;  // two slots
      else if (s % 5 == 3)
        db.SetInt(s, -s);
    }
    db.Up();
    ++k;
  }
  db.SetStr(k, std::string(3000, 'x'));
  db.GoToDepth(0);
}

std::string Image(TQDBase& db) {
  db.Signature = "Vrt base";
  std::string image;
  db.SaveToString(image);
  return image;
}

void Reseal(std::string& image) {
  for (int i = 0; i < 8; ++i) image[24 + i] = 0;
  const uint64_t sum = TQDBase::Checksum(image);
  for (int i = 0; i < 8; ++i) image[24 + i] = static_cast<char>(sum >> (8 * i));
}

// Writes what the walk tells as text: "(" count for a record at its slot, strings with their slot.
struct TTextVisitor {
  std::string out;
  size_t progressCalls = 0;
  void Record(int slot, const TImageRecord& r) {
    out += "(" + std::to_string(slot) + ":" + std::to_string(r.SlotCount);
    for (int i = 0; i < r.SlotCount; ++i)
      if (r.Type(i) == stInteger) out += " i" + std::to_string(i) + "=" + std::to_string(r.Int(i));
  }
  void String(int slot, std::string_view s) {
    out += " s" + std::to_string(slot) + "=" + std::string(s.substr(0, 12));
  }
  void EndRecord() { out += ")"; }
  void Progress(size_t) { ++progressCalls; }
};

// The same text from a loaded tree.
void Describe(const TNodeRec* n, int slot, std::string& out) {
  out += "(" + std::to_string(slot) + ":" + std::to_string(n->SlotCount);
  for (int i = 0; i < n->SlotCount; ++i)
    if (NodeSlotType(n, i) == stInteger)
      out += " i" + std::to_string(i) + "=" + std::to_string(NodeGetInt(n, i));
  for (int i = 0; i < n->SlotCount; ++i) {
    if (NodeSlotType(n, i) == stString)
      out += " s" + std::to_string(i) + "=" + std::string(NodeGetStr(n, i).substr(0, 12));
    else if (TNodeRec* c = NodeChild(n, i))
      Describe(c, i, out);
  }
  out += ")";
}

}  // namespace

TEST(QDImageWalk, VisitorMeetsEveryRecordAndStringInSlotOrder) {
  TQDBase db;
  BuildWide(db);
  const std::string image = Image(db);
  TTextVisitor v;
  std::string error;
  int64_t accounted = 0;
  ASSERT_TRUE(WalkImage(image, v, false, error, &accounted)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(accounted, db.MemoryUsed64());
  std::string expected;
  Describe(db.RootNode(), -1, expected);
  EXPECT_EQ(v.out, expected);
  EXPECT_GE(v.progressCalls, 1u);
}

// On damaged bytes the walk stops where the load stops, and what it told of a sound mutation
// (type bytes changed into other types, counts and strings moved) is the tree the load built.
TEST(QDImageWalk, DamagedImagesAreToldAsTheLoadReadsThem) {
  TQDBase db;
  BuildWide(db);
  const std::string good = Image(db);
  std::mt19937 rng(31);
  int sound = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string bad = good;
    const int edits = 1 + static_cast<int>(rng() % 3);
    for (int e = 0; e < edits; ++e) {
      const size_t off = 50 + rng() % (bad.size() - 50);
      switch (rng() % 4) {
        case 0:
          bad[off] = static_cast<char>(rng());
          break;
        case 1:  // a type byte or count made something else
          bad[off] = static_cast<char>(rng() % 16);
          break;
        case 2:
          bad.erase(off, 1 + rng() % 6);
          break;
        default:
          bad.insert(off, 1 + rng() % 5, static_cast<char>(rng() % 3));
          break;
      }
      if (bad.size() <= 50) break;
    }
    if (bad.size() > 48 && rng() % 8) Reseal(bad);
    TTextVisitor v;
    std::string error;
    int64_t accounted = -1;
    const bool walked = WalkImage(bad, v, false, error, &accounted);
    TQDBase load;
    const bool loaded = load.LoadFromImage(bad);
    ASSERT_EQ(walked, loaded) << "round " << round << ": " << load.LoadFailure();
    EXPECT_EQ(error, load.LoadFailure()) << "round " << round;
    if (loaded) {
      ++sound;
      EXPECT_EQ(accounted, load.MemoryUsed64()) << "round " << round;
      std::string expected;
      Describe(load.RootNode(), -1, expected);
      EXPECT_EQ(v.out, expected) << "round " << round;
    }
  }
  EXPECT_GT(sound, 10);  // some mutations keep a sound tree (a changed number or letter)
}
