// SPDX-License-Identifier: MIT
// Mark lists and the forgetting rule, deep copy, subtree moves, child search and sorting.
#include <gtest/gtest.h>

#include "store/QDBase.h"

namespace {

// A folder node at root slot `slot` holding `files` leaf files named f0, f1, ...
void MakeFolder(TQDBase& db, int slot, int files) {
  db.GoToDepth(0);
  db.EnterChild(slot);
  db.ChildSetStr(0, 0, "folder" + std::to_string(slot));
  for (int i = 0; i < files; ++i) {
    db.EnterChild(i + 1);
    db.SetStr(0, "f" + std::to_string(i));
    db.Up();
  }
  db.GoToDepth(0);
}

std::vector<std::string> Names(TQDBase& db, int list) {
  std::vector<std::string> out;
  for (TNodeRec* n : db.MarkList(list)) out.push_back(n ? std::string(NodeGetStr(n, 0)) : "nil");
  return out;
}

}  // namespace

TEST(QDMarks, ReleasingAFolderForgetsItsMarksAndKeepsTheOthersInOrder) {
  TQDBase db;
  db.AddMarkList();
  db.AddMarkList();
  MakeFolder(db, 1, 3);
  MakeFolder(db, 2, 3);
  for (int folder : {1, 2}) {
    for (int f : {1, 2, 3}) {
      db.GoToDepth(0);
      db.EnterChild(folder);
      db.EnterChild(f);
      db.AddMark(1);
    }
  }
  db.GoToDepth(0);
  ASSERT_EQ(db.MarkCount(1), 6);
  db.DeleteSlot(1);
  EXPECT_EQ(Names(db, 1), (std::vector<std::string>{"f0", "f1", "f2"}));
  EXPECT_EQ(db.MarkCount(0), 0);
  // The surviving entries still lead to live nodes of folder 2 (now at slot 1).
  ASSERT_TRUE(db.GoToMark(1, 2));
  EXPECT_EQ(db.GetStr(0), "f2");
  db.Up();
  EXPECT_EQ(db.ChildGetStr(0, 0), "folder2");
}

TEST(QDMarks, DeferredPackingLeavesPlaceholders) {
  TQDBase db;
  for (int i = 0; i < 6; ++i) db.AddMarkList();
  MakeFolder(db, 1, 4);
  db.EnterChild(1);
  for (int f = 1; f <= 4; ++f) {
    db.EnterChild(f);
    db.AddMark(5);
    db.Up();
  }
  db.DeferMarkPack = true;
  db.RemoveMark(5, 2);
  EXPECT_EQ(db.MarkCount(5), 4);
  EXPECT_EQ(db.MarkList(5)[2], nullptr);
  TNodeRec* before = db.CurrentNode();
  EXPECT_FALSE(db.GoToMark(5, 2));
  EXPECT_EQ(db.CurrentNode(), before);
  // Releasing a marked node while deferred also leaves a placeholder.
  db.DeleteSlot(1);
  EXPECT_EQ(db.MarkCount(5), 4);
  EXPECT_EQ(db.MarkList(5)[0], nullptr);
  db.PackMarkList(5);
  EXPECT_EQ(db.MarkCount(5), 2);
  db.DeferMarkPack = false;
}

