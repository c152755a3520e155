// SPDX-License-Identifier: MIT
// The store's cursor, typed slots, accounting and structural edits.
#include "store/QDBase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/QDArena.h"

namespace {

void ExpectQDError(const char* text, const std::function<void()>& f) {
  try {
    f();
    ADD_FAILURE() << "expected " << text;
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), text);
  }
}

}  // namespace

TEST(QDBase, FreshStoreAndReadsOfMissingSlots) {
  TQDBase db;
  EXPECT_EQ(db.Depth(), 0);
  EXPECT_EQ(db.SlotCount(), 0);
  EXPECT_EQ(db.MemoryUsed(), 36);
  db.SetInt(2, 9);
  EXPECT_EQ(db.SlotCount(), 3);
  EXPECT_EQ(db.GetInt(5), 0);
  EXPECT_EQ(db.GetStr(5), "");
  EXPECT_EQ(db.SlotType(5), stEmpty);
  EXPECT_EQ(db.GetInt(-1), 0);
  int32_t len = 7;
  EXPECT_EQ(db.GetStrBuf(0, len), nullptr);
  EXPECT_EQ(len, 0);
  EXPECT_EQ(db.SlotCount(), 3);  // reads never extend
  EXPECT_EQ(db.MemoryUsed(), 36 + 15);
}

TEST(QDBase, TypedReadsCheckTheTypeByte) {
  TQDBase db;
  db.SetStr(0, "abc");
  db.SetInt(1, -5);
  db.SetInt64(2, 0x123456789ALL);
  db.SetFloat(4, 45000.75);
  EXPECT_EQ(db.GetStr(0), "abc");
  EXPECT_EQ(db.GetInt(1), -5);
  EXPECT_EQ(db.GetInt64(2), 0x123456789ALL);
  EXPECT_DOUBLE_EQ(db.GetFloat(4), 45000.75);
  ExpectQDError(kTypeError, [&] { db.GetInt(0); });
  ExpectQDError(kTypeError, [&] { db.GetStr(1); });
  ExpectQDError(kTypeError, [&] { db.GetFloat(2); });
  ExpectQDError(kTypeError, [&] { db.GetInt64(4); });
  ExpectQDError(kTypeError, [&] { db.GetInt64(3); });  // the high half alone
  // The pair would not fit behind the last slot: zero, not an error.
  db.SetInt(6, 1);
  db.ClearSlot(6);
  EXPECT_EQ(db.GetInt64(6), 0);
  int32_t len = 0;
  const char* p = db.GetStrBuf(0, len);
  ASSERT_EQ(len, 3);
  EXPECT_EQ(std::string(p, 3), "abc");
}

TEST(QDBase, Int64OnTheLastSlotReadsZero) {
  TQDBase db;
  db.SetInt64(0, 77);
  db.DeleteSlot(1);  // leaves a lone stInt64 in the last slot
  ASSERT_EQ(db.SlotCount(), 1);
  EXPECT_EQ(db.SlotType(0), stInt64);
  EXPECT_EQ(db.GetInt64(0), 0);
}

TEST(QDBase, EnterChildCreatesWhatIsMissing) {
  TQDBase db;
  db.SetInt(2, 1);
  db.EnterChild(7);
  EXPECT_EQ(db.Depth(), 1);
  EXPECT_EQ(db.IndexInParent(), 7);
  db.Up();
  EXPECT_EQ(db.SlotCount(), 8);
  for (int i = 3; i < 7; ++i) EXPECT_EQ(db.SlotType(i), stEmpty);
  EXPECT_EQ(db.SlotType(7), stNode);

  TQDBase db2;
  db2.SetInt(2, 1);
  EXPECT_EQ(db2.ChildGetStr(7, 0), "");
  EXPECT_EQ(db2.SlotCount(), 8);
  EXPECT_EQ(db2.SlotType(7), stNode);
  EXPECT_EQ(db2.Depth(), 0);

  // A slot holding a value cannot be entered, and the cursor stays.
  ExpectQDError(kTypeError, [&] { db2.EnterChild(2); });
  EXPECT_EQ(db2.Depth(), 0);
}