TEST(QDMarks, IndexErrorsUseTheListText) {
  TQDBase db;
  db.AddMarkList();
  try {
    db.GoToMark(0, 3);
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_THROW(db.AddMark(4), std::out_of_range);
  EXPECT_THROW(db.RemoveMark(0, -1), std::out_of_range);
}

TEST(QDMarks, ReferenceCountIsExactBeyond255) {
  TQDBase db;
  db.AddMarkList();
  db.AddMarkList();
  db.EnterChild(1);
  db.EnterChild(1);
  for (int i = 0; i < 300; ++i) db.AddMark(i % 2);
  EXPECT_EQ(db.CurrentNode()->MarkRefs, 300u);
  db.GoToDepth(0);
  db.ClearMarkList(0);
  db.GoToMark(1, 0);
  EXPECT_EQ(db.CurrentNode()->MarkRefs, 150u);
  db.GoToDepth(0);
  db.DeleteSlot(1);  // all 150 remaining entries go with the node
  EXPECT_EQ(db.MarkCount(1), 0);
}

TEST(QDMarks, DuplicateMarksAndRemoveCurrentMark) {
  TQDBase db;
  db.AddMarkList();
  db.EnterChild(1);
  db.SetStr(0, "leaf");
  db.AddMark(0);
  db.AddMark(0);
  EXPECT_EQ(db.CurrentNode()->MarkRefs, 2u);
  db.RemoveCurrentMark(0);
  EXPECT_EQ(db.MarkCount(0), 1);
  db.AddMark(0);
  db.Up();
  db.RemoveCurrentMark(0);  // the root is not in the list: nothing
  EXPECT_EQ(db.MarkCount(0), 2);
  db.SetInt(1, 0);  // replacing the leaf removes both entries
  EXPECT_EQ(db.MarkCount(0), 0);
}

TEST(QDMarks, ClearForgetsMarksOfTheWholeTreeIncludingTheRoot) {
  TQDBase db;
  db.AddMarkList();
  db.AddMark(0);  // the root
  db.EnterChild(1);
  db.AddMark(0);
  db.Clear();
  EXPECT_EQ(db.MarkCount(0), 0);
  EXPECT_EQ(db.MarkListCount(), 1);
}

TEST(QDMarks, SortMarkListByName) {
  TQDBase db;
  db.AddMarkList();
  const char* names[] = {"delta", "alpha", "echo", "charlie", "bravo"};
  for (int i = 0; i < 5; ++i) {
    db.EnterChild(i + 1);
    db.SetStr(0, names[i]);
    db.AddMark(0);
    db.Up();
  }
  db.SortMarkList(
      0, [](TNodeRec* a, TNodeRec* b) { return NodeGetStr(a, 0).compare(NodeGetStr(b, 0)); });
  EXPECT_EQ(Names(db, 0), (std::vector<std::string>{"alpha", "bravo", "charlie", "delta", "echo"}));
}

TEST(QDMarks, AppendFromMakesIndependentDeepCopies) {
  TQDBase src;
  src.SetStr(0, "s");
  src.ClearSlot(1);
  src.SetFloat(2, 3.25);
  src.EnterChild(4);
  src.SetStr(0, "x");
  src.SetStr(1, "y");
  src.SetTag(9);
  src.GoToDepth(0);
  TQDBase dst;
  dst.EnterChild(3);
  dst.AppendFrom(src);
  EXPECT_EQ(dst.Depth(), 1);
  EXPECT_EQ(src.Depth(), 0);
  ASSERT_EQ(dst.SlotCount(), 5);
  EXPECT_EQ(dst.SlotType(0), stString);
  EXPECT_EQ(dst.SlotType(1), stEmpty);
  EXPECT_DOUBLE_EQ(dst.GetFloat(2), 3.25);
  EXPECT_EQ(dst.ChildGetStr(4, 1), "y");
  dst.EnterChild(4);
  EXPECT_EQ(dst.GetTag(), 0);  // tags are not copied
  dst.SetStr(0, "changed");
  EXPECT_EQ(src.ChildGetStr(4, 0), "x");
  // Accounting of the copy equals that of the source.
  dst.GoToDepth(0);
  TQDBase again;
  again.AppendFrom(src);
  EXPECT_EQ(again.MemoryUsed(), src.MemoryUsed());
}

TEST(QDMarks, TakeSubtreeMovesBetweenStores) {
  TQDBase main;
  main.AddMarkList();
  main.EnterChild(1);
  main.SetStr(0, "old");
  main.AddMark(0);
  main.Up();
  main.EnterChild(2);
  main.SetStr(0, "stays");
  main.GoToDepth(0);

  TQDBase temp;
  temp.EnterChild(5);
  temp.SetStr(0, "moved");
  temp.EnterChild(1);
  temp.SetStr(0, "grandchild");
  temp.Up();

  main.EnterChild(1);
  main.TakeSubtree(temp);
  EXPECT_EQ(main.GetStr(0), "moved");
  EXPECT_EQ(main.IndexInParent(), 1);
  EXPECT_EQ(main.MarkCount(0), 0);  // the old subtree's marks are gone
  EXPECT_EQ(main.ChildGetStr(1, 0), "grandchild");
  EXPECT_EQ(temp.SlotCount(), 0);  // an empty node stands in the source
  EXPECT_EQ(temp.IndexInParent(), 5);
  main.GoToDepth(0);
  EXPECT_EQ(main.ChildGetStr(2, 0), "stays");

  // The moved nodes outlive the source store.
  {
    TQDBase other;
    other.EnterChild(1);
    other.SetStr(0, "from a short-lived store");
    main.EnterChild(3);
    main.TakeSubtree(other);
  }
  main.GoToDepth(0);
  EXPECT_EQ(main.ChildGetStr(3, 0), "from a short-lived store");
  std::string image;
  main.SaveToString(image);
  TQDBase back;
  EXPECT_TRUE(back.LoadFromString(image));
}

TEST(QDMarks, TakeSubtreeAtTheRootReplacesTheWholeStore) {
  TQDBase db;
  db.SetStr(0, "gone");
  TQDBase temp;
  temp.SetStr(0, "root");
  temp.SetInt(1, 5);
  db.TakeSubtree(temp);
  EXPECT_EQ(db.Depth(), 0);
  EXPECT_EQ(db.GetStr(0), "root");
  EXPECT_EQ(temp.SlotCount(), 0);
  temp.SetStr(0, "source still usable");
  EXPECT_EQ(temp.GetStr(0), "source still usable");
  db.Clear();
  temp.Clear();
}

TEST(QDMarks, FindChildByStringAndInteger) {
  TQDBase db;
  db.ChildSetStr(0, 0, "a");  // a header at slot 0
  db.ChildSetStr(1, 0, "A");
  db.ChildSetStr(2, 0, "a");
  db.ChildSetInt(3, 1, 42);
  db.SetInt(4, 0);
  EXPECT_EQ(db.FindChildStr("a", 0, 1), 2);  // start 1 skips slot 0; case counts
  EXPECT_EQ(db.FindChildStr("a", 0, 0), 0);
  EXPECT_EQ(db.FindChildStr("a", 0, 9), -1);
  EXPECT_EQ(db.FindChildInt(42, 1, 0), 3);
  EXPECT_EQ(db.FindChildInt(42, 7, 0), -1);
  EXPECT_EQ(db.SlotCount(), 5);  // nothing created
}

TEST(QDMarks, SortSlotsKeepsTheHeaderAndMovesWholeSlots) {
  TQDBase db;
  db.ChildSetStr(0, 0, "header");
  const char* names[] = {"m", "c", "x", "a", "k", "b", "z", "c"};
  for (int i = 0; i < 8; ++i) db.ChildSetStr(i + 1, 0, names[i]);
  auto name = [&](int slot) {
    return std::string(NodeGetStr(NodeChild(db.CurrentNode(), slot), 0));
  };
  db.SortSlots([&](int i, int j) { return name(i).compare(name(j)); }, 1);
  EXPECT_EQ(name(0), "header");
  std::string order;
  for (int i = 1; i <= 8; ++i) order += name(i);
  EXPECT_EQ(order, "abcckmxz");
  for (int i = 1; i <= 8; ++i) {
    db.EnterChild(i);
    EXPECT_EQ(db.IndexInParent(), i);
    db.Up();
  }
}

TEST(QDMarks, SortingLargeAlreadySortedInputStaysShallow) {
  TQDBase db;
  db.AddMarkList();
  for (int i = 0; i < 200000; ++i) {
    db.EnterChild(i);
    db.SetInt(0, i);
    db.AddMark(0);
    db.Up();
  }
  db.SortMarkList(0, [](TNodeRec* a, TNodeRec* b) {
    return NodeGetInt(a, 0) < NodeGetInt(b, 0) ? -1 : NodeGetInt(a, 0) > NodeGetInt(b, 0);
  });
  EXPECT_EQ(NodeGetInt(db.MarkList(0).front(), 0), 0);
  EXPECT_EQ(NodeGetInt(db.MarkList(0).back(), 0), 199999);
}