TEST(QDBase, CursorMovesAndPositionStack) {
  TQDBase db;
  db.EnterChild(1);
  db.EnterChild(0);
  db.EnterChild(3);
  EXPECT_EQ(db.Depth(), 3);
  db.GoToDepth(1);
  EXPECT_EQ(db.Depth(), 1);
  EXPECT_EQ(db.IndexInParent(), 1);
  ExpectQDError(kRangeError, [&] { db.GoToDepth(2); });
  ExpectQDError(kRangeError, [&] { db.GoToDepth(-1); });
  db.GoToDepth(0);
  db.Up();  // at the root: nothing
  EXPECT_EQ(db.Depth(), 0);
  EXPECT_EQ(db.IndexInParent(), 0);

  for (int i = 0; i < 1000; ++i) db.PushPos();
  ExpectQDError(kRangeError, [&] { db.PushPos(); });
  for (int i = 0; i < 1000; ++i) db.PopPos();
  ExpectQDError(kRangeError, [&] { db.PopPos(); });

  db.EnterChild(1);
  db.PushPos();
  db.GoToDepth(0);
  db.PopPos();
  EXPECT_EQ(db.Depth(), 1);
}

TEST(QDBase, AccountingFollowsEveryWriteAndRelease) {
  TQDBase db;
  db.SetStr(0, "");
  EXPECT_EQ(db.SlotType(0), stString);
  EXPECT_EQ(db.MemoryUsed(), 36 + 5 + 4);
  db.SetStr(0, "hello");
  EXPECT_EQ(db.MemoryUsed(), 36 + 5 + 9);
  db.EnterChild(1);
  db.SetStr(0, "abc");
  db.EnterChild(1);
  db.SetInt64(0, 5);
  db.GoToDepth(0);
  const int32_t withChild = 36 + 10 + 9 + (36 + 10 + 7) + (36 + 10);
  EXPECT_EQ(db.MemoryUsed(), withChild);
  // Replacing a child slot by a value frees the whole subtree.
  db.SetInt(1, 3);
  EXPECT_EQ(db.MemoryUsed(), 36 + 10 + 9);
  db.Clear();
  EXPECT_EQ(db.MemoryUsed(), 36);
  EXPECT_EQ(db.SlotCount(), 0);
}

TEST(QDBase, PairsOccupyTwoSlots) {
  TQDBase db;
  db.SetInt(2, 0);
  db.SetFloat(4, 1.5);
  EXPECT_EQ(db.SlotCount(), 6);
  EXPECT_EQ(db.SlotType(3), stEmpty);
  EXPECT_EQ(db.SlotType(4), stFloat);
  EXPECT_EQ(db.SlotType(5), stFloatHigh);
  db.DeleteSlot(4);
  EXPECT_EQ(db.SlotCount(), 4);

  db.SetInt64(2, 99);
  db.ClearSlot(2);
  EXPECT_EQ(db.SlotCount(), 4);
  EXPECT_EQ(db.SlotType(2), stEmpty);
  EXPECT_EQ(db.SlotType(3), stEmpty);

  // A one-slot write into the low half leaves a lone high half.
  db.SetInt64(0, 1);
  db.SetInt(0, 4);
  EXPECT_EQ(db.SlotType(1), stInt64High);
  db.DeleteSlot(1);  // a lone high half is one slot
  EXPECT_EQ(db.SlotType(1), stEmpty);

  // A pair overwriting a string releases it.
  TQDBase s;
  s.SetStr(0, "abcdef");
  s.SetStr(1, "x");
  s.SetInt64(0, 3);
  EXPECT_EQ(s.MemoryUsed(), 36 + 10);
}

TEST(QDBase, DeletingAPairWhoseHighHalfWasOverwrittenFreesIt) {
  TQDBase db;
  db.SetFloat(0, 2.0);
  db.SetStr(1, "lost?");  // overwrites the high half
  db.DeleteSlot(0);       // removes both slots
  EXPECT_EQ(db.SlotCount(), 0);
  EXPECT_EQ(db.MemoryUsed(), 36);
}

TEST(QDBase, MoveInsertAndExchange) {
  TQDBase db;
  db.SetStr(0, "A");
  db.SetStr(1, "B");
  db.SetStr(2, "C");
  db.MoveSlot(0, 2);
  EXPECT_EQ(db.GetStr(0), "B");
  EXPECT_EQ(db.GetStr(1), "C");
  EXPECT_EQ(db.GetStr(2), "A");
  db.MoveSlot(2, 0);
  EXPECT_EQ(db.GetStr(0), "A");
  ExpectQDError(kRangeError, [&] { db.ExchangeSlots(0, 3); });
  ExpectQDError(kRangeError, [&] { db.MoveSlot(0, 3); });
  db.ExchangeSlots(0, 2);
  EXPECT_EQ(db.GetStr(0), "C");
  db.ExchangeSlots(1, 1);

  db.InsertSlot(1);
  EXPECT_EQ(db.SlotCount(), 4);
  EXPECT_EQ(db.SlotType(1), stEmpty);
  EXPECT_EQ(db.GetStr(2), "B");
  db.InsertSlot(6);  // beyond the end: extends
  EXPECT_EQ(db.SlotCount(), 7);
  db.DeleteSlot(10);  // beyond the end: nothing
  EXPECT_EQ(db.SlotCount(), 7);

  // Children keep their parent through exchanges and moves.
  db.EnterChild(5);
  db.SetStr(0, "child");
  db.Up();
  db.MoveSlot(5, 0);
  db.EnterChild(0);
  EXPECT_EQ(db.GetStr(0), "child");
  EXPECT_EQ(db.IndexInParent(), 0);
  db.Up();
}

TEST(QDBase, ChildAccessorsWorkThroughSlotZeroHeaders) {
  TQDBase db;
  db.ChildSetStr(0, 0, "Disk 1");
  db.ChildSetInt(0, 12, 5);
  db.ChildSetInt64(0, 13, 700LL << 20);
  db.ChildSetFloat(0, 6, 45123.5);
  EXPECT_EQ(db.ChildGetStr(0, 0), "Disk 1");
  EXPECT_EQ(db.ChildGetInt(0, 12), 5);
  EXPECT_EQ(db.ChildGetInt64(0, 13), 700LL << 20);
  EXPECT_DOUBLE_EQ(db.ChildGetFloat(0, 6), 45123.5);
  EXPECT_EQ(db.ChildSlotType(0, 12), stInteger);
  EXPECT_EQ(db.ChildSlotCount(0), 15);
  EXPECT_EQ(db.Depth(), 0);
  // A failing inner operation leaves the cursor on the child.
  ExpectQDError(kTypeError, [&] { db.ChildGetInt(0, 0); });
  EXPECT_EQ(db.Depth(), 1);
}

TEST(QDBase, TagsAndFlagsAreNodeLocal) {
  TQDBase db;
  db.EnterChild(1);
  db.SetTag(42);
  db.SetNodeFlags(1);
  db.Up();
  EXPECT_EQ(db.GetTag(), 0);
  db.EnterChild(1);
  EXPECT_EQ(db.GetTag(), 42);
  EXPECT_EQ(db.GetNodeFlags(), 1);
}

TEST(QDBase, ManySlotsAndDeepChainsAreSafe) {
  TQDBase db;
  for (int i = 0; i < 10000; ++i) db.SetInt(i, i);
  EXPECT_EQ(db.GetInt(9999), 9999);
  for (int i = 0; i < 100; ++i) db.InsertSlot(0);
  EXPECT_EQ(db.GetInt(100), 0);
  EXPECT_EQ(db.GetInt(10099), 9999);
  db.Clear();
  // A chain far deeper than any recursion could follow is freed without trouble.
  for (int i = 0; i < 200000; ++i) db.EnterChild(0);
  EXPECT_EQ(db.Depth(), 200000);
  db.GoToDepth(0);
  db.DeleteSlot(0);
  EXPECT_EQ(db.MemoryUsed(), 36);
}

// All stores share one address space: what a store lets go is handed out again, and a store's
// nodes and strings stay as they were while others come and go around them.
TEST(QDBase, StoresThatComeAndGoShareTheAddressSpace) {
  auto fill = [](TQDBase& db, const std::string& text, int nodes) {
    for (int i = 0; i < nodes; ++i) {
      db.EnterChild(i);
      db.SetStr(0, text + std::to_string(i));
      db.SetInt(1, i);
      db.Up();
    }
  };
  auto check = [](TQDBase& db, const std::string& text, int nodes) {
    ASSERT_EQ(db.SlotCount(), nodes);
    for (int i = 0; i < nodes; ++i) {
      const TNodeRec* n = NodeChild(db.RootNode(), i);
      ASSERT_NE(n, nullptr);
      EXPECT_EQ(static_cast<const TNodeRec*>(n->Parent), db.RootNode());
      EXPECT_EQ(NodeGetStr(n, 0), text + std::to_string(i));
      EXPECT_EQ(NodeGetInt(n, 1), i);
    }
  };
  TQDBase a;
  fill(a, "first ", 5000);
  {
    auto b = std::make_unique<TQDBase>();
    fill(*b, "gone ", 20000);
    TQDBase c;
    fill(c, "third ", 3000);
    b.reset();
    TQDBase d;
    fill(d, "after ", 30000);
    check(c, "third ", 3000);
    check(d, "after ", 30000);
  }
  check(a, "first ", 5000);

  // Arenas of 8 MiB taken and dropped five thousand times: 40 GiB in all, more than the space
  // holds, so only a space that takes back what arenas return gets through.
  for (int i = 0; i < 5000; ++i) {
    TQDArena arena;
    arena.Bump(8 << 20);
  }
  EXPECT_LT(TQDArena::SpaceSize(), size_t(5000) * (8 << 20));
  check(a, "first ", 5000);
}
